#include "editor/zqbrowsefindtarget.h"

#include "editor/izqviews.h"
#include "editor/zqeditfindtarget.h"

#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

TzqBrowseFindTarget::TzqBrowseFindTarget(QWebEngineView* view) : QObject(view), FView(view) {}

QString TzqBrowseFindTarget::SelectedText() const
{
    return FView ? FView->selectedText() : QString();
}

void TzqBrowseFindTarget::StopFinding()
{
    FLastText.clear();
    if (FView)
        FView->page()->findText(QString());
}

void TzqBrowseFindTarget::FindNext(const QString& text, int options)
{
    if (!FView || text.isEmpty()) {
        Q_EMIT FindFinished(false);
        return;
    }
    const QPointer<TzqBrowseFindTarget> self(this);
    if (options & zqFindWholeWord) {
        StopFinding();
        FView->page()->runJavaScript(TzqEditFindTarget::FindScript(text, options),
                                     QWebEngineScript::ApplicationWorld,
                                     [self](const QVariant& found) {
                                         if (self)
                                             Q_EMIT self->FindFinished(found.toBool());
                                     });
        return;
    }
    // The engine goes on with its last search when the text is the same, and never answers
    // when that search's letter case differs: a new search begins then.
    const bool matchCase = options & zqFindMatchCase;
    if (text == FLastText && matchCase != FLastMatchCase)
        StopFinding();
    FLastText = text;
    FLastMatchCase = matchCase;
    QWebEnginePage::FindFlags flags;
    if (options & zqFindBackward)
        flags |= QWebEnginePage::FindBackward;
    if (options & zqFindMatchCase)
        flags |= QWebEnginePage::FindCaseSensitively;
    FView->page()->findText(text, flags, [self](const QWebEngineFindTextResult& result) {
        if (self)
            Q_EMIT self->FindFinished(result.numberOfMatches() > 0);
    });
}
