#include "testsupport.h"
#include "tlcalendar.h"
#include "tlrowcells.h"

#include <QDateTime>
#include <QProcess>
#include <QTest>

#include <limits>
#include <map>

using Unit = TLCalendar::Unit;
using Boundary = TLCalendar::Boundary;
using Offsets = QList<qint64>;
Q_DECLARE_METATYPE(TLCalendar::Unit)

namespace {

constexpr qint64 Day = 86400;

struct Cell
{
    Boundary start, end;
    QString label(Unit unit) const { return TLCalendar::label(unit, start.date, start.time); }
};

// The cells of one row of the window, as the segment gets them.
QList<Cell> collect(TLCalendar &calendar, Unit unit, qint64 start, qint64 end)
{
    TLRowCells row(unit);
    row.setCalendar(&calendar);
    row.cover(start, start, end);
    QList<Cell> cells;
    for (size_t i = row.windowFirst(); i < row.pastWindow(end); ++i)
        cells.append({row.at(i).start, row.endOf(i)});
    return cells;
}

// The days of 2026, after which a calendar must draw any date as a fresh one.
void show2026(TLCalendar &calendar)
{
    const qint64 start = Q_INT64_C(1767225600000);
    collect(calendar, Unit::Day, start, start + 365 * Day * 1000);
}

// A zone's offsets from UTC, from a line of zone_offsets.py: the offset from
// each instant on, both in milliseconds.
struct ZoneOffsets
{
    explicit ZoneOffsets(const QByteArray &line)
    {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        name = fields.value(0);
        from[std::numeric_limits<qint64>::min()] = fields.value(1).toLongLong() * 1000;
        for (qsizetype i = 2; i + 1 < fields.size(); i += 2)
            from[fields.at(i).toLongLong() * 1000] = fields.at(i + 1).toLongLong() * 1000;
    }
    qint64 at(qint64 msecs) const { return std::prev(from.upper_bound(msecs))->second; }

    QByteArray name;
    std::map<qint64, qint64> from;
};

// What a cell of the unit stands for at an instant, by the zone's offsets:
// the date, the week's Monday, the month or the year.
qint64 unitKey(Unit unit, qint64 msecs, const ZoneOffsets &zone)
{
    const qint64 wall = msecs + zone.at(msecs), day = Day * 1000;
    const QDate d = QDate(1970, 1, 1).addDays(wall / day - (wall % day < 0 ? 1 : 0));
    return unit == Unit::Day     ? d.toJulianDay()
           : unit == Unit::Week  ? d.addDays(1 - d.dayOfWeek()).toJulianDay()
           : unit == Unit::Month ? qint64(d.year()) * 12 + d.month()
                                 : d.year();
}

// What is wrong with a row's cell, if anything: hours last 3600 s; by a
// zone's offsets, other cells begin at the first instant of what they stand
// for and hold one.
const char *cellFault(Unit unit, const Cell &c, const Cell *before, const ZoneOffsets *zone)
{
    if (c.start.msecs >= c.end.msecs)
        return "empty";
    if (before && !(before->end == c.start))
        return "apart from the one before";
    if (!c.start.exists || c.end.isEndOfTime())
        return nullptr;
    if (unit == Unit::Hour)
        return c.end.msecs - c.start.msecs == 3600000 ? nullptr : "not an hour";
    if (!zone)
        return nullptr;
    const qint64 key = unitKey(unit, c.start.msecs, *zone);
    if (unitKey(unit, c.start.msecs - 1, *zone) == key)
        return "not the first instant";
    return unitKey(unit, c.end.msecs - 1, *zone) == key ? nullptr : "ends late";
}

// A row tiles its window, from a cell that holds the start to the first that
// reaches the end, with cells as above.
void checkRow(Unit unit, qint64 start, qint64 end, const QList<Cell> &cells,
              const ZoneOffsets *zone = nullptr)
{
    QVERIFY(!cells.isEmpty());
    QVERIFY(cells.first().start.msecs <= start);
    QVERIFY2(cells.last().end.msecs >= end || cells.last().end.isEndOfTime(),
             "row stops short of the window's end");
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const Cell &c = cells.at(i);
        if (const char *fault = cellFault(unit, c, i > 0 ? &cells.at(i - 1) : nullptr, zone))
            QFAIL((zone ? zone->name : QByteArray()) + ' ' + c.label(unit).toUtf8() + " at "
                  + QByteArray::number(c.start.msecs) + ": " + fault);
    }
}

