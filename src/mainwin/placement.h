#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class TzqIniFile;

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

// How the main window shows itself at the start.
enum class TzqStartShow {
    Normal,
    Maximized,
    Tray, // BootMode 2: hidden, only the tray icon
};

struct TzqStartPlacement {
    QPoint Place; // the frame's top-left corner
    QSize Size;   // the window's own size
    TzqStartShow Show = TzqStartShow::Normal;
};

// The placement of section PROGRAM: Left, Top (PlaceWindow), Width and Height (700 x 500 when
// missing), and by BootMode: 1 maximized, 2 in the tray, otherwise as Maximized says.
TzqStartPlacement ReadStartPlacement(const TzqIniFile& ini, int bootMode,
                                     const QList<QRect>& monitors, bool furtherInstance);

// What the window leaves in section PROGRAM when it closes. bounds: the frame's corner with the
// window's own size. A maximized window keeps the stored normal size and moves the stored corner
// to the monitor it is maximized on (windowMonitor) when that is not the stored one's.
void WriteClosePlacement(TzqIniFile& ini, bool maximized, const QRect& bounds,
                         const QRect& windowMonitor, const QList<QRect>& monitors);
