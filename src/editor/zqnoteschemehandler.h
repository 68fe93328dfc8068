#pragma once

#include <QWebEngineUrlSchemeHandler>

// Answers every request of the note scheme: notes converted from CP949 to UTF-8, other files
// as their bytes.
class TzqNoteSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT

public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    // Registers the scheme with the browser engine; must run before the application object
    // is created.
    static void RegisterScheme();

    void requestStarted(QWebEngineUrlRequestJob* job) override;
};
