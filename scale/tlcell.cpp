#include "tlcell.h"

#include <QCache>
#include <QCoreApplication>
#include <QFont>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHashFunctions>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
#include <QTextOption>
#include <QTransform>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <cmath>
#include <initializer_list>

namespace {

const QString LabelFontFamily = QStringLiteral("DIN");
// The label's point size is this share of the row's height.
constexpr double LabelSizePerHeight = 0.6;
// A single line as wide as the label needs: labels are never wrapped.
constexpr qreal UnlimitedLineWidth = 0x01000000;
// Distinct label fonts remembered at a time (one per row height in use).
constexpr int FontSlotCapacity = 32;
// Outlines are kept of glyphs of at least this many pixels, which may be
// large enough in device pixels for the raster engine to fill them.
constexpr qreal LargeGlyphPixelSize = 32;
// The raster engine fills glyphs as outlines instead of blending cached
// images from this size in device pixels on (QT_MAX_CACHED_GLYPH_SIZE).
constexpr int DefaultMaxCachedGlyphSize = 64;
// Pixels that a glyph's ink may spread beyond its metrics (antialiasing,
// hinting, subpixel placement).
constexpr qreal InkMargin = 2;
// Memory for pictures of labels, in bytes: as much as the largest view
// painted so far has pixels (4 bytes each), which holds every picture of a
// repaint of it, but at least the first and at most the second; one picture
// may take a sixteenth. Costs are counted in units of PictureUnit bytes.
constexpr qint64 MinPictureBytes = qint64(8) * 1024 * 1024;
constexpr qint64 MaxPictureBytes = qint64(64) * 1024 * 1024;
constexpr int PictureUnit = 256;
// Small pictures looked up without touching the cache's order: as many as
// this (a power of two), of at most so many bytes each.
constexpr size_t RecentPictures = 4096;
constexpr qsizetype MaxRecentPictureBytes = 4096;
// Rows with fewer dividers have them stroked rather than stamped; dividers
// this many pixels or fewer from the sides of the row's clip are stroked.
constexpr size_t MinStampedDividers = 16;
constexpr int StrokedEdge = 3;

struct LabelKey
{
    QString text;
    int fontId;

    bool operator==(const LabelKey &other) const
    {
        return fontId == other.fontId && text == other.text;
    }
};

size_t qHash(const LabelKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.text, key.fontId);
}

// What the visible part of a label looks like depends on: the laid-out label
// (known by a serial number that is never given again, so a picture cannot
// outlive its label's meaning), where it starts within its first pixel (in
// the 1/64 pixel the text engine and the raster engine work in), the pixels
// it may paint relative to its first pixel, and the colour. All numbers, so
// that a lookup costs no text comparison.
// What a picture of so many bytes costs in the cache: its pixels and its
// bookkeeping, in units of PictureUnit bytes.
qint64 pictureCost(qint64 bytes)
{
    return (bytes + 256) / PictureUnit + 1;
}

struct PictureKey
{
    quint64 label;
    int phaseX;
    int phaseY;
    QRect area;
    QRgb color;

    bool operator==(const PictureKey &other) const
    {
        return label == other.label && phaseX == other.phaseX && phaseY == other.phaseY
               && area == other.area && color == other.color;
    }
};

size_t qHash(const PictureKey &key, size_t seed = 0)
{
    // Looked up for every cell: the fields are folded into two words and
    // mixed once, rather than each hashed on its own.
    const auto small = [](int value, int bits) {
        return quint64(quint32(value)) & ((1u << bits) - 1);
    };
    const quint64 place = small(key.phaseX, 6) | small(key.phaseY, 6) << 6
                          | small(key.area.x(), 13) << 12 | small(key.area.y(), 13) << 25
                          | small(key.area.width(), 13) << 38 | small(key.area.height(), 13) << 51;
    quint64 h = (key.label * 0x9E3779B97F4A7C15ULL) ^ place ^ (quint64(key.color) << 32) ^ seed;
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 29;
    return size_t(h);
}

