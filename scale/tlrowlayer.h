#ifndef TLROWLAYER_H
#define TLROWLAYER_H

#include <QImage>
#include <QPoint>
#include <QRect>

#include <vector>

class QPainter;

// Premultiplied images ("stamps") gathered for one row of the scale and
// painted onto it together: they are blended into a small transparent tile in
// memory, and each tile is painted with one call instead of one call per
// stamp, which cost more than the few pixels most stamps have.
//
// Stamps are blended in the order they are added, each over those before it
// the way the raster engine blends them, and a tile is painted as soon as a
// stamp does not fit into it, so stamps added in the order of their columns
// share tiles. A stamp that overlaps no other comes out exactly as if it had
// been painted on its own: painting the tile blends each of its pixels as
// painting the stamp would. Where stamps of one tile overlap, the result may
// round a level apart from painting them one by one.
class TLRowLayer
{
public:
    // Columns of one tile, and the highest row a tile takes: the tile never
    // needs more than TileWidth * MaxHeight * 4 bytes.
    static constexpr int TileWidth = 512;
    static constexpr int MaxHeight = 128;
    // Transparent pixels a tile may paint between two stamps before the
    // second starts a tile of its own.
    static constexpr int MaxGapPixels = 2048;

    // Starts on the given pixels of a row (in the painter's logical
    // coordinates), painting with target, which must be moved by whole
    // pixels only; false for a row higher than MaxHeight, which the layer
    // leaves alone.
    bool begin(QPainter *target, const QRect &pixels);
    // Blends a stamp whose top left pixel goes to topLeft; pixels outside the
    // row, or outside within when it is given, are left out.
    void add(const QImage &stamp, const QPoint &topLeft, const QRect &within = QRect());
    // Paints what is still in the tile.
    void flush();

    // The smallest rectangle within area that holds every pixel of image
    // that is not fully transparent; empty when there is none.
    static QRect inkBounds(const QImage &image, const QRect &area);

private:
    void blend(const QImage &stamp, const QPoint &topLeft, const QRect &pixels);

    QPainter *painter = nullptr;
    QRect row;
    // The columns the tile stands for now (none while tileWidth is 0), and
    // the pixels stamps reached, right and bottom exclusive (none while
    // usedRight <= usedLeft).
    int tileLeft = 0;
    int tileWidth = 0;
    int usedLeft = 0;
    int usedRight = 0;
    int usedTop = 0;
    int usedBottom = 0;
    // Transparent outside the used pixels; written through tileBits, which stays valid
    // as long as the tile is not copied.
    QImage tile;
    uchar *tileBits = nullptr;
    qsizetype tileStride = 0;
};

#endif // TLROWLAYER_H
