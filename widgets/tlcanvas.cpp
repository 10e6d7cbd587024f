#include "tlcanvas.h"

#include <QMouseEvent>
#include <QWheelEvent>

// None of the handlers calls the QWidget base: the events stop here and are
// not passed on to the parent widget.

TLCanvas::TLCanvas(QWidget *parent)
    : QWidget(parent)
{
}

TLCanvas::~TLCanvas() = default;

void TLCanvas::mousePressEvent(QMouseEvent *event)
{
    drag.press(event->position().toPoint());
}

void TLCanvas::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    QPoint start;
    if (drag.move(pos, &start))
        emit canvasMouseDragSignal(start, pos);
}

void TLCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (!drag.release())
        emit canvasMouseClickSignal(event);
}

void TLCanvas::wheelEvent(QWheelEvent *event)
{
    emit canvasWheelSignal(event);
}

void TLCanvas::paintEvent(QPaintEvent *)
{
    emit canvasRepaintSignal(this);
}
