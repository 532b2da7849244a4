#include "core/rf/rf_sensor_fields.h"

#include <string>

const std::array<const char*, 3> kSensorKindItems = {
    "Sensor PIR (presença)",
    "Sensor de porta",
    "Chaveiro 3 botões",
};

namespace {

constexpr const char* kNone = "-";

std::string KindText(std::uint8_t kind)
{
    return kind >= 1 && kind <= kSensorKindItems.size() ? kSensorKindItems[kind - 1u] : kNone;
}

}  // namespace

std::vector<BlockField> RfSensorFields(const std::optional<RfSensorRecord>& record)
{
    std::vector<BlockField> fields{{"Serial do sensor", kNone}, {"Tipo", kNone},  {"Função botão 1", kNone},
                                   {"Função botão 2", kNone},   {"Função botão 3", kNone}, {"Zona", kNone},
                                   {"Usuário", kNone}};
    if (!record) return fields;
    fields[0].value = std::to_string(record->serial);
    fields[1].value = KindText(record->kind);
    // As the tab: only a key fob shows its buttons.
    if (record->kind == static_cast<std::uint8_t>(SensorKind::KeyFob)) {
        for (std::size_t i = 0; i < record->buttons.size(); ++i) {
            fields[2 + i].value = kButtonFunctionItems[static_cast<std::size_t>(DecodeButtonFunction(record->buttons[i]))];
        }
    }
    fields[5].value = std::to_string(record->zone);
    fields[6].value = std::to_string(record->user);
    return fields;
}

std::vector<FieldChange> CompareRfSensors(const std::optional<RfSensorRecord>& before,
                                          const std::optional<RfSensorRecord>& after)
{
    const std::vector<BlockField> a = RfSensorFields(before);
    const std::vector<BlockField> b = RfSensorFields(after);
    std::vector<FieldChange> changes;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].value != b[i].value) changes.push_back({a[i].caption, a[i].value, b[i].value});
    }
    return changes;
}
