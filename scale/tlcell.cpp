#include "tlcell.h"

#include <QFont>
#include <QLineF>
#include <QPainter>
#include <QRectF>
#include <QWidget>

namespace {
const QString LabelFontFamily = QStringLiteral("DIN");
// The label's point size is this share of the row's height.
constexpr double LabelSizePerHeight = 0.6;
} // namespace

TLCell::TLCell() = default;

TLCell::~TLCell() = default;

void TLCell::draw()
{
    left = float(double(startSeconds) / double(secondsPer100Px) * 100.0);
    right = float(double(endSeconds) / double(secondsPer100Px) * 100.0);

    QPainter painter(target);
    painter.setClipRect(QRectF(clipLeft, top, clipWidth, height), Qt::ReplaceClip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawLine(QLineF(left, top, left, top + height));
    painter.setFont(QFont(LabelFontFamily, int(LabelSizePerHeight * height), QFont::Bold));
    painter.drawText(QRectF(left, top, right - left, height), Qt::AlignCenter, label);
}
