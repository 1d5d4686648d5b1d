// The date-time type of the disc project: days since 30 December 1899 as a
// double, the fraction being the local time of day.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <unordered_map>

namespace zelvane {

using TDateTime = double;

struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

DateParts decodeDateTime(TDateTime value);
TDateTime encodeDateTime(const DateParts &parts);

// Now and today (midnight) in local time.
TDateTime nowDateTime();
TDateTime todayDate();
// A Unix time as the local date-time of this machine.
TDateTime localDateTimeFromUnix(std::time_t seconds, long nanoseconds = 0);
// A local date-time of this machine as a Unix time (whole seconds).
std::time_t unixFromLocalDateTime(TDateTime value);

// Offset of the local zone from UTC at that local date, in 15-minute units.
int localOffsetQuarterHours(const DateParts &parts);

// Remembers the zone offsets already computed, per local hour, for the many
// dates of one header.
class ZoneOffsetCache {
public:
    int quarterHours(const DateParts &parts);

private:
    std::unordered_map<std::int64_t, int> known_;
};

// The 16 digits "yyyymmddhhnnsszz" of a volume descriptor date: the last
// two are the milliseconds written with at least two digits, cut to fit.
std::string descriptorDateDigits(TDateTime value);

} // namespace zelvane
