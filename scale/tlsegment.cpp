#include "tlsegment.h"

#include "tllocaltime.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QTimeZone>
#include <QWidget>
#include <QtNumeric>

#include <cmath>
#include <limits>

using Unit = TLCalendar::Unit;

namespace {

// Row backgrounds, top (hours) to bottom (years): darker and greener downwards.
constexpr QRgb RowColors[TLSegment::RowCount] = {
        0xF6EFB5, 0xE0DBA3, 0xC6C78A, 0xAEB99C, 0x8DAA94,
};

// The row layout follows log10 of the scale, clamped to this range (about
// 1,380 to 2,511,900 seconds per 100 pixels); beyond it the layout is fixed.
constexpr float MinZoomExponent = 3.14f;
constexpr float MaxZoomExponent = 6.4f;
constexpr double ExponentOffset = 4.0;
constexpr double WeightFrequency = 1.2;
constexpr float QuarterTurn = 1.5707964f;
constexpr float FullTurn = 6.2831855f;
constexpr double PixelsPerScaleUnit = 100.0;
// Asking the system for its time zone reads the zone file again; unless TZ
// changes, it is asked at most this often.
constexpr qint64 ZoneCheckMSecs = 1000;

// The last instant of a view of the given width and scale that starts at
// start.
qint64 windowEndMSecs(qint64 start, quint32 width, quint32 scale)
{
    return TLLocalTime::moved(start, TLSegment::windowSpan(width, scale));
}

// Whole seconds from origin to msecs, truncated as QDateTime::secsTo()
// truncates, and held within 64 bits.
qint64 secondsFrom(qint64 origin, qint64 msecs)
{
    qint64 difference = 0;
    if (qSubOverflow(msecs, origin, &difference))
        return msecs < origin ? std::numeric_limits<qint64>::min() / 1000
                              : std::numeric_limits<qint64>::max() / 1000;
    return difference / 1000;
}

} // namespace

TLSegment::TLSegment()
    : rows{TLRowCells(Unit::Hour), TLRowCells(Unit::Day), TLRowCells(Unit::Week),
           TLRowCells(Unit::Month), TLRowCells(Unit::Year)}
{
}

TLSegment::~TLSegment() = default;

QColor TLSegment::rowColor(int row)
{
    return QColor(RowColors[qBound(0, row, RowCount - 1)]);
}

float TLSegment::raisedSine(float x)
{
    const float a = x + QuarterTurn;
    if (a <= 0.0f || a >= FullTurn)
        return 0.0f;
    return float(std::sin(double(a - QuarterTurn)) + 1.0) * 0.5f;
}

float TLSegment::rowWeight(unsigned row) const
{
    const float exponent = float(std::log10(double(secondsPer100Px)));
    const float clamped = qBound(MinZoomExponent, exponent, MaxZoomExponent);
    const float t = float(double(row) - (double(clamped) - ExponentOffset));
    return raisedSine(float(WeightFrequency * double(t)));
}

void TLSegment::updateRowShares()
{
    rowShares.clear();
    float weights[RowCount];
    float sum = 0.0f;
    for (int row = 0; row < RowCount; ++row) {
        weights[row] = rowWeight(unsigned(row));
        sum += weights[row];
    }
    // The week and month rows always weigh something, so sum is never 0.
    for (int row = 0; row < RowCount; ++row)
        rowShares[row] = weights[row] / sum;
    layoutScale = secondsPer100Px;
    layoutHeight = viewHeight;
}

float TLSegment::rowHeight(const int &row) const
{
    return rowShares.value(row, 0.0f) * float(viewHeight);
}

float TLSegment::rowTop(int row) const
{
    float top = 0.0f;
    for (int above = 0; above < row; ++above)
        top += rowHeight(above);
    return top;
}

qint64 TLSegment::windowSpan(quint32 width, quint32 scale)
{
    // Whole seconds; in 64 bits, as a wide view at a coarse scale spans more
    // seconds than an int holds.
    return qint64(double(width) / PixelsPerScaleUnit * double(scale)) * 1000;
}

QDateTime TLSegment::windowEndFor(const QDateTime &start, quint32 width, quint32 scale)
{
    return QDateTime::fromMSecsSinceEpoch(windowEndMSecs(start.toMSecsSinceEpoch(), width, scale));
}

