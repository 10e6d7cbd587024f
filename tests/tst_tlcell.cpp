#include "tlcalendar.h"
#include "tlcell.h"
#include "tlsegment.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <functional>

namespace {

constexpr int ImageWidth = 200, ImageHeight = 40;
constexpr float RowTop = 10.0f, RowHeight = 20.0f;

// Paints a white background, then hands its paint event on, as the canvas
// hands it on to the scale.
class PaintWidget : public QWidget
{
public:
    PaintWidget(QSize size, std::function<void(QWidget *)> paint)
        : paint(std::move(paint))
    {
        resize(size);
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

} // namespace

class TestTLCell : public QObject
{
    Q_OBJECT

private slots:
    void draw_data();
    void draw();
    void fontSize_data();
    void fontSize();
    void minimumRowHeight();
};

void TestTLCell::draw_data()
{
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<float>("clipLeft");
    QTest::addColumn<float>("clipRight");
    QTest::addColumn<QString>("label");
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("right");
    QTest::addColumn<bool>("divider"); // at x = left: inks columns left - 1 and left
    QTest::addColumn<bool>("labelShows"); // within the cell and the clip

    const QString none, wide(20, QLatin1Char('M'));
    QTest::newRow("20 days per 100 px: 10 to 40 days")
            << 864000LL << 3456000LL << 1728000u << 0.0f << 200.0f << none << 50.0f << 200.0f
            << true << false;
    QTest::newRow("begins before the window") << -37800LL << 48600LL << 56000u << 0.0f << 200.0f
                                              << none << -67.5f << 86.785714f << false << false;
    QTest::newRow("offsets beyond 32 bits")
            << 3000000000LL << 6000000000LL << 20000000u << 0.0f << 200.0f << wide << 15000.0f
            << 30000.0f << false << false;
    QTest::newRow("zero-width cell: divider only")
            << 50LL << 50LL << 100u << 0.0f << 200.0f << QStringLiteral("X") << 50.0f << 50.0f
            << true << false;
    QTest::newRow("label cut at the cell's edges")
            << 50LL << 80LL << 100u << 0.0f << 200.0f << wide << 50.0f << 80.0f << true << true;
    QTest::newRow("part of the label before the window")
            << -100LL << 60LL << 100u << 0.0f << 200.0f << wide << -100.0f << 60.0f << false
            << true;
    QTest::newRow("divider left of the clip") << 10LL << 100LL << 100u << 20.0f << 200.0f << none
                                              << 10.0f << 100.0f << false << false;
    QTest::newRow("divider right of the clip") << 190LL << 300LL << 100u << 0.0f << 180.0f << none
                                               << 190.0f << 300.0f << false << false;
}

void TestTLCell::draw()
{
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    QFETCH(quint32, scale);
    QFETCH(float, clipLeft);
    QFETCH(float, clipRight);
    QFETCH(QString, label);
    QFETCH(float, left);
    QFETCH(float, right);
    QFETCH(bool, divider);
    QFETCH(bool, labelShows);

    TLCell cell;
    cell.startSeconds = start;
    cell.endSeconds = end;
    cell.secondsPer100Px = scale;
    cell.top = RowTop;
    cell.height = RowHeight;
    cell.clipLeft = clipLeft;
    cell.clipWidth = clipRight - clipLeft;
    cell.label = label;
    QImage image(ImageWidth, ImageHeight, QImage::Format_RGB32);
    PaintWidget(image.size(), [&](QWidget *target) {
        cell.target = target;
        cell.draw();
    }).render(&image);
    QCOMPARE(cell.left, left);
    QCOMPARE(cell.right, right);

    // The antialiased divider fills both columns it straddles across the whole
    // row; nothing is drawn outside the row.
    QList<int> labelColumns;
    for (int x = 0; x < ImageWidth; ++x) {
        const bool dividerColumn = divider && (x == left - 1 || x == left);
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
        QVERIFY(labelColumns.first() >= qMax(left, clipLeft));
        QVERIFY(labelColumns.last() <= qMin(right, clipRight));
    }
}

void TestTLCell::fontSize_data()
{
    QTest::addColumn<float>("height");
    QTest::addColumn<int>("pointSize"); // 0.6 of the row's height, truncated, never 0
    QTest::newRow("17.5 px") << 17.5f << 10;
    QTest::newRow("2.5 px") << 2.5f << 1;
}

void TestTLCell::fontSize()
{
    QFETCH(float, height);
    QFETCH(int, pointSize);
    TLCell cell;
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
        QImage image(ImageWidth, 208 + extra, QImage::Format_RGB32);
        PaintWidget(image.size(), [&](QWidget *target) { segment.paint(target); }).render(&image);
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
