#ifndef DRAGTRACKER_H
#define DRAGTRACKER_H

#include <QPoint>

// The press / move / release logic shared by the canvas and the thumbwheel.
//
// A press records its position; the null point (0, 0) stands for "no press
// recorded", so a press exactly on the top-left pixel starts nothing. Once the
// pointer has moved more than Threshold pixels from the press along either
// axis a drag begins, and from then on every move is one step that runs from
// the previous step's end to the current position: the steps of one drag add
// up to the whole movement.
class DragTracker
{
public:
    static constexpr int Threshold = 3;

    void press(QPoint pos) { pressPoint = pos; }

    // Returns true when this move is a drag step; *start receives where the
    // step begins (it ends at pos).
    bool move(QPoint pos, QPoint *start);

    // Ends the gesture; returns true when it was a drag (and so not a click).
    bool release();

private:
    QPoint pressPoint;
    QPoint lastPoint;
    bool dragging = false;
};

#endif // DRAGTRACKER_H
