#include "timeline.h"
#include "tlcanvas.h"

#include <QAction>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace {

const QDateTime Start(QDate(2010, 6, 1), QTime(12, 0));
constexpr int IntMax = std::numeric_limits<int>::max(), IntMin = std::numeric_limits<int>::min();
constexpr quint32 Coarsest = 20000000;
constexpr quint32 StartScale = 1728000;

} // namespace

// A fresh axis is 500 px wide until its first resize; every row starts from
// Start at the given scale and checks the scale, the seconds the left edge
// moved and the percent reported (-1: none).
class TestTimeline : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void wheel_data();
    void wheel();
    void zoomControls_data();
    void zoomControls();
    void moves_data();
    void moves();
    void farPastAndFuture_data();
    void farPastAndFuture();
    void stopsAtTheEndOfTime_data();
    void stopsAtTheEndOfTime();

private:
    void prepare(quint32 scale);
    void check(quint32 scale, qint64 shift, int reported);

    Timeline *timeline = nullptr;
    QSignalSpy *zoomed = nullptr;
};

void TestTimeline::init()
{
    timeline = new Timeline;
    QCOMPARE(timeline->sizeHint(), QSize(500, 60));
}

void TestTimeline::cleanup()
{
    delete zoomed;
    delete timeline;
    zoomed = nullptr;
}

void TestTimeline::prepare(quint32 scale)
{
    timeline->zoomTo(int(scale));
    timeline->setWindowStart(Start);
    zoomed = new QSignalSpy(timeline, &Timeline::zoomChangedSignal);
}

void TestTimeline::check(quint32 scale, qint64 shift, int reported)
{
    QCOMPARE(timeline->currentSecondsPer100Px(), scale);
    QCOMPARE(Start.secsTo(timeline->currentWindowStart()), shift);
    QCOMPARE(zoomed->count(), reported < 0 ? 0 : 1);
    if (reported >= 0)
        QCOMPARE(zoomed->at(0).at(0).toInt(), reported);
}

void TestTimeline::wheel_data()
{
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<QPoint>("angle");
    QTest::addColumn<quint32>("newScale");
    QTest::addColumn<qint64>("shift");
    QTest::addColumn<int>("reported");

    const quint32 s = StartScale;
    QTest::newRow("notch_in") << s << QPoint(0, 120) << 1468800u << 648000LL << 78;
    QTest::newRow("notch_out") << s << QPoint(0, -120) << 1987200u << -648000LL << 81;
    QTest::newRow("big_turn_in_is_25_percent")
            << s << QPoint(0, 240) << 1296000u << 1080000LL << 77;
    QTest::newRow("big_turn_out_is_unlimited")
            << s << QPoint(0, -240) << 2246400u << -1296000LL << 82;
    QTest::newRow("below_one_degree") << s << QPoint(0, 7) << s << 0LL << 79;
    QTest::newRow("larger_component_wins") << s << QPoint(-120, 16) << 1987200u << -648000LL << 81;
    QTest::newRow("held_at_finest") << 100u << QPoint(0, 120) << 100u << 0LL << 0;
    QTest::newRow("clamped_to_finest") << 110u << QPoint(0, 120) << 100u << 25LL << 0;
    QTest::newRow("held_at_coarsest") << Coarsest << QPoint(0, -120) << Coarsest << 0LL << 100;
    QTest::newRow("single_precision")
            << 17000001u << QPoint(0, -120) << 19550002u << -6375002LL << 99;
    QTest::newRow("huge_turn_out") << s << QPoint(0, IntMin) << Coarsest << -45680000LL << 100;
}

void TestTimeline::wheel()
{
    QFETCH(quint32, scale);
    QFETCH(QPoint, angle);
    QFETCH(quint32, newScale);
    QFETCH(qint64, shift);
    QFETCH(int, reported);

    prepare(scale);
    QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), angle, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(timeline->drawingCanvas(), &event);
    check(newScale, shift, reported);
}

