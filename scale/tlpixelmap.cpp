#include "tlpixelmap.h"

#include <limits>

namespace {

constexpr double MSecsPerSecond = 1000.0;

} // namespace

qint64 TLPixelMap::spanSeconds(quint32 width, quint32 secondsPer100Px)
{
    // In 64 bits: a wide view at a coarse scale spans more than an int holds.
    return qint64(double(width) / PixelsPerScaleUnit * double(secondsPer100Px));
}

qint64 TLPixelMap::dragSeconds(qint64 dx, quint32 secondsPer100Px)
{
    return qint64(double(dx) / PixelsPerScaleUnit * double(secondsPer100Px));
}

qint64 TLPixelMap::zoomShiftSeconds(qint64 difference, int x)
{
    return qint64(double(difference) / PixelsPerScaleUnit * x);
}

float TLPixelMap::xOf(qint64 seconds, quint32 secondsPer100Px)
{
    return float(pixelsOf(seconds, secondsPer100Px));
}

double TLPixelMap::pixelsOf(qint64 seconds, quint32 secondsPer100Px)
{
    return double(seconds) / double(secondsPer100Px) * PixelsPerScaleUnit;
}

qint64 TLPixelMap::instantAt(qint64 origin, double x, quint32 secondsPer100Px)
{
    const double msecs =
            double(origin) + x * double(secondsPer100Px) * (MSecsPerSecond / PixelsPerScaleUnit);
    constexpr auto Max = double(std::numeric_limits<qint64>::max());
    return msecs >= Max    ? std::numeric_limits<qint64>::max()
           : msecs <= -Max ? std::numeric_limits<qint64>::min()
                           : qint64(msecs);
}
