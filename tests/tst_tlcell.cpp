#include "testsupport.h"
#include "tlcell.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

constexpr int ImageWidth = 200, ImageHeight = 40;
constexpr float RowTop = 10.0f, RowHeight = 20.0f;

} // namespace

class TestTLCell : public QObject
{
    Q_OBJECT

private slots:
    void draw_data();
    void draw();
    void fontSize_data();
    void fontSize();
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
    QTest::addColumn<bool>("hasDivider"); // false where time itself begins

    const QString none, wide(20, QLatin1Char('M'));
    QTest::newRow("20 days per 100 px: 10 to 40 days")
            << 864000LL << 3456000LL << 1728000u << 0.0f << 200.0f << none << 50.0f << 200.0f
            << true << false << true;
    QTest::newRow("begins before the window")
            << -37800LL << 48600LL << 56000u << 0.0f << 200.0f << none << -67.5f << 86.785714f
            << false << false << true;
    QTest::newRow("offsets beyond 32 bits")
            << 3000000000LL << 6000000000LL << 20000000u << 0.0f << 200.0f << wide << 15000.0f
            << 30000.0f << false << false << true;
    QTest::newRow("zero-width cell: divider only")
            << 50LL << 50LL << 100u << 0.0f << 200.0f << QStringLiteral("X") << 50.0f << 50.0f
            << true << false << true;
    QTest::newRow("label cut at the cell's edges") << 50LL << 80LL << 100u << 0.0f << 200.0f << wide
                                                   << 50.0f << 80.0f << true << true << true;
    QTest::newRow("part of the label before the window")
            << -100LL << 60LL << 100u << 0.0f << 200.0f << wide << -100.0f << 60.0f << false << true
            << true;
    QTest::newRow("divider left of the clip") << 10LL << 100LL << 100u << 20.0f << 200.0f << none
                                              << 10.0f << 100.0f << false << false << true;
    QTest::newRow("divider right of the clip") << 190LL << 300LL << 100u << 0.0f << 180.0f << none
                                               << 190.0f << 300.0f << false << false << true;
    QTest::newRow("no divider where time begins") << 50LL << 80LL << 100u << 0.0f << 200.0f << none
                                                  << 50.0f << 80.0f << false << false << false;
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
    QFETCH(bool, hasDivider);

    TLCell cell;
    cell.startSeconds = start;
    cell.endSeconds = end;
    cell.secondsPer100Px = scale;
    cell.top = RowTop;
    cell.height = RowHeight;
    cell.clipLeft = clipLeft;
    cell.clipWidth = clipRight - clipLeft;
    cell.label = label;
    cell.divider = hasDivider;
    PaintWidget widget([&](QWidget *target) {
        QPainter painter(target);
        cell.painter = &painter;
        cell.beginRow();
        cell.draw();
    });
    const QImage image = renderAt(widget, QSize(ImageWidth, ImageHeight));
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
    QTest::newRow("17.5px") << 17.5f << 10;
    QTest::newRow("21px") << 21.0f << 12;
    QTest::newRow("2.5px") << 2.5f << 1;
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

QTEST_MAIN(TestTLCell)
#include "tst_tlcell.moc"
