#pragma once

#include "tools/zqmsgboxstate.h"

#include <QFont>
#include <QTimer>
#include <QWidget>
#include <memory>

class QTextLayout;

// The notification box: a dark, half-transparent strip at the top right corner of the main
// window with the program's title in yellow and a message in white. It never takes the focus,
// closes itself after about 3.4 seconds, soon after the mouse moves over it and at once when it
// is clicked, and frees itself when closed. The dark backdrop and the text layer are painted
// in one translucent window, so only the letters stand out at full strength.
class TfrmMsgBox : public QWidget {
    Q_OBJECT

public:
    TfrmMsgBox();
    ~TfrmMsgBox() override;

    // Places the box at the top right of mainWindow's frame (of the primary screen when there
    // is none), fits it to the message and shows it without activating it.
    void PlaceAndShow(const QWidget* mainWindow, const QString& text);

    const TzqMsgBoxState& State() const { return FState; }
    QString Caption() const { return FCaption; }
    QString Message() const { return FMessage; }
    // The message's rectangle inside the box, as laid out.
    QRect MessageRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void TimerTick();
    // Lays the message out in the message width and fits the box's height to it.
    void SetMessage(const QString& text);

    TzqMsgBoxState FState;
    QTimer FTimer;
    QFont FCaptionFont;
    QFont FMessageFont;
    QString FCaption;
    QString FMessage;
    std::unique_ptr<QTextLayout> FLayout;
    int FMessageHeight = 0;
};

// Shows a notification at the top right of mainWindow with the program's short sound and
// returns at once; the box closes and frees itself. The pointer is for callers that want to
// watch the box (it becomes dangling once the box has closed: hold it in a QPointer).
TfrmMsgBox* ShowMsgBox(const QWidget* mainWindow, const QString& text);
