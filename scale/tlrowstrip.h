#ifndef TLROWSTRIP_H
#define TLROWSTRIP_H

#include <QImage>
#include <QRect>
#include <QRgb>

#include <utility>
#include <vector>

class QPainter;

// The rows' bare backgrounds across a tile's width, which every tile starts
// from. The strip is the same in every column, so it can be filled as runs
// of one colour instead of copied; and where a tile still shows it, the tile
// need not be copied either.
class TLRowStrip
{
public:
    // Repeats piece (rows without ends, a divisor of width wide) across width
    // device pixels; rowHeights (in pixels, top row first) split it into rows.
    void make(const QImage &piece, int width, const std::vector<float> &rowHeights);

    const QImage &image() const { return strip; }

    // Fills device columns [left, right) as the strip shows them.
    void fill(QPainter &painter, qreal left, qreal right) const;

    // Where tile, of the strip's size, differs from it: runs of columns in
    // each row, or the whole tile when they are most of it.
    std::vector<QRect> inkRects(const QImage &tile) const;

private:
    struct Band
    {
        int top;
        int height;
        QRgb color;
    };

    QImage strip;
    std::vector<Band> colorBands;
    // Device rows [first, second) of each row.
    std::vector<std::pair<int, int>> rows;
};

#endif // TLROWSTRIP_H
