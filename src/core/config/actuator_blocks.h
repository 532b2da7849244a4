#pragma once
// Blocks of the actuator tab, one per sub-page: the role of each output
// (17), the siren's polarity and timing (24), the polarity of the two common
// outputs (25) and of the buzzer (26). A polarity travels as 0 when its
// ground button is checked and 1 otherwise (the float button or none).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/panel/block_table.h"
#include "core/panel/model_capabilities.h"

inline constexpr std::size_t kActuatorOutputCount = kMaxActuatorOutputs;
// The items of an output's type list, in the order their indexes travel.
inline constexpr std::array<const char*, 6> kActuatorTypeItems{"DESABILITADO", "SIRENE",    "COMUM",
                                                               "TEMPERATURA",  "BUZZER",    "COFRE"};
inline constexpr int kActuatorTypeCount = static_cast<int>(kActuatorTypeItems.size());

// The block of each sub-page ("Saídas", "Sirene", "Comum", "Buzzer").
inline constexpr std::array<BlockId, 4> kActuatorSubPageBlocks = {
    BlockId::Actuators, BlockId::Siren, BlockId::CommonActuator, BlockId::Buzzer,
};

// ---- Block 17 ----
// Whether the type fields of outputs 3 and 4 belong on screen for a model:
// yes for 51, no for 37 and 56, nothing (leave them) for any other code.
std::optional<bool> ShowsOutputs3And4(std::uint8_t model);

// Item indexes of the four type fields, -1 for none. Model 37 takes the
// first two (3 bytes); every other model all four (5 bytes).
std::vector<std::uint8_t> PackActuatorTypes(const std::array<int, kActuatorOutputCount>& typeIndexes,
                                            std::uint8_t model);
// The two or four types of an answer of 3 or 5 bytes; a type past the
// list reads as no selection.
std::optional<std::vector<int>> UnpackActuatorTypes(const std::uint8_t* payload, std::size_t length);

// ---- Block 24 ----
struct Siren {
    bool ground = false;  // polarity: the ground button checked
    std::int32_t delay = 0;
    std::int32_t timeOn = 0;
    std::int32_t timeAtRest = 0;
    std::int32_t repetitions = 0;  // 255 = always
};

// Each value travels as its low 8 bits (the page refuses what a byte
// cannot hold: field_ranges.h).
std::vector<std::uint8_t> PackSiren(const Siren& siren);
std::optional<Siren> UnpackSiren(const std::uint8_t* payload, std::size_t length);

// ---- Block 25 ----
struct CommonOutputs {
    bool output1Ground = false;
    bool output2Ground = false;
};
std::vector<std::uint8_t> PackCommonOutputs(const CommonOutputs& outputs);
std::optional<CommonOutputs> UnpackCommonOutputs(const std::uint8_t* payload, std::size_t length);

// ---- Block 26 ----
std::vector<std::uint8_t> PackBuzzer(bool ground);
// Whether the buzzer answer says ground; nothing for an answer that is not block 26.
std::optional<bool> UnpackBuzzer(const std::uint8_t* payload, std::size_t length);
