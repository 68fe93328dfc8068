#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

// Where the main window opens.
struct TzqPlacementInput {
    bool FirstStart = false;      // the settings file has no PROGRAM section yet
    QPoint Stored{100, 100};      // Left and Top as stored
    QList<QRect> Monitors;        // the first is the primary one
    bool FurtherInstance = false; // started with "zqzq": 30 pixels down and right
};

// The first start centres the default 700 x 500 window on the primary monitor; a stored place
// that lies on no monitor moves to the primary monitor's top-left corner.
QPoint PlaceWindow(const TzqPlacementInput& input);

// What to store for a maximized window: the normal place moves to the monitor the window is
// maximized on, at the same offset from its corner. Returns the place to write, or the
// stored one when both lie on the same monitor.
QPoint MaximizedStoredPlace(const QRect& stored, const QRect& windowMonitor,
                            const QList<QRect>& monitors);

// The monitor nearest to a rectangle: the one it overlaps most, else the closest.
QRect NearestMonitor(const QRect& rect, const QList<QRect>& monitors);
