#ifndef TLCANVAS_H
#define TLCANVAS_H

#include "dragtracker.h"

#include <QPoint>
#include <QWidget>

class QMouseEvent;
class QPaintEvent;
class QWheelEvent;

// The surface the time scale is painted on. It draws nothing itself and does
// no time arithmetic: paint, wheel and mouse events leave it as signals, and
// whoever listens (the Timeline) does the work. canvasRepaintSignal is emitted
// from inside the paint event, so a receiver connected directly may open a
// painter on the canvas.
class TLCanvas : public QWidget
{
    Q_OBJECT

public:
    explicit TLCanvas(QWidget *parent = nullptr);
    ~TLCanvas() override;

signals:
    void canvasRepaintSignal(QWidget *emitter);
    void canvasWheelSignal(QWheelEvent *event);
    // A press and release without a drag in between; carries the release.
    void canvasMouseClickSignal(QMouseEvent *event);
    // One step of a drag: from the previous step's end to the current position.
    void canvasMouseDragSignal(QPoint start, QPoint end);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    DragTracker drag;
};

#endif // TLCANVAS_H
