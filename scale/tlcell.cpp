#include "tlcell.h"

#include <QCache>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QHashFunctions>
#include <QLineF>
#include <QList>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <QWidget>

namespace {

const QString LabelFontFamily = QStringLiteral("DIN");
// The label's point size is this share of the row's height.
constexpr double LabelSizePerHeight = 0.6;
// A single line as wide as the label needs: labels are never wrapped.
constexpr qreal UnlimitedLineWidth = 0x01000000;
// Distinct label fonts remembered at a time (one per row height in use).
constexpr int FontSlotCapacity = 32;

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
    QTextLayout layout;
    // Natural width, and ascent plus descent unrounded: the box that decides
    // whether the label has to be cut at the cell's edges.
    qreal width = 0;
    qreal height = 0;
    // The advance the label is centred by when it is drawn.
    qreal advance = 0;
    // False for text that drawText would reformat (line breaks, tabs); such a
    // label is drawn by drawText itself.
    bool plain = true;
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
    QTextLayout &layout = label->layout;
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

void TLCell::prepare(QPainter &p)
{
    rowClip = QRectF(clipLeft, top, clipWidth, height);
    p.setClipRect(rowClip, Qt::ReplaceClip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(QFont(LabelFontFamily, int(LabelSizePerHeight * height), QFont::Bold));
    // The painter resolves the font against its device (its resolution, the
    // widget's own font); the label layouts are keyed by the result.
    rowFontId = -1;
    if (LabelCache *cache = LabelCache::instance())
        rowFontId = cache->fontId(p.font(), p.device()->logicalDpiY(), p.layoutDirection());
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

void TLCell::drawWith(QPainter &p)
{
    left = float(double(startSeconds) / double(secondsPer100Px) * 100.0);
    right = float(double(endSeconds) / double(secondsPer100Px) * 100.0);

    p.drawLine(QLineF(left, top, left, top + height));
    if (label.isEmpty())
        return;

    const QRectF rect(left, top, right - left, height);
    LabelCache *cache = LabelCache::existing();
    const LaidOutLabel *laidOut =
            cache && rowFontId >= 0 ? cache->find(label, rowFontId, p.font(), p.layoutDirection())
                                    : nullptr;
    if (!laidOut || !laidOut->plain) {
        p.drawText(rect, Qt::AlignCenter, label);
        return;
    }

    // The placement of drawText(rect, Qt::AlignCenter, label), step by step.
    const qreal y = rect.y() + (rect.height() - laidOut->height) / 2;
    const QRectF bounds(rect.x() + (rect.width() - laidOut->width) / 2, y, laidOut->width,
                        laidOut->height);
    const bool cut = !rect.contains(bounds);
    if (cut) {
        // Nothing of a cut label shows outside the row's clip.
        if (rect.right() <= rowClip.left() || rect.left() >= rowClip.right())
            return;
        p.setClipRect(rect, Qt::IntersectClip);
    }
    laidOut->layout.lineAt(0).draw(&p,
                                   QPointF(rect.x() + (rect.width() - laidOut->advance) / 2, y));
    if (cut)
        p.setClipRect(rowClip, Qt::ReplaceClip);
}
