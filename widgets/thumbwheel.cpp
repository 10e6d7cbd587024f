#include "thumbwheel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

// None of the handlers calls the QWidget base: the events stop here.

Thumbwheel::Thumbwheel(QWidget *parent)
    : QWidget(parent)
{
}

Thumbwheel::~Thumbwheel() = default;

QSize Thumbwheel::sizeHint() const
{
    return QSize(wheelWidth, wheelHeight);
}

int Thumbwheel::roundness(int sideLength)
{
    // A side of 0 or less would divide by zero (or yield a negative radius);
    // such a strip gets the smallest roundness, as a very long one does.
    if (sideLength <= 0)
        return 1;
    const int percent = int(double(CornerSize) / sideLength * 100);
    // Relative roundness stops at 99: the corners of a tiny strip meet.
    return qBound(1, percent, 99);
}

void Thumbwheel::resizeEvent(QResizeEvent *event)
{
    wheelWidth = event->size().width();
}

void Thumbwheel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawRoundedRect(QRectF(0, 0, wheelWidth, wheelHeight), roundness(wheelWidth),
                            roundness(wheelHeight), Qt::RelativeSize);
}

void Thumbwheel::wheelEvent(QWheelEvent *event)
{
    emit thumbwheelWheelSignal(event);
}

void Thumbwheel::mousePressEvent(QMouseEvent *event)
{
    drag.press(event->position().toPoint());
}

void Thumbwheel::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    QPoint start;
    if (drag.move(pos, &start))
        emit thumbwheelMouseDragSignal(start, pos);
}

void Thumbwheel::mouseReleaseEvent(QMouseEvent *)
{
    drag.release();
}
