#ifndef TLLABELCACHE_H
#define TLLABELCACHE_H

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QStaticText>
#include <QString>

#include <list>

// Labels laid out once and drawn many times: QStaticText by text, for the
// few fonts in use (one per row height) at the device pixel ratio they are
// drawn at. A zoom step changes the rows' heights and so their fonts, but a
// label seen at one height before is not laid out again. A label is laid
// out the second time it is asked for: laying it out costs more than
// drawing it once with drawText(), and most labels of a zoom step that
// passes by are seen once.
class TLLabelCache
{
public:
    // Fonts remembered, and labels remembered per font.
    static constexpr int FontCapacity = 16;
    static constexpr int LabelCapacity = 2048;

    struct Label
    {
        // Laid out from the second time the label is asked for.
        QStaticText text;
        bool laidOut = false;
        // The width drawText() centres the label by.
        qreal width = 0;
    };

    // Makes font, drawn at the device pixel ratio, the font of the labels
    // that label() gives.
    void useFont(const QFont &font, qreal ratio);
    const Label &label(const QString &text);
    // Ascent and descent of the font: the height drawText() centres by.
    qreal textHeight() const
    {
        return fonts.front().metrics.ascent() + fonts.front().metrics.descent();
    }

    // Labels laid out.
    int size() const;
    void clear() { fonts.clear(); }

private:
    struct FontLabels
    {
        QFont font;
        qreal ratio;
        QFontMetricsF metrics;
        QHash<QString, Label> labels;
    };
    // Most recently used first.
    std::list<FontLabels> fonts;
};

#endif // TLLABELCACHE_H
