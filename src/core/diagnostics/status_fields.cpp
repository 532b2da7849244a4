#include "core/diagnostics/status_fields.h"

#include <cstdio>

#include "core/config/cp1252.h"

std::string FixedText(const std::uint8_t* field, std::size_t width)
{
    std::size_t length = 0;
    while (length < width && field[length] != 0) ++length;
    return Cp1252ToUtf8(field, length);
}

std::string DottedQuadText(const std::uint8_t* bytes)
{
    char text[20];
    std::snprintf(text, sizeof text, "%03d.%03d.%03d.%03d", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

LocalDateTime UtcCalendarTime(std::int64_t seconds)
{
    // Floor division, so times before 1970 land on the right day.
    std::int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const std::int64_t secondsOfDay = seconds - days * 86400;
    LocalDateTime when;
    when.weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1 January 1970 was a Thursday
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    when.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    when.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    when.year = static_cast<int>(yearOfEra + era * 400 + (when.month <= 2 ? 1 : 0));
    when.hour = static_cast<int>(secondsOfDay / 3600);
    when.minute = static_cast<int>(secondsOfDay / 60 % 60);
    when.second = static_cast<int>(secondsOfDay % 60);
    return when;
}
