#include "tlpicturecache.h"

#include "tlpixelmap.h"

#include <QPaintEngine>
#include <QPainter>
#include <QRectF>
#include <QRegion>
#include <QTransform>
#include <QtNumeric>

#include <cmath>
#include <cstring>

namespace {

// How far in from the view's sides the rows' outlines are laid over what
// the tiles show.
constexpr qreal EdgeWidth = 3;
// Tiles are anchored anew before positions relative to the anchor lose
// precision as floats.
constexpr qreal MaxAnchorDistance = 1 << 20;
// The rows' backgrounds are painted this many device pixels wide and copied
// across (a divisor of the tiles' width).
constexpr int StripPieceWidth = 16;

} // namespace

bool TLPictureCache::Content::operator==(const Content &other) const
{
    return anchor == other.anchor && scale == other.scale && height == other.height
           && ratio == other.ratio && cells == other.cells && palette == other.palette
           && font == other.font;
}

qreal TLPictureCache::View::tileLeft(qint64 column) const
{
    return (qreal(column * TLTiles::TileWidth) + qreal(phase) / TLTiles::Phases) / ratio;
}

qreal TLPictureCache::View::deviceX(qint64 column) const
{
    // The anchor's device pixels and the view's differ by whole pixels, up
    // to the phase.
    return std::round(tileLeft(column) * ratio - viewLeft);
}

TLPictureCache::TLPictureCache() = default;

TLPictureCache::~TLPictureCache() = default;

std::optional<TLPictureCache::View> TLPictureCache::viewOf(const QPainter &painter,
                                                           const Frame &frame) const
{
    // Tiles need a raster device that is only scaled evenly and moved by
    // whole device pixels vertically.
    const QTransform device = painter.deviceTransform();
    const qreal ratio = device.m11();
    if (!painter.paintEngine() || painter.paintEngine()->type() != QPaintEngine::Raster
        || device.type() > QTransform::TxScale || ratio <= 0 || device.m22() != ratio
        || device.dy() != std::floor(device.dy()) || frame.width == 0 || frame.height == 0)
        return std::nullopt;

    View view;
    view.ratio = ratio;
    view.anchor = content.anchor;
    view.deviceLeft = device.dx();
    // The tiles serve while the window moves by whole seconds from a whole
    // second (cells lie at whole seconds from the window's start), and not
    // so far that the anchor's pixels lose precision, or further than 64
    // bits hold (from one end of time to the other).
    qint64 moved = 0;
    const bool tooFar = qSubOverflow(frame.start, content.anchor, &moved);
    view.viewLeft = TLPixelMap::pixelsOf(moved / 1000, frame.secondsPer100Px) * ratio;
    if (tooFar || moved % 1000 != 0 || (frame.start % 1000 != 0 && moved != 0)
        || std::abs(view.viewLeft) > MaxAnchorDistance) {
        view.anchor = frame.start;
        view.viewLeft = 0;
    }
    const qreal shift = view.viewLeft - view.deviceLeft;
    view.phase = int(std::lround((shift - std::floor(shift)) * TLTiles::Phases)) % TLTiles::Phases;

    // Only the tiles over the part of the view that the paint event exposes.
    qreal exposedLeft = 0;
    qreal exposedRight = frame.width * ratio;
    const QRegion exposed = painter.paintEngine()->systemClip();
    if (!exposed.isEmpty()) {
        exposedLeft = qMax(exposedLeft, exposed.boundingRect().left() - view.deviceLeft);
        exposedRight = qMin(exposedRight, exposed.boundingRect().right() + 1 - view.deviceLeft);
    }
    const qreal left = view.viewLeft - qreal(view.phase) / TLTiles::Phases;
    view.firstColumn = qint64(std::floor((left + exposedLeft) / TLTiles::TileWidth));
    view.lastColumn = qint64(
            std::floor((left + qMax(exposedRight, exposedLeft + 1) - 1e-6) / TLTiles::TileWidth));
    return view;
}

bool TLPictureCache::useContent(const Content &now, qint64 start)
{
    if (now == content)
        return false;
    // Tiles of new content are anchored at the window's start, where they
    // fall on the same pixels as painting the window directly.
    tiles.clear();
    content = now;
    content.anchor = start;
    return true;
}

bool TLPictureCache::hasBackgrounds(const Frame &frame, qreal ratio, qint64 palette) const
{
    // What the strip shows depends only on the row layout, the colours and
    // the view's size.
    std::vector<float> layout = frame.rowHeights;
    layout.push_back(float(frame.height));
    return !rowStrip.image().isNull() && layout == stripLayout
           && ratio == rowStrip.image().devicePixelRatio() && palette == stripPalette
           && frame.width == stripWidth;
}

