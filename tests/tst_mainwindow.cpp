#include "thumbwheel.h"
#include "timeline.h"
#include "timelineapp.h"
#include "tlcanvas.h"
#include "testsupport.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

static const QDateTime Start(QDate(2010, 6, 1), QTime(12, 0));

static QString statusText(const TimelineApp &app)
{
    return app.findChild<QLabel *>("viewLabel")->text();
}

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void scrollBar_data();
    void scrollBar();
    void thumbwheelActsLikeAxis_data();
    void thumbwheelActsLikeAxis();
    void window();
};

void TestMainWindow::controls_data()
{
    // Each row is named by its input: a button clicked or held until it
    // repeats, or a key sequence.
    QTest::addColumn<qint64>("shift"); // seconds the left edge moves (for each click)
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("status"); // or just any other text than before

    // From Tuesday 1 June 2010 12:00 in Berlin over 500 pixels. A preset by
    // button or key sets its scale and keeps the middle of the view in place.
    const struct
    {
        const char *button;
        quint32 scale;
        qint64 shift;
        int bar;
        const char *status;
    } presets[] = {
            {"btHour", 1340, 4316650, 21,
             "mer. 21 juil. 2010 11:04 – mer. 21 juil. 2010 12:55 (22,3 minutes per 100 px)"},
            {"btDay", 4100, 4309750, 30, ""},
            {"btWeek", 56000, 4180000, 51,
             "lun. 19 juil. 2010 21:06 – ven. 23 juil. 2010 02:53 (15,6 hours per 100 px)"},
            {"btMonth", 840000, 2220000, 74, ""},
            // Into winter time: the right edge is 12:26 CET, 11:26 UTC.
            {"btYear", 3700000, -4930000, 86,
             "lun. 5 avr. 2010 10:33 – ven. 5 nov. 2010 12:26 (42,8 days per 100 px)"},
    };
    for (int level = 0; level < 5; ++level) {
        const auto &p = presets[level];
        for (const QString &input :
             {QStringLiteral("click:") + p.button, QStringLiteral("Ctrl+%1").arg(level + 1)})
            QTest::newRow(qPrintable(input)) << p.shift << p.scale << p.bar << p.status;
    }
    const quint32 s = Timeline::StartScale;
    QTest::newRow("click:pushButton_7") << -4320000LL << s << 0 << "";
    QTest::newRow("click:pushButton_2")
            << 4320000LL << s << 0
            << "mer. 21 juil. 2010 12:00 – ven. 29 oct. 2010 12:00 (20 days per 100 px)";
    QTest::newRow("hold:pushButton_7") << -4320000LL << s << 0 << "";
    QTest::newRow("hold:pushButton_2") << 4320000LL << s << 0 << "";
    QTest::newRow("Left") << -864000LL << s << 0 << "";
    QTest::newRow("Right") << 864000LL << s << 0 << "";
    QTest::newRow("Ctrl++") << 648000LL << 1468800u << 78 << "";
    QTest::newRow("Ctrl+=") << 648000LL << 1468800u << 78 << "";
    QTest::newRow("Ctrl+-") << -648000LL << 1987200u << 81 << "";
    QTest::newRow("Home") << 0LL << s << 0 << ""; // to the current time
    QTest::newRow("Ctrl+Q") << 0LL << s << 0 << ""; // closes the window
}

void TestMainWindow::controls()
{
    QFETCH(qint64, shift);
    QFETCH(quint32, scale);
    QFETCH(int, bar);
    QFETCH(QString, status);
    const QString input = QTest::currentDataTag();

    ZoneGuard guard("Europe/Berlin", QLocale(QLocale::French, QLocale::France));
    const QDateTime start(QDate(2010, 6, 1), QTime(12, 0));
    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    ui.timeline->setFixedWidth(500);
    app.show();
    QVERIFY(QTest::qWaitForWindowActive(&app));
    ui.timeline->setWindowStart(start);
    const QString before = statusText(app);
    QCOMPARE(before, "mar. 1 juin 2010 12:00 – jeu. 9 sept. 2010 12:00 (20 days per 100 px)");

    auto *button =
            input.contains(':') ? app.findChild<QPushButton *>(input.section(':', 1)) : nullptr;
    const bool hold = input.startsWith("hold:");
    if (!button) {
        QTest::keySequence(&app, QKeySequence(input));
    } else if (hold) {
        QTest::mousePress(button, Qt::LeftButton);
        QTRY_VERIFY(qAbs(start.secsTo(ui.timeline->currentWindowStart())) > qAbs(shift));
        QTest::mouseRelease(button, Qt::LeftButton);
    } else {
        QTest::mouseClick(button, Qt::LeftButton);
    }
    if (input == "Ctrl+Q") {
        QVERIFY(!app.isVisible());
        return;
    }

    const qint64 moved = start.secsTo(ui.timeline->currentWindowStart());
    if (hold)
        QVERIFY2(moved % shift == 0 && moved / shift > 1, QByteArray::number(moved));
    else if (input == "Home")
        QVERIFY(qAbs(QDateTime::currentDateTime().secsTo(ui.timeline->currentWindowStart())) <= 2);
    else
        QCOMPARE(moved, shift);
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), scale);
    QCOMPARE(ui.verticalScrollBar->value(), bar);
    QVERIFY(statusText(app) != before);
    if (!status.isEmpty())
        QCOMPARE(statusText(app), status);
    // Assistive technology reads the same text off the time axis.
    QAccessibleInterface *axis =
            QAccessible::queryAccessibleInterface(ui.timeline->drawingCanvas());
    QCOMPARE(axis->text(QAccessible::Name), "Time axis");
    QCOMPARE(axis->text(QAccessible::Description), statusText(app));
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
    const QString before = statusText(app);
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
    QCOMPARE(statusText(app) != before, slide);
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
    const QString before = statusText(viaWheel);
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
    QCOMPARE(statusText(viaWheel) != before, acts);
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
    // Each zoom button carries its level in its one action; "<" and ">" have none.
    QPushButton *const zoomButtons[] = {ui.btHour, ui.btDay, ui.btWeek, ui.btMonth, ui.btYear};
    for (int level = 0; level < 5; ++level) {
        QCOMPARE(zoomButtons[level]->actions().size(), 1);
        QCOMPARE(zoomButtons[level]->actions().first()->data(), QVariant(level));
    }
    QVERIFY(ui.pushButton_7->actions().isEmpty() && ui.pushButton_2->actions().isEmpty());
    QVERIFY(!ui.thumbwheel->accessibleName().isEmpty());

    // A wider window shows more time.
    const QString before = statusText(app);
    app.resize(900, 540);
    QTRY_VERIFY(statusText(app) != before);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
