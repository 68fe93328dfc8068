#pragma once

#include "editor/izqeditorhost.h"
#include "editor/izqviews.h"
#include "platform/noteencoding.h"

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
    // Writes the current view's document to path (edit and source mode only), when it changed
    // and differs from the file. False when the user's text could not be kept: the document
    // could not be read, the write failed, or the user declined to overwrite another version.
    // Whatever was to follow the save must then not happen.
    bool SaveFile(const QString& path);
    bool SaveIfEditing();
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
    // The last save before the window closes; the browse view leaves the note. False (and the
    // editor stays open) when the save failed.
    bool CloseEditor();

    // ---- Events of the views ----

    void EditDocumentComplete();
    void BrowseDocumentComplete();
    // The edit view was displayed; true the first time.
    bool EditDisplayChanged();
    // A navigation of the browse view's main frame: true to let it happen.
    bool BeforeNavigate(const QUrl& url);
    void BrowseStatusTextChange(const QString& text);

    bool DocumentReady() const { return FDocumentReady; }
    // The file whose document the edit or source view holds; empty when none.
    const QString& DocumentPath() const { return FDocumentPath; }
    qint64 FileTime() const { return FFileTime; }

Q_SIGNALS:
    // The mode's view and toolbars go to the front.
    void ModeApplied(int mode);
    // The edit view started loading a note: the attached files list is filled again.
    void FileListRefillNeeded();
    // The view of the current mode takes the focus shortly.
    void FocusRequested();

private:
    // What WriteNote did with the document.
    enum class TWritten {
        Note,     // written to the note
        Same,     // the note holds these bytes already; nothing written
        Copy,     // written beside the note, as the user chose
        Declined, // the user declined to overwrite another version
        Failed,   // the write failed (reported)
    };
    static bool Kept(TWritten w)
    {
        return w == TWritten::Note || w == TWritten::Same || w == TWritten::Copy;
    }

    int Mode() const;
    // Writes the bytes of the note's document, asking first when someone else changed the
    // file since it was loaded.
    TWritten WriteNote(const QString& path, const QByteArray& bytes);
    void SetAutoSaveEnabled(bool enabled);
    // tmAuto in minutes; 0 means no auto-save.
    int AutoSaveMinutes() const;
    bool IsOwnLoad(const QUrl& url) const;

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
    // How that file encodes its text; a save writes it back the same way.
    TzqNoteEncoding FDocumentEncoding = TzqNoteEncoding::Cp949;
    // The edit view's change count at the last load or save: an equal count means nothing
    // to write.
    int FSavedEdits = 0;
    // A save conflict the user answered with KeepBoth or Cancel: the other version's file time
    // and where the user's version went.
    qint64 FDeclinedTime = 0;
    TzqSaveConflictAnswer FDeclinedAnswer = TzqSaveConflictAnswer::Cancel;
    QString FCopyPath;
};
