#include "referencerenderer.h"
#include "timeline.h"
#include "tlcell.h"
#include "tlsegment.h"

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <vector>

// The product's painting must match the reference renderer, which draws every
// cell with a painter, font and text layout of its own.

namespace {

// Labels may move by about an eighth of a pixel at most, which changes no
// channel of a pixel by more than this.
constexpr int LabelTolerance = 32;

struct Difference
{
    int largest = 0;
    qint64 pixels = 0;
    QPoint where;

    QByteArray describe() const
    {
        return QString::asprintf("%lld pixels differ, by up to %d at %d,%d", pixels, largest,
                                 where.x(), where.y())
                .toLatin1();
    }
};

Difference compare(const QImage &a, const QImage &b)
{
    Difference difference;
    for (int y = 0; y < a.height(); ++y) {
        const auto *lineA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *lineB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (lineA[x] == lineB[x])
                continue;
            const int d = std::max({qAbs(qRed(lineA[x]) - qRed(lineB[x])),
                                    qAbs(qGreen(lineA[x]) - qGreen(lineB[x])),
                                    qAbs(qBlue(lineA[x]) - qBlue(lineB[x]))});
            ++difference.pixels;
            if (d > difference.largest) {
                difference.largest = d;
                difference.where = QPoint(x, y);
            }
        }
    }
    return difference;
}

// Puts the process into another time zone until it goes out of scope.
struct ZoneScope
{
    const QByteArray saved = qgetenv("TZ");
    const bool wasSet = qEnvironmentVariableIsSet("TZ");
    explicit ZoneScope(const QByteArray &zone)
    {
        if (!zone.isEmpty() && qputenv("TZ", zone))
            tzset();
    }
    ~ZoneScope()
    {
        wasSet ? qputenv("TZ", saved) : qunsetenv("TZ");
        tzset();
    }
};

// Renders the timeline as it paints itself, or as the reference paints it.
QImage render(Timeline &timeline, ReferenceRenderer *reference = nullptr,
              const QPoint &offset = QPoint())
{
    QImage image(timeline.size() + QSize(offset.x(), offset.y()), QImage::Format_RGB32);
    image.fill(Qt::white);
    if (reference)
        reference->attach(&timeline);
    timeline.render(&image, offset);
    if (reference)
        reference->detach();
    return image;
}

// A widget whose paint event fills it white and then runs paint.
struct PaintWidget : QWidget
{
    std::function<void(QWidget *)> paint;
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), Qt::white);
        paint(this);
    }
};

} // namespace

class TestRendering : public QObject
{
    Q_OBJECT

private slots:
    void matchesReference_data();
    void matchesReference();
    void dividersIdentical_data();
    void dividersIdentical();
};

void TestRendering::matchesReference_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QPoint>("offset");

    const QDateTime start(QDate(2026, 3, 25), QTime(10, 30));
    const QPoint none;

    // Zoomed fully out is the dearest frame of every size: the most cells, most
    // narrower than their labels; 2160 pixels high draws labels as outlines.
    QTest::newRow("757x84 zoomed out")
            << QSize(757, 84) << 20000000u << QByteArray() << start << none;
    QTest::newRow("3750x84 zoomed out")
            << QSize(3750, 84) << 20000000u << QByteArray() << start << none;
    QTest::newRow("12000x84 zoomed out")
            << QSize(12000, 84) << 20000000u << QByteArray() << start << none;
    QTest::newRow("3840x2160 zoomed out")
            << QSize(3840, 2160) << 20000000u << QByteArray() << start << none;
    // Where the frame goes when dragged at the widest strip's dearest scale.
    QTest::newRow("3750x84 at 16477323")
            << QSize(3750, 84) << 16477323u << QByteArray() << start << none;

    // Backgrounds: rows less than a pixel high, views one and two pixels
    // wide, and a view painted at an offset into its device.
    QTest::newRow("757x4 at 56000") << QSize(757, 4) << 56000u << QByteArray() << start << none;
    QTest::newRow("1x84 at 56000") << QSize(1, 84) << 56000u << QByteArray() << start << none;
    QTest::newRow("2x84 at 56000") << QSize(2, 84) << 56000u << QByteArray() << start << none;
    QTest::newRow("757x84 at an offset")
            << QSize(757, 84) << 3700000u << QByteArray() << start << QPoint(13, 7);

    // Local time with daylight saving: an hour missing.
    QTest::newRow("Berlin spring, hours") << QSize(757, 84) << 1340u << QByteArray("Europe/Berlin")
                                          << QDateTime(QDate(2026, 3, 29), QTime(0, 30)) << none;
}

