#include "referencerenderer.h"
#include "timeline.h"
#include "tlcell.h"
#include "tlsegment.h"

#include <QFontDatabase>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <ctime>
#include <functional>

// The picture the user sees must not change when the drawing gets faster:
// the product's painting is compared with the reference renderer, which draws
// every cell with a painter, font and text layout of its own.

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
        return QStringLiteral("%1 pixels differ, by up to %2 (at %3, %4)")
                .arg(pixels)
                .arg(largest)
                .arg(where.x())
                .arg(where.y())
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
            const int d = qMax(qAbs(qRed(lineA[x]) - qRed(lineB[x])),
                               qMax(qAbs(qGreen(lineA[x]) - qGreen(lineB[x])),
                                    qAbs(qBlue(lineA[x]) - qBlue(lineB[x]))));
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
class ZoneScope
{
public:
    explicit ZoneScope(const QByteArray &zone)
        : saved(qgetenv("TZ")),
          wasSet(qEnvironmentVariableIsSet("TZ"))
    {
        if (zone.isEmpty())
            return;
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneScope()
    {
        if (wasSet)
            qputenv("TZ", saved);
        else
            qunsetenv("TZ");
        tzset();
    }
    Q_DISABLE_COPY(ZoneScope)

private:
    QByteArray saved;
    bool wasSet;
};

// How a picture is taken: at a device pixel ratio, of a part of the widget.
struct Shot
{
    qreal pixelRatio = 1;
    QRegion region;
};

// Renders the timeline as it paints itself, or as the reference paints it.
QImage render(Timeline &timeline, ReferenceRenderer *reference = nullptr, const Shot &shot = {})
{
    QImage image(timeline.size() * shot.pixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(shot.pixelRatio);
    image.fill(Qt::white);
    if (reference)
        reference->attach(&timeline);
    timeline.render(&image, QPoint(), shot.region);
    if (reference)
        reference->detach();
    return image;
}

void show(Timeline &timeline, QSize size, quint32 scale, const QDateTime &start)
{
    timeline.resize(size);
    timeline.zoomTo(int(scale));
    timeline.setWindowStart(start);
}

// Product and reference side by side at the timeline's current window.
void compareWithReference(Timeline &timeline, const QByteArray &step = QByteArray(),
                          const Shot &shot = {})
{
    ReferenceRenderer reference;
    // The first outlines the toolkit makes of a large glyph can differ from
    // all later ones by a few levels of grey; only later ones are compared.
    render(timeline, &reference, shot);
    const QImage expected = render(timeline, &reference, shot);
    // The product three times: what it learns in one paint (it keeps
    // pictures of what it saw twice) must not change the next ones.
    for (const char *paint : {"first paint", "second paint", "third paint"}) {
        const QImage product = render(timeline, nullptr, shot);
        QCOMPARE(timeline.timeSegment().cellsDrawn(), reference.cellsDrawn());
        const Difference difference = compare(product, expected);
        QVERIFY2(difference.largest <= LabelTolerance,
                 step + " (" + paint + "): " + difference.describe());
    }
}

// A widget whose paint event fills it white and then runs paint.
class PaintWidget : public QWidget
{
public:
    std::function<void(QWidget *)> paint;

protected:
    void paintEvent(QPaintEvent *) override
    {
        {
            QPainter background(this);
            background.fillRect(rect(), Qt::white);
        }
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
    void matchesReferenceInOtherShots_data();
    void matchesReferenceInOtherShots();
    void dividersIdentical_data();
    void dividersIdentical();
    void followsDragsAndZooms_data();
    void followsDragsAndZooms();
    void followsLocaleAndZone();
    void labelCacheBoundedAndRenewed();
};

void TestRendering::matchesReference_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("start");

    const QDateTime start(QDate(2026, 3, 25), QTime(10, 30));
    const QSize opening(757, 84);
    const QSize wide(3750, 84);
    const QSize widest(12000, 84);
    const QSize screen(3840, 2160);

    // Zoomed fully out is the dearest frame of every size: the most cells,
    // most of them narrower than their labels.
    QTest::newRow("757x84 zoomed out") << opening << 20000000u << QByteArray() << start;
    QTest::newRow("757x84 finest") << opening << 100u << QByteArray() << start;
    QTest::newRow("757x84 hour") << opening << 1340u << QByteArray() << start;
    QTest::newRow("757x84 day") << opening << 4100u << QByteArray() << start;
    QTest::newRow("757x84 week") << opening << 56000u << QByteArray() << start;
    QTest::newRow("757x84 month") << opening << 840000u << QByteArray() << start;
    QTest::newRow("757x84 start") << opening << 1728000u << QByteArray() << start;
    QTest::newRow("757x84 year") << opening << 3700000u << QByteArray() << start;
    QTest::newRow("3750x84 zoomed out") << wide << 20000000u << QByteArray() << start;
    QTest::newRow("3750x84 week") << wide << 56000u << QByteArray() << start;
    QTest::newRow("12000x84 zoomed out") << widest << 20000000u << QByteArray() << start;
    QTest::newRow("12000x84 hour") << widest << 1340u << QByteArray() << start;
    // Row heights of hundreds of pixels: the labels are drawn as outlines.
    QTest::newRow("3840x2160 zoomed out") << screen << 20000000u << QByteArray() << start;
    QTest::newRow("3840x2160 start") << screen << 1728000u << QByteArray() << start;
    QTest::newRow("3840x2160 day") << screen << 4100u << QByteArray() << start;
    QTest::newRow("1920x600 week") << QSize(1920, 600) << 56000u << QByteArray() << start;

    // A week exactly: the window ends on a boundary of every row but the
    // month and year rows, so no cell may start there.
    QTest::newRow("ends on a boundary") << QSize(700, 84) << 86400u << QByteArray("UTC")
                                        << QDateTime(QDate(2026, 3, 23), QTime(0, 0));

    // Local time with daylight saving: an hour missing, an hour twice, a
    // half-hour shift and a date the zone skipped.
    const QByteArray berlin("Europe/Berlin");
    QTest::newRow("Berlin spring, hours")
            << opening << 1340u << berlin << QDateTime(QDate(2026, 3, 29), QTime(0, 30));
    QTest::newRow("Berlin autumn, hours")
            << opening << 1340u << berlin << QDateTime(QDate(2026, 10, 25), QTime(1, 30));
    QTest::newRow("Berlin autumn, days")
            << wide << 56000u << berlin << QDateTime(QDate(2026, 10, 20), QTime(1, 30));
    QTest::newRow("Lord Howe, hours") << opening << 1340u << QByteArray("Australia/Lord_Howe")
                                      << QDateTime(QDate(2026, 4, 5), QTime(0, 45));
    QTest::newRow("Apia, skipped day") << opening << 56000u << QByteArray("Pacific/Apia")
                                       << QDateTime(QDate(2011, 12, 28), QTime(12, 0));
}

void TestRendering::matchesReference()
{
    QFETCH(QSize, size);
    QFETCH(quint32, scale);
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, start);

    const ZoneScope zoneScope(zone);
    // The start was made in the test's own zone; the same wall-clock time in
    // the zone under test.
    const QDateTime localStart(start.date(), start.time());
    Timeline timeline;
    show(timeline, size, scale, localStart);
    compareWithReference(timeline);
}

void TestRendering::matchesReferenceInOtherShots_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<qreal>("pixelRatio");
    QTest::addColumn<QRegion>("region");

