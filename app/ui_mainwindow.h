#ifndef UI_MAINWINDOW_H
#define UI_MAINWINDOW_H

class QMainWindow;
class QPushButton;
class Timeline;
class Thumbwheel;

// Placeholder until the form is built.
struct Ui_MainWindow
{
    Timeline *timeline = nullptr;
    Thumbwheel *thumbwheel = nullptr;
    QPushButton *btHour = nullptr;
    QPushButton *btDay = nullptr;
    QPushButton *btWeek = nullptr;
    QPushButton *btMonth = nullptr;
    QPushButton *btYear = nullptr;
    void setupUi(QMainWindow *);
    void retranslateUi(QMainWindow *) {}
};

#endif
