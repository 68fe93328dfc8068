// The picture buttons offscreen.
#include "widgets/zqimagelistbutton.h"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QImage Solid(const QColor& color, QSize size = {16, 16})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// A picture, white on its left half and black on its right: a mask.
QImage HalfMask()
{
    QImage mask = Solid(Qt::white);
    for (int y = 0; y < 16; ++y)
        for (int x = 8; x < 16; ++x)
            mask.setPixel(x, y, qRgb(0, 0, 0));
    return mask;
}

// What the window system delivers for a double click: press, release, double click, release.
void DoubleClick(QWidget* w, const QPoint& at)
{
    const auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
}

void Enter(QWidget* w)
{
    QEnterEvent enter(QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), w->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(w, &enter);
}

} // namespace

TEST(ImageListButton, StateIndexesAndFallbacks)
{
    TzqImageListButton button;
    button.SetImageList({Solid(Qt::red), Solid(Qt::green), Solid(Qt::blue), Solid(Qt::yellow)});
    button.SetIndexButton(0);
    button.SetIndexEnter(1);
    button.SetIndexClick(2);
    EXPECT_EQ(button.CurrentIndex(), 0);
    Enter(&button);
    EXPECT_EQ(button.CurrentIndex(), 1);
    button.setDown(true);
    EXPECT_EQ(button.CurrentIndex(), 2);
    button.setDown(false);

    // Disabled without its own picture: the pressed one; with one: that.
    button.setEnabled(false);
    EXPECT_EQ(button.CurrentIndex(), 2);
    button.SetIndexDisable(3);
    EXPECT_EQ(button.CurrentIndex(), 3);
    // 0 or less stands for the normal picture.
    button.SetIndexDisable(0);
    EXPECT_EQ(button.CurrentIndex(), 0);
    button.setEnabled(true);
    button.SetIndexEnter(-1);
    EXPECT_EQ(button.CurrentIndex(), 0);
}

TEST(ImageListButton, KeyColourShowsWhatIsBehindAndMaskLimitsPresses)
{
    QWidget form;
    form.resize(40, 40);
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 200));
    form.setPalette(pal);
    form.setAutoFillBackground(true);
    auto* button = new TzqImageListButton(&form);
    button->setGeometry(0, 0, 16, 16);
    QImage glyph = Solid(QColor(255, 0, 255));
    glyph.setPixel(4, 4, qRgb(10, 10, 10));
    button->SetImageList({glyph, HalfMask()}, qRgb(255, 0, 255));
    QImage shot = form.grab().toImage();
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(0, 0, 200));
    EXPECT_EQ(shot.pixelColor(4, 4), QColor(10, 10, 10));
    // A background colour of its own fills the see-through pixels.
    button->SetColor(QColor(0, 150, 0));
    shot = form.grab().toImage();
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(0, 150, 0));

    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    button->SetIndexMask(1);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(3, 8)); // white: not the button
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, 8));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(PictureButton, DoubleClickIsAPressUnlessSomeoneListens)
{
    QWidget form;
    auto* button = new TzqImageListButton(&form);
    button->setGeometry(0, 0, 16, 16);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    DoubleClick(button, QPoint(8, 8));
    EXPECT_EQ(clicks.count(), 2);

    int doubles = 0;
    QObject::connect(button, &TzqPictureCButton::DoubleClicked, &form, [&] { ++doubles; });
    clicks.clear();
    DoubleClick(button, QPoint(8, 8));
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(clicks.count(), 1);
}
