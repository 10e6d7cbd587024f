#include "testsupport.h"
#include "tlcanvas.h"
#include "tlsegment.h"

#include <QTest>
#include <QTimeZone>

using Floats = QList<float>;

namespace {

// Paints the segment of a window of the given size; returns the cells drawn.
qint64 paintSegment(TLSegment &segment, const QDateTime &start, quint32 scale, QSize size)
{
    segment.setWindowStart(start);
    segment.setSecondsPer100Px(scale);
    segment.setViewWidth(quint32(size.width()));
    segment.setViewHeight(quint32(size.height()));
    TLCanvas canvas;
    QObject::connect(&canvas, &TLCanvas::canvasRepaintSignal,
                     [&segment](QWidget *target) { segment.paint(target); });
    renderAt(canvas, size);
    return segment.cellsDrawn();
}

} // namespace

class TestTLSegment : public QObject
{
    Q_OBJECT

private slots:
    void rowLayout_data()
    {
        QTest::addColumn<quint32>("scale");
        QTest::addColumn<Floats>("shares"); // of the view's height, hour row first

        const Floats coarsest = {0, 0, 0.1301f, 0.4011f, 0.4688f};
        QTest::newRow("finest") << 100u << Floats{0.4258f, 0.4100f, 0.1635f, 0.0007f, 0};
        QTest::newRow("day_preset") << 4100u << Floats{0.2944f, 0.4056f, 0.2588f, 0.0412f, 0};
        QTest::newRow("week_preset")
                << 56000u << Floats{0.0415f, 0.2472f, 0.3806f, 0.2715f, 0.0592f};
        QTest::newRow("month_preset") << 840000u << Floats{0, 0.0220f, 0.2290f, 0.4118f, 0.3372f};
        QTest::newRow("start_scale") << 1728000u << Floats{0, 0.0008f, 0.1645f, 0.4101f, 0.4246f};
        QTest::newRow("year_preset") << 3700000u << coarsest;
        QTest::newRow("coarsest") << 20000000u << coarsest;
    }

    void rowLayout()
    {
        QFETCH(quint32, scale);
        QFETCH(Floats, shares);

        TLSegment segment;
        segment.setSecondsPer100Px(scale);
        segment.setViewHeight(100);
        segment.updateRowShares();
        // The rows stack without gaps and fill the view.
        float top = 0;
        for (int row = 0; row < TLSegment::RowCount; ++row) {
            QCOMPARE(std::round(segment.rowHeight(row) * 100) / 10000, shares.at(row));
            QVERIFY(qAbs(segment.rowTop(row) - top) < 1e-3f);
            top += segment.rowHeight(row);
        }
        QVERIFY(qAbs(top - 100.0f) < 1e-3f);
        QCOMPARE(segment.rowHeight(-1), 0.0f);
        QCOMPARE(segment.rowHeight(TLSegment::RowCount), 0.0f);

        // The height scales the rows; the width plays no part.
        segment.setViewHeight(300);
        segment.setViewWidth(4000);
        for (int row = 0; row < TLSegment::RowCount; ++row)
            QVERIFY(qAbs(segment.rowHeight(row) - 300 * shares.at(row)) < 0.02f);
    }

    void windowEnd()
    {
        // {width, scale, seconds}: the last beyond what 32 bits hold.
        const qint64 rows[][3] = {{500, 1728000, 8640000},
                                  {501, 150, 751},
                                  {0, 1728000, 0},
                                  {12000, 20000000, 2400000000}};
        const QDateTime start(QDate(2008, 3, 12), QTime(10, 30), QTimeZone::utc());
        for (const auto &r : rows)
            QCOMPARE(start.secsTo(TLSegment::windowEndFor(start, quint32(r[0]), quint32(r[1]))),
                     r[2]);
    }

    void minimumRowHeight()
    {
        // At 1,148,556 s per 100 px the day row gets 2/208 of the height (to float
        // precision): exactly 2.0 px in a view 208 px high, too little for cells,
        // and 2.01 px in one 209 px high, enough for them.
        const ZoneGuard guard("UTC");
        const QDateTime start =
                QDateTime::fromMSecsSinceEpoch(1205317800000LL); // 12 March 2008 10:30
        TLSegment segment;
        const qint64 without = paintSegment(segment, start, 1148556, QSize(200, 208));
        QCOMPARE(segment.rowHeight(1), 2.0f);
        const qint64 with = paintSegment(segment, start, 1148556, QSize(200, 209));
        QVERIFY(segment.rowHeight(1) > 2.0f && segment.rowHeight(1) < 2.02f);
        // The extra pixel adds the day row's cells (12 March to 8 April) and
        // nothing else.
        QCOMPARE(with - without, 28);
    }

    void zoneChangeOntoASkippedDate()
    {
        // The window starts on 30 December 2011 in UTC, a date that Apia skipped.
        // After the zone changes to Apia the rows still run forwards from the
        // same instant, the hours on the hour.
        TLSegment segment;
        const QDateTime start(QDate(2011, 12, 30), QTime(10, 0), QTimeZone::utc());
        paintSegment(segment, start, 4100, QSize(400, 100));
        const ZoneGuard guard("Pacific/Apia");
        // 10:00 UTC is midnight in Apia: five hours (00:00 to 04:00 on the 31st),
        // the day, its week and its month.
        QCOMPARE(paintSegment(segment, start, 4100, QSize(400, 100)), 5 + 1 + 1 + 1);
        QCOMPARE(segment.windowStartTime().toMSecsSinceEpoch(), 1325239200000LL);
        QCOMPARE(segment.windowStartTime().secsTo(segment.windowEndTime()), 16400);
    }
};

QTEST_MAIN(TestTLSegment)
#include "tst_tlsegment.moc"
