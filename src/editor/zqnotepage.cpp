#include "editor/zqnotepage.h"

#include "editor/notecontent.h"
#include "editor/zqnoteschemehandler.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// Keeps every "file:" address away from the views: notes reach files through the note
// scheme only, which serves nothing outside the stores.
class TzqFileUrlBlocker : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        if (info.requestUrl().isLocalFile() ||
            info.requestUrl().scheme().compare(u"file"_s, Qt::CaseInsensitive) == 0)
            info.block(true);
    }
};

// One handler and one blocker per profile; another view may have installed them already.
void EnsureSchemeHandler(QWebEngineProfile* profile)
{
    if (profile->urlSchemeHandler(NoteScheme))
        return;
    profile->installUrlSchemeHandler(NoteScheme, new TzqNoteSchemeHandler(profile));
    profile->setUrlRequestInterceptor(new TzqFileUrlBlocker(profile));
}

} // namespace

TzqNotePage::TzqNotePage(QObject* parent)
    : QWebEnginePage(QWebEngineProfile::defaultProfile(), parent)
{
    EnsureSchemeHandler(profile());
    QWebEngineSettings* s = settings();
    // Notes pasted from the web carry scripts; they never run. The program's own scripts run
    // in their own world and are not affected.
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    // Notes reach their pictures through the note scheme only, which serves nothing outside
    // the stores; a "file:" picture of a note would read any file of the machine.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    // Pages that name no installed font read in the Korean fonts of this system.
    s->setFontFamily(QWebEngineSettings::StandardFont, u"NanumGothic"_s);
    s->setFontFamily(QWebEngineSettings::SansSerifFont, u"NanumGothic"_s);
    s->setFontFamily(QWebEngineSettings::SerifFont, u"NanumMyeongjo"_s);
    s->setFontFamily(QWebEngineSettings::FixedFont, u"NanumGothicCoding"_s);
}

quint32 TzqNotePage::ScriptWorld()
{
    return QWebEngineScript::ApplicationWorld;
}

void TzqNotePage::NavigateOwn(const QUrl& url)
{
    FOwnUrl = url;
    setUrl(url);
}

bool TzqNotePage::IsOwnNavigation(const QUrl& url) const
{
    if (FOwnUrl.isEmpty())
        return false;
    // The engine hands the address back in its own spelling.
    const QString own = NotePathFromUrl(FOwnUrl);
    return own.isEmpty() ? url == FOwnUrl : NotePathFromUrl(url) == own;
}

std::optional<QVariant> TzqNotePage::RunScript(const QString& script, int timeoutMs)
{
    // The answer may come after a time-out, when this frame is gone: it lands in shared state.
    struct TState {
        QVariant Value;
        bool Done = false;
        QEventLoop* Loop = nullptr;
    };
    auto state = std::make_shared<TState>();
    QEventLoop loop;
    state->Loop = &loop;
    runJavaScript(script, ScriptWorld(), [state](const QVariant& v) {
        state->Value = v;
        state->Done = true;
        if (state->Loop)
            state->Loop->quit();
    });
    if (!state->Done) {
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(timeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    state->Loop = nullptr;
    if (!state->Done || !state->Value.isValid() || state->Value.isNull())
        return std::nullopt;
    return state->Value;
}

bool TzqNotePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && type != NavigationTypeLinkClicked) {
        if (IsOwnNavigation(url)) {
            FOwnUrl.clear();
            return true;
        }
        // The program's refresh of the page shown.
        if (type == NavigationTypeReload && url == this->url())
            return true;
    } else if (!isMainFrame && type != NavigationTypeLinkClicked) {
        // Frames inside a note load what the note names.
        return true;
    }
    return !FCheck || FCheck(url, isMainFrame);
}

namespace {

// The page a new window would show: it takes the first navigation's address to the check of
// the page the link is on, lets nothing load, and goes.
class TzqWindowCatcher : public QWebEnginePage {
public:
    TzqWindowCatcher(QWebEngineProfile* profile, TzqNotePage::TNavigationCheck check,
                     QObject* parent)
        : QWebEnginePage(profile, parent), FCheck(std::move(check))
    {
    }

    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        if (isMainFrame && !FDone) {
            FDone = true;
            if (FCheck)
                FCheck(url, true);
            deleteLater();
        }
        return false;
    }

private:
    TzqNotePage::TNavigationCheck FCheck;
    bool FDone = false;
};

} // namespace

QWebEnginePage* TzqNotePage::createWindow(WebWindowType)
{
    return new TzqWindowCatcher(profile(), FCheck, this);
}

int TzqNotePage::ScrollTop()
{
    const std::optional<QVariant> v = RunScript(u"Math.round(window.scrollY)"_s);
    return v ? v->toInt() : -1;
}

void TzqNotePage::ScrollTo(int y)
{
    runJavaScript(u"window.scrollTo(window.scrollX, %1)"_s.arg(y), ScriptWorld());
}
