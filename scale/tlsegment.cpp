#include "tlsegment.h"

#include "tllocaltime.h"
#include "tlpixelmap.h"
#include "tltilesurface.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QTimeZone>
#include <QWidget>
#include <QtNumeric>

#include <cmath>
#include <limits>

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
constexpr qint64 MSecsPerSecond = 1000;

// Whole seconds from origin to msecs, truncated as QDateTime::secsTo()
// truncates, and held within 64 bits.
qint64 secondsFrom(qint64 origin, qint64 msecs)
{
    qint64 difference = 0;
    if (qSubOverflow(msecs, origin, &difference))
        return msecs < origin ? std::numeric_limits<qint64>::min() / MSecsPerSecond
                              : std::numeric_limits<qint64>::max() / MSecsPerSecond;
    return difference / MSecsPerSecond;
}

} // namespace

TLSegment::TLSegment() = default;

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
    return TLPixelMap::spanSeconds(width, scale) * MSecsPerSecond;
}

QDateTime TLSegment::windowEndFor(const QDateTime &start, quint32 width, quint32 scale)
{
    return QDateTime::fromMSecsSinceEpoch(
            TLLocalTime::moved(start.toMSecsSinceEpoch(), windowSpan(width, scale)));
}

void TLSegment::paint(QWidget *target)
{
    // The shares depend on the scale alone; heights follow the view's.
    if (rowShares.isEmpty() || layoutScale != secondsPer100Px)
        updateRowShares();
    rows.followZoneAndLocale();
    // The window's start is converted once: a local time that the zone does
    // not have (after the zone changed) must not name two instants.
    startMSecs = windowStart.toMSecsSinceEpoch();
    endMSecs = TLLocalTime::moved(startMSecs, windowSpan(viewWidth, secondsPer100Px));
    windowEnd = QDateTime::fromMSecsSinceEpoch(endMSecs, QTimeZone::utc());

    QPainter painter(target);
    const TLPictureCache::Frame now = frame();
    if (const std::optional<TLPictureCache::View> view = pictures.viewOf(painter, now)) {
        paintFromPictures(painter, target, now, *view);
    } else {
        // A device that does not suit pictures (a printer, a QPicture, a
        // rotated painter) gets everything drawn straight onto it.
        coverCells(startMSecs, endMSecs);
        paintBackgrounds(painter);
        paintCells(painter, startMSecs, clipLeft, clipLeft + qreal(viewWidth), true);
    }
    cellCount = 0;
    for (int row = 0; row < RowCount; ++row) {
        if (rowHeight(row) > MinCellRowHeight)
            cellCount += qint64(rows[row].pastWindow(endMSecs) - rows[row].windowFirst());
    }
}

TLPictureCache::Frame TLSegment::frame() const
{
    TLPictureCache::Frame now{startMSecs, secondsPer100Px, viewWidth, viewHeight, {}};
    for (int row = 0; row < RowCount; ++row)
        now.rowHeights.push_back(rowHeight(row));
    return now;
}

void TLSegment::paintFromPictures(QPainter &painter, QWidget *target,
                                  const TLPictureCache::Frame &frame,
                                  const TLPictureCache::View &view)
{
    // The cells of every tile in view, so that each tile is whole.
    const qreal reach = TLPictureCache::InkReach;
    coverCells(TLPixelMap::instantAt(view.anchor, view.tileLeft(view.firstColumn) - reach,
                                     secondsPer100Px),
               TLPixelMap::instantAt(view.anchor, view.tileLeft(view.lastColumn + 1) + reach,
                                     secondsPer100Px));
    TLPictureCache::Content content;
    content.anchor = view.anchor;
    content.scale = secondsPer100Px;
    content.height = viewHeight;
    content.ratio = view.ratio;
    content.cells = rows.version();
    content.palette = target->palette().cacheKey();
    content.font = target->font();
    const bool fresh = pictures.useContent(content, startMSecs);

    if (!surface)
        surface = std::make_unique<TLTileSurface>();
    surface->imitate(target);
    if (!pictures.hasBackgrounds(frame, view.ratio, content.palette))
        makeBackgrounds(target, frame, view.ratio);
    if (fresh) {
        // The first paint of new content (every zoom step) is painted as it
        // stands: its tiles would be seen once. Tiles are made when the
        // same content is painted again.
        pictures.fillBareRows(painter, 0, std::ceil(viewWidth * view.ratio));
        paintCells(painter, startMSecs, 0, viewWidth, true);
    } else {
        for (qint64 column = view.firstColumn; column <= view.lastColumn; ++column) {
            if (!pictures.hasTile(column, view.phase))
                pictures.keepTile(column, view.phase, paintTile(view, column));
        }
        pictures.paintTiles(painter, view, frame);
    }
    pictures.paintEdges(painter, view.ratio);
}

void TLSegment::makeBackgrounds(QWidget *target, const TLPictureCache::Frame &frame, qreal ratio)
{
    // A narrow piece of rectangles whose sides lie beyond it (rows without
    // ends), which the pictures repeat across.
    QImage piece =
            pictures.blankPiece(frame, ratio, target->palette().color(target->backgroundRole()));
    const qreal pieceWidth = piece.width() / ratio;
    surface->paintInto(&piece, [&](QPainter &painter) {
        paintBackgrounds(painter, -1, pieceWidth + 1, true);
    });
    // The rows' rectangles as far as each side of the view shows them: their
    // far sides lie beyond it.
    std::array<TLPictureCache::Edge, 2> edges = pictures.blankEdges(frame, ratio);
    const qreal last = viewWidth > 0 ? qreal(viewWidth) - 1 : 0;
    for (TLPictureCache::Edge &edge : edges) {
        const qreal left = edge.deviceLeft / ratio;
        const qreal right = left + edge.outline.image.width() / ratio;
        surface->paintInto(&edge.outline.image, [&](QPainter &painter) {
            painter.translate(-left, 0);
            paintBackgrounds(painter, qMax(left - 2, qreal(0)), qMin(right + 2, last), false);
        });
    }
    pictures.keepBackgrounds(piece, std::move(edges), frame, target->palette().cacheKey());
}

QImage TLSegment::paintTile(const TLPictureCache::View &view, qint64 column)
{
    QImage tile = pictures.blankTile(view);
    const qreal left = view.tileLeft(column);
    surface->paintInto(&tile, [&](QPainter &painter) {
        painter.translate(-left, 0);
        paintCells(painter, pictures.anchor(), left, left + TLTiles::TileWidth / view.ratio, false);
    });
    return tile;
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
    const qreal reach = TLPictureCache::InkReach;
    auto [begin, end] =
            cells.meeting(TLPixelMap::instantAt(areaOrigin, areaLeft - reach, secondsPer100Px),
                          TLPixelMap::instantAt(areaOrigin, areaRight + reach, secondsPer100Px));
    if (areaWindowOnly) {
        begin = qMax(begin, cells.windowFirst());
        end = qMin(end, cells.pastWindow(endMSecs));
    }
    cell.top = rowTop(row);
    cell.height = rowHeight(row);
    cell.beginRow();
    for (size_t i = begin; i < end; ++i) {
        cell.startSeconds = secondsFrom(areaOrigin, cells.at(i).start.msecs);
        cell.endSeconds = secondsFrom(areaOrigin, cells.endOf(i).msecs);
        cell.label = cells.at(i).label;
        cell.divider = cells.hasDivider(i);
        cell.draw();
    }
}
