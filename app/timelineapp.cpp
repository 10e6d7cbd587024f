#include "timelineapp.h"

#include <QAction>
#include <QPushButton>

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
}

TimelineApp::~TimelineApp() = default;
