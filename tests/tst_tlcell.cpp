#include "tlcalendar.h"
#include "tlcell.h"
#include "tlsegment.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

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
    explicit PaintWidget(std::function<void(QWidget *)> paint)
        : paint(std::move(paint))
    {
        resize(ImageWidth, ImageHeight);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), Qt::white);
        paint(this);
    }

private:
    std::function<void(QWidget *)> paint;
};

// A cell in the row at RowTop, clipped to the whole image, at 100 s per 100 px
// unless told otherwise.
void setUpCell(TLCell &cell, qint64 start, qint64 end, quint32 scale = 100)
{
    cell.startSeconds = start;
    cell.endSeconds = end;
    cell.secondsPer100Px = scale;
    cell.top = RowTop;
    cell.height = RowHeight;
    cell.clipLeft = 0;
    cell.clipWidth = ImageWidth;
}

// Draws the cell in the default black from a paint event of a white widget
// onto device.
void drawCell(TLCell &cell, QPaintDevice *device)
{
    PaintWidget widget([&](QWidget *target) {
        cell.target = target;
        cell.draw();
    });
    widget.render(device);
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
    QImage image(ImageWidth, ImageHeight, QImage::Format_RGB32);
    drawCell(cell, &image);
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
    QTest::addColumn<bool>("divider"); // at x = start: inks columns start - 1 and start
    QTest::addColumn<bool>("labelShows"); // within the cell and the clip

    const QString none;
    const QString wide(20, QLatin1Char('M'));
    QTest::newRow("empty label: divider only")
            << 50LL << 150LL << 0.0f << 200.0f << none << true << false;
    QTest::newRow("zero-width cell: divider only")
            << 50LL << 50LL << 0.0f << 200.0f << QStringLiteral("X") << true << false;
    QTest::newRow("label cut at the cell's edges")
            << 50LL << 80LL << 0.0f << 200.0f << wide << true << true;
    QTest::newRow("begins before the window: part of the label shows")
            << -100LL << 60LL << 0.0f << 200.0f << wide << false << true;
    QTest::newRow("begins before the window: no divider")
            << -5LL << 100LL << 0.0f << 200.0f << none << false << false;
    QTest::newRow("divider left of the clip")
            << 10LL << 100LL << 20.0f << 180.0f << none << false << false;
    QTest::newRow("divider right of the clip")
            << 190LL << 300LL << 0.0f << 180.0f << none << false << false;
}

void TestTLCell::ink()
{
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    QFETCH(float, clipLeft);
    QFETCH(float, clipWidth);
    QFETCH(QString, label);
    QFETCH(bool, divider);
    QFETCH(bool, labelShows);

    TLCell cell;
    setUpCell(cell, start, end);
    cell.clipLeft = clipLeft;
    cell.clipWidth = clipWidth;
    cell.label = label;
    QImage image(ImageWidth, ImageHeight, QImage::Format_RGB32);
    drawCell(cell, &image);

    // The antialiased divider fills both columns it straddles across the whole
    // row; nothing is drawn outside the row.
    QList<int> labelColumns;
    for (int x = 0; x < ImageWidth; ++x) {
        const bool dividerColumn = divider && (x == start - 1 || x == start);
        for (int y = 0; y < ImageHeight; ++y) {
            const bool ink = qGray(image.pixel(x, y)) < 200;
            const bool inRow = y >= RowTop && y < RowTop + RowHeight;
            QVERIFY2(ink ? inRow : !(dividerColumn && inRow),
                     qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            if (ink && !dividerColumn && (labelColumns.isEmpty() || labelColumns.last() != x))
                labelColumns << x;
        }
    }
    QCOMPARE(!labelColumns.isEmpty(), labelShows);
    if (labelShows) {
        QVERIFY(labelColumns.first() >= qMax(float(start), clipLeft));
        QVERIFY(labelColumns.last() <= qMin(float(end), clipLeft + clipWidth));
    }
}

void TestTLCell::fontSize_data()
{
    QTest::addColumn<float>("height");
    QTest::addColumn<int>("pointSize");

    // 0.6 of the row's height, truncated.
    QTest::newRow("17.5 px") << 17.5f << 10;
    QTest::newRow("21 px") << 21.0f << 12;
    QTest::newRow("2.5 px") << 2.5f << 1;
}

void TestTLCell::fontSize()
{
    QFETCH(float, height);
    QFETCH(int, pointSize);

    TLCell cell;
    setUpCell(cell, 0, 100);
    cell.height = height;
    QImage image(ImageWidth, ImageHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    cell.painter = &painter;
    cell.beginRow();
    QCOMPARE(painter.font().family(), QStringLiteral("DIN"));
    QCOMPARE(painter.font().pointSize(), pointSize);
    QCOMPARE(painter.font().weight(), QFont::Bold);
}

void TestTLCell::minimumRowHeight()
{
    // At 1,148,556 s per 100 px the day row gets 2/208 of the height (to float
    // precision): exactly 2.0 px in a view 208 px high, too little for cells,
    // and 2.01 px in one 209 px high, enough for them.
    const quint32 scale = 1148556;
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(1205317800000LL); // 12 March 2008
    qint64 drawn[2] = {};
    for (const int extra : {0, 1}) {
        TLSegment segment;
        segment.setWindowStart(start);
        segment.setSecondsPer100Px(scale);
        segment.setViewWidth(ImageWidth);
        segment.setViewHeight(208 + extra);
        PaintWidget widget([&](QWidget *target) { segment.paint(target); });
        widget.resize(ImageWidth, 208 + extra);
        QImage image(widget.size(), QImage::Format_RGB32);
        widget.render(&image);
        const float dayRow = segment.rowHeight(1);
        QVERIFY2(extra ? dayRow > 2.0f && dayRow < 2.02f : dayRow == 2.0f,
                 qPrintable(QStringLiteral("row layout changed (day row %1 px): pick another scale")
                                    .arg(double(dayRow), 0, 'g', 9)));
        drawn[extra] = segment.cellsDrawn();
    }
    // The extra pixel adds the day row's cells and nothing else.
    const QDateTime end = TLSegment::windowEndFor(start, ImageWidth, scale);
    QCOMPARE(drawn[1] - drawn[0],
             TLCalendar::forEachCell(TLCalendar::Unit::Day, start, end,
                                     [](const QDateTime &, const QDateTime &) {}));
}

QTEST_MAIN(TestTLCell)
#include "tst_tlcell.moc"
