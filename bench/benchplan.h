#ifndef BENCHPLAN_H
#define BENCHPLAN_H

#include <QDateTime>
#include <QList>
#include <QSize>
#include <QString>

#include <utility>
#include <vector>

namespace bench {

// A view the frames are rendered at, and which of the strip budgets apply.
struct ViewSize
{
    int width;
    int height;
    qreal ratio; // device pixels per pixel
    bool frameBudget; // steady frame, zoom sweep and drag frame
    bool firstFrameBudget; // the first frame at a new scale

    bool sameView(const ViewSize &other) const
    {
        return width == other.width && height == other.height && ratio == other.ratio;
    }
};

// What a run covers, as the command line chose it.
struct Options
{
    bool smoke = false;
    int frames = 15;
    int passes = 3;
    // Empty: all of them.
    QList<QSize> sizes;
    QList<qreal> ratios;
    QList<quint32> scales;
    // The reference and the floor beside every case; the budgets need them.
    bool yardsticks = true;
};

// A scale and where it comes from ("sweep", "preset day", "start", "chosen").
using NamedScale = std::pair<QString, quint32>;

// The instant at the left edge of every view: a fixed local date-time, so
// that runs are repeatable.
QDateTime windowStart();
// The scales of one size: the logarithmic sweep, then the presets and the
// start scale. A smoke run takes the two ends, a middle one and the start.
std::vector<NamedScale> scalesToRun(const Options &options);
// The sizes of the standard table that the options pick, then any other size
// they name, at each ratio they name (1 when they name none).
std::vector<ViewSize> sizesToRun(const Options &options);

} // namespace bench

#endif // BENCHPLAN_H
