#include "tldividerstamps.h"

#include "tlrowlayer.h"

#include <QLineF>
#include <QPainter>

#include <vector>

namespace {

// Columns given to each divider of the probe, and the column its pixel column
// is within them: the widest stroke reaches two columns either side.
constexpr int ProbeStride = 8;
constexpr int ProbeColumn = 3;
// Rows of transparent pixels above and below the row in the probe.
constexpr int ProbeMargin = 1;

} // namespace

bool TLDividerStamps::isFor(float top, float height, const QRectF &clip, const QRect &clipPixels,
                            const QPen &pen) const
{
    return top == rowTop && height == rowHeight && clip == rowClip && clipPixels == rowPixels
           && pen == rowPen;
}

void TLDividerStamps::setRow(float top, float height, const QRectF &clip, const QRect &clipPixels,
                             const QPen &pen)
{
    rowTop = top;
    rowHeight = height;
    rowClip = clip;
    rowPixels = clipPixels;
    rowPen = pen;
    made = 0;
    for (Stamp &stamp : stamps)
        stamp = Stamp();
}

void TLDividerStamps::make(quint64 wanted)
{
    const quint64 missing = wanted & ~made;
    if (missing == 0)
        return;
    std::vector<int> phases;
    for (int phase = 0; phase < Phases; ++phase) {
        if (missing & (quint64(1) << phase))
            phases.push_back(phase);
    }

    // The probe holds the row's pixels, moved down so that they start at
    // ProbeMargin, and one divider every ProbeStride columns. Moving by whole
    // pixels keeps every fraction the stroker sees.
    const int shiftY = ProbeMargin - rowPixels.top();
    QImage probe(int(phases.size()) * ProbeStride, rowPixels.height() + 2 * ProbeMargin,
                 QImage::Format_ARGB32_Premultiplied);
    probe.fill(Qt::transparent);
    std::vector<QLineF> lines;
    for (size_t i = 0; i < phases.size(); ++i) {
        const qreal x = qreal(int(i) * ProbeStride + ProbeColumn) + qreal(phases[i]) / Phases;
        lines.emplace_back(x, rowTop, x, rowTop + rowHeight);
    }
    {
        QPainter painter(&probe);
        painter.translate(0, shiftY);
        painter.setClipRect(QRectF(0, rowClip.top(), probe.width(), rowClip.height()));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(rowPen);
        painter.drawLines(lines.data(), int(lines.size()));
    }

    for (size_t i = 0; i < phases.size(); ++i) {
        const int first = int(i) * ProbeStride;
        const QRect ink =
                TLRowLayer::inkBounds(probe, QRect(first, 0, ProbeStride, probe.height()));
        Stamp &stamp = stamps[phases[i]];
        if (!ink.isEmpty()) {
            stamp.image = probe.copy(ink);
            stamp.offset = QPoint(ink.left() - first - ProbeColumn, ink.top() - shiftY);
        }
    }
    made |= missing;
}
