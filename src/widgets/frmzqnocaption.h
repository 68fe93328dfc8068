#pragma once

#include <QDialog>

// The base of every dialog: no system caption, a thin frame of its own, the dialogs' colour
// and font.
class TfrmZqNoCaption : public QDialog {
    Q_OBJECT

public:
    explicit TfrmZqNoCaption(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
