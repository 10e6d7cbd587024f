#include "tlcanvas.h"
#include "timeline.h"

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

// A fresh axis, 500 px wide until a resize event, at the given scale.
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
    void gestures_data();
    void gestures();
    void farPastAndFuture_data();
    void farPastAndFuture();
    void stopsAtTheEndOfTime_data();
    void stopsAtTheEndOfTime();
};

void TestTimeline::gestures_data()
{
    QTest::addColumn<quint32>("scale");
    // wheel (angle a), drag (a to b), percent or level (a.x), or a slot to call
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QPoint>("a");
    QTest::addColumn<QPoint>("b");
    QTest::addColumn<quint32>("newScale");
    QTest::addColumn<qint64>("shift"); // -1 when zooming: the middle of the view stays put
    QTest::addColumn<int>("reported"); // the percent zoomChangedSignal carries, -1 for none

    const quint32 s = Timeline::StartScale;
    const QPoint o;
    QTest::newRow("wheel: notch in")
            << s << "wheel" << QPoint(0, 120) << o << 1468800u << qint64(648000) << 78;
    QTest::newRow("wheel: big turn out is unlimited")
            << s << "wheel" << QPoint(0, -240) << o << 2246400u << qint64(-1296000) << 82;
    for (int delta : {-7, 0, 7})
        QTest::addRow("wheel: delta %d is 0 degrees", delta)
                << s << "wheel" << QPoint(0, delta) << o << s << 0LL << 79;
    QTest::newRow("wheel: larger component wins")
            << s << "wheel" << QPoint(-120, 16) << o << 1987200u << qint64(-648000) << 81;
    QTest::newRow("wheel: clamped at finest")
            << 110u << "wheel" << QPoint(0, 120) << o << 100u << qint64(25) << 0;
    QTest::newRow("wheel: single precision")
            << 17000001u << "wheel" << QPoint(0, -120) << o << 19550002u << qint64(-6375002) << 99;
    QTest::newRow("wheel: huge turn out")
            << s << "wheel" << QPoint(0, IntMin) << o << Coarsest << qint64(-45680000) << 100;
    QTest::newRow("wheel: huge turn in is 25%")
            << s << "wheel" << QPoint(0, IntMax) << o << 1296000u << qint64(1080000) << 77;

    const QList<QPair<int, quint32>> percents = {
            {0, 100},  {10, 338},       {50, 44721},   {99, 17701892},     {100, 20000007},
            {-5, 100}, {150, 20000007}, {IntMin, 100}, {IntMax, 20000007},
    };
    for (const auto &[percent, scale] : percents)
        QTest::addRow("percent %d", percent)
                << s << "percent" << QPoint(percent, 0) << o << scale << -1LL << -1;

    // Unknown levels, and senders without an action, leave the scale alone.
    QTest::newRow("level: hour") << s << "level" << QPoint(0, 0) << o << 1340u << -1LL << 21;
    QTest::newRow("level: year") << s << "level" << QPoint(4, 0) << o << 3700000u << -1LL << 86;
    QTest::newRow("level: 5") << s << "level" << QPoint(5, 0) << o << s << 0LL << 79;
    QTest::newRow("level: -1") << s << "level" << QPoint(-1, 0) << o << s << 0LL << 79;
    QTest::newRow("level: button without action") << s << "bare" << o << o << s << 0LL << 79;
    QTest::newRow("level: no sender") << s << "nosender" << o << o << s << 0LL << 79;

    // Moves by a share of the 500 px view, truncated toward zero; wheel notches.
    QTest::newRow("pageLater") << 101u << "pageLaterSlot" << o << o << 101u << 252LL << -1;
    QTest::newRow("stepEarlier") << 101u << "stepEarlierSlot" << o << o << 101u << -50LL << -1;
    QTest::newRow("zoomIn") << s << "zoomInSlot" << o << o << 1468800u << 648000LL << 78;
    QTest::newRow("zoomOutClamped")
            << 19000000u << "zoomOutSlot" << o << o << Coarsest << -2500000LL << 100;

    QTest::newRow("drag: left 100 px")
            << s << "drag" << QPoint(300, 5) << QPoint(200, 5) << s << qint64(s) << -1;
    QTest::newRow("drag: truncates toward zero")
            << 150u << "drag" << QPoint(200, 5) << QPoint(201, 5) << 150u << -1LL << -1;
    QTest::newRow("drag: vertical ignored")
            << s << "drag" << QPoint(10, 5) << QPoint(10, 500) << s << 0LL << -1;
    // 2^32 pixels at the coarsest scale: far more seconds than an int holds.
    QTest::newRow("drag: 64-bit shift")
            << Coarsest << "drag" << QPoint(IntMax, 0) << QPoint(IntMin + 1, 0) << Coarsest
            << qint64(858993458800000) << -1;
}

