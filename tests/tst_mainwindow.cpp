#include "thumbwheel.h"
#include "timeline.h"
#include "timelineapp.h"
#include "tlcanvas.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpacerItem>
#include <QStatusBar>
#include <QTest>
#include <QTranslator>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

const QDateTime Start(QDate(2010, 6, 1), QTime(12, 0));
constexpr int NoLimit = QWIDGETSIZE_MAX;

// The form's widgets and layouts by member name, the window as "MainWindow".
QObject *formObject(QMainWindow *window, const Ui_MainWindow &ui, const QString &name)
{
    const QHash<QString, QObject *> objects = {
            {"MainWindow", window},
            {"centralwidget", ui.centralwidget},
            {"gridLayout", ui.gridLayout},
            {"hboxLayout", ui.hboxLayout},
            {"vboxLayout", ui.vboxLayout},
            {"timeline", ui.timeline},
            {"hboxLayout1", ui.hboxLayout1},
            {"pushButton_7", ui.pushButton_7},
            {"thumbwheel", ui.thumbwheel},
            {"pushButton_2", ui.pushButton_2},
            {"verticalScrollBar", ui.verticalScrollBar},
            {"vboxLayout1", ui.vboxLayout1},
            {"btHour", ui.btHour},
            {"btDay", ui.btDay},
            {"btWeek", ui.btWeek},
            {"btMonth", ui.btMonth},
            {"btYear", ui.btYear},
            {"menubar", ui.menubar},
            {"statusbar", ui.statusbar},
    };
    return objects.value(name);
}

// What a layout item holds, by member name (spacer items have no object name).
QString itemName(const Ui_MainWindow &ui, QLayoutItem *item)
{
    if (item->widget())
        return item->widget()->objectName();
    if (item->layout())
        return item->layout()->objectName();
    const QHash<QLayoutItem *, QString> spacers = {
            {ui.buttonColumnSpacer, "buttonColumnSpacer"},
            {ui.topSpacer, "topSpacer"},
            {ui.bottomSpacer, "bottomSpacer"},
            {ui.leftSpacer, "leftSpacer"},
            {ui.rightSpacer, "rightSpacer"},
    };
    return spacers.value(item, "unknown item");
}

// A window whose minimum size hint is whatever the test needs.
class HintedWindow : public QMainWindow
{
public:
    explicit HintedWindow(QSize hint)
        : hint(hint)
    {
    }
    QSize minimumSizeHint() const override { return hint; }

private:
    QSize hint;
};

// Answers every lookup with the source text in brackets and remembers it.
class RecordingTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int) const override
    {
        calls.append({context, sourceText, disambiguation ? disambiguation : "(none)"});
        return QStringLiteral("[%1]").arg(QString::fromUtf8(sourceText));
    }
    bool isEmpty() const override { return false; }

    mutable QList<QStringList> calls;
};

void sendWheel(QWidget *widget, QPoint angle)
{
    QWheelEvent event(QPointF(30, 8), widget->mapToGlobal(QPointF(30, 8)), QPoint(), angle,
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &event);
}

// A press at the first point, moves through the others, release at the last.
void drag(QWidget *widget, const QList<QPoint> &path)
{
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, path.first());
    for (const QPoint &pos : path.mid(1))
        QTest::mouseMove(widget, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, path.last());
}

