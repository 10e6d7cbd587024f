#include "ui_mainwindow.h"

#include "timeline.h"
#include <QMainWindow>
#include <QPushButton>

void Ui_MainWindow::setupUi(QMainWindow *window)
{
    timeline = new Timeline(window);
    window->setCentralWidget(timeline);
    btHour = new QPushButton(window);
    btDay = new QPushButton(window);
    btWeek = new QPushButton(window);
    btMonth = new QPushButton(window);
    btYear = new QPushButton(window);
}
