#include "testsupport.h"
#include "tlcalendar.h"

#include <QDateTime>
#include <QFile>
#include <QTest>

#include <ctime>

using Unit = TLCalendar::Unit;
using Boundary = TLCalendar::Boundary;
using Offsets = QList<qint64>;
Q_DECLARE_METATYPE(TLCalendar::Unit)

namespace {

constexpr Unit AllUnits[] = {Unit::Hour, Unit::Day, Unit::Week, Unit::Month, Unit::Year};
constexpr qint64 Day = 86400;

struct Cell
{
    Boundary start, end;
    QString label;
};

// The cells of one row; far more than any window needs means it is stuck.
constexpr qsizetype RunawayLimit = 50000;
QList<Cell> collect(Unit unit, qint64 start, qint64 end)
{
    TLCalendar calendar;
    QList<Cell> cells;
    calendar.forEachCell(unit, start, end, [&](const Boundary &from, const Boundary &to) {
        if (cells.size() < RunawayLimit)
            cells.append({from, to, TLCalendar::label(unit, from.date, from.time)});
    });
    return cells;
}

// What a cell of the unit stands for at an instant, as the C library's
// local time has it: the date, the week's Monday, the month or the year.
qint64 unitKey(Unit unit, qint64 msecs)
{
    const time_t seconds = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
    tm local{};
    localtime_r(&seconds, &local);
    const QDate d(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return unit == Unit::Day     ? d.toJulianDay()
           : unit == Unit::Week  ? d.addDays(1 - d.dayOfWeek()).toJulianDay()
           : unit == Unit::Month ? qint64(d.year()) * 12 + d.month()
                                 : d.year();
}

// A row tiles its window: from a cell that holds the start to the first that
// reaches the end; hours last 3600 s, other cells begin at the first instant
// of what they stand for and hold one.
void checkRow(Unit unit, qint64 start, qint64 end, const QList<Cell> &cells,
              bool againstCLibrary = true)
{
    QVERIFY(!cells.isEmpty() && cells.size() < RunawayLimit);
    QVERIFY(cells.first().start.msecs <= start);
    QVERIFY2(cells.last().end.msecs >= end || cells.last().end.isEndOfTime(),
             "row stops short of the window's end");
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const Cell &c = cells.at(i);
        const QByteArray where = QByteArray::number(c.start.msecs) + " " + c.label.toUtf8();
        QVERIFY2(c.start.msecs < c.end.msecs, where);
        if (i > 0)
            QVERIFY2(cells.at(i - 1).end == c.start, where);
        if (!c.start.exists || c.end.isEndOfTime() || !againstCLibrary)
            continue;
        if (unit == Unit::Hour) {
            QCOMPARE(c.end.msecs - c.start.msecs, qint64(3600000));
            continue;
        }
        const qint64 key = unitKey(unit, c.start.msecs);
        QVERIFY2(unitKey(unit, c.start.msecs - 1) != key, "not the first instant: " + where);
        QVERIFY2(unitKey(unit, c.end.msecs - 1) == key, "ends late: " + where);
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
            // Berlin: 02:00 -> 03:00 on 28 March, 03:00 -> 02:00 on 31 October 2021.
            {"spring_gap", "Europe/Berlin", "2021-03-28T01:30:00+01:00", Unit::Hour, 3600,
             {"01:00h", "03:00h"}, 2, {-1800}},
            {"autumn_repeat", "Europe/Berlin", "2021-10-31T01:30:00+02:00", Unit::Hour, 3 * 3600,
             {"01:00h", "02:00h", "02:00h", "03:00h"}, 4, {-1800}},
            // Amsterdam skipped 28 seconds at midnight on 1 July 1937.
            {"28_second_gap", "Europe/Amsterdam", "1937-07-01T12:00:00+01:20", Unit::Day, 3600,
             {"Thu, 1"}, 1, {-43172}},
        };
        // clang-format on
        for (const Row &r : rows)
            QTest::newRow(r.name) << r;
    }

    void cells()
    {
        QFETCH(Row, row);
        const ZoneGuard guard(row.zone);
        const QDateTime given = QDateTime::fromString(row.start, Qt::ISODateWithMs);
        // Also catches missing zone data, which would silently leave us in UTC.
        QCOMPARE(given.toLocalTime().offsetFromUtc(), given.offsetFromUtc());
        const qint64 windowStart = given.toMSecsSinceEpoch();
        const qint64 windowEnd = windowStart + row.span * 1000;

        const QList<Cell> cells = collect(row.unit, windowStart, windowEnd);
        QCOMPARE(cells.size(), row.count);
        QStringList got;
        for (const Cell &c : cells)
            got << c.label;
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

    void everyZoneAgreesWithTheCLibrary()
    {
        // Every day, week, month and year from 1970 to 2037 in every zone of the
        // system's tzdata. (Where the clock goes back across midnight, the C
        // library cannot tell which pass begins the date: the rows above say.)
        QFile table(QStringLiteral("/usr/share/zoneinfo/zone1970.tab"));
        QVERIFY2(table.open(QIODevice::ReadOnly), "tzdata is missing");
        const qint64 start = 0, end = Q_INT64_C(2145916800000); // 1970 to 2038, UTC
        int zones = 0;
        while (!table.atEnd() && !QTest::currentTestFailed()) {
            const QByteArray line = table.readLine();
            if (line.startsWith('#'))
                continue;
            const ZoneGuard guard(line.split('\t').value(2).trimmed());
            for (const Unit unit : {Unit::Day, Unit::Week, Unit::Month, Unit::Year})
                checkRow(unit, start, end, collect(unit, start, end));
            ++zones;
        }
        QVERIFY(zones > 300);
    }

    void endsOfTime_data()
    {
        QTest::addColumn<qint64>("span"); // seconds: 800 px at the scale
        for (const qint64 scale : {1340, 56000, 1728000, 20000000})
            QTest::addRow("%lld", scale) << 8 * scale;
    }

    void endsOfTime()
    {
        QFETCH(qint64, span);
        // Windows at either end of the range of representable instants: every
        // row runs from the window's start to its end; dividers stand where
        // boundaries can be represented, and hours stay on the hour. (The C
        // library's idea of summer time in the year 292 million is not Qt's, so
        // only the tiling is checked.)
        const ZoneGuard guard("Europe/Berlin");
        for (const qint64 start : {TLLocalTime::firstInstant() + 3600000,
                                   TLLocalTime::moved(TLLocalTime::lastInstant(), -span * 500)}) {
            const qint64 end = TLLocalTime::moved(start, span * 1000);
            for (Unit unit : AllUnits) {
                const QList<Cell> cells = collect(unit, start, end);
                checkRow(unit, start, end, cells, false);
                int dividers = 0;
                for (const Cell &c : cells) {
                    dividers += c.start.exists ? 1 : 0;
                    QVERIFY(unit != Unit::Hour || c.label.endsWith(QLatin1String(":00h")));
                }
                QVERIFY(dividers >= cells.size() - 1);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTLCalendar)
#include "tst_tlcalendar.moc"