void TestRendering::matchesReference()
{
    QFETCH(QSize, size);
    QFETCH(quint32, scale);
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, start);
    QFETCH(QPoint, offset);

    const ZoneScope zoneScope(zone);
    Timeline timeline;
    timeline.resize(size);
    timeline.zoomTo(int(scale));
    // The same wall-clock time, in the zone under test.
    timeline.setWindowStart(QDateTime(start.date(), start.time()));

    ReferenceRenderer reference;
    // The first outlines the toolkit makes of a large glyph can differ from
    // all later ones by a few levels of grey; only later ones are compared.
    render(timeline, &reference, offset);
    const QImage expected = render(timeline, &reference, offset);
    // The product three times: what it learns in one paint (it keeps
    // pictures of what it saw twice) must not change the next ones.
    for (const char *paint : {"first paint", "second paint", "third paint"}) {
        const QImage product = render(timeline, nullptr, offset);
        QCOMPARE(timeline.timeSegment().cellsDrawn(), reference.cellsDrawn());
        const Difference difference = compare(product, expected);
        QVERIFY2(difference.largest <= LabelTolerance,
                 QByteArray(paint) + ": " + difference.describe());
    }
}

void TestRendering::dividersIdentical_data()
{
    QTest::addColumn<double>("firstX");
    QTest::addColumn<double>("spacing");
    QTest::addColumn<int>("count");
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("height");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QRegion>("region");

    // A few dividers are stroked one by one; many are painted from stamps,
    // unless they come so close that their pixels touch. Positions are in
    // 1/64 pixel, the stroker's unit; the first dividers lie left of the
    // clip rectangle and the last beyond it.
    const QRegion all;
    QTest::newRow("few") << 10.5 << 33.3 << 5 << 3.5f << 17.25f << QPoint() << all;
    QTest::newRow("many") << -3.2 << 3.61 << 60 << 10.3f << 40.7f << QPoint() << all;
    QTest::newRow("many, every phase") << 1.0 << 2.765625 << 64 << 1.9f << 12.1f << QPoint() << all;
    QTest::newRow("many, at an offset")
            << -3.2 << 3.61 << 60 << 10.3f << 40.7f << QPoint(7, 5) << all;
    QTest::newRow("many, touching") << 0.3 << 1.5 << 120 << 0.0f << 30.0f << QPoint() << all;
    // A paint event for part of the widget, cutting through the row.
    QTest::newRow("many, part of the widget")
            << -3.2 << 3.61 << 60 << 10.3f << 40.7f << QPoint()
            << (QRegion(20, 25, 100, 9) + QRegion(60, 45, 90, 30));
}

void TestRendering::dividersIdentical()
{
    QFETCH(double, firstX);
    QFETCH(double, spacing);
    QFETCH(int, count);
    QFETCH(float, top);
    QFETCH(float, height);
    QFETCH(QPoint, offset);
    QFETCH(QRegion, region);

    // Without labels nothing but dividers is drawn; they must come out the
    // same pixel for pixel, one painter for all cells or not. At this scale
    // a second is 1/64 pixel.
    constexpr quint32 Scale = 6400;
    constexpr float ClipLeft = 0;
    constexpr float ClipWidth = 180;
    std::vector<qint64> starts;
    for (int i = 0; i < count; ++i)
        starts.push_back(std::llround((firstX + spacing * i) * 64));
    PaintWidget widget;
    widget.resize(200, 120);

    TLCell cell;
    widget.paint = [&](QWidget *target) {
        QPainter painter(target);
        cell.target = target;
        cell.painter = &painter;
        cell.secondsPer100Px = Scale;
        cell.clipLeft = ClipLeft;
        cell.clipWidth = ClipWidth;
        cell.top = top;
        cell.height = height;
        cell.beginRow();
        for (qint64 start : starts) {
            cell.startSeconds = start;
            cell.endSeconds = start + 64;
            cell.label.clear();
            cell.draw();
        }
        cell.endRow();
        cell.painter = nullptr;
    };
    QImage product(widget.size() + QSize(offset.x(), offset.y()), QImage::Format_RGB32);
    product.fill(Qt::gray);
    widget.render(&product, offset, region);

    widget.paint = [&](QWidget *target) {
        for (qint64 start : starts) {
            ReferenceRenderer::drawCell(target, start, start + 64, Scale, top, height, ClipLeft,
                                        ClipWidth, QString());
        }
    };
    QImage expected(product.size(), QImage::Format_RGB32);
    expected.fill(Qt::gray);
    widget.render(&expected, offset, region);

    QVERIFY2(product == expected, compare(product, expected).describe());
    // Dividers were drawn at all.
    QImage blank(product.size(), QImage::Format_RGB32);
    blank.fill(Qt::gray);
    const QRegion painted = region.isNull() ? QRegion(widget.rect()) : region;
    for (const QRect &rect : painted)
        QPainter(&blank).fillRect(rect.translated(offset), Qt::white);
    QVERIFY(compare(product, blank).pixels > 0);
}

QTEST_MAIN(TestRendering)
#include "tst_rendering.moc"
