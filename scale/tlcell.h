#ifndef TLCELL_H
#define TLCELL_H

#include <QString>
#include <QtGlobal>

class QPainter;
class QWidget;

// One labelled cell of one row of the time scale: a span of time, the band of
// its row and the text to show. The segment owns a single TLCell and rewrites
// it for every cell it draws, so no list of cells is ever built.
//
// The segment writes target, secondsPer100Px and the clip once per paint, the
// row's top and height once per row, and the span and label once per cell.
class TLCell
{
public:
    TLCell();
    virtual ~TLCell();

    // Draws the divider at the cell's start and the label centred over the
    // cell, both confined to the row's clip rectangle. Must be called while
    // target handles its paint event. Paints with painter when one is given
    // (it must be active on target), otherwise opens a painter of its own.
    void draw();

    QWidget *target = nullptr;
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
    // The cell's horizontal extent in pixels, derived by draw().
    float left = 0;
    float right = 0;

private:
    Q_DISABLE_COPY(TLCell)
};

#endif // TLCELL_H
