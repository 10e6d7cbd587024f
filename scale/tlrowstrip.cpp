#include "tlrowstrip.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Runs of ink closer than this many device pixels are copied as one.
constexpr int MergeGap = 32;

} // namespace

void TLRowStrip::make(const QImage &piece, int width, const std::vector<float> &rowHeights)
{
    strip = QImage(width, piece.height(), QImage::Format_RGB32);
    strip.setDevicePixelRatio(piece.devicePixelRatio());
    const auto pieceBytes = size_t(piece.width()) * sizeof(QRgb);
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = 0; x < width; x += piece.width())
            std::memcpy(strip.scanLine(y) + size_t(x) * sizeof(QRgb), piece.constScanLine(y),
                        pieceBytes);
    }

    colorBands.clear();
    for (int y = 0; y < strip.height(); ++y) {
        const QRgb color = strip.pixel(0, y);
        if (colorBands.empty() || colorBands.back().color != color)
            colorBands.push_back({y, 0, color});
        ++colorBands.back().height;
    }

    rows.clear();
    float bottom = 0;
    for (size_t row = 0; row < rowHeights.size(); ++row) {
        bottom += rowHeights[row];
        const int top = rows.empty() ? 0 : rows.back().second;
        const int end = row + 1 == rowHeights.size()
                                ? strip.height()
                                : qBound(top, int(std::lround(bottom * piece.devicePixelRatio())),
                                         strip.height());
        if (end > top)
            rows.emplace_back(top, end);
    }
}

void TLRowStrip::fill(QPainter &painter, qreal left, qreal right) const
{
    const qreal ratio = strip.devicePixelRatio();
    painter.save();
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    for (const Band &band : colorBands)
        painter.fillRect(QRectF(left, band.top, right - left, band.height), QColor(band.color));
    painter.restore();
}

std::vector<QRect> TLRowStrip::inkRects(const QImage &tile) const
{
    std::vector<QRect> rects;
    qint64 area = 0;
    const int width = tile.width();
    const auto lineBytes = size_t(width) * sizeof(QRgb);
    std::vector<quint8> ink(static_cast<size_t>(width));
    for (const auto &[top, bottom] : rows) {
        std::fill(ink.begin(), ink.end(), 0);
        for (int y = top; y < bottom; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(tile.constScanLine(y));
            const auto *bare = reinterpret_cast<const QRgb *>(strip.constScanLine(y));
            // Most lines of most tiles are bare.
            if (std::memcmp(line, bare, lineBytes) == 0)
                continue;
            for (int x = 0; x < width; ++x)
                ink[size_t(x)] |= quint8(line[x] != bare[x]);
        }
        const size_t first = rects.size();
        for (int x = 0; x < width; ++x) {
            if (!ink[size_t(x)])
                continue;
            if (rects.size() > first && x - rects.back().right() <= MergeGap)
                rects.back().setRight(x);
            else
                rects.emplace_back(x, top, 1, bottom - top);
        }
        for (size_t i = first; i < rects.size(); ++i)
            area += qint64(rects[i].width()) * rects[i].height();
    }
    // Past half the tile, copying it whole is cheaper than filling and ink.
    if (2 * area > qint64(tile.width()) * tile.height())
        return {tile.rect()};
    return rects;
}
