#include "timelineapp.h"

#include "thumbwheel.h"
#include "timeline.h"
#include "tlcanvas.h"
#include "viewsummary.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>

TimelineApp::TimelineApp(QWidget *parent)
    : QMainWindow(parent)
{
    ui.setupUi(this);

    // The actions carry only a number: they have no text, are in no menu and
    // never show. They are children of the window and die with it.
    QPushButton *const zoomButtons[] = {ui.btHour, ui.btDay, ui.btWeek, ui.btMonth, ui.btYear};
    for (int level = 0; level < 5; ++level) {
        auto *action = new QAction(this);
        action->setData(level);
        zoomButtons[level]->addAction(action);
    }

    addKeyActions();

    // The form zooms while the user drags the scroll bar's slider. Whatever
    // else moves the bar (its arrows, its track, the wheel over it, its
    // context menu) zooms to where it then stands; a value the time axis
    // reported is where the zoom already is.
    QScrollBar *bar = ui.verticalScrollBar;
    connect(bar, &QScrollBar::valueChanged, ui.timeline, [bar, timeline = ui.timeline](int value) {
        if (!bar->isSliderDown()
            && value != qBound(bar->minimum(), timeline->zoomPercent(), bar->maximum()))
            timeline->changeZoomSlot(value);
    });

    // The status bar names the time in view; the time axis offers the same
    // words to assistive technology. The canvas is the axis to it: the
    // Timeline around it is only its frame, and the canvas is what lies
    // under the pointer.
    viewLabel = new QLabel(ui.statusbar);
    viewLabel->setObjectName(QStringLiteral("viewLabel"));
    ui.statusbar->addWidget(viewLabel, 1);
    ui.timeline->drawingCanvas()->setAccessibleName(
            QCoreApplication::translate("MainWindow", "Time axis"));
    ui.thumbwheel->setAccessibleName(QCoreApplication::translate("MainWindow", "Thumbwheel"));
    connect(ui.timeline, &Timeline::windowChangedSignal, this, &TimelineApp::showView);
    showView();
}

TimelineApp::~TimelineApp() = default;

QAction *TimelineApp::addKeyAction(const QList<QKeySequence> &keys)
{
    // Like the zoom buttons' actions these have no text and never show; the
    // window's shortcut context makes them work wherever the focus is.
    auto *action = new QAction(this);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    return action;
}

void TimelineApp::addKeyActions()
{
    Timeline *const timeline = ui.timeline;
    const auto connectKey = [&](const QList<QKeySequence> &keys, void (Timeline::*slot)()) {
        connect(addKeyAction(keys), &QAction::triggered, timeline, slot);
    };
    connectKey({QKeySequence(Qt::Key_Left)}, &Timeline::stepEarlierSlot);
    connectKey({QKeySequence(Qt::Key_Right)}, &Timeline::stepLaterSlot);
    connectKey({QKeySequence(Qt::Key_Home)}, &Timeline::goToNowSlot);

    // Ctrl+= is Ctrl++ without the Shift that "+" needs on many keyboards.
    QList<QKeySequence> zoomIn = QKeySequence::keyBindings(QKeySequence::ZoomIn);
    for (const QKeySequence &key :
         {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}) {
        if (!zoomIn.contains(key))
            zoomIn.append(key);
    }
    QList<QKeySequence> zoomOut = QKeySequence::keyBindings(QKeySequence::ZoomOut);
    if (zoomOut.isEmpty())
        zoomOut.append(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connectKey(zoomIn, &Timeline::zoomInSlot);
    connectKey(zoomOut, &Timeline::zoomOutSlot);

    // Ctrl+1 to Ctrl+5: the zoom buttons from Hour to Year.
    const Qt::Key digits[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5};
    for (int level = 0; level < 5; ++level) {
        connect(addKeyAction({QKeySequence(Qt::CTRL | digits[level])}), &QAction::triggered,
                timeline, [timeline, level] { timeline->zoomToLevel(level); });
    }

    QList<QKeySequence> quit = QKeySequence::keyBindings(QKeySequence::Quit);
    if (quit.isEmpty())
        quit.append(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(addKeyAction(quit), &QAction::triggered, this, &QWidget::close);
}

void TimelineApp::showView()
{
    const Timeline *timeline = ui.timeline;
    const QString text = viewSummary(timeline->currentWindowStart(), timeline->currentWindowEnd(),
                                     timeline->currentSecondsPer100Px());
    viewLabel->setText(text);
    timeline->drawingCanvas()->setAccessibleDescription(text);
}