const char *const ZoomButtonNames[] = {"btHour", "btDay", "btWeek", "btMonth", "btYear"};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    // Behaviour: buttons, scroll bar and thumbwheel drive the time axis.
    void zoomButtonActions_data();
    void zoomButtonActions();
    void zoomButtonSetsScale_data();
    void zoomButtonSetsScale();
    void arrowButtonsDoNothing_data();
    void arrowButtonsDoNothing();
    void sliderMoveZooms_data();
    void sliderMoveZooms();
    void barStepsDoNotZoom_data();
    void barStepsDoNotZoom();
    void zoomReportMovesBarOnly_data();
    void zoomReportMovesBarOnly();
    void thumbwheelActsLikeAxis_data();
    void thumbwheelActsLikeAxis();

    // Structure of the form.
    void windowParts();
    void windowSize_data();
    void windowSize();
    void widgetTree_data();
    void widgetTree();
    void layouts_data();
    void layouts();
    void gridCells_data();
    void gridCells();
    void spacers_data();
    void spacers();
    void sizePolicies_data();
    void sizePolicies();
    void laidOut();
    void buttonLook_data();
    void buttonLook();
    void zoomButtonPalettes_data();
    void zoomButtonPalettes();
    void texts_data();
    void texts();
    void retranslate();
};

void TestMainWindow::zoomButtonActions_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("level");
    for (int level = 0; level < 5; ++level)
        QTest::newRow(ZoomButtonNames[level]) << ZoomButtonNames[level] << level;
}

void TestMainWindow::zoomButtonActions()
{
    QFETCH(QString, button);
    QFETCH(int, level);

    TimelineApp app;
    const auto *widget = app.findChild<QPushButton *>(button);
    QVERIFY(widget);
    const QList<QAction *> actions = widget->actions();
    QCOMPARE(actions.size(), 1);
    QCOMPARE(actions.first()->data().typeId(), QMetaType::Int);
    QCOMPARE(actions.first()->data().toInt(), level);
    QVERIFY(actions.first()->text().isEmpty());
    QCOMPARE(actions.first()->parent(), &app);
}

void TestMainWindow::zoomButtonSetsScale_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<int>("percent");

    QTest::newRow("btHour") << "btHour" << 1340u << 21;
    QTest::newRow("btDay") << "btDay" << 4100u << 30;
    QTest::newRow("btWeek") << "btWeek" << 56000u << 51;
    QTest::newRow("btMonth") << "btMonth" << 840000u << 74;
    QTest::newRow("btYear") << "btYear" << 3700000u << 86;
}

void TestMainWindow::zoomButtonSetsScale()
{
    QFETCH(QString, button);
    QFETCH(quint32, scale);
    QFETCH(int, percent);

    TimelineApp app;
    app.show();
    const Ui_MainWindow &ui = app.form();
    QSignalSpy zoomSpy(ui.timeline, &Timeline::zoomChangedSignal);

    QTest::mouseClick(app.findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), scale);
    QCOMPARE(ui.verticalScrollBar->value(), percent);
    QCOMPARE(zoomSpy.count(), 1); // one call of the zoom level slot per click
}

void TestMainWindow::arrowButtonsDoNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("<") << "pushButton_7";
    QTest::newRow(">") << "pushButton_2";
}

void TestMainWindow::arrowButtonsDoNothing()
{
    QFETCH(QString, button);

    TimelineApp app;
    app.show();
    const Ui_MainWindow &ui = app.form();
    ui.timeline->setWindowStart(Start);
    QSignalSpy zoomSpy(ui.timeline, &Timeline::zoomChangedSignal);

    QTest::mouseClick(app.findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(ui.timeline->currentWindowStart(), Start);
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), Timeline::StartScale);
    QCOMPARE(ui.verticalScrollBar->value(), 0);
    QCOMPARE(zoomSpy.count(), 0);
}

void TestMainWindow::sliderMoveZooms_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<quint32>("scale");

    QTest::newRow("to the top") << 0 << 100u;
    QTest::newRow("to the middle") << 50 << 44721u;
    QTest::newRow("to the bottom") << 99 << 17701892u;
    QTest::newRow("past the end stops at 99") << 150 << 17701892u;
}

void TestMainWindow::sliderMoveZooms()
{
    QFETCH(int, position);
    QFETCH(quint32, scale);

    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    QScrollBar *bar = ui.verticalScrollBar;
    bar->setValue(40); // start away from every row's target; not a slide
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), Timeline::StartScale);

    // What dragging the slider does: sliderMoved while the slider is down.
    bar->setSliderDown(true);
    bar->setSliderPosition(position);
    bar->setSliderDown(false);
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), scale);
}

