#pragma once

#include "editor/izqeditorhost.h"
#include "editor/izqviews.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QTimer;

// The clipboard actions of the editor, by their tags.
enum TzqClipboardKind : int {
    zqClipCut = 0,
    zqClipCopy = 1,
    zqClipPaste = 2,
    zqClipUndo = 3,
    zqClipRedo = 4
};

// The note editor's logic: shows the tree's current page in the view of the current mode,
// writes it back, saves automatically, notices outside changes, keeps the edit markers and
// decides the browse view's link clicks. The window frame owns it, forwards the views' events
// to it and arranges its widgets on its signals.
class TzqNoteEditor : public QObject {
    Q_OBJECT

public:
    enum : int { vmBrowse = 0, vmEdit = 1, vmSource = 2 };
    // The source view takes no more text than this.
    static constexpr qsizetype SourceTextLimit = 2097152;

    TzqNoteEditor(IzqHtmlEditor* html, IzqBrowseView* browse, IzqSourceView* source,
                  IzqEditorHost* host, IzqEditorUi* ui, QObject* parent = nullptr);

    // ---- Loading and saving ----

    // Loads the current page into the view of the current mode; a missing folder note is
    // first written from the default document.
    void LoadCurrentNote();
    // Loads one file into the view of the current mode. Throws EzqError when it cannot be read.
    void LoadFile(const QString& path);
    // Writes the current view's document to path (edit and source mode only).
    void SaveFile(const QString& path);
    void SaveIfEditing();
    // The CP949 text with the first charset label "unicode" replaced by charSet.
    static QByteArray FixCharsetLabel(const QByteArray& text, const QString& charSet);

    // ---- Modes, timers, outside changes ----

    // After the main window stored a new view mode: flags, auto-save, the note read again in
    // the new view. Emits ModeApplied.
    void ModeChanged();
    // When the application is activated while the tree is shown.
    void CheckExternalChange();
    // Starts the auto-save countdown again when it runs.
    void RestartAutoSave();
    // Reads the auto-save interval again (after the settings changed).
    void UpdateAutoSaveInterval();
    bool AutoSaveRunning() const;
    const QTimer* AutoSaveTimer() const { return FAutoSaveTimer; }
    // What the auto-save timer does at every tick.
    void AutoSaveTick();
    void FocusLater();

    // ---- Edit markers ----

    void WriteEditMarker(const QString& path);
    bool DeleteEditMarker(const QString& path);
    QString ReadEditMarker(const QString& path);
    // Also enables the edit and source mode items exactly when the note is not locked.
    bool IsLockedByOther(const QString& path);

    // ---- Commands ----

    // Inserts markup at the caret of the edit view; false when no document is ready.
    bool InsertHtml(const QString& html);
    // Runs an edit command only when the document is ready and the command enabled.
    bool ExecIfEnabled(int id, int option = OLECMDEXECOPT_DODEFAULT, const QVariant& input = {});
    void ClipboardCommand(int kind);
    bool ClipboardCommandEnabled(int kind);
    void PrintNote();
    // The last save before the window closes; the browse view leaves the note.
    void CloseEditor();

    // ---- Events of the views ----

    void EditDocumentComplete();
    void BrowseDocumentComplete();
    // The edit view was displayed; true the first time.
    bool EditDisplayChanged();
    // A navigation of the browse view's main frame: true to let it happen.
    bool BeforeNavigate(const QUrl& url);
    void BrowseStatusTextChange(const QString& text);

    bool DocumentReady() const { return FDocumentReady; }
    qint64 FileTime() const { return FFileTime; }

Q_SIGNALS:
    // The mode's view and toolbars go to the front.
    void ModeApplied(int mode);
    // The edit view started loading a note: the attached files list is filled again.
    void FileListRefillNeeded();
    // The view of the current mode takes the focus shortly.
    void FocusRequested();

private:
    // Where WriteNote put the document.
    enum class TWritten { Note, Copy, Nothing };

    int Mode() const;
    // Writes the bytes of the note's document, asking first when someone else changed the
    // file since it was loaded.
    TWritten WriteNote(const QString& path, const QByteArray& bytes);
    void SetAutoSaveEnabled(bool enabled);

    IzqHtmlEditor* FHtml;
    IzqBrowseView* FBrowse;
    IzqSourceView* FSource;
    IzqEditorHost* FHost;
    IzqEditorUi* FUi;
    QTimer* FAutoSaveTimer;

    bool FDocumentReady = false;
    bool FBrowseLoading = false;
    bool FScrollSyncPending = false;
    // The mode left by the last mode change: the scroll position is carried over from it.
    int FScrollFromMode = -1;
    int FScrollFromY = -1;
    bool FEditDisplayed = false;
    bool FClosed = false;
    bool FAutoSaving = false;
    // A question to the user is open (its dialog runs the event loop, timers still fire).
    bool FAsking = false;
    int FLastMode = -1;
    qint64 FFileTime = 0;
    // The file whose document the edit or source view holds; empty when its load failed.
    QString FDocumentPath;
    // A save conflict the user answered with KeepBoth or Cancel: the other version's file time
    // and where the user's version went.
    qint64 FDeclinedTime = 0;
    TzqSaveConflictAnswer FDeclinedAnswer = TzqSaveConflictAnswer::Cancel;
    QString FCopyPath;
};
