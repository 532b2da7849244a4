#include "core/config/restore_plan.h"

#include "core/config/panel_backup.h"
#include "core/panel/block_table.h"

std::vector<std::uint8_t> WritableBlocks(const BlockMap& saved)
{
    std::vector<std::uint8_t> ids;
    for (const auto& [id, bytes] : saved) {
        if (IsWritableBlock(id)) ids.push_back(id);
    }
    return ids;
}

RestorePlan PlanRestore(const BlockMap& saved, const BlockMap& current)
{
    RestorePlan plan;
    for (std::uint8_t id : WritableBlocks(saved)) {
        const std::vector<std::uint8_t>& wanted = saved.at(id);
        const auto found = current.find(id);
        const std::vector<std::uint8_t> held = found == current.end() ? std::vector<std::uint8_t>{} : found->second;
        const BlockEntry* entry = FindBlock(id);
        if (entry != nullptr && !entry->anyLength && held.size() != wanted.size()) {
            plan.toWrite.clear();
            plan.refusal = RestorePlan::Mismatch{id, wanted.size(), held.size()};
            return plan;
        }
        if (held != wanted) plan.toWrite.push_back(id);
    }
    return plan;
}

RestoreRun::RestoreRun(const BlockMap& saved, std::vector<std::uint8_t> toWrite)
    : saved_(saved), toWrite_(std::move(toWrite))
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
    if (!block || *block != saved_.at(id)) {
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
