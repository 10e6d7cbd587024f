#include "referencerenderer.h"
#include "testsupport.h"
#include "timeline.h"
#include "tlsegment.h"
#include "tltiles.h"

#include <QImage>
#include <QTest>

#include <algorithm>

// The product paints the scale from pictures it keeps; the reference draws
// every cell with a painter, font and text layout of its own. They must look
// the same: the same backgrounds, dividers within half a device pixel, label
// ink within one device pixel, at every device pixel ratio and with whatever
// font rendering fontconfig asks for (the test runs once per setting).

namespace {

// Anything but a row's background is ink: outlines, dividers, labels and
// their antialiasing.
bool isInk(const QImage &image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y) & 0xFFFFFF;
    return std::find(std::begin(RowColors), std::end(RowColors), pixel) == std::end(RowColors);
}

bool inkNear(const QImage &image, int x, int y)
{
    for (int ny = qMax(y - 1, 0); ny <= qMin(y + 1, image.height() - 1); ++ny) {
        for (int nx = qMax(x - 1, 0); nx <= qMin(x + 1, image.width() - 1); ++nx) {
            if (isInk(image, nx, ny))
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
            if ((inkA || inkB) && (inkA || inkNear(a, x, y)) && (inkB || inkNear(b, x, y)))
                continue;
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

// The centre of the ink from x to last on device row y.
double inkCentre(const QImage &image, int x, int last, int y)
{
    double sum = 0, weighted = 0;
    for (; x <= last; ++x) {
        const int ink = 255 - qGray(image.pixel(x, y));
        sum += ink;
        weighted += ink * (x + 0.5);
    }
    return sum > 0 ? weighted / sum : -1;
}

// Where a divider lies more than half a device pixel from the reference's,
// seen two pixels below its row's top, where labels do not reach; or an
// empty string.
QByteArray misplacedDivider(const TLSegment &segment, qreal ratio, const QImage &product,
                            const QImage &expected)
{
    for (int row = 0; row < TLSegment::RowCount; ++row) {
        if (segment.rowHeight(row) <= 6)
            continue;
        const int y = int((segment.rowTop(row) + 2) * ratio);
        // Each run of ink in the reference, widened by a pixel either side.
        for (int x = 4; x < expected.width() - 5; ++x) {
            if (!isInk(expected, x, y))
                continue;
            int last = x;
            while (last + 1 < expected.width() - 5 && isInk(expected, last + 1, y))
                ++last;
            const double got = inkCentre(product, x - 1, last + 1, y);
            const double want = inkCentre(expected, x - 1, last + 1, y);
            if (std::abs(got - want) > 0.5)
                return "row " + QByteArray::number(row) + ": divider at " + QByteArray::number(got)
                       + " instead of " + QByteArray::number(want);
            x = last;
        }
    }
    return QByteArray();
}

QImage render(Timeline &timeline, qreal ratio, ReferenceRenderer *reference = nullptr)
{
    if (reference)
        reference->attach(&timeline);
    const QImage image = renderAt(timeline, timeline.size(), ratio);
    if (reference)
        reference->detach();
    return image;
}

struct Row
{
    QSize size;
    quint32 scale;
    qreal ratio;
    QByteArray zone;
    int drag; // pixels, between the last two paints
};

// A new timeline showing the row's window.
void show(Timeline &timeline, const Row &row,
          const QDateTime &start = QDateTime(QDate(2026, 3, 29), QTime(0, 30)))
{
    timeline.resize(row.size);
    timeline.zoomTo(int(row.scale));
    timeline.setWindowStart(start);
}

} // namespace
Q_DECLARE_METATYPE(Row)

class TestRendering : public QObject
{
    Q_OBJECT

private slots:
    void matchesReference_data()
    {
        QTest::addColumn<Row>("row");
        // Zoomed out is the dearest frame of every size: the most cells, most of
        // them narrower than their labels.
        for (const qreal ratio : {1.0, 1.5, 2.0}) {
            const QByteArray r = "_ratio" + QByteArray::number(ratio);
            QTest::newRow("757x84_zoomed_out" + r) << Row{{757, 84}, 20000000, ratio, "UTC", 0};
            QTest::newRow("1875x84_at_16477323" + r) << Row{{1875, 84}, 16477323, ratio, "UTC", 37};
            QTest::newRow("757x84_week_preset" + r) << Row{{757, 84}, 56000, ratio, "UTC", -101};
            QTest::newRow("757x84_berlin_spring_hours" + r)
                    << Row{{757, 84}, 1340, ratio, "Europe/Berlin", 250};
            // Wide views at the presets: many cells and labels across tile
            // edges (at ratio 2, an hour's divider half a pixel right of one
            // at the week preset, and the hook of the J of Jun at the month's).
            for (const quint32 scale : {1340u, 4100u, 56000u, 840000u, 3700000u})
                QTest::newRow("1720x150_at_" + QByteArray::number(scale) + r)
                        << Row{{1720, 150}, scale, ratio, "UTC", 0};
        }
        QTest::newRow("3840x2160_zoomed_out") << Row{{3840, 2160}, 20000000, 1, "UTC", 0};
        // Rows less than a pixel high, views one and two pixels wide.
        QTest::newRow("757x4") << Row{{757, 4}, 56000, 1, "UTC", 0};
        QTest::newRow("1x84") << Row{{1, 84}, 56000, 1, "UTC", 0};
        QTest::newRow("2x84") << Row{{2, 84}, 56000, 1.5, "UTC", 1};
    }

    void matchesReference()
    {
        QFETCH(Row, row);
        const ZoneGuard guard(row.zone);
        Timeline timeline;
        show(timeline, row);

        // The first paint, a repaint of the still view (from what the first
        // kept) and a paint after a drag (which reuses what still shows) all
        // look like the reference's picture of the same window.
        ReferenceRenderer reference;
        render(timeline, row.ratio, &reference); // the first outlines of large glyphs vary
        QImage expected = render(timeline, row.ratio, &reference);
        for (const QByteArray paint : {"first paint", "repaint", "after a drag"}) {
            if (paint == "after a drag") {
                timeline.canvasDraggedSlot(QPoint(row.drag, 0), QPoint(0, 0));
                expected = render(timeline, row.ratio, &reference);
            }
            const QImage product = render(timeline, row.ratio);
            QCOMPARE(timeline.timeSegment().cellsDrawn(), reference.cellsDrawn());
            const QByteArray where = difference(product, expected);
            QVERIFY2(where.isEmpty(),
                     paint + ": ink or background differs at device pixel " + where);
            const QByteArray divider =
                    misplacedDivider(timeline.timeSegment(), row.ratio, product, expected);
            QVERIFY2(divider.isEmpty(), paint + ": " + divider);
            // Labels are antialiased as the desktop asks, the same way in both.
            const qint64 coloured = colouredInk(product), colouredExpected = colouredInk(expected);
            QVERIFY2(coloured >= colouredExpected / 2 && colouredExpected >= coloured / 2,
                     paint + ": " + QByteArray::number(coloured)
                             + " coloured ink pixels instead of "
                             + QByteArray::number(colouredExpected));
        }
        // A device that does not suit tiles, here a picture that is replayed,
        // gets the same ink (as the desktop antialiases it or not).
        QCOMPARE(difference(renderAt(timeline, row.size, row.ratio, true), expected), QByteArray());

        // Moved to a screen of another ratio, a timeline paints as a new one
        // there. Back, it paints straight, with its labels laid out as its
        // tiles had them: the tiles show the same just left of each edge,
        // where ink that reaches across an edge lies. (Right of an edge, a
        // label that begins in the tile before is drawn from a negative
        // origin, where the raster engine may place a glyph a fraction of a
        // pixel apart; so may tiles that begin between logical pixels, at
        // ratio 1.5.)
        const qreal other = row.ratio == 1 ? 2 : 1;
        Timeline moved, fresh;
        show(moved, row);
        show(fresh, row);
        render(moved, row.ratio);
        const QImage tiles = render(moved, row.ratio);
        render(fresh, other, &reference); // the first outlines of large glyphs vary
        QCOMPARE(render(moved, other), render(fresh, other));
        const QImage straight = render(moved, row.ratio);
        for (QRect zone(TLTiles::TileWidth - 8, 0, 8, tiles.height());
             zone.right() + 1 < tiles.width() && row.ratio != 1.5;
             zone.translate(TLTiles::TileWidth, 0))
            QCOMPARE(tiles.copy(zone), straight.copy(zone));
    }

    void endOfTime()
    {
        // Zoomed out at the end of time, the view reaches past the last
        // instant (64 bits of milliseconds less 25 hours), here 400 px from
        // its left: beyond it the rows are bare, painted straight or from tiles.
        Timeline timeline;
        show(timeline, Row{{757, 84}, 1340, 1, "", 0},
             QDateTime::fromMSecsSinceEpoch(Q_INT64_C(9223372036764775807) - 5360000));
        ReferenceRenderer bare(ReferenceRenderer::Mode::BackgroundsOnly);
        const QRect beyond(400, 0, 354, 84);
        const QImage expected = render(timeline, 1, &bare).copy(beyond);
        QCOMPARE(render(timeline, 1).copy(beyond), expected);
        QCOMPARE(render(timeline, 1).copy(beyond), expected);
    }
};

QTEST_MAIN(TestRendering)
#include "tst_rendering.moc"
