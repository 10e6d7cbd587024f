#include "tlrowlayer.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <vector>

// Painting stamps through the layer must give what painting each with
// drawImage gives: the same pixels where stamps do not overlap, and within a
// level of rounding where they do.

namespace {

struct Stamp
{
    QPoint topLeft;
    QSize size;
    QRect within;
};

// A stamp of antialiased-looking pixels: opaque, partly covered and empty
// columns, premultiplied, different for every seed.
QImage stampImage(const QSize &size, int seed)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int alpha = ((x + y + seed) % 4) * 85;
            const int red = (alpha * ((seed * 37) % 256)) / 255;
            image.setPixel(x, y, qRgba(red, alpha / 3, alpha / 2, alpha));
        }
    }
    return image;
}

QImage background()
{
    QImage image(1400, 40, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 11) % 256, 200));
    }
    return image;
}

int largestDifference(const QImage &a, const QImage &b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)),
                                qAbs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

} // namespace

class TestTLRowLayer : public QObject
{
    Q_OBJECT

private slots:
    void matchesDirectPainting_data();
    void matchesDirectPainting();
    void leavesTooHighRowsAlone();
};

void TestTLRowLayer::matchesDirectPainting_data()
{
    QTest::addColumn<std::vector<Stamp>>("stamps");
    QTest::addColumn<int>("tolerance");

    const QRect all;
    QTest::newRow("apart, in one tile") << std::vector<Stamp>{{{10, 8}, {3, 11}, all},
                                                              {{15, 8}, {2, 11}, all},
                                                              {{40, 5}, {20, 20}, all}}
                                        << 0;
    QTest::newRow("apart, over many tiles and far gaps")
            << std::vector<Stamp>{{{5, 8}, {3, 11}, all},
                                  {{505, 8}, {20, 11}, all},
                                  {{530, 8}, {2, 11}, all},
                                  {{1300, 8}, {4, 11}, all}}
            << 0;
    QTest::newRow("cut by the row and by within")
            << std::vector<Stamp>{{{-4, 0}, {10, 40}, all},
                                  {{1390, 20}, {30, 30}, all},
                                  {{100, 8}, {30, 11}, QRect(110, 10, 5, 20)}}
            << 0;
    QTest::newRow("wider than a tile")
            << std::vector<Stamp>{{{10, 6}, {4, 4}, all}, {{20, 6}, {700, 12}, all}} << 0;
    QTest::newRow("overlapping") << std::vector<Stamp>{{{10, 8}, {12, 11}, all},
                                                       {{15, 10}, {12, 11}, all},
                                                       {{18, 6}, {3, 20}, all}}
                                 << 1;
}

void TestTLRowLayer::matchesDirectPainting()
{
    QFETCH(std::vector<Stamp>, stamps);
    QFETCH(int, tolerance);

    // The row is the band y 4..33, the full width.
    const QRect row(0, 4, 1400, 30);
    QImage direct = background();
    {
        QPainter painter(&direct);
        painter.setClipRect(row);
        int seed = 0;
        for (const Stamp &stamp : stamps) {
            const QImage image = stampImage(stamp.size, ++seed);
            const QRect part =
                    QRect(stamp.topLeft, stamp.size) & (stamp.within.isNull() ? row : stamp.within);
            painter.drawImage(part.topLeft(), image, part.translated(-stamp.topLeft));
        }
    }
    QImage layered = background();
    {
        QPainter painter(&layered);
        painter.setClipRect(row);
        TLRowLayer layer;
        QVERIFY(layer.begin(&painter, row));
        int seed = 0;
        for (const Stamp &stamp : stamps)
            layer.add(stampImage(stamp.size, ++seed), stamp.topLeft, stamp.within);
        layer.flush();
    }
    QVERIFY(direct != background());
    const int difference = largestDifference(direct, layered);
    QVERIFY2(difference <= tolerance, QByteArray::number(difference));
}

void TestTLRowLayer::leavesTooHighRowsAlone()
{
    QImage image = background();
    const QImage before = image;
    QPainter painter(&image);
    TLRowLayer layer;
    QVERIFY(!layer.begin(&painter, QRect(0, 0, 100, TLRowLayer::MaxHeight + 1)));
    layer.add(stampImage(QSize(5, 5), 1), QPoint(3, 3));
    layer.flush();
    painter.end();
    QCOMPARE(image, before);
}

QTEST_MAIN(TestTLRowLayer)
#include "tst_tlrowlayer.moc"
