#include "tlcalendar.h"
#include "tlcanvas.h"
#include "tlsegment.h"
#include "thumbwheel.h"
#include "timeline.h"
#include "timelineapp.h"

#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <limits>

// Throws a long, seeded random sequence of gestures at the real main window
// and checks after every step that the view is still sound. The seed is
// printed; TIMELINE_FUZZ_SEED=<n> replays a run, TIMELINE_FUZZ_EVENTS=<n>
// changes its length.
class TestFuzz : public QObject
{
    Q_OBJECT

private slots:
    void gestures_data();
    void gestures();

private:
    void step(TimelineApp &window);
    void checkInvariants(const Timeline &timeline, const QString &where);
    void paintAndCheck(Timeline &timeline, const QString &where);

    QRandomGenerator random;
};

namespace {

constexpr quint32 DefaultSeed = 20261206;
constexpr int DefaultEvents = 20000;
constexpr int PaintEvery = 5;

quint32 envNumber(const char *name, quint32 fallback)
{
    bool ok = false;
    const quint32 value = qEnvironmentVariable(name).toUInt(&ok);
    return ok ? value : fallback;
}

// At most this many cells fit into a window of the given span, summed over
// the five rows: span / unit + 2 per row.
qint64 cellBound(qint64 span)
{
    using TLCalendar::Unit;
    qint64 bound = 0;
    for (Unit unit : {Unit::Hour, Unit::Day, Unit::Week, Unit::Month, Unit::Year})
        bound += qMax<qint64>(span, 0) / TLCalendar::nominalSeconds(unit) + 2;
    return bound;
}

} // namespace

void TestFuzz::gestures_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("events");
    // Regression seeds go here, each with the number of events that made it fail.
    const quint32 seed = envNumber("TIMELINE_FUZZ_SEED", DefaultSeed);
    const int events = int(envNumber("TIMELINE_FUZZ_EVENTS", DefaultEvents));
    QTest::addRow("seed %u", seed) << seed << events;
}

void TestFuzz::gestures()
{
    QFETCH(quint32, seed);
    QFETCH(int, events);
    qInfo("fuzzing %d events with seed %u (replay: TIMELINE_FUZZ_SEED=%u)", events, seed, seed);
    random.seed(seed);

    TimelineApp window;
    window.show();
    Timeline &timeline = *window.form().timeline;
    for (int i = 0; i < events; ++i) {
        step(window);
        const QString where = QStringLiteral("seed %1, event %2").arg(seed).arg(i);
        checkInvariants(timeline, where);
        if (QTest::currentTestFailed())
            return;
        if (i % PaintEvery == 0)
            paintAndCheck(timeline, where);
        if (QTest::currentTestFailed())
            return;
    }
}

void TestFuzz::step(TimelineApp &window)
{
    const Ui_MainWindow &ui = window.form();
    QWidget *const surfaces[] = {ui.timeline->drawingCanvas(), ui.thumbwheel};
    QWidget *surface = surfaces[random.bounded(2)];

    // Mostly ordinary positions, sometimes the extremes of an int.
    const auto coordinate = [this] {
        if (random.bounded(20) == 0)
            return random.bounded(2) ? std::numeric_limits<int>::max()
                                     : std::numeric_limits<int>::min();
        return random.bounded(-200, 4000);
    };
    const auto anyButton = [this] {
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton,
                                           Qt::BackButton};
        return buttons[random.bounded(4)];
    };

    switch (random.bounded(10)) {
    case 0:
    case 1:
    case 2: {
        static const QEvent::Type types[] = {QEvent::MouseButtonPress, QEvent::MouseMove,
                                             QEvent::MouseMove, QEvent::MouseButtonRelease,
                                             QEvent::MouseButtonDblClick};
        const QEvent::Type type = types[random.bounded(5)];
        const QPoint pos(coordinate(), coordinate());
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : anyButton();
        QMouseEvent event(type, QPointF(pos), QPointF(pos), button, anyButton(), Qt::NoModifier);
        QCoreApplication::sendEvent(surface, &event);
        break;
    }
    case 3:
    case 4: {
        int delta = int(random.generate());
        if (random.bounded(4) == 0)
            delta = random.bounded(-2, 3) * 120 * random.bounded(1, 3);
        const QPoint angle = random.bounded(2) ? QPoint(0, delta) : QPoint(delta, 0);
        QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(surface, &event);
        break;
    }
    case 5: {
        QPushButton *const buttons[] = {ui.btHour, ui.btDay,        ui.btWeek,      ui.btMonth,
                                        ui.btYear, ui.pushButton_7, ui.pushButton_2};
        buttons[random.bounded(7)]->click();
        break;
    }
    case 6:
        // What a dragged scroll bar sends, over a far wider range than it can.
        emit ui.verticalScrollBar->sliderMoved(random.bounded(-1000, 1001));
        break;
    case 7: {
        const int width = random.bounded(8) == 0 ? random.bounded(12001) : random.bounded(4000);
        const int height = random.bounded(8) == 0 ? random.bounded(3001) : random.bounded(200);
        ui.timeline->resize(width, height);
        break;
    }
    default: {
        // A long drag, straight through the slot, to reach the far past and future.
        const int dx = random.bounded(2) ? coordinate() : random.bounded(-3000, 3000);
        ui.timeline->canvasDraggedSlot(QPoint(0, 0), QPoint(dx, 0));
        break;
    }
    }
}

void TestFuzz::checkInvariants(const Timeline &timeline, const QString &where)
{
    const quint32 scale = timeline.currentSecondsPer100Px();
    QVERIFY2(scale >= Timeline::MinScale && scale <= Timeline::scaleForPercent(100),
             qPrintable(where + QStringLiteral(": scale %1").arg(scale)));
    QVERIFY2(timeline.currentWindowStart().isValid(), qPrintable(where));
}

void TestFuzz::paintAndCheck(Timeline &timeline, const QString &where)
{
    // Only a corner is rendered, but the whole scale is laid out and drawn
    // (clipped) every time.
    QImage corner(64, 64, QImage::Format_RGB32);
    timeline.render(&corner, QPoint(), QRegion(0, 0, 64, 64));
    const TLSegment &segment = timeline.timeSegment();
    if (timeline.width() <= 0 || timeline.height() <= 0)
        return;
    const qint64 span = segment.windowStartTime().secsTo(segment.windowEndTime());
    QVERIFY2(segment.cellsDrawn() <= cellBound(span),
             qPrintable(where + QStringLiteral(": %1 cells").arg(segment.cellsDrawn())));
}

QTEST_MAIN(TestFuzz)
#include "tst_fuzz.moc"
