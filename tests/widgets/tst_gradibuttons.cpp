// The gradient buttons offscreen: their pictures pixel by pixel, the schemes they follow, and
// the keyboard and dialog behaviour of the push button.
#include "widgets/gradipaint.h"
#include "widgets/zqgradibutton.h"
#include "widgets/zqgradicolors.h"

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QDialog>
#include <QEnterEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QColor At(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y).toRgb();
}

QColor Rgb(int r, int g, int b)
{
    return QColor(r, g, b);
}

int Grey(const QColor& c, int divisor)
{
    return (12 * c.blue() + 64 * c.green() + 32 * c.red()) / divisor;
}

struct TButtonOnForm {
    QWidget Form;
    TzqGradiColors* Colors = new TzqGradiColors(&Form);
    TzqGradiButton* Button = new TzqGradiButton(&Form);

    explicit TButtonOnForm(int w = 80, int h = 22)
    {
        Button->setGeometry(10, 10, w, h);
        Button->SetColors(Colors);
        Button->SetColor(Rgb(10, 20, 30));
    }
    QImage Shot() const { return Button->grab().toImage(); }
};

void Enter(QWidget* w)
{
    QEnterEvent enter(QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), w->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(w, &enter);
}

void Leave(QWidget* w)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(w, &leave);
}

} // namespace

TEST(GradiFill, StepsAreTruncatedAndPassTheEndColour)
{
    // A 22-pixel face: twenty lines, each component moved by its truncated step.
    TGradiStepper run(Rgb(255, 252, 238), Rgb(244, 239, 213), 22);
    QList<QColor> lines;
    for (int y = 1; y <= 20; ++y, run.Advance())
        lines << run.Current();
    EXPECT_EQ(lines.at(0), Rgb(255, 252, 238));
    EXPECT_EQ(lines.at(1), Rgb(254, 251, 236));
    EXPECT_EQ(lines.at(2), Rgb(253, 250, 234));
    EXPECT_EQ(lines.at(19), Rgb(236, 233, 200));

    // Steps below one unit never move; steps are clamped to the component range.
    TGradiStepper flat(Rgb(100, 0, 250), Rgb(110, 0, 255), 22);
    flat.Advance();
    EXPECT_EQ(flat.Current(), Rgb(100, 0, 250));
    TGradiStepper steep(Rgb(5, 250, 0), Rgb(0, 255, 0), 1);
    for (int i = 0; i < 10; ++i)
        steep.Advance();
    EXPECT_EQ(steep.Current(), Rgb(0, 255, 0));
}

TEST(GradiButton, DefaultSchemeFaceBevelAndBorder)
{
    TButtonOnForm f;
    const QImage shot = f.Shot();
    ASSERT_EQ(shot.size(), QSize(80, 22));
    // The gradient between the bevel lines: the second and the second-to-last line of the run.
    EXPECT_EQ(At(shot, 40, 2), Rgb(254, 251, 236));
    EXPECT_EQ(At(shot, 40, 19), Rgb(237, 234, 202));
    // Bevel: light at the top and left, dark at the right and bottom (over the light's ends).
    EXPECT_EQ(At(shot, 40, 1), Rgb(255, 255, 255));
    EXPECT_EQ(At(shot, 1, 10), Rgb(255, 255, 255));
    EXPECT_EQ(At(shot, 78, 10), Rgb(203, 191, 154));
    EXPECT_EQ(At(shot, 40, 20), Rgb(203, 191, 154));
    EXPECT_EQ(At(shot, 78, 1), Rgb(203, 191, 154));
    // The rounded border leaves its corner pixels to the background colour.
    EXPECT_EQ(At(shot, 0, 10), Rgb(88, 88, 88));
    EXPECT_EQ(At(shot, 40, 0), Rgb(88, 88, 88));
    EXPECT_EQ(At(shot, 79, 10), Rgb(88, 88, 88));
    EXPECT_EQ(At(shot, 40, 21), Rgb(88, 88, 88));
    EXPECT_EQ(At(shot, 0, 0), Rgb(10, 20, 30));
    EXPECT_EQ(At(shot, 79, 21), Rgb(10, 20, 30));
}

TEST(GradiButton, VerticalGradientRunsAcross)
{
    TButtonOnForm f(22, 40);
    f.Button->SetVerticalGradi(true);
    const QImage shot = f.Shot();
    EXPECT_EQ(At(shot, 3, 10), Rgb(254, 251, 236));
    EXPECT_EQ(At(shot, 4, 30), Rgb(253, 250, 234));
}

