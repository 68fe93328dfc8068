#include "store/frmgaugebar.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>

using namespace Qt::Literals::StringLiterals;

TfrmGaugeBar::TfrmGaugeBar(QWidget* parent) : TfrmZqNoCaption(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    labCaption = new QLabel(this);
    labCaption->setObjectName(u"labCaption"_s);
    labCaption->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(labCaption);
    setFixedSize(247, 54);
}

void TfrmGaugeBar::SetCaptionText(const QString& text)
{
    labCaption->setText(text);
    if (isVisible())
        labCaption->repaint();
}

void TfrmGaugeBar::showEvent(QShowEvent* event)
{
    TfrmZqNoCaption::showEvent(event);
    if (event->spontaneous())
        return;
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}
