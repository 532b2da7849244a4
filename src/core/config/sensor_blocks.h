#pragma once
// Block 23, the wired sensor inputs: one 5-byte record per sensor (type,
// polarity, rule bits, debounce). Model 37 has four inputs, the other
// panels six; the block carries exactly the panel's inputs.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/panel/model_capabilities.h"

inline constexpr std::size_t kWiredSensorCount = kMaxWiredSensors;
// The items of a sensor's type list, in the order their indexes travel.
inline constexpr std::array<const char*, 15> kSensorTypeItems{
    "DESABILITADO",   "HABILITADO",     "BOTAO PANICO",   "PORTA",          "HORIMETRO",
    "TAMPER",         "CONFIGURAVEL 1", "CONFIGURAVEL 2", "CONFIGURAVEL 3", "CONFIGURAVEL 4",
    "CONFIGURAVEL 5", "CONFIGURAVEL 6", "CONFIGURAVEL 7", "CONFIGURAVEL 8", "VIBRACAO",
};
inline constexpr int kSensorTypeCount = static_cast<int>(kSensorTypeItems.size());

// The level at which an input counts as violated, as it travels.
enum class SensorPolarity : std::uint8_t {
    LowLevel = 0,
    Floating = 1,
    HighLevel = 2,
};

struct WiredSensor {
    int typeIndex = -1;  // item of the type list, -1 for none
    SensorPolarity polarity = SensorPolarity::HighLevel;
    bool firstRule = false;   // report violation and restore
    bool secondRule = false;  // violation only while armed
    std::int32_t debounceMs = 0;
};

// The polarity of a group of three buttons: low level, then floating; with
// neither checked (the high-level button or none at all) it is high level.
SensorPolarity PolarityOfButtons(bool lowLevelChecked, bool floatingChecked);

// Block id and one record per sensor given (at most six are packed). The
// debounce travels in units of 10 ms, truncated, keeping its low 16 bits.
std::vector<std::uint8_t> PackWiredSensors(std::span<const WiredSensor> sensors);

// The four or six records of an answer of 21 or 31 bytes. A type past the
// list reads as no selection; a polarity other than 0 and 1 as high level.
std::optional<std::vector<WiredSensor>> UnpackWiredSensors(const std::uint8_t* payload, std::size_t length);
