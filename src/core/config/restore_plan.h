#pragma once
// Restoring a saved configuration onto a panel. The plan: of the saved
// blocks the tool writes (every one but the modem's), only those that differ
// from what the panel holds are written; a block of two forms (the RF block)
// must be in the panel's form, or nothing is written at all; the Wi-Fi
// block's length follows its texts. The run: each block of the plan is
// written, its acknowledgement awaited, then read back; the first failure
// stops the run, and at any point the run says what was written and what
// was not. Running a restore again writes what still differs. One plan for
// the command-line tool and the library window.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "core/config/panel_backup.h"  // BlockMap

struct RestorePlan {
    std::vector<std::uint8_t> toWrite;  // in increasing id
    // Set when the saved configuration cannot go to this panel at all: a
    // block whose length the panel's own does not match.
    struct Mismatch {
        std::uint8_t block = 0;
        std::size_t savedLength = 0;
        std::size_t panelLength = 0;
    };
    std::optional<Mismatch> refusal;
};

// The writable blocks of a saved configuration, in increasing id.
std::vector<std::uint8_t> WritableBlocks(const BlockMap& saved);

// current: what the panel holds of at least every writable saved block.
RestorePlan PlanRestore(const BlockMap& saved, const BlockMap& current);

class RestoreRun {
public:
    struct Step {
        enum class Kind { Write, ReadBack };
        Kind kind;
        std::uint8_t id;
    };
    enum class WriteAnswer { Accepted, Refused, NoAnswer };
    enum class Stop { None, Cancelled, WriteRefused, WriteUnanswered, ReadBackDiffers };

    // Writes the blocks of saved named by toWrite, in that order.
    RestoreRun(const BlockMap& saved, std::vector<std::uint8_t> toWrite);

    // What to do next: write a block, or read back the block just written;
    // nothing once every block is written or the run stopped.
    std::optional<Step> Next() const;
    // The bytes a write step sends.
    const std::vector<std::uint8_t>& Bytes(std::uint8_t id) const { return saved_.at(id); }
    void OnWriteAnswered(WriteAnswer answer);
    // The block as read back; nothing when the read found no answer.
    void OnReadBack(const std::optional<std::vector<std::uint8_t>>& block);
    // Stops before the next write (a read-back under way is given up).
    void Cancel();

    Stop Stopped() const { return stop_; }
    // The block the run stopped at (when it stopped).
    std::uint8_t StoppedAt() const { return stoppedAt_; }
    const std::vector<std::uint8_t>& Written() const { return written_; }
    std::vector<std::uint8_t> NotWritten() const;

private:
    void Halt(Stop stop);

    const BlockMap& saved_;
    std::vector<std::uint8_t> toWrite_;
    std::size_t next_ = 0;  // index into toWrite_ of the block under way
    bool readingBack_ = false;
    Stop stop_ = Stop::None;
    std::uint8_t stoppedAt_ = 0;
    std::vector<std::uint8_t> written_;
};
