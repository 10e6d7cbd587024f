#include "thumbwheel.h"

#include <QImage>
#include <QLine>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace {

// QTest replaces a null position by the widget's centre, so a press at the
// top-left pixel has to be sent by hand.
void sendMouse(QWidget *widget, QEvent::Type type, QPoint pos, Qt::MouseButtons held)
{
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

QList<QLine> recordedSteps(const QSignalSpy &spy)
{
    QList<QLine> steps;
    for (const QList<QVariant> &arguments : spy)
        steps.append(QLine(arguments.at(0).toPoint(), arguments.at(1).toPoint()));
    return steps;
}

} // namespace

class TestThumbwheel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sizeHintFollowsWidthOnly();
    void roundness_data();
    void roundness();
    void outlineUsesStoredHeight();
    void dragSteps_data();
    void dragSteps();
    void pressAtOriginRecordsNothing();
    void wheelIsPassedOnOnce_data();
    void wheelIsPassedOnOnce();
};

void TestThumbwheel::initTestCase()
{
    // Lets the spy keep the event pointer that the wheel signal carries.
    qRegisterMetaType<QWheelEvent *>();
}

void TestThumbwheel::sizeHintFollowsWidthOnly()
{
    Thumbwheel wheel;
    QCOMPARE(wheel.sizeHint(), QSize(200, 25));

    wheel.resize(300, 40);
    wheel.show();
    QCOMPARE(wheel.sizeHint(), QSize(300, 25));

    wheel.resize(120, 10);
    QCOMPARE(wheel.sizeHint(), QSize(120, 25));
}

void TestThumbwheel::roundness_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("percent");

    QTest::newRow("start width 200") << 200 << 5;
    QTest::newRow("resized width 300") << 300 << 3;
    QTest::newRow("stored height 25") << 25 << 40;
    QTest::newRow("width 1000") << 1000 << 1;
    QTest::newRow("just above 1000 raised from 0") << 1001 << 1;
    QTest::newRow("very wide") << 50000 << 1;
    QTest::newRow("zero width") << 0 << 1;
    QTest::newRow("negative width") << -40 << 1;
    QTest::newRow("corners meet at 10") << 10 << 99;
    QTest::newRow("tiny width 1") << 1 << 99;
}

void TestThumbwheel::roundness()
{
    QFETCH(int, side);
    QFETCH(int, percent);
    QCOMPARE(Thumbwheel::roundness(side), percent);
}

void TestThumbwheel::outlineUsesStoredHeight()
{
    Thumbwheel wheel;
    wheel.resize(300, 40);
    wheel.show();
    const QImage image = wheel.grab().toImage();
    QCOMPARE(image.size(), QSize(300, 40));

    const QRgb background = image.pixel(150, 35);
    QVERIFY2(image.pixel(150, 0) != background, "no top edge");
    QVERIFY2(image.pixel(150, 24) != background || image.pixel(150, 25) != background,
             "no bottom edge at the stored height of 25");
    QCOMPARE(image.pixel(150, 12), background); // the inside is not filled
    QCOMPARE(image.pixel(0, 0), background); // the corner is rounded off
    for (int y = 27; y < 40; ++y) {
        for (int x = 0; x < 300; ++x) {
            if (image.pixel(x, y) != background)
                QFAIL(qPrintable(QStringLiteral("drawn below the outline: %1,%2").arg(x).arg(y)));
        }
    }
}

void TestThumbwheel::dragSteps_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QList<QPoint>>("moves");
    QTest::addColumn<QList<QLine>>("steps");

    QTest::newRow("within 3 pixels on each axis")
            << QPoint(20, 10) << QList<QPoint>{{23, 10}, {23, 13}, {17, 7}} << QList<QLine>{};
    QTest::newRow("threshold then chained steps")
            << QPoint(20, 10) << QList<QPoint>{{22, 10}, {26, 10}, {27, 12}}
            << QList<QLine>{{20, 10, 26, 10}, {26, 10, 27, 12}};
    QTest::newRow("vertical movement starts a drag")
            << QPoint(10, 10) << QList<QPoint>{{10, 14}} << QList<QLine>{{10, 10, 10, 14}};
    QTest::newRow("leftwards, then single pixels")
            << QPoint(50, 10) << QList<QPoint>{{46, 10}, {45, 10}, {45, 11}}
            << QList<QLine>{{50, 10, 46, 10}, {46, 10, 45, 10}, {45, 10, 45, 11}};
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

    QTest::mousePress(&wheel, Qt::LeftButton, Qt::NoModifier, press);
    for (const QPoint &pos : moves)
        QTest::mouseMove(&wheel, pos);
    QCOMPARE(recordedSteps(spy), steps);

    QTest::mouseRelease(&wheel, Qt::LeftButton, Qt::NoModifier, moves.last());
    QCOMPARE(spy.count(), steps.count());

    // The release ends the drag: the next gesture starts below the threshold.
    QTest::mousePress(&wheel, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
    QTest::mouseMove(&wheel, QPoint(102, 10));
    QTest::mouseRelease(&wheel, Qt::LeftButton, Qt::NoModifier, QPoint(102, 10));
    QCOMPARE(spy.count(), steps.count());
}

void TestThumbwheel::pressAtOriginRecordsNothing()
{
    Thumbwheel wheel;
    wheel.resize(200, 25);
    wheel.show();
    QSignalSpy spy(&wheel, &Thumbwheel::thumbwheelMouseDragSignal);

    sendMouse(&wheel, QEvent::MouseButtonPress, QPoint(0, 0), Qt::LeftButton);
    sendMouse(&wheel, QEvent::MouseMove, QPoint(10, 0), Qt::LeftButton);
    sendMouse(&wheel, QEvent::MouseMove, QPoint(40, 5), Qt::LeftButton);
    sendMouse(&wheel, QEvent::MouseButtonRelease, QPoint(40, 5), Qt::NoButton);
    QCOMPARE(spy.count(), 0);
}

void TestThumbwheel::wheelIsPassedOnOnce_data()
{
    QTest::addColumn<QPoint>("angle");

    QTest::newRow("one notch forward") << QPoint(0, 120);
    QTest::newRow("two notches back") << QPoint(0, -240);
    QTest::newRow("horizontal") << QPoint(120, 0);
    QTest::newRow("no rotation") << QPoint(0, 0);
}

void TestThumbwheel::wheelIsPassedOnOnce()
{
    QFETCH(QPoint, angle);

    Thumbwheel wheel;
    wheel.resize(200, 25);
    wheel.show();
    QSignalSpy spy(&wheel, &Thumbwheel::thumbwheelWheelSignal);

    const QPointF pos(50, 10);
    QWheelEvent event(pos, wheel.mapToGlobal(pos), QPoint(), angle, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&wheel, &event);

    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QWheelEvent *>(), &event);
    // Still accepted, so the toolkit does not pass it on to the parent.
    QVERIFY(event.isAccepted());
}

QTEST_MAIN(TestThumbwheel)
#include "tst_thumbwheel.moc"
