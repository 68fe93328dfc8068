#pragma once

#include "mainwin/frmzqgraydialog.h"

class QPushButton;

// The base of the program's dialogs: the grey frame, a content area the dialog fills, and the
// buttons "확인(&Y)" (the default) and "취소(&C)" below it.
class TfrmBlueDialog : public TfrmZqGrayDialog {
    Q_OBJECT

public:
    explicit TfrmBlueDialog(QWidget* parent = nullptr);

    // The area above the buttons; a dialog gives it a layout and its controls.
    QWidget* Content() const { return pnlContent; }
    QPushButton* ConfirmButton() const { return btnConfirm; }
    QPushButton* CancelButton() const { return btnCancel; }

protected:
    // "확인": the dialog closes as accepted. A dialog that checks its input first overrides it.
    virtual void btnConfirmClick();

private:
    QWidget* pnlContent = nullptr;
    QPushButton* btnConfirm = nullptr;
    QPushButton* btnCancel = nullptr;
};
