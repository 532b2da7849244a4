#pragma once
// Block 41: the panel's safe function, and the temperature word it carries
// its temperature window in. Temperatures are typed in degrees with one
// decimal and travel as tenths of a degree in sign and magnitude: bit 15 is
// the sign, bits 0 to 11 the magnitude (-55.0 is 0x8226, +125.0 is 0x04E2).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::uint16_t SafeEnabledCode = 0x7D5A;

// ---- Temperature word ----
inline constexpr std::int32_t kMinTemperatureTenths = -550;
inline constexpr std::int32_t kMaxTemperatureTenths = 1250;

enum class TemperatureCheck {
    Accepted,
    OutOfRange,  // empty, not a number, or outside -55.0 .. 125.0
    Unreadable,  // a number beyond what single precision can hold
};

struct TemperatureEntry {
    TemperatureCheck check = TemperatureCheck::OutOfRange;
    std::uint16_t word = 0;  // only when accepted
};

// The leading number of the text: blanks, a sign, digits with a point or a
// comma as decimal separator, an exponent; what follows it is ignored. The
// range test is on the typed value; the word holds it rounded to the nearest
// tenth (half away from zero), so 2.3 travels as 23 tenths.
TemperatureEntry EncodeTemperature(std::string_view text);
// One decimal, as "-55.0"; a magnitude above 125.0 shows as "0.0".
std::string DecodeTemperature(std::uint16_t word);

// ---- Block 41 ----
struct SafeFunction {
    bool enabled = false;
    bool floatingActuator = false;     // "Ligado em FLUTUANTE"; else "Ligado em TERRA"
    std::uint16_t maxTemperature = 0;  // temperature words
    std::uint16_t minTemperature = 0;
    std::int32_t maxDebounce = 0;      // seconds, as typed
    std::int32_t minDebounce = 0;
    std::int32_t longestOpen = 0;
};

std::vector<std::uint8_t> PackSafeFunction(const SafeFunction& safe);
// Only SafeEnabledCode enables; any non-zero polarity byte is floating.
std::optional<SafeFunction> UnpackSafeFunction(const std::uint8_t* payload, std::size_t length);
