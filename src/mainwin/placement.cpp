#include "mainwin/placement.h"

#include <limits>

namespace {

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
    const QRect primary =
        input.Monitors.isEmpty() ? QRect(0, 0, 1024, 768) : input.Monitors.front();
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
