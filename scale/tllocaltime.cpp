#include "tllocaltime.h"

#include <QDateTime>
#include <QtNumeric>

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 MSecsPerHour = qint64(3600) * 1000;
constexpr qint64 MSecsPerDay = 24 * MSecsPerHour;
constexpr qint64 EpochJulianDay = 2440588; // 1970-01-01
constexpr qint64 MinMSecs = std::numeric_limits<qint64>::min();
constexpr qint64 MaxMSecs = std::numeric_limits<qint64>::max();

// No zone has been further from UTC than this, local mean time included, so
// every instant that shows a given wall-clock time lies within it, and a
// wall-clock time this far from the ends of 64 bits can always be written.
constexpr qint64 MaxOffset = 18 * MSecsPerHour;
// Offsets are learnt this far on either side of where they are asked for,
// and what is learnt is kept while it stays this many spans long at most.
constexpr qint64 LearnSpan = 400 * MSecsPerDay;
constexpr qint64 MaxLearntSpans = 64;

qint64 saturatedSum(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (qAddOverflow(a, b, &sum))
        return b < 0 ? MinMSecs : MaxMSecs;
    return sum;
}

qint64 zoneOffset(const QTimeZone &zone, qint64 msecs)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc());
    return qint64(zone.offsetFromUtc(at)) * 1000;
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - (a % b < 0 ? 1 : 0);
}

} // namespace

TLLocalTime::TLLocalTime()
    : zone(QTimeZone::systemTimeZone())
{
    if (!zone.isValid())
        zone = QTimeZone::utc();
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

void TLLocalTime::learn(qint64 around)
{
    qint64 from = saturatedSum(around, -LearnSpan);
    qint64 to = saturatedSum(around, LearnSpan);
    // Next to what is known, the two are joined, up to a limit.
    if (knownFrom <= knownTo
        && double(qMax(to, knownTo)) - double(qMin(from, knownFrom))
                   <= double(MaxLearntSpans * LearnSpan)) {
        from = qMin(from, knownFrom);
        to = qMax(to, knownTo);
    }
    offsetBefore = zoneOffset(zone, from);
    changes.clear();
    const auto utc = [](qint64 msecs) {
        return QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc());
    };
    for (const QTimeZone::OffsetData &change : zone.transitions(utc(from), utc(to))) {
        const qint64 at = change.atUtc.toMSecsSinceEpoch();
        if (at > from && at <= to)
            changes.push_back({at, qint64(change.offsetFromUtc) * 1000});
    }
    knownFrom = from;
    knownTo = to;
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

std::vector<TLLocalTime::Piece> TLLocalTime::piecesOn(qint64 from, qint64 to)
{
    if (from < knownFrom || to > knownTo)
        learn(from + (to - from) / 2);
    std::vector<Piece> pieces{{from, offsetAt(from)}};
    const auto begin =
            std::upper_bound(changes.begin(), changes.end(), from,
                             [](qint64 t, const Change &change) { return t < change.at; });
    for (auto it = begin; it != changes.end() && it->at <= to; ++it)
        pieces.push_back(*it);
    return pieces;
}

std::optional<qint64> TLLocalTime::firstShowing(qint64 wall)
{
    const qint64 from = qMax(saturatedSum(wall, -MaxOffset), firstInstant());
    const qint64 to = qMin(saturatedSum(wall, MaxOffset), lastInstant());
    if (from > to)
        return std::nullopt;
    // Within each piece the clock runs evenly: it first shows wall in the
    // first piece that reaches it.
    const std::vector<Piece> pieces = piecesOn(from, to);
    for (size_t i = 0; i < pieces.size(); ++i) {
        qint64 at = 0;
        if (qSubOverflow(wall, pieces[i].offset, &at))
            continue;
        if (at < pieces[i].at) {
            // Before the first representable instant, or the clock jumped
            // over wall on entering this piece.
            if (i == 0)
                return std::nullopt;
            at = pieces[i].at;
        }
        if (i + 1 == pieces.size() || at < pieces[i + 1].at)
            return at <= lastInstant() ? std::optional<qint64>(at) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<qint64> TLLocalTime::lastShowing(qint64 wall, qint64 limit)
{
    const qint64 from = qMax(saturatedSum(limit, -MSecsPerDay), firstInstant());
    if (from > limit)
        return std::nullopt;
    const std::vector<Piece> pieces = piecesOn(from, limit);
    for (size_t i = pieces.size(); i-- > 0;) {
        qint64 at = 0;
        if (qSubOverflow(wall, pieces[i].offset, &at))
            continue;
        const qint64 end = i + 1 < pieces.size() ? pieces[i + 1].at - 1 : limit;
        if (at >= pieces[i].at && at <= end)
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
