#include "testsupport.h"
#include "tlcell.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

struct Row
{
    qint64 start, end;
    quint32 scale;
    float height;
    float left, right; // where the cell lies, in pixels
    int pointSize; // of the label's font: 0.6 of the row's height, truncated, never 0
};

} // namespace
Q_DECLARE_METATYPE(Row)

// How the painting itself looks is the rendering test's business.
class TestTLCell : public QObject
{
    Q_OBJECT

private slots:
    void draw_data()
    {
        QTest::addColumn<Row>("row");
        QTest::newRow("20_days_per_100px") << Row{864000, 3456000, 1728000, 17.5f, 50, 200, 10};
        // The worked example's first day cell, in a row 21 px high.
        QTest::newRow("worked_example_day")
                << Row{-37800, 48600, 56000, 21, -67.5f, 86.785714f, 12};
        QTest::newRow("beyond_32_bits")
                << Row{3000000000, 6000000000, 20000000, 2.5f, 15000, 30000, 1};
    }

    void draw()
    {
        QFETCH(Row, row);
        QImage image(200, 40, QImage::Format_RGB32);
        QPainter painter(&image);
        TLCell cell;
        cell.painter = &painter;
        cell.startSeconds = row.start;
        cell.endSeconds = row.end;
        cell.secondsPer100Px = row.scale;
        cell.top = 10;
        cell.height = row.height;
        cell.clipWidth = 200;
        cell.label = QStringLiteral("MMMM");
        cell.beginRow();
        cell.draw();
        QCOMPARE(cell.left, row.left);
        QCOMPARE(cell.right, row.right);
        QCOMPARE(painter.font().family(), QStringLiteral("DIN"));
        QCOMPARE(painter.font().pointSize(), row.pointSize);
        QCOMPARE(painter.font().weight(), QFont::Bold);
    }
};

QTEST_MAIN(TestTLCell)
#include "tst_tlcell.moc"