// A label laid out once, on one line starting at (0, 0), with the text engine
// that QPainter::drawText uses, so that drawing it later puts every glyph
// exactly where drawText(rect, Qt::AlignCenter, text) would.
struct LaidOutLabel
{
    // Tells this label from all others laid out in the process.
    quint64 serial = 0;
    // The glyphs and their positions, relative to the label's top left.
    QList<QGlyphRun> runs;
    // Natural width, and ascent plus descent unrounded: the box that decides
    // whether the label has to be cut at the cell's edges.
    qreal width = 0;
    qreal height = 0;
    // The advance the label is centred by when it is drawn.
    qreal advance = 0;
    // False for text that drawText would reformat (line breaks, tabs); such a
    // label is drawn by drawText itself.
    bool plain = true;
    // A glyph costs its blend (or, when large, its fill) even where it is
    // clipped away, so a label cut at its cell's edges draws only the glyphs
    // that can show. For that, each glyph's place in runs, its position, the
    // columns its ink can reach (relative to the label's start) and a run of
    // its own; for large glyphs also the outline, for when the raster engine
    // fills it as one.
    struct Glyph
    {
        int run;
        int index;
        QPointF position;
        qreal inkLeft;
        qreal inkRight;
        QGlyphRun alone;
        bool large;
        QPainterPath outline;
    };
    std::vector<Glyph> glyphs;
    // The largest pixel size of the glyphs.
    qreal pixelSize = 0;
    // Where ink can be, relative to the label's start, with the margin.
    QRectF ink;
};

bool isPlain(const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t')
            || c == QChar::LineSeparator || c == QChar(0x9c))
            return false;
    }
    return true;
}

LaidOutLabel *layOut(const QString &text, const QFont &font, Qt::LayoutDirection direction)
{
    static quint64 serials = 0;
    auto *label = new LaidOutLabel;
    label->serial = ++serials;
    label->plain = isPlain(text);
    if (!label->plain)
        return label;
    QTextLayout layout;
    layout.setText(text);
    layout.setFont(font);
    QTextOption option;
    option.setTextDirection(direction);
    option.setAlignment(Qt::AlignLeft);
    layout.setTextOption(option);
    // Keeps the shaped glyphs after endLayout(), for drawing many times.
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(UnlimitedLineWidth);
        line.setPosition(QPointF(0, 0));
        label->width = line.naturalTextWidth();
        label->advance = line.horizontalAdvance();
        // QTextLine::height() rounds up; drawText centres by the exact sum.
        label->height = line.ascent() + line.descent();
    }
    layout.endLayout();
    label->runs = layout.glyphRuns();
    for (int r = 0; r < label->runs.size(); ++r) {
        const QGlyphRun &run = label->runs.at(r);
        const QRawFont font = run.rawFont();
        label->pixelSize = qMax(label->pixelSize, font.pixelSize());
        const bool large = font.pixelSize() >= LargeGlyphPixelSize;
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (int i = 0; i < indexes.size(); ++i) {
            const QRectF ink = font.boundingRect(indexes.at(i));
            const QPointF position = positions.at(i);
            const QRectF reach = ink.translated(position);
            label->ink |= reach.adjusted(-InkMargin, -InkMargin, InkMargin, InkMargin);
            QGlyphRun alone = run;
            alone.setGlyphIndexes({indexes.at(i)});
            alone.setPositions({position});
            label->glyphs.push_back({r, i, position, position.x() + ink.left() - InkMargin,
                                     position.x() + ink.right() + InkMargin, alone, large,
                                     large ? font.pathForGlyph(indexes.at(i)) : QPainterPath()});
        }
    }
    return label;
}

