#include "tlzoom.h"

#include <cmath>
#include <iterator>

namespace {

const double MinExponent = std::log10(double(TLZoom::MinScale));
const double MaxExponent = std::log10(double(TLZoom::MaxScale));

// One notch of a common mouse wheel is 15 degrees and zooms by 15 percent; a
// single turn of more than that zooms in by at most this much.
constexpr int MaxZoomInStep = 25;
constexpr int MaxDegreesPerStep = 15;
constexpr int DeltaPerDegree = 8;
constexpr int DeltaPerNotch = 120;
constexpr double ZoomPerNotch = 0.15;

// Hour, day, week, month and year: the scales of the five zoom buttons.
constexpr quint32 LevelScales[] = {1340, 4100, 56000, 840000, 3700000};

} // namespace

quint32 TLZoom::levelScale(int level)
{
    return level >= 0 && level < int(std::size(LevelScales)) ? LevelScales[level] : 0;
}

quint32 TLZoom::scaleForPercent(int percent)
{
    percent = qBound(0, percent, 100);
    const auto exponent = float(MinExponent + (percent / 100.0) * (MaxExponent - MinExponent));
    return quint32(qint64(std::pow(10.0, double(exponent))));
}

float TLZoom::fraction(quint32 scale)
{
    const double exponent = std::log10(double(scale));
    return float((exponent - MinExponent) / (MaxExponent - MinExponent));
}

quint32 TLZoom::wheelScale(quint32 scale, int delta)
{
    const int degrees = delta / DeltaPerDegree;
    const int step = degrees > MaxDegreesPerStep ? MaxZoomInStep : degrees;
    const double candidate = scale * (1 - step / 100.0);
    if (candidate < MinScale)
        return MinScale;
    const auto single = float(candidate);
    return single > float(MaxScale) ? MaxScale : quint32(single);
}

double TLZoom::touchpadFactor(int delta)
{
    const double notches = double(delta) / DeltaPerNotch;
    return notches > 0 ? std::pow(1 - ZoomPerNotch, notches) : std::pow(1 + ZoomPerNotch, -notches);
}
