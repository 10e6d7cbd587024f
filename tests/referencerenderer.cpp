#include "referencerenderer.h"

#include "testsupport.h"
#include "timeline.h"
#include "tlcalendar.h"
#include "tlcanvas.h"
#include "tlsegment.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>

namespace {

using Unit = TLCalendar::Unit;

// The row's first boundary at or before the window's start: its hour, or the
// midnight of its date moved back to the unit's first day.
QDateTime firstBoundary(Unit unit, const QDateTime &start)
{
    const QDate d = start.date();
    switch (unit) {
    case Unit::Hour:
        return QDateTime(d, QTime(start.time().hour(), 0));
    case Unit::Day:
        return QDateTime(d, QTime(0, 0));
    case Unit::Week:
        return QDateTime(d.addDays(1 - d.dayOfWeek()), QTime(0, 0));
    case Unit::Month:
        return QDateTime(QDate(d.year(), d.month(), 1), QTime(0, 0));
    case Unit::Year:
        break;
    }
    return QDateTime(QDate(d.year(), 1, 1), QTime(0, 0));
}

QDateTime nextBoundary(Unit unit, const QDateTime &cur)
{
    const QDate d = cur.date();
    const QDate next = unit == Unit::Day     ? d.addDays(1)
                       : unit == Unit::Week  ? d.addDays(7)
                       : unit == Unit::Month ? d.addMonths(1)
                                             : d.addYears(1);
    return unit == Unit::Hour ? cur.addSecs(3600) : QDateTime(next, QTime(0, 0));
}

} // namespace

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

    cellCount = 0;
    QPainter painter(target);
    if (mode == Mode::BackgroundsOnly) {
        layout.paintBackgrounds(painter);
        return;
    }
    // Each row a rectangle filled with its colour and outlined with the pen.
    for (int row = 0; row < TLSegment::RowCount; ++row) {
        painter.setBrush(QColor(RowColors[row]));
        const QRectF rect(0, layout.rowTop(row), qMax(qreal(viewWidth) - 1, 0.0),
                          layout.rowHeight(row));
        painter.drawRects(&rect, 1);
    }
    painter.end();

    const QDateTime start = windowStart.toLocalTime();
    const QDateTime end = TLSegment::windowEndFor(windowStart, viewWidth, secondsPer100Px);
    const auto x = [&](const QDateTime &t) {
        return float(double(start.secsTo(t)) / double(secondsPer100Px) * 100.0);
    };
    for (int row = 0; row < TLSegment::RowCount; ++row) {
        const float top = layout.rowTop(row), height = layout.rowHeight(row);
        if (!(height > TLSegment::MinCellRowHeight))
            continue;
        const auto unit = Unit(row);
        for (QDateTime cur = firstBoundary(unit, start), next; cur.isValid() && cur < end;
             cur = next) {
            next = nextBoundary(unit, cur);
            // Nothing is shared with any other cell: painter, clip, render
            // hint and font are set up anew and the label is laid out afresh.
            QPainter cell(target);
            cell.setClipRect(QRectF(0, top, viewWidth, height));
            cell.setRenderHint(QPainter::Antialiasing);
            cell.drawLine(QLineF(x(cur), top, x(cur), top + height));
            const QFont font(QStringLiteral("DIN"), int(0.6 * height), QFont::Bold);
            cell.setFont(font);
            // A label wider than its cell is left out.
            const QString label = TLCalendar::label(unit, cur.date(), cur.time());
            if (QFontMetricsF(font).horizontalAdvance(label) <= x(next) - x(cur))
                cell.drawText(QRectF(x(cur), top, x(next) - x(cur), height), Qt::AlignCenter,
                              label);
            ++cellCount;
        }
    }
}
