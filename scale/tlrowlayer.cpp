#include "tlrowlayer.h"

#include <QPainter>

#include <cstring>

namespace {

// Each of the four 8-bit channels of x times a / 255, rounded, as the raster
// engine multiplies premultiplied pixels.
quint32 byteMul(quint32 x, quint32 a)
{
    quint32 t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080);
    x &= 0xff00ff00;
    return x | t;
}

} // namespace

bool TLRowLayer::begin(QPainter *target, const QRect &pixels)
{
    flush();
    painter = nullptr;
    if (pixels.height() > MaxHeight)
        return false;
    painter = target;
    row = pixels;
    if (tile.height() < row.height()) {
        tile = QImage(TileWidth, row.height(), QImage::Format_ARGB32_Premultiplied);
        tile.fill(Qt::transparent);
        tileBits = tile.bits();
        tileStride = tile.bytesPerLine();
    }
    return true;
}

void TLRowLayer::add(const QImage &stamp, const QPoint &topLeft)
{
    if (!painter || stamp.isNull())
        return;
    const QRect pixels = QRect(topLeft, stamp.size()) & row;
    if (pixels.isEmpty())
        return;
    if (!tileRect.contains(pixels)) {
        flush();
        if (pixels.width() > TileWidth) {
            painter->drawImage(topLeft, stamp);
            return;
        }
        tileRect = QRect(pixels.left(), row.top(), TileWidth, row.height());
    }
    if (stamp.format() == QImage::Format_ARGB32_Premultiplied)
        blend(stamp, topLeft, pixels);
    else
        blend(stamp.convertToFormat(QImage::Format_ARGB32_Premultiplied), topLeft, pixels);
}

void TLRowLayer::flush()
{
    if (!used.isEmpty()) {
        const QRect source = used.translated(-tileRect.topLeft());
        painter->drawImage(used.topLeft(), tile, source);
        for (int y = source.top(); y <= source.bottom(); ++y) {
            uchar *line = tileBits + y * tileStride + source.left() * qsizetype(sizeof(quint32));
            std::memset(line, 0, size_t(source.width()) * sizeof(quint32));
        }
    }
    used = QRect();
    tileRect = QRect();
}

void TLRowLayer::blend(const QImage &stamp, const QPoint &topLeft, const QRect &pixels)
{
    // Where no stamp of this tile has been, the pixels are transparent and the
    // stamp's are simply copied.
    const bool clean = !used.intersects(pixels);
    const QPoint origin = tileRect.topLeft();
    const qsizetype sourceStride = stamp.bytesPerLine();
    const uchar *sourceLine = stamp.constBits() + (pixels.top() - topLeft.y()) * sourceStride
                              + (pixels.left() - topLeft.x()) * qsizetype(sizeof(quint32));
    uchar *targetLine = tileBits + (pixels.top() - origin.y()) * tileStride
                        + (pixels.left() - origin.x()) * qsizetype(sizeof(quint32));
    const int width = pixels.width();
    const int height = pixels.height();
    for (int y = 0; y < height; ++y) {
        const auto *source = reinterpret_cast<const quint32 *>(sourceLine);
        auto *target = reinterpret_cast<quint32 *>(targetLine);
        sourceLine += sourceStride;
        targetLine += tileStride;
        if (clean) {
            // Most stamps are a few pixels wide: dividers two, the visible
            // parts of cut labels a cell.
            if (width <= 2) {
                target[0] = source[0];
                if (width == 2)
                    target[1] = source[1];
            } else {
                std::memcpy(target, source, size_t(width) * sizeof(quint32));
            }
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const quint32 s = source[x];
            if (s == 0)
                continue;
            const quint32 alpha = s >> 24;
            target[x] = alpha == 255 || target[x] == 0 ? s : s + byteMul(target[x], 255 - alpha);
        }
    }
    used |= pixels;
}
