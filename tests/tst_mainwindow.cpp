#include "thumbwheel.h"
#include "timeline.h"
#include "timelineapp.h"
#include "tlcanvas.h"

#include <QAction>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

static const QDateTime Start(QDate(2010, 6, 1), QTime(12, 0));

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void zoomButtons();
    void scrollBar_data();
    void scrollBar();
    void thumbwheelActsLikeAxis_data();
    void thumbwheelActsLikeAxis();
    void window();
};

void TestMainWindow::zoomButtons()
{
    TimelineApp app;
    app.show();
    const Ui_MainWindow &ui = app.form();
    QPushButton *const buttons[] = {ui.btHour, ui.btDay, ui.btWeek, ui.btMonth, ui.btYear};
    for (int level = 0; level < 5; ++level) {
        QPushButton *button = buttons[level];
        QCOMPARE(button->actions().size(), 1);
        QCOMPARE(button->actions().first()->data(), QVariant(level));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(ui.timeline->currentSecondsPer100Px(), Timeline::zoomLevelScale(level));
        QCOMPARE(ui.verticalScrollBar->value(), ui.timeline->zoomPercent());
    }
}

void TestMainWindow::scrollBar_data()
{
    QTest::addColumn<bool>("slide"); // else the axis reports the value
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("bar");
    QTest::addColumn<quint32>("scale");

    QTest::newRow("slide to the top") << true << 0 << 0 << 100u;
    QTest::newRow("slide past the end stops at 99") << true << 150 << 99 << 17701892u;
    // Only a slider move zooms: a value set otherwise does not reach the axis.
    QTest::newRow("axis reports 51") << false << 51 << 51 << Timeline::StartScale;
    QTest::newRow("axis reports 100, bar stops at 99")
            << false << 100 << 99 << Timeline::StartScale;
}

void TestMainWindow::scrollBar()
{
    QFETCH(bool, slide);
    QFETCH(int, value);
    QFETCH(int, bar);
    QFETCH(quint32, scale);
    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    QScrollBar *scrollBar = ui.verticalScrollBar;
    scrollBar->setValue(30); // away from every row's target
    if (slide) {
        // What dragging the slider does: sliderMoved while the slider is down.
        scrollBar->setSliderDown(true);
        scrollBar->setSliderPosition(value);
        scrollBar->setSliderDown(false);
    } else {
        emit ui.timeline->zoomChangedSignal(value);
    }
    QCOMPARE(scrollBar->value(), bar);
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), scale);
}

void TestMainWindow::thumbwheelActsLikeAxis_data()
{
    QTest::addColumn<QLine>("drag"); // null for a wheel turn
    QTest::addColumn<int>("angle");
    QTest::addColumn<bool>("acts"); // moves or zooms the axis

    QTest::newRow("drag right") << QLine(40, 8, 110, 9) << 0 << true;
    QTest::newRow("drag straight down") << QLine(40, 3, 40, 12) << 0 << false;
    QTest::newRow("wheel one notch forward") << QLine() << 120 << true;
    QTest::newRow("wheel below one degree") << QLine() << 7 << false;
}

void TestMainWindow::thumbwheelActsLikeAxis()
{
    QFETCH(QLine, drag);
    QFETCH(int, angle);
    QFETCH(bool, acts);

    // The same gesture on one window's thumbwheel and another's time axis.
    TimelineApp viaWheel, viaAxis;
    const Ui_MainWindow &wheelUi = viaWheel.form(), &axisUi = viaAxis.form();
    for (TimelineApp *app : {&viaWheel, &viaAxis}) {
        app->show();
        app->form().timeline->setWindowStart(Start);
    }
    for (QWidget *target : {static_cast<QWidget *>(wheelUi.thumbwheel),
                            static_cast<QWidget *>(axisUi.timeline->drawingCanvas())}) {
        if (drag.isNull()) {
            QWheelEvent event(QPointF(30, 8), target->mapToGlobal(QPointF(30, 8)), QPoint(),
                              QPoint(0, angle), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QCoreApplication::sendEvent(target, &event);
            continue;
        }
        QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, drag.p1());
        QTest::mouseMove(target, drag.center());
        QTest::mouseMove(target, drag.p2());
        QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, drag.p2());
    }

    const Timeline *wheeled = wheelUi.timeline;
    QCOMPARE(wheeled->currentWindowStart(), axisUi.timeline->currentWindowStart());
    QCOMPARE(wheeled->currentSecondsPer100Px(), axisUi.timeline->currentSecondsPer100Px());
    QCOMPARE(wheelUi.verticalScrollBar->value(), axisUi.verticalScrollBar->value());
    QCOMPARE(wheeled->currentWindowStart() != Start
                     || wheeled->currentSecondsPer100Px() != Timeline::StartScale,
             acts);
}

void TestMainWindow::window()
{
    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    app.show();
    QCOMPARE(app.size(), QSize(757, 540));
    QCOMPARE(ui.verticalScrollBar->value(), 0);
    // The thumbwheel takes what is left of its row, 2 pixels from each button.
    QCOMPARE(ui.thumbwheel->x(), ui.pushButton_7->geometry().right() + 1 + 2);
    QCOMPARE(ui.pushButton_2->x(), ui.thumbwheel->geometry().right() + 1 + 2);
    QCOMPARE(ui.pushButton_2->geometry().right(), ui.timeline->geometry().right());
    // Grid margin and left spacer only: the real window test relies on this.
    QCOMPARE(ui.timeline->drawingCanvas()->mapTo(&app, QPoint(0, 0)).x(), 9 + 5);

    // "<" and ">" carry no action and are connected to nothing.
    ui.timeline->setWindowStart(Start);
    QSignalSpy zoomed(ui.timeline, &Timeline::zoomChangedSignal);
    for (QPushButton *button : {ui.pushButton_7, ui.pushButton_2}) {
        QVERIFY(button->actions().isEmpty());
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QCOMPARE(ui.timeline->currentWindowStart(), Start);
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), Timeline::StartScale);
    QCOMPARE(zoomed.count(), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
