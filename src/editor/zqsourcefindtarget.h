#pragma once

#include "editor/izqfindtarget.h"

#include <QPointer>

class QPlainTextEdit;

// Finding in the source view's plain text.
class TzqSourceFindTarget : public IzqFindTarget {
public:
    explicit TzqSourceFindTarget(QPlainTextEdit* edit);

    // Up to the first line break: the search box holds one line.
    QString SelectedText() const override;
    void FindNext(const QString& text, int options) override;

    // Whether the last FindNext found something.
    bool LastFound() const { return FLastFound; }

private:
    QPointer<QPlainTextEdit> FEdit;
    bool FLastFound = false;
};
