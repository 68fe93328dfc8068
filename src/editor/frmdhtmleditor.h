#pragma once

#include "editor/izqeditorhost.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

class QMenu;
class IzqFindTarget;
class TfrmCharsGrid;
class TfrmFindInRich;
class TfrmFindReplace;
class TzqBrowseFindTarget;
class TzqEditFindTarget;
class TzqSourceFindTarget;
class QStackedLayout;
class QTimer;
class QWebEngineView;
class TzqBrowseView;
class TzqEditToolbars;
class TzqPaste;
class TzqInsertItems;
class TfrmAttachedFiles;
class QLabel;
class QProgressBar;
class TzqNoteEditor;
class TzqSourceEdit;
class TzqWebEditView;

// The editor frame: the three views of the current note (browse, edit, source) with the one
// of the current mode in front, driven by the editor's logic (TzqNoteEditor).
class TfrmDhtmlEditor : public QWidget {
    Q_OBJECT

public:
    TfrmDhtmlEditor(IzqEditorHost* host, IzqEditorUi* ui, QWidget* parent = nullptr);
    ~TfrmDhtmlEditor() override;

    TzqNoteEditor* Logic() const { return FLogic; }
    TzqBrowseView* Browser() const { return FBrowser; }
    TzqWebEditView* EditView() const { return dhtml; }
    TzqSourceEdit* SourceView() const { return rchDhtml; }
    // The HTML view of the current mode (browse or edit); none in source mode.
    QWebEngineView* CurrentWebView() const;
    QMenu* PopupMenu() const { return pop; }
    TzqEditToolbars* EditToolbars() const { return FToolbars; }
    TzqPaste* Paster() const { return FPaste; }
    TzqInsertItems* InsertItems() const { return FInsertItems; }
    TfrmAttachedFiles* FilesPanel() const { return pnlFiles; }

    void LoadCurrentNote();
    // Loads one file (the search's display file) into the view of the current mode.
    void LoadFile(const QString& path);
    // Saves before the note is left (another page, another mode, a reload, the window closing):
    // a paste under way is settled into the document first, so the save includes it.
    bool SaveFile(const QString& path);
    bool SaveIfEditing();
    // Saves and stays (Ctrl+S, the exports): pastes under way go on.
    bool SaveNote();
    void ModeChanged();
    void FocusLater();
    void PrintNote();
    bool CloseEditor();
    void CheckExternalChange();
    bool AutoSaveRunning() const;
    void UpdateAutoSaveInterval();
    // Applies the settings of the attached files panel (after the settings dialog).
    void ApplySettings();
    // Ctrl+1 to Ctrl+9 in edit mode.
    void ApplyFormatPreset(int n);
    // The find dialog for the view of the current mode.
    void FindInNote();
    // Source mode: the find-and-replace dialog.
    void ReplaceInNote();
    TfrmFindInRich* FindDialog() const;
    TfrmFindReplace* ReplaceDialog() const;
    TfrmCharsGrid* CharsGrid() const { return FCharsGrid; }
    // "텍스트만 붙여넣기" (Shift+Ctrl+V): the clipboard's text as text, in edit and source mode.
    void PasteText();
    // Shift+Ctrl+Z: what the popup menu's "취소를 실행" does.
    void Redo();

Q_SIGNALS:
    // A page finished loading in the browse view (ok: it loaded).
    void BrowseLoadFinished(bool ok);

private:
    void ModeApplied(int mode);
    void tmrFocusTimer();
    void CreatePopupMenu();
    void ShowPopup(const QPoint& globalPos);
    void InsertChar(const QString& text);
    void CreatePasteLine();
    void CreateFilesPanel();
    // The panel lists the file folder of the note the edit view holds.
    void LoadFileList();
    IzqFindTarget* FindTarget(int mode) const;
    // The grid beside the edit view, in edit mode while its toolbar item is checked.
    void ShowCharsGrid();

    IzqEditorHost* FHost;
    IzqEditorUi* FUi;
    TzqEditToolbars* FToolbars = nullptr;
    TfrmCharsGrid* FCharsGrid = nullptr;
    TzqPaste* FPaste = nullptr;
    TzqInsertItems* FInsertItems = nullptr;
    TfrmAttachedFiles* pnlFiles = nullptr;
    QWidget* pnlPaste = nullptr;
    QLabel* labPaste = nullptr;
    QProgressBar* barPaste = nullptr;
    TzqBrowseFindTarget* FBrowseFind = nullptr;
    TzqEditFindTarget* FEditFind = nullptr;
    std::unique_ptr<TzqSourceFindTarget> FSourceFind;
    QPointer<TfrmFindInRich> FFindDialog;
    QPointer<TfrmFindReplace> FReplaceDialog;
    QStackedLayout* FViews = nullptr;
    QWidget* pnlWeb = nullptr;
    TzqBrowseView* FBrowser = nullptr;
    TzqWebEditView* dhtml = nullptr;
    TzqSourceEdit* rchDhtml = nullptr;
    TzqNoteEditor* FLogic = nullptr;
    QTimer* tmrFocus = nullptr;
    QMenu* pop = nullptr;
    // The files panel setting last applied.
    bool FShowFilesPanel = true;
};
