#include "tlsegment.h"

#include <QBrush>
#include <QColor>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QTimeZone>
#include <QTransform>
#include <QWidget>

#include <algorithm>
#include <cmath>

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
// Cells of a row remembered beyond those of the last paint, on either side,
// besides as many as that paint drew.
constexpr size_t SpareKnownCells = 16;

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
    // holds. A view that reaches past the last representable instant ends
    // there, so the rows still run to the end of time.
    const auto span = qint64(double(width) / PixelsPerScaleUnit * double(scale));
    return TLCalendar::addSecsClamped(start, span);
}

void TLSegment::paint(QWidget *target)
{
    updateRowShares();
    windowEnd = windowEndFor(windowStart, viewWidth, secondsPer100Px);

    // One painter serves the backgrounds and every cell: opening a painter,
    // setting its clip and resolving its font for each cell cost more than
    // drawing the cell.
    QPainter painter(target);
    paintBackgrounds(painter);

    cell.secondsPer100Px = secondsPer100Px;
    cell.clipLeft = clipLeft;
    cell.target = target;
    cell.painter = &painter;
    cell.clipWidth = clipLeft + float(viewWidth);
    cellCount = 0;
    forgetCellsIfStale();

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

namespace {

// Whether painter strokes the outline of a rectangle with the same whole
// pixels that fillRect() can paint: an opaque pen of one pixel on the raster
// engine, without antialiasing, moved by whole pixels only (and not into
// negative coordinates, where the stroker rounds the other way).
bool outlinesInWholePixels(const QPainter &painter)
{
    const QPen &pen = painter.pen();
    const QTransform &transform = painter.deviceTransform();
    return painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster
           && pen.style() == Qt::SolidLine && pen.brush().style() == Qt::SolidPattern
           && pen.color().alpha() == 255 && pen.widthF() == 1.0
           && !painter.testRenderHint(QPainter::Antialiasing)
           && painter.compositionMode() == QPainter::CompositionMode_SourceOver
           && painter.opacity() == 1.0 && transform.type() <= QTransform::TxTranslate
           && transform.dx() == std::floor(transform.dx()) && transform.dx() >= 0
           && transform.dy() == std::floor(transform.dy()) && transform.dy() >= 0;
}

} // namespace

void TLSegment::paintBackgrounds(QPainter &painter)
{
    // Each row is a rectangle in the row's colour outlined with the painter's
    // pen (the widget's foreground). A view 0 pixels wide gets empty
    // rectangles, not ones of width -1.
    const qreal width = viewWidth > 0 ? qreal(viewWidth) - 1 : 0;
    // Stroking the outline goes pixel by pixel and cost more than all the rest
    // of a frame of a wide view. Where the painter allows, the same pixels
    // are filled instead: the outline runs along the pixel rows and columns
    // that hold its corners, and the rest of the rectangle is the brush. A
    // row less than a pixel high (but not empty) is outlined with a few
    // pixels left out, and a view narrower than two pixels with none of its
    // own, so those are stroked.
    const bool fill = viewWidth >= 2 && outlinesInWholePixels(painter);
    const QColor outline = painter.pen().color();
    for (int row = 0; row < RowCount; ++row) {
        const QRectF rect(0, rowTop(row), width, rowHeight(row));
        if (fill && (rect.height() == 0 || rect.height() >= 1)) {
            const auto top = int(std::floor(rect.top()));
            const auto bottom = int(std::floor(rect.top() + rect.height()));
            const auto right = int(width);
            painter.fillRect(QRect(0, top, right + 1, bottom - top + 1), outline);
            if (right >= 2 && bottom - top >= 2)
                painter.fillRect(QRect(1, top + 1, right - 1, bottom - top - 1), rowColor(row));
            continue;
        }
        painter.setBrush(QBrush(rowColor(row), Qt::SolidPattern));
        painter.drawRects(&rect, 1);
    }
}

void TLSegment::forgetCellsIfStale()
{
    // Boundaries follow the time zone and labels the locale; what was learnt
    // under others is of no use.
    const QLocale locale;
    const QByteArray zone = QTimeZone::systemTimeZoneId();
    if (locale == knownLocale && zone == knownZone)
        return;
    knownLocale = locale;
    knownZone = zone;
    for (KnownCells &known : knownCells) {
        known.cells.clear();
        known.end = QDateTime();
    }
}

bool TLSegment::extend(TLCalendar::Unit unit, KnownCells &known)
{
    const QDateTime next = TLCalendar::nextBoundary(unit, known.end);
    if (!next.isValid())
        return false;
    const qint64 startMSecs =
            known.cells.empty() ? known.end.toMSecsSinceEpoch() : known.cells.back().endMSecs;
    known.cells.push_back({startMSecs, next.toMSecsSinceEpoch(),
                           TLCalendar::label(unit, known.end, knownLocale)});
    known.end = next;
    return true;
}

void TLSegment::findFirstCell(TLCalendar::Unit unit, KnownCells &known, const QDateTime &first,
                              qint64 windowEndMSecs, size_t *index)
{
    std::vector<KnownCell> &cells = known.cells;
    const qint64 firstMSecs = first.toMSecsSinceEpoch();
    const auto at = std::lower_bound(
            cells.begin(), cells.end(), firstMSecs,
            [](const KnownCell &cell, qint64 msecs) { return cell.startMSecs < msecs; });
    if (at != cells.end() && at->startMSecs == firstMSecs) {
        *index = size_t(at - cells.begin());
        return;
    }
    // The window moved back in time: walk from its first boundary towards
    // the run, and join the two when the walk meets the run's first cell.
    // Otherwise the walk starts a new run.
    std::vector<KnownCell> walked;
    QDateTime cur = first;
    qint64 curMSecs = firstMSecs;
    if (!cells.empty() && firstMSecs < cells.front().startMSecs) {
        while (curMSecs < cells.front().startMSecs && curMSecs < windowEndMSecs) {
            const QDateTime next = TLCalendar::nextBoundary(unit, cur);
            if (!next.isValid())
                break;
            const qint64 nextMSecs = next.toMSecsSinceEpoch();
            walked.push_back({curMSecs, nextMSecs, TLCalendar::label(unit, cur, knownLocale)});
            cur = next;
            curMSecs = nextMSecs;
        }
        if (curMSecs == cells.front().startMSecs) {
            cells.insert(cells.begin(), std::make_move_iterator(walked.begin()),
                         std::make_move_iterator(walked.end()));
            *index = 0;
            return;
        }
    }
    cells = std::move(walked);
    known.end = cur;
    *index = 0;
}

void TLSegment::drawRow(TLCalendar::Unit unit, int row)
{
    cell.height = rowHeight(row);
    cell.top = rowTop(row);
    cell.beginRow();

    // The calendar's boundaries are dear (each is a conversion of a local
    // time), so a row's cells are remembered from one paint to the next and
    // a paint asks the calendar only for the first boundary and for cells it
    // has not seen yet: dragging or zooming reuses nearly all of them.
    //
    // The cells drawn are those TLCalendar::forEachCell() visits: from the
    // first boundary on, up to the first cell that ends at or after the
    // window's end, stopping where the calendar has no next boundary. Its cap
    // on the number of cells is at least span / nominalSeconds + 2; a row that
    // would need more than that, or a window without a valid end, is left to
    // forEachCell() itself.
    const QDateTime first = TLCalendar::firstBoundary(unit, windowStart);
    if (!first.isValid())
        return;
    if (!windowEnd.isValid()) {
        drawRowFromCalendar(unit);
        return;
    }
    const qint64 startMSecs = windowStart.toMSecsSinceEpoch();
    const qint64 endMSecs = windowEnd.toMSecsSinceEpoch();
    const qint64 span = qMax<qint64>((endMSecs - startMSecs) / 1000, 0);
    const qint64 cap = span / TLCalendar::nominalSeconds(unit) + 2;

    KnownCells &known = knownCells[row];
    size_t index = 0;
    findFirstCell(unit, known, first, endMSecs, &index);
    // Count (growing the run as needed) before drawing anything.
    size_t end = index;
    for (;;) {
        if (end == known.cells.size() && !extend(unit, known))
            break;
        const qint64 cellEnd = known.cells[end].endMSecs;
        ++end;
        if (cellEnd >= endMSecs)
            break;
        if (qint64(end - index) >= cap) {
            drawRowFromCalendar(unit);
            return;
        }
    }

    // Offsets in whole seconds as QDateTime::secsTo() gives them: the
    // difference in milliseconds, truncated.
    for (size_t i = index; i < end; ++i) {
        const KnownCell &k = known.cells[i];
        cell.startSeconds = (k.startMSecs - startMSecs) / 1000;
        cell.endSeconds = (k.endMSecs - startMSecs) / 1000;
        cell.label = k.label;
        cell.draw();
    }
    cell.endRow();
    cellCount += qint64(end - index);

    // Keep about as many cells on either side as were drawn.
    std::vector<KnownCell> &cells = known.cells;
    const size_t spare = (end - index) + SpareKnownCells;
    if (cells.size() > end + spare) {
        cells.resize(end + spare);
        known.end = QDateTime::fromMSecsSinceEpoch(cells.back().endMSecs);
    }
    if (index > spare)
        cells.erase(cells.begin(), cells.begin() + std::ptrdiff_t(index - spare));
}

void TLSegment::drawRowFromCalendar(TLCalendar::Unit unit)
{
    const QLocale locale;
    // As above; a cell starts where the one before ended.
    const qint64 startMSecs = windowStart.toMSecsSinceEpoch();
    QDateTime previousEnd;
    qint64 previousEndMSecs = 0;
    const auto drawCell = [&](const QDateTime &cellStart, const QDateTime &cellEnd) {
        const qint64 cellStartMSecs =
                cellStart == previousEnd ? previousEndMSecs : cellStart.toMSecsSinceEpoch();
        previousEnd = cellEnd;
        previousEndMSecs = cellEnd.toMSecsSinceEpoch();
        cell.startSeconds = (cellStartMSecs - startMSecs) / 1000;
        cell.endSeconds = (previousEndMSecs - startMSecs) / 1000;
        cell.label = TLCalendar::label(unit, cellStart, locale);
        cell.draw();
    };
    cellCount += TLCalendar::forEachCell(unit, windowStart, windowEnd, drawCell);
    cell.endRow();
}

void TLSegment::drawHours()
{
    drawRow(TLCalendar::Unit::Hour, 0);
}

void TLSegment::drawDays()
{
    drawRow(TLCalendar::Unit::Day, 1);
}

void TLSegment::drawWeeks()
{
    drawRow(TLCalendar::Unit::Week, 2);
}

void TLSegment::drawMonths()
{
    drawRow(TLCalendar::Unit::Month, 3);
}

void TLSegment::drawYears()
{
    drawRow(TLCalendar::Unit::Year, 4);
}
