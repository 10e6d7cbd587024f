#ifndef VIEWSUMMARY_H
#define VIEWSUMMARY_H

#include <QDateTime>
#include <QString>

// What the view shows, in words for the status bar: the instants at its left
// and right edges on the system's clock, with weekday, day, month, year and time in the default
// locale's order, and the scale in the unit that reads best, as in
// "Fri, 11 Dec 2026 21:02 – Tue, 15 Dec 2026 22:34 (15.6 hours per 100 px)".
QString viewSummary(const QDateTime &start, const QDateTime &end, quint32 secondsPer100Px);

#endif // VIEWSUMMARY_H
