#include "tlcanvas.h"

#include <QSignalSpy>
#include <QTest>

using Steps = QList<QLine>;

class TestTLCanvas : public QObject
{
    Q_OBJECT

private slots:
    void gestures_data()
    {
        // Events sent in turn, each a letter and a position: 'p' press, 'm' move,
        // 'r' release, 'd' double click (as the platform sends it), all with the
        // left button; 'P' and 'R' press and release the right one.
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QList<int>>("clickXs");

        QTest::newRow("within_threshold_is_a_click")
                << "p50,50 m53,47 r53,47" << Steps{} << QList{53};
        QTest::newRow("steps_chain_and_no_click")
                << "p10,5 m12,5 m15,5 m16,5 m30,5 r30,5"
                << Steps{{10, 5, 15, 5}, {15, 5, 16, 5}, {16, 5, 30, 5}} << QList<int>{};
        QTest::newRow("vertical_movement_counts")
                << "p10,10 m10,14" << Steps{{10, 10, 10, 14}} << QList<int>{};
        QTest::newRow("axes_tested_separately") << "p10,10 m13,13 r13,13" << Steps{} << QList{13};
        QTest::newRow("leftward_drag")
                << "p100,10 m90,10 m89,10" << Steps{{100, 10, 90, 10}, {90, 10, 89, 10}}
                << QList<int>{};
        QTest::newRow("press_at_origin_records_nothing")
                << "p0,0 m40,0 r40,0" << Steps{} << QList{40};
        QTest::newRow("release_without_press_clicks") << "r7,8" << Steps{} << QList{7};
        QTest::newRow("move_without_press_does_nothing") << "m70,8" << Steps{} << QList<int>{};
        QTest::newRow("second_gesture_starts_afresh")
                << "p10,5 m20,5 r20,5 p40,5 m42,5 r42,5" << Steps{{10, 5, 20, 5}} << QList{42};
        // The double-click event is handled as another press.
        QTest::newRow("double_click_is_two_clicks")
                << "p30,30 r30,30 d30,30 r30,30" << Steps{} << QList{30, 30};
        // Another press replaces the press point but keeps the drag going; only the
        // release after the drag has ended is a click.
        QTest::newRow("second_button_during_a_drag")
                << "p10,10 m20,10 P50,50 m21,10 r21,10 m80,10 R80,10"
                << Steps{{10, 10, 20, 10}, {20, 10, 21, 10}} << QList{80};
    }

    void gestures()
    {
        QFETCH(QString, gesture);
        QFETCH(Steps, steps);
        QFETCH(QList<int>, clickXs);

        TLCanvas canvas;
        canvas.resize(200, 100);
        QSignalSpy drags(&canvas, &TLCanvas::canvasMouseDragSignal);
        QList<int> clicks;
        connect(&canvas, &TLCanvas::canvasMouseClickSignal, this,
                [&clicks](QMouseEvent *event) { clicks << event->position().toPoint().x(); });

        // Sent directly: QTest would take the point (0, 0) for the widget's centre.
        for (const QString &event : gesture.split(' ')) {
            const char kind = event.at(0).toLatin1(), k = char(QChar::toLower(kind));
            const QPoint pos(event.mid(1).section(',', 0, 0).toInt(),
                             event.section(',', 1).toInt());
            const QEvent::Type type = k == 'p'   ? QEvent::MouseButtonPress
                                      : k == 'd' ? QEvent::MouseButtonDblClick
                                      : k == 'm' ? QEvent::MouseMove
                                                 : QEvent::MouseButtonRelease;
            const Qt::MouseButton button = k == 'm'    ? Qt::NoButton
                                           : kind == k ? Qt::LeftButton
                                                       : Qt::RightButton;
            QMouseEvent mouse(type, pos, canvas.mapToGlobal(pos), button,
                              k == 'm' ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&canvas, &mouse);
        }

        Steps emitted;
        for (const QList<QVariant> &args : drags)
            emitted << QLine(args.at(0).toPoint(), args.at(1).toPoint());
        QCOMPARE(emitted, steps);
        QCOMPARE(clicks, clickXs);
    }
};

QTEST_MAIN(TestTLCanvas)
#include "tst_tlcanvas.moc"
