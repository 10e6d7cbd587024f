#include "testsupport.h"
#include "tlcalendar.h"

#include <QDateTime>
#include <QFile>
#include <QTest>
#include <QTimeZone>

#include <ctime>
#include <vector>

using Unit = TLCalendar::Unit;
using Boundary = TLCalendar::Boundary;
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

// The first instant of every local date from 1970 to 2037, from the C
// library's local time alone: its offset changes are found by sampling every
// few hours and halving down to the second, and each date then begins in the
// first stretch of constant offset whose clock reaches its midnight.
std::vector<qint64> dateStartsFromLibc()
{
    struct Stretch
    {
        qint64 from, offset;
    };
    const auto offsetAt = [](qint64 t) {
        const auto seconds = time_t(t);
        tm local{};
        localtime_r(&seconds, &local);
        return qint64(local.tm_gmtoff);
    };
    const qint64 begin = -2 * Day, finish = Day * 24855; // 1969-12-30 .. 2038-01-19
    std::vector<Stretch> stretches{{begin, offsetAt(begin)}};
    for (qint64 t = begin + 21600; t <= finish; t += 21600) {
        if (offsetAt(t) == stretches.back().offset)
            continue;
        qint64 lo = t - 21600, hi = t;
        while (hi - lo > 1)
            (offsetAt(lo + (hi - lo) / 2) == stretches.back().offset ? lo : hi) =
                    lo + (hi - lo) / 2;
        stretches.push_back({hi, offsetAt(hi)});
    }
    std::vector<qint64> starts;
    size_t s = 0;
    for (qint64 day = 0; day < 24837; ++day) { // to 2037-12-31
        const qint64 midnight = day * Day;
        while (true) {
            const qint64 at = qMax(midnight - stretches[s].offset, stretches[s].from);
            if (s + 1 == stretches.size() || at < stretches[s + 1].from) {
                if (starts.empty() || starts.back() != at * 1000)
                    starts.push_back(at * 1000);
                break;
            }
            ++s;
        }
    }
    return starts;
}

} // namespace

class TestTLCalendar : public QObject
{
    Q_OBJECT

private slots:
    void cells_data();
    void cells();
    void wholeYear_data();
    void wholeYear();
    void everyZoneAgreesWithTheCLibrary();
    void endsOfTime_data();
    void endsOfTime();
};

