#pragma once
// What differs between two configurations of a panel, field by field with
// the window's captions: block by block, then RF sensor slot by slot when
// both hold the sensors (a sensor put in, taken out or replaced as one
// change, "Sensor"). One comparison for the window and the report.

#include <QString>
#include <vector>

#include "core/config/block_fields.h"
#include "library/backup_file.h"

struct BackupDifference {
    QString where;  // the block's title, or "Sensor RF n"
    FieldChange change;
};

std::vector<BackupDifference> CompareBackups(const PanelBackup& before, const PanelBackup& after);
