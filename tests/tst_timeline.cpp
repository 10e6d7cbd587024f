#include "testsupport.h"
#include "timeline.h"
#include "tlcanvas.h"

#include <QAction>
#include <QNativeGestureEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

const QDateTime Start(QDate(2010, 6, 1), QTime(12, 0));
constexpr int IntMax = std::numeric_limits<int>::max(), IntMin = std::numeric_limits<int>::min();
constexpr quint32 Coarsest = 20000000, StartScale = 1728000;

// From Start at scale: the scale after the input, the seconds the left edge
// moved and the percent reported (-1: none).
struct Row
{
    quint32 scale;
    int input; // the percent or the level
    quint32 newScale;
    qint64 shift;
    int reported;
};

// Wheel or touchpad events, all alike, and the view after them.
struct Wheel
{
    QPoint angle, pixels;
    Qt::ScrollPhase phase;
    bool touchpad;
    int events;
    Row row;
    qreal pinch = 0; // a pinch by 1 + pinch at angle's x, in place of the events
};

} // namespace
Q_DECLARE_METATYPE(Row)
Q_DECLARE_METATYPE(Wheel)

// The preset levels, zooming in and out by key and the "<" and ">" buttons
// are the main window test's.
class TestTimeline : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        timeline = std::make_unique<Timeline>();
        QCOMPARE(timeline->sizeHint(), QSize(500, 60)); // also its width until resized
    }

    void wheel_data()
    {
        // Events of a mouse wheel or a touchpad, all alike, from Start at a
        // scale: the scale after them, the seconds the left edge moved and
        // the last percent reported (-1: none). Touchpad zooms come within a
        // percent of the wheel's.
        QTest::addColumn<Wheel>("wheel");
        const quint32 s = StartScale;
        const QPoint none;
        const auto update = Qt::ScrollUpdate;
        // clang-format off
        const std::pair<const char *, Wheel> rows[] = {
            {"notch_in", {{0, 120}, none, {}, false, 1, {s, 0, 1468800, 648000, 78}}},
            {"notch_out", {{0, -120}, none, {}, false, 1, {s, 0, 1987200, -648000, 81}}},
            {"big_turn_in_is_25_percent", {{0, 240}, none, {}, false, 1, {s, 0, 1296000, 1080000, 77}}},
            {"big_turn_out_is_unlimited", {{0, -240}, none, {}, false, 1, {s, 0, 2246400, -1296000, 82}}},
            {"below_one_degree", {{0, 7}, none, {}, false, 1, {s, 0, s, 0, 79}}},
            {"tilted_wheel_zooms", {{120, 15}, none, {}, false, 1, {s, 0, 1468800, 648000, 78}}},
            {"held_at_finest", {{0, 120}, none, {}, false, 1, {100, 0, 100, 0, 0}}},
            {"clamped_to_finest", {{0, 120}, none, {}, false, 1, {110, 0, 100, 25, 0}}},
            {"held_at_coarsest", {{0, -120}, none, {}, false, 1, {Coarsest, 0, Coarsest, 0, 100}}},
            {"single_precision", {{0, -120}, none, {}, false, 1, {17000001, 0, 19550002, -6375002, 99}}},
            {"huge_turn_out", {{0, IntMin}, none, {}, false, 1, {s, 0, Coarsest, -45680000, 100}}},
            {"touchpad_8_by_15", {{0, 15}, none, {}, true, 8, {s, 0, 1468800, 648000, 78}}},
            {"touchpad_120_by_1", {{0, 1}, none, {}, true, 120, {s, 0, 1468800, 648000, 78}}},
            {"touchpad_out", {{0, -15}, none, {}, true, 8, {s, 0, 1987200, -648000, 81}}},
            {"phase_tells_a_touchpad", {{0, 15}, none, update, false, 8, {s, 0, 1468800, 648000, 78}}},
            {"pixels_tell_a_touchpad", {{0, 15}, {0, 2}, {}, false, 8, {s, 0, 1468800, 648000, 78}}},
            // Sideways the content follows the fingers: 120 px is 2,073,600 s.
            {"touchpad_sideways", {{-120, 0}, none, {}, true, 1, {s, 0, s, 2073600, -1}}},
            {"touchpad_sideways_pixels", {{-120, 0}, {-30, 0}, update, true, 1, {s, 0, s, 518400, -1}}},
            // A pinch zooms about the point between the fingers.
            {"pinch_spread", {{100, 0}, none, {}, false, 1, {s, 0, 1382400, 345600, 78}, 0.25}},
            {"pinch_close", {{250, 0}, none, {}, false, 1, {s, 0, 2160000, -1080000, 81}, -0.2}},
        };
        // clang-format on
        for (const auto &[name, wheel] : rows)
            QTest::newRow(name) << wheel;
    }

    void wheel()
    {
        QFETCH(Wheel, wheel);
        const QPointingDevice touchpad(
                QStringLiteral("touchpad"), 1, QInputDevice::DeviceType::TouchPad,
                QPointingDevice::PointerType::Finger, QInputDevice::Capability::Scroll, 2, 0);
        prepare(wheel.row.scale);
        const QPointF at(wheel.angle.x(), 10);
        QNativeGestureEvent pinch(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(),
                                  2, at, at, at, wheel.pinch, QPointF(), 0);
        if (wheel.pinch != 0)
            QCoreApplication::sendEvent(timeline->drawingCanvas(), &pinch);
        for (int i = 0; i < wheel.events && wheel.pinch == 0; ++i)
            turnWheel(timeline->drawingCanvas(), wheel.angle, wheel.pixels, wheel.phase,
                      wheel.touchpad ? &touchpad : QPointingDevice::primaryPointingDevice());
        check(wheel.row, wheel.events);
    }

    void zoomControl_data()
    {
        QTest::addColumn<Row>("row");
        // The zoom control's percents (nothing is reported back); outside
        // 0..100 the nearest end: {percent, scale, shift}.
        // clang-format off
        const qint64 percents[][3] = {
                {0, 100, 4319750}, {1, 112, 4319720}, {10, 338, 4319155}, {20, 1148, 4317130},
                {50, 44721, 4208197}, {74, 837071, 2227322}, {86, 3621475, -4733687},
                {99, 17701892, -39934730}, {100, 20000007, -45680017}, {-5, 100, 4319750},
                {IntMax, 20000007, -45680017}};
        // clang-format on
        for (const auto &p : percents)
            QTest::addRow("percent_%lld", p[0])
                    << Row{StartScale, int(p[0]), quint32(p[1]), p[2], -1};
        // A button without an action, or with an unknown level, leaves the
        // scale alone; as does a call that no button sent (level -1 here).
        QTest::newRow("level_5") << Row{StartScale, 5, StartScale, 0, 79};
        QTest::newRow("button_without_action") << Row{StartScale, IntMin, StartScale, 0, 79};
        QTest::newRow("no_sender") << Row{StartScale, -1, StartScale, 0, 79};
    }

    void zoomControl()
    {
        QFETCH(Row, row);
        prepare(row.scale);
        QPushButton button;
        QObject::connect(&button, &QPushButton::clicked, timeline.get(),
                         &Timeline::setZoomLevelSlot);
        if (QByteArray(QTest::currentDataTag()).startsWith("percent")) {
            timeline->changeZoomSlot(row.input);
        } else if (row.input == -1) {
            timeline->setZoomLevelSlot();
        } else {
            if (row.input != IntMin)
                button.addAction(new QAction(&button));
            for (QAction *action : button.actions())
                action->setData(row.input);
            button.click();
        }
        check(row);
    }

