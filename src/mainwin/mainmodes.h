#pragma once

#include "mainwin/zqviewmodes.h"
#include "store/frmmenuandtree.h"

#include <QObject>

class QLabel;
class QProgressBar;
class QToolButton;
class TfrmMainQL;

// The main window's view mode and tree mode: the mode items and the status bar's Tree and
// Search buttons end here, and the tree panel's search asks here.
class TzqMainModes : public QObject, public IzqViewModeHost, public IzqTreePanelHost {
    Q_OBJECT

public:
    explicit TzqMainModes(TfrmMainQL* window);

    int ViewMode() const { return FModes.ViewMode(); }
    bool TreeMode() const { return FModes.TreeMode(); }
    // The status bar's mode buttons, its status label and its search progress bar.
    void SetStatusWidgets(QToolButton* toTree, QToolButton* toSearch, QLabel* status,
                          QProgressBar* bar);

    void SetViewMode(int mode);
    // The mode items (F6, F7, F8 and the tool bar end here): 0 browse, 1 edit, 2 source.
    void tbiBrowseClick(int wanted);
    // False when the note being edited could not be saved and nothing changed.
    bool SetTreeMode(bool tree);
    void btnToTreeModeClick();
    bool btnToSearchModeClick();
    // The window closes: the edit marker goes.
    void ReleaseEditMarker() { FModes.ReleaseEditMarker(); }

    // IzqViewModeHost
    bool IsEnglishWindows() const override;
    QString CurrentPage() const override;
    bool EditItemEnabled() const override;
    void UpdateCaption(const QString& page) override;
    void DeleteEditMarker(const QString& page) override;
    bool IsLockedByOther(const QString& page) override;
    void WriteEditMarker(const QString& page) override;
    bool SaveIfEditing() override;
    void ModeChanged() override;
    void FocusLater() override;
    QString TextEditor() const override;
    void OpenWithTextEditor(const QString& page) override;
    void ShowMessage(const QString& text) override;
    void CheckModeItem(int mode) override;
    void SetPanelMode(bool tree) override;
    void TreeModeChanged(bool tree) override;
    void LoadCurrentNote() override;

    // IzqTreePanelHost
    bool SaveCurrentPage() override;
    void ClearHistory() override;
    void AddToHistory(const QString& path) override;
    void ShowSearchResult(const QString& path) override;
    void SearchProgress(int done, int total) override;
    void ShowWarning(const QString& text) override;
    void ShowError(const QString& text) override;
    bool SwitchToSearchMode() override;

private:
    TfrmMainQL* W;
    TzqViewModes FModes{this};
    QToolButton* btnToTreeMode = nullptr;
    QToolButton* btnToSearchMode = nullptr;
    QLabel* labStatus = nullptr;
    QProgressBar* bar = nullptr;
};
