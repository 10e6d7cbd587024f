#include "thumbwheel.h"

#include <QImage>
#include <QTest>

// Its gestures are the main window test's: they move the axis.
class TestThumbwheel : public QObject
{
    Q_OBJECT

private slots:
    void roundness_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("percent");
        QTest::newRow("start_width_200") << 200 << 5;
        QTest::newRow("stored_height_25") << 25 << 40;
        QTest::newRow("above_1000_raised_from_0") << 1001 << 1;
        QTest::newRow("zero_width") << 0 << 1;
        QTest::newRow("negative_width") << -40 << 1;
        QTest::newRow("corners_meet_at_10") << 10 << 99;
    }

    void roundness()
    {
        QFETCH(int, side);
        QFETCH(int, percent);
        QCOMPARE(Thumbwheel::roundness(side), percent);
    }

    void outlineFollowsWidthOnly()
    {
        Thumbwheel wheel;
        QCOMPARE(wheel.sizeHint(), QSize(200, 25));
        wheel.resize(300, 40);
        wheel.show();
        QCOMPARE(wheel.sizeHint(), QSize(300, 25));

        // The outline is 300 pixels wide but keeps the stored height of 25; the
        // inside is not filled and the corners are rounded off.
        const QImage image = wheel.grab().toImage();
        const QRgb background = image.pixel(150, 35);
        QVERIFY(image.pixel(150, 0) != background && image.pixel(299, 12) != background);
        QVERIFY(image.pixel(150, 24) != background || image.pixel(150, 25) != background);
        QCOMPARE(image.pixel(150, 12), background);
        QCOMPARE(image.pixel(0, 0), background);
        QImage empty(300, 13, image.format());
        empty.fill(background);
        QVERIFY2(image.copy(0, 27, 300, 13) == empty, "drawn below the outline");
    }
};

QTEST_MAIN(TestThumbwheel)
#include "tst_thumbwheel.moc"
