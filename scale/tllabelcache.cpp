#include "tllabelcache.h"

#include <QFontMetricsF>
#include <QTransform>

void TLLabelCache::useFont(const QFont &font, qreal ratio)
{
    for (auto it = fonts.begin(); it != fonts.end(); ++it) {
        if (it->ratio == ratio && it->font == font) {
            fonts.splice(fonts.begin(), fonts, it);
            return;
        }
    }
    if (int(fonts.size()) >= FontCapacity)
        fonts.pop_back();
    fonts.push_front({font, ratio, {}});
}

const TLLabelCache::Label &TLLabelCache::label(const QString &text)
{
    FontLabels &current = fonts.front();
    const auto found = current.labels.constFind(text);
    if (found != current.labels.constEnd())
        return *found;
    // Seldom reached: a row holds a few dozen distinct labels.
    if (current.labels.size() >= LabelCapacity)
        current.labels.clear();
    QStaticText laidOut(text);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.prepare(QTransform::fromScale(current.ratio, current.ratio), current.font);
    const qreal width = QFontMetricsF(current.font).horizontalAdvance(text);
    return *current.labels.insert(text, {laidOut, width});
}

int TLLabelCache::size() const
{
    int count = 0;
    for (const FontLabels &font : fonts)
        count += int(font.labels.size());
    return count;
}
