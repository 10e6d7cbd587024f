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
#include <cstring>
#include <limits>
#include <optional>

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
// The rows' backgrounds are painted this many device pixels wide and copied
// across (a divisor of the tiles' width).
constexpr int StripPieceWidth = 16;

} // namespace

// The tiles of one paint: the device pixel ratio, the anchor, where the
// view's left edge lies in the anchor's device pixels and on the device,
// the phase, and the columns of tiles over the exposed part of the view.
struct TLSegment::TileView
{
    qreal ratio;
    qint64 anchor;
    qreal viewLeft;
    int phase;
    qreal deviceLeft;
    qint64 firstColumn;
    qint64 lastColumn;

    qreal phaseShift() const { return qreal(phase) / TLTiles::Phases; }
    // Where a column of tiles begins, in pixels from the anchor.
    qreal tileLeft(qint64 column) const
    {
        return (qreal(column * TLTiles::TileWidth) + phaseShift()) / ratio;
    }
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
    if (!paintTiled(painter, target)) {
        coverRows(startMSecs, endMSecs);
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
    paintBackgrounds(painter, 0, viewWidth > 0 ? qreal(viewWidth) - 1 : 0);
}

void TLSegment::paintBackgrounds(QPainter &painter, qreal left, qreal right)
{
    for (int row = 0; row < RowCount; ++row) {
        painter.setBrush(QBrush(rowColor(row), Qt::SolidPattern));
        const QRectF rect(left, rowTop(row), right - left, rowHeight(row));
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

std::optional<TLSegment::TileView> TLSegment::tileView(const QPainter &painter) const
{
    // Tiles need a raster device that is only scaled evenly and moved by
    // whole device pixels vertically.
    const QTransform device = painter.deviceTransform();
    const qreal ratio = device.m11();
    if (!painter.paintEngine() || painter.paintEngine()->type() != QPaintEngine::Raster
        || device.type() > QTransform::TxScale || ratio <= 0 || device.m22() != ratio
        || device.dy() != std::floor(device.dy()) || viewWidth == 0 || viewHeight == 0)
        return std::nullopt;

    TileView view{ratio, tileContent.anchor, 0, 0, device.dx(), 0, 0};
    const qint64 moved = startMSecs - view.anchor;
    view.viewLeft = qreal(moved / 1000) * PixelsPerScaleUnit / secondsPer100Px * ratio;
    // Offsets are whole seconds from the window's start: the anchor serves
    // while the window moves by whole seconds from a whole second.
    if (moved % 1000 != 0 || (startMSecs % 1000 != 0 && moved != 0)
        || std::abs(view.viewLeft) > MaxAnchorDistance) {
        view.anchor = startMSecs;
        view.viewLeft = 0;
    }
    const qreal shift = view.viewLeft - view.deviceLeft;
    view.phase = int(std::lround((shift - std::floor(shift)) * TLTiles::Phases)) % TLTiles::Phases;

    // Only the tiles over the part of the view that the paint event exposes.
    qreal exposedLeft = 0;
    qreal exposedRight = viewWidth * ratio;
    const QRegion exposed = painter.paintEngine()->systemClip();
    if (!exposed.isEmpty()) {
        exposedLeft = qMax(exposedLeft, exposed.boundingRect().left() - view.deviceLeft);
        exposedRight = qMin(exposedRight, exposed.boundingRect().right() + 1 - view.deviceLeft);
    }
    const qreal left = view.viewLeft - view.phaseShift();
    view.firstColumn = qint64(std::floor((left + exposedLeft) / TLTiles::TileWidth));
    view.lastColumn = qint64(
            std::floor((left + qMax(exposedRight, exposedLeft + 1) - 1e-6) / TLTiles::TileWidth));
    return view;
}

bool TLSegment::paintTiled(QPainter &painter, QWidget *target)
{
    const std::optional<TileView> view = tileView(painter);
    if (!view)
        return false;
    // The cells of every tile in view, so that each tile is whole.
    const qreal from = view->tileLeft(view->firstColumn) - InkReach;
    const qreal to = view->tileLeft(view->lastColumn + 1) + InkReach;
    coverRows(instantAt(view->anchor, from), instantAt(view->anchor, to));

    TileContent content;
    content.anchor = view->anchor;
    content.scale = secondsPer100Px;
    content.height = viewHeight;
    content.ratio = view->ratio;
    for (const TLRowCells &cells : rows)
        content.cells += cells.version();
    content.palette = target->palette().cacheKey();
    content.font = target->font();
    const bool fresh = !(content == tileContent);
    if (fresh) {
        // Tiles of new content are anchored at the window's start, where
        // they fall on the same pixels as painting the window directly.
        tiles.clear();
        tileContent = content;
        tileContent.anchor = startMSecs;
    }
    updateBackgrounds(target, view->ratio);
    // The first paint of new content (every zoom step) is painted as it
    // stands; tiles are made when the same content is painted again.
    if (fresh)
        paintDirect(painter, *view);
    else
        paintFromTiles(painter, *view);
    paintEdges(painter, view->ratio);
    return true;
}

void TLSegment::paintDirect(QPainter &painter, const TileView &view)
{
    // The rows' backgrounds are the same all along: copies of the strip.
    const int strips = int(std::ceil(viewWidth * view.ratio / TLTiles::TileWidth));
    for (int i = 0; i < strips; ++i)
        blit(painter, rowStrip, i * TLTiles::TileWidth, view.ratio);
    paintCells(painter, startMSecs, 0, viewWidth, true);
}

void TLSegment::blit(QPainter &painter, const QImage &image, qreal deviceX, qreal ratio)
{
    // In device pixels, one to one: the quickest copy there is.
    painter.save();
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    painter.drawImage(QRectF(deviceX, 0, image.width(), image.height()), image,
                      QRectF(0, 0, image.width(), image.height()));
    painter.restore();
}

void TLSegment::paintFromTiles(QPainter &painter, const TileView &view)
{
    for (qint64 column = view.firstColumn; column <= view.lastColumn; ++column) {
        const QImage *kept = tiles.find(column, view.phase);
        const QImage tile = kept ? *kept : paintTile(view, column);
        if (!kept)
            tiles.keep(column, view.phase, tile);
        // The anchor's device pixels and the view's differ by whole pixels,
        // up to the phase.
        blit(painter, tile, std::round(view.tileLeft(column) * view.ratio - view.viewLeft),
             view.ratio);
    }
    tiles.limitTo(int(std::ceil(viewWidth * view.ratio / TLTiles::TileWidth)) + 1);
}

void TLSegment::updateBackgrounds(QWidget *target, qreal ratio)
{
    if (!surface)
        surface = std::make_unique<TLTileSurface>();
    surface->imitate(target);
    // What the strip shows depends only on the row layout and the colours.
    std::array<float, RowCount + 1> layout{};
    for (int row = 0; row < RowCount; ++row)
        layout[size_t(row)] = rowHeight(row);
    layout[RowCount] = float(viewHeight);
    const qint64 palette = target->palette().cacheKey();
    if (!rowStrip.isNull() && layout == stripLayout && ratio == rowStrip.devicePixelRatio()
        && palette == stripPalette && viewWidth == stripViewWidth)
        return;
    stripLayout = layout;
    stripPalette = palette;
    stripViewWidth = viewWidth;
    const QColor window = target->palette().color(target->backgroundRole());
    // A narrow piece of rectangles whose sides lie beyond it (rows without
    // ends), repeated across a tile's width.
    QImage piece(StripPieceWidth, int(std::ceil(viewHeight * ratio)), QImage::Format_RGB32);
    piece.setDevicePixelRatio(ratio);
    piece.fill(window);
    surface->paintInto(&piece, [&](QPainter &painter) {
        paintBackgrounds(painter, -1, StripPieceWidth / ratio + 1);
    });
    rowStrip = QImage(TLTiles::TileWidth, piece.height(), QImage::Format_RGB32);
    rowStrip.setDevicePixelRatio(ratio);
    QPainter strip(&rowStrip);
    strip.setCompositionMode(QPainter::CompositionMode_Source);
    for (int x = 0; x < TLTiles::TileWidth; x += StripPieceWidth)
        blit(strip, piece, x, ratio);

    // The view's sides, as far in as the edges reach.
    const auto edgeWidth = int(std::ceil(EdgeWidth * ratio));
    const auto deviceWidth = int(std::ceil(viewWidth * ratio));
    edges[0].deviceLeft = 0;
    edges[1].deviceLeft = qMax(deviceWidth - edgeWidth, 0);
    for (Edge &edge : edges) {
        edge.background =
                QImage(qMin(edgeWidth, deviceWidth), piece.height(), QImage::Format_RGB32);
        edge.background.setDevicePixelRatio(ratio);
        edge.background.fill(window);
        // The rows' rectangles as far as the edge shows them: their far sides
        // lie beyond it.
        const qreal left = edge.deviceLeft / ratio;
        const qreal right = left + edge.background.width() / ratio;
        const qreal last = viewWidth > 0 ? qreal(viewWidth) - 1 : 0;
        surface->paintInto(&edge.background, [&](QPainter &painter) {
            painter.translate(-left, 0);
            paintBackgrounds(painter, qMax(left - 2, qreal(0)), qMin(right + 2, last));
        });
    }
}

QImage TLSegment::paintTile(const TileView &view, qint64 column)
{
    QImage tile = tiles.blank(rowStrip.size(), view.ratio);
    std::memcpy(tile.bits(), rowStrip.constBits(), size_t(rowStrip.sizeInBytes()));
    const qreal left = view.tileLeft(column);
    surface->paintInto(&tile, [&](QPainter &painter) {
        painter.translate(-left, 0);
        paintCells(painter, tileContent.anchor, left, left + TLTiles::TileWidth / view.ratio,
                   false);
    });
    return tile;
}

void TLSegment::paintEdges(QPainter &painter, qreal ratio)
{
    // Where the rows' outlines run down the view's sides, and where cells
    // beyond the window's first and last may have reached in on the tiles,
    // the view is painted as it stands: the backgrounds from pictures, the
    // window's cells anew.
    for (const Edge &edge : edges) {
        blit(painter, edge.background, edge.deviceLeft, ratio);
        const QRectF area(edge.deviceLeft / ratio, 0, edge.background.width() / ratio, viewHeight);
        painter.save();
        painter.setClipRect(area);
        paintCells(painter, startMSecs, area.left(), area.right(), true);
        painter.restore();
    }
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
