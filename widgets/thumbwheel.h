#ifndef THUMBWHEEL_H
#define THUMBWHEEL_H

#include "dragtracker.h"

#include <QWidget>

class QMouseEvent;
class QPaintEvent;
class QResizeEvent;
class QWheelEvent;

// The strip below the time axis. It has no value of its own: like the canvas
// it only reports drags and wheel turns, which the main window routes to the
// very slots of the Timeline that serve the canvas. Its only drawing is a
// rounded outline. Unlike the canvas it has no click signal.
class Thumbwheel : public QWidget
{
    Q_OBJECT

public:
    explicit Thumbwheel(QWidget *parent = nullptr);
    ~Thumbwheel() override;

    QSize sizeHint() const override;

    // Relative corner roundness (percent of half the side) that gives corners
    // of CornerSize pixels on a side of the given length; at least 1.
    static int roundness(int sideLength);

    static constexpr int CornerSize = 10;

signals:
    void thumbwheelWheelSignal(QWheelEvent *event);
    void thumbwheelMouseDragSignal(QPoint start, QPoint end);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The size hint and the outline follow the width of the last resize; the
    // height stays at its start value, so a taller strip shows the outline in
    // its top wheelHeight pixels only.
    int wheelWidth = 200;
    int wheelHeight = 25;
    DragTracker drag;
};

#endif // THUMBWHEEL_H
