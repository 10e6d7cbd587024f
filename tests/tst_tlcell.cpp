#include "tlcalendar.h"
#include "tlcell.h"
#include "tlsegment.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <functional>

namespace {

constexpr int ImageWidth = 200;
constexpr int ImageHeight = 40;
constexpr float RowTop = 10.0f;
constexpr float RowHeight = 20.0f;

// Paints a white background, then hands its paint event on, as the canvas
// hands it on to the scale.
class PaintWidget : public QWidget
{
public:
    std::function<void(QWidget *)> paint;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), Qt::white);
        paint(this);
    }
};

// Paints nowhere; keeps the fonts that painters on it are given.
class FontRecorder : public QPaintDevice
{
public:
    QList<QFont> fonts;
    QPaintEngine *paintEngine() const override { return &engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
        case PdmHeight:
            return ImageWidth;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    struct Engine : QPaintEngine
    {
        explicit Engine(FontRecorder *owner) : QPaintEngine(AllFeatures), owner(owner) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &state) override
        {
            if (state.state() & DirtyFont)
                owner->fonts << state.font();
        }
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawPath(const QPainterPath &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF &, const QTextItem &) override {}
        Type type() const override { return User; }
        FontRecorder *owner;
    };
    mutable Engine engine{this};
};

// Draws cell from a paint event of a white widget and returns the image.
QImage drawCell(TLCell &cell)
{
    PaintWidget widget;
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    widget.setPalette(palette);
    widget.resize(ImageWidth, ImageHeight);
    widget.paint = [&](QWidget *target) {
        cell.target = target;
        cell.draw();
    };
    QImage image(ImageWidth, ImageHeight, QImage::Format_RGB32);
    widget.render(&image);
    return image;
}

void setUpCell(TLCell &cell, qint64 start, qint64 end, quint32 scale)
{
    cell.startSeconds = start;
    cell.endSeconds = end;
    cell.secondsPer100Px = scale;
    cell.top = RowTop;
    cell.height = RowHeight;
    cell.clipLeft = 0;
    cell.clipWidth = ImageWidth;
}

bool isInk(QRgb pixel)
{
    return qGray(pixel) < 200;
}

// The number of cells a row gets, or -1 for a row that runs on and on.
qint64 boundedCellCount(TLCalendar::Unit unit, const QDateTime &start, const QDateTime &end)
{
    struct Runaway
    {
    };
    qint64 seen = 0;
    const auto count = [&](const QDateTime &, const QDateTime &) {
        if (++seen > 10000)
            throw Runaway();
    };
    try {
        return TLCalendar::forEachCell(unit, start, end, count);
    } catch (const Runaway &) {
        return -1;
    }
}

} // namespace

class TestTLCell : public QObject
{
    Q_OBJECT

private slots:
    void extent_data();
    void extent();
    void ink_data();
    void ink();
    void fontSize_data();
    void fontSize();
    void minimumRowHeight_data();
    void minimumRowHeight();
};

void TestTLCell::extent_data()
{
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("right");

    QTest::newRow("20 days per 100 px: 10 to 40 days")
            << 864000LL << 3456000LL << 1728000u << 50.0f << 200.0f;
    QTest::newRow("begins before the window")
            << -37800LL << 48600LL << 56000u << -67.5f << 86.785714f;
    QTest::newRow("offsets beyond 32 bits")
            << 3000000000LL << 6000000000LL << 20000000u << 15000.0f << 30000.0f;
}

void TestTLCell::extent()
{
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    QFETCH(quint32, scale);
    QFETCH(float, left);
    QFETCH(float, right);

    TLCell cell;
    setUpCell(cell, start, end, scale);
    drawCell(cell);
    QCOMPARE(cell.left, left);
    QCOMPARE(cell.right, right);
}

void TestTLCell::ink_data()
{
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<float>("clipLeft");
    QTest::addColumn<float>("clipWidth");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("inkFrom"); // first and last column with ink; -1: none
    QTest::addColumn<int>("inkTo");
    QTest::addColumn<bool>("text"); // ink other than the divider

    // At 100 s per 100 px a cell from 50 s to 150 s spans x = 50 to 150, and
    // the antialiased divider at x = 50.0 inks columns 49 and 50.
    const QString wide(20, QLatin1Char('M'));
    QTest::newRow("empty label: divider only")
            << 50LL << 150LL << 0.0f << 200.0f << QString() << 49 << 50 << false;
    QTest::newRow("zero-width cell: divider only")
            << 50LL << 50LL << 0.0f << 200.0f << QStringLiteral("X") << 49 << 50 << false;
    QTest::newRow("label cut at the cell's edges")
            << 50LL << 80LL << 0.0f << 200.0f << wide << 49 << 80 << true;
    QTest::newRow("begins before the window: part of the label shows")
            << -100LL << 60LL << 0.0f << 200.0f << wide << 0 << 60 << true;
    QTest::newRow("begins before the window: no divider")
            << -5LL << 100LL << 0.0f << 200.0f << QString() << -1 << -1 << false;
    QTest::newRow("divider left of the clip")
            << 10LL << 100LL << 20.0f << 180.0f << QString() << -1 << -1 << false;
    QTest::newRow("divider right of the clip")
            << 190LL << 300LL << 0.0f << 180.0f << QString() << -1 << -1 << false;
}

