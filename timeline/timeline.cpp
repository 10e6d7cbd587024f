#include "timeline.h"

#include "tlcanvas.h"
#include "tllocaltime.h"
#include "tlpixelmap.h"
#include "tlzoom.h"

#include <QAction>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QMutexLocker>
#include <QResizeEvent>
#include <QTimeZone>
#include <QtNumeric>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// The wheel's rotation in eighths of a degree: the component that turned most,
// the vertical one on a tie.
int wheelDelta(const QWheelEvent *event)
{
    const QPoint angle = event->angleDelta();
    return std::abs(qint64(angle.x())) > std::abs(qint64(angle.y())) ? angle.x() : angle.y();
}

// Scrolling on a touchpad: its device says so, or its phases or pixel
// deltas, which mouse wheels do not have.
bool isTouchpad(const QWheelEvent *event)
{
    return event->phase() != Qt::NoScrollPhase || !event->pixelDelta().isNull()
           || (event->device() && event->device()->type() == QInputDevice::DeviceType::TouchPad);
}

// The current time to the second: the window moves by whole seconds, so its
// cells keep whole-second offsets.
QDateTime now()
{
    return QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), QTimeZone::utc());
}

} // namespace

Timeline::Timeline(QWidget *parent)
    : QWidget(parent)
{
    canvas = new TLCanvas(this);
    windowStart = now();

    auto *layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(canvas);
    setLayout(layout);

    connect(canvas, &TLCanvas::canvasRepaintSignal, this, &Timeline::canvasRepaintSlot);
    connect(canvas, &TLCanvas::canvasWheelSignal, this, &Timeline::canvasWheelSlot);
    connect(canvas, &TLCanvas::canvasMouseClickSignal, this, &Timeline::canvasClickedSlot);
    connect(canvas, &TLCanvas::canvasMouseDragSignal, this, &Timeline::canvasDraggedSlot);
    canvas->installEventFilter(this);
}

Timeline::~Timeline() = default;

QSize Timeline::sizeHint() const
{
    return QSize(500, 60);
}

void Timeline::resizeEvent(QResizeEvent *event)
{
    viewWidth = event->size().width();
    viewHeight = event->size().height();
    // The toolkit repaints a resized widget by itself.
    emit windowChangedSignal();
}

quint32 Timeline::currentSecondsPer100Px() const
{
    QMutexLocker locker(&scaleMutex);
    return secondsPer100Px;
}

void Timeline::setWindowStart(const QDateTime &start)
{
    if (!start.isValid())
        return;
    windowStart = start.toUTC();
    windowChanged();
}

void Timeline::moveWindowStart(qint64 seconds)
{
    // Near the end of the range of representable date-times the view stops at
    // the last instant it can show instead of turning invalid.
    qint64 msecs = 0;
    if (qMulOverflow(seconds, qint64(1000), &msecs))
        msecs = seconds < 0 ? std::numeric_limits<qint64>::min()
                            : std::numeric_limits<qint64>::max();
    windowStart = QDateTime::fromMSecsSinceEpoch(
            TLLocalTime::moved(windowStart.toMSecsSinceEpoch(), msecs), QTimeZone::utc());
}

void Timeline::moveWindowBy(qint64 seconds)
{
    // A move later stops where the view's right edge reaches the last
    // instant; a view that already reaches past it (zoomed out there) is
    // not pulled back.
    const qint64 start = windowStart.toMSecsSinceEpoch();
    moveWindowStart(seconds);
    if (seconds > 0) {
        const qint64 latest =
                TLLocalTime::moved(TLLocalTime::lastInstant(), -visibleSeconds() * 1000);
        if (windowStart.toMSecsSinceEpoch() > qMax(start, latest))
            windowStart = QDateTime::fromMSecsSinceEpoch(qMax(start, latest), QTimeZone::utc());
    }
    windowChanged();
}

void Timeline::windowChanged()
{
    canvas->update();
    emit windowChangedSignal();
}

qint64 Timeline::visibleSeconds() const
{
    return TLPixelMap::spanSeconds(quint32(qMax(viewWidth, 0)), currentSecondsPer100Px());
}

QDateTime Timeline::currentWindowEnd() const
{
    return TLSegment::windowEndFor(windowStart, quint32(qMax(viewWidth, 0)),
                                   currentSecondsPer100Px());
}

void Timeline::zoomTo(int newScale)
{
    // The instant at the middle of the view stays where it is: zooming in
    // moves the left edge later, zooming out moves it earlier.
    zoomAbout(newScale, int(viewWidth * 0.5));
}

void Timeline::zoomAbout(int newScale, int x)
{
    quint32 oldScale;
    {
        QMutexLocker locker(&scaleMutex);
        oldScale = secondsPer100Px;
        secondsPer100Px = quint32(newScale);
    }
    const auto difference = qint64(oldScale) - qint64(quint32(newScale));
    moveWindowStart(TLPixelMap::zoomShiftSeconds(difference, x));
    windowChanged();
}

