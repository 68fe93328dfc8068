#include "app/zqinifile.h"
#include "app/zqprjinfo.h"
#include "mainwin/caption.h"
#include "mainwin/placement.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

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

TEST(Placement, StartPlacementFromTheSettings)
{
    QTemporaryDir dir;
    TzqIniFile ini(dir.filePath(u"zqQuillet.ini"_s));
    const QList<QRect> monitors{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};

    // First start: no section PROGRAM; 700 x 500 centred on the primary monitor.
    TzqStartPlacement p = ReadStartPlacement(ini, 0, monitors, false);
    EXPECT_EQ(p.Place, QPoint(610, 290));
    EXPECT_EQ(p.Size, QSize(700, 500));
    EXPECT_EQ(p.Show, TzqStartShow::Normal);
    EXPECT_EQ(ReadStartPlacement(ini, 1, monitors, false).Show, TzqStartShow::Maximized);
    EXPECT_EQ(ReadStartPlacement(ini, 2, monitors, false).Show, TzqStartShow::Tray);

    ini.WriteInteger(ProgramSection, u"Left"_s, 2000);
    ini.WriteInteger(ProgramSection, u"Top"_s, 40);
    ini.WriteInteger(ProgramSection, u"Width"_s, 800);
    ini.WriteInteger(ProgramSection, u"Height"_s, 600);
    ini.WriteBool(ProgramSection, u"Maximized"_s, true);
    p = ReadStartPlacement(ini, 0, monitors, true);
    EXPECT_EQ(p.Place, QPoint(2030, 70));
    EXPECT_EQ(p.Size, QSize(800, 600));
    EXPECT_EQ(p.Show, TzqStartShow::Maximized);
    // BootMode 2 stays in the tray even when the window was closed maximized.
    EXPECT_EQ(ReadStartPlacement(ini, 2, monitors, false).Show, TzqStartShow::Tray);
    // Monitor 2 is gone: the primary monitor's corner.
    p = ReadStartPlacement(ini, 3, {monitors[0]}, false);
    EXPECT_EQ(p.Place, QPoint(0, 0));
    EXPECT_EQ(p.Show, TzqStartShow::Maximized);
}

TEST(Placement, WhatTheCloseWrites)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"zqQuillet.ini"_s);
    TzqIniFile ini(path);
    const QList<QRect> monitors{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};

    WriteClosePlacement(ini, false, QRect(120, 80, 640, 480), monitors[0], monitors);
    EXPECT_EQ(testutil::ReadFile(path),
              "[PROGRAM]\r\nMaximized=0\r\nLeft=120\r\nTop=80\r\nWidth=640\r\nHeight=480\r\n");

    // Maximized on the same monitor: only the flag changes, the normal place stays.
    WriteClosePlacement(ini, true, QRect(-4, -4, 1928, 1088), monitors[0], monitors);
    EXPECT_EQ(testutil::ReadFile(path),
              "[PROGRAM]\r\nMaximized=1\r\nLeft=120\r\nTop=80\r\nWidth=640\r\nHeight=480\r\n");

    // Maximized on monitor 2: the corner moves there at the same offset, the size stays.
    WriteClosePlacement(ini, true, QRect(1920, 0, 1280, 1024), monitors[1], monitors);
    EXPECT_EQ(testutil::ReadFile(path),
              "[PROGRAM]\r\nMaximized=1\r\nLeft=2040\r\nTop=80\r\nWidth=640\r\nHeight=480\r\n");

    // Nothing stored yet, maximized on monitor 2: the default place 25, 25 moves with it and
    // no size is invented.
    const QString fresh = dir.filePath(u"fresh.ini"_s);
    TzqIniFile empty(fresh);
    WriteClosePlacement(empty, true, QRect(1920, 0, 1280, 1024), monitors[1], monitors);
    EXPECT_EQ(testutil::ReadFile(fresh), "[PROGRAM]\r\nMaximized=1\r\nLeft=1945\r\nTop=25\r\n");
}
