#include "widgets/frmzqgraydialog.h"

#include "platform/guiutil.h"
#include "widgets/zqimagelistbutton.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int GlyphSize = 16;

} // namespace

TfrmZqGrayDialog::TfrmZqGrayDialog(QWidget* parent) : TfrmZqNoCaption(parent)
{
    frmZqNoCaptionCreate();
}

void TfrmZqGrayDialog::frmZqNoCaptionCreate()
{
    setFont(QToolTip::font());
    setContentsMargins(FrameWidth, FrameWidth + CaptionHeight, FrameWidth, FrameWidth);

    imgCaption = new QWidget(this);
    imgCaption->setObjectName(u"imgCaption"_s);
    imgCaption->setAttribute(Qt::WA_OpaquePaintEvent);
    imgCaption->installEventFilter(this);

    btnClose = new TzqImageListButton(imgCaption);
    btnClose->setObjectName(u"btnClose"_s);
    btnClose->resize(GlyphSize, GlyphSize);
    btnClose->SetIndexButton(0);
    btnClose->SetIndexEnter(1);
    btnClose->SetIndexClick(2);
    connect(btnClose, &QAbstractButton::clicked, this, [this] { btnCloseClick(); });

    FDrawnSkin = QImage(u":/icons/skin-gray-dialog.png"_s).convertToFormat(QImage::Format_RGB32);
    if (FDrawnSkin.size() != QSize(SkinWidth, SkinHeight)) {
        // Without its picture the dialog still works, framed in plain grey.
        FDrawnSkin = QImage(SkinWidth, SkinHeight, QImage::Format_RGB32);
        FDrawnSkin.fill(QColor(0x70, 0x70, 0x70));
        FDrawnSkin.setPixel(0, 17, qRgb(0x1A, 0x08, 0x33));
    }
    FSkin = FDrawnSkin;
    ApplySkin();
}

void TfrmZqGrayDialog::Tint(int n)
{
    FSkin = FDrawnSkin;
    if (n % 240 != 0) {
        HueShiftBitmap(FSkin, n);
        FSkin.convertTo(QImage::Format_RGB32);
    }
    ApplySkin();
}

void TfrmZqGrayDialog::ApplySkin()
{
    FKeyColor = FSkin.pixel(0, 17) | 0xFF000000u;
    const auto glyph = [this](int i) { return FSkin.copy(i * GlyphSize, 0, GlyphSize, GlyphSize); };
    btnClose->SetImageList({glyph(0), glyph(1), glyph(2)}, FKeyColor);
    UpdateMask();
    update();
    imgCaption->update();
}

void TfrmZqGrayDialog::PaintFrame(QPainter& painter) const
{
    const int w = width();
    const int h = height();
    const auto piece = [&](const QRect& target, const QRect& source) {
        painter.drawImage(target, FSkin, source);
    };
    piece(QRect(0, 0, w, 3), QRect(52, 0, 1, 3));
    piece(QRect(0, h - 3, w, 3), QRect(48, 15, 1, 3));
    piece(QRect(0, 0, 3, h), QRect(48, 5, 3, 1));
    piece(QRect(w - 3, 0, 3, h), QRect(50, 14, 3, 1));
    piece(QRect(0, 0, 5, 4), QRect(48, 0, 5, 4));
    piece(QRect(w - 5, 0, 5, 4), QRect(48, 9, 5, 4));
    piece(QRect(0, h - 4, 5, 4), QRect(48, 5, 5, 4));
    piece(QRect(w - 5, h - 4, 5, 4), QRect(48, 14, 5, 4));
}

void TfrmZqGrayDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Only the frame: the inside belongs to the caption strip and the dialog's body.
    QRegion frame(rect());
    frame -= QRegion(rect().adjusted(FrameWidth, FrameWidth, -FrameWidth, -FrameWidth));
    painter.setClipRegion(frame);
    PaintFrame(painter);
}