void TestTLCell::ink()
{
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    QFETCH(float, clipLeft);
    QFETCH(float, clipWidth);
    QFETCH(QString, label);
    QFETCH(int, inkFrom);
    QFETCH(int, inkTo);
    QFETCH(bool, text);

    TLCell cell;
    setUpCell(cell, start, end, 100);
    cell.clipLeft = clipLeft;
    cell.clipWidth = clipWidth;
    cell.label = label;
    const QImage image = drawCell(cell);

    QList<int> columns;
    bool beyondDivider = false;
    for (int x = 0; x < ImageWidth; ++x) {
        for (int y = 0; y < ImageHeight; ++y) {
            if (!isInk(image.pixel(x, y)))
                continue;
            QVERIFY2(y >= RowTop && y < RowTop + RowHeight, "ink outside the row");
            if (columns.isEmpty() || columns.last() != x)
                columns << x;
            beyondDivider = beyondDivider || x < start - 1 || x > start;
        }
    }
    if (inkFrom < 0) {
        QCOMPARE(columns, QList<int>());
        return;
    }
    if (!text) {
        // The antialiased divider alone: the two columns it straddles, across
        // the whole row.
        QCOMPARE(columns, (QList<int>{inkFrom, inkTo}));
        for (int y = int(RowTop); y < int(RowTop + RowHeight); ++y)
            QVERIFY(isInk(image.pixel(inkFrom, y)) && isInk(image.pixel(inkTo, y)));
        return;
    }
    QVERIFY(!columns.isEmpty());
    QCOMPARE(qMin(columns.first(), inkFrom), inkFrom);
    QCOMPARE(qMax(columns.last(), inkTo), inkTo);
    QVERIFY(beyondDivider);
}

void TestTLCell::fontSize_data()
{
    QTest::addColumn<float>("height");
    QTest::addColumn<int>("pointSize");

    QTest::newRow("17.5 px") << 17.5f << 10;
    QTest::newRow("21 px") << 21.0f << 12;
    QTest::newRow("2.5 px") << 2.5f << 1;
}

void TestTLCell::fontSize()
{
    QFETCH(float, height);
    QFETCH(int, pointSize);

    TLCell cell;
    setUpCell(cell, 0, 100, 100);
    cell.height = height;
    cell.label = QStringLiteral("Mon, 1");
    PaintWidget widget;
    widget.resize(ImageWidth, ImageHeight);
    widget.paint = [&](QWidget *target) {
        cell.target = target;
        cell.draw();
    };
    FontRecorder recorder;
    widget.render(&recorder);
    // The painter starts with the widget's font; the label's is the one asked
    // for by family.
    const auto label = std::find_if(recorder.fonts.cbegin(), recorder.fonts.cend(),
                                    [](const QFont &f) { return f.family() == "DIN"; });
    QVERIFY(label != recorder.fonts.cend());
    QCOMPARE(label->pointSize(), pointSize);
    QCOMPARE(label->weight(), QFont::Bold);
}

void TestTLCell::minimumRowHeight_data()
{
    QTest::addColumn<quint32>("viewHeight");
    QTest::addColumn<bool>("dayCells");

    // At 1,148,556 s per 100 px the day row's share is 2/208 (to float
    // precision).
    QTest::newRow("exactly 2.0 px") << 208u << false;
    QTest::newRow("2.01 px") << 209u << true;
}

void TestTLCell::minimumRowHeight()
{
    QFETCH(quint32, viewHeight);
    QFETCH(bool, dayCells);

    const quint32 scale = 1148556;
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(1205317800000LL); // 12 March 2008
    TLSegment segment;
    segment.setWindowStart(start);
    segment.setSecondsPer100Px(scale);
    segment.setViewWidth(ImageWidth);
    segment.setViewHeight(viewHeight);
    segment.updateRowShares();
    const float dayRow = segment.rowHeight(1);
    QVERIFY2(dayCells ? dayRow > 2.0f && dayRow < 2.02f : dayRow == 2.0f,
             qPrintable(QStringLiteral("row layout changed (day row %1 px): pick another scale")
                                .arg(double(dayRow), 0, 'g', 9)));

    // The cells the other rows get, and the day row's own.
    const QDateTime end = TLSegment::windowEndFor(start, ImageWidth, scale);
    const TLCalendar::Unit units[] = {TLCalendar::Unit::Hour, TLCalendar::Unit::Day,
                                      TLCalendar::Unit::Week, TLCalendar::Unit::Month,
                                      TLCalendar::Unit::Year};
    qint64 expected = 0;
    for (int row = 0; row < TLSegment::RowCount; ++row) {
        const qint64 n = boundedCellCount(units[row], start, end);
        // Also keeps a row that never ends from reaching paint() below.
        QVERIFY(n > 0);
        if (row == 1 ? dayCells : segment.rowHeight(row) > 2.0f)
            expected += n;
    }

    PaintWidget widget;
    widget.paint = [&](QWidget *target) { segment.paint(target); };
    widget.resize(ImageWidth, int(viewHeight));
    QImage image(ImageWidth, int(viewHeight), QImage::Format_RGB32);
    widget.render(&image);
    QCOMPARE(segment.cellsDrawn(), expected);
}

QTEST_MAIN(TestTLCell)
#include "tst_tlcell.moc"
