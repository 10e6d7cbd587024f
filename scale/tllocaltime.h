#ifndef TLLOCALTIME_H
#define TLLOCALTIME_H

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QtGlobal>

#include <optional>
#include <vector>

// Local time as the system has it: what the C library makes of TZ (a zone
// file, a POSIX rule, a ":"-path), as date(1) prints it, in every year. Its
// offsets from UTC are learnt a stretch at a time and then looked up in
// memory, so that the thousands of boundaries of a wide view cost no
// conversion each.
//
// An instant is milliseconds since the epoch; a wall-clock time is what the
// local clock shows, written as milliseconds since 1970-01-01 00:00 on that
// clock. An instant has one wall-clock time, but a wall-clock time may have
// two instants (where the clock was set back) or none (where it jumped ahead);
// firstShowing() and lastShowing() say which instant is meant.
class TLLocalTime
{
public:
    // The system time zone as it is now.
    TLLocalTime();

    // Reads TZ (and the zone file it names) anew and returns what tells the
    // system's zone from another; equal keys read alike.
    static QByteArray systemZoneKey();
    const QByteArray &zoneKey() const { return key; }

    // The first and the last instant the scale shows: as far as wall-clock
    // times can be written in 64 bits in any zone.
    static qint64 firstInstant();
    static qint64 lastInstant();
    // msecs moved by delta, held within those.
    static qint64 moved(qint64 msecs, qint64 delta);

    // The system's wall-clock time at an instant, as a date and a time (in a
    // QDateTime that carries no zone of its own), read straight from the C
    // library: what the status bar shows, and what offsetAt() learns.
    static QDateTime systemWallClock(qint64 msecs);

    // The offset from UTC, in milliseconds, and the wall-clock time at an
    // instant between firstInstant() and lastInstant().
    qint64 offsetAt(qint64 msecs);
    qint64 wallAt(qint64 msecs) { return msecs + offsetAt(msecs); }

    // The first instant at which the clock shows wall or later: where the
    // clock passes wall twice, the first pass; where it jumps over wall, the
    // instant of the jump. Nothing where that cannot be represented.
    std::optional<qint64> firstShowing(qint64 wall);

    // The last instant at or before limit at which the clock shows exactly
    // wall, within a day; nothing where there is none.
    std::optional<qint64> lastShowing(qint64 wall, qint64 limit);

    // A date and time as a wall-clock value, and back.
    static std::optional<qint64> wallClock(QDate date, QTime time);
    static QDate dateOf(qint64 wall);
    static QTime timeOf(qint64 wall);

private:
    // From this instant on (up to the next change) the offset is this.
    struct Change
    {
        qint64 at;
        qint64 offset;
    };

    void learn(qint64 around);
    static std::vector<Change> changesOn(qint64 from, qint64 to);
    std::vector<Change> knownChangesOn(qint64 from, qint64 to);

    QByteArray key;
    // The offsets are known over [knownFrom, knownTo]: offsetBefore up to
    // the first change, then each change's.
    qint64 knownFrom = 0;
    qint64 knownTo = -1;
    qint64 offsetBefore = 0;
    std::vector<Change> changes;
};

#endif // TLLOCALTIME_H
