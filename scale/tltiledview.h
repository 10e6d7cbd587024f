#ifndef TLTILEDVIEW_H
#define TLTILEDVIEW_H

#include "tlrowstrip.h"
#include "tltiles.h"

#include <QFont>
#include <QImage>
#include <QtGlobal>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QWidget;
class TLTileSurface;

// Paints one view of the time scale from pictures it keeps: tiles anchored
// in time (TLTiles), which a still or dragged view copies, and pictures of
// the rows' backgrounds and of the view's two edges. The first paint of new
// content (every zoom step) is painted as it stands; tiles are made when the
// same content is painted again. What is drawn comes from the scale itself.
class TLTiledView
{
public:
    static constexpr int RowCount = 5;
    // A divider's antialiasing and a label's overhang reach this far, in
    // pixels, beyond the instant they belong to.
    static constexpr qreal InkReach = 2;

    // The instant x pixels right of origin at the scale, saturated to 64 bits.
    static qint64 instantAt(qint64 origin, qreal x, quint32 secondsPer100Px);

    // What the pictures are of: the scale, painting itself.
    class Scale
    {
    public:
        virtual ~Scale();
        // Makes the cells of [from, to] known; their version changes when
        // earlier ones were forgotten.
        virtual void coverCells(qint64 from, qint64 to) = 0;
        virtual quint64 cellsVersion() const = 0;
        // The rows' rectangles from left to right, outlined; filled with
        // the rows' colours unless not filled.
        virtual void paintBackgrounds(QPainter &painter, qreal left, qreal right, bool filled) = 0;
        // The cells over [left, right) with x = 0 at origin; only the
        // window's own with windowOnly.
        virtual void paintCells(QPainter &painter, qint64 origin, qreal left, qreal right,
                                bool windowOnly) = 0;
    };

    // The window painted: its start, scale and size, and the row heights.
    struct Frame
    {
        qint64 start;
        quint32 secondsPer100Px;
        quint32 width;
        quint32 height;
        std::array<float, RowCount> rowHeights;
    };

    TLTiledView();
    ~TLTiledView();

    // Paints frame onto painter (active on target); false where the device
    // does not suit pictures (not the raster engine, rotated or sheared, or
    // moved by part of a device pixel vertically).
    bool paint(QPainter &painter, QWidget *target, Scale &scale, const Frame &frame);

    int tilesKept() const { return tiles.count(); }
    qint64 tileBytes() const { return tiles.bytes(); }

private:
    struct View;
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
    // The outlines of the rows' rectangles along the view's left and right
    // sides, transparent elsewhere, and where they go (device pixels from
    // the view's left).
    struct Edge
    {
        TLTiles::Picture outline;
        qreal deviceLeft = 0;
    };

    std::optional<View> viewOf(const QPainter &painter, const Frame &frame) const;
    void paintDirect(QPainter &painter, Scale &scale, const Frame &frame, const View &view);
    void paintFromTiles(QPainter &painter, Scale &scale, const Frame &frame, const View &view);
    TLTiles::Picture paintTile(Scale &scale, const View &view, qint64 column);
    void paintEdges(QPainter &painter, qreal ratio);
    void updateBackgrounds(QWidget *target, Scale &scale, const Frame &frame, qreal ratio);
    // Copies the picture's ink with the picture's left edge at deviceX.
    static void blit(QPainter &painter, const TLTiles::Picture &picture, qreal deviceX,
                     qreal ratio);

    TLTiles tiles;
    Content content;
    std::unique_ptr<TLTileSurface> surface;
    // The rows' backgrounds over one tile's width, for the row layout,
    // width and palette they were painted with, and the edges'.
    TLRowStrip rowStrip;
    std::array<float, RowCount + 1> stripLayout{};
    qint64 stripPalette = 0;
    quint32 stripWidth = 0;
    std::array<Edge, 2> edges;
};

#endif // TLTILEDVIEW_H