private:
    void prepare(quint32 scale)
    {
        timeline->zoomTo(int(scale));
        timeline->setWindowStart(Start);
        zoomed = std::make_unique<QSignalSpy>(timeline.get(), &Timeline::zoomChangedSignal);
    }

    // After events of one kind; many small steps come within a percent.
    void check(const Row &row, int events = 1)
    {
        const qint64 scale = timeline->currentSecondsPer100Px();
        const qint64 shift = Start.secsTo(timeline->currentWindowStart());
        if (events > 1) {
            QVERIFY2(qAbs(scale - row.newScale) * 100 <= row.newScale, QByteArray::number(scale));
            QVERIFY2(qAbs(shift - row.shift) * 100 <= qAbs(row.shift), QByteArray::number(shift));
        } else {
            QCOMPARE(scale, qint64(row.newScale));
            QCOMPARE(shift, row.shift);
        }
        QCOMPARE(zoomed->count(), row.reported < 0 ? 0 : events);
        if (row.reported >= 0)
            QCOMPARE(zoomed->last().at(0).toInt(), row.reported);
    }

    std::unique_ptr<Timeline> timeline;
    std::unique_ptr<QSignalSpy> zoomed;
};

QTEST_MAIN(TestTimeline)
#include "tst_timeline.moc"
