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
    QString label;
    bool labelShown; // a label wider than its cell is left out, not cut
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
        QTest::newRow("20_days_per_100px")
                << Row{864000, 3456000, 1728000, 17.5f, 50, 200, 10, "MMMM", true};
        // The worked example's first day cell, in a row 21 px high.
        QTest::newRow("worked_example_day")
                << Row{-37800, 48600, 56000, 21, -67.5f, 86.785714f, 12, "Wed, 12", true};
        QTest::newRow("beyond_32_bits")
                << Row{3000000000, 6000000000, 20000000, 2.5f, 15000, 30000, 1, "2008", false};
        // Cut to its cell, "10:00h" would read "0:00", "Sep" would read "e".
        QTest::newRow("hour_at_6420_s_per_100px")
                << Row{0, 3600, 6420, 30, 0, 56.074768f, 18, "10:00h", false};
        QTest::newRow("month_at_20000000_s_per_100px")
                << Row{0, 2592000, 20000000, 30, 0, 12.96f, 18, "Sep", false};
    }

    void draw()
    {
        QFETCH(Row, row);
        QImage image(200, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        TLCell cell;
        cell.painter = &painter;
        cell.startSeconds = row.start;
        cell.endSeconds = row.end;
        cell.secondsPer100Px = row.scale;
        cell.top = 10;
        cell.height = row.height;
        cell.clipWidth = 200;
        cell.label = row.label;
        cell.beginRow();
        // Drawn twice: the label is laid out for good the second time.
        cell.draw();
        cell.draw();
        QCOMPARE(painter.font().family(), QStringLiteral("DIN"));
        QCOMPARE(painter.font().pointSize(), row.pointSize);
        QCOMPARE(painter.font().weight(), QFont::Bold);
        painter.end();
        // Ink beside the divider is the label's.
        int labelInk = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                labelInk += std::abs(x - row.left) > 2 && image.pixel(x, y) != qRgb(255, 255, 255);
        }
        QCOMPARE(labelInk > 0, row.labelShown);
        QCOMPARE(cell.left, row.left);
        QCOMPARE(cell.right, row.right);
    }
};

QTEST_MAIN(TestTLCell)
#include "tst_tlcell.moc"
