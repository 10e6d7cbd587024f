#include "thumbwheel.h"
#include "timeline.h"
#include "timelineapp.h"
#include "tlcanvas.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMetaEnum>
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

const char *const ZoomButtonNames[] = {"btHour", "btDay", "btWeek", "btMonth", "btYear"};

// The ten user-visible texts, in the order in which they are set.
struct Text
{
    const char *object;
    const char *property;
    const char *source;
};
const Text Texts[] = {
        {"MainWindow", "windowTitle", "MainWindow"},
        {"timeline", "toolTip", "The current time"},
        {"timeline", "whatsThis", "The analog clock widget displays the current time."},
        {"pushButton_7", "text", "<"},
        {"pushButton_2", "text", ">"},
        {"btHour", "text", "Hour"},
        {"btDay", "text", "Day"},
        {"btWeek", "text", "Week"},
        {"btMonth", "text", "Month"},
        {"btYear", "text", "Year"},
};

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

QSpacerItem *formSpacer(const Ui_MainWindow &ui, const QString &name)
{
    const QHash<QString, QSpacerItem *> spacers = {
            {"buttonColumnSpacer", ui.buttonColumnSpacer},
            {"topSpacer", ui.topSpacer},
            {"bottomSpacer", ui.bottomSpacer},
            {"leftSpacer", ui.leftSpacer},
            {"rightSpacer", ui.rightSpacer},
    };
    return spacers.value(name);
}

// What a layout item holds, by member name (spacer items have no object name).
QString itemName(const Ui_MainWindow &ui, QLayoutItem *item)
{
    if (item->widget())
        return item->widget()->objectName();
    if (item->layout())
        return item->layout()->objectName();
    for (const char *name :
         {"buttonColumnSpacer", "topSpacer", "bottomSpacer", "leftSpacer", "rightSpacer"}) {
        if (item == formSpacer(ui, name))
            return name;
    }
    return "unknown item";
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

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    // Behaviour: the buttons, the scroll bar and the thumbwheel drive the axis.
    void buttons_data();
    void buttons();
    void sliderMoveZooms_data();
    void sliderMoveZooms();
    void barValueAloneDoesNotZoom_data();
    void barValueAloneDoesNotZoom();
    void thumbwheelActsLikeAxis_data();
    void thumbwheelActsLikeAxis();

    // Structure of the form.
    void windowParts();
    void windowSize_data();
    void windowSize();
    void widgets_data();
    void widgets();
    void layouts_data();
    void layouts();
    void spacers_data();
    void spacers();
    void laidOut();
    void buttonLook_data();
    void buttonLook();
    void zoomButtonPalettes_data();
    void zoomButtonPalettes();
    void texts_data();
    void texts();
    void retranslate();
};

void TestMainWindow::buttons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("level"); // the data of its one action; -1: no action
    QTest::addColumn<quint32>("scale");
    QTest::addColumn<int>("percent");

    struct Row
    {
        const char *button;
        int level;
        quint32 scale;
        int percent;
    };
    const Row rows[] = {
            {"btHour", 0, 1340, 21},
            {"btDay", 1, 4100, 30},
            {"btWeek", 2, 56000, 51},
            {"btMonth", 3, 840000, 74},
            {"btYear", 4, 3700000, 86},
            {"pushButton_7", -1, Timeline::StartScale, 0},
            {"pushButton_2", -1, Timeline::StartScale, 0},
    };
    for (const Row &row : rows)
        QTest::newRow(row.button) << row.button << row.level << row.scale << row.percent;
}

void TestMainWindow::buttons()
{
    QFETCH(QString, button);
    QFETCH(int, level);
    QFETCH(quint32, scale);
    QFETCH(int, percent);

    TimelineApp app;
    app.show();
    const Ui_MainWindow &ui = app.form();
    auto *widget = app.findChild<QPushButton *>(button);
    QVERIFY(widget);

    const QList<QAction *> actions = widget->actions();
    if (level < 0) {
        QVERIFY(actions.isEmpty());
    } else {
        QCOMPARE(actions.size(), 1);
        QCOMPARE(actions.first()->data().typeId(), QMetaType::Int);
        QCOMPARE(actions.first()->data().toInt(), level);
        QVERIFY(actions.first()->text().isEmpty());
        QCOMPARE(actions.first()->parent(), &app);
    }

    ui.timeline->setWindowStart(Start);
    QSignalSpy zoomSpy(ui.timeline, &Timeline::zoomChangedSignal);
    QTest::mouseClick(widget, Qt::LeftButton);
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), scale);
    QCOMPARE(ui.verticalScrollBar->value(), percent);
    // A zoom button reports once per click; "<" and ">" do nothing at all.
    QCOMPARE(zoomSpy.count(), level < 0 ? 0 : 1);
    QCOMPARE(ui.timeline->currentWindowStart() == Start, level < 0);
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
    bar->setValue(40); // away from every row's target

    // What dragging the slider does: sliderMoved while the slider is down.
    bar->setSliderDown(true);
    bar->setSliderPosition(position);
    bar->setSliderDown(false);
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), scale);
}

