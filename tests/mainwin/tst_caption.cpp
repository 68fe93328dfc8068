#include "mainwin/caption.h"
#include "mainwin/placement.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(Caption, NotesFoldersAndLockHolders)
{
    TzqCaption c = CaptionForPage(u"/home/u/BookData/Work/My plan.htm"_s, {});
    EXPECT_EQ(c.Window, u"/home/u/BookData/Work/My plan"_s);
    EXPECT_EQ(c.TaskBar, u"My plan"_s);

    // A folder note shows its folder's path and the folder's name.
    c = CaptionForPage(u"/data/Work/a.b/___zq_quillet__folder.htm"_s, {});
    EXPECT_EQ(c.Window, u"/data/Work/a.b"_s);
    EXPECT_EQ(c.TaskBar, u"a"_s);

    c = CaptionForPage(u"C:\\Notes\\회의록.htm"_s, u"Alpha"_s);
    EXPECT_EQ(c.Window, u"-AlphaC:/Notes/회의록"_s);
    EXPECT_EQ(c.TaskBar, u"회의록"_s);
}

TEST(Placement, FirstStartOffScreenAndFurtherInstance)
{
    const QList<QRect> monitors{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    TzqPlacementInput in;
    in.Monitors = monitors;
    in.FirstStart = true;
    EXPECT_EQ(PlaceWindow(in), QPoint(610, 290));

    in.FirstStart = false;
    in.Stored = QPoint(2000, 100);
    EXPECT_EQ(PlaceWindow(in), QPoint(2000, 100));
    // A place on a monitor that is gone opens at the primary monitor's corner.
    in.Stored = QPoint(3300, 100);
    EXPECT_EQ(PlaceWindow(in), QPoint(0, 0));
    // The right edge is outside.
    in.Stored = QPoint(1920 + 1280, 5);
    EXPECT_EQ(PlaceWindow(in), QPoint(0, 0));
    in.Stored = QPoint(100, 100);
    in.FurtherInstance = true;
    EXPECT_EQ(PlaceWindow(in), QPoint(130, 130));
}

TEST(Placement, MaximizedOnAnotherMonitorMovesTheStoredPlace)
{
    const QList<QRect> monitors{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    // Stored on monitor 1 at (100, 50); maximized on monitor 2.
    EXPECT_EQ(MaximizedStoredPlace(QRect(100, 50, 700, 500), monitors[1], monitors),
              QPoint(2020, 50));
    EXPECT_EQ(MaximizedStoredPlace(QRect(100, 50, 700, 500), monitors[0], monitors),
              QPoint(100, 50));
}
