#include "core/panel/date_text.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::array<const char*, 7> kWeekdayNames{
    "Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado",
};

// February is spelt "Fevereio" as users have always seen it; do not correct it.
constexpr std::array<const char*, 12> kMonthNames{
    "Janeiro", "Fevereio", "Março",    "Abril",   "Maio",     "Junho",
    "Julho",   "Agosto",   "Setembro", "Outubro", "Novembro", "Dezembro",
};

}  // namespace

const char* WeekdayName(int weekday)
{
    if (weekday < 0 || weekday >= static_cast<int>(kWeekdayNames.size())) return "";
    return kWeekdayNames[static_cast<std::size_t>(weekday)];
}

const char* MonthName(int month)
{
    if (month < 1 || month > static_cast<int>(kMonthNames.size())) return "";
    return kMonthNames[static_cast<std::size_t>(month - 1)];
}

std::string FormatClockText(const LocalDateTime& when)
{
    // Two names of at most 9 bytes and six ints of at most 11 characters.
    char text[128];
    const int written = std::snprintf(text, sizeof text, "%s %d de %s de %d  -  %.2d:%.2d:%.2d\n",
                                      WeekdayName(when.weekday), when.day, MonthName(when.month), when.year,
                                      when.hour, when.minute, when.second);
    if (written < 0) return {};
    return text;
}
