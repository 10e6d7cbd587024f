#include "tltiledview.h"

#include "tltilesurface.h"

#include <QPaintEngine>
#include <QPainter>
#include <QRectF>
#include <QRegion>
#include <QTransform>
#include <QWidget>
#include <QtNumeric>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double PixelsPerScaleUnit = 100.0;
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

qint64 TLTiledView::instantAt(qint64 origin, qreal x, quint32 secondsPer100Px)
{
    // Milliseconds per pixel: the scale is seconds per 100 pixels.
    const double msecs = double(origin) + double(x) * double(secondsPer100Px) * 10.0;
    constexpr auto Max = double(std::numeric_limits<qint64>::max());
    return msecs >= Max    ? std::numeric_limits<qint64>::max()
           : msecs <= -Max ? std::numeric_limits<qint64>::min()
                           : qint64(msecs);
}

TLTiledView::Scale::~Scale() = default;

// The tiles of one paint: the device pixel ratio, the anchor, where the
// view's left edge lies in the anchor's device pixels and on the device,
// the phase, and the columns of tiles over the exposed part of the view.
struct TLTiledView::View
{
    qreal ratio;
    qint64 anchor;
    qreal viewLeft;
    int phase;
    qreal deviceLeft;
    qint64 firstColumn;
    qint64 lastColumn;

    qreal phaseShift() const { return qreal(phase) / TLTiles::Phases; }
    // Where a column of tiles begins, in pixels from the anchor.
    qreal tileLeft(qint64 column) const
    {
        return (qreal(column * TLTiles::TileWidth) + phaseShift()) / ratio;
    }
};

bool TLTiledView::Content::operator==(const Content &other) const
{
    return anchor == other.anchor && scale == other.scale && height == other.height
           && ratio == other.ratio && cells == other.cells && palette == other.palette
           && font == other.font;
}

TLTiledView::TLTiledView() = default;

TLTiledView::~TLTiledView() = default;

std::optional<TLTiledView::View> TLTiledView::viewOf(const QPainter &painter,
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

    View view{ratio, content.anchor, 0, 0, device.dx(), 0, 0};
    // A window that jumped from one end of time to the other is further
    // from the anchor than 64 bits hold.
    qint64 moved = 0;
    const bool tooFar = qSubOverflow(frame.start, view.anchor, &moved);
    view.viewLeft = qreal(moved / 1000) * PixelsPerScaleUnit / frame.secondsPer100Px * ratio;
    // Offsets are whole seconds from the window's start: the anchor serves
    // while the window moves by whole seconds from a whole second.
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
    const qreal left = view.viewLeft - view.phaseShift();
    view.firstColumn = qint64(std::floor((left + exposedLeft) / TLTiles::TileWidth));
    view.lastColumn = qint64(
            std::floor((left + qMax(exposedRight, exposedLeft + 1) - 1e-6) / TLTiles::TileWidth));
    return view;
}

bool TLTiledView::paint(QPainter &painter, QWidget *target, Scale &scale, const Frame &frame)
{
    const std::optional<View> view = viewOf(painter, frame);
    if (!view)
        return false;
    // The cells of every tile in view, so that each tile is whole.
    const qreal from = view->tileLeft(view->firstColumn) - InkReach;
    const qreal to = view->tileLeft(view->lastColumn + 1) + InkReach;
    scale.coverCells(instantAt(view->anchor, from, frame.secondsPer100Px),
                     instantAt(view->anchor, to, frame.secondsPer100Px));

    Content now;
    now.anchor = view->anchor;
    now.scale = frame.secondsPer100Px;
    now.height = frame.height;
    now.ratio = view->ratio;
    now.cells = scale.cellsVersion();
    now.palette = target->palette().cacheKey();
    now.font = target->font();
    const bool fresh = !(now == content);
    if (fresh) {
        // Tiles of new content are anchored at the window's start, where
        // they fall on the same pixels as painting the window directly.
        tiles.clear();
        content = now;
        content.anchor = frame.start;
    }
    updateBackgrounds(target, scale, frame, view->ratio);
    // The first paint of new content (every zoom step) is painted as it
    // stands; tiles are made when the same content is painted again.
    if (fresh)
        paintDirect(painter, scale, frame, *view);
    else
        paintFromTiles(painter, scale, frame, *view);
    paintEdges(painter, view->ratio);
    return true;
}

void TLTiledView::paintDirect(QPainter &painter, Scale &scale, const Frame &frame, const View &view)
{
    // The rows' backgrounds are the same all along, as the strip shows them.
    rowStrip.fill(painter, 0, std::ceil(frame.width * view.ratio));
    scale.paintCells(painter, frame.start, 0, frame.width, true);
}