void TestTLCalendar::cells_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<Unit>("unit");
    QTest::addColumn<QString>("start"); // with the offset in force there
    QTest::addColumn<qint64>("span");
    QTest::addColumn<QStringList>("labels"); // all of them, or the first and the last
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("firstOffset"); // seconds from the start to the first cell

    // The worked example: 56,000 s per 100 px over 500 px, from Wednesday
    // 12 March 2008 10:30.
    const QString example = QStringLiteral("2008-03-12T10:30:00Z");
    const qint64 span = 280000;
    QTest::newRow("example_hours") << QByteArray("UTC") << Unit::Hour << example << span
                                   << QStringList{"10:00h", "16:00h"} << 79 << -1800LL;
    QTest::newRow("example_days") << QByteArray("UTC") << Unit::Day << example << span
                                  << QStringList{"Wed, 12", "Thu, 13", "Fri, 14", "Sat, 15"} << 4
                                  << -37800LL;
    QTest::newRow("example_weeks") << QByteArray("UTC") << Unit::Week << example << span
                                   << QStringList{"11"} << 1 << -210600LL;
    QTest::newRow("example_months") << QByteArray("UTC") << Unit::Month << example << span
                                    << QStringList{"Mar"} << 1 << -988200LL;
    QTest::newRow("example_years") << QByteArray("UTC") << Unit::Year << example << span
                                   << QStringList{"2008"} << 1 << -6172200LL;
    QTest::newRow("hour_from_14:59:59") << QByteArray("UTC") << Unit::Hour << "2008-03-12T14:59:59Z"
                                        << 1LL << QStringList{"14:00h"} << 1 << -3599LL;
    QTest::newRow("one_millisecond_past_midnight")
            << QByteArray("UTC") << Unit::Day << "2008-03-10T00:00:00.001Z" << 3600LL
            << QStringList{"Mon, 10"} << 1 << 0LL;
    QTest::newRow("sunday_in_the_week_before")
            << QByteArray("UTC") << Unit::Week << "2008-03-16T00:00:00Z" << 3600LL
            << QStringList{"11"} << 1 << -518400LL;
    QTest::newRow("week_of_29_december_2008")
            << QByteArray("UTC") << Unit::Week << "2008-12-31T12:00:00Z" << 3600LL
            << QStringList{"1"} << 1 << -216000LL;
    // Labels name the day of the month: 29 February 2008, then 1 March; the
    // 31st and a Sunday.
    QTest::newRow("window_end_on_a_boundary")
            << QByteArray("UTC") << Unit::Day << "2008-02-29T00:00:00Z" << 2 * Day
            << QStringList{"Fri, 29", "Sat, 1"} << 2 << 0LL;
    QTest::newRow("the_31st_and_a_sunday")
            << QByteArray("UTC") << Unit::Day << "2008-08-30T12:00:00Z" << 2 * Day
            << QStringList{"Sat, 30", "Sun, 31", "Mon, 1"} << 3 << -43200LL;

    // Santiago moved its clocks from 00:00 to 01:00 on 14 August 2016.
    QTest::newRow("skipped_midnight")
            << QByteArray("America/Santiago") << Unit::Day << "2016-08-13T12:00:00-04:00" << 2 * Day
            << QStringList{"Sat, 13", "Sun, 14", "Mon, 15"} << 3 << -43200LL;
    // Amman went from 01:00 back to 00:00 on 30 October 2015.
    QTest::newRow("repeated_midnight")
            << QByteArray("Asia/Amman") << Unit::Day << "2015-10-30T00:30:00+02:00" << 3600LL
            << QStringList{"Fri, 30"} << 1 << -5400LL;
    // Chita went from 02:00 (+10) back to 00:00 (+08) on 26 October 2014: the
    // date begins at the first of its two midnights.
    QTest::newRow("repeated_midnight_two_hours_back")
            << QByteArray("Asia/Chita") << Unit::Day << "2014-10-26T00:30:00+08:00" << 3600LL
            << QStringList{"Sun, 26"} << 1 << -9000LL;
    // St John's went from 00:01 back to 22:01 of the day before on 25 October
    // 1987: the 25th begins at the first midnight.
    QTest::newRow("clock_back_across_midnight")
            << QByteArray("America/St_Johns") << Unit::Day << "1987-10-24T12:00:00-02:30" << Day
            << QStringList{"Sat, 24", "Sun, 25"} << 2 << -43200LL;
    // Apia skipped Friday 30 December 2011 (from -10:00 to +14:00).
    QTest::newRow("skipped_date") << QByteArray("Pacific/Apia") << Unit::Day
                                  << "2011-12-29T12:00:00-10:00" << Day
                                  << QStringList{"Thu, 29", "Sat, 31"} << 2 << -43200LL;
    // Berlin: 02:00 -> 03:00 on 28 March, 03:00 -> 02:00 on 31 October 2021.
    QTest::newRow("spring_gap") << QByteArray("Europe/Berlin") << Unit::Hour
                                << "2021-03-28T01:30:00+01:00" << 3600LL
                                << QStringList{"01:00h", "03:00h"} << 2 << -1800LL;
    QTest::newRow("autumn_repeat")
            << QByteArray("Europe/Berlin") << Unit::Hour << "2021-10-31T01:30:00+02:00"
            << 3 * 3600LL << QStringList{"01:00h", "02:00h", "02:00h", "03:00h"} << 4 << -1800LL;
    QTest::newRow("autumn_second_pass")
            << QByteArray("Europe/Berlin") << Unit::Hour << "2021-10-31T02:30:00+01:00" << 60LL
            << QStringList{"02:00h"} << 1 << -1800LL;
    // Amsterdam skipped 28 seconds at midnight on 1 July 1937.
    QTest::newRow("28_second_gap")
            << QByteArray("Europe/Amsterdam") << Unit::Day << "1937-07-01T12:00:00+01:20" << 3600LL
            << QStringList{"Thu, 1"} << 1 << -43172LL;
}

