#ifndef TLDIVIDERSTAMPS_H
#define TLDIVIDERSTAMPS_H

#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QRectF>

#include <cstdint>

// What an antialiased pen paints for a vertical divider across one row of the
// scale, as premultiplied images ("stamps"), one for each position within a
// pixel that the line stroker tells apart (it places lines in 1/64 pixel).
//
// The stroker itself makes them: it strokes the same dividers once onto
// transparent pixels, so painting a stamp over a row is, pixel for pixel,
// what stroking that divider there paints. That holds under translations by
// whole pixels into non-negative coordinates, where the stroker's arithmetic
// moves along exactly.
class TLDividerStamps
{
public:
    static constexpr int Phases = 64;

    struct Stamp
    {
        // Null when the divider paints nothing.
        QImage image;
        // Where the image's top left goes: the column relative to the
        // divider's pixel column, and the row in the painter's coordinates.
        QPoint offset;
    };

    // The position of a divider at x (in the painter's coordinates, under a
    // translation by dx whole pixels) as the stroker takes it: the pixel
    // column and the phase within it.
    static int column(qreal x, int dx) { return (int((x + dx) * Phases) >> 6) - dx; }
    static int phase(qreal x, int dx) { return int((x + dx) * Phases) & (Phases - 1); }

    // Starts over for dividers from top to top + height, clipped to clip
    // (whose pixels are clipPixels), stroked with pen: the stamps made so far
    // are forgotten.
    void setRow(float top, float height, const QRectF &clip, const QRect &clipPixels,
                const QPen &pen);
    bool isFor(float top, float height, const QRectF &clip, const QRect &clipPixels,
               const QPen &pen) const;
    // Makes the stamps of the phases set in wanted (bit i for phase i) that
    // are not made yet, all with one painter.
    void make(quint64 wanted);
    // The stamp of one phase; make() it first.
    const Stamp &stamp(int phase) const { return stamps[phase & (Phases - 1)]; }

private:
    float rowTop = 0;
    float rowHeight = 0;
    QRectF rowClip;
    QRect rowPixels;
    QPen rowPen;
    quint64 made = 0;
    Stamp stamps[Phases];
};

#endif // TLDIVIDERSTAMPS_H
