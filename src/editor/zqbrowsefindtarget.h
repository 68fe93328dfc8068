#pragma once

#include "editor/izqfindtarget.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QWebEngineView;

// Finding in the browse view. The engine's find highlights every match and marks the current
// one, scrolled into view; each further search moves to the next (or, backward, the previous)
// one and goes round at the end. The engine has no whole-word search: with that option the
// document's own find selects the next whole-word match instead, without highlights and
// without going round.
class TzqBrowseFindTarget : public QObject, public IzqFindTarget {
    Q_OBJECT

public:
    // The target belongs to the view.
    explicit TzqBrowseFindTarget(QWebEngineView* view);

    QString SelectedText() const override;
    void FindNext(const QString& text, int options) override;

    // Removes the highlights of the last search.
    void StopFinding();

Q_SIGNALS:
    void FindFinished(bool found);

private:
    QPointer<QWebEngineView> FView;
    // The engine's search under way.
    QString FLastText;
    bool FLastMatchCase = false;
};
