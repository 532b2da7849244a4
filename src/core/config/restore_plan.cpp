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