void TestMainWindow::barStepsDoNotZoom_data()
{
    QTest::addColumn<int>("action");
    QTest::newRow("single step") << int(QAbstractSlider::SliderSingleStepAdd);
    QTest::newRow("page step") << int(QAbstractSlider::SliderPageStepAdd);
    QTest::newRow("to maximum") << int(QAbstractSlider::SliderToMaximum);
}

void TestMainWindow::barStepsDoNotZoom()
{
    QFETCH(int, action);

    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    ui.verticalScrollBar->triggerAction(QAbstractSlider::SliderAction(action));
    QVERIFY(ui.verticalScrollBar->value() > 0);
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), Timeline::StartScale);
}

void TestMainWindow::zoomReportMovesBarOnly_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("value");

    QTest::newRow("0") << 0 << 0;
    QTest::newRow("51") << 51 << 51;
    QTest::newRow("100 stops at 99") << 100 << 99;
}

void TestMainWindow::zoomReportMovesBarOnly()
{
    QFETCH(int, percent);
    QFETCH(int, value);

    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    ui.verticalScrollBar->setValue(30);
    emit ui.timeline->zoomChangedSignal(percent);
    QCOMPARE(ui.verticalScrollBar->value(), value);
    // The bar's new value does not come back as a zoom.
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), Timeline::StartScale);
}

void TestMainWindow::thumbwheelActsLikeAxis_data()
{
    QTest::addColumn<QList<QPoint>>("path"); // empty for a wheel turn
    QTest::addColumn<QPoint>("angle");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<bool>("zooms");

    QTest::newRow("drag right") << QList<QPoint>{{40, 8}, {60, 8}, {110, 9}} << QPoint() << true
                                << false;
    QTest::newRow("drag left in small steps")
            << QList<QPoint>{{200, 8}, {195, 8}, {194, 8}, {150, 10}} << QPoint() << true << false;
    QTest::newRow("drag straight down")
            << QList<QPoint>{{40, 3}, {40, 12}} << QPoint() << false << false;
    QTest::newRow("wheel one notch forward") << QList<QPoint>{} << QPoint(0, 120) << true << true;
    QTest::newRow("wheel two notches back") << QList<QPoint>{} << QPoint(0, -240) << true << true;
    QTest::newRow("wheel big turn forward") << QList<QPoint>{} << QPoint(0, 480) << true << true;
    QTest::newRow("wheel below one degree") << QList<QPoint>{} << QPoint(0, 7) << false << false;
}

void TestMainWindow::thumbwheelActsLikeAxis()
{
    QFETCH(QList<QPoint>, path);
    QFETCH(QPoint, angle);
    QFETCH(bool, moves);
    QFETCH(bool, zooms);

    // Two identical windows: one gets the gesture on its thumbwheel, the
    // other the same gesture on its time axis.
    TimelineApp viaWheel;
    TimelineApp viaAxis;
    viaWheel.show();
    viaAxis.show();
    const Ui_MainWindow &wheelUi = viaWheel.form();
    const Ui_MainWindow &axisUi = viaAxis.form();
    wheelUi.timeline->setWindowStart(Start);
    axisUi.timeline->setWindowStart(Start);

    QWidget *const targets[] = {wheelUi.thumbwheel, axisUi.timeline->drawingCanvas()};
    for (QWidget *target : targets) {
        if (path.isEmpty())
            sendWheel(target, angle);
        else
            drag(target, path);
    }

    const Timeline *wheelTimeline = wheelUi.timeline;
    const Timeline *axisTimeline = axisUi.timeline;
    QCOMPARE(wheelTimeline->currentWindowStart(), axisTimeline->currentWindowStart());
    QCOMPARE(wheelTimeline->currentSecondsPer100Px(), axisTimeline->currentSecondsPer100Px());
    QCOMPARE(wheelUi.verticalScrollBar->value(), axisUi.verticalScrollBar->value());
    QCOMPARE(wheelTimeline->currentWindowStart() != Start, moves);
    QCOMPARE(wheelTimeline->currentSecondsPer100Px() != Timeline::StartScale, zooms);
}

