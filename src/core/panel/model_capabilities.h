#pragma once
// What each alarm panel this tool configures has, in one table: the pages
// ask it how many records a block holds instead of testing model codes.
// Every other model code is shown when it answers, but never counts as a
// live connection and gets the full-size blocks.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

inline constexpr std::uint8_t kPanelModel37 = 37;
inline constexpr std::uint8_t kPanelModel51 = 51;
inline constexpr std::uint8_t kPanelModel56 = 56;

struct PanelModel {
    std::uint8_t code;
    std::size_t wiredSensors;     // records of the wired sensor block
    std::size_t actuatorOutputs;  // outputs of the actuator block
    bool showsOutputs3And4;       // the type fields of outputs 3 and 4 on screen
    bool longRfBlock;             // RF communication block in its long form
};

inline constexpr std::size_t kMaxWiredSensors = 6;
inline constexpr std::size_t kMaxActuatorOutputs = 4;

inline constexpr std::array<PanelModel, 3> kPanelModels{{
    {kPanelModel37, 4, 2, false, false},
    {kPanelModel51, 6, 4, true, false},
    {kPanelModel56, 6, 4, false, true},
}};

inline constexpr const PanelModel* FindPanelModel(std::uint8_t code)
{
    for (const PanelModel& model : kPanelModels) {
        if (model.code == code) return &model;
    }
    return nullptr;
}

inline constexpr bool IsSupportedPanelModel(std::uint8_t code) { return FindPanelModel(code) != nullptr; }

inline constexpr std::size_t WiredSensorRecordCount(std::uint8_t code)
{
    const PanelModel* model = FindPanelModel(code);
    return model ? model->wiredSensors : kMaxWiredSensors;
}

inline constexpr std::size_t ActuatorOutputCount(std::uint8_t code)
{
    const PanelModel* model = FindPanelModel(code);
    return model ? model->actuatorOutputs : kMaxActuatorOutputs;
}
