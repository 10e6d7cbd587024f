#include "tllabelcache.h"

#include <QFontMetricsF>
#include <QTransform>

#include <algorithm>

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
    const QFontMetricsF metrics(font);
    fonts.push_front({font, ratio, metrics.ascent() + metrics.descent(), {}});
}

const TLLabelCache::Label *TLLabelCache::label(const QString &text)
{
    FontLabels &current = fonts.front();
    const auto found = current.labels.find(text);
    if (found == current.labels.end()) {
        // Seldom reached: a row holds a few dozen distinct labels.
        if (current.labels.size() >= LabelCapacity)
            current.labels.clear();
        current.labels.insert(text, Label());
        return nullptr;
    }
    Label &label = *found;
    if (label.width == 0) {
        label.text = QStaticText(text);
        label.text.setTextFormat(Qt::PlainText);
        label.text.prepare(QTransform::fromScale(current.ratio, current.ratio), current.font);
        label.width = QFontMetricsF(current.font).horizontalAdvance(text);
    }
    return &label;
}

int TLLabelCache::size() const
{
    int count = 0;
    for (const FontLabels &font : fonts) {
        count += int(std::count_if(font.labels.cbegin(), font.labels.cend(),
                                   [](const Label &label) { return label.width > 0; }));
    }
    return count;
}
