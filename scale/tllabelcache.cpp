#include "tllabelcache.h"

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
    fonts.push_front({font, ratio, QFontMetricsF(font), {}});
}

const TLLabelCache::Label &TLLabelCache::label(const QString &text)
{
    FontLabels &current = fonts.front();
    auto found = current.labels.find(text);
    if (found == current.labels.end()) {
        // Seldom reached: a row holds a few dozen distinct labels.
        if (current.labels.size() >= LabelCapacity)
            current.labels.clear();
        Label label;
        label.width = current.metrics.horizontalAdvance(text);
        return *current.labels.insert(text, label);
    }
    Label &label = *found;
    if (!label.laidOut) {
        label.text = QStaticText(text);
        label.text.setTextFormat(Qt::PlainText);
        label.text.prepare(QTransform::fromScale(current.ratio, current.ratio), current.font);
        label.laidOut = true;
    }
    return label;
}

int TLLabelCache::size() const
{
    int count = 0;
    for (const FontLabels &font : fonts) {
        count += int(std::count_if(font.labels.cbegin(), font.labels.cend(),
                                   [](const Label &label) { return label.laidOut; }));
    }
    return count;
}
