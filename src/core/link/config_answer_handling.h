#pragma once
// How the panel's configuration answers and acknowledgements read. A block
// answer counts only with a length its block accepts. An acknowledgement
// does not say which command it answers, so the tool's last request
// decides: after a write (a block, an RF record, arm or disarm) a positive
// one accepts the write and a negative one refuses it; after a read, or once
// the write was answered, a negative one refuses the read and a positive one
// answers something else (an enrolment, an update). The session keeps this
// state; its owner maps the outcomes to the status line.

#include <cstddef>
#include <cstdint>

#include "core/panel/block_table.h"

enum class AckMeaning : std::uint8_t { Other, WriteAccepted };
enum class NackMeaning : std::uint8_t { WriteRefused, ReadRefused };

class ConfigAnswerHandling {
public:
    // A type-2 answer: its block's entry, or nothing when the block has no
    // entry or the length is not one the block accepts.
    static const BlockEntry* AcceptedBlock(const std::uint8_t* payload, std::size_t length);

    void OnWriteSent() { writePending_ = true; }
    void OnReadSent() { writePending_ = false; }
    AckMeaning OnAck();
    NackMeaning OnNack();
    bool WritePending() const { return writePending_; }

private:
    // Lives as long as the program: no time-out, not cleared by a close.
    bool writePending_ = false;
};