void TestTimeline::zoomControls_data()
{
    QTest::addColumn<QString>("control"); // a percent, a level, or a slot
    QTest::addColumn<int>("value");
    QTest::addColumn<quint32>("newScale");
    QTest::addColumn<qint64>("shift");
    QTest::addColumn<int>("reported");

    // The zoom control's percents; outside 0..100 the nearest end.
    const struct
    {
        int percent;
        quint32 scale;
        qint64 shift;
    } percents[] = {
            {0, 100, 4319750},
            {1, 112, 4319720},
            {10, 338, 4319155},
            {20, 1148, 4317130},
            {50, 44721, 4208197},
            {74, 837071, 2227322},
            {86, 3621475, -4733687},
            {99, 17701892, -39934730},
            {100, 20000007, -45680017},
            {-5, 100, 4319750},
            {IntMax, 20000007, -45680017},
    };
    for (const auto &p : percents)
        QTest::addRow("percent_%d", p.percent)
                << "percent" << p.percent << p.scale << p.shift << -1;

    // The buttons' levels keep the middle of the view in place.
    const struct
    {
        quint32 scale;
        qint64 shift;
        int reported;
    } levels[] = {{1340, 4316650, 21},
                  {4100, 4309750, 30},
                  {56000, 4180000, 51},
                  {840000, 2220000, 74},
                  {3700000, -4930000, 86}};
    for (int level = 0; level < 5; ++level)
        QTest::addRow("level_%d", level) << "level" << level << levels[level].scale
                                         << levels[level].shift << levels[level].reported;
    // Unknown levels, and senders without an action, leave the scale alone.
    QTest::newRow("level_5") << "level" << 5 << StartScale << 0LL << 79;
    QTest::newRow("button_without_action") << "bare" << 0 << StartScale << 0LL << 79;
    QTest::newRow("no_sender") << "setZoomLevelSlot" << 0 << StartScale << 0LL << 79;
    // One wheel notch, by key.
    QTest::newRow("zoom_in") << "zoomInSlot" << 0 << 1468800u << 648000LL << 78;
    QTest::newRow("zoom_out") << "zoomOutSlot" << 0 << 1987200u << -648000LL << 81;
}

void TestTimeline::zoomControls()
{
    QFETCH(QString, control);
    QFETCH(int, value);
    QFETCH(quint32, newScale);
    QFETCH(qint64, shift);
    QFETCH(int, reported);

    prepare(StartScale);
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, timeline, &Timeline::setZoomLevelSlot);
    if (control == QLatin1String("percent")) {
        timeline->changeZoomSlot(value);
    } else if (control.endsWith(QLatin1String("Slot"))) {
        QVERIFY(QMetaObject::invokeMethod(timeline, qPrintable(control)));
    } else {
        if (control == QLatin1String("level"))
            button.addAction(new QAction(&button));
        for (QAction *action : button.actions())
            action->setData(value);
        button.click();
    }
    check(newScale, shift, reported);
}

void TestTimeline::moves_data()
{
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<QString>("move"); // a drag from a to b, or a slot
    QTest::addColumn<QPoint>("a");
    QTest::addColumn<QPoint>("b");
    QTest::addColumn<qint64>("shift");

    const QPoint o;
    QTest::newRow("drag_left_100px")
            << StartScale << "drag" << QPoint(300, 5) << QPoint(200, 5) << 1728000LL;
    QTest::newRow("drag_truncates_toward_zero")
            << 150u << "drag" << QPoint(200, 5) << QPoint(201, 5) << -1LL;
    QTest::newRow("drag_vertical_ignored")
            << StartScale << "drag" << QPoint(10, 5) << QPoint(10, 500) << 0LL;
    // 2^32 pixels at the coarsest scale: far more seconds than an int holds.
    QTest::newRow("drag_64_bit") << Coarsest << "drag" << QPoint(IntMax, 0) << QPoint(IntMin + 1, 0)
                                 << 858993458800000LL;
    // Half and a tenth of the 500 px view, truncated toward zero.
    QTest::newRow("page_later") << 101u << "pageLaterSlot" << o << o << 252LL;
    QTest::newRow("page_earlier") << 101u << "pageEarlierSlot" << o << o << -252LL;
    QTest::newRow("step_later") << 101u << "stepLaterSlot" << o << o << 50LL;
    QTest::newRow("step_earlier") << 101u << "stepEarlierSlot" << o << o << -50LL;
}

