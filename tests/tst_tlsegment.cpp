#include "tlsegment.h"

#include <QTest>
#include <QTimeZone>

using Floats = QList<float>;

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
};

QTEST_MAIN(TestTLSegment)
#include "tst_tlsegment.moc"
