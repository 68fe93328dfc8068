#pragma once

#include "widgets/frmzqnocaption.h"

class QLabel;

// A small borderless window on top of the others, centred on the screen, that shows one line
// of text while a long scan runs.
class TfrmGaugeBar : public TfrmZqNoCaption {
    Q_OBJECT

public:
    explicit TfrmGaugeBar(QWidget* parent = nullptr);

    QLabel* CaptionLabel() const { return labCaption; }
    // Shows the text at once: the scan that sets it keeps the event loop waiting.
    void SetCaptionText(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* labCaption = nullptr;
};
