// The main window's frame (placement, tray, close question) and the painted dialog bases,
// offscreen. The tray and the Shift key come from a test window that says whether they exist.
#include "app/zqprjinfo.h"
#include "mainwin/frmzqthreebuttons.h"
#include "mainwin/izqquestions.h"
#include "testutil.h"
#include "widgets/frmbluedialog.h"
#include "widgets/zqimagelistbutton.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSizeGrip>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

class TScriptedQuestions : public IzqQuestions {
public:
    bool Confirm(const QString& text) override
    {
        Asked.append(text);
        return Answer;
    }
    void ShowError(const QString& text) override { Errors.append(text); }

    bool Answer = true;
    QStringList Asked;
    QStringList Errors;
};

class TTestFrame : public TfrmZqThreeButtons {
public:
    using TfrmZqThreeButtons::TfrmZqThreeButtons;

    bool Tray = false;
    bool Shift = false;
    int Closes = 0;
    int FirstActivations = 0;

protected:
    bool SystemTrayAvailable() const override { return Tray; }
    bool ShiftHeld() const override { return Shift; }
    void DoClose() override { ++Closes; }
    void DoFirstActivate() override { ++FirstActivations; }
};

class FrameTest : public ::testing::Test {
protected:
    void TearDown() override { PrjInfo = nullptr; }

    void UseIni(const QByteArray& bytes)
    {
        if (!bytes.isEmpty())
            WriteFile(IniPath(), bytes);
        Prj = std::make_unique<TzqPrjInfo>(Program.path());
        PrjInfo = Prj.get();
    }
    QString IniPath() const { return Program.filePath(u"zqQuillet.ini"_s); }

    std::unique_ptr<TTestFrame> NewFrame(bool tray = false)
    {
        auto w = std::make_unique<TTestFrame>();
        w->Tray = tray;
        w->SetQuestions(&Questions);
        return w;
    }

    QTemporaryDir Program;
    std::unique_ptr<TzqPrjInfo> Prj;
    TScriptedQuestions Questions;
};

} // namespace

TEST_F(FrameTest, FirstStartIsCentredAndTheClosedPlaceComesBack)
{
    UseIni({});
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    {
        auto w = NewFrame();
        EXPECT_EQ(w->minimumSize(), QSize(300, 200));
        EXPECT_EQ(w->palette().color(QPalette::Window), QColor(0xEF, 0xEF, 0xE7));
        w->ShowAtStart();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        EXPECT_EQ(w->size(), QSize(700, 500));
        EXPECT_EQ(w->pos(), QPoint(screen.width() / 2 - 350, screen.height() / 2 - 250));
        EXPECT_EQ(w->FirstActivations, 1);

        // The grip sits in the status bar's bottom-right corner.
        auto* bar = w->findChild<QStatusBar*>(u"pnlStatusBar"_s);
        auto* grip = w->findChild<QSizeGrip*>(u"imgResize"_s);
        ASSERT_TRUE(bar && grip);
        EXPECT_EQ(w->statusBar(), bar);
        EXPECT_EQ(bar->height(), 24);
        EXPECT_EQ(grip->geometry(), QRect(bar->width() - 16, 8, 16, 16));

        w->resize(640, 430);
        w->move(30, 20);
        EXPECT_TRUE(w->close());
        EXPECT_EQ(w->Closes, 1);
    }
    EXPECT_EQ(ReadFile(IniPath()),
              "[PROGRAM]\r\nMaximized=0\r\nLeft=30\r\nTop=20\r\nWidth=640\r\nHeight=430\r\n");
    auto again = NewFrame();
    again->ShowAtStart();
    EXPECT_EQ(again->pos(), QPoint(30, 20));
    EXPECT_EQ(again->size(), QSize(640, 430));
    EXPECT_FALSE(again->isMaximized());
}

TEST_F(FrameTest, ClosingMaximizedKeepsTheNormalPlace)
{
    const QByteArray ini =
        "[PROGRAM]\r\nLeft=60\r\nTop=40\r\nWidth=640\r\nHeight=480\r\nMaximized=0\r\n";
    UseIni(ini);
    {
        auto w = NewFrame();
        w->ShowAtStart();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->showMaximized();
        QTRY_VERIFY(w->isMaximized());
        EXPECT_TRUE(w->close());
    }
    EXPECT_EQ(ReadFile(IniPath()),
              "[PROGRAM]\r\nLeft=60\r\nTop=40\r\nWidth=640\r\nHeight=480\r\nMaximized=1\r\n");

    // The next start opens maximized over the old normal size and place, which restoring
    // gives back (the offscreen platform has no frame, so the geometries coincide).
    auto w = NewFrame();
    w->ShowAtStart();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    EXPECT_TRUE(w->isMaximized());
    EXPECT_EQ(w->normalGeometry(), QRect(60, 40, 640, 480));
}