// The laid-out labels of all cells, least recently used out first. A font is
// known by a small id (one per distinct resolved font, resolution and text
// direction), looked up once per row, so a cell's lookup hashes only its text
// and that id. Everything is dropped when the application's fonts change, and
// when the application object goes away.
class LabelCache
{
public:
    // The cache of the running application; nullptr without one.
    static LabelCache *instance();
    static LabelCache *existing() { return current; }

    int fontId(const QFont &font, int dpi, Qt::LayoutDirection direction);
    const LaidOutLabel *find(const QString &text, int fontId, const QFont &font,
                             Qt::LayoutDirection direction);
    // The picture of a label within some pixels: nullptr when unknown, a
    // null image when seen once, else the picture (the part with ink, placed
    // at its offset()).
    const QImage *picture(const PictureKey &key);
    void keepPicture(const PictureKey &key, const QImage &image);
    // Whether a picture of the given size could be kept at all.
    bool canKeepPicture(const QSize &size) const
    {
        return pictureCost(qint64(size.width()) * size.height() * 4) <= pictures.maxCost() / 16;
    }
    // Makes room for the pictures of a view of the given size.
    void fitPicturesTo(const QSize &view);
    qint64 pictureBytes() const { return qint64(pictures.totalCost()) * PictureUnit; }
    void clear();
    int size() const { return int(labels.size()); }

private:
    struct FontSlot
    {
        QFont font;
        int dpi;
        Qt::LayoutDirection direction;
        int id;
    };

    LabelCache() = default;
    static void destroy();

    static LabelCache *current;
    // Most recently used first.
    QList<FontSlot> fonts;
    int nextFontId = 0;
    QCache<LabelKey, LaidOutLabel> labels{TLCell::LabelCacheCapacity};
    // Cost: units of PictureUnit bytes.
    qint64 pictureBudget = MinPictureBytes;
    QCache<PictureKey, QImage> pictures{int(MinPictureBytes / PictureUnit)};
    // In front of pictures, for small ones: a table indexed by the key's
    // hash, whose hits cost one comparison. (A hit in a QCache moves the
    // entry to the front of its list, and with thousands of cells a frame
    // the neighbours it touches are seldom in the processor's cache.) Its
    // entries share the images of pictures and may keep one alive after
    // pictures dropped it, which costs at most RecentPictures times
    // MaxRecentPictureBytes.
    struct RecentPicture
    {
        PictureKey key;
        QImage image;
    };
    std::vector<RecentPicture> recent = std::vector<RecentPicture>(RecentPictures);
};

LabelCache *LabelCache::current = nullptr;

LabelCache *LabelCache::instance()
{
    if (current || !qGuiApp)
        return current;
    current = new LabelCache;
    // Other fonts may now stand behind the same request: lay everything out
    // anew. (A change of the application's font needs nothing: it changes the
    // resolved font, which is part of the key.) The connection ends with the
    // application object.
    QObject::connect(qGuiApp, &QGuiApplication::fontDatabaseChanged, qGuiApp, [] {
        if (current)
            current->clear();
    });
    // Runs while the application still exists, so the layouts release their
    // fonts before the font machinery is torn down.
    qAddPostRoutine(&LabelCache::destroy);
    return current;
}

void LabelCache::destroy()
{
    delete current;
    current = nullptr;
}

int LabelCache::fontId(const QFont &font, int dpi, Qt::LayoutDirection direction)
{
    for (int i = 0; i < fonts.size(); ++i) {
        const FontSlot &slot = fonts.at(i);
        if (slot.dpi == dpi && slot.direction == direction && slot.font == font) {
            if (i > 0)
                fonts.move(i, 0);
            return fonts.first().id;
        }
    }
    // A font seen again after it was forgotten gets a new id; the labels of
    // its old one simply age out of the cache.
    if (fonts.size() >= FontSlotCapacity)
        fonts.removeLast();
    fonts.prepend(FontSlot{font, dpi, direction, nextFontId++});
    return fonts.first().id;
}

