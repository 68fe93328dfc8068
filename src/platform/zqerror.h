#pragma once

#include <QString>
#include <stdexcept>

// An error a command raises; it ends the command and reaches the error box of the window
// that ran it. The text is shown to the user as it stands.
class EzqError : public std::runtime_error {
public:
    explicit EzqError(const QString& message)
        : std::runtime_error(message.toStdString()), FMessage(message)
    {
    }
    const QString& Message() const { return FMessage; }

private:
    QString FMessage;
};