    // At twice the resolution clips no longer fall on whole logical pixels;
    // a repaint of parts of the view clips everything to those parts.
    const QRegion parts = QRegion(10, 0, 200, 84) + QRegion(300, 20, 17, 40);
    QTest::newRow("757x84 zoomed out, twice the resolution")
            << QSize(757, 84) << 20000000u << qreal(2) << QRegion();
    QTest::newRow("1920x600 week, twice the resolution")
            << QSize(1920, 600) << 56000u << qreal(2) << QRegion();
    QTest::newRow("757x84 zoomed out, two parts")
            << QSize(757, 84) << 20000000u << qreal(1) << parts;
    QTest::newRow("1920x600 day, two parts")
            << QSize(1920, 600) << 4100u << qreal(1) << QRegion(500, 100, 333, 400) + parts;
}

void TestRendering::matchesReferenceInOtherShots()
{
    QFETCH(QSize, size);
    QFETCH(quint32, scale);
    QFETCH(qreal, pixelRatio);
    QFETCH(QRegion, region);

    Timeline timeline;
    show(timeline, size, scale, QDateTime(QDate(2026, 3, 25), QTime(10, 30)));
    compareWithReference(timeline, QByteArray(), Shot{pixelRatio, region});
}

void TestRendering::dividersIdentical_data()
{
    QTest::addColumn<qint64>("startSeconds");
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("height");

    // Positions at and between pixel centres and edges, rows of fractional
    // height and top, a divider left of the clip rectangle.
    QTest::newRow("on a pixel edge") << qint64(1000) << 0.0f << 20.0f;
    QTest::newRow("on a pixel centre") << qint64(1050) << 3.5f << 17.25f;
    QTest::newRow("a third in") << qint64(1033) << 10.3f << 40.7f;
    QTest::newRow("left of the view") << qint64(-20) << 1.9f << 2.1f;
    QTest::newRow("tall row") << qint64(7777) << 0.08f << 99.9f;
}