const LaidOutLabel *LabelCache::find(const QString &text, int fontId, const QFont &font,
                                     Qt::LayoutDirection direction)
{
    const LabelKey key{text, fontId};
    if (const LaidOutLabel *label = labels.object(key))
        return label;
    LaidOutLabel *label = layOut(text, font, direction);
    // QCache deletes an object it cannot hold at once; the caller then lays
    // the label out itself.
    if (!labels.insert(key, label))
        return nullptr;
    return label;
}

void LabelCache::keepPicture(const PictureKey &key, const QImage &image)
{
    const qint64 cost = pictureCost(image.sizeInBytes());
    if (cost <= pictures.maxCost() / 16)
        pictures.insert(key, new QImage(image), int(cost));
}

void LabelCache::fitPicturesTo(const QSize &view)
{
    const qint64 bytes =
            qBound(MinPictureBytes, qint64(view.width()) * view.height() * 4, MaxPictureBytes);
    if (bytes <= pictureBudget)
        return;
    pictureBudget = bytes;
    pictures.setMaxCost(int(bytes / PictureUnit));
}

const QImage *LabelCache::picture(const PictureKey &key)
{
    RecentPicture &slot = recent[qHash(key) & (RecentPictures - 1)];
    if (!slot.image.isNull() && slot.key == key)
        return &slot.image;
    const QImage *image = pictures.object(key);
    if (image && !image->isNull() && image->sizeInBytes() <= MaxRecentPictureBytes)
        slot = {key, *image};
    return image;
}

void LabelCache::clear()
{
    labels.clear();
    pictures.clear();
    for (RecentPicture &slot : recent)
        slot = RecentPicture();
    fonts.clear();
}

} // namespace

TLCell::TLCell() = default;

TLCell::~TLCell() = default;

int TLCell::labelCacheSize()
{
    const LabelCache *cache = LabelCache::existing();
    return cache ? cache->size() : 0;
}

qint64 TLCell::pictureCacheBytes()
{
    const LabelCache *cache = LabelCache::existing();
    return cache ? cache->pictureBytes() : 0;
}

void TLCell::clearLabelCache()
{
    if (LabelCache *cache = LabelCache::existing())
        cache->clear();
}

void TLCell::beginRow()
{
    if (painter)
        prepare(*painter);
}

void TLCell::endRow()
{
    if (!painter)
        return;
    useRowClip(*painter);
    // The labels' pictures, then the dividers over them, as drawing them one
    // by one would lay them.
    if (layered)
        layer.flush();
    if (!dividers.empty() && !stampDividers(*painter))
        painter->drawLines(dividers.data(), int(dividers.size()));
    dividers.clear();
}

