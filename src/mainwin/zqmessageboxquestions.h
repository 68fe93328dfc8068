#pragma once

#include "mainwin/izqquestions.h"
#include "tools/exporttarget.h"

class QWidget;

// The questions as the platform's message boxes and file dialog over a window, titled with the
// program's name.
class TzqMessageBoxQuestions : public IzqQuestions, public IzqExportUi {
public:
    explicit TzqMessageBoxQuestions(QWidget* owner) : FOwner(owner) {}

    bool Confirm(const QString& text) override;
    void ShowError(const QString& text) override;
    QString AskSaveFileName(const QString& caption, const QString& suggested,
                            const QString& filter) override;

private:
    QWidget* FOwner;
};