TEST(GradiButton, DefaultDownAndMarkedLooks)
{
    TButtonOnForm f;
    f.Colors->SetClrDefault(Rgb(0, 0, 200));
    f.Button->setDefault(true);
    QImage shot = f.Shot();
    // Border, light and dark lines all take the default colour.
    for (const QPoint p :
         {QPoint(0, 10), QPoint(1, 10), QPoint(78, 10), QPoint(40, 1), QPoint(40, 20)})
        EXPECT_EQ(At(shot, p.x(), p.y()), Rgb(0, 0, 200)) << p.x() << "," << p.y();

    f.Button->setDown(true);
    shot = f.Shot();
    EXPECT_EQ(At(shot, 0, 10), Rgb(88, 88, 88));
    EXPECT_EQ(At(shot, 1, 10), Rgb(0, 0, 200));
    EXPECT_EQ(At(shot, 78, 20), Rgb(0, 0, 200));
    EXPECT_EQ(At(shot, 5, 5), Rgb(249, 249, 249));

    f.Button->setDown(false);
    f.Button->setDefault(false);
    f.Button->SetMarked(true);
    shot = f.Shot();
    EXPECT_EQ(At(shot, 80 - 11, 3), Rgb(234, 117, 0));  // outline, top edge
    EXPECT_EQ(At(shot, 80 - 4, 8), Rgb(234, 117, 0));   // outline, right edge
    EXPECT_EQ(At(shot, 80 - 6, 5), Rgb(255, 175, 96));  // inside
    EXPECT_NE(At(shot, 80 - 10, 6), Rgb(255, 175, 96)); // below the slanted side
}

TEST(GradiButton, WithoutSchemeNothingIsPainted)
{
    QWidget form;
    form.resize(120, 50);
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, Rgb(200, 0, 0));
    form.setPalette(pal);
    form.setAutoFillBackground(true);
    auto* button = new TzqGradiButton(u"확인(&Y)"_s, &form);
    button->setGeometry(10, 10, 80, 22);
    EXPECT_TRUE(button->Picture().isNull());
    const QImage shot = form.grab().toImage();
    for (const QPoint p : {QPoint(10, 10), QPoint(50, 21), QPoint(89, 31)})
        EXPECT_EQ(At(shot, p.x(), p.y()), Rgb(200, 0, 0));
}

TEST(GradiButton, GreyingOfDisabledAndGrayedPictures)
{
    TButtonOnForm f;
    f.Button->setText(u"취소(&C)"_s);
    f.Colors->SetClrText(Rgb(0, 0, 0));
    const QColor row2(254, 251, 236);

    f.Button->setEnabled(false);
    QImage shot = f.Shot();
    EXPECT_EQ(At(shot, 3, 2), Rgb(Grey(row2, 120), Grey(row2, 120), Grey(row2, 120)));
    // The caption is drawn in the flag's outline colour before greying: none of its pixels is
    // darker than that colour's grey, although the enabled caption is black.
    int darkest = 255;
    bool allGrey = true;
    for (int y = 3; y < 19; ++y)
        for (int x = 3; x < 77; ++x) {
            const QColor c = At(shot, x, y);
            allGrey = allGrey && c.red() == c.green() && c.green() == c.blue();
            darkest = std::min(darkest, c.red());
        }
    EXPECT_TRUE(allGrey);
    EXPECT_GE(darkest, Grey(Rgb(234, 117, 0), 120));
    EXPECT_LT(darkest, Grey(row2, 120) - 40); // a caption is there

    f.Button->setEnabled(true);
    f.Button->SetGrayed(true);
    shot = f.Shot();
    EXPECT_EQ(At(shot, 3, 2), Rgb(Grey(row2, 170), Grey(row2, 170), Grey(row2, 170)));
}

TEST(GradiButton, SharpAtTwiceTheDensity)
{
    TButtonOnForm f;
    const QImage picture = f.Button->Picture(2.0);
    ASSERT_EQ(picture.size(), QSize(160, 44));
    // Each logical pixel is a 2 × 2 block of one colour: no blending at the lines' edges.
    for (int dy = 0; dy < 2; ++dy) {
        EXPECT_EQ(At(picture, 80, 2 + dy), Rgb(255, 255, 255));
        EXPECT_EQ(At(picture, 80, 4 + dy), Rgb(254, 251, 236));
        EXPECT_EQ(At(picture, dy, 20), Rgb(88, 88, 88));
        EXPECT_EQ(At(picture, 2 + dy, 20), Rgb(255, 255, 255));
        EXPECT_EQ(At(picture, 80, 40 + dy), Rgb(203, 191, 154));
    }
}