bool TLCell::stampDividers(QPainter &p)
{
    // The pen strokes a few dividers sooner than they are stamped.
    if (!layered || dividers.size() < MinStampedDividers)
        return false;
    const QTransform &transform = p.deviceTransform();
    const QPen &pen = p.pen();
    if (transform.dx() < 0 || transform.dy() < 0 || rowClip.top() < 0 || pen.widthF() > 1
        || pen.brush().style() != Qt::SolidPattern
        || p.compositionMode() != QPainter::CompositionMode_SourceOver || p.opacity() != 1.0)
        return false;
    const auto dx = int(transform.dx());
    // Dividers near the sides of the clip are stroked: a line just outside
    // it may be left out by the stroker even where its edge would reach in.
    const qreal left = std::max(rowClip.left(), qreal(-dx)) + StrokedEdge;
    const qreal right = rowClip.right() - StrokedEdge;
    const auto stamped = [&](qreal x) { return x >= left && x <= right; };

    // Each divider's phase, or -1 for one that is stroked.
    placements.clear();
    quint64 wanted = 0;
    for (const QLineF &line : dividers) {
        const qreal x = line.x1();
        const int phase = stamped(x) ? TLDividerStamps::phase(x, dx) : -1;
        if (phase >= 0)
            wanted |= quint64(1) << phase;
        placements.push_back({phase, 0});
    }
    TLDividerStamps &stamps = stampsForRow(pen);
    stamps.make(wanted);

    // Where each divider reaches: a stamp's columns, or the columns a stroke
    // can reach (one either side of its own). Stamps that overlap a divider
    // before them would blend unlike strokes: then all dividers of the row
    // are stroked.
    int lastEnd = INT_MIN;
    bool lastStamped = false;
    for (size_t i = 0; i < dividers.size(); ++i) {
        Placement &placement = placements[i];
        const qreal x = dividers[i].x1();
        int end = 0;
        if (placement.phase < 0) {
            placement.start = int(std::floor(x)) - 1;
            end = placement.start + 3;
        } else {
            const TLDividerStamps::Stamp &stamp = stamps.stamp(placement.phase);
            if (stamp.image.isNull())
                continue;
            placement.start = TLDividerStamps::column(x, dx) + stamp.offset.x();
            end = placement.start + stamp.image.width();
        }
        const bool isStamped = placement.phase >= 0;
        if (placement.start < lastEnd && (isStamped || lastStamped))
            return false;
        lastEnd = end;
        lastStamped = isStamped;
    }
    strokedDividers.clear();
    for (size_t i = 0; i < dividers.size(); ++i) {
        const Placement &placement = placements[i];
        if (placement.phase < 0) {
            strokedDividers.push_back(dividers[i]);
            continue;
        }
        const TLDividerStamps::Stamp &stamp = stamps.stamp(placement.phase);
        layer.add(stamp.image, QPoint(placement.start, stamp.offset.y()));
    }
    layer.flush();
    if (!strokedDividers.empty())
        p.drawLines(strokedDividers.data(), int(strokedDividers.size()));
    return true;
}

TLDividerStamps &TLCell::stampsForRow(const QPen &pen)
{
    // The stamps of the rows painted lately are kept; the row least recently
    // painted makes way for another.
    RowStamps *oldest = &rowStamps[0];
    for (RowStamps &row : rowStamps) {
        if (row.stamps.isFor(top, height, rowClip, rowClipPixels, pen)) {
            row.lastUse = ++stampUses;
            return row.stamps;
        }
        if (row.lastUse < oldest->lastUse)
            oldest = &row;
    }
    oldest->stamps.setRow(top, height, rowClip, rowClipPixels, pen);
    oldest->lastUse = ++stampUses;
    return oldest->stamps;
}

void TLCell::drawPicture(QPainter &p, const QImage &picture, const QPoint &topLeft,
                         const QRect &within)
{
    if (layered) {
        layer.add(picture, topLeft, within);
        return;
    }
    const QRect part = QRect(topLeft, picture.size()) & within;
    if (!part.isEmpty())
        p.drawImage(part.topLeft(), picture, part.translated(-topLeft));
}

namespace {

// The pixels a clip rectangle leaves, rounded as the raster engine rounds
// them: each corner to the nearest pixel corner.
QRect clipPixels(const QRectF &rect)
{
    return QRect::span(rect.topLeft().toPoint(), rect.bottomRight().toPoint())
            .adjusted(0, 0, -1, -1);
}

} // namespace

void TLCell::prepare(QPainter &p)
{
    rowClip = QRectF(clipLeft, top, clipWidth, height);
    p.setClipRect(rowClip, Qt::ReplaceClip);
    rowClipActive = true;
    // Under a translation by whole pixels a rectangle clips the same pixels
    // wherever it is rounded, so the clip of a cut label can be set as whole
    // pixels in one step; under any other transformation it is intersected
    // with the row's clip as a rectangle of its own.
    const QTransform &transform = p.deviceTransform();
    wholePixelClip = transform.type() <= QTransform::TxTranslate
                     && transform.dx() == std::floor(transform.dx())
                     && transform.dy() == std::floor(transform.dy());
    rowClipPixels = clipPixels(rowClip);
    dividers.clear();
    layered = &p == painter && wholePixelClip && p.paintEngine()
              && p.paintEngine()->type() == QPaintEngine::Raster && layer.begin(&p, rowClipPixels);
    penSolid = p.pen().brush().style() == Qt::SolidPattern;
    penColor = p.pen().color().rgba();
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(QFont(LabelFontFamily, int(LabelSizePerHeight * height), QFont::Bold));
    // The painter resolves the font against its device (its resolution, the
    // widget's own font); the label layouts are keyed by the result.
    rowFontId = -1;
    if (LabelCache *cache = LabelCache::instance()) {
        rowFontId = cache->fontId(p.font(), p.device()->logicalDpiY(), p.layoutDirection());
        if (target)
            cache->fitPicturesTo(target->size());
    }
}