// In the zone, four years at a time from 1970 to 2100: every day, week,
// month and year begins where it does by zoneinfo's offsets, the days also
// after the calendar showed 2026, and the offset changes where zoneinfo's does.
void checkZone(const ZoneOffsets &zone)
{
    const ZoneGuard guard(zone.name);
    TLCalendar calendar, after2026;
    show2026(after2026);
    constexpr qint64 Stretch = 1461 * Day * 1000, End = Q_INT64_C(4133980800000); // 2101, UTC
    auto change = std::next(zone.from.cbegin());
    for (qint64 start = 0; start < End && !QTest::currentTestFailed(); start += Stretch) {
        const qint64 end = qMin(start + Stretch, End);
        for (const Unit unit : {Unit::Day, Unit::Week, Unit::Month, Unit::Year})
            checkRow(unit, start, end, collect(calendar, unit, start, end), &zone);
        checkRow(Unit::Day, start, end, collect(after2026, Unit::Day, start, end), &zone);
        for (; change != zone.from.cend() && change->first < end; ++change) {
            for (const qint64 at : {change->first - 1, change->first}) {
                if (calendar.localTime().offsetAt(at) != zone.at(at))
                    QFAIL(zone.name + ": not " + QByteArray::number(zone.at(at)) + " ms at "
                          + QByteArray::number(at));
            }
        }
    }
}

struct Row
{
    const char *name;
    QByteArray zone;
    QString start;
    Unit unit;
    qint64 span;
    QStringList labels;
    int count;
    Offsets offsets;
};

} // namespace
Q_DECLARE_METATYPE(Row)