void TestRendering::dividersIdentical()
{
    QFETCH(qint64, startSeconds);
    QFETCH(float, top);
    QFETCH(float, height);

    // Without labels nothing but dividers is drawn; they must come out the
    // same pixel for pixel, one painter for all cells or not.
    constexpr quint32 Scale = 100;
    constexpr float ClipLeft = 0;
    constexpr float ClipWidth = 180;
    const qint64 steps[] = {0, 333, 1000, 1999, 5050};
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
        for (qint64 step : steps) {
            cell.startSeconds = startSeconds + step;
            cell.endSeconds = cell.startSeconds + 700;
            cell.label.clear();
            cell.draw();
        }
        cell.endRow();
        cell.painter = nullptr;
    };
    QImage product(widget.size(), QImage::Format_RGB32);
    widget.render(&product);

    widget.paint = [&](QWidget *target) {
        for (qint64 step : steps) {
            ReferenceRenderer::drawCell(target, startSeconds + step, startSeconds + step + 700,
                                        Scale, top, height, ClipLeft, ClipWidth, QString());
        }
    };
    QImage expected(widget.size(), QImage::Format_RGB32);
    widget.render(&expected);

    QVERIFY2(product == expected, compare(product, expected).describe());
}

void TestRendering::followsDragsAndZooms_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<QDateTime>("start");

    QTest::newRow("UTC, days and weeks")
            << QByteArray("UTC") << 56000u << QDateTime(QDate(2026, 3, 25), QTime(10, 30));
    QTest::newRow("Berlin, hours over the spring change")
            << QByteArray("Europe/Berlin") << 1340u << QDateTime(QDate(2026, 3, 29), QTime(0, 0));
    QTest::newRow("Lord Howe, hours over the half-hour change")
            << QByteArray("Australia/Lord_Howe") << 2000u
            << QDateTime(QDate(2026, 4, 4), QTime(23, 0));
    QTest::newRow("New York, zoomed out") << QByteArray("America/New_York") << 20000000u
                                          << QDateTime(QDate(2026, 3, 25), QTime(10, 30));
}