TEST_F(FrameTest, TheExitQuestionDecidesTheClose)
{
    const QByteArray ini = "[PROGRAM]\r\nConfirmExit=1\r\nLeft=10\r\nTop=10\r\n";
    UseIni(ini);
    auto w = NewFrame(true);
    w->ShowAtStart();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));

    Questions.Answer = false;
    EXPECT_FALSE(w->close());
    EXPECT_EQ(Questions.Asked, QStringList{u"zqQuillet 을(를) 종료할까요?"_s});
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Closes, 0);
    EXPECT_EQ(ReadFile(IniPath()), ini);

    // Allowed: the derived window's close steps run once, the placement is written.
    Questions.Answer = true;
    EXPECT_TRUE(w->close());
    EXPECT_EQ(w->Closes, 1);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(ReadFile(IniPath()).contains("Maximized=0\r\n"));
    EXPECT_TRUE(ReadFile(IniPath()).contains("Width=700\r\n"));
}

TEST_F(FrameTest, UnwritableSettingsDoNotKeepTheWindowOpen)
{
    UseIni("[PROGRAM]\r\nLeft=10\r\nTop=10\r\n");
    auto w = NewFrame();
    w->ShowAtStart();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    // A directory where the settings file should be: every write fails.
    QFile::remove(IniPath());
    QDir().mkpath(IniPath());
    EXPECT_TRUE(w->close());
    EXPECT_EQ(w->Closes, 1);
    ASSERT_EQ(Questions.Errors.size(), 1);
    EXPECT_TRUE(Questions.Errors.front().contains(u"zqQuillet.ini"_s));
}

TEST_F(FrameTest, MinimizingGoesToTheTrayWithShiftOrMiniTray)
{
    UseIni("[PROGRAM]\r\nMiniTray=0\r\nLeft=10\r\nTop=10\r\n");
    auto w = NewFrame(true);
    w->ShowAtStart();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));

    // Without Shift the window stays minimized on the task bar.
    w->showMinimized();
    QTest::qWait(50);
    EXPECT_TRUE(w->isMinimized());
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(TfrmZqThreeButtons::InTray());
    EXPECT_FALSE(w->TrayIcon()->isVisible());
    w->showNormal();

    // With Shift held it goes on to the tray.
    w->Shift = true;
    w->showMinimized();
    QTRY_VERIFY(TfrmZqThreeButtons::InTray());
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(w->TrayIcon()->isVisible());
    EXPECT_EQ(w->TrayIcon()->toolTip(), TzqPrjInfo::TitleText());
    EXPECT_FALSE(w->WasMaximized());

    // A double click restores once: the click restores, the rest is ignored.
    Q_EMIT w->TrayIcon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(TfrmZqThreeButtons::InTray());
    Q_EMIT w->TrayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(TfrmZqThreeButtons::InTray());
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isMinimized());
    EXPECT_FALSE(w->TrayIcon()->isVisible());
    Q_EMIT w->TrayIcon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w->isVisible());

    // A maximized window comes back maximized, by a right click as well.
    w->Shift = false;
    Prj->WriteFlag(TzqPrjInfo::idMiniTray, true);
    w->showMaximized();
    w->setWindowState(w->windowState() | Qt::WindowMinimized);
    QTRY_VERIFY(TfrmZqThreeButtons::InTray());
    EXPECT_TRUE(w->WasMaximized());
    Q_EMIT w->TrayIcon()->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->isMaximized());
    EXPECT_FALSE(w->isMinimized());

    // Closing from the tray takes the icon away.
    w->Shift = true;
    w->showMinimized();
    QTRY_VERIFY(TfrmZqThreeButtons::InTray());
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(TfrmZqThreeButtons::InTray());
    EXPECT_FALSE(w->TrayIcon()->isVisible());
}

