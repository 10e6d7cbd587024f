#ifndef TIMELINEAPP_H
#define TIMELINEAPP_H

#include "ui_mainwindow.h"

#include <QMainWindow>

class QKeySequence;
class QLabel;

// The main window: the time axis with its thumbwheel, the zoom scroll bar and
// the five zoom buttons. Each zoom button carries its zoom level (0 hour ..
// 4 year) as the data of its one action, which the Timeline reads when the
// button is clicked. The window's own actions give the keyboard the moves and
// zooms of the mouse, and its status bar names the time in view.
class TimelineApp : public QMainWindow
{
    Q_OBJECT

public:
    explicit TimelineApp(QWidget *parent = nullptr);
    ~TimelineApp() override;

    const Ui_MainWindow &form() const { return ui; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QAction *addKeyAction(const QList<QKeySequence> &keys);
    void addKeyActions();
    void addToolTips();
    void keepTimeLeftToRight();
    void showView();

    Ui_MainWindow ui;
    QLabel *viewLabel = nullptr;
};

#endif // TIMELINEAPP_H