TEST(GradiColors, HoverAndFocusSchemesAndForgettingLinks)
{
    TButtonOnForm f;
    auto* hover = new TzqGradiColors(&f.Form);
    hover->SetClrBegin(Rgb(0, 100, 0));
    hover->SetClrEnd(Rgb(0, 100, 0));
    f.Colors->SetColorsMouseIn(hover);

    Enter(f.Button);
    EXPECT_TRUE(f.Button->MouseIn());
    EXPECT_EQ(At(f.Shot(), 40, 10), Rgb(0, 100, 0));
    Leave(f.Button);
    EXPECT_EQ(At(f.Shot(), 40, 2), Rgb(254, 251, 236));

    // A destroyed hover scheme is forgotten, and users hear of it.
    QSignalSpy changed(f.Colors, &TzqGradiColors::Changed);
    delete hover;
    EXPECT_EQ(f.Colors->ColorsMouseIn(), nullptr);
    EXPECT_EQ(changed.count(), 1);
    Enter(f.Button);
    EXPECT_EQ(f.Button->CurrentColors(), f.Colors);

    // Only a real change is announced.
    changed.clear();
    f.Colors->SetClrBegin(Rgb(255, 252, 238));
    EXPECT_EQ(changed.count(), 0);
    f.Colors->SetClrBegin(Rgb(1, 2, 3));
    EXPECT_EQ(changed.count(), 1);

    // The focus scheme while the button has the focus (a window must be active for that).
    auto* focus = new TzqGradiColors(&f.Form);
    focus->SetClrOutBorder(Rgb(0, 0, 255));
    f.Colors->SetColorsFocus(focus);
    Leave(f.Button);
    f.Form.show();
    f.Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.Form));
    f.Button->setFocus();
    ASSERT_TRUE(f.Button->hasFocus());
    EXPECT_EQ(At(f.Shot(), 0, 10), Rgb(0, 0, 255));

    // The shared dialog scheme comes with its hover scheme.
    TzqGradiColors* shared = TzqGradiColors::DialogColors();
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared, TzqGradiColors::DialogColors());
    EXPECT_TRUE(shared->ColorsMouseIn());
}

TEST(GradiButton, KeyboardClicksOnceAndDialogKeys)
{
    QDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    auto* ok = new TzqGradiButton(u"확인(&Y)"_s, &dialog);
    auto* cancel = new TzqGradiButton(u"취소(&C)"_s, &dialog);
    auto* other = new TzqGradiButton(u"날짜(&D)"_s, &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    for (QWidget* w : std::initializer_list<QWidget*>{edit, ok, cancel, other})
        layout->addWidget(w);
    for (TzqGradiButton* b : {ok, cancel, other})
        b->SetColors(TzqGradiColors::DialogColors());
    ok->SetDefault(true);
    cancel->SetCancel(true);
    QSignalSpy okClicks(ok, &QAbstractButton::clicked);
    QSignalSpy cancelClicks(cancel, &QAbstractButton::clicked);
    QSignalSpy otherClicks(other, &QAbstractButton::clicked);

    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

    // Space: down while held, one click on release.
    other->setFocus();
    QTest::keyPress(other, Qt::Key_Space);
    EXPECT_TRUE(other->isDown());
    EXPECT_EQ(At(other->grab().toImage(), 5, 5), Rgb(249, 249, 249));
    EXPECT_EQ(otherClicks.count(), 0);
    QTest::keyRelease(other, Qt::Key_Space);
    EXPECT_EQ(otherClicks.count(), 1);
    EXPECT_FALSE(other->isDown());

    // Enter in the edit box presses the default button only.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(okClicks.count(), 1);
    EXPECT_EQ(otherClicks.count(), 1);
    EXPECT_EQ(cancelClicks.count(), 0);

    // Esc presses the Cancel button, once.
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(cancelClicks.count(), 1);
    EXPECT_EQ(okClicks.count(), 1);
}

TEST(GradiButton, ModalResultEndsTheDialog)
{
    QDialog dialog;
    auto* button = new TzqGradiButton(u"예"_s, &dialog);
    button->SetColors(TzqGradiColors::DialogColors());
    int handled = 0;
    QObject::connect(button, &QAbstractButton::clicked, &dialog, [&] {
        ++handled;
        // The dialog is still open while the click handler runs.
        EXPECT_TRUE(dialog.isVisible());
    });
    button->SetModalResult(7);
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(dialog.result(), 7);
    EXPECT_FALSE(dialog.isVisible());

    // ModalResult 0 leaves the dialog open.
    button->SetModalResult(0);
    dialog.setResult(0);
    dialog.open();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
}

TEST(GradiButton, DraggingOffShowsItUp)
{
    TButtonOnForm f;
    f.Form.resize(200, 100);
    f.Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.Form));
    QSignalSpy clicks(f.Button, &QAbstractButton::clicked);
    QTest::mousePress(f.Button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(At(f.Shot(), 5, 5), Rgb(249, 249, 249));
    QMouseEvent away(QEvent::MouseMove, QPointF(150, 60), f.Button->mapToGlobal(QPointF(150, 60)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.Button, &away);
    EXPECT_EQ(At(f.Shot(), 40, 2), Rgb(254, 251, 236));
    QMouseEvent back(QEvent::MouseMove, QPointF(10, 10), f.Button->mapToGlobal(QPointF(10, 10)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.Button, &back);
    EXPECT_EQ(At(f.Shot(), 5, 5), Rgb(249, 249, 249));
    QTest::mouseRelease(f.Button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
}