void TestMainWindow::windowParts()
{
    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    QCOMPARE(app.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(app.centralWidget(), ui.centralwidget);
    QCOMPARE(app.menuBar(), ui.menubar);
    QCOMPARE(app.statusBar(), ui.statusbar);
    QCOMPARE(app.size(), QSize(757, 540));
    QCOMPARE(app.baseSize(), QSize(0, 0));

    // The zoom bar keeps the scroll bar's own range and starts at the top.
    QCOMPARE(ui.verticalScrollBar->orientation(), Qt::Vertical);
    QCOMPARE(ui.verticalScrollBar->minimum(), 0);
    QCOMPARE(ui.verticalScrollBar->maximum(), 99);
    QCOMPARE(ui.verticalScrollBar->value(), 0);

    app.show();
    QCOMPARE(app.size(), QSize(757, 540));
    QVERIFY(ui.menubar->actions().isEmpty());
    QVERIFY(ui.statusbar->currentMessage().isEmpty());
}

void TestMainWindow::windowSize_data()
{
    QTest::addColumn<QSize>("minimumHint");
    QTest::addColumn<QSize>("size");

    QTest::newRow("smaller hint") << QSize(184, 188) << QSize(757, 540);
    QTest::newRow("wider hint") << QSize(900, 100) << QSize(900, 540);
    QTest::newRow("taller hint") << QSize(100, 600) << QSize(757, 600);
    QTest::newRow("larger hint") << QSize(800, 700) << QSize(800, 700);
}

void TestMainWindow::windowSize()
{
    QFETCH(QSize, minimumHint);
    QFETCH(QSize, size);

    HintedWindow window(minimumHint);
    Ui_MainWindow ui;
    ui.setupUi(&window);
    QCOMPARE(window.size(), size);
    QCOMPARE(ui.menubar->geometry(), QRect(0, 0, 757, 30));
    QCOMPARE(ui.statusbar->geometry(), QRect(0, 517, 757, 23));
}

void TestMainWindow::widgetTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");

    const char *const rows[][3] = {
            {"centralwidget", "QWidget", "MainWindow"},
            {"timeline", "Timeline", "centralwidget"},
            {"pushButton_7", "QPushButton", "centralwidget"},
            {"thumbwheel", "Thumbwheel", "centralwidget"},
            {"pushButton_2", "QPushButton", "centralwidget"},
            {"verticalScrollBar", "QScrollBar", "centralwidget"},
            {"btHour", "QPushButton", "centralwidget"},
            {"btDay", "QPushButton", "centralwidget"},
            {"btWeek", "QPushButton", "centralwidget"},
            {"btMonth", "QPushButton", "centralwidget"},
            {"btYear", "QPushButton", "centralwidget"},
            {"menubar", "QMenuBar", "MainWindow"},
            {"statusbar", "QStatusBar", "MainWindow"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << row[0] << row[1] << row[2];
}

void TestMainWindow::widgetTree()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parent);

    TimelineApp app;
    auto *widget = app.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget, formObject(&app, app.form(), name)); // the member points to it
    QCOMPARE(widget->metaObject()->className(), className);
    QCOMPARE(widget->parent()->objectName(), parent);
}

