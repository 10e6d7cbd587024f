#include "tlcanvas.h"
#include "timeline.h"
#include "tlcalendar.h"

#include <QAction>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace {

const QDateTime Start(QDate(2010, 6, 1), QTime(12, 0));

// Scale and window start; the width is the default 500 until a resize event.
void prepare(Timeline &timeline, quint32 scale)
{
    timeline.zoomTo(int(scale));
    timeline.setWindowStart(Start);
}

} // namespace

class TestTimeline : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void wheel_data();
    void wheel();
    void zoomPercentToScale_data();
    void zoomPercentToScale();
    void zoomLevels_data();
    void zoomLevels();
    void zoomLevelWithoutButton();
    void drag_data();
    void drag();
    void farPastAndFuture_data();
    void farPastAndFuture();
    void stopsAtTheEndOfTime_data();
    void stopsAtTheEndOfTime();
};

void TestTimeline::construction()
{
    const QDateTime before = QDateTime::currentDateTime();
    Timeline timeline;
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(timeline.sizeHint(), QSize(500, 60));
    QCOMPARE(timeline.currentSecondsPer100Px(), 1728000u);
    QVERIFY(timeline.currentWindowStart() >= before && timeline.currentWindowStart() <= after);
    QCOMPARE(timeline.zoomPercent(), 79);
    QCOMPARE(timeline.drawingCanvas()->parentWidget(), &timeline);
}

void TestTimeline::wheel_data()
{
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<QPoint>("angle");
    QTest::addColumn<quint32>("newScale");
    QTest::addColumn<qint64>("shift");
    QTest::addColumn<int>("percent");
    QTest::newRow("notch in") << 1728000u << QPoint(0, 120) << 1468800u << qint64(648000) << 78;
    QTest::newRow("notch out") << 1728000u << QPoint(0, -120) << 1987200u << qint64(-648000) << 81;
    QTest::newRow("big turn in is 25%")
            << 1728000u << QPoint(0, 240) << 1296000u << qint64(1080000) << 77;
    QTest::newRow("big turn out is unlimited")
            << 1728000u << QPoint(0, -240) << 2246400u << qint64(-1296000) << 82;
    for (int delta = -7; delta <= 7; delta += 7)
        QTest::addRow("delta %d is 0 degrees", delta)
                << 1728000u << QPoint(0, delta) << 1728000u << qint64(0) << 79;
    QTest::newRow("horizontal wheel")
            << 1728000u << QPoint(120, 0) << 1468800u << qint64(648000) << 78;
    QTest::newRow("larger component wins")
            << 1728000u << QPoint(-120, 16) << 1987200u << qint64(-648000) << 81;
    QTest::newRow("finest stays") << 100u << QPoint(0, 120) << 100u << qint64(0) << 0;
    QTest::newRow("coarsest stays")
            << 20000000u << QPoint(0, -120) << 20000000u << qint64(0) << 100;
    QTest::newRow("clamped at finest") << 110u << QPoint(0, 120) << 100u << qint64(25) << 0;
    QTest::newRow("single precision")
            << 17000001u << QPoint(0, -120) << 19550002u << qint64(-6375002) << 99;
    QTest::newRow("huge turn out") << 1728000u << QPoint(0, std::numeric_limits<int>::min())
                                   << 20000000u << qint64(-45680000) << 100;
    QTest::newRow("huge turn in") << 1728000u << QPoint(0, std::numeric_limits<int>::max())
                                  << 1296000u << qint64(1080000) << 77;
}

void TestTimeline::wheel()
{
    QFETCH(quint32, scale);
    QFETCH(QPoint, angle);
    QFETCH(quint32, newScale);
    QFETCH(qint64, shift);
    QFETCH(int, percent);
    Timeline timeline;
    prepare(timeline, scale);
    QSignalSpy zoomed(&timeline, &Timeline::zoomChangedSignal);
    QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), angle, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(timeline.drawingCanvas(), &event);

    QCOMPARE(timeline.currentSecondsPer100Px(), newScale);
    QCOMPARE(Start.secsTo(timeline.currentWindowStart()), shift);
    QCOMPARE(zoomed.count(), 1);
    QCOMPARE(zoomed.at(0).at(0).toInt(), percent);
}

