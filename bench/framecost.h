#ifndef FRAMECOST_H
#define FRAMECOST_H

#include "benchplan.h"

#include <QString>

#include <vector>

namespace bench {

// The frame cost of one view at one scale; times are medians in ms.
struct Case
{
    QString name;
    ViewSize view{};
    quint32 scale = 0;
    qint64 cells = 0;
    qint64 referenceCells = 0;
    double ms = 0;
    double referenceMs = 0;
    double floorMs = 0;
    // The product's first frame at this scale, right after the one before:
    // what a zoom step costs, before anything of the new scale is known.
    double firstMs = 0;
    // The product's frame while the view is dragged by a few pixels a frame.
    double dragMs = 0;
    // The product's processor time per frame (of the frames of ms).
    double cpuMs = 0;
};

// The cases of one view size, one a scale, all of the same view.
using SizeCases = std::vector<Case>;

// Renders the real Timeline at every scale of the options at one view size,
// and beside it, unless the options leave them out, the two yardsticks: the
// reference (every cell drawn with its own painter, font and laid-out label)
// and the floor (the five row backgrounds alone). Prints each case.
SizeCases measureFrameCost(const ViewSize &size, const Options &options);

} // namespace bench

#endif // FRAMECOST_H
