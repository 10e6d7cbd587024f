#include "tlcell.h"

#include <QCache>
#include <QCoreApplication>
#include <QFont>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHashFunctions>
#include <QLineF>
#include <QList>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
#include <QTextOption>
#include <QTransform>
#include <QWidget>

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
// Glyphs of at least this many pixels are drawn leaving out those that
// cannot show (below it, sorting them out would cost more than it saves).
constexpr qreal LargeGlyphPixelSize = 32;
// The raster engine fills glyphs as outlines instead of blending cached
// images from this size in device pixels on (QT_MAX_CACHED_GLYPH_SIZE).
constexpr int DefaultMaxCachedGlyphSize = 64;
// Pixels that a glyph's ink may spread beyond its metrics (antialiasing,
// hinting, subpixel placement).
constexpr qreal InkMargin = 2;

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

// A label laid out once, on one line starting at (0, 0), with the text engine
// that QPainter::drawText uses, so that drawing it later puts every glyph
// exactly where drawText(rect, Qt::AlignCenter, text) would.
struct LaidOutLabel
{
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
    // Large glyphs cost in proportion to their size even where they are
    // clipped away. For such labels each glyph's place in runs, its position,
    // the columns its ink can reach (relative to the label's start), so that
    // glyphs that cannot show are left out, and its outline, for when the
    // raster engine fills it as one.
    struct Glyph
    {
        int run;
        int index;
        QPointF position;
        qreal inkLeft;
        qreal inkRight;
        QPainterPath outline;
    };
    std::vector<Glyph> largeGlyphs;
    // The pixel size of the large glyphs.
    qreal pixelSize = 0;
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
    auto *label = new LaidOutLabel;
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
        if (font.pixelSize() < LargeGlyphPixelSize)
            continue;
        label->pixelSize = font.pixelSize();
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (int i = 0; i < indexes.size(); ++i) {
            const QRectF ink = font.boundingRect(indexes.at(i));
            const QPointF position = positions.at(i);
            label->largeGlyphs.push_back({r, i, position, position.x() + ink.left() - InkMargin,
                                          position.x() + ink.right() + InkMargin,
                                          font.pathForGlyph(indexes.at(i))});
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
    labels.insert(key, label);
    return label;
}

void LabelCache::clear()
{
    labels.clear();
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
    if (!painter || dividers.empty())
        return;
    useRowClip(*painter);
    painter->drawLines(dividers.data(), int(dividers.size()));
    dividers.clear();
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
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(QFont(LabelFontFamily, int(LabelSizePerHeight * height), QFont::Bold));
    // The painter resolves the font against its device (its resolution, the
    // widget's own font); the label layouts are keyed by the result.
    rowFontId = -1;
    if (LabelCache *cache = LabelCache::instance())
        rowFontId = cache->fontId(p.font(), p.device()->logicalDpiY(), p.layoutDirection());
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

// Draws, of each run, the glyphs from the first to the last whose ink can
// reach the pixels; the others would paint nothing there. Glyphs filled as
// outlines are filled only where they can show.
void drawVisibleGlyphs(QPainter &p, const LaidOutLabel &label, const QPointF &origin,
                       const QRect &pixels)
{
    const qreal left = pixels.left() - origin.x();
    const qreal right = pixels.left() + pixels.width() - origin.x();
    const bool outlines = filledAsOutlines(label, p.deviceTransform());
    for (int r = 0; r < label.runs.size(); ++r) {
        const QGlyphRun &run = label.runs.at(r);
        int first = -1;
        int last = -1;
        int count = 0;
        QPainterPath strip;
        for (const LaidOutLabel::Glyph &glyph : label.largeGlyphs) {
            if (glyph.run != r)
                continue;
            ++count;
            if (glyph.inkRight <= left || glyph.inkLeft >= right)
                continue;
            if (first < 0)
                first = glyph.index;
            last = glyph.index;
            // One pixel beyond the strip on either side stays as it is.
            if (outlines && !glyph.outline.isEmpty()) {
                appendStrip(strip, glyph.outline, origin + glyph.position, pixels.left() - 1,
                            pixels.left() + pixels.width() + 1);
            }
        }
        if (first < 0 && count > 0)
            continue;
        if (outlines && count > 0) {
            // As the raster engine fills a run's outlines: all in one path,
            // winding, with the pen's brush.
            strip.setFillRule(Qt::WindingFill);
            p.fillPath(strip, p.pen().brush());
            continue;
        }
        if (count == 0 || (first == 0 && last == count - 1)) {
            p.drawGlyphRun(origin, run);
            continue;
        }
        QGlyphRun visible = run;
        visible.setGlyphIndexes(run.glyphIndexes().mid(first, last - first + 1));
        visible.setPositions(run.positions().mid(first, last - first + 1));
        p.drawGlyphRun(origin, visible);
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
    // The columns the label may paint, where it is known in whole pixels.
    QRect pixels;
    if (rect.contains(bounds)) {
        useRowClip(p);
        pixels = rowClipPixels;
    } else if (wholePixelClip) {
        // A cut label: clipped to the cell within the row.
        pixels = clipPixels(rect) & rowClipPixels;
        if (pixels.isEmpty())
            return;
        p.setClipRect(pixels, Qt::ReplaceClip);
        rowClipActive = false;
    } else {
        useRowClip(p);
        p.setClipRect(rect, Qt::IntersectClip);
        rowClipActive = false;
    }
    const qreal x = rect.x() + (rect.width() - laidOut->advance) / 2;
    const QPointF origin(int(x * 64) / 64.0, int(y * 64) / 64.0);
    if (laidOut->largeGlyphs.empty() || !wholePixelClip) {
        for (const QGlyphRun &run : laidOut->runs)
            p.drawGlyphRun(origin, run);
        return;
    }
    drawVisibleGlyphs(p, *laidOut, origin, pixels);
}
