#include "tlcell.h"

#include "tlpixelmap.h"

#include <QFont>
#include <QPainter>
#include <QPen>

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
    // A cosmetic pen is as wide in device pixels (at least one).
    const QPen &pen = painter->pen();
    penWidth = pen.isCosmetic() ? qMax(pen.widthF(), qreal(1)) / painter->deviceTransform().m11()
                                : pen.widthF();
}

void TLCell::draw()
{
    left = TLPixelMap::xOf(startSeconds, secondsPer100Px);
    right = TLPixelMap::xOf(endSeconds, secondsPer100Px);
    // The pen's stroke of the line from (left, top) to (left, top + height):
    // as wide as the pen, its square caps reaching half that beyond the ends.
    if (divider)
        painter->fillRect(
                QRectF(left - penWidth / 2, top - penWidth / 2, penWidth, height + penWidth),
                painter->pen().brush());
    if (label.isEmpty())
        return;

    const QRectF cell(left, top, right - left, height);
    const TLLabelCache::Label &laidOut = labels.label(label);
    // A label cut at its cell's edges would read as another ("0:00h" for
    // "10:00h"): one that does not fit is left out, and the divider shows
    // where the cell is.
    const qreal width = laidOut.width;
    if (width > cell.width())
        return;
    if (!laidOut.laidOut) {
        painter->drawText(cell, Qt::AlignCenter, label);
        return;
    }
    // Centred as drawText(cell, Qt::AlignCenter, label) centres it, from the
    // layout made once.
    const QPointF topLeft(cell.x() + (cell.width() - width) / 2,
                          cell.y() + (cell.height() - textHeight) / 2);
    // Nothing of a label that lies wholly beside the row's clip shows; its
    // ink reaches a little beyond its advance at most.
    const qreal reach = textHeight / 4;
    if (topLeft.x() + width + reach < rowClip.left() || topLeft.x() - reach > rowClip.right())
        return;
    if (textHeight <= cell.height()) {
        painter->drawStaticText(topLeft, laidOut.text);
        return;
    }
    painter->setClipRect(cell, Qt::IntersectClip);
    painter->drawStaticText(topLeft, laidOut.text);
    painter->setClipRect(rowClip, Qt::ReplaceClip);
}
