#include "testsupport.h"
#include "timeline.h"
#include "tlcanvas.h"

#include <QAction>
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
    int input; // the wheel's angle, the percent or the level
    quint32 newScale;
    qint64 shift;
    int reported;
};

} // namespace
Q_DECLARE_METATYPE(Row)

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
        QTest::addColumn<Row>("row");
        const quint32 s = StartScale;
        QTest::newRow("notch_in") << Row{s, 120, 1468800, 648000, 78};
        QTest::newRow("notch_out") << Row{s, -120, 1987200, -648000, 81};
        QTest::newRow("big_turn_in_is_25_percent") << Row{s, 240, 1296000, 1080000, 77};
        QTest::newRow("big_turn_out_is_unlimited") << Row{s, -240, 2246400, -1296000, 82};
        QTest::newRow("below_one_degree") << Row{s, 7, s, 0, 79};
        QTest::newRow("held_at_finest") << Row{100, 120, 100, 0, 0};
        QTest::newRow("clamped_to_finest") << Row{110, 120, 100, 25, 0};
        QTest::newRow("held_at_coarsest") << Row{Coarsest, -120, Coarsest, 0, 100};
        QTest::newRow("single_precision") << Row{17000001, -120, 19550002, -6375002, 99};
        QTest::newRow("huge_turn_out") << Row{s, IntMin, Coarsest, -45680000, 100};
    }

    void wheel()
    {
        QFETCH(Row, row);
        // The larger of the two components counts.
        for (const QPoint angle : {QPoint(0, row.input), QPoint(row.input, row.input / 8)}) {
            prepare(row.scale);
            turnWheel(timeline->drawingCanvas(), angle);
            check(row);
        }
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

    void farPastAndFuture_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<quint32>("scale");
        QTest::newRow("year_1") << QDate(1, 1, 1) << 56000u;
        QTest::newRow("before_year_1") << QDate(-40, 6, 15) << 840000u;
        QTest::newRow("beyond_9999") << QDate(12345, 2, 28) << 1340u;
        QTest::newRow("a_million_years_on") << QDate(1000000, 1, 1) << Coarsest;
    }

    void farPastAndFuture()
    {
        QFETCH(QDate, date);
        QFETCH(quint32, scale);
        timeline->zoomTo(int(scale));
        timeline->setWindowStart(date.startOfDay());
        QCOMPARE(timeline->currentWindowStart(), date.startOfDay());
        paint(QSize(800, 100));
    }

    void stopsAtTheEndOfTime_data()
    {
        QTest::addColumn<int>("direction");
        QTest::newRow("future") << 1;
        QTest::newRow("past") << -1;
    }

    void stopsAtTheEndOfTime()
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
        // The full span stays in view (500 px at the scale), the first or the
        // last instant (64 bits less 25 hours) at its edge.
        QCOMPARE(timeline->currentWindowStart().secsTo(timeline->currentWindowEnd()),
                 qint64(100000000));
        const QDateTime edge =
                direction > 0 ? timeline->currentWindowEnd() : timeline->currentWindowStart();
        QCOMPARE(edge.toMSecsSinceEpoch(),
                 direction > 0 ? Q_INT64_C(9223372036764775807) : Q_INT64_C(-9223372036764775808));
        paint(QSize(500, 80));
        // And back again: the view is still usable.
        timeline->canvasDraggedSlot(QPoint(0, 0), QPoint(direction * 1000, 0));
        QCOMPARE(previous.secsTo(timeline->currentWindowStart()), qint64(-direction) * 200000000);
    }

private:
    void prepare(quint32 scale)
    {
        timeline->zoomTo(int(scale));
        timeline->setWindowStart(Start);
        zoomed = std::make_unique<QSignalSpy>(timeline.get(), &Timeline::zoomChangedSignal);
    }

    void check(const Row &row)
    {
        QCOMPARE(timeline->currentSecondsPer100Px(), row.newScale);
        QCOMPARE(Start.secsTo(timeline->currentWindowStart()), row.shift);
        QCOMPARE(zoomed->count(), row.reported < 0 ? 0 : 1);
        if (row.reported >= 0)
            QCOMPARE(zoomed->at(0).at(0).toInt(), row.reported);
    }

    // Paints the whole view: the scale must cope with wherever the window is.
    void paint(QSize size)
    {
        renderAt(*timeline, size);
        const TLSegment &segment = timeline->timeSegment();
        QVERIFY(segment.windowEndTime() >= segment.windowStartTime());
        QVERIFY(segment.cellsDrawn() > 0);
    }

    std::unique_ptr<Timeline> timeline;
    std::unique_ptr<QSignalSpy> zoomed;
};

QTEST_MAIN(TestTimeline)
#include "tst_timeline.moc"
