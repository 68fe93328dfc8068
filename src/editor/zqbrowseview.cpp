#include "editor/zqbrowseview.h"

#include "editor/notecontent.h"

#include <QPrintDialog>
#include <QPrinter>

using namespace Qt::Literals::StringLiterals;

TzqBrowseView::TzqBrowseView(QWidget* parent) : QWebEngineView(parent)
{
    setObjectName(u"FBrowser"_s);
    FPage = new TzqNotePage(this);
    setPage(FPage);
    connect(FPage, &QWebEnginePage::loadFinished, this,
            [this](bool ok) { Q_EMIT DocumentComplete(ok); });
    connect(FPage, &QWebEnginePage::linkHovered, this,
            [this](const QString& url) { Q_EMIT StatusText(url); });
    connect(this, &QWebEngineView::printFinished, this, [this](bool) { FPrinter.reset(); });
}

TzqBrowseView::~TzqBrowseView() = default;

void TzqBrowseView::SetNavigationCheck(TzqNotePage::TNavigationCheck check)
{
    FPage->SetNavigationCheck(std::move(check));
}

void TzqBrowseView::Navigate(const QString& path)
{
    FPage->NavigateOwn(NoteUrl(path));
}

void TzqBrowseView::Refresh()
{
    FPage->triggerAction(QWebEnginePage::Reload);
}

void TzqBrowseView::Stop()
{
    FPage->triggerAction(QWebEnginePage::Stop);
}

int TzqBrowseView::ScrollTop()
{
    return FPage->ScrollTop();
}

void TzqBrowseView::ScrollTo(int y)
{
    FPage->ScrollTo(y);
}

void TzqBrowseView::Print()
{
    if (FPrinter)
        return; // one print job at a time
    auto printer = std::make_unique<QPrinter>();
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The engine prints after this returns; the printer lives until it is done.
    FPrinter = std::move(printer);
    print(FPrinter.get());
}

void TzqBrowseView::Clear()
{
    FPage->NavigateOwn(QUrl(u"about:blank"_s));
}
