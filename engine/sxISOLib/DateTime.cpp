#include "sxISOLib/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace zelvane {

namespace {

// Days from 1899-12-30 to 1970-01-01.
constexpr std::int64_t kUnixEpochDays = 25569;
constexpr std::int64_t kMsPerDay = 86400000;

// Civil date <-> days since 1970-01-01 (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int &year, int &month, int &day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

// The broken-down local time of date parts, daylight saving left to mktime.
std::tm localTm(const DateParts &parts)
{
    std::tm local{};
    local.tm_year = parts.year - 1900;
    local.tm_mon = parts.month - 1;
    local.tm_mday = parts.day;
    local.tm_hour = parts.hour;
    local.tm_min = parts.minute;
    local.tm_sec = parts.second;
    local.tm_isdst = -1;
    return local;
}

} // namespace

DateParts decodeDateTime(TDateTime value)
{
    DateParts parts;
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return parts;
    auto totalMs = static_cast<std::int64_t>(std::llround(value * kMsPerDay));
    std::int64_t days = totalMs / kMsPerDay;
    std::int64_t ms = totalMs % kMsPerDay;
    if (ms < 0) {
        ms += kMsPerDay;
        --days;
    }
    civilFromDays(days - kUnixEpochDays, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(ms / 3600000);
    parts.minute = static_cast<int>(ms / 60000 % 60);
    parts.second = static_cast<int>(ms / 1000 % 60);
    parts.millisecond = static_cast<int>(ms % 1000);
    return parts;
}

TDateTime encodeDateTime(const DateParts &p)
{
    const std::int64_t days = daysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) + kUnixEpochDays;
    const std::int64_t ms = ((p.hour * 60LL + p.minute) * 60 + p.second) * 1000 + p.millisecond;
    return static_cast<double>(days) + static_cast<double>(ms) / kMsPerDay;
}

TDateTime localDateTimeFromUnix(std::time_t seconds, long nanoseconds)
{
    std::tm local{};
    localtime_r(&seconds, &local);
    DateParts parts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour, local.tm_min, local.tm_sec,
                    static_cast<int>(nanoseconds / 1000000)};
    return encodeDateTime(parts);
}

std::time_t unixFromLocalDateTime(TDateTime value)
{
    std::tm local = localTm(decodeDateTime(value));
    return std::mktime(&local);
}

TDateTime nowDateTime()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    return localDateTimeFromUnix(static_cast<std::time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000));
}

TDateTime todayDate()
{
    return std::floor(nowDateTime());
}

int localOffsetQuarterHours(const DateParts &parts)
{
    std::tm local = localTm(parts);
    if (std::mktime(&local) == static_cast<std::time_t>(-1) && local.tm_gmtoff == 0)
        return 0;
    const long quarters = local.tm_gmtoff / 900;
    return quarters < -48 ? -48 : quarters > 52 ? 52 : static_cast<int>(quarters);
}

int ZoneOffsetCache::quarterHours(const DateParts &p)
{
    const std::int64_t key = ((static_cast<std::int64_t>(p.year) * 100 + p.month) * 100 + p.day) * 100 + p.hour;
    const auto found = known_.find(key);
    if (found != known_.end())
        return found->second;
    const int offset = localOffsetQuarterHours(p);
    known_.emplace(key, offset);
    return offset;
}

std::string descriptorDateDigits(TDateTime value)
{
    const DateParts p = decodeDateTime(value);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d%02d", p.year % 10000, p.month, p.day,
                  p.hour, p.minute, p.second, p.millisecond);
    return std::string(text).substr(0, 16);
}

} // namespace zelvane
