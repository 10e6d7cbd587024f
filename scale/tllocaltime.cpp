#include "tllocaltime.h"

#include <QTimeZone>
#include <QtNumeric>

#include <algorithm>
#include <ctime>
#include <limits>

namespace {

constexpr qint64 MSecsPerSecond = 1000;
constexpr qint64 SecsPerDay = 86400;
constexpr qint64 MSecsPerDay = SecsPerDay * MSecsPerSecond;
constexpr qint64 EpochJulianDay = 2440588; // 1970-01-01
constexpr qint64 MinMSecs = std::numeric_limits<qint64>::min();
constexpr qint64 MaxMSecs = std::numeric_limits<qint64>::max();

// The C library takes offsets up to 24:59:59 from a POSIX rule, and no zone
// file has one as large, so every instant that shows a given wall-clock time
// lies within this, and a wall-clock time this far from the ends of 64 bits
// can always be written.
constexpr qint64 MaxOffsetSecs = qint64(25) * 3600;
constexpr qint64 MaxOffset = MaxOffsetSecs * MSecsPerSecond;
// Offsets are learnt this far on either side of where they are asked for,
// and what is learnt is kept while it stays this many spans long at most.
constexpr qint64 LearnSpan = 400 * MSecsPerDay;
constexpr qint64 MaxLearntSpans = 64;
// The offset is read once a day and each change narrowed down to its second.
// No zone has changed its clock twice within a week since 1900.
constexpr qint64 SampleSecs = SecsPerDay;

qint64 saturatedSum(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (qAddOverflow(a, b, &sum))
        return b < 0 ? MinMSecs : MaxMSecs;
    return sum;
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - (a % b < 0 ? 1 : 0);
}

// The C library's offset from UTC, in milliseconds, at a second since the
// epoch (held within what time_t holds).
qint64 systemOffset(qint64 seconds)
{
    constexpr auto First = qint64(std::numeric_limits<time_t>::min());
    constexpr auto Last = qint64(std::numeric_limits<time_t>::max());
    const auto at = time_t(qBound(First, seconds, Last));
    tm local{};
    if (!localtime_r(&at, &local))
        return 0;
    return qBound(-MaxOffsetSecs, qint64(local.tm_gmtoff), MaxOffsetSecs) * MSecsPerSecond;
}

qint64 systemOffsetAt(qint64 msecs)
{
    return systemOffset(floorDiv(msecs, MSecsPerSecond));
}

} // namespace

TLLocalTime::TLLocalTime()
    : key(systemZoneKey())
{
}

QByteArray TLLocalTime::systemZoneKey()
{
    tzset();
    // The rule's text tells rules apart; a zone file that changed under the
    // same name shows in its offsets over the years. (tzname is no help: the
    // C library sets it anew at every conversion.)
    QByteArray zone = qgetenv("TZ");
    for (qint64 year = 1900; year <= 2100; year += 20) {
        for (const qint64 day : {15, 196}) {
            const qint64 seconds = ((year - 1970) * 36524 / 100 + day) * SecsPerDay;
            zone += ' ' + QByteArray::number(systemOffset(seconds));
        }
    }
    return zone;
}

qint64 TLLocalTime::firstInstant()
{
    return MinMSecs + MaxOffset;
}

qint64 TLLocalTime::lastInstant()
{
    return MaxMSecs - MaxOffset;
}

qint64 TLLocalTime::moved(qint64 msecs, qint64 delta)
{
    return qBound(firstInstant(), saturatedSum(msecs, delta), lastInstant());
}

QDateTime TLLocalTime::systemWallClock(qint64 msecs)
{
    const qint64 at = qBound(firstInstant(), msecs, lastInstant());
    const qint64 wall = at + systemOffsetAt(at);
    return QDateTime(dateOf(wall), timeOf(wall), QTimeZone::utc());
}

void TLLocalTime::learn(qint64 around)
{
    const qint64 from = saturatedSum(around, -LearnSpan);
    const qint64 to = saturatedSum(around, LearnSpan);
    // Next to what is known, only the new part is read, up to a limit.
    const bool joins = knownFrom <= knownTo
                       && double(qMax(to, knownTo)) - double(qMin(from, knownFrom))
                                  <= double(MaxLearntSpans * LearnSpan);
    if (!joins) {
        knownFrom = knownTo = from;
        offsetBefore = systemOffsetAt(from);
        changes.clear();
    }
    if (from < knownFrom) {
        std::vector<Change> earlier = changesOn(from, knownFrom);
        offsetBefore = earlier.front().offset;
        changes.insert(changes.begin(), earlier.begin() + 1, earlier.end());
        knownFrom = from;
    }
    if (to > knownTo) {
        const std::vector<Change> later = changesOn(knownTo, to);
        changes.insert(changes.end(), later.begin() + 1, later.end());
        knownTo = to;
    }
}