void TestTimeline::zoomPercentToScale_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<quint32>("scale");
    // clang-format off
    const QList<QPair<int, quint32>> rows = {
        {0, 100},        {1, 112},          {10, 338},         {20, 1148},
        {50, 44721},     {74, 837071},      {86, 3621475},     {99, 17701892},
        {100, 20000007}, {-5, 100},         {150, 20000007},
        {std::numeric_limits<int>::min(), 100}, {std::numeric_limits<int>::max(), 20000007},
    };
    // clang-format on
    for (const auto &[percent, scale] : rows)
        QTest::addRow("%d%%", percent) << percent << scale;
}

void TestTimeline::zoomPercentToScale()
{
    QFETCH(int, percent);
    QFETCH(quint32, scale);
    Timeline timeline;
    prepare(timeline, 1728000);
    QSignalSpy zoomed(&timeline, &Timeline::zoomChangedSignal);
    timeline.changeZoomSlot(percent);
    QCOMPARE(timeline.currentSecondsPer100Px(), scale);
    // The view's middle stays put.
    QCOMPARE(Start.secsTo(timeline.currentWindowStart()), qint64((1728000.0 - scale) / 100 * 250));
    QCOMPARE(zoomed.count(), 0);
}

void TestTimeline::zoomLevels_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<int>("percent");
    QTest::newRow("hour") << 0 << 1340u << 21;
    QTest::newRow("day") << 1 << 4100u << 30;
    QTest::newRow("week") << 2 << 56000u << 51;
    QTest::newRow("month") << 3 << 840000u << 74;
    QTest::newRow("year") << 4 << 3700000u << 86;
    QTest::newRow("unknown level") << 5 << 1728000u << 79;
    QTest::newRow("negative level") << -1 << 1728000u << 79;
}

void TestTimeline::zoomLevels()
{
    QFETCH(int, level);
    QFETCH(quint32, scale);
    QFETCH(int, percent);
    Timeline timeline;
    prepare(timeline, 1728000);
    QPushButton button;
    auto *action = new QAction(&button);
    action->setData(level);
    button.addAction(action);
    QObject::connect(&button, &QPushButton::clicked, &timeline, &Timeline::setZoomLevelSlot);
    QSignalSpy zoomed(&timeline, &Timeline::zoomChangedSignal);
    button.click();
    QCOMPARE(timeline.currentSecondsPer100Px(), scale);
    QCOMPARE(Start.secsTo(timeline.currentWindowStart()), qint64((1728000.0 - scale) / 100 * 250));
    QCOMPARE(zoomed.count(), 1);
    QCOMPARE(zoomed.at(0).at(0).toInt(), percent);
}

void TestTimeline::zoomLevelWithoutButton()
{
    Timeline timeline;
    prepare(timeline, 1728000);
    QSignalSpy zoomed(&timeline, &Timeline::zoomChangedSignal);
    timeline.setZoomLevelSlot(); // no sender at all
    QPushButton bare; // a widget without an action
    QObject::connect(&bare, &QPushButton::clicked, &timeline, &Timeline::setZoomLevelSlot);
    bare.click();
    QObject plain; // a sender that is no widget
    QObject::connect(&plain, &QObject::objectNameChanged, &timeline, &Timeline::setZoomLevelSlot);
    plain.setObjectName(QStringLiteral("x"));
    QCOMPARE(timeline.currentSecondsPer100Px(), 1728000u);
    QCOMPARE(timeline.currentWindowStart(), Start);
    QCOMPARE(zoomed.count(), 3);
}

void TestTimeline::drag_data()
{
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<qint64>("shift");
    QTest::newRow("left 100 px") << 1728000u << QPoint(300, 5) << QPoint(200, 5) << qint64(1728000);
    QTest::newRow("truncates toward zero")
            << 150u << QPoint(200, 5) << QPoint(201, 5) << qint64(-1);
    QTest::newRow("vertical ignored") << 1728000u << QPoint(10, 5) << QPoint(10, 500) << qint64(0);
    // 2^32 pixels at the coarsest scale: far more seconds than an int holds.
    QTest::newRow("64-bit shift") << 20000000u << QPoint(std::numeric_limits<int>::max(), 0)
                                  << QPoint(std::numeric_limits<int>::min() + 1, 0)
                                  << qint64(858993458800000);
}

