#include "editor/zqnotepage.h"

#include "editor/notecontent.h"
#include "editor/zqnoteschemehandler.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// One handler per profile; the editor frame may have installed it already.
void EnsureSchemeHandler(QWebEngineProfile* profile)
{
    if (profile->urlSchemeHandler(NoteScheme))
        return;
    profile->installUrlSchemeHandler(NoteScheme, new TzqNoteSchemeHandler(profile));
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
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
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
    FOwnPending = true;
    setUrl(url);
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
        if (FOwnPending || type == NavigationTypeReload) {
            FOwnPending = false;
            return true;
        }
    } else if (!isMainFrame && type != NavigationTypeLinkClicked) {
        // Frames inside a note load what the note names.
        return true;
    }
    return !FCheck || FCheck(url, isMainFrame);
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
