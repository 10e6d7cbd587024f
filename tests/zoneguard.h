#ifndef ZONEGUARD_H
#define ZONEGUARD_H

#include <QByteArray>
#include <QLocale>
#include <QtGlobal>

#include <ctime>

// Switches the process to another time zone, and optionally another default
// locale, for one scope; QDateTime's local time follows TZ once tzset() has
// run.
struct ZoneGuard
{
    const bool wasSet = qEnvironmentVariableIsSet("TZ");
    const QByteArray previous = qgetenv("TZ");
    const QLocale previousLocale;
    explicit ZoneGuard(const QByteArray &zone, const QLocale &locale = QLocale())
    {
        qputenv("TZ", zone);
        tzset();
        QLocale::setDefault(locale);
    }
    ~ZoneGuard()
    {
        wasSet ? qputenv("TZ", previous) : qunsetenv("TZ");
        tzset();
        QLocale::setDefault(previousLocale);
    }
    ZoneGuard(const ZoneGuard &) = delete;
    ZoneGuard &operator=(const ZoneGuard &) = delete;
};

#endif // ZONEGUARD_H
