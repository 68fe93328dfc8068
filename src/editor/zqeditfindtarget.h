#pragma once

#include "editor/izqfindtarget.h"

#include <QObject>
#include <QPointer>

class QWebEngineView;

// Finding in the edit view: the document's own find moves the document's selection to the
// match, so typing, formatting and a further search go on from there.
class TzqEditFindTarget : public QObject, public IzqFindTarget {
    Q_OBJECT

public:
    // The target belongs to the view.
    explicit TzqEditFindTarget(QWebEngineView* view);

    QString SelectedText() const override;
    // The search runs in the page; FindFinished tells how it ended.
    void FindNext(const QString& text, int options) override;

    // The script that moves the selection to the next match and answers whether there was one.
    static QString FindScript(const QString& text, int options);

Q_SIGNALS:
    void FindFinished(bool found);

private:
    QPointer<QWebEngineView> FView;
};
