#include "tlcell.h"

#include <QFont>
#include <QLineF>
#include <QPainter>

namespace {

const QString LabelFontFamily = QStringLiteral("DIN");
// The label's point size is this share of the row's height.
constexpr double LabelSizePerHeight = 0.6;

} // namespace

TLCell::TLCell() = default;

TLCell::~TLCell() = default;

void TLCell::beginRow()
{
    rowClip = QRectF(clipLeft, top, clipWidth, height);
    painter->setClipRect(rowClip, Qt::ReplaceClip);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setFont(QFont(LabelFontFamily, int(LabelSizePerHeight * height), QFont::Bold));
    labels.useFont(painter->font(), painter->deviceTransform().m11());
    textHeight = labels.textHeight();
}

void TLCell::draw()
{
    left = float(double(startSeconds) / double(secondsPer100Px) * 100.0);
    right = float(double(endSeconds) / double(secondsPer100Px) * 100.0);
    if (divider)
        painter->drawLine(QLineF(left, top, left, top + height));
    if (label.isEmpty())
        return;

    const QRectF cell(left, top, right - left, height);
    const TLLabelCache::Label *laidOut = labels.label(label);
    if (!laidOut) {
        painter->drawText(cell, Qt::AlignCenter, label);
        return;
    }
    // Centred as drawText(cell, Qt::AlignCenter, label) centres it, from the
    // layout made once.
    const qreal width = laidOut->width;
    const QPointF topLeft(cell.x() + (cell.width() - width) / 2,
                          cell.y() + (cell.height() - textHeight) / 2);
    if (width <= cell.width() && textHeight <= cell.height()) {
        painter->drawStaticText(topLeft, laidOut->text);
        return;
    }
    painter->setClipRect(cell, Qt::IntersectClip);
    painter->drawStaticText(topLeft, laidOut->text);
    painter->setClipRect(rowClip, Qt::ReplaceClip);
}
