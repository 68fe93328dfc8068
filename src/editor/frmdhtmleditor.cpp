#include "editor/frmdhtmleditor.h"

#include "app/zqprjinfo.h"
#include "editor/notecontent.h"
#include "editor/zqnoteschemehandler.h"
#include "platform/zqerror.h"
#include "store/util.h"
#include "store/zqtree.h"
#include "store/zqtreeview.h"

#include <QApplication>

#include <QFileInfo>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

using namespace Qt::Literals::StringLiterals;

namespace {

// One handler for the whole program, installed on the default profile.
void InstallSchemeHandler()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    profile->installUrlSchemeHandler(NoteScheme, new TzqNoteSchemeHandler(profile));
}

// The page's own scripts never run: notes pasted from the web carry them.
void LockDown(QWebEngineView* view)
{
    QWebEngineSettings* s = view->settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    // Pages that name no installed font read in the Korean fonts of this system.
    s->setFontFamily(QWebEngineSettings::StandardFont, u"NanumGothic"_s);
    s->setFontFamily(QWebEngineSettings::SansSerifFont, u"NanumGothic"_s);
    s->setFontFamily(QWebEngineSettings::SerifFont, u"NanumMyeongjo"_s);
    s->setFontFamily(QWebEngineSettings::FixedFont, u"NanumGothicCoding"_s);
}

} // namespace

TfrmDhtmlEditor::TfrmDhtmlEditor(IzqEditorHost* host, TzqTree* tree, QWidget* parent)
    : QWidget(parent), FHost(host), FTree(tree)
{
    setObjectName(u"DhtmlEditor"_s);
    InitEditor();
}

void TfrmDhtmlEditor::InitEditor()
{
    InstallSchemeHandler();
    FViews = new QStackedLayout(this);
    FViews->setContentsMargins(0, 0, 0, 0);

    pnlWeb = new QWidget(this);
    pnlWeb->setObjectName(u"pnlWeb"_s);
    auto* webLayout = new QVBoxLayout(pnlWeb);
    webLayout->setContentsMargins(0, 0, 0, 0);
    FBrowser = new QWebEngineView(pnlWeb);
    FBrowser->setObjectName(u"FBrowser"_s);
    LockDown(FBrowser);
    FBrowser->setUrl(QUrl(u"about:blank"_s));
    webLayout->addWidget(FBrowser);
    FViews->addWidget(pnlWeb);
    connect(FBrowser, &QWebEngineView::loadFinished, this, [this](bool ok) {
        FBrowseLoading = false;
        Q_EMIT BrowseLoadFinished(ok);
    });

    tmrFocus = new QTimer(this);
    tmrFocus->setSingleShot(true);
    tmrFocus->setInterval(300);
    connect(tmrFocus, &QTimer::timeout, this, &TfrmDhtmlEditor::tmrFocusTimer);
}

void TfrmDhtmlEditor::LoadCurrentNote()
{
    const QString path = FTree->CurrentPage();
    if (path.isEmpty())
        return;
    bool exists = false;
    try {
        exists =
            PreparePageForLoad(path, PrjInfo ? PrjInfo->FolderNoteDefault() : QList<QByteArray>());
    } catch (const EzqError& e) {
        FHost->ShowError(e.Message());
        return;
    }
    if (!exists) {
        FHost->ShowError(u"파일이 없어 읽어 들일 수 없습니다."_s);
        return;
    }
    LoadFile(path);
    FHost->AddToHistory(path);
}

void TfrmDhtmlEditor::LoadFile(const QString& path)
{
    if (!QFileInfo::exists(path))
        return;
    FBrowseLoading = true;
    FBrowser->setUrl(NoteUrl(path));
    FFileTime = FileLastWriteTime(path);
    FocusLater();
}

void TfrmDhtmlEditor::SaveFile(const QString& path)
{
    // Only the editing views write; the browse view has nothing to save.
    if (path.isEmpty() || !FHost->TreeMode())
        return;
    if (!path.isEmpty())
        FFileTime = FileLastWriteTime(path);
}

void TfrmDhtmlEditor::SaveIfEditing()
{
    if (FHost->ViewMode() != 0)
        SaveFile(FTree->CurrentPage());
}

void TfrmDhtmlEditor::ModeChanged()
{
    FViews->setCurrentWidget(pnlWeb);
    LoadCurrentNote();
}

void TfrmDhtmlEditor::FocusLater()
{
    tmrFocus->start();
}

void TfrmDhtmlEditor::tmrFocusTimer()
{
    if (!isVisible() || !window()->isActiveWindow())
        return;
    if (auto* tree = qobject_cast<TzqTreeView*>(QApplication::focusWidget());
        tree && tree->KeyboardNavigating())
        return;
    FBrowser->setFocus();
}

void TfrmDhtmlEditor::PrintNote() {}

void TfrmDhtmlEditor::CloseEditor()
{
    SaveFile(FTree->CurrentPage());
}

void TfrmDhtmlEditor::CheckExternalChange() {}

bool TfrmDhtmlEditor::AutoSaveRunning() const
{
    return false;
}

QWebEngineView* TfrmDhtmlEditor::CurrentWebView() const
{
    return FBrowser;
}
