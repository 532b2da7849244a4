#pragma once
// An enrolled sensor's record field by field, named as the RF sensors tab
// labels them, for the backup file and for comparing two sensor tables.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/config/block_fields.h"
#include "core/rf/rf_sensor_record.h"

// The kind radio buttons' texts, for kinds 1 to 3.
extern const std::array<const char*, 3> kSensorKindItems;

// Always the same seven fields, so two records compare caption by caption:
// serial, kind, the three button functions ("-" unless a key fob), zone,
// user. No record (an empty slot) gives "-" for every value.
std::vector<BlockField> RfSensorFields(const std::optional<RfSensorRecord>& record);

// The fields that differ between two forms of a slot; nothing when equal.
std::vector<FieldChange> CompareRfSensors(const std::optional<RfSensorRecord>& before,
                                          const std::optional<RfSensorRecord>& after);
