#include "tlcanvas.h"

#include <QSignalSpy>
#include <QTest>

// 'p' press, 'm' move, 'r' release, 'd' double click (as the platform sends
// it), all with the left button; 'P' and 'R' press and release the right one.
using Gesture = QList<QPair<char, QPoint>>;
using Steps = QList<QPair<QPoint, QPoint>>;

class TestTLCanvas : public QObject
{
    Q_OBJECT

private slots:
    void gestures_data();
    void gestures();
};

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
    // Another press replaces the press point but keeps the drag going; only the
    // release after the drag has ended is a click.
    QTest::newRow("second button during a drag")
            << Gesture{{'p', {10, 10}}, {'m', {20, 10}}, {'P', {50, 50}}, {'m', {21, 10}},
                       {'r', {21, 10}}, {'m', {80, 10}}, {'R', {80, 10}}}
            << Steps{{{10, 10}, {20, 10}}, {{20, 10}, {21, 10}}} << QList<int>{80};
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
        const char k = char(QChar::toLower(kind));
        const QEvent::Type type = k == 'p'   ? QEvent::MouseButtonPress
                                  : k == 'd' ? QEvent::MouseButtonDblClick
                                  : k == 'm' ? QEvent::MouseMove
                                             : QEvent::MouseButtonRelease;
        const Qt::MouseButton button = k == 'm'    ? Qt::NoButton
                                       : kind == k ? Qt::LeftButton
                                                   : Qt::RightButton;
        QMouseEvent event(type, pos, canvas.mapToGlobal(pos), button,
                          k == 'm' ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&canvas, &event);
    }

    Steps emitted;
    for (const QList<QVariant> &args : drags)
        emitted << qMakePair(args.at(0).toPoint(), args.at(1).toPoint());
    QCOMPARE(emitted, steps);
    QCOMPARE(clicks, clickXs);
}

QTEST_MAIN(TestTLCanvas)
#include "tst_tlcanvas.moc"
