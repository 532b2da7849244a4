#pragma once
// Restoring a backup onto a panel. The plan: of the backup's blocks the tool
// writes (every one but the modem's), the panel's are read, and only those
// that differ are written; a block whose length the panel's own form fixes
// (the RF block's two forms) must match it, or nothing is written at all.
// The run: each differing block is written, its acknowledgement awaited,
// then read back; the first failure stops the run, and at any point the run
// says what was written and what was not. Running a restore again writes
// what still differs.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

using BlockBytes = std::map<std::uint8_t, std::vector<std::uint8_t>>;  // by id; each holds its id first

// The backup's blocks the tool writes, in increasing id: the panel's copy
// of these is read before anything is written.
std::vector<std::uint8_t> BlocksToCompare(const BlockBytes& backup);

struct RestorePlan {
    std::vector<std::uint8_t> toWrite;  // the blocks that differ, in increasing id
    // A block whose length is not the panel's where the panel's form fixes
    // it: nothing may be written.
    struct FormMismatch {
        std::uint8_t id;
        std::size_t backupLength;
        std::size_t panelLength;
    };
    std::optional<FormMismatch> mismatch;
};
// panel holds the panel's copy of every block BlocksToCompare named.
RestorePlan PlanRestore(const BlockBytes& backup, const BlockBytes& panel);

class RestoreRun {
public:
    struct Step {
        enum class Kind { Write, ReadBack };
        Kind kind;
        std::uint8_t id;
    };
    enum class WriteAnswer { Accepted, Refused, NoAnswer };
    enum class Stop { None, Cancelled, WriteRefused, WriteUnanswered, ReadBackDiffers };

    RestoreRun(const BlockBytes& backup, std::vector<std::uint8_t> toWrite);

    // What to do next: write a block, or read back the block just written;
    // nothing once every block is written or the run stopped.
    std::optional<Step> Next() const;
    // The bytes a write step sends.
    const std::vector<std::uint8_t>& Bytes(std::uint8_t id) const { return backup_.at(id); }
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

    const BlockBytes& backup_;
    std::vector<std::uint8_t> toWrite_;
    std::size_t next_ = 0;  // index into toWrite_ of the block under way
    bool readingBack_ = false;
    Stop stop_ = Stop::None;
    std::uint8_t stoppedAt_ = 0;
    std::vector<std::uint8_t> written_;
};
