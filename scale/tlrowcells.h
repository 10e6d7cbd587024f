#ifndef TLROWCELLS_H
#define TLROWCELLS_H

#include "tlcalendar.h"

#include <QLocale>
#include <QString>

#include <deque>

// The cells of one row that the calendar has given so far: a run of
// consecutive cells, each beginning where the one before ended, kept from
// one paint to the next. Boundaries are instants, so a zoom or a drag moves
// none of them; a paint asks the calendar only for cells it has not seen.
class TLRowCells
{
public:
    struct Cell
    {
        TLCalendar::Boundary start;
        QString label;
    };

    explicit TLRowCells(TLCalendar::Unit unit);

    // The calendar the cells come from; a new one forgets all cells.
    void setCalendar(TLCalendar *calendar);

    // Makes the run hold the cells of the window that starts at windowStart
    // and every cell that meets [from, to]. Where the run does not hold the
    // window's first boundary, it starts anew, and version() changes.
    void cover(qint64 windowStart, qint64 from, qint64 to);

    // The first cell of the window, and the index past its last cell (the
    // first cell that ends at or after windowEnd). Valid after cover().
    size_t windowFirst() const { return first; }
    size_t pastWindow(qint64 windowEnd) const;

    // The cells that meet [from, to], as [begin, end) indexes.
    std::pair<size_t, size_t> meeting(qint64 from, qint64 to) const;

    // Forgets the cells that lie wholly outside [from, to].
    void keepWithin(qint64 from, qint64 to);
    void clear();

    const Cell &at(size_t index) const { return cells[index]; }
    // Where a cell ends: where the next one begins.
    const TLCalendar::Boundary &endOf(size_t index) const
    {
        return index + 1 < cells.size() ? cells[index + 1].start : end;
    }
    bool hasDivider(size_t index) const { return cells[index].start.exists; }
    quint64 version() const { return runs; }

private:
    Cell cellAt(const TLCalendar::Boundary &start) const;
    void startAt(const TLCalendar::Boundary &boundary);
    void append();
    bool prepend();

    TLCalendar::Unit unit;
    TLCalendar *calendar = nullptr;
    QLocale locale;
    std::deque<Cell> cells;
    // The boundary after the last cell.
    TLCalendar::Boundary end;
    size_t first = 0;
    quint64 runs = 0;
};

#endif // TLROWCELLS_H
