#include "tlcalendar.h"

namespace TLCalendar {

namespace {

constexpr qint64 SecondsPerHour = 3600;
constexpr qint64 SecondsPerDay = 24 * SecondsPerHour;

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

QDateTime firstHourBoundary(const QDateTime &t)
{
    const QTime time = t.time();
    const QTime hourStart(time.hour(), 0);
    // Going back by the minutes, seconds and milliseconds past the hour lands
    // on hh:00 unless the UTC offset changed since then; this also picks the
    // right pass through an hour that a change repeats.
    const qint64 msecsPastHour = (time.minute() * 60 + time.second()) * 1000 + time.msec();
    const QDateTime back = t.addMSecs(-msecsPastHour);
    if (back.date() == t.date() && back.time() == hourStart)
        return back;
    const QDateTime onTheHour(t.date(), hourStart);
    if (onTheHour.isValid() && onTheHour <= t)
        return onTheHour;
    // hh:00 was skipped by a change of the UTC offset within this hour; the
    // boundary is the first minute of the hour that exists.
    for (int minute = 1; minute <= time.minute(); ++minute) {
        const QDateTime candidate(t.date(), QTime(time.hour(), minute));
        if (candidate.isValid() && candidate <= t)
            return candidate;
    }
    return t;
}

} // namespace

bool isMidnight(QTime time)
{
    return time.hour() == 0 && time.minute() == 0 && time.second() == 0 && time.msec() == 0;
}

QDateTime startOfDay(QDateTime &dt)
{
    if (!isMidnight(dt.time()))
        dt = dateStart(dt.date());
    return dt;
}

QDateTime dateStart(QDate date)
{
    for (int i = 0; i <= MaxSkippedDates && date.isValid(); ++i) {
        const QDateTime start = date.startOfDay();
        if (start.isValid())
            return start;
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
        // The number is the weekday (1 = Monday), not the day of the month.
        return locale.dayName(date.dayOfWeek(), QLocale::ShortFormat) + QStringLiteral(", ")
                + QString::number(date.dayOfWeek());
    case Unit::Week:
        return QString::number(date.weekNumber());
    case Unit::Month:
        return locale.monthName(date.month(), QLocale::ShortFormat);
    case Unit::Year:
        return QString::number(date.year());
    }
    return QString();
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
    const qint64 span = windowEnd.isValid() ? qMax<qint64>(windowStart.secsTo(windowEnd), 0) : 0;
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
