#pragma once

#include <QString>
#include <QWidget>

class QStackedLayout;
class QTimer;
class QWebEngineView;
class TzqTree;

// What the editor needs from the main window.
class IzqEditorHost {
public:
    virtual ~IzqEditorHost() = default;
    virtual int ViewMode() const = 0;
    // The tree (not the search list) is shown.
    virtual bool TreeMode() const = 0;
    // The navigation history records a page that was loaded.
    virtual void AddToHistory(const QString& path) {}
    // An error or notice the user must see.
    virtual void ShowError(const QString& text) = 0;
};

// The editor frame: shows the tree's current page in the view of the current mode and writes
// it back. This build has the browse view; editing views plug in beside it.
class TfrmDhtmlEditor : public QWidget {
    Q_OBJECT

public:
    TfrmDhtmlEditor(IzqEditorHost* host, TzqTree* tree, QWidget* parent = nullptr);

    void InitEditor();
    void LoadCurrentNote();
    void LoadFile(const QString& path);
    void SaveFile(const QString& path);
    void SaveIfEditing();
    void ModeChanged();
    void FocusLater();
    void PrintNote();
    void CloseEditor();
    void CheckExternalChange();
    bool AutoSaveRunning() const;
    // The HTML view of the current mode (browse or edit); none in source mode.
    QWebEngineView* CurrentWebView() const;

    QWebEngineView* Browser() const { return FBrowser; }
    qint64 FileTime() const { return FFileTime; }

Q_SIGNALS:
    // A page finished loading in the browse view (ok: it loaded).
    void BrowseLoadFinished(bool ok);

private:
    void tmrFocusTimer();

    IzqEditorHost* FHost;
    TzqTree* FTree;
    QStackedLayout* FViews = nullptr;
    QWidget* pnlWeb = nullptr;
    QWebEngineView* FBrowser = nullptr;
    QTimer* tmrFocus = nullptr;
    qint64 FFileTime = 0;
    bool FBrowseLoading = false;
};
