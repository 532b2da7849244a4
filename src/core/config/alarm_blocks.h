#pragma once
// Block 42: the panel's alarm function, switched on by a code word rather
// than a 0/1 flag.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

inline constexpr std::uint16_t AlarmEnabledCode = 0x7F3A;

std::vector<std::uint8_t> PackAlarmFunction(bool enabled);
// Whether the answer switches the function on: only AlarmEnabledCode does.
std::optional<bool> UnpackAlarmFunction(const std::uint8_t* payload, std::size_t length);
