#include "tlrowlayer.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {

constexpr int SmallWidth = 8;

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

void TLRowLayer::add(const QImage &stamp, const QPoint &topLeft, const QRect &within)
{
    if (!painter || stamp.isNull())
        return;
    // The stamp's pixels within the row, in plain integers: this runs for
    // every cell.
    int left = std::max(topLeft.x(), row.left());
    int right = std::min(topLeft.x() + stamp.width(), row.left() + row.width());
    int top = std::max(topLeft.y(), row.top());
    int bottom = std::min(topLeft.y() + stamp.height(), row.top() + row.height());
    if (!within.isNull()) {
        left = std::max(left, within.left());
        right = std::min(right, within.left() + within.width());
        top = std::max(top, within.top());
        bottom = std::min(bottom, within.top() + within.height());
    }
    if (left >= right || top >= bottom)
        return;
    // A stamp that does not fit into the tile, or lies so far beyond what it
    // holds that painting the transparent pixels between would cost more
    // than another call, starts a new tile.
    const bool fits = tileWidth > 0 && left >= tileLeft && right <= tileLeft + tileWidth;
    if (!fits || (usedRight > usedLeft && (left - usedRight) * row.height() > MaxGapPixels)) {
        flush();
        if (right - left > TileWidth) {
            const QRect part(left, top, right - left, bottom - top);
            painter->drawImage(part.topLeft(), stamp, part.translated(-topLeft));
            return;
        }
        tileLeft = left;
        tileWidth = TileWidth;
    }
    const QRect pixels(left, top, right - left, bottom - top);
    if (stamp.format() == QImage::Format_ARGB32_Premultiplied)
        blend(stamp, topLeft, pixels);
    else
        blend(stamp.convertToFormat(QImage::Format_ARGB32_Premultiplied), topLeft, pixels);
}

void TLRowLayer::flush()
{
    if (usedRight > usedLeft) {
        const QRect source(usedLeft - tileLeft, usedTop - row.top(), usedRight - usedLeft,
                           usedBottom - usedTop);
        painter->drawImage(QPoint(usedLeft, usedTop), tile, source);
        for (int y = source.top(); y <= source.bottom(); ++y) {
            uchar *line = tileBits + y * tileStride + source.left() * qsizetype(sizeof(quint32));
            std::memset(line, 0, size_t(source.width()) * sizeof(quint32));
        }
    }
    usedLeft = usedRight = usedTop = usedBottom = 0;
    tileWidth = 0;
}

void TLRowLayer::blend(const QImage &stamp, const QPoint &topLeft, const QRect &pixels)
{
    const int left = pixels.left();
    const int top = pixels.top();
    const int width = pixels.width();
    const int height = pixels.height();
    // Where no stamp of this tile has been, the pixels are transparent and the
    // stamp's are simply copied.
    const bool clean = usedRight <= usedLeft || left >= usedRight || left + width <= usedLeft
                       || top >= usedBottom || top + height <= usedTop;
    const qsizetype sourceStride = stamp.bytesPerLine();
    const uchar *sourceLine = stamp.constBits() + (top - topLeft.y()) * sourceStride
                              + (left - topLeft.x()) * qsizetype(sizeof(quint32));
    uchar *targetLine = tileBits + (top - row.top()) * tileStride
                        + (left - tileLeft) * qsizetype(sizeof(quint32));
    for (int y = 0; y < height; ++y) {
        const auto *source = reinterpret_cast<const quint32 *>(sourceLine);
        auto *target = reinterpret_cast<quint32 *>(targetLine);
        sourceLine += sourceStride;
        targetLine += tileStride;
        if (clean) {
            // Most stamps are a few pixels wide (dividers two, the visible
            // parts of cut labels a cell), too few for a call to memcpy.
            if (width <= SmallWidth) {
                for (int x = 0; x < width; ++x)
                    target[x] = source[x];
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
    if (usedRight <= usedLeft) {
        usedLeft = left;
        usedRight = left + width;
        usedTop = top;
        usedBottom = top + height;
    } else {
        usedLeft = std::min(usedLeft, left);
        usedRight = std::max(usedRight, left + width);
        usedTop = std::min(usedTop, top);
        usedBottom = std::max(usedBottom, top + height);
    }
}

QRect TLRowLayer::inkBounds(const QImage &image, const QRect &area)
{
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        int first = area.left();
        while (first <= area.right() && line[first] == 0)
            ++first;
        if (first > area.right())
            continue;
        int last = area.right();
        while (line[last] == 0)
            --last;
        ink |= QRect(first, y, last - first + 1, 1);
    }
    return ink;
}
