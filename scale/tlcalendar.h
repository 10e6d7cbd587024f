#ifndef TLCALENDAR_H
#define TLCALENDAR_H

#include "tllocaltime.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>
#include <QtGlobal>

#include <optional>

// The calendar of the time scale's rows in the system time zone: where a
// unit's first boundary at or before an instant (milliseconds since the
// epoch) lies, where the next one and the one before lie, and what a cell is
// labelled.
//
// Day, week, month and year boundaries are the first instant whose local date
// is the unit's first date: where the clock passes midnight twice, its first
// pass; where it jumps over midnight, the instant of the jump. A date that
// the zone skips has no boundary of its own: its neighbours meet. Hours are
// 3600 seconds apart from the first one, which is hh:00 of the window's start.
class TLCalendar
{
public:
    enum class Unit { Hour, Day, Week, Month, Year };

    // Where a cell begins, and the wall-clock date and time it is labelled
    // with. At the ends of time a row's first cell can begin at the window's
    // start, its boundary lying before the first representable instant; and
    // the last cell ends at the last representable instant. Neither has a
    // divider (exists is false).
    struct Boundary
    {
        qint64 msecs = 0;
        QDate date;
        QTime time;
        bool exists = true;

        bool isEndOfTime() const { return !exists && !date.isValid(); }
        bool operator==(const Boundary &other) const
        {
            return msecs == other.msecs && exists == other.exists;
        }
    };

    // The unit's boundary at or before windowStart: for hours hh:00 of its
    // date and hour (the last pass at or before it, where the clock was set
    // back over it), or where the zone skipped hh:00 the first instant after.
    Boundary firstBoundary(Unit unit, qint64 windowStart);

    // The boundary after cur; nothing after the end of time.
    std::optional<Boundary> nextBoundary(Unit unit, const Boundary &cur);

    // The boundary whose next boundary is cur; nothing where there is none.
    std::optional<Boundary> previousBoundary(Unit unit, const Boundary &cur);

    // The label of the cell that begins at date and time.
    static QString label(Unit unit, QDate date, QTime time, const QLocale &locale = QLocale());

    TLLocalTime &localTime() { return local; }

private:
    Boundary boundaryAt(qint64 msecs);
    Boundary endOfTime() const;
    std::optional<qint64> firstShowing(QDate date, QTime time);
    Boundary nextDateBoundary(Unit unit, const Boundary &cur);

    TLLocalTime local;
};

#endif // TLCALENDAR_H