void TfrmZqGrayDialog::UpdateMask()
{
    if (width() < 2 * FrameWidth || height() < 2 * FrameWidth)
        return;
    // The frame's pixels of the key colour are see-through: everything else is the window.
    QImage frame(size(), QImage::Format_RGB32);
    frame.fill(QColor(0xFC, 0xFC, 0xFA));
    {
        QPainter painter(&frame);
        QRegion ring(frame.rect());
        ring -= QRegion(frame.rect().adjusted(FrameWidth, FrameWidth, -FrameWidth, -FrameWidth));
        painter.setClipRegion(ring);
        PaintFrame(painter);
    }
    const QImage keyed = frame.createMaskFromColor(FKeyColor, Qt::MaskInColor);
    setMask(QRegion(QBitmap::fromImage(keyed)));
}

void TfrmZqGrayDialog::imgCaptionPaint()
{
    QPixmap strip(imgCaption->size());
    if (strip.isNull())
        return;
    {
        QPainter painter(&strip);
        painter.drawImage(strip.rect(), FSkin, QRect(53, 0, 1, SkinHeight));
        const QIcon icon = windowIcon();
        if (!icon.isNull())
            painter.drawPixmap(1, 1, icon.pixmap(16, 16));
        painter.setFont(font());
        painter.setPen(FActive ? QColor(0xF8, 0xF8, 0xF8) : QColor(0x80, 0x80, 0x80));
        const QRect textRect(20, 3, std::max(0, btnClose->x() - 22), CaptionHeight - 3);
        const QString text =
            painter.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, textRect.width());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
    QPainter(imgCaption).drawPixmap(0, 0, strip);
}

void TfrmZqGrayDialog::imgCaptionMouseDown(const QPoint& globalPos)
{
    // The window system moves the window where it can; otherwise the drag follows the mouse.
    if (QWindow* w = windowHandle(); w && w->startSystemMove())
        return;
    FDragging = true;
    FDragOffset = globalPos - pos();
}

void TfrmZqGrayDialog::btnCloseClick()
{
    reject();
}

void TfrmZqGrayDialog::SetActive(bool active)
{
    FActive = active;
    imgCaption->update();
}

bool TfrmZqGrayDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != imgCaption)
        return TfrmZqNoCaption::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint:
        imgCaptionPaint();
        return true;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            imgCaptionMouseDown(mouse->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (FDragging && (mouse->buttons() & Qt::LeftButton))
            move(mouse->globalPosition().toPoint() - FDragOffset);
        return true;
    }
    case QEvent::MouseButtonRelease:
        FDragging = false;
        return true;
    default:
        return TfrmZqNoCaption::eventFilter(watched, event);
    }
}

bool TfrmZqGrayDialog::event(QEvent* event)
{
    const bool handled = TfrmZqNoCaption::event(event);
    if (event->type() == QEvent::WindowActivate)
        SetActive(true);
    else if (event->type() == QEvent::WindowDeactivate)
        SetActive(false);
    return handled;
}

void TfrmZqGrayDialog::changeEvent(QEvent* event)
{
    TfrmZqNoCaption::changeEvent(event);
    if (!imgCaption)
        return;
    if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::WindowIconChange ||
        event->type() == QEvent::FontChange)
        imgCaption->update();
}

void TfrmZqGrayDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        reject();
        return;
    }
    TfrmZqNoCaption::keyPressEvent(event);
}

void TfrmZqGrayDialog::resizeEvent(QResizeEvent* event)
{
    TfrmZqNoCaption::resizeEvent(event);
    imgCaption->setGeometry(FrameWidth, FrameWidth, std::max(0, width() - 2 * FrameWidth),
                            CaptionHeight);
    btnClose->move(imgCaption->width() - GlyphSize - 2, (CaptionHeight - GlyphSize) / 2);
    UpdateMask();
}

void TfrmZqGrayDialog::showEvent(QShowEvent* event)
{
    TfrmZqNoCaption::showEvent(event);
    if (FPlaced)
        return;
    FPlaced = true;
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->geometry().center() - rect().center());
}
