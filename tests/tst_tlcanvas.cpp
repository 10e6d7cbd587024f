#include "tlcanvas.h"

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

// 'p' press, 'm' move, 'r' release, 'd' double click (as the platform sends it)
using Gesture = QList<QPair<char, QPoint>>;
using Steps = QList<QPair<QPoint, QPoint>>;

class TestTLCanvas : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void gestures_data();
    void gestures();
    void secondButtonDuringDrag();
    void paintAndWheelAreReported();
};

void TestTLCanvas::initTestCase()
{
    qRegisterMetaType<QMouseEvent *>();
    qRegisterMetaType<QWheelEvent *>();
}

void TestTLCanvas::gestures_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QList<int>>("clickXs");

    QTest::newRow("within threshold is a click")
            << Gesture{{'p', {50, 50}}, {'m', {53, 47}}, {'r', {53, 47}}} << Steps{}
            << QList<int>{53};
    QTest::newRow("steps chain and no click")
            << Gesture{{'p', {10, 5}}, {'m', {12, 5}}, {'m', {15, 5}},
                       {'m', {16, 5}}, {'m', {30, 5}}, {'r', {30, 5}}}
            << Steps{{{10, 5}, {15, 5}}, {{15, 5}, {16, 5}}, {{16, 5}, {30, 5}}} << QList<int>{};
    QTest::newRow("vertical movement counts") << Gesture{{'p', {10, 10}}, {'m', {10, 14}}}
                                              << Steps{{{10, 10}, {10, 14}}} << QList<int>{};
    QTest::newRow("axes tested separately")
            << Gesture{{'p', {10, 10}}, {'m', {13, 13}}, {'r', {13, 13}}} << Steps{}
            << QList<int>{13};
    QTest::newRow("leftward drag")
            << Gesture{{'p', {100, 10}}, {'m', {90, 10}}, {'m', {89, 10}}}
            << Steps{{{100, 10}, {90, 10}}, {{90, 10}, {89, 10}}} << QList<int>{};
    QTest::newRow("press at origin records nothing")
            << Gesture{{'p', {0, 0}}, {'m', {40, 0}}, {'r', {40, 0}}} << Steps{} << QList<int>{40};
    QTest::newRow("release without press clicks")
            << Gesture{{'r', {7, 8}}} << Steps{} << QList<int>{7};
    QTest::newRow("move without press does nothing")
            << Gesture{{'m', {70, 8}}} << Steps{} << QList<int>{};
    QTest::newRow("second gesture starts afresh")
            << Gesture{{'p', {10, 5}}, {'m', {20, 5}}, {'r', {20, 5}},
                       {'p', {40, 5}}, {'m', {42, 5}}, {'r', {42, 5}}}
            << Steps{{{10, 5}, {20, 5}}} << QList<int>{42};
    // The double-click event is handled as another press.
    QTest::newRow("double click is two clicks")
            << Gesture{{'p', {30, 30}}, {'r', {30, 30}}, {'d', {30, 30}}, {'r', {30, 30}}}
            << Steps{} << QList<int>{30, 30};
}

void TestTLCanvas::gestures()
{
    QFETCH(Gesture, gesture);
    QFETCH(Steps, steps);
    QFETCH(QList<int>, clickXs);

    TLCanvas canvas;
    canvas.resize(200, 100);
    QSignalSpy drags(&canvas, &TLCanvas::canvasMouseDragSignal);
    QList<int> clicks;
    connect(&canvas, &TLCanvas::canvasMouseClickSignal, this,
            [&clicks](QMouseEvent *event) { clicks << event->position().toPoint().x(); });

    // Sent directly: QTest would take the point (0, 0) for the widget's centre.
    for (const auto &[kind, pos] : gesture) {
        const QEvent::Type type = kind == 'p'   ? QEvent::MouseButtonPress
                                  : kind == 'd' ? QEvent::MouseButtonDblClick
                                  : kind == 'm' ? QEvent::MouseMove
                                                : QEvent::MouseButtonRelease;
        const Qt::MouseButtons held = kind == 'm' ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent event(type, pos, canvas.mapToGlobal(pos),
                          kind == 'm' ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&canvas, &event);
    }

    Steps emitted;
    for (const QList<QVariant> &args : drags)
        emitted << qMakePair(args.at(0).toPoint(), args.at(1).toPoint());
    QCOMPARE(emitted, steps);
    QCOMPARE(clicks, clickXs);
}

void TestTLCanvas::secondButtonDuringDrag()
{
    TLCanvas canvas;
    canvas.resize(200, 100);
    QSignalSpy drags(&canvas, &TLCanvas::canvasMouseDragSignal);
    QSignalSpy clicks(&canvas, &TLCanvas::canvasMouseClickSignal);

    QTest::mousePress(&canvas, Qt::LeftButton, {}, {10, 10});
    QTest::mouseMove(&canvas, {20, 10});
    // The second press replaces the press point but keeps the drag going.
    QTest::mousePress(&canvas, Qt::RightButton, {}, {50, 50});
    QTest::mouseMove(&canvas, {21, 10});
    QCOMPARE(drags.count(), 2);
    QCOMPARE(drags.at(1).at(0).toPoint(), QPoint(20, 10));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, {21, 10});
    QTest::mouseMove(&canvas, {80, 10});
    QTest::mouseRelease(&canvas, Qt::RightButton, {}, {80, 10});
    QCOMPARE(drags.count(), 2);
    // Only the second release, after the drag ended, counts as a click.
    QCOMPARE(clicks.count(), 1);
}

void TestTLCanvas::paintAndWheelAreReported()
{
    TLCanvas canvas;
    canvas.resize(120, 40);
    QSignalSpy repaints(&canvas, &TLCanvas::canvasRepaintSignal);
    QSignalSpy wheels(&canvas, &TLCanvas::canvasWheelSignal);

    QImage image(canvas.size(), QImage::Format_ARGB32);
    canvas.render(&image);
    QCOMPARE(repaints.count(), 1);
    QCOMPARE(repaints.at(0).at(0).value<QWidget *>(), &canvas);

    for (const QPoint angle : {QPoint(0, 120), QPoint(0, -7), QPoint(120, 0), QPoint()}) {
        QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&canvas, &event);
    }
    QCOMPARE(wheels.count(), 4);
}

QTEST_MAIN(TestTLCanvas)
#include "tst_tlcanvas.moc"
