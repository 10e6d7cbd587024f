#ifndef TLTILES_H
#define TLTILES_H

#include <QImage>
#include <QRect>
#include <QtGlobal>

#include <vector>

// Pictures of the time scale, each TileWidth device pixels wide and as high
// as the view, anchored to an instant: tile k of phase p shows what lies
// k * TileWidth + p / Phases device pixels right of the anchor at the
// current scale. Whatever moves the view by whole seconds leaves them valid,
// so a still view is painted by copying them and a dragged one by painting
// only the tiles that come into view. The phases let a view that moves by
// fractions of a device pixel (at a ratio of 1.5, a pixel is 1.5 device
// pixels) land within a quarter of a pixel of its true place.
//
// A tile also knows where it shows more than the rows' bare backgrounds: only
// that needs copying.
//
// At most twice as many tiles as a view shows, and a few more, are kept;
// the least recently used go first, and their memory serves new tiles.
class TLTiles
{
public:
    static constexpr int TileWidth = 512;
    static constexpr int Phases = 2;
    static constexpr int SpareTiles = 4;

    struct Picture
    {
        QImage image;
        // Device pixels that differ from the bare backgrounds; the whole
        // tile when they are most of it.
        std::vector<QRect> ink;

        bool isWhole() const { return ink.size() == 1 && ink.front() == image.rect(); }
    };

    // The tile, or nullptr when it is not kept.
    const Picture *find(qint64 column, int phase);
    // Keeps the tile and returns it; valid until the next keep.
    const Picture &keep(qint64 column, int phase, Picture picture);
    // Drops tiles beyond twice the given number, least recently used first.
    void limitTo(int visibleTiles);
    void clear();
    // An image for a new tile: one of a dropped tile when there is one of
    // the size, so that a zoom step paints into memory already in use.
    QImage blank(const QSize &size, qreal ratio);

    int count() const { return int(tiles.size()); }
    qint64 bytes() const;

private:
    struct Tile
    {
        qint64 column;
        int phase;
        Picture picture;
        quint64 lastUse;
    };
    void drop(std::vector<Tile>::iterator from);

    std::vector<Tile> tiles;
    std::vector<QImage> spares;
    size_t capacity = SpareTiles;
    quint64 uses = 0;
};

#endif // TLTILES_H
