#pragma once

#include "editor/frmdhtmleditor.h"
#include "store/frmmenuandtree.h"
#include "store/zqtree.h"

#include <QMainWindow>

class QLabel;
class QSplitter;

// The main window: the tree panel on the left, the note views on the right, the status bar
// below. It owns the view mode and the tree mode that the tree and the editor consult.
class TfrmMainQL : public QMainWindow,
                   public IzqTreeHost,
                   public IzqEditorHost,
                   public IzqTreePanelHost {
    Q_OBJECT

public:
    // furtherInstance: started with "zqzq" beside a running instance (placed 30 pixels down
    // and right).
    explicit TfrmMainQL(bool furtherInstance = false, QWidget* parent = nullptr);
    ~TfrmMainQL() override;

    TzqTree* Tree() const { return FTree; }
    TfrmMenuAndTree* MenuAndTree() const { return FMenuAndTree; }
    TfrmDhtmlEditor* DhtmlEditor() const { return FEditor; }

    // First activation: placement, then the page shown before the last exit. Runs once; the
    // start-up calls it itself for a window that starts hidden.
    void FormActivate();
    // A second start asked this instance to show itself.
    void BringToForeground();

    // IzqTreeHost
    void SaveFile(const QString& page) override;
    void LoadCurrentNote() override;
    void FocusLater() override;
    int ViewMode() const override { return FViewMode; }
    void SetViewMode(int mode) override;
    void UpdateCaption(const QString& page) override;
    void ShowMsgBox(const QString& text) override;
    bool IsEnglishWindows() const override;
    QString MyName() const override;
    bool CtrlDrag() const override;
    void SaveTreeState() override;
    void RestoreTreeState() override;

    // IzqEditorHost
    bool TreeMode() const override { return FTreeMode; }
    void ShowError(const QString& text) override;

    // IzqTreePanelHost
    void SaveCurrentPage() override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void StorePlacement();

    bool FFurtherInstance;
    int FViewMode = -1;
    bool FTreeMode = true;
    bool FActivatedOnce = false;
    bool FShownOnce = false;
    TzqTree* FTree = nullptr;
    TfrmMenuAndTree* FMenuAndTree = nullptr;
    TfrmDhtmlEditor* FEditor = nullptr;
    QSplitter* splMenuAndTree = nullptr;
    QLabel* labStatus = nullptr;
};
