#include "referencerenderer.h"
#include "testsupport.h"
#include "timeline.h"
#include "tlcalendar.h"
#include "tlsegment.h"

#include <QImage>
#include <QTest>

#include <algorithm>
#include <cmath>

// The product paints the scale from pictures it keeps; the reference draws
// every cell with a painter, font and text layout of its own. They must look
// the same: the same backgrounds, dividers within half a device pixel, label
// ink within one device pixel, at every device pixel ratio and with whatever
// font rendering fontconfig asks for (the test runs once per setting).

namespace {

// The row backgrounds; anything else is ink (outlines, dividers, labels and
// their antialiasing).
constexpr QRgb Backgrounds[] = {0xF6EFB5, 0xE0DBA3, 0xC6C78A, 0xAEB99C, 0x8DAA94};

bool isInk(const QImage &image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y) & 0xFFFFFF;
    return std::find(std::begin(Backgrounds), std::end(Backgrounds), pixel)
           == std::end(Backgrounds);
}

bool inkNear(const QImage &image, int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < image.width() && ny < image.height()
                && isInk(image, nx, ny))
                return true;
        }
    }
    return false;
}

// Where a and b differ other than by ink moved by one device pixel at most,
// or an empty string.
QByteArray difference(const QImage &a, const QImage &b)
{
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) == b.pixel(x, y))
                continue;
            const bool inkA = isInk(a, x, y), inkB = isInk(b, x, y);
            if ((inkA && !inkB && !inkNear(b, x, y)) || (inkB && !inkA && !inkNear(a, x, y))
                || (!inkA && !inkB))
                return QByteArray::number(x) + "," + QByteArray::number(y);
        }
    }
    return QByteArray();
}

// Ink that is not grey: text drawn with subpixel antialiasing.
qint64 colouredInk(const QImage &image)
{
    qint64 count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int spread = std::max({qRed(p), qGreen(p), qBlue(p)})
                               - std::min({qRed(p), qGreen(p), qBlue(p)});
            count += isInk(image, x, y) && spread > 64 ? 1 : 0;
        }
    }
    return count;
}

int darkness(const QImage &image, int x, int y)
{
    return 255 - qGray(image.pixel(x, y));
}

// The centre of the ink within two device pixels of x on device row y.
double inkCentre(const QImage &image, double x, int y)
{
    double sum = 0, weighted = 0;
    for (int i = int(std::floor(x)) - 2; i <= int(std::floor(x)) + 2; ++i) {
        const int ink = darkness(image, i, y) - darkness(image, i - 3, y) / 2
                        - darkness(image, i + 3, y) / 2;
        if (ink > 0) {
            sum += ink;
            weighted += ink * (i + 0.5);
        }
    }
    return sum > 0 ? weighted / sum : -1;
}

// Where a divider clear of others and of the view's edges lies more than half
// a device pixel from the reference's, seen just below its row's top; or an
// empty string.
QString misplacedDivider(const Timeline &timeline, qreal ratio, const QImage &product,
                         const QImage &expected)
{
    const TLSegment &segment = timeline.timeSegment();
    const qint64 start = segment.windowStartTime().toMSecsSinceEpoch();
    const qint64 end = segment.windowEndTime().toMSecsSinceEpoch();
    const quint32 scale = timeline.currentSecondsPer100Px();
    TLCalendar calendar;
    QString found;
    for (int row = 0; row < TLSegment::RowCount && found.isEmpty(); ++row) {
        if (segment.rowHeight(row) <= 6)
            continue;
        const int y = int((segment.rowTop(row) + 2) * ratio);
        calendar.forEachCell(
                TLCalendar::Unit(row), start, end, [&](const auto &cell, const auto &next) {
                    const double x = double((cell.msecs - start) / 1000) / scale * 100 * ratio;
                    const double spacing = double(next.msecs - cell.msecs) / 10.0 / scale * ratio;
                    if (!cell.exists || spacing < 8 || x < 4 || x > product.width() - 5)
                        return;
                    const double got = inkCentre(product, x, y), want = inkCentre(expected, x, y);
                    if (std::abs(got - want) > 0.5 && found.isEmpty())
                        found = QStringLiteral("row %1: divider at %2, %3 instead of %4")
                                        .arg(row)
                                        .arg(x)
                                        .arg(got)
                                        .arg(want);
                });
    }
    return found;
}