QImage TLPictureCache::blankPiece(const Frame &frame, qreal ratio, const QColor &window) const
{
    QImage piece(StripPieceWidth, int(std::ceil(frame.height * ratio)), QImage::Format_RGB32);
    piece.setDevicePixelRatio(ratio);
    piece.fill(window);
    return piece;
}

std::array<TLPictureCache::Edge, 2> TLPictureCache::blankEdges(const Frame &frame,
                                                               qreal ratio) const
{
    // The view's sides, as far in as the edges reach.
    const auto edgeWidth = int(std::ceil(EdgeWidth * ratio));
    const auto deviceWidth = int(std::ceil(frame.width * ratio));
    std::array<Edge, 2> blank;
    blank[1].deviceLeft = qMax(deviceWidth - edgeWidth, 0);
    for (Edge &edge : blank) {
        QImage outline(qMin(edgeWidth, deviceWidth), int(std::ceil(frame.height * ratio)),
                       QImage::Format_ARGB32_Premultiplied);
        outline.setDevicePixelRatio(ratio);
        outline.fill(Qt::transparent);
        edge.outline = {outline, {outline.rect()}};
    }
    return blank;
}

void TLPictureCache::keepBackgrounds(const QImage &piece, std::array<Edge, 2> newEdges,
                                     const Frame &frame, qint64 palette)
{
    rowStrip.make(piece, TLTiles::TileWidth, frame.rowHeights);
    stripLayout = frame.rowHeights;
    stripLayout.push_back(float(frame.height));
    stripPalette = palette;
    stripWidth = frame.width;
    edges = std::move(newEdges);
}

bool TLPictureCache::hasTile(qint64 column, int phase)
{
    return tiles.find(column, phase) != nullptr;
}

QImage TLPictureCache::blankTile(const View &view)
{
    const QImage &bare = rowStrip.image();
    QImage tile = tiles.blank(bare.size(), view.ratio);
    std::memcpy(tile.bits(), bare.constBits(), size_t(bare.sizeInBytes()));
    return tile;
}

void TLPictureCache::keepTile(qint64 column, int phase, QImage tile)
{
    std::vector<QRect> ink = rowStrip.inkRects(tile);
    tiles.keep(column, phase, {std::move(tile), std::move(ink)});
}

void TLPictureCache::paintTiles(QPainter &painter, const View &view, const Frame &frame)
{
    std::vector<const TLTiles::Picture *> inView;
    for (qint64 column = view.firstColumn; column <= view.lastColumn; ++column)
        inView.push_back(tiles.find(column, view.phase));
    // Where tiles show mostly bare rows, the rows are filled and only the
    // ink is copied over them: filling beats copying.
    qreal bareFrom = 0;
    bool bare = false;
    for (size_t i = 0; i <= inView.size(); ++i) {
        const qint64 column = view.firstColumn + qint64(i);
        const bool nowBare = i < inView.size() && !inView[i]->isWhole();
        if (bare && !nowBare)
            rowStrip.fill(painter, bareFrom, view.deviceX(column));
        if (nowBare && !bare)
            bareFrom = view.deviceX(column);
        bare = nowBare;
    }
    for (size_t i = 0; i < inView.size(); ++i)
        blit(painter, *inView[i], view.deviceX(view.firstColumn + qint64(i)), view.ratio);
    tiles.limitTo(int(std::ceil(frame.width * view.ratio / TLTiles::TileWidth)) + 1);
}

void TLPictureCache::fillBareRows(QPainter &painter, qreal left, qreal right) const
{
    rowStrip.fill(painter, left, right);
}

void TLPictureCache::paintEdges(QPainter &painter, qreal ratio) const
{
    // Tiles show the rows without ends; the outlines of the view's own
    // rectangles run down its sides. The outlines are opaque and in the
    // pen's colour, as the cells' ink over them would be.
    for (const Edge &edge : edges)
        blit(painter, edge.outline, edge.deviceLeft, ratio);
}

void TLPictureCache::blit(QPainter &painter, const TLTiles::Picture &picture, qreal deviceX,
                          qreal ratio)
{
    // In device pixels, one to one: the quickest copy there is.
    painter.save();
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    for (const QRect &part : picture.ink)
        painter.drawImage(QRectF(part).translated(deviceX, 0), picture.image, QRectF(part));
    painter.restore();
}