void TLCell::useRowClip(QPainter &p)
{
    if (rowClipActive)
        return;
    p.setClipRect(rowClip, Qt::ReplaceClip);
    rowClipActive = true;
}

void TLCell::draw()
{
    if (painter) {
        drawWith(*painter);
        return;
    }
    QPainter own(target);
    prepare(own);
    drawWith(own);
}

namespace {

int maxCachedGlyphSize()
{
    static const int size = [] {
        const int configured = qEnvironmentVariableIntValue("QT_MAX_CACHED_GLYPH_SIZE");
        return configured > 0 ? configured : DefaultMaxCachedGlyphSize;
    }();
    return size;
}

// Whether the raster engine fills glyphs of the label as outlines, as it
// does when they are too large for its glyph cache.
bool filledAsOutlines(const LaidOutLabel &label, const QTransform &deviceTransform)
{
    const qreal maxSize = maxCachedGlyphSize();
    return label.pixelSize * label.pixelSize * qAbs(deviceTransform.determinant())
           >= maxSize * maxSize;
}

// Appends outline, moved by shift, to path, with each stretch of it that
// lies wholly left of left or wholly right of right replaced by a straight
// line between the stretch's ends.
//
// Filling the result paints exactly what filling the whole outline paints
// between left and right: the rasteriser sweeps each pixel row from left to
// right, so a pixel's coverage depends on the parts of the outline in its own
// column and, to its left, only on how far they rise or fall in each row,
// which a straight line between the same ends matches; parts to the right do
// not reach it at all. The parts that are kept are the very curves of the
// outline, so they are flattened into the same lines.
void appendStrip(QPainterPath &path, const QPainterPath &outline, const QPointF &shift, qreal left,
                 qreal right)
{
    // Side of the strip that points lie wholly on: -1 left, 1 right, 0 neither.
    const auto sideOf = [left, right](std::initializer_list<QPointF> points) {
        bool allLeft = true;
        bool allRight = true;
        for (const QPointF &point : points) {
            allLeft = allLeft && point.x() < left;
            allRight = allRight && point.x() > right;
        }
        return allLeft ? -1 : allRight ? 1 : 0;
    };
    int pendingSide = 0;
    QPointF pendingEnd;
    const auto flush = [&] {
        if (pendingSide != 0)
            path.lineTo(pendingEnd);
        pendingSide = 0;
    };
    const auto pass = [&](int side, const QPointF &end) {
        if (pendingSide != 0 && pendingSide != side)
            flush();
        pendingSide = side;
        pendingEnd = end;
    };

    QPointF current;
    const int count = outline.elementCount();
    for (int i = 0; i < count;) {
        const QPainterPath::Element &element = outline.elementAt(i);
        const QPointF point = QPointF(element.x, element.y) + shift;
        if (element.type == QPainterPath::CurveToElement && i + 2 < count) {
            const QPainterPath::Element &second = outline.elementAt(i + 1);
            const QPainterPath::Element &end = outline.elementAt(i + 2);
            const QPointF c2 = QPointF(second.x, second.y) + shift;
            const QPointF to = QPointF(end.x, end.y) + shift;
            if (const int side = sideOf({current, point, c2, to})) {
                pass(side, to);
            } else {
                flush();
                path.cubicTo(point, c2, to);
            }
            current = to;
            i += 3;
            continue;
        }
        if (element.type == QPainterPath::MoveToElement) {
            flush();
            path.moveTo(point);
        } else if (const int side = sideOf({current, point})) {
            pass(side, point);
        } else {
            flush();
            path.lineTo(point);
        }
        current = point;
        ++i;
    }
    flush();
}

// The part of a picture that has ink, with its place in the picture as the
// image's offset(); a picture without ink becomes one transparent pixel.
QImage trimmed(const QImage &picture)
{
    const QRect ink = TLRowLayer::inkBounds(picture, picture.rect());
    if (ink.isEmpty()) {
        QImage none(1, 1, QImage::Format_ARGB32_Premultiplied);
        none.fill(Qt::transparent);
        return none;
    }
    if (ink == picture.rect())
        return picture;
    QImage part = picture.copy(ink);
    part.setOffset(ink.topLeft());
    return part;
}

void drawGlyphs(QPainter &p, const LaidOutLabel &label, const QPointF &origin)
{
    for (const QGlyphRun &run : label.runs)
        p.drawGlyphRun(origin, run);
}

// Draws, of each run, the glyphs whose ink can reach the pixels; the others
// would paint nothing there. Glyphs filled as outlines are filled only where
// they can show.
void drawVisibleGlyphs(QPainter &p, const LaidOutLabel &label, const QPointF &origin,
                       const QRect &pixels)
{
    const qreal left = pixels.left() - origin.x();
    const qreal right = pixels.left() + pixels.width() - origin.x();
    const bool filled = filledAsOutlines(label, p.deviceTransform());
    for (int r = 0; r < label.runs.size(); ++r) {
        int count = 0;
        int visible = 0;
        bool outlines = filled;
        for (const LaidOutLabel::Glyph &glyph : label.glyphs) {
            if (glyph.run != r)
                continue;
            ++count;
            if (glyph.inkRight > left && glyph.inkLeft < right)
                ++visible;
            outlines = outlines && glyph.large;
        }
        if (visible == 0)
            continue;
        if (outlines) {
            // One pixel beyond the strip on either side stays as it is.
            QPainterPath strip;
            for (const LaidOutLabel::Glyph &glyph : label.glyphs) {
                if (glyph.run == r && glyph.inkRight > left && glyph.inkLeft < right) {
                    appendStrip(strip, glyph.outline, origin + glyph.position, pixels.left() - 1,
                                pixels.left() + pixels.width() + 1);
                }
            }
            // As the raster engine fills a run's outlines: all in one path,
            // winding, with the pen's brush.
            strip.setFillRule(Qt::WindingFill);
            p.fillPath(strip, p.pen().brush());
        } else if (visible == count) {
            p.drawGlyphRun(origin, label.runs.at(r));
        } else {
            // Each glyph is blended on its own anyway.
            for (const LaidOutLabel::Glyph &glyph : label.glyphs) {
                if (glyph.run == r && glyph.inkRight > left && glyph.inkLeft < right)
                    p.drawGlyphRun(origin, glyph.alone);
            }
        }
    }
}

} // namespace