void TestMainWindow::layouts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("owner"); // the widget or layout it sits in
    QTest::addColumn<int>("spacing");
    QTest::addColumn<int>("margin");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("gridLayout") << "gridLayout"
                                << "centralwidget" << 6 << 9
                                << QStringList{"hboxLayout", "topSpacer", "bottomSpacer",
                                               "leftSpacer", "rightSpacer"};
    QTest::newRow("hboxLayout") << "hboxLayout"
                                << "gridLayout" << 4 << 0
                                << QStringList{"vboxLayout", "verticalScrollBar", "vboxLayout1"};
    QTest::newRow("vboxLayout") << "vboxLayout"
                                << "hboxLayout" << 2 << 0 << QStringList{"timeline", "hboxLayout1"};
    QTest::newRow("hboxLayout1") << "hboxLayout1"
                                 << "vboxLayout" << 2 << 0
                                 << QStringList{"pushButton_7", "thumbwheel", "pushButton_2"};
    QTest::newRow("vboxLayout1") << "vboxLayout1"
                                 << "hboxLayout" << 2 << 0
                                 << QStringList{"btHour",  "btDay",  "btWeek",
                                                "btMonth", "btYear", "buttonColumnSpacer"};
}

void TestMainWindow::layouts()
{
    QFETCH(QString, name);
    QFETCH(QString, owner);
    QFETCH(int, spacing);
    QFETCH(int, margin);
    QFETCH(QStringList, items);

    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    auto *layout = qobject_cast<QLayout *>(formObject(&app, ui, name));
    QVERIFY(layout);
    QCOMPARE(layout->objectName(), name);
    QCOMPARE(layout->parent()->objectName(), owner);
    QCOMPARE(layout->spacing(), spacing);
    QCOMPARE(layout->contentsMargins(), QMargins(margin, margin, margin, margin));

    QStringList found;
    for (int i = 0; i < layout->count(); ++i) {
        found.append(itemName(ui, layout->itemAt(i)));
        QCOMPARE(layout->itemAt(i)->alignment(), Qt::Alignment());
        if (auto *box = qobject_cast<QBoxLayout *>(layout))
            QCOMPARE(box->stretch(i), 0);
    }
    QCOMPARE(found, items);
}

void TestMainWindow::gridCells_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QRect>("cell"); // column, row, column span, row span

    QTest::newRow("hboxLayout") << "hboxLayout" << QRect(1, 1, 2, 1);
    QTest::newRow("topSpacer") << "topSpacer" << QRect(1, 0, 1, 1);
    QTest::newRow("bottomSpacer") << "bottomSpacer" << QRect(2, 2, 1, 1);
    QTest::newRow("leftSpacer") << "leftSpacer" << QRect(0, 1, 1, 1);
    QTest::newRow("rightSpacer") << "rightSpacer" << QRect(3, 1, 1, 1);
}

void TestMainWindow::gridCells()
{
    QFETCH(QString, item);
    QFETCH(QRect, cell);

    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    for (int i = 0; i < ui.gridLayout->count(); ++i) {
        if (itemName(ui, ui.gridLayout->itemAt(i)) != item)
            continue;
        int row, column, rowSpan, columnSpan;
        ui.gridLayout->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(QRect(column, row, columnSpan, rowSpan), cell);
        return;
    }
    QFAIL("not in the grid");
}

void TestMainWindow::spacers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSizePolicy::Policy>("horizontal");
    QTest::addColumn<QSizePolicy::Policy>("vertical");

    QTest::newRow("buttonColumnSpacer")
            << "buttonColumnSpacer" << QSize(60, 0) << QSizePolicy::Fixed << QSizePolicy::Minimum;
    QTest::newRow("topSpacer") << "topSpacer" << QSize(20, 40) << QSizePolicy::Minimum
                               << QSizePolicy::MinimumExpanding;
    QTest::newRow("bottomSpacer") << "bottomSpacer" << QSize(20, 10) << QSizePolicy::Minimum
                                  << QSizePolicy::Preferred;
    QTest::newRow("leftSpacer") << "leftSpacer" << QSize(5, 20) << QSizePolicy::Preferred
                                << QSizePolicy::Minimum;
    QTest::newRow("rightSpacer") << "rightSpacer" << QSize(5, 20) << QSizePolicy::Preferred
                                 << QSizePolicy::Minimum;
}

