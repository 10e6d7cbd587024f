#include "tlcanvas.h"
#include "tlsegment.h"

#include <QHash>
#include <QImage>
#include <QTest>

using Floats = QList<float>;

class TestTLSegment : public QObject
{
    Q_OBJECT

private slots:
    void shares_data();
    void shares();
    void rowLayout_data();
    void rowLayout();
    void raisedSine_data();
    void raisedSine();
    void windowEnd_data();
    void windowEnd();
    void backgroundsFillTheirRows();
    void zeroWidthViewPaintsNothing();
};

void TestTLSegment::shares_data()
{
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<Floats>("expected");

    const Floats finest = {0.4258f, 0.4100f, 0.1635f, 0.0007f, 0};
    const Floats coarsest = {0, 0, 0.1301f, 0.4011f, 0.4688f};
    QTest::newRow("100") << 100u << finest;
    QTest::newRow("hour preset 1340") << 1340u << finest;
    QTest::newRow("day preset 4100") << 4100u << Floats{0.2944f, 0.4056f, 0.2588f, 0.0412f, 0};
    QTest::newRow("week preset 56000")
            << 56000u << Floats{0.0415f, 0.2472f, 0.3806f, 0.2715f, 0.0592f};
    QTest::newRow("month preset 840000")
            << 840000u << Floats{0, 0.0220f, 0.2290f, 0.4118f, 0.3372f};
    QTest::newRow("start scale 1728000")
            << 1728000u << Floats{0, 0.0008f, 0.1645f, 0.4101f, 0.4246f};
    QTest::newRow("year preset 3700000") << 3700000u << coarsest;
    QTest::newRow("20000000") << 20000000u << coarsest;
}

void TestTLSegment::shares()
{
    QFETCH(quint32, scale);
    QFETCH(Floats, expected);

    TLSegment segment;
    segment.setSecondsPer100Px(scale);
    segment.setViewHeight(1);
    segment.updateRowShares();
    float sum = 0;
    for (int row = 0; row < TLSegment::RowCount; ++row) {
        const float share = segment.rowHeight(row);
        QCOMPARE(std::round(share * 10000) / 10000, expected.at(row));
        sum += share;
    }
    QVERIFY(qAbs(sum - 1.0f) < 1e-6f);
    QCOMPARE(segment.rowHeight(-1), 0.0f);
    QCOMPARE(segment.rowHeight(5), 0.0f);
}

void TestTLSegment::rowLayout_data()
{
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<Floats>("heights");
    QTest::addColumn<Floats>("tops");

    QTest::newRow("start scale") << 1728000u << Floats{0, 0.08f, 16.45f, 41.01f, 42.46f}
                                 << Floats{0, 0, 0.08f, 16.53f, 57.54f};
    QTest::newRow("week preset") << 56000u << Floats{4.15f, 24.72f, 38.06f, 27.15f, 5.92f}
                                 << Floats{0, 4.15f, 28.87f, 66.93f, 94.08f};
}

void TestTLSegment::rowLayout()
{
    QFETCH(quint32, scale);
    QFETCH(Floats, heights);
    QFETCH(Floats, tops);

    TLSegment segment;
    segment.setSecondsPer100Px(scale);
    segment.setViewHeight(100);
    segment.updateRowShares();
    for (int row = 0; row < TLSegment::RowCount; ++row) {
        QVERIFY2(qAbs(segment.rowHeight(row) - heights.at(row)) < 0.01f,
                 qPrintable(QString::number(row)));
        QVERIFY2(qAbs(segment.rowTop(row) - tops.at(row)) < 0.01f,
                 qPrintable(QString::number(row)));
    }
    // The rows stack without gaps and fill the view.
    QVERIFY(qAbs(segment.rowTop(4) + segment.rowHeight(4) - 100.0f) < 1e-3f);

    // The height scales the rows; the width plays no part.
    segment.setViewHeight(300);
    segment.setViewWidth(4000);
    for (int row = 0; row < TLSegment::RowCount; ++row)
        QVERIFY(qAbs(segment.rowHeight(row) - 3 * heights.at(row)) < 0.03f);
}

