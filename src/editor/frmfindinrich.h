#pragma once

#include "widgets/frmzqgraydialog.h"

class IzqFindTarget;
class QAction;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class TzqGradiButton;
class QRadioButton;

// The find dialog of the note's views: the text, whole word, match case and direction. It stays
// on top and open for further searches; each search goes on from the view's selection.
class TfrmFindInRich : public TfrmZqGrayDialog {
    Q_OBJECT

public:
    // The dialog does not own the target; it must outlive the dialog or be replaced first.
    explicit TfrmFindInRich(IzqFindTarget* target, QWidget* parent = nullptr);

    void SetTarget(IzqFindTarget* target) { FTarget = target; }
    IzqFindTarget* Target() const { return FTarget; }

    // The options of the next search: 8, plus 1 for whole word, 2 for match case, 4 backward.
    int Options() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void frmZqNoCaptionCreate();
    void actFindNextExecute();
    void actFindNextUpdate();
    void btnCancelClick();

    IzqFindTarget* FTarget = nullptr;
    QLineEdit* edtFindText = nullptr;
    QCheckBox* chkWholeWord = nullptr;
    QCheckBox* chkCaseSensitive = nullptr;
    QGroupBox* grpDirection = nullptr;
    QRadioButton* radForward = nullptr;
    QRadioButton* radBackward = nullptr;
    QAction* actFindNext = nullptr;
    TzqGradiButton* btnFindNext = nullptr;
    TzqGradiButton* btnCancel = nullptr;
};