void TestTLCalendar::cells()
{
    QFETCH(QByteArray, zone);
    QFETCH(Unit, unit);
    QFETCH(QString, start);
    QFETCH(qint64, span);
    QFETCH(QStringList, labels);
    QFETCH(int, count);
    QFETCH(qint64, firstOffset);

    const ZoneGuard guard(zone);
    const QDateTime given = QDateTime::fromString(start, Qt::ISODateWithMs);
    // Also catches missing zone data, which would silently leave us in UTC.
    QCOMPARE(given.toLocalTime().offsetFromUtc(), given.offsetFromUtc());
    const qint64 windowStart = given.toMSecsSinceEpoch();
    const qint64 windowEnd = windowStart + span * 1000;

    const QList<Cell> cells = collect(unit, windowStart, windowEnd);
    QCOMPARE(cells.size(), count);
    QStringList got;
    for (const Cell &c : cells)
        got << c.label;
    if (labels.size() < count)
        got = QStringList{got.first(), got.last()};
    QCOMPARE(got, labels);
    QCOMPARE((cells.first().start.msecs - windowStart) / 1000, firstOffset);
    checkRow(unit, windowStart, windowEnd, cells);
}

void TestTLCalendar::wholeYear_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<int>("year");

    // Changes of 30 minutes, odd offsets, both hemispheres, a skipped date.
    for (const char *row : {"Europe/Berlin 2021", "Australia/Lord_Howe 2021", "Asia/Kathmandu 1985",
                            "America/St_Johns 2023", "Pacific/Apia 2011", "America/Havana 2016"}) {
        const QList<QByteArray> parts = QByteArray(row).split(' ');
        QTest::newRow(row) << parts.at(0) << parts.at(1).toInt();
    }
}

void TestTLCalendar::wholeYear()
{
    QFETCH(QByteArray, zone);
    QFETCH(int, year);

    const ZoneGuard guard(zone);
    const qint64 start = QDateTime(QDate(year, 1, 1), QTime(12, 0)).toMSecsSinceEpoch();
    const qint64 end = start + 366 * Day * 1000;
    for (Unit unit : AllUnits)
        checkRow(unit, start, end, collect(unit, start, end));
}

void TestTLCalendar::everyZoneAgreesWithTheCLibrary()
{
    QFile table(QStringLiteral("/usr/share/zoneinfo/zone1970.tab"));
    QVERIFY2(table.open(QIODevice::ReadOnly), "tzdata is missing");
    int zones = 0;
    while (!table.atEnd()) {
        const QByteArray line = table.readLine();
        if (line.startsWith('#'))
            continue;
        const QByteArray zone = line.split('\t').value(2).trimmed();
        const ZoneGuard guard(zone);
        const std::vector<qint64> expected = dateStartsFromLibc();
        TLCalendar calendar;
        std::optional<Boundary> b = calendar.firstBoundary(Unit::Day, expected.front());
        for (const qint64 start : expected) {
            QVERIFY2(b && b->msecs == start, zone + ": the date beginning at "
                                                     + QByteArray::number(start) + " begins at "
                                                     + QByteArray::number(b ? b->msecs : 0));
            b = calendar.nextBoundary(Unit::Day, *b);
        }
        ++zones;
    }
    QVERIFY(zones > 300);
}

void TestTLCalendar::endsOfTime_data()
{
    QTest::addColumn<bool>("past");
    QTest::addColumn<qint64>("span"); // seconds

    for (const qint64 scale : {1340, 56000, 1728000, 20000000}) {
        const QByteArray name = QByteArray::number(scale);
        QTest::newRow("past_" + name) << true << 800 * scale / 100;
        QTest::newRow("future_" + name) << false << 800 * scale / 100;
    }
}

void TestTLCalendar::endsOfTime()
{
    QFETCH(bool, past);
    QFETCH(qint64, span);

    // Windows at either end of the range of representable instants: every
    // row runs from the window's start to its end; dividers stand where
    // boundaries can be represented, and hours stay on the hour. (The C
    // library's idea of summer time in the year 292 million is not Qt's, so
    // only the tiling is checked.)
    const ZoneGuard guard("Europe/Berlin");
    const qint64 start = past ? TLLocalTime::firstInstant() + 3600000
                              : TLLocalTime::moved(TLLocalTime::lastInstant(), -span * 500);
    const qint64 end = TLLocalTime::moved(start, span * 1000);
    for (Unit unit : AllUnits) {
        const QList<Cell> cells = collect(unit, start, end);
        checkRow(unit, start, end, cells, false);
        int dividers = 0;
        for (const Cell &c : cells) {
            dividers += c.start.exists ? 1 : 0;
            if (unit == Unit::Hour)
                QVERIFY2(c.label.endsWith(QLatin1String(":00h")), qPrintable(c.label));
        }
        QVERIFY(dividers >= cells.size() - 1);
    }
}

QTEST_GUILESS_MAIN(TestTLCalendar)
#include "tst_tlcalendar.moc"
