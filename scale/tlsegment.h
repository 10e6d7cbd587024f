#ifndef TLSEGMENT_H
#define TLSEGMENT_H

#include "tlcalendar.h"
#include "tlcell.h"

#include <QDateTime>
#include <QLocale>
#include <QMap>
#include <QObject>
#include <QString>

#include <vector>

class QWidget;

// Lays out and paints the five rows of the time scale (hours, days, weeks,
// months and years, from the top down) for one visible window.
//
// The height of the view is shared among the rows by a smooth function of the
// zoom: each row's weight is a raised-sine hump over the logarithm of the
// scale, so zooming out moves height continuously from the hour row towards
// the year row. Rows more than MinCellRowHeight pixels high are filled with
// labelled cells.
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

    // Row layout, valid after updateRowShares() (which paint() calls).
    void updateRowShares();
    float rowHeight(const int &row) const;
    float rowTop(int row) const;
    float rowWeight(unsigned row) const;
    static float raisedSine(float x);

    // The inputs as last set, and what the last paint made of them.
    QDateTime windowStartTime() const { return windowStart; }
    QDateTime windowEndTime() const { return windowEnd; }
    quint32 scale() const { return secondsPer100Px; }
    quint32 width() const { return viewWidth; }
    quint32 height() const { return viewHeight; }
    qint64 cellsDrawn() const { return cellCount; }
    // windowStart plus the span of a view of the given size and scale.
    static QDateTime windowEndFor(const QDateTime &start, quint32 width, quint32 scale);

    static QColor rowColor(int row);

    // Paints the five row backgrounds of the last updateRowShares() with
    // painter, outlined with its pen; paint() starts with them.
    void paintBackgrounds(QPainter &painter);

private:
    // One cell of a row as the calendar gave it: its boundaries as instants
    // and its label.
    struct KnownCell
    {
        qint64 startMSecs;
        qint64 endMSecs;
        QString label;
    };
    // A run of consecutive cells of one row, each starting where the one
    // before ended, kept from one paint to the next; end is the last cell's
    // end boundary, from which the run grows.
    struct KnownCells
    {
        std::vector<KnownCell> cells;
        QDateTime end;
    };

    void forgetCellsIfStale();
    void findFirstCell(TLCalendar::Unit unit, KnownCells &known, const QDateTime &first,
                       qint64 windowEndMSecs, size_t *index);
    bool extend(TLCalendar::Unit unit, KnownCells &known);
    void drawRow(TLCalendar::Unit unit, int row);
    void drawRowFromCalendar(TLCalendar::Unit unit);
    void drawHours();
    void drawDays();
    void drawWeeks();
    void drawMonths();
    void drawYears();

    QDateTime windowStart;
    QDateTime windowEnd;
    float clipLeft = 0.0f;
    quint32 secondsPer100Px = 1;
    quint32 viewWidth = 0;
    quint32 viewHeight = 0;
    TLCell cell;
    QMap<int, float> rowShares;
    qint64 cellCount = 0;
    // What the calendar said about the cells of each row, valid for the
    // locale and the time zone they were made with.
    KnownCells knownCells[RowCount];
    QLocale knownLocale;
    QByteArray knownZone;
};

#endif // TLSEGMENT_H
