#pragma once
// What differs between two configurations of a panel (two snapshots, or a
// snapshot and what the panel holds now), field by field with the window's
// captions, keyed by block id and RF sensor slot: block by block, then slot
// by slot when both hold the sensors. One comparison for the window, the
// report and the command line.

#include <QString>
#include <cstdint>
#include <vector>

#include "core/config/block_fields.h"
#include "library/backup_file.h"

// How a slot whose sensor was put in, taken out or replaced is told: as one
// change of the whole sensor, "Sensor" (the window and the report: a table
// enrolled anew stays a few lines), or field by field (the command line's
// diff, as scripts read it).
enum class SensorChanges { Whole, ByField };

struct BackupDifferences {
    struct Block {
        std::uint8_t id = 0;
        std::vector<FieldChange> changes;
    };
    struct Sensor {
        int slot = 0;
        std::vector<FieldChange> changes;
    };
    std::vector<Block> blocks;    // in increasing id, each with a change
    std::vector<Sensor> sensors;  // in increasing slot, each with a change
    bool sensorsCompared = false;  // both held the sensors
    bool Empty() const { return blocks.empty() && sensors.empty(); }
};

BackupDifferences CompareConfigurations(const PanelBackup& before, const PanelBackup& after,
                                        SensorChanges sensors = SensorChanges::Whole);

// The same as rows to show, each named by where it is: the block's title,
// or "Sensor RF n".
struct BackupDifference {
    QString where;
    FieldChange change;
};
std::vector<BackupDifference> CompareBackups(const PanelBackup& before, const PanelBackup& after);
