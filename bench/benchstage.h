#ifndef BENCHSTAGE_H
#define BENCHSTAGE_H

#include "benchplan.h"
#include "timeline.h"

#include <QImage>

#include <vector>

class ReferenceRenderer;

// One Timeline of a given view size, rendered offscreen into an image by the
// product or, while one is attached, by a reference renderer.
class BenchStage
{
public:
    // Pixels the view moves per frame of a drag.
    static constexpr int DragStep = 3;

    explicit BenchStage(const bench::ViewSize &size);

    // The scale, with the window start put back at bench::windowStart().
    void setScale(quint32 scale);
    // Renders the given number of frames after one that is not counted (it
    // fills whatever the painting caches; its time goes to first) and adds
    // the milliseconds of each to times, and the processor time of each to
    // cpu: unlike the time on the clock that does not grow when other
    // programs share the processors. A renderer paints in the product's
    // place.
    void measure(ReferenceRenderer *renderer, int frames, std::vector<double> *times,
                 double *first = nullptr, std::vector<double> *cpu = nullptr);
    // Adds the milliseconds of each of the given number of frames while the
    // view is dragged to the left by DragStep pixels per frame; the window
    // start is put back afterwards.
    void measureDrag(int frames, std::vector<double> *times);
    void renderFrames(qint64 frames);
    const TLSegment &segment() const { return timeline.timeSegment(); }

private:
    Timeline timeline;
    QImage image;
};

#endif // BENCHSTAGE_H
