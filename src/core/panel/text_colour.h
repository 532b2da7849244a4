#pragma once
// How a window shows a process's status: the colour of its text, and the
// text of a value it has no data for. The update, the enrolment and the
// status pages say which; the windows paint it.

#include <cstdint>

enum class TextColour : std::uint8_t { Blue, Green, Red };

inline constexpr const char* kNoInformation = "Sem informação";
