#pragma once
// Field readers shared by the status-page decoders. Callers have checked
// the page length, so every offset here lies inside the payload.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/panel/date_text.h"

// Text of a fixed-width field: up to its first zero byte and never past its
// width, Windows-1252 bytes turned into UTF-8.
std::string FixedText(const std::uint8_t* field, std::size_t width);

// "%03d.%03d.%03d.%03d" of four bytes in order: 10.0.0.1 reads 010.000.000.001.
std::string DottedQuadText(const std::uint8_t* bytes);

// "Sim"/"Não", "Conectado"/"Não conectado" and the like: a byte that is not 0 is yes.
inline const char* YesNoText(std::uint8_t flag, const char* yes, const char* no)
{
    return flag != 0 ? yes : no;
}

// Seconds since 1970 as a UTC calendar time (proleptic Gregorian), without
// the C library's time zone state.
LocalDateTime UtcCalendarTime(std::int64_t seconds);