void TestTimeline::drag()
{
    QFETCH(quint32, scale);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(qint64, shift);
    Timeline timeline;
    prepare(timeline, scale);
    QSignalSpy zoomed(&timeline, &Timeline::zoomChangedSignal);
    timeline.canvasDraggedSlot(from, to);
    QCOMPARE(Start.secsTo(timeline.currentWindowStart()), shift);
    QCOMPARE(timeline.currentSecondsPer100Px(), scale);
    QCOMPARE(zoomed.count(), 0);
}

void TestTimeline::farPastAndFuture_data()
{
    QTest::addColumn<QDate>("target");
    QTest::addColumn<quint32>("scale");
    QTest::newRow("year 1") << QDate(1, 1, 1) << 56000u;
    QTest::newRow("before year 1") << QDate(-40, 6, 15) << 840000u;
    QTest::newRow("year 9999") << QDate(9999, 12, 31) << 1340u;
    QTest::newRow("beyond 9999") << QDate(12345, 2, 28) << 3700000u;
    QTest::newRow("a million years on") << QDate(1000000, 1, 1) << 20000000u;
}

void TestTimeline::farPastAndFuture()
{
    QFETCH(QDate, target);
    QFETCH(quint32, scale);
    Timeline timeline;
    prepare(timeline, 20000000);
    // Large steps straight through the drag slot: one pixel is 200,000 s here.
    const qint64 pixels = Start.secsTo(target.startOfDay()) / 200000;
    for (qint64 left = pixels; left != 0;) {
        const auto step = int(qBound(Q_INT64_C(-1000000000), left, Q_INT64_C(1000000000)));
        timeline.canvasDraggedSlot(QPoint(step, 0), QPoint(0, 0));
        left -= step;
    }
    QVERIFY(timeline.currentWindowStart().isValid());
    QVERIFY(qAbs(timeline.currentWindowStart().date().daysTo(target)) <= 3);

    timeline.zoomTo(int(scale));
    timeline.resize(800, 100);
    QImage image(800, 100, QImage::Format_RGB32);
    timeline.render(&image);
    const TLSegment &segment = timeline.timeSegment();
    QVERIFY(segment.windowEndTime().isValid());
    QVERIFY(segment.cellsDrawn() > 0);
    // The year row names the years shown.
    TLCalendar::forEachCell(TLCalendar::Unit::Year, segment.windowStartTime(),
                            segment.windowEndTime(),
                            [](const QDateTime &cellStart, const QDateTime &) {
        QCOMPARE(TLCalendar::label(TLCalendar::Unit::Year, cellStart),
                 QString::number(cellStart.date().year()));
    });
}

void TestTimeline::stopsAtTheEndOfTime_data()
{
    QTest::addColumn<int>("direction");
    QTest::newRow("future") << 1;
    QTest::newRow("past") << -1;
}

void TestTimeline::stopsAtTheEndOfTime()
{
    QFETCH(int, direction);
    Timeline timeline;
    prepare(timeline, 20000000);
    const int far = direction * std::numeric_limits<int>::max();
    // Each step moves about 27 million years; the range ends long before 100.
    QDateTime previous;
    for (int i = 0; i < 100 && timeline.currentWindowStart() != previous; ++i) {
        previous = timeline.currentWindowStart();
        timeline.canvasDraggedSlot(QPoint(far, 0), QPoint(-far, 0));
        QVERIFY(timeline.currentWindowStart().isValid());
    }
    QCOMPARE(timeline.currentWindowStart(), previous);
    // One more second would leave the range.
    QVERIFY(!timeline.currentWindowStart().addSecs(direction).isValid());

    timeline.resize(600, 80);
    QImage image(600, 80, QImage::Format_RGB32);
    timeline.render(&image);
    QVERIFY(timeline.timeSegment().cellsDrawn() <= 10);
    QVERIFY(timeline.timeSegment().windowEndTime().isValid());
    // And back again: the view is still usable.
    timeline.canvasDraggedSlot(QPoint(0, 0), QPoint(direction * 1000, 0));
    QCOMPARE(previous.secsTo(timeline.currentWindowStart()), qint64(-direction) * 200000000);
}

QTEST_MAIN(TestTimeline)
#include "tst_timeline.moc"
