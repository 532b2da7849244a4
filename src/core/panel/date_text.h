#pragma once
// The date and time text of the status bar, and the weekday and month names
// that the image and diagnostic windows use as well. The caller reads the
// clock and fills LocalDateTime, so the text is a plain function of it.

#include <string>

struct LocalDateTime {
    int year = 0;
    int month = 1;    // 1 = January
    int day = 1;
    int weekday = 0;  // 0 = Sunday
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Names by index; an index outside the table yields an empty name.
const char* WeekdayName(int weekday);  // 0 = "Domingo"
const char* MonthName(int month);      // 1 = "Janeiro"

// "Quinta 10 de Dezembro de 2026  -  04:05:06\n", line break included.
std::string FormatClockText(const LocalDateTime& when);
