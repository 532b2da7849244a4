#include "library/backup_compare.h"

#include <set>

#include "core/bytes/hex_text.h"
#include "core/panel/block_table.h"
#include "core/rf/rf_sensor_fields.h"

namespace {

std::optional<RfSensorRecord> SlotRecord(const RfSensorTable& table, int slot)
{
    const auto found = table.find(slot);
    if (found == table.end()) return std::nullopt;
    return UnpackRfSensorRecord(found->second.data(), found->second.size());
}

// A sensor as a whole, in one line: "100003 · Sensor PIR (presença) ·
// zona 9 · usuário 1", with a key fob's buttons; "-" for an empty slot.
std::string SensorSummary(const std::optional<RfSensorRecord>& record)
{
    if (!record) return "-";
    const std::vector<BlockField> fields = RfSensorFields(record);
    std::string summary = fields[0].value + " · " + fields[1].value + " · zona " + fields[5].value + " · usuário " +
                          fields[6].value;
    if (record->kind == static_cast<std::uint8_t>(SensorKind::KeyFob)) {
        summary += " · botões " + fields[2].value + ", " + fields[3].value + ", " + fields[4].value;
    }
    return summary;
}

// What differs in one slot: a sensor put in, taken out or replaced by
// another is one change of the whole sensor (its fields one by one would
// say nothing more, and a table enrolled anew stays a few pages in a
// report); the same sensor changed is told field by field.
std::vector<FieldChange> CompareSlot(const std::optional<RfSensorRecord>& before, const std::optional<RfSensorRecord>& after)
{
    if ((before || after) && (!before || !after || before->serial != after->serial)) {
        return {{"Sensor", SensorSummary(before), SensorSummary(after)}};
    }
    return CompareRfSensors(before, after);
}

template <typename Map>
typename Map::mapped_type ValueOr(const Map& map, const typename Map::key_type& key)
{
    const auto found = map.find(key);
    return found == map.end() ? typename Map::mapped_type{} : found->second;
}

}  // namespace

BackupDifferences CompareConfigurations(const PanelBackup& before, const PanelBackup& after, SensorChanges sensors)
{
    BackupDifferences differences;
    std::set<std::uint8_t> ids;
    for (const auto& [id, bytes] : before.blocks) ids.insert(id);
    for (const auto& [id, bytes] : after.blocks) ids.insert(id);
    for (std::uint8_t id : ids) {
        std::vector<FieldChange> changes = CompareBlock(ValueOr(before.blocks, id), ValueOr(after.blocks, id));
        if (!changes.empty()) differences.blocks.push_back({id, std::move(changes)});
    }
    if (!before.rf || !after.rf) return differences;
    differences.sensorsCompared = true;
    std::set<int> filled;
    for (const auto& [slot, bytes] : *before.rf) filled.insert(slot);
    for (const auto& [slot, bytes] : *after.rf) filled.insert(slot);
    for (int slot : filled) {
        const std::vector<std::uint8_t> old = ValueOr(*before.rf, slot);
        const std::vector<std::uint8_t> now = ValueOr(*after.rf, slot);
        if (old == now) continue;
        const std::optional<RfSensorRecord> was = SlotRecord(*before.rf, slot);
        const std::optional<RfSensorRecord> is = SlotRecord(*after.rf, slot);
        std::vector<FieldChange> changes = sensors == SensorChanges::Whole ? CompareSlot(was, is) : CompareRfSensors(was, is);
        // Reserved bytes the fields do not show can differ alone.
        if (changes.empty()) changes.push_back({"Bytes", HexBytes(old), HexBytes(now)});
        differences.sensors.push_back({slot, std::move(changes)});
    }
    return differences;
}

std::vector<BackupDifference> CompareBackups(const PanelBackup& before, const PanelBackup& after)
{
    std::vector<BackupDifference> rows;
    BackupDifferences differences = CompareConfigurations(before, after);
    for (BackupDifferences::Block& block : differences.blocks) {
        const BlockEntry* entry = FindBlock(block.id);
        const QString where = entry ? QString::fromUtf8(entry->title) : QStringLiteral("Bloco %1").arg(block.id);
        for (FieldChange& change : block.changes) rows.push_back({where, std::move(change)});
    }
    for (BackupDifferences::Sensor& sensor : differences.sensors) {
        for (FieldChange& change : sensor.changes) rows.push_back({QStringLiteral("Sensor RF %1").arg(sensor.slot), std::move(change)});
    }
    return rows;
}