void TestMainWindow::spacers()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(QSizePolicy::Policy, horizontal);
    QFETCH(QSizePolicy::Policy, vertical);

    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    const QHash<QString, QSpacerItem *> spacers = {
            {"buttonColumnSpacer", ui.buttonColumnSpacer},
            {"topSpacer", ui.topSpacer},
            {"bottomSpacer", ui.bottomSpacer},
            {"leftSpacer", ui.leftSpacer},
            {"rightSpacer", ui.rightSpacer},
    };
    QSpacerItem *spacer = spacers.value(name);
    QVERIFY(spacer);
    QCOMPARE(spacer->sizeHint(), size);
    QCOMPARE(spacer->sizePolicy().horizontalPolicy(), horizontal);
    QCOMPARE(spacer->sizePolicy().verticalPolicy(), vertical);
}

void TestMainWindow::sizePolicies_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSizePolicy::Policy>("horizontal");
    QTest::addColumn<QSizePolicy::Policy>("vertical");
    QTest::addColumn<int>("horizontalStretch");
    QTest::addColumn<QSize>("maximum");

    using P = QSizePolicy;
    QTest::newRow("MainWindow") << "MainWindow" << P::Preferred << P::Preferred << 0
                                << QSize(NoLimit, NoLimit);
    QTest::newRow("centralwidget")
            << "centralwidget" << P::Preferred << P::Preferred << 0 << QSize(NoLimit, NoLimit);
    QTest::newRow("timeline") << "timeline" << P::Preferred << P::Minimum << 0
                              << QSize(NoLimit, NoLimit);
    QTest::newRow("<") << "pushButton_7" << P::Fixed << P::Fixed << 2 << QSize(30, NoLimit);
    QTest::newRow("thumbwheel") << "thumbwheel" << P::Expanding << P::Preferred << 0
                                << QSize(NoLimit, NoLimit);
    QTest::newRow(">") << "pushButton_2" << P::Fixed << P::Fixed << 0 << QSize(30, NoLimit);
    for (const char *button : ZoomButtonNames)
        QTest::newRow(button) << button << P::Minimum << P::Fixed << 0 << QSize(NoLimit, 20);
}

void TestMainWindow::sizePolicies()
{
    QFETCH(QString, name);
    QFETCH(QSizePolicy::Policy, horizontal);
    QFETCH(QSizePolicy::Policy, vertical);
    QFETCH(int, horizontalStretch);
    QFETCH(QSize, maximum);

    TimelineApp app;
    auto *widget = qobject_cast<QWidget *>(formObject(&app, app.form(), name));
    QVERIFY(widget);
    const QSizePolicy policy = widget->sizePolicy();
    QCOMPARE(policy.horizontalPolicy(), horizontal);
    QCOMPARE(policy.verticalPolicy(), vertical);
    QCOMPARE(policy.horizontalStretch(), horizontalStretch);
    QCOMPARE(policy.verticalStretch(), 0);
    QCOMPARE(widget->minimumSize(), QSize(0, 0));
    QCOMPARE(widget->maximumSize(), maximum);
}

void TestMainWindow::laidOut()
{
    TimelineApp app;
    app.show();
    const Ui_MainWindow &ui = app.form();

    for (const QPushButton *button : {ui.btHour, ui.btDay, ui.btWeek, ui.btMonth, ui.btYear})
        QVERIFY2(button->height() <= 20, qPrintable(button->objectName()));
    QVERIFY(ui.pushButton_7->width() <= 30);
    QVERIFY(ui.pushButton_2->width() <= 30);

    // The thumbwheel takes what is left of its row, 2 pixels from each button.
    QCOMPARE(ui.thumbwheel->x(), ui.pushButton_7->geometry().right() + 1 + 2);
    QCOMPARE(ui.pushButton_2->x(), ui.thumbwheel->geometry().right() + 1 + 2);
    QCOMPARE(ui.pushButton_2->geometry().right(), ui.timeline->geometry().right());

    // Grid margin and left spacer, no spacing beside a spacer: the real
    // window test clicks on the axis relying on this.
    QCOMPARE(ui.timeline->drawingCanvas()->mapTo(&app, QPoint(0, 0)).x(), 9 + 5);
}