void TestMainWindow::barValueAloneDoesNotZoom_data()
{
    QTest::addColumn<int>("reported"); // percent sent by the axis; -1: none
    QTest::addColumn<int>("action"); // triggered on the bar instead
    QTest::addColumn<int>("value");

    const int none = QAbstractSlider::SliderNoAction;
    QTest::newRow("axis reports 0") << 0 << none << 0;
    QTest::newRow("axis reports 51") << 51 << none << 51;
    QTest::newRow("axis reports 100, bar stops at 99") << 100 << none << 99;
    QTest::newRow("arrow step") << -1 << int(QAbstractSlider::SliderSingleStepAdd) << 31;
    QTest::newRow("page step") << -1 << int(QAbstractSlider::SliderPageStepAdd) << 40;
    QTest::newRow("to the end") << -1 << int(QAbstractSlider::SliderToMaximum) << 99;
}

void TestMainWindow::barValueAloneDoesNotZoom()
{
    QFETCH(int, reported);
    QFETCH(int, action);
    QFETCH(int, value);

    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    ui.verticalScrollBar->setValue(30);
    if (reported >= 0)
        emit ui.timeline->zoomChangedSignal(reported);
    else
        ui.verticalScrollBar->triggerAction(QAbstractSlider::SliderAction(action));
    QCOMPARE(ui.verticalScrollBar->value(), value);
    // Only a slider move zooms: the new value does not come back to the axis.
    QCOMPARE(ui.timeline->currentSecondsPer100Px(), Timeline::StartScale);
}

void TestMainWindow::thumbwheelActsLikeAxis_data()
{
    QTest::addColumn<QList<QPoint>>("path"); // empty for a wheel turn
    QTest::addColumn<QPoint>("angle");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<bool>("zooms");

    const QList<QPoint> wheel;
    const QPoint noWheel;
    QTest::newRow("drag right") << QList<QPoint>{{40, 8}, {60, 8}, {110, 9}} << noWheel << true
                                << false;
    QTest::newRow("drag left in small steps")
            << QList<QPoint>{{200, 8}, {195, 8}, {194, 8}, {150, 10}} << noWheel << true << false;
    QTest::newRow("drag straight down")
            << QList<QPoint>{{40, 3}, {40, 12}} << noWheel << false << false;
    QTest::newRow("wheel one notch forward") << wheel << QPoint(0, 120) << true << true;
    QTest::newRow("wheel two notches back") << wheel << QPoint(0, -240) << true << true;
    QTest::newRow("wheel big turn forward") << wheel << QPoint(0, 480) << true << true;
    QTest::newRow("wheel below one degree") << wheel << QPoint(0, 7) << false << false;
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

    for (QWidget *target : {static_cast<QWidget *>(wheelUi.thumbwheel),
                            static_cast<QWidget *>(axisUi.timeline->drawingCanvas())}) {
        if (path.isEmpty())
            sendWheel(target, angle);
        else
            drag(target, path);
    }

    const Timeline *wheeled = wheelUi.timeline;
    const Timeline *direct = axisUi.timeline;
    QCOMPARE(wheeled->currentWindowStart(), direct->currentWindowStart());
    QCOMPARE(wheeled->currentSecondsPer100Px(), direct->currentSecondsPer100Px());
    QCOMPARE(wheelUi.verticalScrollBar->value(), axisUi.verticalScrollBar->value());
    QCOMPARE(wheeled->currentWindowStart() != Start, moves);
    QCOMPARE(wheeled->currentSecondsPer100Px() != Timeline::StartScale, zooms);
}

