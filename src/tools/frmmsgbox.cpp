#include "tools/frmmsgbox.h"

#include "app/zqprjinfo.h"
#include "tools/cutsound.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// The backdrop's black at 180 of 255.
constexpr QColor BackdropColor(0, 0, 0, 180);

} // namespace

TfrmMsgBox::TfrmMsgBox()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      FCaptionFont(u"Arial"_s, 8, QFont::Bold), FMessageFont(u"굴림체"_s, 9)
{
    setObjectName(u"frmMsgBox"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setCursor(Qt::ArrowCursor);
    FCaptionFont.setStyleHint(QFont::SansSerif);
    FMessageFont.setStyleHint(QFont::TypeWriter);
    FCaption = u" "_s + TzqPrjInfo::TitleText();
    resize(TzqMsgBoxState::BoxWidth, TzqMsgBoxState::InitialHeight);

    FTimer.setInterval(TzqMsgBoxState::TimerInterval);
    connect(&FTimer, &QTimer::timeout, this, &TfrmMsgBox::TimerTick);
    FTimer.start();
}

TfrmMsgBox::~TfrmMsgBox() = default;

void TfrmMsgBox::PlaceAndShow(const QWidget* mainWindow, const QString& text)
{
    QRect frame;
    if (mainWindow)
        frame = mainWindow->window()->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        frame = screen->availableGeometry().adjusted(0, -22, 0, 0);
    move(TzqMsgBoxState::BoxPosition(frame, width()));
    SetMessage(TzqMsgBoxState::TrimMessage(text));
    show();
}

void TfrmMsgBox::SetMessage(const QString& text)
{
    FMessage = text;
    QString laidOut = text;
    laidOut.replace(u'\n', QChar::LineSeparator);
    FLayout = std::make_unique<QTextLayout>(laidOut, FMessageFont);
    QTextOption option;
    // A word longer than the line (a path, an address) is broken rather than cut off.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    FLayout->setTextOption(option);
    qreal y = 0;
    FLayout->beginLayout();
    for (QTextLine line = FLayout->createLine(); line.isValid(); line = FLayout->createLine()) {
        line.setLineWidth(TzqMsgBoxState::MessageWidth);
        if (line.lineNumber() > 0)
            y += TzqMsgBoxState::MessageLineGap;
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    FLayout->endLayout();
    FMessageHeight = int(std::ceil(y));
    resize(TzqMsgBoxState::BoxWidth, TzqMsgBoxState::BoxHeight(FMessageHeight));
    update();
}

QRect TfrmMsgBox::MessageRect() const
{
    return {TzqMsgBoxState::MessageLeft, TzqMsgBoxState::TextLayerTop + TzqMsgBoxState::MessageTop,
            TzqMsgBoxState::MessageWidth, FMessageHeight};
}

void TfrmMsgBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), BackdropColor);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    painter.setFont(FCaptionFont);
    painter.setPen(Qt::yellow);
    const QFontMetrics captionMetrics(FCaptionFont);
    painter.drawText(QRect(TzqMsgBoxState::CaptionLeft,
                           TzqMsgBoxState::TextLayerTop + TzqMsgBoxState::CaptionTop,
                           width() - TzqMsgBoxState::CaptionLeft, captionMetrics.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, FCaption);

    if (FLayout) {
        painter.setPen(Qt::white);
        FLayout->draw(&painter, MessageRect().topLeft());
    }
}

void TfrmMsgBox::mouseMoveEvent(QMouseEvent* event)
{
    FState.MouseMoved();
    event->accept();
}

void TfrmMsgBox::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    FTimer.stop();
    close();
}

void TfrmMsgBox::TimerTick()
{
    if (!FState.TimerTick())
        return;
    FTimer.stop();
    close();
}

TfrmMsgBox* ShowMsgBox(const QWidget* mainWindow, const QString& text)
{
    auto* box = new TfrmMsgBox;
    PlayCutSound();
    box->PlaceAndShow(mainWindow, text);
    return box;
}
