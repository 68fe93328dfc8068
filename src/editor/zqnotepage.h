#pragma once

#include <QUrl>
#include <QVariant>
#include <QWebEnginePage>
#include <functional>
#include <optional>

// The page behind the browse and edit views: the note scheme installed on its profile, the
// note's own scripts off, and every navigation the program did not start put to a check.
class TzqNotePage : public QWebEnginePage {
    Q_OBJECT

public:
    // Asked for link clicks and for main-frame navigations the program did not start; true lets
    // the navigation through.
    using TNavigationCheck = std::function<bool(const QUrl& url, bool isMainFrame)>;

    explicit TzqNotePage(QObject* parent = nullptr);

    void SetNavigationCheck(TNavigationCheck check) { FCheck = std::move(check); }

    // Loads a page for the program; this navigation is never put to the check.
    void NavigateOwn(const QUrl& url);

    // Runs a script in the program's own script world and waits for its result. None when the
    // script fails, gives nothing, or does not answer within the time-out. User input is held
    // back meanwhile so nothing else acts on the page during the wait.
    std::optional<QVariant> RunScript(const QString& script, int timeoutMs = 5000);

    // The document's vertical scroll position (-1 when it cannot be read) and scrolling to one.
    int ScrollTop();
    void ScrollTo(int y);

    // The script world of the program's own scripts.
    static quint32 ScriptWorld();

    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

protected:
    // A link that asks for a new window (target="_blank", a middle click) is put to the same
    // check as any other; no window opens.
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    bool IsOwnNavigation(const QUrl& url) const;

    TNavigationCheck FCheck;
    // The page the program is loading; only this navigation passes unchecked.
    QUrl FOwnUrl;
};
