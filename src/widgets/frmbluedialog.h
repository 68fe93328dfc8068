#pragma once

#include "widgets/frmzqgraydialog.h"

#include "widgets/zqgradibutton.h"

// The base of the program's dialogs: the grey frame, a content area the dialog fills, and the
// gradient buttons "확인(&Y)" (the default, pressed by Enter) and "취소(&C)" (pressed by Esc)
// below it, in the colours all dialogs share.
class TfrmBlueDialog : public TfrmZqGrayDialog {
    Q_OBJECT

public:
    explicit TfrmBlueDialog(QWidget* parent = nullptr);

    // The area above the buttons; a dialog gives it a layout and its controls.
    QWidget* Content() const { return pnlContent; }
    TzqGradiButton* ConfirmButton() const { return btnConfirm; }
    TzqGradiButton* CancelButton() const { return btnCancel; }

protected:
    // "확인": the dialog closes as accepted. A dialog that checks its input first overrides it.
    virtual void btnConfirmClick();

private:
    QWidget* pnlContent = nullptr;
    TzqGradiButton* btnConfirm = nullptr;
    TzqGradiButton* btnCancel = nullptr;
};