void TestMainWindow::buttonLook_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("zoom");

    QTest::newRow("<") << "pushButton_7" << false;
    QTest::newRow(">") << "pushButton_2" << false;
    for (const char *button : ZoomButtonNames)
        QTest::newRow(button) << button << true;
}

void TestMainWindow::buttonLook()
{
    QFETCH(QString, name);
    QFETCH(bool, zoom);

    TimelineApp app;
    const auto *button = app.findChild<QPushButton *>(name);
    QVERIFY(button);
    QVERIFY(!button->isFlat());
    QVERIFY(!button->isDefault());
    QCOMPARE(button->testAttribute(Qt::WA_SetPalette), zoom);
    QCOMPARE(button->testAttribute(Qt::WA_SetFont), zoom);
    if (!zoom)
        return;

    const QFont font = button->font();
    QCOMPARE(font.family(), QStringLiteral("DIN"));
    QCOMPARE(font.pointSize(), 9);
    QCOMPARE(font.weight(), QFont::Bold);
    QVERIFY(!font.italic());
    QVERIFY(!font.underline());
    QVERIFY(!font.strikeOut());

    // All 17 classic roles in all three groups: solid and opaque, so nothing
    // of the application palette shows through.
    const QPalette palette = button->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (int role = QPalette::WindowText; role <= QPalette::AlternateBase; ++role) {
            const auto colourRole = QPalette::ColorRole(role);
            const QString where = QStringLiteral("group %1 role %2").arg(group).arg(role);
            QVERIFY2(palette.isBrushSet(group, colourRole), qPrintable(where));
            QCOMPARE(palette.brush(group, colourRole).style(), Qt::SolidPattern);
            QCOMPARE(palette.color(group, colourRole).alpha(), 255);
        }
    }
}

void TestMainWindow::zoomButtonPalettes_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QPalette::ColorGroup>("group");
    QTest::addColumn<QPalette::ColorRole>("role");
    QTest::addColumn<QColor>("colour");

    struct Colours
    {
        const char *button;
        QColor face, light, midlight, dark, mid;
    };
    const Colours buttons[] = {
            {"btHour",
             {246, 239, 181},
             {255, 255, 255},
             {250, 247, 218},
             {123, 119, 90},
             {164, 159, 121}},
            {"btDay",
             {224, 219, 163},
             {255, 255, 255},
             {239, 237, 209},
             {112, 109, 81},
             {149, 146, 109}},
            {"btWeek",
             {198, 199, 138},
             {255, 255, 221},
             {226, 227, 179},
             {99, 99, 69},
             {132, 133, 92}},
            {"btMonth",
             {174, 186, 154},
             {248, 255, 236},
             {211, 220, 195},
             {87, 93, 77},
             {116, 124, 103}},
            {"btYear",
             {141, 170, 148},
             {212, 255, 222},
             {176, 212, 185},
             {70, 85, 74},
             {94, 113, 99}},
    };
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    using P = QPalette;
    for (const Colours &c : buttons) {
        const struct
        {
            P::ColorGroup group;
            P::ColorRole role;
            QColor colour;
        } samples[] = {
                {P::Active, P::WindowText, black},
                {P::Active, P::Button, c.face},
                {P::Inactive, P::Window, c.face},
                {P::Active, P::Light, c.light},
                {P::Inactive, P::Midlight, c.midlight},
                {P::Active, P::Dark, c.dark},
                {P::Inactive, P::Mid, c.mid},
                {P::Active, P::Base, white},
                {P::Inactive, P::AlternateBase, c.midlight},
                {P::Active, P::Highlight, QColor(103, 141, 178)},
                {P::Inactive, P::Link, QColor(0, 0, 238)},
                {P::Disabled, P::WindowText, c.dark},
                {P::Disabled, P::Text, c.dark},
                {P::Disabled, P::ButtonText, c.dark},
                {P::Disabled, P::Base, c.face},
                {P::Disabled, P::Button, c.face},
                {P::Disabled, P::Light, c.light},
                {P::Disabled, P::BrightText, white},
                {P::Disabled, P::Shadow, black},
                {P::Disabled, P::Highlight, QColor(86, 117, 148)},
                {P::Disabled, P::LinkVisited, QColor(82, 24, 139)},
        };
        for (const auto &s : samples) {
            QTest::addRow("%s/%d/%d", c.button, int(s.group), int(s.role))
                    << c.button << s.group << s.role << s.colour;
        }
    }
}

