#ifndef TLZOOM_H
#define TLZOOM_H

#include <QtGlobal>

// The zoom's arithmetic: the range of scales (seconds per 100 pixels), the
// zoom percent that places a scale on it logarithmically (0 at the finest,
// 100 at the coarsest), the five preset levels, and what a turn of a mouse
// wheel or a touchpad's scroll makes of a scale.
class TLZoom
{
public:
    static constexpr quint32 MinScale = 100;
    static constexpr quint32 MaxScale = 20000000;
    static constexpr quint32 StartScale = 1728000; // 20 days per 100 pixels

    // The scale of a zoom level (0 hour .. 4 year); 0 for an unknown level.
    static quint32 levelScale(int level);
    // The scale that the zoom control's percent stands for; a percent
    // outside 0..100 is taken as the nearest end.
    static quint32 scaleForPercent(int percent);
    static float fraction(quint32 scale);
    static int percent(quint32 scale) { return int(fraction(scale) * 100); }

    // The scale after a mouse wheel turned by delta eighths of a degree: 15
    // percent in or out a notch, at most 25 percent in at once.
    static quint32 wheelScale(quint32 scale, int delta);
    // What a touchpad's vertical scroll by delta eighths of a degree
    // multiplies the scale by: as much as a wheel turned as far.
    static double touchpadFactor(int delta);
};

#endif // TLZOOM_H
