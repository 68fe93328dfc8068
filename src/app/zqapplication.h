#pragma once

#include <QApplication>

// The application object. An error raised while an event is handled never takes the program
// down: a command's error (EzqError) reaches the error box, anything else is swallowed so the
// window stays usable.
class TzqApplication : public QApplication {
    Q_OBJECT

public:
    TzqApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // SIGTERM and SIGHUP close the windows as the user would, so the note being edited is
    // saved and its edit marker removed before the program ends.
    void CloseOnTerminationSignals();
};
