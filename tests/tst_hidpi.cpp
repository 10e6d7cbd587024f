#include "timeline.h"

#include <QImage>
#include <QList>
#include <QTest>

#include <cmath>
#include <memory>

namespace {

constexpr int ViewWidth = 400;
constexpr int ViewHeight = 80;
// One hour per 100 pixels, the window starting on the hour: the hour row has
// a divider at every multiple of 100. January has no daylight-saving change
// in either hemisphere, so this holds in every zone.
constexpr quint32 Scale = 3600;
const QDateTime Start(QDate(2010, 1, 15), QTime(12, 0));
const int Dividers[] = {100, 200, 300};
// A column just right of a divider, clear of the centred labels, for the
// boundaries between rows.
constexpr int BoundaryColumn = 104;
// How far either side of a divider or row boundary the scan looks.
constexpr int ScanReach = 6;

bool isColor(QRgb pixel, QRgb color)
{
    constexpr int Tolerance = 8;
    return std::abs(qRed(pixel) - qRed(color)) <= Tolerance
           && std::abs(qGreen(pixel) - qGreen(color)) <= Tolerance
           && std::abs(qBlue(pixel) - qBlue(color)) <= Tolerance;
}

// Sharp means drawn in the pen colour itself (the default black foreground),
// not a blend with the background such as a smoothly upscaled line leaves.
bool isSharp(QRgb pixel)
{
    return qGray(pixel) < 64;
}

// The device pixels from first to last (inclusive) along a row (vertical:
// false) or a column (vertical: true) that show none of the backgrounds.
QList<int> foreign(const QImage &image, int fixed, int first, int last, bool vertical,
                   const QList<QRgb> &backgrounds)
{
    QList<int> found;
    for (int i = first; i <= last; ++i) {
        const QRgb pixel = vertical ? image.pixel(fixed, i) : image.pixel(i, fixed);
        bool background = false;
        for (const QRgb color : backgrounds)
            background = background || isColor(pixel, color);
        if (!background)
            found.append(i);
    }
    return found;
}

// Checks that pixels form one line 1 or 2 device pixels wide whose middle is
// within one device pixel of expected (a device coordinate), and, where
// sharp is asked for, that it is drawn in the pen colour.
void verifyLine(const QImage &image, const QList<int> &pixels, bool vertical, int fixed,
                double expected, bool sharp)
{
    QVERIFY2(!pixels.isEmpty(), "no line drawn");
    QVERIFY2(pixels.size() <= 2,
             qPrintable(QStringLiteral("line %1 device pixels wide").arg(pixels.size())));
    QCOMPARE(pixels.last() - pixels.first() + 1, pixels.size());
    const double middle = (pixels.first() + pixels.last() + 1) / 2.0;
    QVERIFY2(std::abs(middle - expected) <= 1.0,
             qPrintable(QStringLiteral("line at %1, expected at %2").arg(middle).arg(expected)));
    if (sharp) {
        for (const int i : pixels) {
            const QRgb pixel = vertical ? image.pixel(fixed, i) : image.pixel(i, fixed);
            QVERIFY2(isSharp(pixel),
                     qPrintable(QStringLiteral("blurred pixel %1 at %2").arg(pixel, 6, 16).arg(i)));
        }
    }
}

void addRatios()
{
    QTest::addColumn<int>("ratio");
    QTest::newRow("ratio 1") << 1;
    QTest::newRow("ratio 2") << 2;
}

} // namespace

class TestHiDpi : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void paintsAtLogicalSize_data();
    void paintsAtLogicalSize();
    void rowBoundaries_data();
    void rowBoundaries();
    void dividers_data();
    void dividers();

private:
    QImage render(int ratio);

    std::unique_ptr<Timeline> timeline;
};

void TestHiDpi::init()
{
    timeline = std::make_unique<Timeline>();
    timeline->zoomTo(int(Scale));
    timeline->setWindowStart(Start);
    timeline->resize(ViewWidth, ViewHeight);
}

QImage TestHiDpi::render(int ratio)
{
    QImage image(ViewWidth * ratio, ViewHeight * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    timeline->render(&image);
    return image;
}

void TestHiDpi::paintsAtLogicalSize_data()
{
    addRatios();
}

void TestHiDpi::paintsAtLogicalSize()
{
    QFETCH(int, ratio);
    const QImage image = render(ratio);
    // The scale is laid out for the logical size, whatever the pixel density.
    const TLSegment &segment = timeline->timeSegment();
    QCOMPARE(segment.width(), quint32(ViewWidth));
    QCOMPARE(segment.height(), quint32(ViewHeight));
    // The rows cover the whole image, the bottom-right device pixel included.
    const QRgb corner = image.pixel(image.width() - 1, image.height() - 1);
    QVERIFY(!isColor(corner, QColor(Qt::magenta).rgb()));
}

void TestHiDpi::rowBoundaries_data()
{
    addRatios();
}

void TestHiDpi::rowBoundaries()
{
    QFETCH(int, ratio);
    const QImage image = render(ratio);
    const TLSegment &segment = timeline->timeSegment();
    const int x = BoundaryColumn * ratio;

    // The boundaries above the day and the week row: both of their
    // neighbours are well over ScanReach pixels high at this scale.
    for (int row = 1; row <= 2; ++row) {
        QVERIFY(segment.rowHeight(row - 1) > ScanReach && segment.rowHeight(row) > ScanReach);
        const double top = segment.rowTop(row);
        const QRgb above = TLSegment::rowColor(row - 1).rgb();
        const QRgb below = TLSegment::rowColor(row).rgb();
        const int first = int((top - ScanReach) * ratio);
        const int last = int((top + ScanReach) * ratio);
        QVERIFY(isColor(image.pixel(x, first), above));
        QVERIFY(isColor(image.pixel(x, last), below));
        const QList<int> line = foreign(image, x, first, last, true, {above, below});
        verifyLine(image, line, true, x, top * ratio, ratio > 1);
        if (QTest::currentTestFailed()) {
            qWarning("boundary above row %d (top %g)", row, top);
            return;
        }
    }
}

void TestHiDpi::dividers_data()
{
    addRatios();
}

void TestHiDpi::dividers()
{
    QFETCH(int, ratio);
    const QImage image = render(ratio);
    const TLSegment &segment = timeline->timeSegment();
    // Near the top of the hour row, above the labels.
    const int y = int((segment.rowTop(0) + 3) * ratio);
    const QRgb background = TLSegment::rowColor(0).rgb();

    for (const int divider : Dividers) {
        // At ratio 1 the antialiased line straddles two half-covered columns;
        // at ratio 2 it must fill two whole device columns in the pen colour.
        const QList<int> line = foreign(image, y, (divider - ScanReach) * ratio,
                                        (divider + ScanReach) * ratio, false, {background});
        verifyLine(image, line, false, y, divider * ratio, ratio > 1);
        if (QTest::currentTestFailed()) {
            qWarning("divider at %d", divider);
            return;
        }
    }
}

QTEST_MAIN(TestHiDpi)
#include "tst_hidpi.moc"
