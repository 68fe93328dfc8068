// The notification box offscreen: size, place, text, closing, and the sound without a device.
#include "app/zqprjinfo.h"
#include "tools/cutsound.h"
#include "tools/frmmsgbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

class MsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Main.setGeometry(300, 200, 700, 500);
        Main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Main));
    }
    void TearDown() override
    {
        for (const QPointer<TfrmMsgBox>& box : Boxes)
            delete box.data();
    }
    TfrmMsgBox* Show(const QString& text)
    {
        TfrmMsgBox* box = ShowMsgBox(&Main, text);
        Boxes.append(box);
        return box;
    }
    QWidget Main;
    QList<QPointer<TfrmMsgBox>> Boxes;
};

} // namespace

TEST_F(MsgBoxTest, LongMessagesWrapAndTheBoxGrows)
{
    TfrmMsgBox* shortBox = Show(u"  이름 변경에 실패했습니다.  "_s);
    EXPECT_EQ(shortBox->Message(), u"이름 변경에 실패했습니다."_s);
    EXPECT_EQ(shortBox->Caption(), u" "_s + TzqPrjInfo::TitleText());
    EXPECT_EQ(shortBox->width(), 242);
    const int oneLine = shortBox->MessageRect().height();
    EXPECT_GT(oneLine, 8);
    EXPECT_EQ(shortBox->height(), 20 + oneLine + 10);

    TfrmMsgBox* longBox =
        Show(u"노트 내용이 변경되었습니다. 다른 프로그램이 이 노트를 고쳤으므로 다시 읽어야 "
             u"합니다. 지금 고친 내용은 아직 저장되지 않았습니다."_s);
    EXPECT_EQ(longBox->width(), 242);
    EXPECT_GE(longBox->MessageRect().height(), 3 * oneLine);
    EXPECT_EQ(longBox->height(), 20 + longBox->MessageRect().height() + 10);
    EXPECT_LE(longBox->MessageRect().right(), longBox->width());

    // A word wider than the box (a path) is broken instead of running out of it.
    TfrmMsgBox* pathBox = Show(u"/home/user/BookData/아주긴폴더이름/또하나의긴폴더/note.htm"_s);
    EXPECT_GE(pathBox->MessageRect().height(), 2 * oneLine);

    // Line breaks inside a message are kept.
    TfrmMsgBox* twoLines = Show(u"첫 줄\r\n둘째 줄"_s);
    EXPECT_EQ(twoLines->MessageRect().height(), 2 * oneLine + TzqMsgBoxState::MessageLineGap);
}

TEST_F(MsgBoxTest, SitsAtTheTopRightOfTheMainWindow)
{
    const QRect frame = Main.frameGeometry();
    TfrmMsgBox* first = Show(u"하위로의 이동은 안됩니다."_s);
    TfrmMsgBox* second = Show(u"하위로의 이동은 안됩니다."_s);
    for (TfrmMsgBox* box : {first, second}) {
        EXPECT_TRUE(box->isVisible());
        EXPECT_EQ(box->pos(), QPoint(frame.left() + frame.width() - 242 - 3, frame.top() + 22));
        EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_TRUE(box->windowFlags().testFlag(Qt::FramelessWindowHint));
        // The box never takes the focus from the window the user works in.
        EXPECT_TRUE(box->testAttribute(Qt::WA_ShowWithoutActivating));
        EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        EXPECT_EQ(box->focusPolicy(), Qt::NoFocus);
    }

    // Without a main window the box takes the top right of the primary screen.
    TfrmMsgBox* alone = ShowMsgBox(nullptr, u"x"_s);
    Boxes.append(alone);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(alone->pos(), QPoint(screen.right() + 1 - 245, screen.top()));
}

TEST_F(MsgBoxTest, ClosesByItselfOrAtTheMouse)
{
    // A click closes and frees the box at once.
    QPointer<TfrmMsgBox> clicked = Show(u"클릭"_s);
    QTest::mouseClick(clicked.data(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(clicked.isNull() || !clicked->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicked.isNull(); }, 1000));

    // A move closes it at the next tick.
    QPointer<TfrmMsgBox> moved = Show(u"이동"_s);
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 15), moved->mapToGlobal(QPointF(30, 15)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(moved.data(), &move);
    EXPECT_EQ(moved->State().Ticks(), 99);
    EXPECT_TRUE(QTest::qWaitFor([&] { return moved.isNull(); }, 1000));

    // Left alone, it stays for about 3.4 seconds.
    QPointer<TfrmMsgBox> waited = Show(u"기다림"_s);
    QTest::qWait(2000);
    ASSERT_FALSE(waited.isNull());
    EXPECT_TRUE(waited->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return waited.isNull(); }, 4000));
}

TEST(CutSound, ReturnsAtOnceWithoutAnAudioDevice)
{
    // The sound is compiled in: a short 8-bit stereo 22050 Hz PCM file.
    QFile wav(u":/sounds/cut.wav"_s);
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    const QByteArray bytes = wav.readAll();
    ASSERT_GT(bytes.size(), 44);
    EXPECT_EQ(bytes.left(4), "RIFF");
    EXPECT_EQ(bytes.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(bytes.mid(20, 4), QByteArray("\x01\x00\x02\x00", 4)) << "PCM, 2 channels";
    EXPECT_EQ(bytes.mid(24, 4), QByteArray("\x22\x56\x00\x00", 4)) << "22050 Hz";
    EXPECT_EQ(bytes.mid(34, 2), QByteArray("\x08\x00", 2)) << "8 bits";
    const double seconds = double(bytes.size() - 44) / (22050 * 2);
    EXPECT_GT(seconds, 0.1);
    EXPECT_LT(seconds, 0.6);

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 5; ++i)
        PlayCutSound();
    QTest::qWait(100);
    PlayCutSound();
    // Loose: only that it came back, not how fast.
    EXPECT_LT(timer.elapsed(), 30000);
}
