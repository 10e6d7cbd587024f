#ifndef TLSEGMENT_H
#define TLSEGMENT_H

#include "tlcell.h"
#include "tlrowcells.h"
#include "tltiles.h"

#include <QDateTime>
#include <QFont>
#include <QLocale>
#include <QMap>
#include <QObject>

#include <array>
#include <memory>
#include <optional>

class QPainter;
class QWidget;
class TLTileSurface;

// Lays out and paints the five rows of the time scale (hours, days, weeks,
// months and years, from the top down) for one visible window.
//
// The height of the view is shared among the rows by a smooth function of the
// zoom: each row's weight is a raised-sine hump over the logarithm of the
// scale, so zooming out moves height continuously from the hour row towards
// the year row. Rows more than MinCellRowHeight pixels high are filled with
// labelled cells.
//
// What was painted is kept as tiles (TLTiles) anchored in time, so a paint
// of a still or dragged view mostly copies pictures, and the cells the
// calendar gave are kept per row (TLRowCells), so a zoom walks the calendar
// only where it has not been.
class TLSegment : public QObject
{
    Q_OBJECT

public:
    static constexpr int RowCount = 5;
    static constexpr float MinCellRowHeight = 2.0f;

    TLSegment();
    ~TLSegment() override;

    void setWindowStart(const QDateTime &start) { windowStart = start; }
    void setSecondsPer100Px(quint32 scale) { secondsPer100Px = scale; }
    void setViewWidth(quint32 width) { viewWidth = width; }
    void setViewHeight(quint32 height) { viewHeight = height; }

    // Paints the scale for the values set above onto target; must be called
    // from target's paint event.
    void paint(QWidget *target);

    // Row layout, valid after updateRowShares() (which paint() calls when the
    // scale or the height changed).
    void updateRowShares();
    float rowHeight(const int &row) const;
    float rowTop(int row) const;
    float rowWeight(unsigned row) const;
    static float raisedSine(float x);
    static QColor rowColor(int row);

    // The window as the last paint saw it, and what it drew.
    QDateTime windowStartTime() const { return windowStart; }
    QDateTime windowEndTime() const { return windowEnd; }
    qint64 cellsDrawn() const { return cellCount; }
    int tilesKept() const { return tiles.count(); }
    qint64 tileBytes() const { return tiles.bytes(); }
    int labelsKept() const { return cell.labelsKept(); }

    // The last instant of a view of the given size and scale that starts at
    // start; the last representable instant where it would lie beyond.
    static QDateTime windowEndFor(const QDateTime &start, quint32 width, quint32 scale);

    // The five row backgrounds, outlined with the painter's pen, for a view
    // of viewWidth.
    void paintBackgrounds(QPainter &painter);

private:
    // Where the tiles of one paint go.
    struct TileView;

    void forgetCellsIfStale();
    void coverRows(qint64 from, qint64 to);
    std::optional<TileView> tileView(const QPainter &painter) const;
    bool paintTiled(QPainter &painter, QWidget *target);
    void paintDirect(QPainter &painter, const TileView &view);
    void paintFromTiles(QPainter &painter, const TileView &view);
    void updateBackgrounds(QWidget *target, qreal ratio);
    static void blit(QPainter &painter, const QImage &image, qreal deviceX, qreal ratio);
    QImage paintTile(const TileView &view, qint64 column);
    void paintEdges(QPainter &painter, qreal ratio);
    void paintBackgrounds(QPainter &painter, qreal left, qreal right);
    void paintCells(QPainter &painter, qint64 origin, qreal left, qreal right, bool windowOnly);
    void drawRow(int row);
    void drawHours() { drawRow(0); }
    void drawDays() { drawRow(1); }
    void drawWeeks() { drawRow(2); }
    void drawMonths() { drawRow(3); }
    void drawYears() { drawRow(4); }
    qint64 instantAt(qint64 origin, qreal x) const;

    QDateTime windowStart;
    QDateTime windowEnd;
    float clipLeft = 0.0f;
    quint32 secondsPer100Px = 1;
    quint32 viewWidth = 0;
    quint32 viewHeight = 0;
    TLCell cell;
    QMap<int, float> rowShares;

    // What the rows are laid out for.
    quint32 layoutScale = 0;
    quint32 layoutHeight = 0;
    // The window of this paint, as instants.
    qint64 startMSecs = 0;
    qint64 endMSecs = 0;
    qint64 cellCount = 0;
    // What drawRow() paints: the cells relative to which instant (x = 0),
    // over which pixels, and whether only those of the window.
    qint64 areaOrigin = 0;
    qreal areaLeft = 0;
    qreal areaRight = 0;
    bool areaWindowOnly = true;

    std::unique_ptr<TLCalendar> calendar;
    std::array<TLRowCells, RowCount> rows;
    QLocale cellLocale;

    TLTiles tiles;
    std::unique_ptr<TLTileSurface> surface;
    // The rows' backgrounds over one tile's width, for the row layout and
    // palette they were painted with.
    QImage rowStrip;
    std::array<float, RowCount + 1> stripLayout{};
    qint64 stripPalette = 0;
    quint32 stripViewWidth = 0;
    // The backgrounds at the view's left and right edges, and where they go
    // (device pixels from the view's left).
    struct Edge
    {
        QImage background;
        qreal deviceLeft = 0;
    };
    std::array<Edge, 2> edges;
    // What the tiles show, besides their place.
    struct TileContent
    {
        qint64 anchor = 0;
        quint32 scale = 0;
        quint32 height = 0;
        qreal ratio = 0;
        quint64 cells = 0;
        qint64 palette = 0;
        QFont font;

        bool operator==(const TileContent &other) const;
    };
    TileContent tileContent;
};

#endif // TLSEGMENT_H
