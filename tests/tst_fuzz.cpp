#include "testsupport.h"
#include "thumbwheel.h"
#include "timeline.h"
#include "timelineapp.h"
#include "tlcanvas.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>

namespace {

// The scale's range: the finest, and the coarsest the zoom control reaches.
constexpr quint32 FinestScale = 100, CoarsestScale = 20000007;
// An hour, a day, a week, the shortest month and a common year, in seconds.
constexpr qint64 UnitSeconds[] = {3600, 86400, 604800, 2419200, 31536000};

// One random gesture on the main window: mouse or wheel on the axis or the
// thumbwheel, a zoom button, the scroll bar, a resize, a long drag or a key.
void step(QRandomGenerator &random, QWidget *window, const Ui_MainWindow &ui)
{
    QWidget *surface = random.bounded(2) ? static_cast<QWidget *>(ui.thumbwheel)
                                         : ui.timeline->drawingCanvas();
    // Mostly ordinary positions, sometimes the extremes of an int.
    const auto coordinate = [&random] {
        if (random.bounded(20) == 0)
            return random.bounded(2) ? std::numeric_limits<int>::max()
                                     : std::numeric_limits<int>::min();
        return random.bounded(-200, 4000);
    };
    const auto anyButton = [&random] {
        return Qt::MouseButton(Qt::LeftButton << random.bounded(4));
    };
    const int kind = random.bounded(11);
    if (kind < 3) {
        static const QEvent::Type types[] = {QEvent::MouseButtonPress, QEvent::MouseMove,
                                             QEvent::MouseButtonRelease,
                                             QEvent::MouseButtonDblClick};
        const QEvent::Type type = types[random.bounded(4)];
        const QPointF pos(coordinate(), coordinate());
        QMouseEvent event(type, pos, pos, type == QEvent::MouseMove ? Qt::NoButton : anyButton(),
                          anyButton(), Qt::NoModifier);
        QCoreApplication::sendEvent(surface, &event);
    } else if (kind < 5) {
        int delta = int(random.generate());
        if (random.bounded(4) == 0)
            delta = random.bounded(-2, 3) * 120 * random.bounded(1, 3);
        turnWheel(surface, random.bounded(2) ? QPoint(0, delta) : QPoint(delta, 0));
    } else if (kind == 5) {
        QPushButton *const buttons[] = {ui.btHour, ui.btDay,        ui.btWeek,      ui.btMonth,
                                        ui.btYear, ui.pushButton_7, ui.pushButton_2};
        buttons[random.bounded(7)]->click();
    } else if (kind == 6) {
        // What a dragged scroll bar sends, over a far wider range than it can.
        emit ui.verticalScrollBar->sliderMoved(random.bounded(-1000, 1001));
    } else if (kind == 7) {
        ui.timeline->resize(random.bounded(8) == 0 ? random.bounded(12001) : random.bounded(4000),
                            random.bounded(8) == 0 ? random.bounded(3001) : random.bounded(200));
    } else if (kind == 8) {
        static const char *const keys[] = {"Left",   "Right",  "Home",   "Ctrl++", "Ctrl+-",
                                           "Ctrl+1", "Ctrl+3", "Ctrl+5", "PgDown"};
        QTest::keySequence(window, QKeySequence(QLatin1String(keys[random.bounded(9)])));
    } else {
        // Straight through the slot, to reach the far past and future.
        const int x = random.bounded(2) ? coordinate() : random.bounded(-3000, 3000);
        ui.timeline->canvasDraggedSlot(QPoint(0, 0), QPoint(x, 0));
    }
}

} // namespace

// Throws a long, seeded random sequence of gestures at the real main window
// and checks after every step that the view is still sound. The seed is
// printed; TIMELINE_FUZZ_SEED=<n> replays a run, TIMELINE_FUZZ_EVENTS=<n>
// changes its length.
class TestFuzz : public QObject
{
    Q_OBJECT

private slots:
    void gestures()
    {
        const quint32 seed = qEnvironmentVariable("TIMELINE_FUZZ_SEED", "20261206").toUInt();
        const int events = qEnvironmentVariable("TIMELINE_FUZZ_EVENTS", "20000").toInt();
        qInfo("fuzzing %d events with seed %u (replay: TIMELINE_FUZZ_SEED=%u)", events, seed, seed);
        QRandomGenerator random(seed);

        TimelineApp window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window)); // for the keys
        Timeline &timeline = *window.form().timeline;
        for (int i = 0; i < events && !QTest::currentTestFailed(); ++i) {
            step(random, &window, window.form());
            const QByteArray where = "event " + QByteArray::number(i);
            const quint32 scale = timeline.currentSecondsPer100Px();
            QVERIFY2(scale >= FinestScale && scale <= CoarsestScale, where);
            QVERIFY2(timeline.currentWindowStart().isValid(), where);
            if (i % 5 != 0 || timeline.width() <= 0 || timeline.height() <= 0)
                continue;

            // Only a corner is rendered, and the cells of the whole window are
            // counted: at most span / unit + 2 fit into each row.
            QImage corner(64, 64, QImage::Format_RGB32);
            timeline.render(&corner, QPoint(), QRegion(0, 0, 64, 64));
            const TLSegment &segment = timeline.timeSegment();
            const qint64 span =
                    qMax<qint64>(segment.windowStartTime().secsTo(segment.windowEndTime()), 0);
            qint64 bound = 0;
            for (const qint64 unit : UnitSeconds)
                bound += span / unit + 2;
            QVERIFY2(segment.cellsDrawn() <= bound, where);
        }
    }
};

QTEST_MAIN(TestFuzz)
#include "tst_fuzz.moc"
