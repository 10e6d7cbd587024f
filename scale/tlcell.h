#ifndef TLCELL_H
#define TLCELL_H

#include "tllabelcache.h"

#include <QRectF>
#include <QString>
#include <QtGlobal>

class QPainter;

// One labelled cell of one row of the time scale: a span of time, the band
// of its row and the text to show. The segment owns a single TLCell and
// rewrites it for every cell it draws, so no list of cells is ever built.
//
// The segment writes painter, secondsPer100Px and the clip once per paint,
// the row's top and height once per row (then calls beginRow()), and the
// span, divider and label once per cell (then calls draw()).
class TLCell
{
public:
    TLCell();
    virtual ~TLCell();

    // Clips the painter to the row, turns on antialiasing and sets the label
    // font: a bold "DIN" of 0.6 times the row's height in points.
    void beginRow();

    // Draws the divider at the cell's start and the label centred over the
    // cell; a label wider than the cell is left out, one taller is cut at
    // the cell's edges.
    void draw();

    // Labels laid out so far (they are kept for the next paint).
    int labelsKept() const { return labels.size(); }

    QPainter *painter = nullptr;
    // Offsets from the window's start (x = 0); negative left of the window.
    qint64 startSeconds = 0;
    qint64 endSeconds = 0;
    quint32 secondsPer100Px = 1;
    float top = 0;
    float height = 0;
    float clipLeft = 0;
    float clipWidth = 0;
    QString label;
    // False for a cell that begins where time itself begins.
    bool divider = true;
    // The cell's horizontal extent in pixels, derived by draw().
    float left = 0;
    float right = 0;

private:
    Q_DISABLE_COPY(TLCell)

    TLLabelCache labels;
    QRectF rowClip;
    qreal textHeight = 0;
    qreal penWidth = 1;
};

#endif // TLCELL_H
