#ifndef UI_MAINWINDOW_H
#define UI_MAINWINDOW_H

class QGridLayout;
class QHBoxLayout;
class QMainWindow;
class QMenuBar;
class QPushButton;
class QScrollBar;
class QSpacerItem;
class QStatusBar;
class QVBoxLayout;
class QWidget;
class Thumbwheel;
class Timeline;

// The contents of the main window: the time axis with the "<", thumbwheel and
// ">" row below it, the zoom scroll bar and the column of five zoom buttons,
// an empty menu bar and an empty status bar.
//
// The structure only points to the objects; setupUi() hands all of them to
// the window's object tree, which deletes them with the window. Each widget
// and layout carries its member name as its object name.
struct Ui_MainWindow
{
    QWidget *centralwidget = nullptr;
    QGridLayout *gridLayout = nullptr;
    QHBoxLayout *hboxLayout = nullptr;
    QVBoxLayout *vboxLayout = nullptr;
    Timeline *timeline = nullptr;
    QHBoxLayout *hboxLayout1 = nullptr;
    QPushButton *pushButton_7 = nullptr;
    Thumbwheel *thumbwheel = nullptr;
    QPushButton *pushButton_2 = nullptr;
    QScrollBar *verticalScrollBar = nullptr;
    QVBoxLayout *vboxLayout1 = nullptr;
    QPushButton *btHour = nullptr;
    QPushButton *btDay = nullptr;
    QPushButton *btWeek = nullptr;
    QPushButton *btMonth = nullptr;
    QPushButton *btYear = nullptr;
    QSpacerItem *buttonColumnSpacer = nullptr;
    QSpacerItem *topSpacer = nullptr;
    QSpacerItem *bottomSpacer = nullptr;
    QSpacerItem *leftSpacer = nullptr;
    QSpacerItem *rightSpacer = nullptr;
    QMenuBar *menubar = nullptr;
    QStatusBar *statusbar = nullptr;

    // Builds the form on a main window that has no central widget, menu bar
    // or status bar yet, sets its texts and wires the controls to the time
    // axis. Call it once.
    void setupUi(QMainWindow *mainWindow);

    // Sets the user-visible texts (again) in the language in force now;
    // changes nothing else.
    void retranslateUi(QMainWindow *mainWindow);
};

#endif // UI_MAINWINDOW_H