TEST_F(FrameTest, WithoutATrayTheWindowStaysMinimized)
{
    UseIni("[PROGRAM]\r\nMiniTray=1\r\nLeft=10\r\nTop=10\r\n");
    auto w = NewFrame(false);
    w->ShowAtStart();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->Shift = true;
    w->showMinimized();
    QTest::qWait(50);
    EXPECT_TRUE(w->isMinimized());
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(TfrmZqThreeButtons::InTray());
    EXPECT_FALSE(w->ToTray());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(FrameTest, BootModeTwoStartsInTheTray)
{
    UseIni("[PROGRAM]\r\nBootMode=2\r\nMaximized=1\r\nLeft=10\r\nTop=10\r\n");
    {
        auto w = NewFrame(true);
        w->ShowAtStart(true);
        EXPECT_TRUE(TfrmZqThreeButtons::InTray());
        EXPECT_FALSE(w->isVisible());
        EXPECT_TRUE(w->TrayIcon()->isVisible());
        EXPECT_EQ(w->FirstActivations, 1);
        // Out of the tray it opens at its place, not maximized.
        Q_EMIT w->TrayIcon()->activated(QSystemTrayIcon::Trigger);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        EXPECT_FALSE(w->isMaximized());
        EXPECT_EQ(w->pos(), QPoint(10, 10));
        EXPECT_EQ(w->FirstActivations, 1);
    }
    {
        // No tray: the window waits minimized instead.
        auto w = NewFrame(false);
        w->ShowAtStart(true);
        EXPECT_FALSE(TfrmZqThreeButtons::InTray());
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(w->isMinimized());
    }
    {
        // A further instance shows its window and an icon as well.
        auto w = NewFrame(true);
        w->ShowAtStart(false);
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(w->TrayIcon()->isVisible());
    }
    EXPECT_FALSE(TfrmZqThreeButtons::InTray());
}

namespace {

// Whether a picture holds a pixel of exactly this colour inside a rectangle.
bool HasColour(const QImage& image, const QRect& area, QRgb colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
        }
    }
    return false;
}

class TTestDialog : public TfrmBlueDialog {
public:
    TTestDialog()
    {
        setWindowTitle(u"새 폴더 만들기"_s);
        auto* layout = new QVBoxLayout(Content());
        layout->setContentsMargins(0, 0, 0, 0);
        Edit = new QLineEdit(Content());
        Edit->setObjectName(u"edtName"_s);
        layout->addWidget(Edit);
        resize(320, 140);
    }
    QLineEdit* Edit;
};

} // namespace

TEST(GrayDialog, CaptionFollowsTheActivation)
{
    TTestDialog d;
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.activateWindow();
    QTRY_VERIFY(d.Active());
    // Filled squares give text pixels in the pen's own colour, whatever the smoothing.
    d.setWindowTitle(u"■■ 새 폴더"_s);
    auto* caption = d.findChild<QWidget*>(u"imgCaption"_s);
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->geometry(), QRect(3, 3, d.width() - 6, 20));
    const QRect text(20, 3, 100, 16);
    QImage strip = caption->grab().toImage();
    EXPECT_TRUE(HasColour(strip, text, qRgb(0xF8, 0xF8, 0xF8)));
    EXPECT_FALSE(HasColour(strip, text, qRgb(0x80, 0x80, 0x80)));
    // The caption background is the skin's column.
    EXPECT_EQ(strip.pixel(15, 0), d.Skin().pixel(53, 0));

    QWidget other;
    other.resize(50, 50);
    other.show();
    other.activateWindow();
    QTRY_VERIFY(!d.Active());
    strip = caption->grab().toImage();
    EXPECT_TRUE(HasColour(strip, text, qRgb(0x80, 0x80, 0x80)));
    EXPECT_FALSE(HasColour(strip, text, qRgb(0xF8, 0xF8, 0xF8)));

    d.activateWindow();
    QTRY_VERIFY(d.Active());
    EXPECT_TRUE(HasColour(caption->grab().toImage(), text, qRgb(0xF8, 0xF8, 0xF8)));
}

