#include "testsupport.h"
#include "thumbwheel.h"
#include "timeline.h"
#include "timelineapp.h"
#include "tlcalendar.h"
#include "tlcanvas.h"
#include "translations.h"
#include "viewsummary.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <memory>

namespace {

// The view after an input, from Tuesday 1 June 2010 12:00 in Berlin over 500
// pixels at the starting 20 days per 100 px: the seconds its left edge moved,
// its scale, the zoom scroll bar's value and the status bar's text (empty: no
// matter, but changed whenever the view did).
struct View
{
    qint64 shift;
    quint32 scale;
    int bar;
    QString status;
};

const QDateTime Start(QDate(2010, 6, 1), QTime(12, 0));
constexpr quint32 StartScale = Timeline::StartScale;

// A preset, by button or key, sets its scale and keeps the middle of the
// view in place.
const View Presets[] = {
        {4316650, 1340, 21,
         "mer. 21 juil. 2010 11:04 – mer. 21 juil. 2010 12:55 (22,3 minutes per 100 px)"},
        {4309750, 4100, 30, ""},
        {4180000, 56000, 51,
         "lun. 19 juil. 2010 21:06 – ven. 23 juil. 2010 02:53 (15,6 hours per 100 px)"},
        {2220000, 840000, 74, ""},
        // Into winter time: the right edge is 12:26 CET, 11:26 UTC.
        {-4930000, 3700000, 86,
         "lun. 5 avr. 2010 10:33 – ven. 5 nov. 2010 12:26 (42,8 days per 100 px)"},
};
const View ZoomedIn{648000, 1468800, 78, ""}; // one notch of the wheel
constexpr int IntMax = std::numeric_limits<int>::max();
// What is done to the zoom scroll bar, other than its own actions.
enum { Drag = -1, ScrollHere = -2, Wheel = -3 };
const char *const PresetButtons[] = {"btHour", "btDay", "btWeek", "btMonth", "btYear"};

} // namespace
Q_DECLARE_METATYPE(View)

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        zone = std::make_unique<ZoneGuard>("Europe/Berlin",
                                           QLocale(QLocale::French, QLocale::France));
        app = std::make_unique<TimelineApp>();
        app->form().timeline->setFixedWidth(500);
        app->show();
        QVERIFY(QTest::qWaitForWindowActive(app.get()));
        app->form().timeline->setWindowStart(Start);
        origin = Start;
        before = statusText();
        QCOMPARE(before, "mar. 1 juin 2010 12:00 – jeu. 9 sept. 2010 12:00 (20 days per 100 px)");
    }

    void cleanup()
    {
        app.reset();
        zone.reset();
    }

    void controls_data()
    {
        // A button's object name, or keys pressed; from Start, or from the
        // start (-1) or the end (1) of time, where a move stops.
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("edge");
        QTest::addColumn<View>("view");
        for (int level = 0; level < 5; ++level) {
            QTest::newRow(PresetButtons[level]) << PresetButtons[level] << 0 << Presets[level];
            QTest::addRow("Ctrl+%d", level + 1)
                    << QStringLiteral("Ctrl+%1").arg(level + 1) << 0 << Presets[level];
        }
        // "<" and ">" move by half the view, Left and Right by a tenth.
        const QString later =
                "mer. 21 juil. 2010 12:00 – ven. 29 oct. 2010 12:00 (20 days per 100 px)";
        const std::pair<const char *, qint64> moves[] = {{"pushButton_7", -4320000},
                                                         {"pushButton_2", 4320000},
                                                         {"Left", -864000},
                                                         {"Right", 864000},
                                                         {"Home", 0}};
        for (const int edge : {0, -1, 1}) {
            for (const auto &[control, shift] : moves) {
                const bool stopped = shift * edge > 0;
                if (edge != 0 || shift != 0)
                    QTest::addRow("%s_from_%d", control, edge)
                            << control << edge
                            << View{stopped ? 0 : shift, StartScale, 0,
                                    edge == 0 && shift == 4320000 ? later : QString()};
            }
        }
        QTest::newRow("Ctrl+Plus") << "Ctrl++" << 0 << ZoomedIn;
        QTest::newRow("Ctrl+Equal") << "Ctrl+=" << 0 << ZoomedIn;
        QTest::newRow("Ctrl+Minus") << "Ctrl+-" << 0 << View{-648000, 1987200, 81, ""};
    }

    void controls()
    {
        QFETCH(QString, control);
        QFETCH(int, edge);
        QFETCH(View, view);
        Timeline *timeline = app->form().timeline;
        if (edge != 0)
            goToTheEndOfTime(edge);
        auto *button = app->findChild<QPushButton *>(control);
        button ? QTest::mouseClick(button, Qt::LeftButton)
               : QTest::keySequence(app.get(), QKeySequence(control));
        timeline->drawingCanvas()->grab();
        if (control == "Home") {
            QVERIFY(qAbs(QDateTime::currentDateTime().secsTo(timeline->currentWindowStart())) <= 2);
            return;
        }
        check(view);
        if (!button || view.scale != StartScale || edge != 0)
            return;
        // Held down, "<" and ">" repeat.
        QTest::mousePress(button, Qt::LeftButton);
        QTRY_VERIFY(Start.secsTo(timeline->currentWindowStart()) / view.shift > 3);
        QTest::mouseRelease(button, Qt::LeftButton);
        QCOMPARE(Start.secsTo(timeline->currentWindowStart()) % view.shift, 0);
    }

    void scrollBar_data()
    {
        // What the user does to the bar: a QAbstractSlider::SliderAction, or
        // the codes below. It zooms to where the bar then stands.
        QTest::addColumn<int>("action");
        QTest::addColumn<View>("view");
        QTest::newRow("drag_past_its_end") << int(Drag) << View{-39934730, 17701892, 99, ""};
        QTest::newRow("arrow") << int(QAbstractSlider::SliderSingleStepAdd)
                               << View{4319720, 112, 1, ""};
        QTest::newRow("track") << int(QAbstractSlider::SliderPageStepAdd)
                               << View{4319155, 338, 10, ""};
        QTest::newRow("bottom") << int(QAbstractSlider::SliderToMaximum)
                                << View{-39934730, 17701892, 99, ""};
        QTest::newRow("scroll_here") << int(ScrollHere) << View{4317130, 1148, 20, ""};
        // Three lines a notch: 3 % is 10^(2 + 0.03 * 5.30103) = 144.2 s.
        QTest::newRow("wheel") << int(Wheel) << View{4319640, 144, 3, ""};
    }

    void scrollBar()
    {
        QFETCH(int, action);
        QFETCH(View, view);
        QScrollBar *bar = app->form().verticalScrollBar;
        if (action == Drag) {
            bar->setSliderDown(true);
            bar->setSliderPosition(150);
            bar->setSliderDown(false);
        } else if (action == ScrollHere) {
            bar->setValue(20); // what its context menu's "Scroll here" does
        } else if (action == Wheel) {
            turnWheel(bar, QPoint(0, -120));
        } else {
            bar->triggerAction(QAbstractSlider::SliderAction(action));
        }
        check(view);
    }

    void zones_data()
    {
        // 1 June 2010 10:00 UTC as the C library reads TZ: the status bar's
        // left edge and the hour row's first label.
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("status");
        // clang-format off
        const char *const rows[][3] = {
            {"zone_name", "America/New_York", "mar. 1 juin 2010 06:00"},
            {"posix_rule", "EST5EDT,M3.2.0,M11.1.0", "mar. 1 juin 2010 06:00"},
            {"utc_minus_3_is_east", "UTC-3", "mar. 1 juin 2010 13:00"},
            {"colon_path", ":/usr/share/zoneinfo/Asia/Tokyo", "mar. 1 juin 2010 19:00"},
            {"20_hours_east", "ABC-20", "mer. 2 juin 2010 06:00"},
            {"19_hours_west", "ABC+19", "lun. 31 mai 2010 15:00"},
            {"gmt_plus_3_is_west", "GMT+3", "mar. 1 juin 2010 07:00"},
            {"unknown_reads_as_utc", "Nowhere/Atlantis", "mar. 1 juin 2010 10:00"},
        };
        // clang-format on
        for (const auto &[name, zone, status] : rows)
            QTest::newRow(name) << QByteArray(zone) << QLocale(QLocale::French, QLocale::France)
                                << QString::fromUtf8(status);
        QTest::newRow("german_locale")
                << QByteArray("Europe/Berlin") << QLocale(QLocale::German, QLocale::Germany)
                << "Di., 1. Juni 2010 12:00";
    }

    void zones()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QLocale, locale);
        QFETCH(QString, status);
        const ZoneGuard guard(zone, locale);
        // The view follows at its next paint, and a still view does not
        // read the zone anew.
        const Timeline *timeline = app->form().timeline;
        timeline->drawingCanvas()->repaint();
        QCOMPARE(statusText().section(QStringLiteral(" – "), 0, 0), status);
        const quint64 calendars = timeline->timeSegment().calendarsMade();
        timeline->drawingCanvas()->repaint();
        QCOMPARE(timeline->timeSegment().calendarsMade(), calendars);
        TLCalendar calendar;
        const TLCalendar::Boundary hour =
                calendar.firstBoundary(TLCalendar::Unit::Hour, Q_INT64_C(1275386400000));
        QCOMPARE(TLCalendar::label(TLCalendar::Unit::Hour, hour.date, hour.time),
                 status.right(5) + 'h');
    }

    void thumbwheel()
    {
        // The strip moves and zooms the axis as the axis itself does.
        Thumbwheel *wheel = app->form().thumbwheel;
        QCOMPARE(Thumbwheel().sizeHint(), QSize(200, 25));
        QTest::mousePress(wheel, Qt::LeftButton, Qt::NoModifier, QPoint(40, 8));
        QTest::mouseMove(wheel, QPoint(75, 8));
        QTest::mouseMove(wheel, QPoint(110, 9));
        QTest::mouseRelease(wheel, Qt::LeftButton, Qt::NoModifier, QPoint(110, 9));
        check(View{-1209600, StartScale, 0, ""});
        turnWheel(wheel, QPoint(0, 120));
        check(View{-561600, 1468800, 78, ""});
    }

    void window()
    {
        const Ui_MainWindow &ui = app->form();
        QCOMPARE(app->size(), QSize(757, 540));
        QVERIFY(!ui.thumbwheel->accessibleName().isEmpty());
        // A wider axis shows more time; Ctrl+Q closes.
        ui.timeline->setFixedWidth(600);
        QTRY_VERIFY(statusText() != before);
        QTest::keySequence(app.get(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QVERIFY(!app->isVisible());
    }

    void narrowWindow()
    {
        // The window keeps the width it is given, however long the status
        // text grows: here through every preset.
        Timeline *timeline = app->form().timeline;
        timeline->setMinimumWidth(0);
        timeline->setMaximumWidth(QWIDGETSIZE_MAX);
        QTRY_VERIFY(app->minimumSize().width() <= 420);
        app->resize(420, 540);
        for (const char *name : PresetButtons) {
            QTest::mouseClick(app->findChild<QPushButton *>(name), Qt::LeftButton);
            QCOMPARE(app->width(), 420);
        }
    }

    void rightToLeft()
    {
        // The rest mirrors, but time runs left to right: "<" on the left
        // moves earlier.
        app->setLayoutDirection(Qt::RightToLeft);
        const Ui_MainWindow &ui = app->form();
        QTRY_VERIFY(ui.btHour->x() < ui.timeline->x());
        QVERIFY(ui.pushButton_7->x() < ui.thumbwheel->x());
        QVERIFY(ui.thumbwheel->x() < ui.pushButton_2->x());
        QVERIFY(ui.pushButton_7->isLeftToRight()); // or "<" would show as ">"
        QTest::mouseClick(ui.pushButton_7, Qt::LeftButton);
        check(View{-4320000, StartScale, 0, ""});
    }

    void translations()
    {
        // The zoom buttons, the axis's name, the status bar's scale and a day
        // label. (English texts beside the locale's names are init()'s.)
        const QLocale german(QLocale::German, QLocale::Germany);
        ZoneGuard session("", german);
        QObject translators;
        installTranslations(german, &translators);
        TimelineApp window;
        QStringList shown;
        for (const char *name : PresetButtons)
            shown << window.findChild<QPushButton *>(name)->text();
        const QString status = window.findChild<QLabel *>("viewLabel")->text();
        shown << window.form().timeline->drawingCanvas()->accessibleName()
              << status.mid(status.lastIndexOf('('))
              << TLCalendar::label(TLCalendar::Unit::Day, QDate(2010, 6, 1), QTime(0, 0))
              << window.form().btDay->toolTip() << window.form().pushButton_7->toolTip();
        QCOMPARE(shown, QStringList({"Stunde", "Tag", "Woche", "Monat", "Jahr", "Zeitachse",
                                     "(20 Tage pro 100 px)", "Di., 1", "Auf Tage zoomen (Strg+2)",
                                     "Eine halbe Ansicht früher (Links: ein Zehntel)"}));
    }

    void scaleWords_data()
    {
        // Seconds per 100 px and the status bar's words for them: below two of
        // a unit, the next smaller one.
        QTest::addColumn<quint32>("scale");
        QTest::addColumn<QString>("words");
        QTest::newRow("119_seconds") << 119u << "119 seconds";
        QTest::newRow("2_minutes") << 120u << "2 minutes";
        QTest::newRow("2_hours") << 7200u << "2 hours";
        QTest::newRow("47.9997_hours") << 172799u << "48 hours";
        QTest::newRow("2_days") << 172800u << "2 days";
    }

    void scaleWords()
    {
        QFETCH(quint32, scale);
        QFETCH(QString, words);
        QCOMPARE(viewSummary(Start, Start, scale).section(" (", 1), words + " per 100 px)");
    }

private:
    QString statusText() const { return app->findChild<QLabel *>("viewLabel")->text(); }

    // Drags the view as far as it goes: there the full span (500 px at 20
    // days per 100 px) is in view, the first or the last instant (64 bits
    // less 25 hours) at its edge. Later moves are checked from there.
    void goToTheEndOfTime(int edge)
    {
        Timeline *timeline = app->form().timeline;
        for (origin = QDateTime(); timeline->currentWindowStart() != origin;) {
            origin = timeline->currentWindowStart();
            timeline->canvasDraggedSlot(QPoint(0, 0), QPoint(-edge * IntMax, 0));
        }
        timeline->drawingCanvas()->grab();
        const QDateTime end = timeline->currentWindowEnd();
        QCOMPARE(origin.secsTo(end), qint64(8640000));
        QCOMPARE((edge < 0 ? origin : end).toMSecsSinceEpoch(),
                 edge < 0 ? Q_INT64_C(-9223372036764775808) : Q_INT64_C(9223372036764775807));
        before = statusText();
    }

    void check(const View &view)
    {
        const Ui_MainWindow &ui = app->form();
        QCOMPARE(origin.secsTo(ui.timeline->currentWindowStart()), view.shift);
        QCOMPARE(ui.timeline->currentSecondsPer100Px(), view.scale);
        QCOMPARE(ui.verticalScrollBar->value(), view.bar);
        QCOMPARE(statusText() != before, view.shift != 0 || view.scale != StartScale);
        if (!view.status.isEmpty())
            QCOMPARE(statusText(), view.status);
        // Assistive technology reads the same text off the time axis.
        QAccessibleInterface *axis =
                QAccessible::queryAccessibleInterface(ui.timeline->drawingCanvas());
        QCOMPARE(axis->text(QAccessible::Name), "Time axis");
        QCOMPARE(axis->text(QAccessible::Description), statusText());
    }

    std::unique_ptr<ZoneGuard> zone;
    std::unique_ptr<TimelineApp> app;
    // Where the view was, and what the status bar said, before the input.
    QDateTime origin = Start;
    QString before;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
