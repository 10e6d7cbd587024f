#include "benchplan.h"

#include "timeline.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace bench {

namespace {

constexpr int SweepScales = 64;
// The names of the zoom levels, from Timeline::zoomLevelScale(0) on.
const char *const PresetNames[] = {"hour", "day", "week", "month", "year"};
// The middle scale of a smoke run: the week preset.
constexpr int SmokeLevel = 2;

// The axis strip at the window's opening size, on a 4K screen at ratio 2
// and as wide as it gets at ratio 1, each at the common pixel ratios; a whole
// 4K screen and a wall of them.
const ViewSize Sizes[] = {
        {757, 84, 1, true, false},     {1875, 84, 1, true, false},   {3750, 84, 1, true, true},
        {757, 84, 1.5, true, false},   {1875, 84, 1.5, true, false}, {3750, 84, 1.5, true, true},
        {757, 84, 2, true, false},     {1875, 84, 2, true, false},   {3750, 84, 2, true, true},
        {3840, 2160, 1, false, false}, {12000, 84, 1, false, false},
};

} // namespace

QDateTime windowStart()
{
    return QDateTime(QDate(2026, 3, 25), QTime(10, 30));
}

std::vector<NamedScale> scalesToRun(const Options &options)
{
    std::vector<NamedScale> scales;
    if (!options.scales.isEmpty()) {
        for (quint32 scale : options.scales)
            scales.emplace_back(QStringLiteral("chosen"), scale);
        return scales;
    }
    if (options.smoke) {
        for (quint32 scale :
             {Timeline::MinScale, Timeline::zoomLevelScale(SmokeLevel), Timeline::MaxScale})
            scales.emplace_back(QStringLiteral("sweep"), scale);
        scales.emplace_back(QStringLiteral("start"), Timeline::StartScale);
        return scales;
    }
    const double low = std::log10(double(Timeline::MinScale));
    const double high = std::log10(double(Timeline::MaxScale));
    for (int i = 0; i < SweepScales; ++i) {
        const double exponent = low + (high - low) * i / (SweepScales - 1);
        scales.emplace_back(QStringLiteral("sweep"), quint32(std::lround(std::pow(10, exponent))));
    }
    for (int level = 0; level < int(std::size(PresetNames)); ++level)
        scales.emplace_back(QStringLiteral("preset ") + QLatin1String(PresetNames[level]),
                            Timeline::zoomLevelScale(level));
    scales.emplace_back(QStringLiteral("start"), Timeline::StartScale);
    return scales;
}

std::vector<ViewSize> sizesToRun(const Options &options)
{
    std::vector<ViewSize> sizes;
    const auto wanted = [&](const ViewSize &size) {
        return (options.sizes.isEmpty() || options.sizes.contains(QSize(size.width, size.height)))
               && (options.ratios.isEmpty() || options.ratios.contains(size.ratio));
    };
    std::copy_if(std::begin(Sizes), std::end(Sizes), std::back_inserter(sizes), wanted);
    for (const QSize &size : options.sizes) {
        for (const qreal ratio : options.ratios.isEmpty() ? QList<qreal>{1} : options.ratios) {
            const ViewSize other{size.width(), size.height(), ratio, false, false};
            const bool known = std::any_of(std::begin(Sizes), std::end(Sizes),
                                           [&](const ViewSize &v) { return v.sameView(other); });
            if (!known)
                sizes.push_back(other);
        }
    }
    return sizes;
}

} // namespace bench
