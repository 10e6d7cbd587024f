#ifndef TLLABELCACHE_H
#define TLLABELCACHE_H

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>

#include <list>

// Labels laid out once and drawn many times: QStaticText by text, for the
// few fonts in use (one per row height) at the device pixel ratio they are
// drawn at. A zoom step changes the rows' heights and so their fonts, but a
// label seen at one height before is not laid out again.
class TLLabelCache
{
public:
    // Fonts remembered, and labels remembered per font.
    static constexpr int FontCapacity = 16;
    static constexpr int LabelCapacity = 2048;

    struct Label
    {
        QStaticText text;
        // The width drawText() centres the label by.
        qreal width;
    };

    // Makes font, drawn at the device pixel ratio, the font of the labels
    // that label() gives.
    void useFont(const QFont &font, qreal ratio);
    const Label &label(const QString &text);

    int size() const;
    void clear() { fonts.clear(); }

private:
    struct FontLabels
    {
        QFont font;
        qreal ratio;
        QHash<QString, Label> labels;
    };
    // Most recently used first.
    std::list<FontLabels> fonts;
};

#endif // TLLABELCACHE_H
