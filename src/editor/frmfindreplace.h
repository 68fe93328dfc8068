#pragma once

#include "widgets/frmzqgraydialog.h"

#include <QPointer>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class TzqGradiButton;

// Find and replace in the source view's text. It stays open for further steps; "모두 바꾸기"
// replaces every match in one step of the view's undo and says how many it replaced.
class TfrmFindReplace : public TfrmZqGrayDialog {
    Q_OBJECT

public:
    explicit TfrmFindReplace(QPlainTextEdit* edit, QWidget* parent = nullptr);

    // The most characters the text may hold (the source view's limit); 0 for no limit. A
    // replacement that would go beyond it is refused.
    void SetMaxLength(qsizetype maxLength) { FMaxLength = maxLength; }

    // Whole word 1 and match case 2.
    int Options() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void frmZqNoCaptionCreate();
    void UpdateButtons();
    // Selects the next match after the selection; false when there is none.
    bool btnFindNextClick();
    void btnReplaceClick();
    void btnReplaceAllClick();
    bool SelectionMatches() const;
    bool Fits(qsizetype added) const;
    void ShowStatus(const QString& text);

    QPointer<QPlainTextEdit> FEdit;
    qsizetype FMaxLength = 0;
    QLineEdit* edtFindText = nullptr;
    QLineEdit* edtReplaceText = nullptr;
    QCheckBox* chkWholeWord = nullptr;
    QCheckBox* chkCaseSensitive = nullptr;
    TzqGradiButton* btnFindNext = nullptr;
    TzqGradiButton* btnReplace = nullptr;
    TzqGradiButton* btnReplaceAll = nullptr;
    TzqGradiButton* btnCancel = nullptr;
    QLabel* labStatus = nullptr;
};
