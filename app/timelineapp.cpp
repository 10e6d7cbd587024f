#include "timelineapp.h"

#include "elidedlabel.h"
#include "thumbwheel.h"
#include "timeline.h"
#include "tlcanvas.h"
#include "viewsummary.h"

#include <QAction>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>

namespace {

// Ctrl+1 to Ctrl+5: the zoom buttons from Hour to Year.
constexpr Qt::Key LevelKeys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5};

const char *const ZoomToolTips[] = {
        QT_TRANSLATE_NOOP("MainWindow", "Zoom to hours (%1)"),
        QT_TRANSLATE_NOOP("MainWindow", "Zoom to days (%1)"),
        QT_TRANSLATE_NOOP("MainWindow", "Zoom to weeks (%1)"),
        QT_TRANSLATE_NOOP("MainWindow", "Zoom to months (%1)"),
        QT_TRANSLATE_NOOP("MainWindow", "Zoom to years (%1)"),
};

QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

QString keyName(const QKeySequence &key)
{
    return key.toString(QKeySequence::NativeText);
}

} // namespace

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
    addToolTips();
    keepTimeLeftToRight();

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
    viewLabel = new ElidedLabel(ui.statusbar);
    viewLabel->setObjectName(QStringLiteral("viewLabel"));
    ui.statusbar->addWidget(viewLabel, 1);
    ui.timeline->drawingCanvas()->setAccessibleName(translated("Time axis"));
    ui.thumbwheel->setAccessibleName(translated("Thumbwheel"));
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

    for (int level = 0; level < 5; ++level) {
        connect(addKeyAction({QKeySequence(Qt::CTRL | LevelKeys[level])}), &QAction::triggered,
                timeline, [timeline, level] { timeline->zoomToLevel(level); });
    }

    QList<QKeySequence> quit = QKeySequence::keyBindings(QKeySequence::Quit);
    if (quit.isEmpty())
        quit.append(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(addKeyAction(quit), &QAction::triggered, this, &QWidget::close);
}

void TimelineApp::addToolTips()
{
    // What each control does, and its key. (The axis keeps its own tip.)
    QPushButton *const zoomButtons[] = {ui.btHour, ui.btDay, ui.btWeek, ui.btMonth, ui.btYear};
    for (int level = 0; level < 5; ++level)
        zoomButtons[level]->setToolTip(
                translated(ZoomToolTips[level]).arg(keyName(Qt::CTRL | LevelKeys[level])));
    ui.pushButton_7->setToolTip(
            translated("Half a view earlier (%1: a tenth)").arg(keyName(Qt::Key_Left)));
    ui.pushButton_2->setToolTip(
            translated("Half a view later (%1: a tenth)").arg(keyName(Qt::Key_Right)));
    ui.verticalScrollBar->setToolTip(
            translated("Zoom: up is finer, down coarser (%1, %2)")
                    .arg(keyName(Qt::CTRL | Qt::Key_Plus), keyName(Qt::CTRL | Qt::Key_Minus)));
    ui.thumbwheel->setToolTip(translated("Drag to move through time, turn the wheel to zoom "
                                         "(%1: now)")
                                      .arg(keyName(Qt::Key_Home)));
}

void TimelineApp::keepTimeLeftToRight()
{
    // Time runs left to right in every layout direction: the axis, and the
    // strip between "<" (earlier) and ">" (later) below it. In a
    // right-to-left window the box layout mirrors its direction, so the
    // mirrored direction is what keeps the row in order.
    for (QWidget *widget :
         {static_cast<QWidget *>(ui.timeline), static_cast<QWidget *>(ui.pushButton_7),
          static_cast<QWidget *>(ui.thumbwheel), static_cast<QWidget *>(ui.pushButton_2)})
        widget->setLayoutDirection(Qt::LeftToRight);
    ui.hboxLayout1->setDirection(isRightToLeft() ? QBoxLayout::RightToLeft
                                                 : QBoxLayout::LeftToRight);
}

void TimelineApp::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LayoutDirectionChange)
        keepTimeLeftToRight();
    QMainWindow::changeEvent(event);
}

void TimelineApp::showView()
{
    const Timeline *timeline = ui.timeline;
    const QString text = viewSummary(timeline->currentWindowStart(), timeline->currentWindowEnd(),
                                     timeline->currentSecondsPer100Px());
    viewLabel->setText(text);
    timeline->drawingCanvas()->setAccessibleDescription(text);
}
