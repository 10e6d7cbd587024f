#include "tlsegment.h"

#include "tllocaltime.h"
#include "tltilesurface.h"

#include <QBrush>
#include <QColor>
#include <QPaintEngine>
#include <QPainter>
#include <QRectF>
#include <QRegion>
#include <QTimeZone>
#include <QTransform>
#include <QWidget>

#include <algorithm>
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

// A divider's antialiasing and a label's overhang reach this far, in pixels,
// beyond the instant they belong to.
constexpr qreal InkReach = 2;
// The edges of the view are painted anew every time, this many pixels wide:
// there the rows' outlines run down, and cells outside the window may reach
// in on the tiles.
constexpr qreal EdgeWidth = 3;
// Tiles are anchored anew before positions relative to the anchor lose
// precision as floats.
constexpr qreal MaxAnchorDistance = 1 << 20;

} // namespace

// The tiles of one paint: the device pixel ratio, the phase, and where the
// view's left edge lies in the anchor's device pixels and on the device.
struct TLSegment::TileView
{
    qreal ratio;
    int phase;
    qreal viewLeft;
    qreal deviceLeft;
};

bool TLSegment::TileContent::operator==(const TileContent &other) const
{
    return anchor == other.anchor && scale == other.scale && height == other.height
           && ratio == other.ratio && cells == other.cells && palette == other.palette
           && font == other.font;
}

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

QDateTime TLSegment::windowEndFor(const QDateTime &start, quint32 width, quint32 scale)
{
    // In 64 bits: a wide view at a coarse scale spans more seconds than an int
    // holds.
    const auto span = qint64(double(width) / PixelsPerScaleUnit * double(scale));
    return QDateTime::fromMSecsSinceEpoch(
            TLLocalTime::moved(start.toMSecsSinceEpoch(), span * 1000));
}