void TLCell::drawWith(QPainter &p)
{
    left = float(double(startSeconds) / double(secondsPer100Px) * 100.0);
    right = float(double(endSeconds) / double(secondsPer100Px) * 100.0);

    // With a shared painter the row's dividers are drawn together when the
    // row ends: the same lines, drawn with the row's clip, in one call.
    if (&p == painter)
        dividers.emplace_back(left, top, left, top + height);
    else
        p.drawLine(QLineF(left, top, left, top + height));
    if (label.isEmpty())
        return;

    const QRectF rect(left, top, right - left, height);
    LabelCache *cache = LabelCache::existing();
    const LaidOutLabel *laidOut =
            cache && rowFontId >= 0 ? cache->find(label, rowFontId, p.font(), p.layoutDirection())
                                    : nullptr;
    if (!laidOut || !laidOut->plain) {
        useRowClip(p);
        p.drawText(rect, Qt::AlignCenter, label);
        return;
    }

    // The placement of drawText(rect, Qt::AlignCenter, label), step by step;
    // the text engine takes the position to 1/64 pixel, truncated.
    const qreal y = rect.y() + (rect.height() - laidOut->height) / 2;
    const QRectF bounds(rect.x() + (rect.width() - laidOut->width) / 2, y, laidOut->width,
                        laidOut->height);
    const qreal x = rect.x() + (rect.width() - laidOut->advance) / 2;
    const QPointF origin(int(x * 64) / 64.0, int(y * 64) / 64.0);
    const bool fits = rect.contains(bounds);
    if (fits && laidOut->pixelSize < LargeGlyphPixelSize && !layered) {
        // Nothing to leave out: the whole label, within the row.
        useRowClip(p);
        drawGlyphs(p, *laidOut, origin);
        return;
    }
    if (!wholePixelClip) {
        useRowClip(p);
        if (!fits) {
            p.setClipRect(rect, Qt::IntersectClip);
            rowClipActive = false;
        }
        drawGlyphs(p, *laidOut, origin);
        return;
    }

    // The pixels the label may paint: its cell's within the row when it is
    // cut, else the row's; of those, where its ink can be.
    QRect pixels = rowClipPixels;
    if (!fits)
        pixels &= clipPixels(rect);
    const QRect ink = laidOut->ink.translated(origin).toAlignedRect();
    const QRect area = ink & pixels;
    if (area.isEmpty())
        return;
    // Directly: clipped to the pixels, drawing only what can show there.
    const auto drawClipped = [&] {
        if (fits) {
            useRowClip(p);
        } else {
            p.setClipRect(pixels, Qt::ReplaceClip);
            rowClipActive = false;
        }
        drawVisibleGlyphs(p, *laidOut, origin, pixels);
    };
    if (!cache || !penSolid) {
        drawClipped();
        return;
    }

    // The picture of the label at this place within a pixel, for the next
    // time it comes there (every repaint of a view that did not move, and
    // most cells of a dragged one). It is made from the second time on, so
    // that a view seen once costs no pictures. Drawn onto transparent pixels,
    // premultiplied, and then onto the row, it blends as the glyphs blend
    // directly. It holds the whole label, of which each cell shows its part;
    // glyphs filled as outlines hold only the part of this cell, as filling
    // the rest would cost more than the picture saves.
    const QRect drawn = filledAsOutlines(*laidOut, p.deviceTransform()) ? area : ink;
    const int x64 = int(origin.x() * 64);
    const int y64 = int(origin.y() * 64);
    const QPoint base(x64 >> 6, y64 >> 6);
    // A picture too large to keep would be made anew every time.
    if (!cache->canKeepPicture(drawn.size())) {
        drawClipped();
        return;
    }
    const PictureKey key{laidOut->serial, x64 & 63, y64 & 63, drawn.translated(-base), penColor};
    const QImage *known = cache->picture(key);
    if (!known) {
        cache->keepPicture(key, QImage());
        drawClipped();
        return;
    }
    useRowClip(p);
    if (!known->isNull()) {
        drawPicture(p, *known, drawn.topLeft() + known->offset(), area);
        return;
    }
    QImage canvas(drawn.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter picturePainter(&canvas);
        picturePainter.setPen(p.pen());
        picturePainter.setRenderHint(QPainter::Antialiasing);
        picturePainter.translate(-drawn.topLeft());
        drawVisibleGlyphs(picturePainter, *laidOut, origin, drawn);
    }
    const QImage picture = trimmed(canvas);
    drawPicture(p, picture, drawn.topLeft() + picture.offset(), area);
    cache->keepPicture(key, picture);
}
