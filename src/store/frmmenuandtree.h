#pragma once

#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolBar;
class QTreeWidget;
class TzqTree;
class TzqTreeView;

// What the tree panel needs from the main window.
class IzqTreePanelHost {
public:
    virtual ~IzqTreePanelHost() = default;
    // The editor saves the page shown (before another data directory is opened).
    virtual void SaveCurrentPage() = 0;
    // The navigation history is emptied.
    virtual void ClearHistory() {}
};

// The left-hand panel: in tree mode the data directory choice and the note tree, in search
// mode the search box and the result list.
class TfrmMenuAndTree : public QWidget {
    Q_OBJECT

public:
    enum class TPanelMode { Tree, Search };

    TfrmMenuAndTree(IzqTreePanelHost* host, TzqTree* tree, QWidget* parent = nullptr);

    TzqTree* Tree() const { return FTree; }
    TzqTreeView* TreeView() const { return FTreeView; }
    QComboBox* DataDirBox() const { return cmbDataDir; }
    QAction* NewFolderAction() const { return actFileNewFolder; }
    QAction* NewNoteAction() const { return actFileNewNote; }
    QAction* DeleteAction() const { return actFileDelete; }

    void LoadDataDirList();
    void OpenLastDataDir();
    void SaveTreeState();
    void RestoreTreeState();
    void SetPanelMode(TPanelMode mode);
    // The stored panel width (TreeWidth, at least 2).
    int StoredWidth() const;

private:
    void cmbDataDirSelect(int index);
    void SwitchDataDir(const QString& dir, bool shared);

    IzqTreePanelHost* FHost;
    TzqTree* FTree;
    QWidget* pnlTreeMode = nullptr;
    QWidget* pnlSearchMode = nullptr;
    QToolBar* tbtFolder = nullptr;
    QComboBox* cmbDataDir = nullptr;
    TzqTreeView* FTreeView = nullptr;
    QAction* actFileNewFolder = nullptr;
    QAction* actFileNewNote = nullptr;
    QAction* actFileDelete = nullptr;
    QLineEdit* edtSearch = nullptr;
    QCheckBox* chkSearchRoot = nullptr;
    QPushButton* btnSearch = nullptr;
    QTreeWidget* treeSearch = nullptr;
    bool FFillingList = false;
};