void TestMainWindow::windowParts()
{
    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
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

void TestMainWindow::widgets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QSizePolicy>("policy");
    QTest::addColumn<QSize>("maximum");

    using P = QSizePolicy;
    P arrowPolicy(P::Fixed, P::Fixed);
    arrowPolicy.setHorizontalStretch(2);
    const QSize none(NoLimit, NoLimit);
    const QSize arrow(30, NoLimit);
    const QSize zoom(NoLimit, 20);
    struct Row
    {
        const char *name, *className, *parent;
        QSizePolicy policy; // where the form sets none: the class's default
        QSize maximum;
    };
    const Row rows[] = {
            {"MainWindow", "TimelineApp", "", P(P::Preferred, P::Preferred), none},
            {"centralwidget", "QWidget", "MainWindow", P(P::Preferred, P::Preferred), none},
            {"timeline", "Timeline", "centralwidget", P(P::Preferred, P::Minimum), none},
            {"pushButton_7", "QPushButton", "centralwidget", arrowPolicy, arrow},
            {"thumbwheel", "Thumbwheel", "centralwidget", P(P::Expanding, P::Preferred), none},
            {"pushButton_2", "QPushButton", "centralwidget", P(P::Fixed, P::Fixed), arrow},
            {"verticalScrollBar", "QScrollBar", "centralwidget",
             QScrollBar(Qt::Vertical).sizePolicy(), none},
            {"btHour", "QPushButton", "centralwidget", P(P::Minimum, P::Fixed), zoom},
            {"btDay", "QPushButton", "centralwidget", QPushButton().sizePolicy(), zoom},
            {"btWeek", "QPushButton", "centralwidget", QPushButton().sizePolicy(), zoom},
            {"btMonth", "QPushButton", "centralwidget", QPushButton().sizePolicy(), zoom},
            {"btYear", "QPushButton", "centralwidget", P(P::Minimum, P::Fixed), zoom},
            {"menubar", "QMenuBar", "MainWindow", QMenuBar().sizePolicy(), none},
            {"statusbar", "QStatusBar", "MainWindow", QStatusBar().sizePolicy(), none},
    };
    for (const Row &row : rows) {
        QTest::newRow(row.name) << row.name << row.className << row.parent << row.policy
                                << row.maximum;
    }
}

void TestMainWindow::widgets()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parent);
    QFETCH(QSizePolicy, policy);
    QFETCH(QSize, maximum);

    TimelineApp app;
    auto *widget = qobject_cast<QWidget *>(formObject(&app, app.form(), name));
    QVERIFY(widget);
    QCOMPARE(widget->objectName(), name);
    QCOMPARE(widget->metaObject()->className(), className);
    QCOMPARE(widget->parent() ? widget->parent()->objectName() : QString(), parent);

    const QSizePolicy actual = widget->sizePolicy();
    QCOMPARE(actual.horizontalPolicy(), policy.horizontalPolicy());
    QCOMPARE(actual.verticalPolicy(), policy.verticalPolicy());
    QCOMPARE(actual.horizontalStretch(), policy.horizontalStretch());
    QCOMPARE(actual.verticalStretch(), 0);
    QCOMPARE(widget->minimumSize(), QSize(0, 0));
    QCOMPARE(widget->maximumSize(), maximum);
}

void TestMainWindow::layouts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("owner"); // the widget or layout it sits in
    QTest::addColumn<int>("spacing");
    QTest::addColumn<int>("margin");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QList<QRect>>("cells"); // grid only: column, row, column span, row span

    struct Row
    {
        const char *name, *owner;
        int spacing, margin;
        QStringList items;
        QList<QRect> cells;
    };
    // clang-format off
    const Row rows[] = {
        {"gridLayout", "centralwidget", 6, 9,
         {"hboxLayout", "topSpacer", "bottomSpacer", "leftSpacer", "rightSpacer"},
         {{1, 1, 2, 1}, {1, 0, 1, 1}, {2, 2, 1, 1}, {0, 1, 1, 1}, {3, 1, 1, 1}}},
        {"hboxLayout", "gridLayout", 4, 0, {"vboxLayout", "verticalScrollBar", "vboxLayout1"}, {}},
        {"vboxLayout", "hboxLayout", 2, 0, {"timeline", "hboxLayout1"}, {}},
        {"hboxLayout1", "vboxLayout", 2, 0, {"pushButton_7", "thumbwheel", "pushButton_2"}, {}},
        {"vboxLayout1", "hboxLayout", 2, 0,
         {"btHour", "btDay", "btWeek", "btMonth", "btYear", "buttonColumnSpacer"}, {}},
    };
    // clang-format on
    for (const Row &row : rows) {
        QTest::newRow(row.name) << row.name << row.owner << row.spacing << row.margin << row.items
                                << row.cells;
    }
}