void TestMainWindow::zoomButtonPalettes()
{
    QFETCH(QString, button);
    QFETCH(QPalette::ColorGroup, group);
    QFETCH(QPalette::ColorRole, role);
    QFETCH(QColor, colour);

    TimelineApp app;
    QCOMPARE(app.findChild<QPushButton *>(button)->palette().color(group, role), colour);
}

void TestMainWindow::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");

    QTest::newRow("window title") << "MainWindow" << QByteArray("windowTitle") << "MainWindow";
    QTest::newRow("axis tool tip") << "timeline" << QByteArray("toolTip") << "The current time";
    QTest::newRow("axis what's this") << "timeline" << QByteArray("whatsThis")
                                      << "The analog clock widget displays the current time.";
    QTest::newRow("<") << "pushButton_7" << QByteArray("text") << "<";
    QTest::newRow(">") << "pushButton_2" << QByteArray("text") << ">";
    QTest::newRow("btHour") << "btHour" << QByteArray("text") << "Hour";
    QTest::newRow("btDay") << "btDay" << QByteArray("text") << "Day";
    QTest::newRow("btWeek") << "btWeek" << QByteArray("text") << "Week";
    QTest::newRow("btMonth") << "btMonth" << QByteArray("text") << "Month";
    QTest::newRow("btYear") << "btYear" << QByteArray("text") << "Year";
}

void TestMainWindow::texts()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QString, text);

    TimelineApp app;
    const QObject *object = formObject(&app, app.form(), name);
    QVERIFY(object);
    QCOMPARE(object->property(property.constData()).toString(), text);
}

void TestMainWindow::retranslate()
{
    TimelineApp app;
    Ui_MainWindow ui = app.form();
    const auto objectCount = app.findChildren<QObject *>().size();

    RecordingTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    translator.calls.clear();
    ui.retranslateUi(&app);
    QCoreApplication::removeTranslator(&translator);

    const QStringList sources = {
            "MainWindow",
            "The current time",
            "The analog clock widget displays the current time.",
            "<",
            ">",
            "Hour",
            "Day",
            "Week",
            "Month",
            "Year",
    };
    QList<QStringList> expected;
    for (const QString &source : sources)
        expected.append({"MainWindow", source, "(none)"});
    QCOMPARE(translator.calls, expected);
    QCOMPARE(app.windowTitle(), QStringLiteral("[MainWindow]"));
    QCOMPARE(ui.timeline->toolTip(), QStringLiteral("[The current time]"));
    QCOMPARE(ui.btYear->text(), QStringLiteral("[Year]"));

    // Without the translator the source texts come back; nothing else changes.
    ui.retranslateUi(&app);
    QCOMPARE(app.windowTitle(), QStringLiteral("MainWindow"));
    QCOMPARE(ui.btYear->text(), QStringLiteral("Year"));
    QCOMPARE(app.findChildren<QObject *>().size(), objectCount);
    QCOMPARE(ui.btYear->actions().size(), 1);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