void TLSegment::paint(QWidget *target)
{
    if (rowShares.isEmpty() || layoutScale != secondsPer100Px || layoutHeight != viewHeight)
        updateRowShares();
    // The window's start is converted once: a local time that the zone does
    // not have (after the zone changed) must not name two instants.
    forgetCellsIfStale();
    startMSecs = windowStart.toMSecsSinceEpoch();
    const auto span = qint64(double(viewWidth) / PixelsPerScaleUnit * double(secondsPer100Px));
    endMSecs = TLLocalTime::moved(startMSecs, span * 1000);
    windowEnd = QDateTime::fromMSecsSinceEpoch(endMSecs);

    QPainter painter(target);
    if (!paintTiles(painter, target)) {
        coverRows(startMSecs, endMSecs);
        paintArea(painter, startMSecs, clipLeft, clipLeft + qreal(viewWidth), true);
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
    const qreal width = viewWidth > 0 ? qreal(viewWidth) - 1 : 0;
    for (int row = 0; row < RowCount; ++row) {
        painter.setBrush(QBrush(rowColor(row), Qt::SolidPattern));
        const QRectF rect(0, rowTop(row), width, rowHeight(row));
        painter.drawRects(&rect, 1);
    }
}

void TLSegment::forgetCellsIfStale()
{
    // Boundaries follow the time zone and labels the locale.
    const QLocale locale;
    if (calendar && locale == cellLocale
        && calendar->localTime().zoneId() == QTimeZone::systemTimeZoneId())
        return;
    cellLocale = locale;
    calendar = std::make_unique<TLCalendar>();
    for (TLRowCells &cells : rows)
        cells.setCalendar(calendar.get());
}

void TLSegment::coverRows(qint64 from, qint64 to)
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

qint64 TLSegment::instantAt(qint64 origin, qreal x) const
{
    // Milliseconds per pixel: the scale is seconds per 100 pixels.
    const double msecs = double(origin) + double(x) * double(secondsPer100Px) * 10.0;
    constexpr auto Max = double(std::numeric_limits<qint64>::max());
    return msecs >= Max    ? std::numeric_limits<qint64>::max()
           : msecs <= -Max ? std::numeric_limits<qint64>::min()
                           : qint64(msecs);
}

bool TLSegment::paintTiles(QPainter &painter, QWidget *target)
{
    // Tiles need a raster device that is only scaled evenly and moved by
    // whole device pixels vertically.
    const QTransform device = painter.deviceTransform();
    const qreal ratio = device.m11();
    if (!painter.paintEngine() || painter.paintEngine()->type() != QPaintEngine::Raster
        || device.type() > QTransform::TxScale || ratio <= 0 || device.m22() != ratio
        || device.dy() != std::floor(device.dy()) || viewWidth == 0 || viewHeight == 0)
        return false;

    TileContent content;
    content.anchor = tileContent.anchor;
    const qint64 moved = startMSecs - content.anchor;
    const qreal viewLeft = qreal(moved / 1000) * PixelsPerScaleUnit / secondsPer100Px * ratio;
    // Offsets are whole seconds from the window's start: the anchor serves
    // while the window moves by whole seconds from a whole second.
    if (moved % 1000 != 0 || (startMSecs % 1000 != 0 && moved != 0)
        || std::abs(viewLeft) > MaxAnchorDistance)
        content.anchor = startMSecs;
    TileView view{ratio, 0, content.anchor == startMSecs ? 0 : viewLeft, device.dx()};
    const qreal shift = view.viewLeft - view.deviceLeft;
    view.phase = int(std::lround((shift - std::floor(shift)) * TLTiles::Phases)) % TLTiles::Phases;

    // Only the tiles over the part of the view that the paint event exposes.
    const qreal deviceWidth = viewWidth * ratio;
    qreal exposedLeft = 0;
    qreal exposedRight = deviceWidth;
    const QRegion exposed = painter.paintEngine()->systemClip();
    if (!exposed.isEmpty()) {
        exposedLeft = qMax(exposedLeft, exposed.boundingRect().left() - view.deviceLeft);
        exposedRight = qMin(exposedRight, exposed.boundingRect().right() + 1 - view.deviceLeft);
    }
    const qreal phaseShift = qreal(view.phase) / TLTiles::Phases;
    const qreal left = view.viewLeft - phaseShift;
    const auto firstColumn = qint64(std::floor((left + exposedLeft) / TLTiles::TileWidth));
    const auto lastColumn = qint64(
            std::floor((left + qMax(exposedRight, exposedLeft + 1) - 1e-6) / TLTiles::TileWidth));
    const qreal from = (qreal(firstColumn * TLTiles::TileWidth) + phaseShift) / ratio - InkReach;
    const qreal to = (qreal((lastColumn + 1) * TLTiles::TileWidth) + phaseShift) / ratio + InkReach;
    coverRows(instantAt(content.anchor, from), instantAt(content.anchor, to));

    content.scale = secondsPer100Px;
    content.height = viewHeight;
    content.ratio = ratio;
    for (const TLRowCells &cells : rows)
        content.cells += cells.version();
    content.palette = target->palette().cacheKey();
    content.font = target->font();
    if (!(content == tileContent)) {
        tiles.clear();
        tileContent = content;
    }

    for (qint64 column = firstColumn; column <= lastColumn; ++column) {
        const QImage *kept = tiles.find(column, view.phase);
        const QImage tile = kept ? *kept : paintTile(target, view, column);
        if (!kept)
            tiles.keep(column, view.phase, tile);
        const qreal deviceX = std::round(qreal(column * TLTiles::TileWidth) + phaseShift
                                         - view.viewLeft + view.deviceLeft);
        painter.drawImage(QPointF((deviceX - view.deviceLeft) / ratio, 0), tile);
    }
    tiles.limitTo(int(std::ceil(deviceWidth / TLTiles::TileWidth)) + 1);
    paintEdges(painter, target, ratio);
    return true;
}

QImage TLSegment::paintTile(QWidget *target, const TileView &view, qint64 column)
{
    if (!surface)
        surface = std::make_unique<TLTileSurface>();
    surface->imitate(target);
    QImage tile(TLTiles::TileWidth, int(std::ceil(viewHeight * view.ratio)), QImage::Format_RGB32);
    tile.setDevicePixelRatio(view.ratio);
    tile.fill(target->palette().color(target->backgroundRole()));
    const qreal left =
            (qreal(column * TLTiles::TileWidth) + qreal(view.phase) / TLTiles::Phases) / view.ratio;
    surface->paintInto(&tile, [&](QPainter &painter) {
        painter.translate(-left, 0);
        paintArea(painter, tileContent.anchor, left, left + TLTiles::TileWidth / view.ratio, false);
    });
    return tile;
}

void TLSegment::paintEdges(QPainter &painter, QWidget *target, qreal ratio)
{
    // Where the rows' outlines run down the view's sides, and where cells
    // beyond the window's first and last may have reached in on the tiles,
    // the view is painted as it stands.
    const qreal width = std::ceil(EdgeWidth * ratio) / ratio;
    const QBrush background = target->palette().brush(target->backgroundRole());
    for (const qreal left : {qreal(0), qMax(qreal(viewWidth) - width, qreal(0))}) {
        const QRectF edge(left, 0, qMin(width, qreal(viewWidth)), viewHeight);
        painter.save();
        painter.setClipRect(edge);
        painter.fillRect(edge, background);
        paintArea(painter, startMSecs, edge.left(), edge.right(), true);
        painter.restore();
    }
}

void TLSegment::paintArea(QPainter &painter, qint64 origin, qreal left, qreal right,
                          bool windowOnly)
{
    // Backgrounds: the view's own rectangles, or rows without ends.
    if (windowOnly) {
        paintBackgrounds(painter);
    } else {
        for (int row = 0; row < RowCount; ++row) {
            painter.setBrush(QBrush(rowColor(row), Qt::SolidPattern));
            const QRectF rect(left - 1, rowTop(row), right - left + 2, rowHeight(row));
            painter.drawRects(&rect, 1);
        }
    }

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
}

void TLSegment::drawRow(int row)
{
    const TLRowCells &cells = rows[row];
    auto [begin, end] = cells.meeting(instantAt(areaOrigin, areaLeft - InkReach),
                                      instantAt(areaOrigin, areaRight + InkReach));
    if (areaWindowOnly) {
        begin = qMax(begin, cells.windowFirst());
        end = qMin(end, cells.windowEnd(endMSecs));
    }
    cell.top = rowTop(row);
    cell.height = rowHeight(row);
    cell.beginRow();
    // Offsets in whole seconds, truncated as QDateTime::secsTo() truncates.
    for (size_t i = begin; i < end; ++i) {
        cell.startSeconds = (cells.at(i).start.msecs - areaOrigin) / 1000;
        cell.endSeconds = (cells.endOf(i) - areaOrigin) / 1000;
        cell.label = cells.at(i).label;
        cell.divider = cells.hasDivider(i);
        cell.draw();
    }
}
