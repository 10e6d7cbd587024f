#include "thumbwheel.h"

#include <QImage>
#include <QLine>
#include <QSignalSpy>
#include <QTest>

class TestThumbwheel : public QObject
{
    Q_OBJECT

private slots:
    void roundness_data();
    void roundness();
    void outlineFollowsWidthOnly();
    void dragIsHandedOn();
};

void TestThumbwheel::roundness_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("percent");
    QTest::newRow("start width 200") << 200 << 5;
    QTest::newRow("stored height 25") << 25 << 40;
    QTest::newRow("just above 1000 raised from 0") << 1001 << 1;
    QTest::newRow("zero width") << 0 << 1;
    QTest::newRow("negative width") << -40 << 1;
    QTest::newRow("corners meet at 10") << 10 << 99;
}

void TestThumbwheel::roundness()
{
    QFETCH(int, side);
    QFETCH(int, percent);
    QCOMPARE(Thumbwheel::roundness(side), percent);
}

void TestThumbwheel::outlineFollowsWidthOnly()
{
    Thumbwheel wheel;
    wheel.resize(300, 40);
    wheel.show();
    QCOMPARE(wheel.sizeHint(), QSize(300, 25));

    // The outline is 300 pixels wide but keeps the stored height of 25.
    const QImage image = wheel.grab().toImage();
    QCOMPARE(image.size(), QSize(300, 40));
    const QRgb background = image.pixel(150, 35);
    QVERIFY2(image.pixel(150, 0) != background, "no top edge");
    QVERIFY2(image.pixel(150, 24) != background || image.pixel(150, 25) != background,
             "no bottom edge at the stored height of 25");
    QVERIFY2(image.pixel(299, 12) != background, "no right edge at the new width");
    QCOMPARE(image.pixel(150, 12), background); // the inside is not filled
    QCOMPARE(image.pixel(0, 0), background); // the corner is rounded off
    QImage empty(300, 13, image.format());
    empty.fill(background);
    QVERIFY2(image.copy(0, 27, 300, 13) == empty, "drawn below the outline");
}

void TestThumbwheel::dragIsHandedOn()
{
    // The threshold itself (DragTracker) is tested with the canvas, which
    // shares it; here only that the strip hands its gestures on and that a
    // release ends the drag.
    Thumbwheel wheel;
    wheel.resize(200, 25);
    wheel.show();
    QSignalSpy spy(&wheel, &Thumbwheel::thumbwheelMouseDragSignal);
    for (const QPoint press : {QPoint(20, 10), QPoint(100, 10)}) {
        QTest::mousePress(&wheel, Qt::LeftButton, {}, press);
        QTest::mouseMove(&wheel, press + QPoint(2, 0));
        if (press.x() == 20) {
            QTest::mouseMove(&wheel, QPoint(26, 10));
            QTest::mouseMove(&wheel, QPoint(27, 12));
        }
        QTest::mouseRelease(&wheel, Qt::LeftButton, {}, press + QPoint(2, 0));
    }
    QList<QLine> recorded;
    for (const QList<QVariant> &arguments : spy)
        recorded.append(QLine(arguments.at(0).toPoint(), arguments.at(1).toPoint()));
    QCOMPARE(recorded, (QList<QLine>{{20, 10, 26, 10}, {26, 10, 27, 12}}));
}

QTEST_MAIN(TestThumbwheel)
#include "tst_thumbwheel.moc"
