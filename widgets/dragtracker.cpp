#include "dragtracker.h"

#include <cstdlib>

bool DragTracker::move(QPoint pos, QPoint *start)
{
    if (pressPoint.isNull())
        return false;
    if (!dragging) {
        // Each axis is tested on its own; qint64 keeps extreme positions from
        // overflowing the difference.
        const qint64 dx = std::llabs(qint64(pos.x()) - pressPoint.x());
        const qint64 dy = std::llabs(qint64(pos.y()) - pressPoint.y());
        if (dx <= Threshold && dy <= Threshold)
            return false;
        dragging = true;
        lastPoint = pressPoint;
    }
    *start = lastPoint;
    lastPoint = pos;
    return true;
}

bool DragTracker::release()
{
    const bool wasDragging = dragging;
    dragging = false;
    pressPoint = QPoint();
    return wasDragging;
}