void TestTimeline::gestures()
{
    QFETCH(quint32, scale);
    QFETCH(QString, kind);
    QFETCH(QPoint, a);
    QFETCH(QPoint, b);
    QFETCH(quint32, newScale);
    QFETCH(qint64, shift);
    QFETCH(int, reported);
    if (shift == -1 && kind != QLatin1String("drag"))
        shift = qint64((double(scale) - newScale) / 100 * 250);

    Timeline timeline;
    prepare(timeline, scale);
    QSignalSpy zoomed(&timeline, &Timeline::zoomChangedSignal);
    QSignalSpy changed(&timeline, &Timeline::windowChangedSignal);
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, &timeline, &Timeline::setZoomLevelSlot);
    if (kind == QLatin1String("wheel")) {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), a, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(timeline.drawingCanvas(), &event);
    } else if (kind == QLatin1String("drag")) {
        timeline.canvasDraggedSlot(a, b);
    } else if (kind == QLatin1String("percent")) {
        timeline.changeZoomSlot(a.x());
    } else if (kind == QLatin1String("nosender")) {
        timeline.setZoomLevelSlot();
    } else if (kind.endsWith(QLatin1String("Slot"))) {
        QVERIFY(QMetaObject::invokeMethod(&timeline, qPrintable(kind)));
    } else {
        if (kind == QLatin1String("level"))
            button.addAction(new QAction(&button));
        if (!button.actions().isEmpty())
            button.actions().first()->setData(a.x());
        button.click();
    }

    QCOMPARE(timeline.currentSecondsPer100Px(), newScale);
    QCOMPARE(Start.secsTo(timeline.currentWindowStart()), shift);
    if (shift != 0 || newScale != scale)
        QVERIFY(!changed.isEmpty());
    QCOMPARE(zoomed.count(), reported < 0 ? 0 : 1);
    if (reported >= 0)
        QCOMPARE(zoomed.at(0).at(0).toInt(), reported);
}

void TestTimeline::farPastAndFuture_data()
{
    QTest::addColumn<QDate>("target");
    QTest::addColumn<quint32>("scale");
    QTest::newRow("year 1") << QDate(1, 1, 1) << 56000u;
    QTest::newRow("before year 1") << QDate(-40, 6, 15) << 840000u;
    QTest::newRow("beyond 9999") << QDate(12345, 2, 28) << 1340u;
    QTest::newRow("a million years on") << QDate(1000000, 1, 1) << Coarsest;
}

void TestTimeline::farPastAndFuture()
{
    QFETCH(QDate, target);
    QFETCH(quint32, scale);
    Timeline timeline;
    prepare(timeline, Coarsest);
    // Large steps straight through the drag slot: one pixel is 200,000 s here.
    for (qint64 left = Start.secsTo(target.startOfDay()) / 200000; left != 0;) {
        const auto step = int(qBound(Q_INT64_C(-1000000000), left, Q_INT64_C(1000000000)));
        timeline.canvasDraggedSlot(QPoint(step, 0), QPoint(0, 0));
        left -= step;
    }
    QVERIFY(qAbs(timeline.currentWindowStart().date().daysTo(target)) <= 3);

    timeline.zoomTo(int(scale));
    timeline.resize(800, 100);
    QImage image(800, 100, QImage::Format_RGB32);
    timeline.render(&image);
    const TLSegment &segment = timeline.timeSegment();
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
    Timeline timeline;
    prepare(timeline, Coarsest);
    const int far = direction * IntMax;
    // Each step moves about 27 million years; the range ends long before 100.
    QDateTime previous;
    for (int i = 0; i < 100 && timeline.currentWindowStart() != previous; ++i) {
        previous = timeline.currentWindowStart();
        timeline.canvasDraggedSlot(QPoint(far, 0), QPoint(-far, 0));
        QVERIFY(timeline.currentWindowStart().isValid());
    }
    QCOMPARE(timeline.currentWindowStart(), previous);
    direction > 0 ? timeline.pageLaterSlot() : timeline.stepEarlierSlot();
    QCOMPARE(timeline.currentWindowStart(), previous);

    timeline.resize(600, 80);
    QImage image(600, 80, QImage::Format_RGB32);
    timeline.render(&image);
    const TLSegment &segment = timeline.timeSegment();
    // Cells run to the end of time: at its very end, one cell a row.
    QVERIFY(segment.cellsDrawn() > 0 && (direction < 0 || segment.cellsDrawn() <= 5));
    QVERIFY(segment.windowEndTime() >= segment.windowStartTime());
    // And back again: the view is still usable.
    timeline.canvasDraggedSlot(QPoint(0, 0), QPoint(direction * 1000, 0));
    QCOMPARE(previous.secsTo(timeline.currentWindowStart()), qint64(-direction) * 200000000);
}

QTEST_MAIN(TestTimeline)
#include "tst_timeline.moc"