void TestTLSegment::raisedSine_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("expected");

    QTest::newRow("peak") << 1.5707964f << 1.0f;
    QTest::newRow("middle") << 0.0f << 0.5f;
    QTest::newRow("left foot") << -1.5707964f << 0.0f;
    QTest::newRow("left of the hump") << -3.0f << 0.0f;
    QTest::newRow("right foot") << 4.712389f << 0.0f;
    QTest::newRow("right of the hump") << 6.0f << 0.0f;
}

void TestTLSegment::raisedSine()
{
    QFETCH(float, x);
    QFETCH(float, expected);
    QVERIFY(qAbs(TLSegment::raisedSine(x) - expected) < 1e-6f);
}

void TestTLSegment::windowEnd_data()
{
    QTest::addColumn<quint32>("width");
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<qint64>("span");

    QTest::newRow("100 days at start") << 500u << 1728000u << qint64(8640000);
    QTest::newRow("fractional pixel") << 501u << 150u << qint64(751);
    QTest::newRow("empty view") << 0u << 1728000u << qint64(0);
    // Beyond what a 32-bit second count holds.
    QTest::newRow("12000 px at coarsest") << 12000u << 20000000u << qint64(2400000000);
}

void TestTLSegment::windowEnd()
{
    QFETCH(quint32, width);
    QFETCH(quint32, scale);
    QFETCH(qint64, span);

    const QDateTime start(QDate(2008, 3, 12), QTime(10, 30), Qt::UTC);
    QCOMPARE(start.secsTo(TLSegment::windowEndFor(start, width, scale)), span);
}

namespace {

// Paints a segment onto a canvas of the given size and returns the picture.
QImage paintSegment(TLSegment &segment, QSize size)
{
    TLCanvas canvas;
    canvas.resize(size);
    canvas.setAutoFillBackground(true);
    canvas.setPalette(QPalette(Qt::white));
    QObject::connect(&canvas, &TLCanvas::canvasRepaintSignal,
                     [&segment](QWidget *target) { segment.paint(target); });
    QImage image(size, QImage::Format_RGB32);
    canvas.render(&image);
    return image;
}

QRgb dominantColor(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y) & 0xFFFFFF];
    }
    return std::max_element(counts.cbegin(), counts.cend()).key();
}

} // namespace

void TestTLSegment::backgroundsFillTheirRows()
{
    TLSegment segment;
    segment.setWindowStart(QDateTime(QDate(2008, 3, 12), QTime(10, 30)));
    segment.setSecondsPer100Px(56000);
    segment.setViewWidth(400);
    segment.setViewHeight(200);
    const QImage image = paintSegment(segment, QSize(400, 200));

    for (int row = 0; row < TLSegment::RowCount; ++row) {
        const int top = int(std::ceil(segment.rowTop(row))) + 1;
        const int bottom = int(segment.rowTop(row) + segment.rowHeight(row)) - 2;
        QVERIFY(bottom > top);
        QCOMPARE(dominantColor(image, QRect(QPoint(1, top), QPoint(398, bottom))),
                 TLSegment::rowColor(row).rgb() & 0xFFFFFF);
    }
    QCOMPARE(segment.windowStartTime().secsTo(segment.windowEndTime()), 224000);
}

void TestTLSegment::zeroWidthViewPaintsNothing()
{
    TLSegment segment;
    segment.setWindowStart(QDateTime(QDate(2020, 1, 1), QTime(0, 0)));
    segment.setSecondsPer100Px(56000);
    segment.setViewWidth(0);
    segment.setViewHeight(60);
    const QImage image = paintSegment(segment, QSize(40, 60));
    // A width of 0 must not become a rectangle four billion pixels wide.
    QCOMPARE(dominantColor(image, QRect(10, 0, 30, 60)), QColor(Qt::white).rgb() & 0xFFFFFF);
}

QTEST_MAIN(TestTLSegment)
#include "tst_tlsegment.moc"
