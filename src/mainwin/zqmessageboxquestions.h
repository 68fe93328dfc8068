#pragma once

#include "mainwin/izqquestions.h"

class QWidget;

// The questions as the platform's message boxes over a window, titled with the program's name.
class TzqMessageBoxQuestions : public IzqQuestions {
public:
    explicit TzqMessageBoxQuestions(QWidget* owner) : FOwner(owner) {}

    bool Confirm(const QString& text) override;
    void ShowError(const QString& text) override;

private:
    QWidget* FOwner;
};
