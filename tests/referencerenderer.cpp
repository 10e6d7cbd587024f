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

    const QLocale locale;
    const float clipLeft = 0.0f;
    const float clipWidth = clipLeft + float(viewWidth);
    for (int row = 0; row < TLSegment::RowCount; ++row) {
        const float top = layout.rowTop(row);
        const float height = layout.rowHeight(row);
        if (!(height > TLSegment::MinCellRowHeight))
            continue;
        const TLCalendar::Unit unit = RowUnits[row];
        cellCount += TLCalendar::forEachCell(
                unit, windowStart, windowEnd,
                [&](const QDateTime &cellStart, const QDateTime &cellEnd) {
                    drawCell(target, windowStart.secsTo(cellStart), windowStart.secsTo(cellEnd),
                             secondsPer100Px, top, height, clipLeft, clipWidth,
                             TLCalendar::label(unit, cellStart, locale));
                });
    }
}
