#include "tltiles.h"

#include <algorithm>

const QImage *TLTiles::find(qint64 column, int phase)
{
    for (Tile &tile : tiles) {
        if (tile.column == column && tile.phase == phase) {
            tile.lastUse = ++uses;
            return &tile.image;
        }
    }
    return nullptr;
}

void TLTiles::keep(qint64 column, int phase, const QImage &image)
{
    tiles.push_back({column, phase, image, ++uses});
}

void TLTiles::limitTo(int visibleTiles)
{
    const size_t capacity = size_t(2 * visibleTiles + SpareTiles);
    if (tiles.size() <= capacity)
        return;
    std::sort(tiles.begin(), tiles.end(),
              [](const Tile &a, const Tile &b) { return a.lastUse > b.lastUse; });
    tiles.resize(capacity);
}

qint64 TLTiles::bytes() const
{
    qint64 total = 0;
    for (const Tile &tile : tiles)
        total += tile.image.sizeInBytes();
    return total;
}
