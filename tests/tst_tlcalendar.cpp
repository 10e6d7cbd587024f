#include "tlcalendar.h"

#include <QDateTime>
#include <QLocale>
#include <QTest>

#include <ctime>
#include <limits>

using TLCalendar::Unit;
Q_DECLARE_METATYPE(TLCalendar::Unit)

namespace {

constexpr Unit AllUnits[] = {Unit::Hour, Unit::Day, Unit::Week, Unit::Month, Unit::Year};

// Switches the process to another time zone for one scope; QDateTime's local
// time follows TZ once tzset() has run.
struct ZoneGuard
{
    const bool wasSet = qEnvironmentVariableIsSet("TZ");
    const QByteArray previous = qgetenv("TZ");
    explicit ZoneGuard(const QByteArray &zone)
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneGuard()
    {
        wasSet ? qputenv("TZ", previous) : qunsetenv("TZ");
        tzset();
    }
};

struct Cell
{
    QDateTime start, end;
    QString label;
};

// The cells of one row; far more than any window needs means the row is stuck.
constexpr qsizetype RunawayLimit = 20000;
QList<Cell> collect(Unit unit, const QDateTime &start, const QDateTime &end)
{
    QList<Cell> cells;
    try {
        TLCalendar::forEachCell(unit, start, end, [&](const QDateTime &from, const QDateTime &to) {
            if (cells.size() == RunawayLimit)
                throw RunawayLimit;
            cells.append({from, to, TLCalendar::label(unit, from)});
        });
    } catch (qsizetype) {
    }
    return cells;
}

// What a cell of the unit stands for: the date, week's Monday, month or year.
qint64 unitKey(Unit unit, const QDateTime &t)
{
    const QDate d = t.date();
    return unit == Unit::Day     ? d.toJulianDay()
           : unit == Unit::Week  ? d.addDays(1 - d.dayOfWeek()).toJulianDay()
           : unit == Unit::Month ? qint64(d.year()) * 12 + d.month()
                                 : d.year();
}

// Every row in every zone: cells tile the window from the cell holding its
// start to the first to reach its end; hours last 3600 s from the hour (or the
// first instant after a skipped one), other cells start at their unit's first
// instant and hold one.
void checkRow(Unit unit, const QDateTime &start, const QDateTime &end, const QList<Cell> &cells)
{
    QVERIFY(!cells.isEmpty() && cells.size() < RunawayLimit);
    QVERIFY(cells.first().start <= start && (cells.first().end > start || start == end));
    QVERIFY2(cells.last().end >= end, "row stops short of the window's end");
    if (cells.size() > 1)
        QVERIFY(cells.at(cells.size() - 2).end < end);

    for (qsizetype i = 0; i < cells.size(); ++i) {
        const Cell &c = cells.at(i);
        const QByteArray where = c.start.toString(Qt::ISODateWithMs).toLatin1() + " UTC"
                                 + QByteArray::number(c.start.offsetFromUtc());
        QVERIFY2(c.start < c.end, where);
        if (i > 0)
            QVERIFY2(cells.at(i - 1).end == c.start, where);
        if (unit == Unit::Hour) {
            QCOMPARE(c.start.secsTo(c.end), qint64(3600));
            QCOMPARE(c.label, c.start.time().toString(QStringLiteral("hh:mm")) + u'h');
            continue;
        }
        if (unit == Unit::Day)
            QVERIFY2(c.label.endsWith(QString::number(c.start.date().dayOfWeek())), where);
        const qint64 key = unitKey(unit, c.start);
        QVERIFY2(unitKey(unit, c.start.addMSecs(-1)) != key, "not the first instant: " + where);
        QVERIFY2(unitKey(unit, c.end.addMSecs(-1)) == key, "ends late: " + where);
        QVERIFY2(unitKey(unit, c.end) != key, "ends early: " + where);
    }

    if (unit == Unit::Hour) {
        const QDateTime first = cells.first().start;
        const QTime onTheHour(start.time().hour(), 0);
        const QDateTime before = first.addMSecs(-1);
        const bool skipped = before.date() < start.date()
                             || (before.date() == start.date() && before.time() < onTheHour);
        QCOMPARE(first.date(), start.date());
        QCOMPARE(first.time().hour(), onTheHour.hour());
        QVERIFY2(first.time() == onTheHour || skipped, qPrintable(first.toString()));
    }
}

} // namespace

