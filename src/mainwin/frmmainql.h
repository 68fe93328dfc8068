#pragma once

#include "editor/frmdhtmleditor.h"
#include "mainwin/frmzqthreebuttons.h"
#include "mainwin/maincommands.h"
#include "mainwin/maindialogs.h"
#include "mainwin/mainexports.h"
#include "mainwin/maininput.h"
#include "mainwin/mainmodes.h"
#include "store/frmmenuandtree.h"
#include "store/zqtree.h"

#include <QMainWindow>
#include <memory>

class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;
class TTravList;
class TzqHistoryMenus;
class TzqMainTreeCommandHost;
class TzqTreeCommands;
class TzqTreeMenu;

// The main window: the tree panel on the left, the note views on the right, the tool bar with
// the File menu above, the status bar below. It lays them out and wires them; its commands,
// exports, input and modes are the concerns of the classes it owns.
class TfrmMainQL : public TfrmZqThreeButtons, public IzqTreeHost, public IzqEditorHost {
    Q_OBJECT

public:
    // furtherInstance: started with "zqzq" beside a running instance (placed 30 pixels down
    // and right).
    explicit TfrmMainQL(bool furtherInstance = false, QWidget* parent = nullptr);
    ~TfrmMainQL() override;

    TzqTree* Tree() const { return FTree; }
    TfrmMenuAndTree* MenuAndTree() const { return FMenuAndTree; }
    TfrmDhtmlEditor* DhtmlEditor() const { return FEditor; }
    TzqTreeCommands* Commands() const { return FCommands; }
    TTravList* History() const { return FHistory.get(); }
    TzqTreeMenu* TreeMenu() const { return popTree; }

    TzqMainCommands* MainCommands() const { return FMainCommands; }
    const TzqMainActions& Actions() const { return FMainCommands->Actions(); }
    TzqMainModes* Modes() const { return FModes; }
    TzqMainExports* Exports() const { return FExports; }
    // Null while the window is being made.
    TzqMainInput* Input() const { return FInput; }
    TzqMainDialogs* Dialogs() const { return FDialogs; }

    // A second start asked this instance to show itself: out of the tray, or to the front.
    void WakeUp();
    // The mode items (F6, F7, F8 and the tool bar end here): 0 browse, 1 edit, 2 source.
    void tbiBrowseClick(int wanted) { FModes->tbiBrowseClick(wanted); }
    // Saves the note when in edit or source mode; false when it could not be saved.
    bool SaveIfEditing() { return FModes->SaveIfEditing(); }

    // IzqTreeHost
    bool SaveFile(const QString& page) override;
    void LoadCurrentNote() override;
    void FocusLater() override;
    int ViewMode() const override { return FModes->ViewMode(); }
    void SetViewMode(int mode) override;
    void UpdateCaption(const QString& page) override;
    void ShowMsgBox(const QString& text) override;
    bool IsEnglishWindows() const override;
    QString MyName() const override;
    bool CtrlDrag() const override;
    void SaveTreeState() override;
    void RestoreTreeState() override;

    // IzqEditorHost
    bool TreeMode() const override { return FModes->TreeMode(); }
    QString CurrentPage() const override;
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

protected:
    void DoFirstShow() override;
    void DoFirstActivate() override;
    bool DoCloseQuery() override;
    void DoClose() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void CreateToolBar();
    void CreateStatusBar();
    void actTreeSplitterExecute();
    void PlaceTreeSplitterButton();
    void ApplicationStateChanged(Qt::ApplicationState state);
    void OpenFileMenu();

    TzqMainDialogs* FDialogs = nullptr;
    TzqMainModes* FModes = nullptr;
    TzqMainCommands* FMainCommands = nullptr;
    TzqMainExports* FExports = nullptr;
    TzqMainInput* FInput = nullptr;
    TzqTree* FTree = nullptr;
    TfrmMenuAndTree* FMenuAndTree = nullptr;
    TfrmDhtmlEditor* FEditor = nullptr;
    QToolBar* tbtMainMenu = nullptr;
    QSplitter* splMenuAndTree = nullptr;
    QToolButton* btnTreeSplitter = nullptr;
    QLabel* labStatus = nullptr;
    std::unique_ptr<TTravList> FHistory;
    TzqHistoryMenus* FHistoryMenus = nullptr;
    std::unique_ptr<TzqMainTreeCommandHost> FCommandHost;
    TzqTreeCommands* FCommands = nullptr;
    TzqTreeMenu* popTree = nullptr;
    QMenu* tbiFile = nullptr;
    QToolButton* btnFileMenu = nullptr;
};