class TestTLCalendar : public QObject
{
    Q_OBJECT

private slots:
    void cells_data()
    {
        // Seconds from the start: to the first cell's start, or to the first
        // cell's start and end and the last cell's start and end. Labels: all
        // of them, or the first and the last. The start carries the offset in
        // force there.
        QTest::addColumn<Row>("row");
        QTest::addColumn<bool>("after2026"); // drawn by a calendar that showed 2026 first
        // clang-format off
        const Row rows[] = {
            // The worked example: 56,000 s per 100 px over 500 px, from Wednesday
            // 12 March 2008 10:30.
            {"example_hours", "UTC", "2008-03-12T10:30:00Z", Unit::Hour, 280000,
             {"10:00h", "16:00h"}, 79, {-1800, 1800, 279000, 282600}},
            {"example_days", "UTC", "2008-03-12T10:30:00Z", Unit::Day, 280000,
             {"Wed, 12", "Thu, 13", "Fri, 14", "Sat, 15"}, 4, {-37800, 48600, 221400, 307800}},
            {"example_weeks", "UTC", "2008-03-12T10:30:00Z", Unit::Week, 280000,
             {"11"}, 1, {-210600, 394200, -210600, 394200}},
            {"example_months", "UTC", "2008-03-12T10:30:00Z", Unit::Month, 280000,
             {"Mar"}, 1, {-988200, 1690200, -988200, 1690200}},
            {"example_years", "UTC", "2008-03-12T10:30:00Z", Unit::Year, 280000,
             {"2008"}, 1, {-6172200, 25450200, -6172200, 25450200}},
            {"hour_from_14_59_59", "UTC", "2008-03-12T14:59:59Z", Unit::Hour, 1,
             {"14:00h"}, 1, {-3599}},
            {"week_of_29_december_2008", "UTC", "2008-12-31T12:00:00Z", Unit::Week, 3600,
             {"1"}, 1, {-216000}},
            // Every month's name; a leap February (in the last cell's start).
            {"months_of_2008", "UTC", "2008-01-01T00:00:00Z", Unit::Month, 366 * Day,
             {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
             12, {0, 2678400, 28944000, 31622400}},
            // Labels name the day of the month: 29 February, then 1 March.
            {"window_end_on_a_boundary", "UTC", "2008-02-29T00:00:00Z", Unit::Day, 2 * Day,
             {"Fri, 29", "Sat, 1"}, 2, {0}},
            // Amman went from 01:00 back to 00:00 on 30 October 2015.
            {"repeated_midnight", "Asia/Amman", "2015-10-30T00:30:00+02:00", Unit::Day, 3600,
             {"Fri, 30"}, 1, {-5400}},
            // Chita went from 02:00 (+10) back to 00:00 (+08) on 26 October 2014:
            // the date begins at the first of its two midnights.
            {"repeated_midnight_two_hours_back", "Asia/Chita", "2014-10-26T00:30:00+08:00",
             Unit::Day, 3600, {"Sun, 26"}, 1, {-9000}},
            // St John's went from 00:01 back to 22:01 of the day before on 25
            // October 1987: the 25th begins at the first midnight.
            {"clock_back_across_midnight", "America/St_Johns", "1987-10-24T12:00:00-02:30",
             Unit::Day, Day, {"Sat, 24", "Sun, 25"}, 2, {-43200, 43200, 43200, 133200}},
            // Past the 32-bit time_t, from the zones' rules: Berlin goes from
            // 02:00 to 03:00 on the last Sunday of March (28 March 2038) and back
            // on the last Sunday of October (29 October 2090); New York from 02:00
            // to 03:00 on the second Sunday of March (11 March 2040); Sydney from
            // 02:00 to 03:00 on the first Sunday of October (3 October 2038).
            {"spring_gap_2038", "Europe/Berlin", "2038-03-28T01:30:00+01:00", Unit::Hour, 3600,
             {"01:00h", "03:00h"}, 2, {-1800}},
            {"autumn_repeat_2090", "Europe/Berlin", "2090-10-29T01:30:00+02:00", Unit::Hour,
             3 * 3600, {"01:00h", "02:00h", "02:00h", "03:00h"}, 4, {-1800}},
            {"spring_gap_new_york_2040", "America/New_York", "2040-03-11T01:30:00-05:00",
             Unit::Hour, 3600, {"01:00h", "03:00h"}, 2, {-1800}},
            {"short_day_sydney_2038", "Australia/Sydney", "2038-10-03T00:00:00+10:00", Unit::Day,
             Day, {"Sun, 3", "Mon, 4"}, 2, {0, 82800, 82800, 169200}},
            // Amsterdam skipped 28 seconds at midnight on 1 July 1937.
            {"28_second_gap", "Europe/Amsterdam", "1937-07-01T12:00:00+01:20", Unit::Day, 3600,
             {"Thu, 1"}, 1, {-43172}},
        };
        // clang-format on
        for (const Row &r : rows) {
            QTest::newRow(r.name) << r << false;
            QTest::addRow("%s_after_2026", r.name) << r << true;
        }
    }

    void cells()
    {
        QFETCH(Row, row);
        QFETCH(bool, after2026);
        const ZoneGuard guard(row.zone);
        const QDateTime given = QDateTime::fromString(row.start, Qt::ISODateWithMs);
        // Also catches missing zone data, which would silently leave us in UTC.
        QCOMPARE(given.toLocalTime().offsetFromUtc(), given.offsetFromUtc());
        const qint64 windowStart = given.toMSecsSinceEpoch();
        const qint64 windowEnd = windowStart + row.span * 1000;

        TLCalendar calendar;
        if (after2026)
            show2026(calendar);
        const QList<Cell> cells = collect(calendar, row.unit, windowStart, windowEnd);
        QCOMPARE(cells.size(), row.count);
        QStringList got;
        for (const Cell &c : cells)
            got << c.label(row.unit);
        if (row.labels.size() < row.count)
            got = QStringList{got.first(), got.last()};
        QCOMPARE(got, row.labels);
        Offsets seconds;
        for (const qint64 msecs : {cells.first().start.msecs, cells.first().end.msecs,
                                   cells.last().start.msecs, cells.last().end.msecs})
            seconds << (msecs - windowStart) / 1000;
        QCOMPARE(seconds.mid(0, row.offsets.size()), row.offsets);
        checkRow(row.unit, windowStart, windowEnd, cells);
    }

    void everyZoneAgreesWithZoneinfo()
    {
        // Every zone of the system's tzdata (in the slow sanitizer build every
        // ZONE_STRIDE-th), against the offsets that Python's zoneinfo reads
        // from the zone files, each zone checked while the script reads the
        // next.
        QProcess script;
        script.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        script.start(QStringLiteral(PYTHON3), {QStringLiteral(ZONE_OFFSETS)});
        int zones = 0;
        while (script.canReadLine() || script.waitForReadyRead(-1)) {
            if (!script.canReadLine())
                continue;
            const ZoneOffsets zone(script.readLine());
            if (zones++ % ZONE_STRIDE == 0 && !QTest::currentTestFailed())
                checkZone(zone);
        }
        script.waitForFinished(-1);
        QCOMPARE(script.exitCode(), 0);
        QVERIFY(zones > 300);
    }
};

QTEST_GUILESS_MAIN(TestTLCalendar)
#include "tst_tlcalendar.moc"