class TestTLCalendar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { QLocale::setDefault(savedLocale); }
    void cells_data();
    void cells();
    void wholeYear_data();
    void wholeYear();
    void endsAtTheEdgesOfTime();

private:
    QLocale savedLocale;
};

void TestTLCalendar::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ZoneGuard zone("Europe/Berlin");
    QVERIFY2(QDateTime(QDate(2021, 1, 1), QTime(12, 0)).offsetFromUtc() == 3600
                     && QDateTime(QDate(2021, 7, 1), QTime(12, 0)).offsetFromUtc() == 7200,
             "TZ=Europe/Berlin not in effect (tzdata missing?)");
}

void TestTLCalendar::cells_data()
{
    QTest::addColumn<QString>("zone");
    QTest::addColumn<Unit>("unit");
    QTest::addColumn<QString>("start"); // with the offset in force there
    QTest::addColumn<qint64>("span");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("labels"); // all of them, or the first and the last

    // 56,000 s per 100 px over 500 px, from Wednesday 12 March 2008 10:30.
    const QString example = QStringLiteral("2008-03-12T10:30:00Z");
    const qint64 span = 280000, day = 86400;
    QTest::newRow("example: hours")
            << "UTC" << Unit::Hour << example << span << 79 << QStringList{"10:00h", "16:00h"};
    QTest::newRow("example: days")
            << "UTC" << Unit::Day << example << span << 4 << QStringList{"Wed, 3", "Sat, 6"};
    QTest::newRow("example: years")
            << "UTC" << Unit::Year << example << span << 1 << QStringList{"2008"};
    QTest::newRow("00:00:00.001 is past midnight")
            << "UTC" << Unit::Day << "2008-03-10T00:00:00.001Z" << 3600LL << 1
            << QStringList{"Mon, 1"};
    QTest::newRow("Sunday belongs to the week of the Monday before")
            << "UTC" << Unit::Week << "2008-03-16T00:00:00Z" << 3600LL << 1 << QStringList{"11"};
    QTest::newRow("week of Monday 29 December 2008 is 1")
            << "UTC" << Unit::Week << "2008-12-31T12:00:00Z" << 3600LL << 1 << QStringList{"1"};
    QTest::newRow("windowEnd on a boundary starts no cell there")
            << "UTC" << Unit::Day << "2008-03-12T00:00:00Z" << 2 * day << 2
            << QStringList{"Wed, 3", "Thu, 4"};
    QTest::newRow("windowEnd == windowStart")
            << "UTC" << Unit::Year << example << 0LL << 1 << QStringList{"2008"};

    // Santiago moved its clocks from 00:00 to 01:00 on 14 August 2016.
    QTest::newRow("skipped midnight")
            << "America/Santiago" << Unit::Day << "2016-08-13T12:00:00-04:00" << 2 * day << 3
            << QStringList{"Sat, 6", "Sun, 7", "Mon, 1"};
    // Amman went from 01:00 back to 00:00 on 30 October 2015; there
    // QDate::startOfDay() gives the second midnight.
    QTest::newRow("repeated midnight") << "Asia/Amman" << Unit::Day << "2015-10-30T00:30:00+02:00"
                                       << 3600LL << 1 << QStringList{"Fri, 5"};
    // Apia skipped Friday 30 December 2011 (from -10:00 to +14:00).
    QTest::newRow("skipped date") << "Pacific/Apia" << Unit::Day << "2011-12-29T12:00:00-10:00"
                                  << day << 2 << QStringList{"Thu, 4", "Sat, 6"};
    // Berlin: 02:00 -> 03:00 on 28 March, 03:00 -> 02:00 on 31 October 2021.
    QTest::newRow("spring: start before the gap")
            << "Europe/Berlin" << Unit::Hour << "2021-03-28T01:30:00+01:00" << 3600LL << 2
            << QStringList{"01:00h", "03:00h"};
    QTest::newRow("autumn: repeated hour from the first pass")
            << "Europe/Berlin" << Unit::Hour << "2021-10-31T01:30:00+02:00" << 3 * 3600LL << 4
            << QStringList{"01:00h", "02:00h", "02:00h", "03:00h"};
    // Amsterdam skipped 28 seconds at midnight on 1 July 1937.
    QTest::newRow("28-second gap at midnight")
            << "Europe/Amsterdam" << Unit::Day << "1937-07-01T12:00:00+01:20" << 3600LL << 1
            << QStringList{"Thu, 4"};
}

