#include "core/panel/date_text.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatClockText, FixedDates)
{
    struct Case {
        LocalDateTime when;
        const char* text;
    };
    const Case cases[] = {
        {{2026, 12, 10, 4, 4, 5, 6}, "Quinta 10 de Dezembro de 2026  -  04:05:06\n"},
        {{2023, 1, 1, 0, 0, 0, 0}, "Domingo 1 de Janeiro de 2023  -  00:00:00\n"},
        {{2026, 2, 28, 6, 23, 59, 59}, "Sábado 28 de Fevereio de 2026  -  23:59:59\n"},
        {{2025, 3, 4, 2, 12, 30, 9}, "Terça 4 de Março de 2025  -  12:30:09\n"},
        // A caller's bad index must not read outside the tables.
        {{2026, 13, 10, 7, 4, 5, 6}, " 10 de  de 2026  -  04:05:06\n"},
        {{2026, 0, 10, -1, 4, 5, 6}, " 10 de  de 2026  -  04:05:06\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatClockText(c.when), c.text);
}

}  // namespace
