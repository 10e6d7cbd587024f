#ifndef TLPIXELMAP_H
#define TLPIXELMAP_H

#include <QtGlobal>

// Pixels and time along the axis. The scale is seconds per 100 pixels, so
// an offset of s seconds lies s / scale * 100 pixels from the window's start.
// Each conversion keeps the arithmetic of its own use: they are not
// interchangeable to the last bit, and the rounding is part of what each
// one means.
class TLPixelMap
{
public:
    static constexpr double PixelsPerScaleUnit = 100.0;

    // The whole seconds a view width pixels wide spans: the window's end.
    static qint64 spanSeconds(quint32 width, quint32 secondsPer100Px);
    // The whole seconds, toward zero, that the view moves when the pointer
    // is dragged dx pixels (positive dx: earlier).
    static qint64 dragSeconds(qint64 dx, quint32 secondsPer100Px);
    // The whole seconds, toward zero, that the left edge moves when the
    // scale changes by difference (old less new) about x pixels from it.
    static qint64 zoomShiftSeconds(qint64 difference, int x);
    // Where an offset in seconds lies, in pixels, as a cell places its edges.
    static float xOf(qint64 seconds, quint32 secondsPer100Px);
    // The same in double precision, for whole pictures.
    static double pixelsOf(qint64 seconds, quint32 secondsPer100Px);
    // The instant (milliseconds) x pixels right of origin, saturated to 64 bits.
    static qint64 instantAt(qint64 origin, double x, quint32 secondsPer100Px);
};

#endif // TLPIXELMAP_H
