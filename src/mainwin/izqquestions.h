#pragma once

#include <QString>

// The questions a window asks its user and the errors it reports, as the window's logic sees
// them. The program answers them with message boxes; tests answer them from a script.
class IzqQuestions {
public:
    virtual ~IzqQuestions() = default;

    // A confirmation with OK and Cancel; true only for OK.
    virtual bool Confirm(const QString& text) = 0;
    virtual void ShowError(const QString& text) = 0;
};