void Timeline::zoomByFactor(double factor, int x)
{
    // Gestures come in small steps: they work on the scale unrounded, so
    // that many small ones add up to one large one.
    if (quint32(preciseScale) != currentSecondsPer100Px())
        preciseScale = currentSecondsPer100Px();
    preciseScale =
            qBound(double(TLZoom::MinScale), preciseScale * factor, double(TLZoom::MaxScale));
    zoomAbout(int(preciseScale), x);
    emit zoomChangedSignal(zoomPercent());
}

void Timeline::scrollByTouchpad(const QWheelEvent *event)
{
    // Sideways the content follows the fingers, as in a drag.
    const QPoint pixels = event->pixelDelta();
    const int dx = pixels.x() != 0 ? pixels.x() : event->angleDelta().x();
    if (dx != 0)
        canvasDraggedSlot(QPoint(0, 0), QPoint(dx, 0));
    // Up and down zooms about the middle, as far as the same turn of a wheel.
    if (event->angleDelta().y() != 0)
        zoomByFactor(TLZoom::touchpadFactor(event->angleDelta().y()), int(viewWidth * 0.5));
}

bool Timeline::eventFilter(QObject *watched, QEvent *event)
{
    // A pinch on a touchpad zooms about the point between the fingers.
    if (watched == canvas && event->type() == QEvent::NativeGesture) {
        const auto *gesture = static_cast<QNativeGestureEvent *>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture && gesture->value() > -1) {
            zoomByFactor(1 / (1 + gesture->value()), int(gesture->position().x()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

float Timeline::zoomFraction() const
{
    return TLZoom::fraction(currentSecondsPer100Px());
}

int Timeline::zoomPercent() const
{
    return TLZoom::percent(currentSecondsPer100Px());
}

void Timeline::changeZoomSlot(int percent)
{
    zoomTo(int(TLZoom::scaleForPercent(percent)));
}

void Timeline::canvasWheelSlot(QWheelEvent *event)
{
    if (isTouchpad(event))
        scrollByTouchpad(event);
    else
        zoomByWheel(wheelDelta(event));
}

void Timeline::zoomByWheel(int delta)
{
    zoomTo(int(TLZoom::wheelScale(currentSecondsPer100Px(), delta)));
    emit zoomChangedSignal(zoomPercent());
}

void Timeline::setZoomLevelSlot()
{
    // The button that was clicked carries its zoom level as the data of its
    // first action. Anything else (no sender, no widget, no action, an unknown
    // level) changes nothing; the percent is reported all the same.
    const auto *button = qobject_cast<const QWidget *>(sender());
    const bool hasLevel = button && !button->actions().isEmpty();
    zoomToLevel(hasLevel ? button->actions().first()->data().toInt() : -1);
}

void Timeline::zoomToLevel(int level)
{
    const quint32 scale = TLZoom::levelScale(level);
    if (scale != 0)
        zoomTo(int(scale));
    emit zoomChangedSignal(zoomPercent());
}

void Timeline::pageEarlierSlot()
{
    moveWindowBy(-visibleSeconds() / 2);
}

void Timeline::pageLaterSlot()
{
    moveWindowBy(visibleSeconds() / 2);
}

void Timeline::stepEarlierSlot()
{
    moveWindowBy(-visibleSeconds() / 10);
}

void Timeline::stepLaterSlot()
{
    moveWindowBy(visibleSeconds() / 10);
}

void Timeline::zoomInSlot()
{
    zoomByWheel(QWheelEvent::DefaultDeltasPerStep);
}

void Timeline::zoomOutSlot()
{
    zoomByWheel(-QWheelEvent::DefaultDeltasPerStep);
}

void Timeline::goToNowSlot()
{
    // Now is far from the end of time, whatever the view's span.
    setWindowStart(now());
}

void Timeline::canvasDraggedSlot(QPoint start, QPoint end)
{
    // Moving the pointer right moves the window earlier, so the painted scale
    // follows the pointer. Only the horizontal movement counts.
    const qint64 dx = qint64(start.x()) - end.x();
    moveWindowBy(TLPixelMap::dragSeconds(dx, currentSecondsPer100Px()));
}

void Timeline::canvasRepaintSlot(QWidget *target)
{
    segment.setWindowStart(windowStart);
    segment.setSecondsPer100Px(currentSecondsPer100Px());
    segment.setViewWidth(quint32(qMax(viewWidth, 0)));
    segment.setViewHeight(quint32(qMax(viewHeight, 0)));
    const quint64 calendars = segment.calendarsMade();
    segment.paint(target);
    // The rows took up a new time zone or locale: so do the view's words.
    if (segment.calendarsMade() != calendars)
        emit windowChangedSignal();
}

void Timeline::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LocaleChange)
        canvas->update();
    QWidget::changeEvent(event);
}

void Timeline::canvasClickedSlot(QMouseEvent *event)
{
    std::printf("clicked at xPos: %d\n", event->position().toPoint().x());
    // Flushed at once, so a program reading the output sees every click when
    // it happens.
    std::fflush(stdout);
}
