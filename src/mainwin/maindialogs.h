#pragma once

#include "editor/izqeditorhost.h"

#include <QObject>

class QWidget;

// The main window's message boxes and questions, over the window.
class TzqMainDialogs : public QObject, public IzqEditorUi {
    Q_OBJECT

public:
    explicit TzqMainDialogs(QWidget* window);

    // IzqEditorUi
    void ShowError(const QString& text) override;
    void ShowMsgBox(const QString& text) override;
    bool AskReload() override;
    TzqSaveConflictAnswer AskSaveConflict(const QString& page) override;

    void ShowWarning(const QString& text);
    // A plain message box.
    void ShowMessage(const QString& text);
    // OK and Cancel; true on OK.
    bool Confirm(const QString& text);

private:
    QWidget* FWindow;
};
