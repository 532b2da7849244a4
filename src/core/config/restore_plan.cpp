#include "core/config/restore_plan.h"

#include "core/config/panel_backup.h"
#include "core/panel/block_table.h"

std::vector<std::uint8_t> BlocksToCompare(const BlockBytes& backup)
{
    std::vector<std::uint8_t> ids;
    for (const auto& [id, bytes] : backup) {
        if (IsWritableBlock(id)) ids.push_back(id);
    }
    return ids;
}

RestorePlan PlanRestore(const BlockBytes& backup, const BlockBytes& panel)
{
    RestorePlan plan;
    for (std::uint8_t id : BlocksToCompare(backup)) {
        const std::vector<std::uint8_t>& ours = backup.at(id);
        const auto found = panel.find(id);
        const std::vector<std::uint8_t> theirs = found == panel.end() ? std::vector<std::uint8_t>{} : found->second;
        // A block of two forms must be in the panel's form; the Wi-Fi block's
        // length follows its texts.
        if (!FindBlock(id)->anyLength && theirs.size() != ours.size()) {
            plan.toWrite.clear();
            plan.mismatch = RestorePlan::FormMismatch{id, ours.size(), theirs.size()};
            return plan;
        }
        if (theirs != ours) plan.toWrite.push_back(id);
    }
    return plan;
}

RestoreRun::RestoreRun(const BlockBytes& backup, std::vector<std::uint8_t> toWrite)
    : backup_(backup), toWrite_(std::move(toWrite))
{
}

std::optional<RestoreRun::Step> RestoreRun::Next() const
{
    if (stop_ != Stop::None || next_ >= toWrite_.size()) return std::nullopt;
    return Step{readingBack_ ? Step::Kind::ReadBack : Step::Kind::Write, toWrite_[next_]};
}

void RestoreRun::OnWriteAnswered(WriteAnswer answer)
{
    if (!Next() || readingBack_) return;
    switch (answer) {
    case WriteAnswer::Accepted: readingBack_ = true; break;
    case WriteAnswer::Refused: Halt(Stop::WriteRefused); break;
    case WriteAnswer::NoAnswer: Halt(Stop::WriteUnanswered); break;
    }
}

void RestoreRun::OnReadBack(const std::optional<std::vector<std::uint8_t>>& block)
{
    if (!Next() || !readingBack_) return;
    const std::uint8_t id = toWrite_[next_];
    if (!block || *block != backup_.at(id)) {
        Halt(Stop::ReadBackDiffers);
        return;
    }
    written_.push_back(id);
    readingBack_ = false;
    ++next_;
}

void RestoreRun::Cancel()
{
    if (Next()) Halt(Stop::Cancelled);
}

void RestoreRun::Halt(Stop stop)
{
    stop_ = stop;
    stoppedAt_ = toWrite_[next_];
}

std::vector<std::uint8_t> RestoreRun::NotWritten() const
{
    return std::vector<std::uint8_t>(toWrite_.begin() + static_cast<std::ptrdiff_t>(written_.size()), toWrite_.end());
}
