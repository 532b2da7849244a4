#pragma once
// What a status page does to the diagnostic window, as plain values: which
// label gets which text, colour or visibility. The decoders return these
// and the window only applies them, so every rule is testable without Qt.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/panel/text_colour.h"

// A label's font colour; none leaves the colour the last page left.
using LabelColour = std::optional<TextColour>;

struct LabelUpdate {
    std::string name;                 // the label's (or picture's) object name
    std::optional<std::string> text;  // UTF-8; absent: the text stays
    LabelColour colour = std::nullopt;
    std::optional<bool> visible;      // absent: the visibility stays

    bool operator==(const LabelUpdate&) const = default;
};

using LabelUpdates = std::vector<LabelUpdate>;


inline LabelUpdate TextUpdate(std::string name, std::string text, LabelColour colour = std::nullopt)
{
    return {std::move(name), std::move(text), colour, std::nullopt};
}

// Not zero: the good text in dark green; zero: the bad one in red.
inline LabelUpdate GoodBadUpdate(std::string name, std::uint8_t flag, const char* good, const char* bad)
{
    return TextUpdate(std::move(name), flag != 0 ? good : bad, flag != 0 ? TextColour::Green : TextColour::Red);
}
