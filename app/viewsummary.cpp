#include "viewsummary.h"

#include "tllocaltime.h"

#include <QCoreApplication>
#include <QLocale>

#include <cmath>

namespace {

// The locale's long date with the names abbreviated, then its short time:
// weekday, day, month and year in the order the locale writes them.
QString instantFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.replace(QLatin1String("dddd"), QLatin1String("ddd"));
    format.replace(QLatin1String("MMMM"), QLatin1String("MMM"));
    if (!format.contains(QLatin1String("ddd")))
        format.prepend(QLatin1String("ddd "));
    return format + QLatin1Char(' ') + locale.timeFormat(QLocale::ShortFormat);
}

// One decimal, none where it would be 0.
QString number(double value, const QLocale &locale)
{
    const double tenths = std::round(value * 10);
    return locale.toString(tenths / 10, 'f', std::fmod(tenths, 10) == 0 ? 0 : 1);
}

// Below two of a unit the next smaller one reads better: "90 minutes"
// rather than "1.5 hours".
QString scaleText(quint32 seconds, const QLocale &locale)
{
    constexpr double Minute = 60, Hour = 60 * Minute, Day = 24 * Hour;
    if (seconds < 2 * Minute)
        return QCoreApplication::translate("MainWindow", "%1 seconds per 100 px")
                .arg(number(seconds, locale));
    if (seconds < 2 * Hour)
        return QCoreApplication::translate("MainWindow", "%1 minutes per 100 px")
                .arg(number(seconds / Minute, locale));
    if (seconds < 2 * Day)
        return QCoreApplication::translate("MainWindow", "%1 hours per 100 px")
                .arg(number(seconds / Hour, locale));
    return QCoreApplication::translate("MainWindow", "%1 days per 100 px")
            .arg(number(seconds / Day, locale));
}

} // namespace

QString viewSummary(const QDateTime &start, const QDateTime &end, quint32 secondsPer100Px)
{
    const QLocale locale;
    const QString format = instantFormat(locale);
    // The system's wall clock, from the same reading of the time zone as the
    // rows' boundaries.
    const auto wallClock = [&](const QDateTime &instant) {
        return locale.toString(TLLocalTime::systemWallClock(instant.toMSecsSinceEpoch()), format);
    };
    //: The instants at the left and right edges of the view, then its scale.
    return QCoreApplication::translate("MainWindow", "%1 – %2 (%3)")
            .arg(wallClock(start), wallClock(end), scaleText(secondsPer100Px, locale));
}
