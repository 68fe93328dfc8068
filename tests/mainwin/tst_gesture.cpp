// The right-button gestures, the wheel steps and the input-mode mark's look and place.
#include "mainwin/hangulmark.h"
#include "mainwin/zqgesture.h"
#include "mainwin/zqwheelsteps.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using A = TzqGesture::TAction;
using S = TzqGesture::TState;

namespace {

// A drag from start by (dx, dy) over the note.
TzqGesture::TResult Drag(QPoint start, int dx, int dy)
{
    TzqGesture g;
    const TzqGesture::TResult down = g.RightDown(start, false, true);
    EXPECT_TRUE(down.Swallow);
    EXPECT_EQ(down.Action, A::None);
    EXPECT_EQ(g.State(), S::Armed);
    const TzqGesture::TResult up = g.RightUp(start + QPoint(dx, dy));
    EXPECT_EQ(g.State(), S::None);
    return up;
}

} // namespace

TEST(Gesture, DragsAreMeasuredFromWhereverTheyStartNegativeScreensToo)
{
    // The primary screen's corner, a screen to its left and one above it.
    for (const QPoint start : {QPoint(0, 0), QPoint(-1, -1), QPoint(-1500, 300), QPoint(200, -900),
                               QPoint(-1920, -1080)}) {
        SCOPED_TRACE(std::to_string(start.x()) + "," + std::to_string(start.y()));
        EXPECT_EQ(Drag(start, 0, 31).Action, A::ScrollToEnd);
        EXPECT_EQ(Drag(start, 0, -31).Action, A::ScrollToTop);
        EXPECT_EQ(Drag(start, 25, 30).Action, A::GoForward);
        EXPECT_EQ(Drag(start, -21, -30).Action, A::GoBack);
        // Vertical wins over horizontal.
        EXPECT_EQ(Drag(start, 100, 31).Action, A::ScrollToEnd);
        // Within the slack: a click, its context menu comes back.
        const TzqGesture::TResult still = Drag(start, 20, 30);
        EXPECT_EQ(still.Action, A::ContextMenu);
        EXPECT_TRUE(still.Swallow);
        EXPECT_EQ(Drag(start, -20, -30).Action, A::ContextMenu);
    }
}

TEST(Gesture, APressOutsideTheNoteIsNotTouched)
{
    TzqGesture g;
    const TzqGesture::TResult down = g.RightDown(QPoint(-50, -50), false, false);
    EXPECT_FALSE(down.Swallow);
    EXPECT_EQ(g.State(), S::None);
    EXPECT_FALSE(g.SwallowsContextMenu());
    const TzqGesture::TResult up = g.RightUp(QPoint(-50, 100));
    EXPECT_FALSE(up.Swallow);
    EXPECT_EQ(up.Action, A::None);
}

TEST(Gesture, TheRockerGoesForwardAndTakesItsReleaseAnywhere)
{
    TzqGesture g;
    const TzqGesture::TResult down = g.RightDown(QPoint(-300, -20), true, false);
    EXPECT_EQ(down.Action, A::GoForward);
    EXPECT_TRUE(down.Swallow);
    EXPECT_EQ(g.State(), S::Rocker);
    EXPECT_TRUE(g.SwallowsContextMenu());
    // However far the pointer moved, the release only ends the rocker.
    const TzqGesture::TResult up = g.RightUp(QPoint(-300, 500));
    EXPECT_EQ(up.Action, A::None);
    EXPECT_TRUE(up.Swallow);
    EXPECT_EQ(g.State(), S::None);
    // The next release is nobody's.
    EXPECT_FALSE(g.RightUp(QPoint(0, 0)).Swallow);
}

TEST(Gesture, ANewPressStartsAfreshFromItsOwnPoint)
{
    TzqGesture g;
    g.RightDown(QPoint(10, 10), false, true);
    // A second press (its release was lost) restarts the measure.
    g.RightDown(QPoint(500, 500), false, true);
    EXPECT_EQ(g.Start(), QPoint(500, 500));
    EXPECT_EQ(g.RightUp(QPoint(505, 505)).Action, A::ContextMenu);
    // A press outside the note disarms a gesture left over.
    g.RightDown(QPoint(10, 10), false, true);
    g.RightDown(QPoint(10, 10), false, false);
    EXPECT_FALSE(g.RightUp(QPoint(10, 100)).Swallow);
}

TEST(WheelSteps, NotchesAreStepsAndSmallDeltasAddUpByTheirSign)
{
    TzqWheelSteps w;
    EXPECT_EQ(w.Add(120), 1);
    EXPECT_EQ(w.Add(-120), -1);
    EXPECT_EQ(w.Add(360), 3);
    // A touchpad: 15 units at a time, a step after eight of them, either way.
    int steps = 0;
    for (int i = 0; i < 7; ++i)
        steps += w.Add(15);
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(w.Add(15), 1);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(w.Add(-15), 0);
    EXPECT_EQ(w.Add(-15), -1);
    // Deltas below one unit of the old six-unit rule still count, downwards too.
    for (int i = 0; i < 39; ++i)
        EXPECT_EQ(w.Add(-3), 0);
    EXPECT_EQ(w.Add(-3), -1);
    // Turning back drops what the other way had gathered.
    EXPECT_EQ(w.Add(100), 0);
    EXPECT_EQ(w.Add(-100), 0);
    EXPECT_EQ(w.Add(-20), -1);
    EXPECT_EQ(w.Add(0), 0);
}

TEST(HangulMark, LooksAndPlaces)
{
    const TzqHangulMarkLook hangul = HangulMarkLook(true);
    EXPECT_EQ(hangul.Background, 0xFF8000u);
    EXPECT_EQ(hangul.Text, 0xFFFFFFu);
    EXPECT_EQ(hangul.Caption, u"Hangul"_s);
    const TzqHangulMarkLook english = HangulMarkLook(false);
    EXPECT_EQ(english.Background, 0x0000FFu);
    EXPECT_EQ(english.Text, 0x00FFFFu);
    EXPECT_EQ(english.Caption, u"English"_s);

    const QSize mark(50, 10);
    const QRect view(-1000, -500, 600, 400);
    const QRect caret(-900, -400, 1, 16); // bottom edge at -384
    // Edit mode: just under the caret.
    EXPECT_EQ(HangulMarkPosition(1, caret, view, 0, mark), QPoint(-900, -382));
    // Source mode: beside it, and to its left near the window's right edge.
    EXPECT_EQ(HangulMarkPosition(2, caret, view, 0, mark), QPoint(-894, -406));
    EXPECT_EQ(HangulMarkPosition(2, caret, view, -894 + 50 + 30 - 1, mark),
              QPoint(-894 - 80, -406));
    EXPECT_EQ(HangulMarkPosition(2, caret, view, -894 + 50 + 30, mark), QPoint(-894, -406));
    // Browse mode and implausible views leave the mark where it is.
    EXPECT_FALSE(HangulMarkPosition(0, caret, view, 0, mark));
    EXPECT_FALSE(HangulMarkPosition(1, caret, QRect(0, 0, 9, 400), 0, mark));
    EXPECT_FALSE(HangulMarkPosition(1, caret, QRect(0, 0, 400, 20001), 0, mark));
    EXPECT_TRUE(HangulMarkPosition(1, caret, QRect(0, 0, 10, 20000), 0, mark));
}
