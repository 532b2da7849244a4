#pragma once
// Block 38: the panel's arming rules. A start-up delay before the panel
// arms, and five switches for the beeps on arming and disarming, one bit
// each of a 16-bit flag word.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

inline constexpr std::size_t kPanelRuleCount = 5;

struct PanelRules {
    std::int32_t armingDelay = 0;                 // seconds, as typed
    std::array<bool, kPanelRuleCount> rules{};    // rule 0 is the first check box
};

std::vector<std::uint8_t> PackPanelRules(const PanelRules& rules);
// Flag bits past the five rules are ignored.
std::optional<PanelRules> UnpackPanelRules(const std::uint8_t* payload, std::size_t length);