QImage render(Timeline &timeline, qreal ratio, ReferenceRenderer *reference = nullptr)
{
    QImage image((QSizeF(timeline.size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    if (reference)
        reference->attach(&timeline);
    timeline.render(&image);
    if (reference)
        reference->detach();
    return image;
}

} // namespace

class TestRendering : public QObject
{
    Q_OBJECT

private slots:
    void matchesReference_data();
    void matchesReference();
};

void TestRendering::matchesReference_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<int>("drag"); // pixels, between the last two paints

    // Zoomed out is the dearest frame of every size: the most cells, most of
    // them narrower than their labels.
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        const QByteArray r = "_ratio" + QByteArray::number(ratio);
        QTest::newRow("757x84_zoomed_out" + r)
                << QSize(757, 84) << 20000000u << ratio << QByteArray("UTC") << 0;
        QTest::newRow("1875x84_at_16477323" + r)
                << QSize(1875, 84) << 16477323u << ratio << QByteArray("UTC") << 37;
        QTest::newRow("757x84_week_preset" + r)
                << QSize(757, 84) << 56000u << ratio << QByteArray("UTC") << -101;
        QTest::newRow("757x84_berlin_spring_hours" + r)
                << QSize(757, 84) << 1340u << ratio << QByteArray("Europe/Berlin") << 250;
    }
    QTest::newRow("3840x2160_zoomed_out")
            << QSize(3840, 2160) << 20000000u << 1.0 << QByteArray("UTC") << 0;
    // Rows less than a pixel high, views one and two pixels wide.
    QTest::newRow("757x4") << QSize(757, 4) << 56000u << 1.0 << QByteArray("UTC") << 0;
    QTest::newRow("1x84") << QSize(1, 84) << 56000u << 1.0 << QByteArray("UTC") << 0;
    QTest::newRow("2x84") << QSize(2, 84) << 56000u << 1.5 << QByteArray("UTC") << 1;
}

void TestRendering::matchesReference()
{
    QFETCH(QSize, size);
    QFETCH(quint32, scale);
    QFETCH(qreal, ratio);
    QFETCH(QByteArray, zone);
    QFETCH(int, drag);

    const ZoneGuard guard(zone);
    Timeline timeline;
    timeline.resize(size);
    timeline.zoomTo(int(scale));
    timeline.setWindowStart(QDateTime(QDate(2026, 3, 29), QTime(0, 30)));

    // The first paint, a repaint of the still view (from what the first
    // kept) and a paint after a drag (which reuses what still shows) all
    // look like the reference's picture of the same window.
    ReferenceRenderer reference;
    render(timeline, ratio, &reference); // the first outlines of large glyphs vary
    QImage expected = render(timeline, ratio, &reference);
    for (const char *paint : {"first paint", "repaint", "after a drag"}) {
        if (qstrcmp(paint, "after a drag") == 0) {
            timeline.canvasDraggedSlot(QPoint(drag, 0), QPoint(0, 0));
            expected = render(timeline, ratio, &reference);
        }
        const QImage product = render(timeline, ratio);
        QCOMPARE(timeline.timeSegment().cellsDrawn(), reference.cellsDrawn());
        const QByteArray where = difference(product, expected);
        QVERIFY2(where.isEmpty(),
                 QByteArray(paint) + ": ink or background differs at device pixel " + where);
        const QString divider = misplacedDivider(timeline, ratio, product, expected);
        QVERIFY2(divider.isEmpty(),
                 qPrintable(QLatin1String(paint) + QStringLiteral(": ") + divider));
        // Labels are antialiased as the desktop asks, the same way in both.
        const qint64 coloured = colouredInk(product), colouredExpected = colouredInk(expected);
        QVERIFY2(coloured >= colouredExpected / 2 && colouredExpected >= coloured / 2,
                 qPrintable(QStringLiteral("%1: %2 coloured ink pixels instead of %3")
                                    .arg(QLatin1String(paint))
                                    .arg(coloured)
                                    .arg(colouredExpected)));
    }
}

QTEST_MAIN(TestRendering)
#include "tst_rendering.moc"
