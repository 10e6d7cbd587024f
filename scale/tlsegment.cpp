#include "tlsegment.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QWidget>

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
    // holds.
    const auto span = qint64(double(width) / PixelsPerScaleUnit * double(scale));
    return start.addSecs(span);
}

void TLSegment::paint(QWidget *target)
{
    updateRowShares();
    windowEnd = windowEndFor(windowStart, viewWidth, secondsPer100Px);

    QPainter painter(target);
    paintBackgrounds(painter);
    painter.end();

    cell.secondsPer100Px = secondsPer100Px;
    cell.clipLeft = clipLeft;
    cell.target = target;
    cell.clipWidth = clipLeft + float(viewWidth);
    cellCount = 0;

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
}

void TLSegment::paintBackgrounds(QPainter &painter)
{
    // The outline is the pen a widget painter starts with (its foreground).
    // A view 0 pixels wide gets empty rectangles, not ones of width -1.
    const qreal width = viewWidth > 0 ? qreal(viewWidth) - 1 : 0;
    for (int row = 0; row < RowCount; ++row) {
        painter.setBrush(QBrush(rowColor(row), Qt::SolidPattern));
        const QRectF rect(0, rowTop(row), width, rowHeight(row));
        painter.drawRects(&rect, 1);
    }
}

void TLSegment::drawRow(TLCalendar::Unit unit, int row)
{
    cell.height = rowHeight(row);
    cell.top = rowTop(row);
    const QLocale locale;
    cellCount += TLCalendar::forEachCell(unit, windowStart, windowEnd,
                            [&](const QDateTime &cellStart, const QDateTime &cellEnd) {
        cell.startSeconds = windowStart.secsTo(cellStart);
        cell.endSeconds = windowStart.secsTo(cellEnd);
        cell.label = TLCalendar::label(unit, cellStart, locale);
        cell.draw();
    });
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
