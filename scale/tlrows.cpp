#include "tlrows.h"

#include <QtGlobal>

using Unit = TLCalendar::Unit;

namespace {

// Asking the system for its time zone reads the zone file again; unless TZ
// changes, it is asked at most this often.
constexpr qint64 ZoneCheckMSecs = 1000;

} // namespace

TLRows::TLRows()
    : rows{TLRowCells(Unit::Hour), TLRowCells(Unit::Day), TLRowCells(Unit::Week),
           TLRowCells(Unit::Month), TLRowCells(Unit::Year)}
{
}

TLRows::~TLRows() = default;

void TLRows::followZoneAndLocale()
{
    // Boundaries follow the time zone and labels the locale.
    const QLocale now;
    const QByteArray zoneVariable = qgetenv("TZ");
    if (zoneVariable != zoneAskedFor || !zoneAsked.isValid()
        || zoneAsked.hasExpired(ZoneCheckMSecs)) {
        zoneAskedFor = zoneVariable;
        zoneAsked.start();
        systemZone = TLLocalTime::systemZoneKey();
    }
    if (calendar && now == locale && calendar->localTime().zoneKey() == systemZone)
        return;
    ++calendarCount;
    locale = now;
    calendar = std::make_unique<TLCalendar>();
    for (TLRowCells &cells : rows)
        cells.setCalendar(calendar.get());
}

quint64 TLRows::version() const
{
    quint64 version = 0;
    for (const TLRowCells &cells : rows)
        version += cells.version();
    return version;
}
