#pragma once
// The clock's local time as the core's calendar fields.

#include <QDateTime>

#include "core/panel/date_text.h"

inline LocalDateTime ToLocalDateTime(const QDateTime& now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    // Qt counts weekdays from Monday = 1 to Sunday = 7; the table starts on Sunday.
    return LocalDateTime{date.year(), date.month(),  date.day(),   date.dayOfWeek() % 7,
                         time.hour(), time.minute(), time.second()};
}
