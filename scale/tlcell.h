#ifndef TLCELL_H
#define TLCELL_H

#include "tldividerstamps.h"
#include "tlrowlayer.h"

#include <QColor>
#include <QLineF>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QtGlobal>

#include <vector>

class QPainter;
class QWidget;

// One labelled cell of one row of the time scale: a span of time, the band of
// its row and the text to show. The segment owns a single TLCell and rewrites
// it for every cell it draws, so no list of cells is ever built.
//
// The segment writes target, painter, secondsPer100Px and the clip once per
// paint, the row's top and height once per row, and the span and label once
// per cell.
//
// Labels are laid out once and kept in a small cache shared by all cells
// (keyed by the text, the resolved font, the resolution and the text direction,
// and emptied when the application's fonts change), so drawing a cell costs a
// divider line and the glyphs of its label, not a text layout. A label cut at
// its cell's edges draws only the glyphs that can show there. What a label
// paints is kept as a picture once the same cell has come at the same place
// within a pixel twice, as in every repaint of a view that is still or
// dragged by whole pixels; the pictures may take as much memory as the
// largest view painted has pixels.
//
// With the segment's painter, a row's pictures are blended together in memory
// and painted a tile at a time (TLRowLayer), and so are its dividers, from
// stamps that the pen makes of a divider at each position within a pixel
// (TLDividerStamps): one call per tile instead of one per cell, and the very
// pixels the pen would have painted.
class TLCell
{
public:
    // Most laid-out labels kept at a time; the least recently drawn go first.
    static constexpr int LabelCacheCapacity = 512;
    // Rows whose divider stamps are kept (one for each row of the scale).
    static constexpr int RowStampsKept = 5;

    TLCell();
    virtual ~TLCell();

    // Prepares painter for the cells of the row that top, height, clipLeft
    // and clipWidth describe: clips it to the row, turns on antialiasing and
    // sets the label font. Call it before the first draw() of every row when
    // painter is set, and endRow() after the last; without a painter both do
    // nothing.
    void beginRow();
    void endRow();

    // Draws the divider at the cell's start and the label centred over the
    // cell, both confined to the row's clip rectangle; a label wider than the
    // cell is cut at the cell's edges. Must be called while target handles
    // its paint event. Paints with painter when one is given (it must be
    // active on target and prepared by beginRow(); the row's dividers appear
    // with endRow()), otherwise opens a painter of its own for this one cell.
    void draw();

    // Laid-out labels held right now, the memory held by pictures of labels
    // (at most that of the largest view painted, within 8 and 64 MiB), and a
    // way to drop both.
    static int labelCacheSize();
    static qint64 pictureCacheBytes();
    static void clearLabelCache();

    QWidget *target = nullptr;
    QPainter *painter = nullptr;
    // Offsets from the window's start (x = 0); negative left of the window.
    qint64 startSeconds = 0;
    qint64 endSeconds = 0;
    quint32 secondsPer100Px = 1;
    float top = 0;
    float height = 0;
    float clipLeft = 0;
    float clipWidth = 0;
    QString label;
    // The cell's horizontal extent in pixels, derived by draw().
    float left = 0;
    float right = 0;

private:
    Q_DISABLE_COPY(TLCell)

    void prepare(QPainter &p);
    void useRowClip(QPainter &p);
    void drawWith(QPainter &p);
    void drawPicture(QPainter &p, const QImage &picture, const QPoint &topLeft,
                     const QRect &within);
    bool stampDividers(QPainter &p);
    TLDividerStamps &stampsForRow(const QPen &pen);

    // What prepare() set the painter up for: the row's clip (also as the
    // pixels it leaves), whether clips can be set in whole pixels, and the id
    // of the label font in the label cache (-1: no cache).
    QRectF rowClip;
    QRect rowClipPixels;
    bool wholePixelClip = false;
    int rowFontId = -1;
    // The painter's pen, which colours the labels: whether it is one colour,
    // and which.
    bool penSolid = false;
    QRgb penColor = 0;
    // Whether the painter's clip is the row's, not a cut label's.
    bool rowClipActive = true;
    // The row's dividers so far, drawn by endRow().
    std::vector<QLineF> dividers;
    // With the shared painter moved by whole pixels, pictures of labels and
    // dividers are gathered in layer and painted together by endRow(), the
    // dividers from stamps the pen made of them.
    bool layered = false;
    TLRowLayer layer;
    struct RowStamps
    {
        TLDividerStamps stamps;
        quint64 lastUse = 0;
    };
    RowStamps rowStamps[RowStampsKept];
    quint64 stampUses = 0;
    // Per divider of the row: its stamp's phase (-1: stroked) and first column.
    struct Placement
    {
        int phase;
        int start;
    };
    std::vector<Placement> placements;
    std::vector<QLineF> strokedDividers;
};

#endif // TLCELL_H
