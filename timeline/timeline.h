#ifndef TIMELINE_H
#define TIMELINE_H

#include "tlsegment.h"
#include "tlzoom.h"

#include <QDateTime>
#include <QMutex>
#include <QPoint>
#include <QWidget>

class QMouseEvent;
class QResizeEvent;
class QWheelEvent;
class TLCanvas;

// The time axis: owns the visible window (the instant at the left edge and
// the scale, in seconds per 100 pixels) and turns the user's gestures into
// changes of both. Its TLCanvas reports the gestures; its TLSegment paints the
// rows for the current window onto the canvas.
//
// The zoom percent places a scale on the range MinScale..MaxScale
// logarithmically, 0 at the finest and 100 at the coarsest; it is what
// zoomChangedSignal reports and changeZoomSlot takes. windowChangedSignal
// follows every change of what the view shows: its start, scale or width,
// and a new time zone or locale.
//
// A mouse wheel zooms by notches. A touchpad's scroll zooms up and down and
// moves through time sideways, and its pinch (a native gesture on the
// canvas, seen through an event filter) zooms about the fingers. A move
// later stops where the view's right edge reaches the last instant.
class Timeline : public QWidget
{
    Q_OBJECT

public:
    static constexpr quint32 MinScale = TLZoom::MinScale;
    static constexpr quint32 MaxScale = TLZoom::MaxScale;
    static constexpr quint32 StartScale = TLZoom::StartScale;

    explicit Timeline(QWidget *parent = nullptr);
    ~Timeline() override;

    QSize sizeHint() const override;

    quint32 currentSecondsPer100Px() const;
    // The instants at the left and the right edge (the start plus the
    // visible span), in local time.
    QDateTime currentWindowStart() const { return windowStart.toLocalTime(); }
    QDateTime currentWindowEnd() const;
    void setWindowStart(const QDateTime &start);
    TLCanvas *drawingCanvas() const { return canvas; }
    const TLSegment &timeSegment() const { return segment; }
    // Sets the scale, keeping the instant at the middle of the view, or x
    // pixels from its left edge, in place.
    void zoomTo(int newScale);
    void zoomAbout(int newScale, int x);
    float zoomFraction() const;
    int zoomPercent() const;
    // Zooms as a wheel turned by delta eighths of a degree over the axis.
    void zoomByWheel(int delta);
    // Sets the scale of a zoom level as its button does and reports the
    // percent; an unknown level leaves the scale alone.
    void zoomToLevel(int level);

    // The scale of a zoom level (0 hour .. 4 year); 0 for an unknown level.
    static quint32 zoomLevelScale(int level) { return TLZoom::levelScale(level); }

signals:
    void zoomChangedSignal(int percent);
    void windowChangedSignal();

public slots:
    void canvasRepaintSlot(QWidget *target);
    void canvasWheelSlot(QWheelEvent *event);
    void canvasClickedSlot(QMouseEvent *event);
    void canvasDraggedSlot(QPoint start, QPoint end);
    void changeZoomSlot(int percent);
    void setZoomLevelSlot();
    // Half the visible span earlier or later, and a tenth of it; the scale
    // stays.
    void pageEarlierSlot();
    void pageLaterSlot();
    void stepEarlierSlot();
    void stepLaterSlot();
    // One wheel notch in or out.
    void zoomInSlot();
    void zoomOutSlot();
    // The left edge back at the current time.
    void goToNowSlot();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Zooms by factor about x, and reports the percent.
    void zoomByFactor(double factor, int x);
    void scrollByTouchpad(const QWheelEvent *event);
    void moveWindowStart(qint64 seconds);
    void moveWindowBy(qint64 seconds);
    void windowChanged();
    // The visible span in whole seconds.
    qint64 visibleSeconds() const;

    int viewWidth = 500;
    int viewHeight = 0;
    mutable QMutex scaleMutex;
    TLCanvas *canvas = nullptr;
    TLSegment segment;
    // An instant (kept in UTC), so that a change of the time zone moves no
    // part of the view in time.
    QDateTime windowStart;
    quint32 secondsPer100Px = StartScale;
    // The scale that touchpad gestures work on, before it is truncated.
    double preciseScale = StartScale;
};

#endif // TIMELINE_H
