#pragma once

#include "editor/frmdhtmleditor.h"
#include "mainwin/frmzqthreebuttons.h"
#include "mainwin/zqgesture.h"
#include "mainwin/zqkeytable.h"
#include "mainwin/zqviewmodes.h"
#include "mainwin/zqwheelsteps.h"
#include "store/frmmenuandtree.h"
#include "store/zqtree.h"

#include <QMainWindow>
#include <memory>
#include <optional>

#include <QPointer>

class QAction;
class QActionGroup;
class QKeyEvent;
class QLabel;
class QMenu;
class QMouseEvent;
class QProgressBar;
class QTimer;
class QWheelEvent;
class IzqInputModeSource;
class TzqInputModeWatcher;
class QSplitter;
class QToolBar;
class QToolButton;
class TTravList;
class TfrmNotePad;
class IzqExportUi;
class TzqFileOpDialogs;
class TzqMessageBoxQuestions;
class TzqHistoryMenus;
class TzqTreeCommands;
class TzqTreeMenu;

// The main window: the tree panel on the left, the note views on the right, the tool bar with
// the File menu above, the status bar below. It owns the view mode and the tree mode that the
// tree and the editor consult.
class TfrmMainQL : public TfrmZqThreeButtons,
                   public IzqTreeHost,
                   public IzqEditorHost,
                   public IzqEditorUi,
                   public IzqTreePanelHost,
                   public IzqViewModeHost {
    Q_OBJECT

public:
    // furtherInstance: started with "zqzq" beside a running instance (placed 30 pixels down
    // and right).
    explicit TfrmMainQL(bool furtherInstance = false, QWidget* parent = nullptr);
    ~TfrmMainQL() override;

    TzqTree* Tree() const { return FTree; }
    TfrmMenuAndTree* MenuAndTree() const { return FMenuAndTree; }
    TfrmDhtmlEditor* DhtmlEditor() const { return FEditor; }
    TzqViewModes& Modes() { return FModes; }
    TzqTreeCommands* Commands() const { return FCommands; }
    TTravList* History() const { return FHistory.get(); }
    TzqTreeMenu* TreeMenu() const { return popTree; }

    // A second start asked this instance to show itself: out of the tray, or to the front.
    void WakeUp();

    // The mode items (F6, F7, F8 and the tool bar end here): 0 browse, 1 edit, 2 source.
    void tbiBrowseClick(int wanted);
    // False when the note being edited could not be saved and nothing changed.
    bool SetTreeMode(bool tree);
    void btnToTreeModeClick();
    bool btnToSearchModeClick();
    void tbiExecAnotherClick();
    // Re-reads which commands are enabled.
    void UpdateActions();

    // The exports of a page (a note, or a folder's page for the whole folder): the note being
    // edited is saved first, and nothing happens when that fails.
    void MakeZipOf(const QString& page);
    void SaveMhtOf(const QString& page);
    // The web archive of the page shown, handed to the desktop's mail program.
    void MailCurrentNote();
    // The clean-up of a folder's file folders; the view goes to browse mode first.
    void CleanFolder(const QString& folder);
    // The save-file dialog and the errors of the exports; null restores the platform's own.
    void SetExportUi(IzqExportUi* ui);
    QAction* Action(const QString& objectName) const;

    // The keys of the whole window, decided by the key table and done here; also what the
    // menu shows for them.
    void RunKeyCommand(const TzqKeyDecision& decision);
    // The input-mode mark near the caret and its timer.
    void ShowHangulMark(bool show);
    void tmrHangulMarkTimer();
    QLabel* HangulMark() const { return pnlHangulMark; }
    // Who tells Hangul from English input; null restores the desktop's own.
    void SetInputModeSource(IzqInputModeSource* source);
    const TzqGesture& Gesture() const { return FGesture; }
    // The screen rectangle of the note's views.
    QRect NoteViewRect() const;

    // IzqTreeHost
    bool SaveFile(const QString& page) override;
    void LoadCurrentNote() override;
    void FocusLater() override;
    int ViewMode() const override { return FModes.ViewMode(); }
    void SetViewMode(int mode) override;
    void UpdateCaption(const QString& page) override;
    void ShowMsgBox(const QString& text) override;
    bool IsEnglishWindows() const override;
    QString MyName() const override;
    bool CtrlDrag() const override;
    void SaveTreeState() override;
    void RestoreTreeState() override;
    void SkipNextHistoryRecord() override;

    // IzqEditorHost
    bool TreeMode() const override { return FModes.TreeMode(); }
    QString RootDir() const override;
    bool Shared() const override;
    QString CharSet() const override;
    int AutoSaveMinutes() const override;
    bool ChangeMsg() const override;
    QList<QByteArray> FolderNoteDefault() const override;
    void AddToHistory(const QString& path) override;
    bool SelectByRelativePath(const QString& relativePath) override;
    void OpenWithShell(const QString& target) override;
    void SetEditItemsEnabled(bool enabled) override;
    void ShowStatusText(const QString& text) override;

    // IzqEditorUi
    void ShowError(const QString& text) override;
    bool AskReload() override;
    TzqSaveConflictAnswer AskSaveConflict(const QString& page) override;

    // IzqTreePanelHost
    bool SaveCurrentPage() override;
    void ClearHistory() override;
    void ShowSearchResult(const QString& path) override;
    void SearchProgress(int done, int total) override;
    void ShowWarning(const QString& text) override;
    bool SwitchToSearchMode() override;

    // IzqViewModeHost
    QString CurrentPage() const override;
    bool EditItemEnabled() const override;
    void DeleteEditMarker(const QString& page) override;
    bool IsLockedByOther(const QString& page) override;
    void WriteEditMarker(const QString& page) override;
    bool SaveIfEditing() override;
    void ModeChanged() override;
    bool AutoSaveRunning() const;
    QString TextEditor() const override;
    void OpenWithTextEditor(const QString& page) override;
    void ShowMessage(const QString& text) override;
    void CheckModeItem(int mode) override;
    void SetPanelMode(bool tree) override;
    void TreeModeChanged(bool tree) override;

protected:
    void DoFirstShow() override;
    void DoFirstActivate() override;
    bool DoCloseQuery() override;
    void DoClose() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void CreateActions();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateHangulMark();
    QAction* NewAction(const QString& name, const QString& caption, const QString& icon,
                       const QString& hint = {}, const QKeySequence& key = {});
    void ShowWhoEdits();
    void Zoom(int step);
    void actTreeSplitterExecute();
    void PlaceTreeSplitterButton();
    void ApplicationStateChanged(Qt::ApplicationState state);
    void GoHistory(int step);
    // Every event of the application passes here first while the window is active: the keys,
    // the right-button gestures over the note and the wheel over the tree panel.
    bool AppMessage(QObject* watched, QEvent* event);
    TzqKeyInput KeyInput(const QKeyEvent* key) const;
    bool GestureEvent(QWidget* target, QMouseEvent* mouse);
    // The widget lies in one of the note's views.
    bool InNoteViews(const QWidget* widget) const;
    void RunGesture(TzqGesture::TAction action);
    // A right click that was no gesture: the widget under the pointer gets it as it would have.
    void ReplayContextMenu(QPoint globalPos);
    void ScrollNote(bool toEnd);
    bool RouteWheel(QWidget* target, QWheelEvent* wheel);
    void OpenFileMenu();
    void ClickEditItem(const QString& name);
    void actFileExecute(int tag);
    // "환경설정": saves and leaves the note, then applies what the dialog changed.
    void actToolConfigExecute();
    // Saves the note being edited, then asks where the export of page goes (the caption of
    // the action, the suffix appended); nothing when the save fails or the user cancels.
    std::optional<QString> ChooseExportFile(const QString& page, const QString& action,
                                            const QString& suffix);

    class TCommandHost;
    friend class TCommandHost;

    TzqViewModes FModes{this};
    bool FEditItemsEnabled = true;
    TzqTree* FTree = nullptr;
    TfrmMenuAndTree* FMenuAndTree = nullptr;
    TfrmDhtmlEditor* FEditor = nullptr;
    QToolBar* tbtMainMenu = nullptr;
    QSplitter* splMenuAndTree = nullptr;
    QToolButton* btnTreeSplitter = nullptr;
    QToolButton* btnToTreeMode = nullptr;
    QToolButton* btnToSearchMode = nullptr;
    QLabel* labStatus = nullptr;
    QProgressBar* bar = nullptr;
    QActionGroup* FModeItems = nullptr;
    QAction* tbiBrowse = nullptr;
    QAction* tbiEdit = nullptr;
    QAction* tbiSource = nullptr;
    QAction* tbiReload = nullptr;
    QPointer<TfrmNotePad> FNotePad;
    std::unique_ptr<TTravList> FHistory;
    TzqHistoryMenus* FHistoryMenus = nullptr;
    std::unique_ptr<TzqFileOpDialogs> FFileOpUi;
    std::unique_ptr<TCommandHost> FCommandHost;
    std::unique_ptr<TzqMessageBoxQuestions> FOwnExportUi;
    IzqExportUi* FExportUi = nullptr;
    // Where the last export went; the next one starts there.
    QString FExportDir;
    TzqTreeCommands* FCommands = nullptr;
    TzqTreeMenu* popTree = nullptr;
    QMenu* tbiFile = nullptr;
    QToolButton* btnFileMenu = nullptr;
    TzqGesture FGesture;
    // A replayed right click passes untouched.
    bool FReplayingClick = false;
    // The widget the right button went down on for a gesture.
    QPointer<QWidget> FGestureTarget;
    // The input mode the mark shows; none before the first tick.
    std::optional<bool> FMarkHangul;
    TzqWheelSteps FGridWheel;
    QLabel* pnlHangulMark = nullptr;
    QTimer* tmrHangulMark = nullptr;
    TzqInputModeWatcher* FOwnInputMode = nullptr;
    IzqInputModeSource* FInputMode = nullptr;
};
