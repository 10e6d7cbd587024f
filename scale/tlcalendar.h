#ifndef TLCALENDAR_H
#define TLCALENDAR_H

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <functional>

// The calendar arithmetic of the time scale's rows, as pure functions: where
// a unit's first boundary at or before an instant lies, where the next one
// lies, what a cell is labelled, and the one loop that walks a window from
// boundary to boundary. All of it is local time.
//
// Day, week, month and year boundaries are always the first instant of their
// calendar date, computed from the date at every step; a time of day is never
// carried forward from one boundary to the next, so a skipped or repeated
// midnight cannot shift the boundaries after it. A date that the zone skips
// entirely has no boundary of its own: its neighbours meet.
namespace TLCalendar {

enum class Unit { Hour, Day, Week, Month, Year };

// True when hour, minute, second and millisecond are all 0.
bool isMidnight(QTime time);

// Sets dt to the first instant of its date (unless it is that instant already)
// and returns a copy of the result.
QDateTime startOfDay(QDateTime &dt);

// The first instant of date, or of the first following date that the zone
// does not skip; invalid where no such instant can be represented.
QDateTime dateStart(QDate date);

// The unit's boundary at or before t. For hours that is hh:00 of t's date and
// hour (its last pass at or before t, where the clock was set back over it),
// or, where the zone skipped hh:00, the first instant after it.
QDateTime firstBoundary(Unit unit, const QDateTime &t);

// The boundary after cur (a boundary of the same unit); strictly later than
// cur, or invalid where none can be represented.
QDateTime nextBoundary(Unit unit, const QDateTime &cur);

// The label of the cell that starts at cur.
QString label(Unit unit, const QDateTime &cur, const QLocale &locale = QLocale());

// t moved by seconds; where that leaves the range of representable
// date-times, the last instant in that direction that is still in it.
QDateTime addSecsClamped(const QDateTime &t, qint64 seconds);

// The shortest length a cell of the unit has on the wall clock (a 28-day month,
// a common year), in seconds; it bounds how many cells fit into a window.
qint64 nominalSeconds(Unit unit);

// Walks [windowStart, windowEnd) one unit at a time, starting at the first
// boundary at or before windowStart, and calls visit(cellStart, cellEnd) for
// every cell. Always visits at least one cell (if windowStart is valid); the
// last is the first one that ends at or after windowEnd. Never visits more than
// span / nominalSeconds(unit) + 2 cells, span being measured from the first
// boundary to windowEnd (the longer of elapsed and wall-clock time), and stops
// at the edge of the range of representable date-times. Returns the number of
// cells visited.
using CellVisitor = std::function<void(const QDateTime &cellStart, const QDateTime &cellEnd)>;
qint64 forEachCell(Unit unit, const QDateTime &windowStart, const QDateTime &windowEnd,
                   const CellVisitor &visit);

} // namespace TLCalendar

#endif // TLCALENDAR_H