void TLTiledView::paintFromTiles(QPainter &painter, Scale &scale, const Frame &frame,
                                 const View &view)
{
    // The anchor's device pixels and the view's differ by whole pixels, up
    // to the phase.
    const auto deviceX = [&view](qint64 column) {
        return std::round(view.tileLeft(column) * view.ratio - view.viewLeft);
    };
    // Where tiles show mostly bare rows, the rows are filled and only the
    // ink is copied over them: filling beats copying.
    qreal bareFrom = 0;
    bool bare = false;
    for (qint64 column = view.firstColumn; column <= view.lastColumn + 1; ++column) {
        bool nowBare = false;
        if (column <= view.lastColumn) {
            const TLTiles::Picture *tile = tiles.find(column, view.phase);
            if (!tile)
                tile = &tiles.keep(column, view.phase, paintTile(scale, view, column));
            nowBare = !tile->isWhole();
        }
        if (bare && !nowBare)
            rowStrip.fill(painter, bareFrom, deviceX(column));
        if (nowBare && !bare)
            bareFrom = deviceX(column);
        bare = nowBare;
    }
    for (qint64 column = view.firstColumn; column <= view.lastColumn; ++column)
        blit(painter, *tiles.find(column, view.phase), deviceX(column), view.ratio);
    tiles.limitTo(int(std::ceil(frame.width * view.ratio / TLTiles::TileWidth)) + 1);
}

TLTiles::Picture TLTiledView::paintTile(Scale &scale, const View &view, qint64 column)
{
    const QImage &bare = rowStrip.image();
    QImage tile = tiles.blank(bare.size(), view.ratio);
    std::memcpy(tile.bits(), bare.constBits(), size_t(bare.sizeInBytes()));
    const qreal left = view.tileLeft(column);
    surface->paintInto(&tile, [&](QPainter &painter) {
        painter.translate(-left, 0);
        scale.paintCells(painter, content.anchor, left, left + TLTiles::TileWidth / view.ratio,
                         false);
    });
    std::vector<QRect> ink = rowStrip.inkRects(tile);
    return {std::move(tile), std::move(ink)};
}

void TLTiledView::paintEdges(QPainter &painter, qreal ratio)
{
    // Tiles show the rows without ends; the outlines of the view's own
    // rectangles run down its sides. The outlines are opaque and in the
    // pen's colour, as the cells' ink over them would be.
    for (const Edge &edge : edges)
        blit(painter, edge.outline, edge.deviceLeft, ratio);
}

void TLTiledView::updateBackgrounds(QWidget *target, Scale &scale, const Frame &frame, qreal ratio)
{
    if (!surface)
        surface = std::make_unique<TLTileSurface>();
    surface->imitate(target);
    // What the strip shows depends only on the row layout and the colours.
    std::array<float, RowCount + 1> layout{};
    std::copy(frame.rowHeights.begin(), frame.rowHeights.end(), layout.begin());
    layout.back() = float(frame.height);
    const qint64 palette = target->palette().cacheKey();
    if (!rowStrip.image().isNull() && layout == stripLayout
        && ratio == rowStrip.image().devicePixelRatio() && palette == stripPalette
        && frame.width == stripWidth)
        return;
    stripLayout = layout;
    stripPalette = palette;
    stripWidth = frame.width;
    const QColor window = target->palette().color(target->backgroundRole());
    // A narrow piece of rectangles whose sides lie beyond it (rows without
    // ends), repeated across a tile's width.
    QImage piece(StripPieceWidth, int(std::ceil(frame.height * ratio)), QImage::Format_RGB32);
    piece.setDevicePixelRatio(ratio);
    piece.fill(window);
    surface->paintInto(&piece, [&](QPainter &painter) {
        scale.paintBackgrounds(painter, -1, StripPieceWidth / ratio + 1, true);
    });
    rowStrip.make(piece, TLTiles::TileWidth,
                  std::vector<float>(frame.rowHeights.begin(), frame.rowHeights.end()));

    // The view's sides, as far in as the edges reach.
    const auto edgeWidth = int(std::ceil(EdgeWidth * ratio));
    const auto deviceWidth = int(std::ceil(frame.width * ratio));
    edges[0].deviceLeft = 0;
    edges[1].deviceLeft = qMax(deviceWidth - edgeWidth, 0);
    for (Edge &edge : edges) {
        QImage outline(qMin(edgeWidth, deviceWidth), piece.height(),
                       QImage::Format_ARGB32_Premultiplied);
        outline.setDevicePixelRatio(ratio);
        outline.fill(Qt::transparent);
        // The rows' rectangles as far as the edge shows them: their far sides
        // lie beyond it.
        const qreal left = edge.deviceLeft / ratio;
        const qreal right = left + outline.width() / ratio;
        const qreal last = frame.width > 0 ? qreal(frame.width) - 1 : 0;
        surface->paintInto(&outline, [&](QPainter &painter) {
            painter.translate(-left, 0);
            scale.paintBackgrounds(painter, qMax(left - 2, qreal(0)), qMin(right + 2, last), false);
        });
        edge.outline = {outline, {outline.rect()}};
    }
}

void TLTiledView::blit(QPainter &painter, const TLTiles::Picture &picture, qreal deviceX,
                       qreal ratio)
{
    // In device pixels, one to one: the quickest copy there is.
    painter.save();
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    for (const QRect &part : picture.ink)
        painter.drawImage(QRectF(part).translated(deviceX, 0), picture.image, QRectF(part));
    painter.restore();
}