void TestTLCalendar::cells()
{
    QFETCH(QString, zone);
    QFETCH(Unit, unit);
    QFETCH(QString, start);
    QFETCH(qint64, span);
    QFETCH(int, count);
    QFETCH(QStringList, labels);

    ZoneGuard guard(zone.toLatin1());
    const QDateTime given = QDateTime::fromString(start, Qt::ISODateWithMs);
    const QDateTime windowStart = given.toLocalTime();
    // Also catches missing zone data, which would silently leave us in UTC.
    QCOMPARE(windowStart.offsetFromUtc(), given.offsetFromUtc());
    const QDateTime windowEnd = windowStart.addSecs(span);

    const QList<Cell> cells = collect(unit, windowStart, windowEnd);
    QCOMPARE(cells.size(), count);
    QStringList got;
    for (const Cell &c : cells)
        got << c.label;
    if (labels.size() < count)
        got = QStringList{got.first(), got.last()};
    QCOMPARE(got, labels);
    checkRow(unit, windowStart, windowEnd, cells);
}

void TestTLCalendar::wholeYear_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<int>("year");

    const QByteArray rows =
            "UTC 2008, Europe/Berlin 2021, America/Santiago 2016, America/Havana 2016, "
            "Asia/Amman 2015, Pacific/Apia 2011, Australia/Lord_Howe 2021, "
            "Asia/Kathmandu 1985, America/Sao_Paulo 2015, Asia/Beirut 2022, "
            "Asia/Tehran 2021, Australia/Sydney 2023, Asia/Kolkata 2023, "
            "America/St_Johns 2023, Pacific/Kiritimati 2023, Pacific/Pago_Pago 2023";
    for (const QByteArray &row : rows.split(',')) {
        const QByteArray name = row.trimmed();
        QTest::newRow(name.constData())
                << name.split(' ').first() << name.split(' ').last().toInt();
    }
}

void TestTLCalendar::wholeYear()
{
    QFETCH(QByteArray, zone);
    QFETCH(int, year);

    ZoneGuard guard(zone);
    const QDateTime windowStart(QDate(year, 1, 1), QTime(12, 0));
    const QDateTime windowEnd = windowStart.addDays(366);
    for (Unit unit : AllUnits)
        checkRow(unit, windowStart, windowEnd, collect(unit, windowStart, windowEnd));
}

void TestTLCalendar::endsAtTheEdgesOfTime()
{
    ZoneGuard guard("UTC");
    QVERIFY(collect(Unit::Day, QDateTime(), QDateTime()).isEmpty());

    // No boundary exists beyond these: rows end, never wrap or run on.
    const QDateTime last = QDateTime::fromMSecsSinceEpoch(std::numeric_limits<qint64>::max());
    const QDateTime first = QDateTime::fromMSecsSinceEpoch(std::numeric_limits<qint64>::min());
    QVERIFY(last.isValid() && first.isValid());
    const std::pair<QDateTime, QDateTime> windows[] = {{last.addDays(-400), last},
                                                       {first, first.addDays(1)},
                                                       {first.addDays(40), first.addDays(41)}};
    for (Unit unit : AllUnits) {
        QVERIFY(!TLCalendar::nextBoundary(unit, last).isValid());
        for (const auto &[start, end] : windows) {
            const QList<Cell> cells = collect(unit, start, end);
            QVERIFY(cells.size() < RunawayLimit);
            for (const Cell &c : cells)
                QVERIFY(c.start < c.end);
        }
    }
}

QTEST_GUILESS_MAIN(TestTLCalendar)
#include "tst_tlcalendar.moc"