void TLSegment::paint(QWidget *target)
{
    if (rowShares.isEmpty() || layoutScale != secondsPer100Px || layoutHeight != viewHeight)
        updateRowShares();
    // The window's start is converted once: a local time that the zone does
    // not have (after the zone changed) must not name two instants.
    forgetCellsIfStale();
    startMSecs = windowStart.toMSecsSinceEpoch();
    endMSecs = windowEndMSecs(startMSecs, viewWidth, secondsPer100Px);
    windowEnd = QDateTime::fromMSecsSinceEpoch(endMSecs, QTimeZone::utc());

    TLTiledView::Frame frame{startMSecs, secondsPer100Px, viewWidth, viewHeight, {}};
    for (int row = 0; row < RowCount; ++row)
        frame.rowHeights[size_t(row)] = rowHeight(row);
    QPainter painter(target);
    if (!pictures.paint(painter, target, *this, frame)) {
        coverCells(startMSecs, endMSecs);
        paintBackgrounds(painter);
        paintCells(painter, startMSecs, clipLeft, clipLeft + qreal(viewWidth), true);
    }
    cellCount = 0;
    for (int row = 0; row < RowCount; ++row) {
        if (rowHeight(row) > MinCellRowHeight)
            cellCount += qint64(rows[row].windowEnd(endMSecs) - rows[row].windowFirst());
    }
}

void TLSegment::paintBackgrounds(QPainter &painter)
{
    // A view 0 pixels wide gets empty rectangles, not ones of width -1.
    paintBackgrounds(painter, 0, viewWidth > 0 ? qreal(viewWidth) - 1 : 0, true);
}

void TLSegment::paintBackgrounds(QPainter &painter, qreal left, qreal right, bool filled)
{
    for (int row = 0; row < RowCount; ++row) {
        painter.setBrush(filled ? QBrush(rowColor(row), Qt::SolidPattern) : QBrush());
        const QRectF rect(left, rowTop(row), right - left, rowHeight(row));
        painter.drawRects(&rect, 1);
    }
}

void TLSegment::forgetCellsIfStale()
{
    // Boundaries follow the time zone and labels the locale.
    const QLocale locale;
    const QByteArray zoneVariable = qgetenv("TZ");
    if (zoneVariable != zoneAskedFor || !zoneAsked.isValid()
        || zoneAsked.hasExpired(ZoneCheckMSecs)) {
        zoneAskedFor = zoneVariable;
        zoneAsked.start();
        systemZone = TLLocalTime::systemZoneKey();
    }
    if (calendar && locale == cellLocale && calendar->localTime().zoneKey() == systemZone)
        return;
    ++calendarCount;
    cellLocale = locale;
    calendar = std::make_unique<TLCalendar>();
    for (TLRowCells &cells : rows)
        cells.setCalendar(calendar.get());
}

void TLSegment::coverCells(qint64 from, qint64 to)
{
    const qint64 span = qMax<qint64>(to - from, 0);
    for (int row = 0; row < RowCount; ++row) {
        if (rowHeight(row) <= MinCellRowHeight)
            continue;
        rows[row].cover(startMSecs, from, to);
        // Cells as far again on either side are kept for the next paints.
        rows[row].keepWithin(TLLocalTime::moved(from, -span), TLLocalTime::moved(to, span));
    }
}

quint64 TLSegment::cellsVersion() const
{
    quint64 version = 0;
    for (const TLRowCells &cells : rows)
        version += cells.version();
    return version;
}

void TLSegment::paintCells(QPainter &painter, qint64 origin, qreal left, qreal right,
                           bool windowOnly)
{
    // The cells set clips, antialiasing and fonts of their own.
    painter.save();
    cell.painter = &painter;
    cell.secondsPer100Px = secondsPer100Px;
    cell.clipLeft = float(left);
    cell.clipWidth = float(right - left);
    areaOrigin = origin;
    areaLeft = left;
    areaRight = right;
    areaWindowOnly = windowOnly;
    if (rowHeight(0) > MinCellRowHeight)
        drawHours();
    if (rowHeight(1) > MinCellRowHeight)
        drawDays();
    if (rowHeight(2) > MinCellRowHeight)
        drawWeeks();
    if (rowHeight(3) > MinCellRowHeight)
        drawMonths();
    if (rowHeight(4) > MinCellRowHeight)
        drawYears();
    cell.painter = nullptr;
    painter.restore();
}

void TLSegment::drawRow(int row)
{
    const TLRowCells &cells = rows[row];
    auto [begin, end] = cells.meeting(
            TLTiledView::instantAt(areaOrigin, areaLeft - TLTiledView::InkReach, secondsPer100Px),
            TLTiledView::instantAt(areaOrigin, areaRight + TLTiledView::InkReach, secondsPer100Px));
    if (areaWindowOnly) {
        begin = qMax(begin, cells.windowFirst());
        end = qMin(end, cells.windowEnd(endMSecs));
    }
    cell.top = rowTop(row);
    cell.height = rowHeight(row);
    cell.beginRow();
    for (size_t i = begin; i < end; ++i) {
        cell.startSeconds = secondsFrom(areaOrigin, cells.at(i).start.msecs);
        cell.endSeconds = secondsFrom(areaOrigin, cells.endOf(i));
        cell.label = cells.at(i).label;
        cell.divider = cells.hasDivider(i);
        cell.draw();
    }
}
