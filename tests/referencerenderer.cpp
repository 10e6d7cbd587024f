#include "referencerenderer.h"

#include "timeline.h"
#include "tlcalendar.h"
#include "tlcanvas.h"
#include "tlsegment.h"

#include <QBrush>
#include <QFont>
#include <QLineF>
#include <QLocale>
#include <QPainter>
#include <QRectF>
#include <QWidget>

namespace {

constexpr TLCalendar::Unit RowUnits[TLSegment::RowCount] = {
        TLCalendar::Unit::Hour,  TLCalendar::Unit::Day,  TLCalendar::Unit::Week,
        TLCalendar::Unit::Month, TLCalendar::Unit::Year,
};

// The first boundary at or before the window's start, as the row's generator
// finds it: the hour or the date of the start, moved back to the unit's
// first day.
QDateTime firstBoundary(TLCalendar::Unit unit, const QDateTime &start)
{
    if (unit == TLCalendar::Unit::Hour)
        return QDateTime(start.date(), QTime(start.time().hour(), 0));
    const QDateTime midnight(start.date(), QTime(0, 0));
    const QDate date = start.date();
    switch (unit) {
    case TLCalendar::Unit::Week:
        return midnight.addDays(1 - date.dayOfWeek());
    case TLCalendar::Unit::Month:
        return midnight.addDays(1 - date.day());
    case TLCalendar::Unit::Year:
        return midnight.addDays(1 - date.dayOfYear());
    default:
        return midnight;
    }
}

QDateTime nextBoundary(TLCalendar::Unit unit, const QDateTime &cur)
{
    switch (unit) {
    case TLCalendar::Unit::Hour:
        return cur.addSecs(3600);
    case TLCalendar::Unit::Day:
        return cur.addDays(1);
    case TLCalendar::Unit::Week:
        return cur.addDays(7);
    case TLCalendar::Unit::Month:
        return cur.addDays(cur.date().daysInMonth());
    case TLCalendar::Unit::Year:
        break;
    }
    return cur.addDays(cur.date().daysInYear());
}

} // namespace

void ReferenceRenderer::drawCell(QWidget *target, qint64 startSeconds, qint64 endSeconds,
                                 quint32 secondsPer100Px, float top, float height, float clipLeft,
                                 float clipWidth, const QString &label)
{
    // Nothing is shared with any other cell: painter, clip, render hint and
    // font are set up anew and the label is laid out from scratch.
    const auto left = float(double(startSeconds) / double(secondsPer100Px) * 100.0);
    const auto right = float(double(endSeconds) / double(secondsPer100Px) * 100.0);

    QPainter painter(target);
    painter.setClipRect(QRectF(clipLeft, top, clipWidth, height), Qt::ReplaceClip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawLine(QLineF(left, top, left, top + height));
    painter.setFont(QFont(QStringLiteral("DIN"), int(0.6 * height), QFont::Bold));
    painter.drawText(QRectF(left, top, right - left, height), Qt::AlignCenter, label);
}

ReferenceRenderer::ReferenceRenderer(Mode mode)
    : mode(mode)
{
}

ReferenceRenderer::~ReferenceRenderer()
{
    detach();
}

void ReferenceRenderer::attach(Timeline *timeline)
{
    detach();
    attached = timeline;
    TLCanvas *canvas = timeline->drawingCanvas();
    QObject::disconnect(canvas, &TLCanvas::canvasRepaintSignal, timeline,
                        &Timeline::canvasRepaintSlot);
    connection = QObject::connect(
            canvas, &TLCanvas::canvasRepaintSignal, timeline, [this, timeline](QWidget *target) {
                paint(target, timeline->currentWindowStart(), timeline->currentSecondsPer100Px(),
                      quint32(qMax(timeline->width(), 0)), quint32(qMax(timeline->height(), 0)));
            });
}

void ReferenceRenderer::detach()
{
    if (!attached)
        return;
    QObject::disconnect(connection);
    QObject::connect(attached->drawingCanvas(), &TLCanvas::canvasRepaintSignal, attached,
                     &Timeline::canvasRepaintSlot);
    attached = nullptr;
}

void ReferenceRenderer::paint(QWidget *target, const QDateTime &windowStart,
                              quint32 secondsPer100Px, quint32 viewWidth, quint32 viewHeight)
{
    TLSegment layout;
    layout.setSecondsPer100Px(secondsPer100Px);
    layout.setViewWidth(viewWidth);
    layout.setViewHeight(viewHeight);
    layout.updateRowShares();
    const QDateTime windowEnd = TLSegment::windowEndFor(windowStart, viewWidth, secondsPer100Px);

    cellCount = 0;
    QPainter painter(target);
    if (mode == Mode::BackgroundsOnly) {
        // The floor: the backgrounds as the segment itself paints them.
        layout.paintBackgrounds(painter);
        return;
    }
    // Each row a rectangle filled with its colour and outlined with the pen.
    const qreal width = viewWidth > 0 ? qreal(viewWidth) - 1 : 0;
    for (int row = 0; row < TLSegment::RowCount; ++row) {
        painter.setBrush(QBrush(TLSegment::rowColor(row), Qt::SolidPattern));
        const QRectF rect(0, layout.rowTop(row), width, layout.rowHeight(row));
        painter.drawRects(&rect, 1);
    }
    painter.end();

    // The cells the straightforward way too: every boundary a date-time in
    // local time, one unit after the one before.
    const QLocale locale;
    const float clipLeft = 0.0f;
    const float clipWidth = clipLeft + float(viewWidth);
    const QDateTime start = windowStart.toLocalTime();
    const QDateTime end = windowEnd.toLocalTime();
    const qint64 maxCells = qint64(viewWidth) * secondsPer100Px / 100 / 3600 + 2;
    for (int row = 0; row < TLSegment::RowCount; ++row) {
        const float top = layout.rowTop(row);
        const float height = layout.rowHeight(row);
        if (!(height > TLSegment::MinCellRowHeight))
            continue;
        const TLCalendar::Unit unit = RowUnits[row];
        QDateTime cur = firstBoundary(unit, start);
        for (qint64 cells = 0; cur.isValid() && cells < maxCells; ++cells) {
            const QDateTime next = nextBoundary(unit, cur);
            if (!next.isValid() || next <= cur)
                break;
            drawCell(target, start.secsTo(cur), start.secsTo(next), secondsPer100Px, top, height,
                     clipLeft, clipWidth, TLCalendar::label(unit, cur.date(), cur.time(), locale));
            ++cellCount;
            cur = next;
            if (!(cur < end))
                break;
        }
    }
}
