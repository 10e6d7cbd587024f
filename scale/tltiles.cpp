#include "tltiles.h"

#include <algorithm>

const TLTiles::Picture *TLTiles::find(qint64 column, int phase)
{
    for (Tile &tile : tiles) {
        if (tile.column == column && tile.phase == phase) {
            tile.lastUse = ++uses;
            return &tile.picture;
        }
    }
    return nullptr;
}

const TLTiles::Picture &TLTiles::keep(qint64 column, int phase, Picture picture)
{
    tiles.push_back({column, phase, std::move(picture), ++uses});
    return tiles.back().picture;
}

void TLTiles::limitTo(int visibleTiles)
{
    capacity = 2 * size_t(visibleTiles) + SpareTiles;
    if (tiles.size() <= capacity)
        return;
    std::sort(tiles.begin(), tiles.end(),
              [](const Tile &a, const Tile &b) { return a.lastUse > b.lastUse; });
    drop(tiles.begin() + std::ptrdiff_t(capacity));
}

void TLTiles::clear()
{
    drop(tiles.begin());
}

void TLTiles::drop(std::vector<Tile>::iterator from)
{
    for (auto it = from; it != tiles.end(); ++it)
        spares.push_back(std::move(it->picture.image));
    tiles.erase(from, tiles.end());
    // Tiles and spares together stay within the capacity.
    if (tiles.size() + spares.size() > capacity)
        spares.resize(capacity > tiles.size() ? capacity - tiles.size() : 0);
}

QImage TLTiles::blank(const QSize &size, qreal ratio)
{
    while (!spares.empty()) {
        QImage image = std::move(spares.back());
        spares.pop_back();
        if (image.size() == size) {
            image.setDevicePixelRatio(ratio);
            return image;
        }
    }
    QImage image(size, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

qint64 TLTiles::bytes() const
{
    qint64 total = 0;
    for (const Tile &tile : tiles)
        total += tile.picture.image.sizeInBytes();
    return total;
}
