#include "mainwin/placement.h"

#include "app/zqinifile.h"
#include "app/zqprjinfo.h"

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

QRect PrimaryMonitor(const QList<QRect>& monitors)
{
    return monitors.isEmpty() ? QRect(0, 0, 1024, 768) : monitors.front();
}

qint64 DistanceSquared(const QRect& a, const QRect& b)
{
    const qint64 dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const qint64 dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

} // namespace

QRect NearestMonitor(const QRect& rect, const QList<QRect>& monitors)
{
    QRect best;
    qint64 bestArea = 0;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (const QRect& m : monitors) {
        const QRect overlap = m.intersected(rect);
        const qint64 area = overlap.isValid() ? qint64(overlap.width()) * overlap.height() : 0;
        const qint64 distance = DistanceSquared(m, rect);
        if (area > bestArea || (bestArea == 0 && area == 0 && distance < bestDistance)) {
            best = m;
            bestArea = area;
            bestDistance = distance;
        }
    }
    return best;
}

QPoint PlaceWindow(const TzqPlacementInput& input)
{
    const QRect primary = PrimaryMonitor(input.Monitors);
    if (input.FirstStart)
        return {primary.left() + primary.width() / 2 - 350,
                primary.top() + primary.height() / 2 - 250};
    QPoint place = input.Stored;
    bool onMonitor = false;
    for (const QRect& m : input.Monitors) {
        // Right and bottom edges excluded.
        if (place.x() >= m.left() && place.x() < m.left() + m.width() && place.y() >= m.top() &&
            place.y() < m.top() + m.height())
            onMonitor = true;
    }
    if (!onMonitor)
        place = primary.topLeft();
    if (input.FurtherInstance)
        place += QPoint(30, 30);
    return place;
}

QPoint MaximizedStoredPlace(const QRect& stored, const QRect& windowMonitor,
                            const QList<QRect>& monitors)
{
    const QRect storedMonitor = NearestMonitor(stored, monitors);
    if (storedMonitor == windowMonitor || storedMonitor.isNull())
        return stored.topLeft();
    return windowMonitor.topLeft() + (stored.topLeft() - storedMonitor.topLeft());
}

TzqStartPlacement ReadStartPlacement(const TzqIniFile& ini, int bootMode,
                                     const QList<QRect>& monitors, bool furtherInstance)
{
    TzqPlacementInput in;
    in.FirstStart = !ini.SectionExists(ProgramSection);
    in.Stored = QPoint(ini.ReadInteger(ProgramSection, u"Left"_s, 100),
                       ini.ReadInteger(ProgramSection, u"Top"_s, 100));
    in.Monitors = monitors;
    in.FurtherInstance = furtherInstance;
    TzqStartPlacement out;
    out.Place = PlaceWindow(in);
    out.Size = QSize(ini.ReadInteger(ProgramSection, u"Width"_s, 700),
                     ini.ReadInteger(ProgramSection, u"Height"_s, 500));
    if (bootMode == 1)
        out.Show = TzqStartShow::Maximized;
    else if (bootMode == 2)
        out.Show = TzqStartShow::Tray;
    else if (ini.ReadBool(ProgramSection, u"Maximized"_s, false))
        out.Show = TzqStartShow::Maximized;
    return out;
}

void WriteClosePlacement(TzqIniFile& ini, bool maximized, const QRect& bounds,
                         const QRect& windowMonitor, const QList<QRect>& monitors)
{
    ini.WriteBool(ProgramSection, u"Maximized"_s, maximized);
    if (!maximized) {
        ini.WriteInteger(ProgramSection, u"Left"_s, bounds.left());
        ini.WriteInteger(ProgramSection, u"Top"_s, bounds.top());
        ini.WriteInteger(ProgramSection, u"Width"_s, bounds.width());
        ini.WriteInteger(ProgramSection, u"Height"_s, bounds.height());
        return;
    }
    const QRect screen = PrimaryMonitor(monitors);
    const QRect stored(ini.ReadInteger(ProgramSection, u"Left"_s, 25),
                       ini.ReadInteger(ProgramSection, u"Top"_s, 25),
                       ini.ReadInteger(ProgramSection, u"Width"_s, screen.width() - 50),
                       ini.ReadInteger(ProgramSection, u"Height"_s, screen.height() - 50));
    const QPoint moved = MaximizedStoredPlace(stored, windowMonitor, monitors);
    if (moved == stored.topLeft())
        return;
    ini.WriteInteger(ProgramSection, u"Left"_s, moved.x());
    ini.WriteInteger(ProgramSection, u"Top"_s, moved.y());
}
