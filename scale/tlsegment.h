#ifndef TLSEGMENT_H
#define TLSEGMENT_H

#include "tlcell.h"
#include "tlpicturecache.h"
#include "tlrows.h"

#include <QDateTime>
#include <QMap>
#include <QObject>

#include <memory>

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
// The segment decides what is drawn and draws it, through its row
// generators and its one TLCell: straight onto the canvas, or into the
// pictures it keeps (TLPictureCache), so that a still or dragged view mostly
// copies them. The cells the calendar gave are kept per row (TLRows), so a
// zoom walks the calendar only where it has not been.
class TLSegment : public QObject
{
    Q_OBJECT

public:
    static constexpr int RowCount = TLRows::RowCount;
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
    // scale changed).
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
    int tilesKept() const { return pictures.tilesKept(); }
    qint64 tileBytes() const { return pictures.tileBytes(); }
    int labelsKept() const { return cell.labelsKept(); }
    // Changes whenever a paint found a new time zone or locale.
    quint64 calendarsMade() const { return rows.calendarsMade(); }

    // The milliseconds a view of the given width spans at the scale.
    static qint64 windowSpan(quint32 width, quint32 scale);
    // The last instant of a view of the given size and scale that starts at
    // start; the last representable instant where it would lie beyond.
    static QDateTime windowEndFor(const QDateTime &start, quint32 width, quint32 scale);

    // The five row backgrounds, outlined with the painter's pen, for a view
    // of viewWidth.
    void paintBackgrounds(QPainter &painter);

private:
    TLPictureCache::Frame frame() const;
    void paintFromPictures(QPainter &painter, QWidget *target, const TLPictureCache::Frame &frame,
                           const TLPictureCache::View &view);
    void makeBackgrounds(QWidget *target, const TLPictureCache::Frame &frame, qreal ratio);
    QImage paintTile(const TLPictureCache::View &view, qint64 column);
    // Makes the rows know their cells over [from, to].
    void coverCells(qint64 from, qint64 to);
    // The rows' rectangles from left to right, outlined; filled with the
    // rows' colours unless not filled.
    void paintBackgrounds(QPainter &painter, qreal left, qreal right, bool filled);
    // The cells over [left, right) with x = 0 at origin; only the window's
    // own with windowOnly.
    void paintCells(QPainter &painter, qint64 origin, qreal left, qreal right, bool windowOnly);
    void drawRow(int row);
    void drawHours() { drawRow(0); }
    void drawDays() { drawRow(1); }
    void drawWeeks() { drawRow(2); }
    void drawMonths() { drawRow(3); }
    void drawYears() { drawRow(4); }

    QDateTime windowStart;
    QDateTime windowEnd;
    float clipLeft = 0.0f;
    quint32 secondsPer100Px = 1;
    quint32 viewWidth = 0;
    quint32 viewHeight = 0;
    TLCell cell;
    QMap<int, float> rowShares;

    // The scale the rows are laid out for.
    quint32 layoutScale = 0;
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

    TLRows rows;
    TLPictureCache pictures;
    // Pictures are painted through a hidden widget, as the canvas would be.
    std::unique_ptr<TLTileSurface> surface;
};

#endif // TLSEGMENT_H
