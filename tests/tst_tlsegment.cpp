#include "tlcanvas.h"
#include "tlsegment.h"

#include <QHash>
#include <QImage>
#include <QTest>
#include <QTimeZone>

using Floats = QList<float>;

namespace {

// Paints the segment onto a white canvas of the given size.
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

class TestTLSegment : public QObject
{
    Q_OBJECT

private slots:
    void rowLayout_data();
    void rowLayout();
    void windowEnd_data();
    void windowEnd();
    void backgroundsFillTheirRows();
    void zeroWidthViewPaintsNothing();
};

void TestTLSegment::rowLayout_data()
{
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<Floats>("shares"); // of the view's height, hour row first

    const Floats coarsest = {0, 0, 0.1301f, 0.4011f, 0.4688f};
    QTest::newRow("finest") << 100u << Floats{0.4258f, 0.4100f, 0.1635f, 0.0007f, 0};
    QTest::newRow("day preset") << 4100u << Floats{0.2944f, 0.4056f, 0.2588f, 0.0412f, 0};
    QTest::newRow("week preset") << 56000u << Floats{0.0415f, 0.2472f, 0.3806f, 0.2715f, 0.0592f};
    QTest::newRow("start scale") << 1728000u << Floats{0, 0.0008f, 0.1645f, 0.4101f, 0.4246f};
    QTest::newRow("year preset") << 3700000u << coarsest;
    QTest::newRow("coarsest") << 20000000u << coarsest;
}

void TestTLSegment::rowLayout()
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
    const QDateTime start(QDate(2008, 3, 12), QTime(10, 30), QTimeZone::utc());
    QCOMPARE(start.secsTo(TLSegment::windowEndFor(start, width, scale)), span);
}

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
