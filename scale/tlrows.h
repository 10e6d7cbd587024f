#ifndef TLROWS_H
#define TLROWS_H

#include "tlcalendar.h"
#include "tlrowcells.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QLocale>

#include <array>
#include <memory>

// The cells of the five rows (hours, days, weeks, months, years) that the
// calendar has given so far, in the system's time zone and the default
// locale: where either has changed, the rows start afresh.
class TLRows
{
public:
    static constexpr int RowCount = 5;

    TLRows();
    ~TLRows();

    // Takes up a new time zone or locale, if there is one.
    void followZoneAndLocale();
    // Changes whenever a new time zone or locale was taken up.
    quint64 calendarsMade() const { return calendarCount; }

    TLRowCells &operator[](int row) { return rows[size_t(row)]; }
    const TLRowCells &operator[](int row) const { return rows[size_t(row)]; }
    // Changes whenever a row forgot the cells it had.
    quint64 version() const;

private:
    std::unique_ptr<TLCalendar> calendar;
    std::array<TLRowCells, RowCount> rows;
    quint64 calendarCount = 0;
    QLocale locale;
    // The system's zone, when it was last asked for and TZ then.
    QByteArray systemZone;
    QElapsedTimer zoneAsked;
    QByteArray zoneAskedFor;
};

#endif // TLROWS_H