TEST(GrayDialog, FrameCornersAndPlace)
{
    TTestDialog d;
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(d.geometry().center(), screen.center());

    const QImage shot = d.grab().toImage();
    const QImage& skin = d.Skin();
    const int w = d.width();
    const int h = d.height();
    EXPECT_EQ(shot.pixel(w / 2, 1), skin.pixel(52, 1));      // top edge
    EXPECT_EQ(shot.pixel(w / 2, h - 1), skin.pixel(48, 17)); // bottom edge
    EXPECT_EQ(shot.pixel(1, h / 2), skin.pixel(49, 5));      // left edge
    EXPECT_EQ(shot.pixel(w - 1, h / 2), skin.pixel(52, 14)); // right edge
    EXPECT_EQ(shot.pixel(w - 4, 1), skin.pixel(49, 10));     // top-right corner

    // The corner pixels of the key colour are not part of the window.
    ASSERT_EQ(skin.pixel(48, 0), d.KeyColor());
    EXPECT_FALSE(d.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(d.mask().contains(QPoint(w - 1, 0)));
    EXPECT_TRUE(d.mask().contains(QPoint(2, 2)));
    EXPECT_TRUE(d.mask().contains(QPoint(w / 2, h / 2)));
    EXPECT_TRUE(d.mask().contains(QPoint(w / 2, 0)));

    // The close glyph at the caption's right end; the buttons below the content.
    auto* close = d.findChild<TzqImageListButton*>(u"btnClose"_s);
    ASSERT_TRUE(close);
    EXPECT_EQ(close->mapTo(&d, QPoint(0, 0)), QPoint(w - 3 - 18, 5));
    EXPECT_EQ(close->focusPolicy(), Qt::NoFocus);
    auto* confirm = d.findChild<QPushButton*>(u"btnConfirm"_s);
    auto* cancel = d.findChild<QPushButton*>(u"btnCancel"_s);
    ASSERT_TRUE(confirm && cancel);
    EXPECT_EQ(confirm->text(), u"확인(&Y)"_s);
    EXPECT_EQ(cancel->text(), u"취소(&C)"_s);
    EXPECT_TRUE(confirm->isDefault());
    EXPECT_GT(confirm->y(), d.Edit->geometry().bottom());
}

TEST(GrayDialog, EscapeTheGlyphAndTheButtonsEndIt)
{
    {
        TTestDialog d;
        d.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        d.Edit->setFocus();
        QTest::keyClick(d.Edit, Qt::Key_Escape);
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(d.isVisible());
    }
    {
        TTestDialog d;
        d.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        auto* close = d.findChild<TzqImageListButton*>(u"btnClose"_s);
        QTest::mouseClick(close, Qt::LeftButton, {}, QPoint(8, 8));
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(d.isVisible());
    }
    {
        // Enter in the name box is the default button's.
        TTestDialog d;
        d.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        d.Edit->setFocus();
        QTest::keyClick(d.Edit, Qt::Key_Return);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_FALSE(d.isVisible());
    }
    {
        TTestDialog d;
        d.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        QTest::mouseClick(d.findChild<QPushButton*>(u"btnCancel"_s), Qt::LeftButton);
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
}

TEST(GrayDialog, TintTurnsColoursAndKeepsGreys)
{
    TTestDialog d;
    const QImage drawn = d.Skin();
    const QRgb key = d.KeyColor();
    EXPECT_EQ(key & 0xFFFFFF, 0x1A0833u);
    const QPoint caption(53, 8);
    const QPoint grey(4, 4); // a stroke of the normal close glyph
    ASSERT_EQ(qRed(drawn.pixel(grey)), qBlue(drawn.pixel(grey)));
    ASSERT_NE(qRed(drawn.pixel(caption)), qBlue(drawn.pixel(caption)));

    d.Tint(88);
    const QImage& tinted = d.Skin();
    EXPECT_NE(tinted.pixel(caption), drawn.pixel(caption));
    EXPECT_EQ(tinted.pixel(grey), drawn.pixel(grey));
    EXPECT_NE(d.KeyColor(), key);
    EXPECT_EQ(d.KeyColor(), tinted.pixel(0, 17));
    // The corners stay see-through in the new key colour.
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_FALSE(d.mask().contains(QPoint(0, 0)));
    EXPECT_EQ(d.grab().toImage().pixel(d.width() / 2, 1), tinted.pixel(52, 1));
    // The glyph's pictures come from the tinted skin.
    auto* close = d.findChild<TzqImageListButton*>(u"btnClose"_s);
    EXPECT_EQ(close->CurrentGlyph().toImage().pixel(grey), tinted.pixel(grey));

    d.Tint(0);
    EXPECT_EQ(d.Skin(), drawn);
    EXPECT_EQ(d.KeyColor(), key);
}
