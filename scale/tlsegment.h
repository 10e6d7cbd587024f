#ifndef TLSEGMENT_H
#define TLSEGMENT_H

#include "tlcell.h"
#include "tlrowcells.h"
#include "tltiledview.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFont>
#include <QLocale>
#include <QMap>
#include <QObject>

#include <array>
#include <memory>

class QPainter;
class QWidget;

// Lays out and paints the five rows of the time scale (hours, days, weeks,
// months and years, from the top down) for one visible window.
//
// The height of the view is shared among the rows by a smooth function of the
// zoom: each row's weight is a raised-sine hump over the logarithm of the
// scale, so zooming out moves height continuously from the hour row towards
// the year row. Rows more than MinCellRowHeight pixels high are filled with
// labelled cells.
//
// What was painted is kept as pictures (TLTiledView), so a paint of a still
// or dragged view mostly copies them, and the cells the calendar gave are
// kept per row (TLRowCells), so a zoom walks the calendar only where it has
// not been.
class TLSegment : public QObject, private TLTiledView::Scale
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
    int tilesKept() const { return pictures.tilesKept(); }
    qint64 tileBytes() const { return pictures.tileBytes(); }
    int labelsKept() const { return cell.labelsKept(); }
    // Changes whenever a paint found a new time zone or locale.
    quint64 calendarsMade() const { return calendarCount; }

    // The milliseconds a view of the given width spans at the scale.
    static qint64 windowSpan(quint32 width, quint32 scale);
    // The last instant of a view of the given size and scale that starts at
    // start; the last representable instant where it would lie beyond.
    static QDateTime windowEndFor(const QDateTime &start, quint32 width, quint32 scale);

    // The five row backgrounds, outlined with the painter's pen, for a view
    // of viewWidth.
    void paintBackgrounds(QPainter &painter);

private:
    void forgetCellsIfStale();
    void coverCells(qint64 from, qint64 to) override;
    quint64 cellsVersion() const override;
    void paintBackgrounds(QPainter &painter, qreal left, qreal right, bool filled) override;
    void paintCells(QPainter &painter, qint64 origin, qreal left, qreal right,
                    bool windowOnly) override;
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
    quint64 calendarCount = 0;
    QLocale cellLocale;
    // The system's zone, when it was last asked for and TZ then.
    QByteArray systemZone;
    QElapsedTimer zoneAsked;
    QByteArray zoneAskedFor;

    TLTiledView pictures;
};

#endif // TLSEGMENT_H
