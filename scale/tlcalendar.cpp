#include "tlcalendar.h"

#include <QtNumeric>

namespace TLCalendar {

namespace {

constexpr qint64 SecondsPerHour = 3600;
constexpr qint64 SecondsPerDay = 24 * SecondsPerHour;
constexpr qint64 MSecsPerHour = 1000 * SecondsPerHour;

// How far earliestFrom() looks back for the wall-clock time it is after:
// steps of 1, 2, 4, ... hours, together more than five days.
constexpr int MaxLookBackSteps = 7;

// A zone skips at most one calendar date at a time (a move across the date
// line); looking a few dates ahead is plenty.
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

QDate nextDateOf(Unit unit, QDate date)
{
    // Computed from the unit's first date, so a boundary that had to move
    // past a skipped date does not drag the following ones along.
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

// True when the wall clock shows an earlier date and time at t than date/time.
bool wallClockBefore(const QDateTime &t, QDate date, QTime time)
{
    const QDate d = t.date();
    return d < date || (d == date && t.time() < time);
}

// The earliest instant at which the wall clock shows date/time or later,
// given one such instant, from. Where the clock was set back over date/time
// that is its first pass; where date/time was skipped, the instant the clock
// jumped past it, to the millisecond. Local time is asked for instants only:
// QDateTime's own answer for a wall-clock time in or near a change of the UTC
// offset can miss the first instant after a gap of less than a whole minute
// or the second of two passes, and not always the same one for the same time.
QDateTime earliestFrom(const QDateTime &from, QDate date, QTime time)
{
    qint64 hi = from.toMSecsSinceEpoch();
    qint64 lo = 0;
    // At the first representable instant there is nothing earlier to find.
    if (qSubOverflow(hi, qint64(1), &lo)
        || wallClockBefore(QDateTime::fromMSecsSinceEpoch(lo), date, time)) {
        return from;
    }
    // Find an instant before it, then halve the distance down to 1 ms.
    qint64 step = MSecsPerHour;
    for (int i = 0;; ++i) {
        if (i == MaxLookBackSteps || qSubOverflow(hi, step, &lo))
            return from;
        if (wallClockBefore(QDateTime::fromMSecsSinceEpoch(lo), date, time))
            break;
        hi = lo;
        step *= 2;
    }
    while (hi - lo > 1) {
        const qint64 mid = lo + (hi - lo) / 2;
        if (wallClockBefore(QDateTime::fromMSecsSinceEpoch(mid), date, time))
            lo = mid;
        else
            hi = mid;
    }
    return QDateTime::fromMSecsSinceEpoch(hi);
}

QDateTime firstHourBoundary(const QDateTime &t)
{
    const QTime time = t.time();
    const QTime hourStart(time.hour(), 0);
    // Going back by the minutes, seconds and milliseconds past the hour lands
    // on hh:00 unless the UTC offset changed since then; this also picks the
    // right pass through an hour that a change repeats.
    const qint64 msecsPastHour = (time.minute() * 60 + time.second()) * 1000 + time.msec();
    QDateTime back = t.addMSecs(-msecsPastHour);
    if (back.date() == t.date() && back.time() == hourStart)
        return back;
    // The offset changed within the hour: hh:00 is either skipped, and the
    // boundary is the first instant after it, or it lies in an earlier pass
    // of a stretch that the clock was set back over.
    return earliestFrom(t, t.date(), hourStart);
}

} // namespace

bool isMidnight(QTime time)
{
    return time.hour() == 0 && time.minute() == 0 && time.second() == 0 && time.msec() == 0;
}

QDateTime startOfDay(QDateTime &dt)
{
    // A midnight is not always the start of its date: where the clock went
    // from 01:00 back to 00:00, the second midnight is an hour into the date.
    if (!isMidnight(dt.time()) || dt.addMSecs(-1).date() == dt.date()) {
        const QDateTime start = dateStart(dt.date());
        if (start.isValid())
            dt = start;
    }
    return dt;
}

QDateTime dateStart(QDate date)
{
    for (int i = 0; i <= MaxSkippedDates && date.isValid(); ++i) {
        // QDate::startOfDay() finds an instant of the date, but not always
        // its first one (see earliestFrom()).
        const QDateTime start = date.startOfDay();
        if (start.isValid())
            return earliestFrom(start, date, QTime(0, 0));
        date = date.addDays(1);
    }
    return QDateTime();
}

QDateTime firstBoundary(Unit unit, const QDateTime &t)
{
    if (!t.isValid())
        return QDateTime();
    if (unit == Unit::Hour)
        return firstHourBoundary(t);
    const QDateTime first = dateStart(firstDateOf(unit, t.date()));
    // Only an unrepresentable date at the edge of the range can fail this.
    return first.isValid() && first <= t ? first : QDateTime();
}

QDateTime nextBoundary(Unit unit, const QDateTime &cur)
{
    if (!cur.isValid())
        return QDateTime();
    const QDateTime next = unit == Unit::Hour ? cur.addSecs(SecondsPerHour)
                                              : dateStart(nextDateOf(unit, cur.date()));
    return next.isValid() && next > cur ? next : QDateTime();
}

QString label(Unit unit, const QDateTime &cur, const QLocale &locale)
{
    const QDate date = cur.date();
    switch (unit) {
    case Unit::Hour:
        return cur.time().toString(QStringLiteral("hh:mm")) + QLatin1Char('h');
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

QDateTime addSecsClamped(const QDateTime &t, qint64 seconds)
{
    QDateTime moved = t.addSecs(seconds);
    if (moved.isValid() || !t.isValid())
        return moved;
    // Validity is monotonic in the shift, so a binary search finds the edge.
    qint64 valid = 0;
    qint64 invalid = seconds;
    while (invalid - valid > 1 || invalid - valid < -1) {
        const qint64 middle = valid + (invalid - valid) / 2;
        if (t.addSecs(middle).isValid())
            valid = middle;
        else
            invalid = middle;
    }
    return t.addSecs(valid);
}

qint64 nominalSeconds(Unit unit)
{
    switch (unit) {
    case Unit::Hour:
        return SecondsPerHour;
    case Unit::Day:
        return SecondsPerDay;
    case Unit::Week:
        return 7 * SecondsPerDay;
    case Unit::Month:
        return 28 * SecondsPerDay;
    case Unit::Year:
        return 365 * SecondsPerDay;
    }
    return SecondsPerHour;
}

qint64 forEachCell(Unit unit, const QDateTime &windowStart, const QDateTime &windowEnd,
                   const CellVisitor &visit)
{
    QDateTime cur = firstBoundary(unit, windowStart);
    if (!cur.isValid())
        return 0;
    // The cap on the number of cells counts from the first boundary, which can
    // lie more than a unit before windowStart (after the clock was set back),
    // and takes the longer of the elapsed and the wall-clock span: a day that
    // loses an hour to daylight saving is shorter than a nominal day, but
    // the wall clock still advances by a whole day across it.
    qint64 span = 0;
    if (windowEnd.isValid()) {
        const qint64 elapsed = cur.secsTo(windowEnd);
        const qint64 wallClock = elapsed + windowEnd.offsetFromUtc() - cur.offsetFromUtc();
        span = qMax<qint64>(qMax(elapsed, wallClock), 0);
    }
    const qint64 maxCells = span / nominalSeconds(unit) + 2;
    qint64 count = 0;
    // The test comes after each cell, so every row gets at least one.
    do {
        const QDateTime next = nextBoundary(unit, cur);
        if (!next.isValid())
            break;
        visit(cur, next);
        ++count;
        cur = next;
    } while (cur < windowEnd && count < maxCells);
    return count;
}

} // namespace TLCalendar
