#ifndef TLPICTURECACHE_H
#define TLPICTURECACHE_H

#include "tlrowstrip.h"
#include "tltiles.h"

#include <QFont>
#include <QImage>
#include <QtGlobal>

#include <array>
#include <optional>
#include <vector>

class QPainter;

// The pictures the segment keeps of what it has painted, and where they go:
// tiles anchored in time (TLTiles), the rows' bare backgrounds (TLRowStrip)
// and the outlines along the view's two sides. It paints nothing of the
// scale itself: the segment paints the pictures it lacks into the blank
// images this gives, and hands them back.
class TLPictureCache
{
public:
    // A divider's antialiasing and a label's overhang reach this far, in
    // pixels, beyond the instant they belong to.
    static constexpr qreal InkReach = 2;

    // The window painted: its start, scale and size, and the rows' heights.
    struct Frame
    {
        qint64 start = 0;
        quint32 secondsPer100Px = 1;
        quint32 width = 0;
        quint32 height = 0;
        std::vector<float> rowHeights;
    };

    // What the tiles show, and the instant they are anchored at: new content
    // drops every tile.
    struct Content
    {
        qint64 anchor = 0;
        quint32 scale = 0;
        quint32 height = 0;
        qreal ratio = 0;
        quint64 cells = 0;
        qint64 palette = 0;
        QFont font;

        bool operator==(const Content &other) const;
    };

    // Where the tiles of one paint lie. The anchor is the instant at x = 0
    // of tile column 0; viewLeft is where the view's left edge lies in the
    // anchor's device pixels, deviceLeft where it lies on the device. Tiles
    // are kept in two phases half a device pixel apart, and the view uses
    // the one nearer its own position.
    struct View
    {
        qreal ratio = 1;
        qint64 anchor = 0;
        qreal viewLeft = 0;
        int phase = 0;
        qreal deviceLeft = 0;
        // The columns of tiles over the part of the view the paint exposes.
        qint64 firstColumn = 0;
        qint64 lastColumn = 0;

        // Where a column of tiles begins, in pixels from the anchor.
        qreal tileLeft(qint64 column) const;
        // Where it lands on the device, in whole device pixels from the view.
        qreal deviceX(qint64 column) const;
    };

    // The outline of the rows' rectangles along one side of the view.
    struct Edge
    {
        TLTiles::Picture outline;
        qreal deviceLeft = 0;
    };

    TLPictureCache();
    ~TLPictureCache();

    // The tiles of frame on painter's device; nothing where the device does
    // not suit pictures (not the raster engine, rotated or sheared, or moved
    // by part of a device pixel vertically).
    std::optional<View> viewOf(const QPainter &painter, const Frame &frame) const;

    // Makes now (with the view's anchor) what the tiles show; true where
    // it is new: then every tile is dropped and new ones are anchored at
    // start.
    bool useContent(const Content &now, qint64 start);
    qint64 anchor() const { return content.anchor; }

    // The rows' backgrounds: whether those kept suit frame, and blank
    // pictures to paint them into: a narrow piece of the rows without ends
    // (filled with window), and the view's two sides (transparent).
    bool hasBackgrounds(const Frame &frame, qreal ratio, qint64 palette) const;
    QImage blankPiece(const Frame &frame, qreal ratio, const QColor &window) const;
    std::array<Edge, 2> blankEdges(const Frame &frame, qreal ratio) const;
    void keepBackgrounds(const QImage &piece, std::array<Edge, 2> edges, const Frame &frame,
                         qint64 palette);

    // Tiles: whether one is kept, a blank one (the bare rows) to paint a
    // tile into, and keeping it.
    bool hasTile(qint64 column, int phase);
    QImage blankTile(const View &view);
    void keepTile(qint64 column, int phase, QImage tile);

    // Paints the view from the tiles, all of which must be kept.
    void paintTiles(QPainter &painter, const View &view, const Frame &frame);
    // Fills device columns [left, right) with the bare rows.
    void fillBareRows(QPainter &painter, qreal left, qreal right) const;
    // Lays the outlines of the view's sides over what is painted.
    void paintEdges(QPainter &painter, qreal ratio) const;

    int tilesKept() const { return tiles.count(); }
    qint64 tileBytes() const { return tiles.bytes(); }

private:
    // Copies the picture's ink with the picture's left edge at deviceX.
    static void blit(QPainter &painter, const TLTiles::Picture &picture, qreal deviceX,
                     qreal ratio);

    TLTiles tiles;
    Content content;
    TLRowStrip rowStrip;
    // What the strip was painted for.
    std::vector<float> stripLayout;
    qint64 stripPalette = 0;
    quint32 stripWidth = 0;
    std::array<Edge, 2> edges;
};

#endif // TLPICTURECACHE_H
