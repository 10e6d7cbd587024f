#include "tlcalendar.h"

namespace {

using Unit = TLCalendar::Unit;
using Boundary = TLCalendar::Boundary;

constexpr qint64 MSecsPerHour = qint64(3600) * 1000;
// A zone has skipped at most one date at a time (a move across the date
// line); a boundary is looked for this many dates further, to be safe.
constexpr int MaxSkippedDates = 3;

QDate firstDateOf(Unit unit, QDate date)
{
    switch (unit) {
    case Unit::Week:
        return date.addDays(1 - date.dayOfWeek());
    case Unit::Month:
        return QDate(date.year(), date.month(), 1);
    case Unit::Year:
        return QDate(date.year(), 1, 1);
    case Unit::Hour:
    case Unit::Day:
        break;
    }
    return date;
}

// Computed from the unit's first date, so a boundary that had to move past
// a skipped date does not drag the following ones along.
QDate nextDateOf(Unit unit, QDate date)
{
    const QDate first = firstDateOf(unit, date);
    switch (unit) {
    case Unit::Week:
        return first.addDays(7);
    case Unit::Month:
        return first.addMonths(1);
    case Unit::Year:
        return first.addYears(1);
    case Unit::Hour:
    case Unit::Day:
        break;
    }
    return date.addDays(1);
}

} // namespace

// The boundary at an instant, labelled with the local time there.
Boundary TLCalendar::boundaryAt(qint64 msecs)
{
    const qint64 wall = local.wallAt(msecs);
    return {msecs, TLLocalTime::dateOf(wall), TLLocalTime::timeOf(wall), true};
}

Boundary TLCalendar::endOfTime() const
{
    return {TLLocalTime::lastInstant(), QDate(), QTime(), false};
}

// The first instant that shows the wall-clock time, if it can be represented.
std::optional<qint64> TLCalendar::firstShowing(QDate date, QTime time)
{
    const std::optional<qint64> wall = TLLocalTime::wallClock(date, time);
    return wall ? local.firstShowing(*wall) : std::nullopt;
}

// The first boundary of a date-based unit after cur, or the end of time.
Boundary TLCalendar::nextDateBoundary(Unit unit, const Boundary &cur)
{
    QDate date = cur.date;
    for (int i = 0; i <= MaxSkippedDates; ++i) {
        date = nextDateOf(unit, date);
        const std::optional<qint64> start = firstShowing(date, QTime(0, 0));
        if (!start)
            break;
        if (*start > cur.msecs)
            return boundaryAt(*start);
    }
    return endOfTime();
}

Boundary TLCalendar::firstBoundary(Unit unit, qint64 windowStart)
{
    const qint64 now = local.wallAt(windowStart);
    const QDate date = TLLocalTime::dateOf(now);
    if (unit == Unit::Hour) {
        const QTime hour(TLLocalTime::timeOf(now).hour(), 0);
        const std::optional<qint64> wall = TLLocalTime::wallClock(date, hour);
        std::optional<qint64> start;
        if (wall) {
            start = local.lastShowing(*wall, windowStart);
            if (!start)
                start = local.firstShowing(*wall); // hh:00 was skipped
        }
        if (start && *start <= windowStart)
            return boundaryAt(*start);
        return {windowStart, date, hour, false};
    }
    const QDate first = firstDateOf(unit, date);
    const std::optional<qint64> start = firstShowing(first, QTime(0, 0));
    if (start && *start <= windowStart)
        return boundaryAt(*start);
    return {windowStart, first, QTime(0, 0), false};
}

std::optional<TLCalendar::Boundary> TLCalendar::nextBoundary(Unit unit, const Boundary &cur)
{
    if (cur.isEndOfTime())
        return std::nullopt;
    if (unit != Unit::Hour)
        return nextDateBoundary(unit, cur);
    if (!cur.exists) {
        // A row cut off by the start of time: its hours stay on the hour.
        const QTime next = cur.time.addSecs(3600);
        const std::optional<qint64> start =
                firstShowing(next < cur.time ? cur.date.addDays(1) : cur.date, next);
        return start && *start > cur.msecs ? boundaryAt(*start) : endOfTime();
    }
    const qint64 next = TLLocalTime::moved(cur.msecs, MSecsPerHour);
    return next - cur.msecs == MSecsPerHour ? boundaryAt(next) : endOfTime();
}

std::optional<TLCalendar::Boundary> TLCalendar::previousBoundary(Unit unit, const Boundary &cur)
{
    if (!cur.exists)
        return std::nullopt;
    if (unit == Unit::Hour) {
        const qint64 previous = TLLocalTime::moved(cur.msecs, -MSecsPerHour);
        if (cur.msecs - previous != MSecsPerHour)
            return std::nullopt;
        return boundaryAt(previous);
    }
    if (cur.msecs == TLLocalTime::firstInstant())
        return std::nullopt;
    const QDate before = TLLocalTime::dateOf(local.wallAt(cur.msecs - 1));
    const std::optional<qint64> start = firstShowing(firstDateOf(unit, before), QTime(0, 0));
    if (!start)
        return std::nullopt;
    const Boundary previous = boundaryAt(*start);
    // Only a boundary whose successor is cur continues the row.
    const std::optional<Boundary> next = nextBoundary(unit, previous);
    if (!next || !(*next == cur))
        return std::nullopt;
    return previous;
}

QString TLCalendar::label(Unit unit, QDate date, QTime time, const QLocale &locale)
{
    switch (unit) {
    case Unit::Hour:
        return time.toString(QStringLiteral("hh:mm")) + QLatin1Char('h');
    case Unit::Day:
        return locale.dayName(date.dayOfWeek(), QLocale::ShortFormat) + QStringLiteral(", ")
               + QString::number(date.day());
    case Unit::Week:
        return QString::number(date.weekNumber());
    case Unit::Month:
        return locale.monthName(date.month(), QLocale::ShortFormat);
    case Unit::Year:
        return QString::number(date.year());
    }
    return QString();
}
