#!/usr/bin/env python3
# The UTC offsets of every zone of the system's zone1970.tab from 1969 to the
# end of 2101, as Python's zoneinfo reads them from the zone files, a line a
# zone:
#
#     NAME OFFSET [SECOND OFFSET]...
#
# the offset at the start of 1969, then each change: the first UTC second
# (since the epoch) of the new offset and the offset, all in seconds.
#
# zoneinfo does not list a zone's transitions, so the offset is read every other
# day and each change narrowed down to its second by halves: no zone of the
# table has changed its clock twice within 7 days since 1900.

from datetime import datetime, timedelta
from zoneinfo import ZoneInfo

FIRST = -31536000  # 1969-01-01, a year before the calendar test's rows
LAST = 4165516800  # 2102-01-01, a year after them
STEP = 2 * 86400
SECOND = timedelta(seconds=1)


def changes(zone):
    def offset(second):
        return datetime.fromtimestamp(second, zone).utcoffset()

    current = offset(FIRST)
    found = [current // SECOND]
    second = FIRST
    for later in range(FIRST + STEP, LAST + STEP, STEP):
        if offset(later) != current:
            while later - second > 1:
                middle = (second + later) // 2
                if offset(middle) == current:
                    second = middle
                else:
                    later = middle
            current = offset(later)
            found += [later, current // SECOND]
        second = later
    return found


with open("/usr/share/zoneinfo/zone1970.tab", encoding="utf-8") as table:
    for line in table:
        if not line.startswith("#"):
            name = line.split("\t")[2].strip()
            print(name, *changes(ZoneInfo(name)), flush=True)