void TestTimeline::moves()
{
    QFETCH(quint32, scale);
    QFETCH(QString, move);
    QFETCH(QPoint, a);
    QFETCH(QPoint, b);
    QFETCH(qint64, shift);

    prepare(scale);
    QSignalSpy changed(timeline, &Timeline::windowChangedSignal);
    if (move == QLatin1String("drag"))
        timeline->canvasDraggedSlot(a, b);
    else
        QVERIFY(QMetaObject::invokeMethod(timeline, qPrintable(move)));
    check(scale, shift, -1);
    QCOMPARE(changed.count(), 1);
}

void TestTimeline::farPastAndFuture_data()
{
    QTest::addColumn<QDate>("target");
    QTest::addColumn<quint32>("scale");
    QTest::newRow("year_1") << QDate(1, 1, 1) << 56000u;
    QTest::newRow("before_year_1") << QDate(-40, 6, 15) << 840000u;
    QTest::newRow("beyond_9999") << QDate(12345, 2, 28) << 1340u;
    QTest::newRow("a_million_years_on") << QDate(1000000, 1, 1) << Coarsest;
}

void TestTimeline::farPastAndFuture()
{
    QFETCH(QDate, target);
    QFETCH(quint32, scale);
    prepare(Coarsest);
    // Large steps straight through the drag slot: one pixel is 200,000 s here.
    for (qint64 left = Start.secsTo(target.startOfDay()) / 200000; left != 0;) {
        const auto step = int(qBound(Q_INT64_C(-1000000000), left, Q_INT64_C(1000000000)));
        timeline->canvasDraggedSlot(QPoint(step, 0), QPoint(0, 0));
        left -= step;
    }
    QVERIFY(qAbs(timeline->currentWindowStart().date().daysTo(target)) <= 3);

    timeline->zoomTo(int(scale));
    timeline->resize(800, 100);
    QImage image(800, 100, QImage::Format_RGB32);
    timeline->render(&image);
    const TLSegment &segment = timeline->timeSegment();
    QVERIFY(segment.windowEndTime() > segment.windowStartTime());
    QVERIFY(segment.cellsDrawn() > 0);
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
    prepare(Coarsest);
    const int far = direction * IntMax;
    // Each step moves about 27 million years; the range ends long before 100.
    QDateTime previous;
    for (int i = 0; i < 100 && timeline->currentWindowStart() != previous; ++i) {
        previous = timeline->currentWindowStart();
        timeline->canvasDraggedSlot(QPoint(far, 0), QPoint(-far, 0));
        QVERIFY(timeline->currentWindowStart().isValid());
    }
    QCOMPARE(timeline->currentWindowStart(), previous);
    direction > 0 ? timeline->pageLaterSlot() : timeline->stepEarlierSlot();
    QCOMPARE(timeline->currentWindowStart(), previous);

    timeline->resize(600, 80);
    QImage image(600, 80, QImage::Format_RGB32);
    timeline->render(&image);
    const TLSegment &segment = timeline->timeSegment();
    // Cells run to the end of time: at its very end, one cell a row.
    QVERIFY(segment.cellsDrawn() > 0 && (direction < 0 || segment.cellsDrawn() <= 5));
    QVERIFY(segment.windowEndTime() >= segment.windowStartTime());
    // And back again: the view is still usable.
    timeline->canvasDraggedSlot(QPoint(0, 0), QPoint(direction * 1000, 0));
    QCOMPARE(previous.secsTo(timeline->currentWindowStart()), qint64(-direction) * 200000000);
}

QTEST_MAIN(TestTimeline)
#include "tst_timeline.moc"
