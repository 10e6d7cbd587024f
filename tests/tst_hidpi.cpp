#include "timeline.h"

#include <QDebug>
#include <QImage>
#include <QList>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

constexpr int ViewWidth = 400;
constexpr int ViewHeight = 80;
// How far either side of a divider or row boundary the scan looks.
constexpr int ScanReach = 6;

bool isColor(QRgb pixel, QRgb color)
{
    constexpr int Tolerance = 8;
    return std::abs(qRed(pixel) - qRed(color)) <= Tolerance
           && std::abs(qGreen(pixel) - qGreen(color)) <= Tolerance
           && std::abs(qBlue(pixel) - qBlue(color)) <= Tolerance;
}

} // namespace

class TestHiDpi : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
};

void TestHiDpi::lines_data()
{
    QTest::addColumn<int>("ratio");
    QTest::newRow("ratio 1") << 1;
    QTest::newRow("ratio 2") << 2;
}

void TestHiDpi::lines()
{
    QFETCH(int, ratio);

    // One hour per 100 pixels, the window starting on the hour: the hour row
    // has a divider at every multiple of 100. January has no daylight-saving
    // change in either hemisphere, so this holds in every zone.
    Timeline timeline;
    timeline.zoomTo(3600);
    timeline.setWindowStart(QDateTime(QDate(2010, 1, 15), QTime(12, 0)));
    timeline.resize(ViewWidth, ViewHeight);
    QImage image(ViewWidth * ratio, ViewHeight * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    timeline.render(&image);

    // The scale is laid out for the logical size, whatever the pixel density,
    // and its rows cover the whole image, the bottom-right device pixel too.
    const TLSegment &segment = timeline.timeSegment();
    QCOMPARE(segment.width(), quint32(ViewWidth));
    QCOMPARE(segment.height(), quint32(ViewHeight));
    QVERIFY(!isColor(image.pixel(image.width() - 1, image.height() - 1), qRgb(255, 0, 255)));

    // Whether there is one line across one background (a divider) or between
    // two (a row boundary) at the logical coordinate at, seen along the device
    // pixels of the logical column or row fixed: 1 or 2 device pixels wide and
    // within one device pixel of its place. At ratio 1 the antialiased line
    // straddles two half-covered pixels; at ratio 2 it must fill two whole
    // device pixels in the pen colour (black), not a blend such as smooth
    // upscaling leaves.
    const auto lineAt = [&](bool horizontal, int fixed, double at, const QList<QRgb> &backgrounds) {
        const auto pixel = [&](int i) {
            return horizontal ? image.pixel(i, fixed * ratio) : image.pixel(fixed * ratio, i);
        };
        const int first = int((at - ScanReach) * ratio);
        const int last = int((at + ScanReach) * ratio);
        QList<int> drawn;
        for (int i = first; i <= last; ++i) {
            if (std::none_of(backgrounds.cbegin(), backgrounds.cend(),
                             [&](QRgb color) { return isColor(pixel(i), color); }))
                drawn.append(i);
        }
        const bool sharp = std::all_of(drawn.cbegin(), drawn.cend(),
                                       [&](int i) { return ratio == 1 || qGray(pixel(i)) < 64; });
        const bool ok = isColor(pixel(first), backgrounds.first())
                        && isColor(pixel(last), backgrounds.last()) && !drawn.isEmpty()
                        && drawn.size() <= 2 && drawn.last() - drawn.first() + 1 == drawn.size()
                        && std::abs((drawn.first() + drawn.last() + 1) / 2.0 - at * ratio) <= 1.0
                        && sharp;
        if (!ok)
            qWarning() << "expected at" << at * ratio << "drawn:" << drawn << "sharp:" << sharp;
        return ok;
    };

    // The boundaries above the day and the week row, seen just right of a
    // divider and clear of the centred labels (both neighbours are well over
    // ScanReach pixels high at this scale).
    for (int row = 1; row <= 2; ++row) {
        QVERIFY(segment.rowHeight(row - 1) > ScanReach && segment.rowHeight(row) > ScanReach);
        QVERIFY2(lineAt(false, 104, segment.rowTop(row),
                        {TLSegment::rowColor(row - 1).rgb(), TLSegment::rowColor(row).rgb()}),
                 qPrintable(QStringLiteral("boundary above row %1").arg(row)));
    }
    // The dividers, near the top of the hour row above its labels.
    for (const int x : {100, 200, 300}) {
        QVERIFY2(lineAt(true, int(segment.rowTop(0) + 3), x, {TLSegment::rowColor(0).rgb()}),
                 qPrintable(QStringLiteral("divider at %1").arg(x)));
    }
}

QTEST_MAIN(TestHiDpi)
#include "tst_hidpi.moc"
