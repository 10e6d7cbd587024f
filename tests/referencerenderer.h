#ifndef REFERENCERENDERER_H
#define REFERENCERENDERER_H

#include <QDateTime>
#include <QMetaObject>
#include <QtGlobal>

class QWidget;
class Timeline;

// A yardstick for the painting of the time scale, shared by the rendering
// test and the benchmark. It paints the same rows as TLSegment the plainest
// way there is: the five row backgrounds as outlined rectangles with one
// painter, then every cell with a painter, a clip, a font and a laid-out label
// of its own, whatever the cell's width or position. In BackgroundsOnly mode
// it paints the backgrounds alone as TLSegment paints them, which is the
// least any frame of the scale can cost.
//
// The row layout and the window's end are taken from TLSegment and the
// labels from TLCalendar; the cells come the straightforward way, each
// boundary the local midnight (or hour) one unit after the one before, which
// agrees with TLCalendar wherever the zone does nothing unusual at midnight.
class ReferenceRenderer
{
public:
    enum class Mode { AllCells, BackgroundsOnly };

    explicit ReferenceRenderer(Mode mode = Mode::AllCells);
    ~ReferenceRenderer();

    // Paints timeline's canvas in the timeline's place until detach() (or
    // destruction) hands the canvas back. One timeline at a time.
    void attach(Timeline *timeline);
    void detach();

    // Cells drawn by the last paint.
    qint64 cellsDrawn() const { return cellCount; }

private:
    Q_DISABLE_COPY(ReferenceRenderer)

    void paint(QWidget *target, const QDateTime &windowStart, quint32 secondsPer100Px,
               quint32 viewWidth, quint32 viewHeight);

    Mode mode;
    Timeline *attached = nullptr;
    QMetaObject::Connection connection;
    qint64 cellCount = 0;
};

#endif // REFERENCERENDERER_H
