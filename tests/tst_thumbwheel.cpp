#include "thumbwheel.h"

#include <QImage>
#include <QLine>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

class TestThumbwheel : public QObject
{
    Q_OBJECT

private slots:
    void roundness_data();
    void roundness();
    void outlineFollowsWidthOnly();
    void dragSteps_data();
    void dragSteps();
    void wheelIsPassedOnOnce();
};

void TestThumbwheel::roundness_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("percent");

    QTest::newRow("start width 200") << 200 << 5;
    QTest::newRow("stored height 25") << 25 << 40;
    QTest::newRow("width 1000") << 1000 << 1;
    QTest::newRow("just above 1000 raised from 0") << 1001 << 1;
    QTest::newRow("zero width") << 0 << 1;
    QTest::newRow("negative width") << -40 << 1;
    QTest::newRow("corners meet at 10") << 10 << 99;
}

void TestThumbwheel::roundness()
{
    QFETCH(int, side);
    QFETCH(int, percent);
    QCOMPARE(Thumbwheel::roundness(side), percent);
}

void TestThumbwheel::outlineFollowsWidthOnly()
{
    Thumbwheel wheel;
    QCOMPARE(wheel.sizeHint(), QSize(200, 25));
    wheel.resize(300, 40);
    wheel.show();
    QCOMPARE(wheel.sizeHint(), QSize(300, 25));

    // The outline is 300 pixels wide but keeps the stored height of 25.
    const QImage image = wheel.grab().toImage();
    QCOMPARE(image.size(), QSize(300, 40));
    const QRgb background = image.pixel(150, 35);
    QVERIFY2(image.pixel(150, 0) != background, "no top edge");
    QVERIFY2(image.pixel(150, 24) != background || image.pixel(150, 25) != background,
             "no bottom edge at the stored height of 25");
    QVERIFY2(image.pixel(299, 12) != background, "no right edge at the new width");
    QCOMPARE(image.pixel(150, 12), background); // the inside is not filled
    QCOMPARE(image.pixel(0, 0), background); // the corner is rounded off
    const QImage below = image.copy(0, 27, 300, 13);
    QImage empty(below.size(), below.format());
    empty.fill(background);
    QVERIFY2(below == empty, "drawn below the outline");
}

void TestThumbwheel::dragSteps_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QList<QPoint>>("moves");
    QTest::addColumn<QList<QLine>>("steps");

    // The threshold itself (DragTracker) is tested with the canvas, which
    // shares it; here only that the strip hands its gestures on.
    QTest::newRow("within 3 pixels on each axis")
            << QPoint(20, 10) << QList<QPoint>{{23, 10}, {23, 13}, {17, 7}} << QList<QLine>{};
    QTest::newRow("threshold then chained steps")
            << QPoint(20, 10) << QList<QPoint>{{22, 10}, {26, 10}, {27, 12}}
            << QList<QLine>{{20, 10, 26, 10}, {26, 10, 27, 12}};
}

void TestThumbwheel::dragSteps()
{
    QFETCH(QPoint, press);
    QFETCH(QList<QPoint>, moves);
    QFETCH(QList<QLine>, steps);

    Thumbwheel wheel;
    wheel.resize(200, 25);
    wheel.show();
    QSignalSpy spy(&wheel, &Thumbwheel::thumbwheelMouseDragSignal);
    QTest::mousePress(&wheel, Qt::LeftButton, {}, press);
    for (const QPoint &pos : moves)
        QTest::mouseMove(&wheel, pos);
    QTest::mouseRelease(&wheel, Qt::LeftButton, {}, moves.last());
    QList<QLine> recorded;
    for (const QList<QVariant> &arguments : spy)
        recorded.append(QLine(arguments.at(0).toPoint(), arguments.at(1).toPoint()));
    QCOMPARE(recorded, steps);

    // The release ends the drag: the next gesture starts below the threshold.
    QTest::mousePress(&wheel, Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseMove(&wheel, QPoint(102, 10));
    QTest::mouseRelease(&wheel, Qt::LeftButton, {}, QPoint(102, 10));
    QCOMPARE(spy.count(), steps.count());
}

void TestThumbwheel::wheelIsPassedOnOnce()
{
    // Lets the spy keep the event pointer that the signal carries.
    qRegisterMetaType<QWheelEvent *>();
    Thumbwheel wheel;
    wheel.resize(200, 25);
    wheel.show();
    QSignalSpy spy(&wheel, &Thumbwheel::thumbwheelWheelSignal);
    // Forward, horizontal and no rotation at all: each is passed on once.
    for (const QPoint angle : {QPoint(0, 120), QPoint(120, 0), QPoint(0, 0)}) {
        const QPointF pos(50, 10);
        QWheelEvent event(pos, wheel.mapToGlobal(pos), QPoint(), angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&wheel, &event);
        QCOMPARE(spy.takeFirst().at(0).value<QWheelEvent *>(), &event);
        QVERIFY(spy.isEmpty());
        // Still accepted, so the toolkit does not pass it on to the parent.
        QVERIFY(event.isAccepted());
    }
}

QTEST_MAIN(TestThumbwheel)
#include "tst_thumbwheel.moc"