void TestRendering::followsDragsAndZooms()
{
    QFETCH(QByteArray, zone);
    QFETCH(quint32, scale);
    QFETCH(QDateTime, start);

    // The segment remembers cells between paints; whatever the order of the
    // windows, each paint must still show exactly its own cells.
    const ZoneScope zoneScope(zone);
    Timeline timeline;
    show(timeline, QSize(757, 84), scale, QDateTime(start.date(), start.time()));
    compareWithReference(timeline, "first paint");

    struct Step
    {
        const char *name;
        int dragPixels; // the pointer's movement; 0 for a zoom
        double zoom; // factor on the scale; 1 for a drag
    };
    const Step steps[] = {
            {"drag left a little", -7, 1},  {"drag left far", -900, 1},
            {"drag right a little", 13, 1}, {"drag right far", 2500, 1},
            {"zoom out", 0, 1.15},          {"zoom out more", 0, 1.7},
            {"drag right", 40, 1},          {"zoom in", 0, 0.8},
            {"zoom in a lot", 0, 0.2},      {"drag left", -333, 1},
            {"jump far back", -200000, 1},  {"jump forward", 150000, 1},
    };
    for (const Step &step : steps) {
        if (step.dragPixels != 0) {
            timeline.canvasDraggedSlot(QPoint(0, 0), QPoint(step.dragPixels, 0));
        } else {
            const double next = timeline.currentSecondsPer100Px() * step.zoom;
            timeline.zoomTo(
                    int(qBound(double(Timeline::MinScale), next, double(Timeline::MaxScale))));
        }
        compareWithReference(timeline, step.name);
    }
}

void TestRendering::followsLocaleAndZone()
{
    // Labels depend on the locale and boundaries on the time zone; a change
    // of either between two paints must show at once.
    const QLocale saved;
    const ZoneScope zoneScope("UTC");
    Timeline timeline;
    show(timeline, QSize(1200, 84), 56000, QDateTime(QDate(2026, 3, 25), QTime(10, 30)));
    compareWithReference(timeline, "English");

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    compareWithReference(timeline, "German");
    QLocale::setDefault(saved);

    qputenv("TZ", "Asia/Kolkata");
    tzset();
    compareWithReference(timeline, "Kolkata");
}

void TestRendering::labelCacheBoundedAndRenewed()
{
    // Zoomed fully out, a wide view shows about eighty years; dragging it
    // through a thousand years brings far more labels than the cache holds.
    Timeline timeline;
    show(timeline, QSize(12000, 40), 20000000, QDateTime(QDate(1500, 1, 1), QTime(0, 0)));
    QImage image(timeline.size(), QImage::Format_RGB32);
    for (int step = 0; step < 12; ++step) {
        timeline.canvasDraggedSlot(QPoint(0, 0), QPoint(-12000, 0));
        // Pictures are kept from the second paint of the same view on.
        for (int paint = 0; paint < 3; ++paint)
            timeline.render(&image);
        QVERIFY(TLCell::labelCacheSize() > 0);
        QVERIFY(TLCell::labelCacheSize() <= TLCell::LabelCacheCapacity);
        // Pictures of labels take no more than the largest view painted in
        // this process has pixels, and never more than 64 MiB.
        QVERIFY(TLCell::pictureCacheBytes() <= 64 * 1024 * 1024);
    }

    // A font added to the application may stand in for "DIN" from now on:
    // labels laid out before are dropped, and the picture still matches.
    const int id = QFontDatabase::addApplicationFont(
            QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"));
    if (id < 0)
        QSKIP("no font file to add");
    QCOMPARE(TLCell::labelCacheSize(), 0);
    QCOMPARE(TLCell::pictureCacheBytes(), 0);
    compareWithReference(timeline, "font added");
    QFontDatabase::removeApplicationFont(id);
    QCOMPARE(TLCell::labelCacheSize(), 0);
    compareWithReference(timeline, "font removed");
}

QTEST_MAIN(TestRendering)
#include "tst_rendering.moc"
