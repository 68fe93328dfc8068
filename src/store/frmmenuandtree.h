#pragma once

#include "store/foldersearch.h"

#include <QByteArray>
#include <QStringList>
#include <QWidget>

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QThread;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class TSearchIndex;
class TzqTree;
class TzqTreeView;

// What the tree panel needs from the main window.
class IzqTreePanelHost {
public:
    virtual ~IzqTreePanelHost() = default;
    // The editor saves the page shown (before another data directory is opened); false when
    // it could not be saved.
    virtual bool SaveCurrentPage() = 0;
    // The navigation history is emptied.
    virtual void ClearHistory() {}
    // The navigation history records a page (a search result shown).
    virtual void AddToHistory(const QString& path) {}
    // The editor loads the search's display file into the view of the current mode.
    virtual void ShowSearchResult(const QString& path) {}
    // The status line's progress bar shows done of total files searched.
    virtual void SearchProgress(int done, int total) {}
    // A modal warning box with an OK button.
    virtual void ShowWarning(const QString& text) {}
    // A modal error box.
    virtual void ShowError(const QString& text) {}
    // The main window goes into search mode as its "Search" button does: the page shown is
    // saved first; false when it could not be and the tree stays.
    virtual bool SwitchToSearchMode() { return true; }
};

// The left-hand panel: in tree mode the data directory choice and the note tree, in search
// mode the search box and the result list.
class TfrmMenuAndTree : public QWidget {
    Q_OBJECT

public:
    enum class TPanelMode { Tree, Search };

    TfrmMenuAndTree(IzqTreePanelHost* host, TzqTree* tree, QWidget* parent = nullptr);
    ~TfrmMenuAndTree() override;

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
    TPanelMode PanelMode() const { return FPanelMode; }

    QLineEdit* SearchBox() const { return edtSearch; }
    QCheckBox* SearchRootBox() const { return chkSearchRoot; }
    QPushButton* SearchButton() const { return btnSearch; }
    QTreeWidget* ResultList() const { return treeSearch; }
    const QStringList& ResultPaths() const { return FResultPaths; }
    bool HasSearchResults() const;
    TSearchIndex* SearchIndex() const { return FIndex; }

    // "찾기" and Enter in the search box: searches the notes below the folder of the page shown,
    // or below the data directory's root. The search runs in a worker thread; the button stays
    // disabled until it ends, and Esc cancels it.
    void btnSearchClick();
    bool Searching() const { return FSearchThread != nullptr; }
    // Esc: the search stops; what it found so far is listed.
    void CancelSearch();
    // The search is left (back to the tree, another data directory, the window closing): a
    // running search stops and nothing it found is listed or opened.
    void AbandonSearch();
    // The find-in-tree dialog; on OK the main window goes into search mode and the search
    // starts with the dialog's text.
    void FindInFolder();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SearchFilesCollected(int total);
    void SearchHitsFound(const QList<TSearchHit>& hits);
    void SearchFinished(const TSearchOutcome& outcome);
    void ClearResults();
    void AddResults(const QList<TSearchHit>& hits);
    QString CurrentResultPath() const;
    void treeSearchClick(QTreeWidgetItem* item);
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
    // The data directory open now, as the box's index.
    int FDataDirIndex = -1;
    TPanelMode FPanelMode = TPanelMode::Tree;
    QString FSearchText;      // the last search's text, A to Z lower-cased
    QStringList FResultPaths; // one page per result entry, in the list's order
    std::unique_ptr<TFolderSearch> FSearch;
    QThread* FSearchThread = nullptr;
    int FSearchTotal = 0;
    bool FSearchAbandoned = false;
    bool FHitOpenedWhileSearching = false;
    // The index of the data directory open now, in the user's cache folder.
    TSearchIndex* FIndex = nullptr;
};