void TestMainWindow::layouts()
{
    QFETCH(QString, name);
    QFETCH(QString, owner);
    QFETCH(int, spacing);
    QFETCH(int, margin);
    QFETCH(QStringList, items);
    QFETCH(QList<QRect>, cells);

    TimelineApp app;
    const Ui_MainWindow &ui = app.form();
    auto *layout = qobject_cast<QLayout *>(formObject(&app, ui, name));
    QVERIFY(layout);
    QCOMPARE(layout->objectName(), name);
    QCOMPARE(layout->parent()->objectName(), owner);
    QCOMPARE(layout->spacing(), spacing);
    QCOMPARE(layout->contentsMargins(), QMargins(margin, margin, margin, margin));

    QStringList foundItems;
    QList<QRect> foundCells;
    for (int i = 0; i < layout->count(); ++i) {
        foundItems.append(itemName(ui, layout->itemAt(i)));
        QCOMPARE(layout->itemAt(i)->alignment(), Qt::Alignment());
        if (auto *box = qobject_cast<QBoxLayout *>(layout))
            QCOMPARE(box->stretch(i), 0);
        if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
            int row, column, rowSpan, columnSpan;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            foundCells.append(QRect(column, row, columnSpan, rowSpan));
        }
    }
    QCOMPARE(foundItems, items);
    QCOMPARE(foundCells, cells);
}

void TestMainWindow::spacers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSizePolicy>("policy");

    using P = QSizePolicy;
    struct Row
    {
        const char *name;
        QSize size;
        QSizePolicy policy;
    };
    const Row rows[] = {
            {"buttonColumnSpacer", {60, 0}, P(P::Fixed, P::Minimum)},
            {"topSpacer", {20, 40}, P(P::Minimum, P::MinimumExpanding)},
            {"bottomSpacer", {20, 10}, P(P::Minimum, P::Preferred)},
            {"leftSpacer", {5, 20}, P(P::Preferred, P::Minimum)},
            {"rightSpacer", {5, 20}, P(P::Preferred, P::Minimum)},
    };
    for (const Row &row : rows)
        QTest::newRow(row.name) << row.name << row.size << row.policy;
}

void TestMainWindow::spacers()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(QSizePolicy, policy);

    TimelineApp app;
    QSpacerItem *spacer = formSpacer(app.form(), name);
    QVERIFY(spacer);
    QCOMPARE(spacer->sizeHint(), size);
    QCOMPARE(spacer->sizePolicy().horizontalPolicy(), policy.horizontalPolicy());
    QCOMPARE(spacer->sizePolicy().verticalPolicy(), policy.verticalPolicy());
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
        QRgb face, light, midlight, dark, mid;
    };
    const Colours buttons[] = {
            {"btHour", qRgb(246, 239, 181), qRgb(255, 255, 255), qRgb(250, 247, 218),
             qRgb(123, 119, 90), qRgb(164, 159, 121)},
            {"btDay", qRgb(224, 219, 163), qRgb(255, 255, 255), qRgb(239, 237, 209),
             qRgb(112, 109, 81), qRgb(149, 146, 109)},
            {"btWeek", qRgb(198, 199, 138), qRgb(255, 255, 221), qRgb(226, 227, 179),
             qRgb(99, 99, 69), qRgb(132, 133, 92)},
            {"btMonth", qRgb(174, 186, 154), qRgb(248, 255, 236), qRgb(211, 220, 195),
             qRgb(87, 93, 77), qRgb(116, 124, 103)},
            {"btYear", qRgb(141, 170, 148), qRgb(212, 255, 222), qRgb(176, 212, 185),
             qRgb(70, 85, 74), qRgb(94, 113, 99)},
    };
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    using P = QPalette;
    const QMetaEnum groups = QMetaEnum::fromType<P::ColorGroup>();
    const QMetaEnum roles = QMetaEnum::fromType<P::ColorRole>();
    for (const Colours &c : buttons) {
        const struct
        {
            P::ColorGroup group;
            P::ColorRole role;
            QRgb colour;
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
                {P::Active, P::Highlight, qRgb(103, 141, 178)},
                {P::Disabled, P::WindowText, c.dark},
                {P::Disabled, P::ButtonText, c.dark},
                {P::Disabled, P::Text, c.dark},
                {P::Disabled, P::Base, c.face},
                {P::Disabled, P::Shadow, black},
                {P::Disabled, P::Highlight, qRgb(86, 117, 148)},
                {P::Disabled, P::LinkVisited, qRgb(82, 24, 139)},
        };
        for (const auto &s : samples) {
            QTest::addRow("%s/%s/%s", c.button, groups.valueToKey(s.group),
                          roles.valueToKey(s.role))
                    << c.button << s.group << s.role << QColor(s.colour);
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

    for (const Text &text : Texts) {
        QTest::addRow("%s %s", text.object, text.property)
                << text.object << QByteArray(text.property) << text.source;
    }
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

    QList<QStringList> expected;
    for (const Text &text : Texts)
        expected.append({"MainWindow", text.source, "(none)"});
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
