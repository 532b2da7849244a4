#pragma once
// What the status line shows for configuration answers and acknowledgements.
// An acknowledgement does not say which command it answers, so WritePending
// (set after a write is sent, cleared before a read) tells a write result
// from a read failure. The caller maps the outcome to the label and runs the
// fill step of the page registered for the block.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

enum class StatusColour { Green, Red };

struct StatusLineText {
    std::string text;
    StatusColour colour;
};

struct ConfigBlockOutcome {
    StatusLineText status;
    std::uint8_t blockId;
};

class ConfigAnswerHandling {
public:
    // A type-2 answer: nothing when the block has no entry or the length is
    // not one the block accepts (the status line keeps its text).
    std::optional<ConfigBlockOutcome> OnConfigBlock(const std::uint8_t* payload, std::size_t length) const;

    // A positive acknowledgement changes the status line only for a write.
    std::optional<StatusLineText> OnAck();
    StatusLineText OnNack();

    void SetWritePending() { writePending_ = true; }
    void ClearWritePending() { writePending_ = false; }
    bool WritePending() const { return writePending_; }

private:
    // Lives as long as the program: no time-out, not cleared by a close.
    bool writePending_ = false;
};
