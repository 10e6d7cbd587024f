#include "tlrowcells.h"

#include <algorithm>

using Boundary = TLCalendar::Boundary;

TLRowCells::TLRowCells(TLCalendar::Unit unit)
    : unit(unit)
{
}

void TLRowCells::setCalendar(TLCalendar *newCalendar)
{
    calendar = newCalendar;
    clear();
}

void TLRowCells::cover(qint64 windowStart, qint64 from, qint64 to)
{
    const Boundary firstBoundary = calendar->firstBoundary(unit, windowStart);
    const auto at = std::lower_bound(
            cells.begin(), cells.end(), firstBoundary.msecs,
            [](const Cell &cell, qint64 msecs) { return cell.start.msecs < msecs; });
    if (at == cells.end() || !(at->start == firstBoundary))
        startAt(firstBoundary);
    else
        first = size_t(at - cells.begin());
    while (end.msecs < to && !end.isEndOfTime())
        append();
    while (cells.front().start.msecs > from && prepend())
        ++first;
}

size_t TLRowCells::pastWindow(qint64 windowEnd) const
{
    // The cell after the last one is the first after the window's first that
    // starts at or after windowEnd.
    const auto after = std::lower_bound(
            cells.begin() + std::ptrdiff_t(first) + 1, cells.end(), windowEnd,
            [](const Cell &cell, qint64 msecs) { return cell.start.msecs < msecs; });
    return size_t(after - cells.begin());
}

std::pair<size_t, size_t> TLRowCells::meeting(qint64 from, qint64 to) const
{
    // The first cell that ends after from, and the first that starts after to.
    auto begin =
            std::upper_bound(cells.begin(), cells.end(), from, [](qint64 msecs, const Cell &cell) {
                return msecs < cell.start.msecs;
            });
    if (begin != cells.begin())
        --begin;
    const auto endAt = std::upper_bound(begin, cells.end(), to, [](qint64 msecs, const Cell &cell) {
        return msecs < cell.start.msecs;
    });
    return {size_t(begin - cells.begin()), size_t(endAt - cells.begin())};
}

void TLRowCells::keepWithin(qint64 from, qint64 to)
{
    size_t drop = 0;
    while (drop + 1 < first && endOf(drop).msecs < from)
        ++drop;
    cells.erase(cells.begin(), cells.begin() + std::ptrdiff_t(drop));
    first -= drop;
    while (cells.size() > first + 1 && cells.back().start.msecs > to) {
        end = cells.back().start;
        cells.pop_back();
    }
}

void TLRowCells::clear()
{
    cells.clear();
    first = 0;
    ++runs;
}

TLRowCells::Cell TLRowCells::cellAt(const Boundary &start) const
{
    return {start, TLCalendar::label(unit, start.date, start.time, locale)};
}

void TLRowCells::startAt(const Boundary &boundary)
{
    clear();
    locale = QLocale();
    end = boundary;
    append();
}

void TLRowCells::append()
{
    const Boundary start = end;
    cells.push_back(cellAt(start));
    end = calendar->nextBoundary(unit, start).value_or(start);
}

bool TLRowCells::prepend()
{
    // Cells before the window's own are only kept for a later paint; where
    // the calendar has none, that paint starts a run of its own.
    const std::optional<Boundary> previous = calendar->previousBoundary(unit, cells.front().start);
    if (!previous)
        return false;
    cells.push_front(cellAt(*previous));
    return true;
}