// The offset at from, then every change in (from, to], read from the C
// library: once a day, and by halves between two days that differ.
std::vector<TLLocalTime::Change> TLLocalTime::changesOn(qint64 from, qint64 to)
{
    qint64 second = floorDiv(from, MSecsPerSecond);
    const qint64 last = floorDiv(to, MSecsPerSecond);
    qint64 offset = systemOffset(second);
    std::vector<Change> found{{from, offset}};
    while (second < last) {
        qint64 next = qMin(second + SampleSecs, last);
        if (systemOffset(next) == offset) {
            second = next;
            continue;
        }
        while (next - second > 1) {
            const qint64 middle = second + (next - second) / 2;
            (systemOffset(middle) == offset ? second : next) = middle;
        }
        offset = systemOffset(next);
        found.push_back({next * MSecsPerSecond, offset});
        second = next;
    }
    return found;
}

qint64 TLLocalTime::offsetAt(qint64 msecs)
{
    if (msecs < knownFrom || msecs > knownTo)
        learn(msecs);
    const auto after =
            std::upper_bound(changes.begin(), changes.end(), msecs,
                             [](qint64 t, const Change &change) { return t < change.at; });
    return after == changes.begin() ? offsetBefore : std::prev(after)->offset;
}

// The offset at from, then every change in (from, to], from what is known.
std::vector<TLLocalTime::Change> TLLocalTime::knownChangesOn(qint64 from, qint64 to)
{
    if (from < knownFrom || to > knownTo)
        learn(from + (to - from) / 2);
    std::vector<Change> found{{from, offsetAt(from)}};
    const auto begin =
            std::upper_bound(changes.begin(), changes.end(), from,
                             [](qint64 t, const Change &change) { return t < change.at; });
    for (auto it = begin; it != changes.end() && it->at <= to; ++it)
        found.push_back(*it);
    return found;
}

std::optional<qint64> TLLocalTime::firstShowing(qint64 wall)
{
    const qint64 from = qMax(saturatedSum(wall, -MaxOffset), firstInstant());
    const qint64 to = qMin(saturatedSum(wall, MaxOffset), lastInstant());
    if (from > to)
        return std::nullopt;
    // Between changes the clock runs evenly: it first shows wall in the
    // first stretch that reaches it.
    const std::vector<Change> stretches = knownChangesOn(from, to);
    for (size_t i = 0; i < stretches.size(); ++i) {
        qint64 at = 0;
        if (qSubOverflow(wall, stretches[i].offset, &at))
            continue;
        if (at < stretches[i].at) {
            // Before the first representable instant, or the clock jumped
            // over wall on entering this stretch.
            if (i == 0)
                return std::nullopt;
            at = stretches[i].at;
        }
        if (i + 1 == stretches.size() || at < stretches[i + 1].at)
            return at <= lastInstant() ? std::optional<qint64>(at) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<qint64> TLLocalTime::lastShowing(qint64 wall, qint64 limit)
{
    const qint64 from = qMax(saturatedSum(limit, -MSecsPerDay), firstInstant());
    if (from > limit)
        return std::nullopt;
    const std::vector<Change> stretches = knownChangesOn(from, limit);
    for (size_t i = stretches.size(); i-- > 0;) {
        qint64 at = 0;
        if (qSubOverflow(wall, stretches[i].offset, &at))
            continue;
        const qint64 end = i + 1 < stretches.size() ? stretches[i + 1].at - 1 : limit;
        if (at >= stretches[i].at && at <= end)
            return at;
    }
    return std::nullopt;
}

std::optional<qint64> TLLocalTime::wallClock(QDate date, QTime time)
{
    qint64 days = 0;
    qint64 msecs = 0;
    if (!date.isValid() || !time.isValid()
        || qSubOverflow(date.toJulianDay(), EpochJulianDay, &days)
        || qMulOverflow(days, MSecsPerDay, &msecs)
        || qAddOverflow(msecs, qint64(time.msecsSinceStartOfDay()), &msecs))
        return std::nullopt;
    return msecs;
}

QDate TLLocalTime::dateOf(qint64 wall)
{
    return QDate::fromJulianDay(floorDiv(wall, MSecsPerDay) + EpochJulianDay);
}

QTime TLLocalTime::timeOf(qint64 wall)
{
    return QTime::fromMSecsSinceStartOfDay(int(wall - floorDiv(wall, MSecsPerDay) * MSecsPerDay));
}
