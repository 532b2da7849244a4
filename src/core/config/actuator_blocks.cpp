#include "core/config/actuator_blocks.h"

#include "core/config/fixed_block_codec.h"
#include "core/panel/model_capabilities.h"

namespace {

constexpr std::uint8_t kGround = 0;
constexpr std::uint8_t kFloat = 1;

std::uint8_t PolarityByte(bool ground) { return ground ? kGround : kFloat; }
bool IsGround(std::uint8_t byte) { return byte == kGround; }

}  // namespace

std::optional<bool> ShowsOutputs3And4(std::uint8_t model)
{
    if (const PanelModel* panel = FindPanelModel(model)) return panel->showsOutputs3And4;
    return std::nullopt;
}

std::vector<std::uint8_t> PackActuatorTypes(const std::array<int, kActuatorOutputCount>& typeIndexes,
                                            std::uint8_t model)
{
    const std::size_t count = ActuatorOutputCount(model);
    std::vector<std::uint8_t> block{BlockByte(BlockId::Actuators)};
    for (std::size_t i = 0; i < count; ++i) block.push_back(ComboByte(typeIndexes[i]));
    return block;
}

std::optional<std::vector<int>> UnpackActuatorTypes(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::Actuators, payload, length)) return std::nullopt;
    std::vector<int> types;
    for (std::size_t i = 1; i < length && types.size() < kActuatorOutputCount; ++i) {
        types.push_back(ComboIndex(payload[i], kActuatorTypeCount));
    }
    return types;
}

std::vector<std::uint8_t> PackSiren(const Siren& siren)
{
    return {BlockByte(BlockId::Siren), PolarityByte(siren.ground), LowByte(siren.delay), LowByte(siren.timeOn),
            LowByte(siren.timeAtRest), LowByte(siren.repetitions)};
}

std::optional<Siren> UnpackSiren(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::Siren, payload, length)) return std::nullopt;
    return Siren{IsGround(payload[1]), payload[2], payload[3], payload[4], payload[5]};
}

std::vector<std::uint8_t> PackCommonOutputs(const CommonOutputs& outputs)
{
    return {BlockByte(BlockId::CommonActuator), PolarityByte(outputs.output1Ground),
            PolarityByte(outputs.output2Ground)};
}

std::optional<CommonOutputs> UnpackCommonOutputs(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::CommonActuator, payload, length)) return std::nullopt;
    return CommonOutputs{IsGround(payload[1]), IsGround(payload[2])};
}

std::vector<std::uint8_t> PackBuzzer(bool ground) { return {BlockByte(BlockId::Buzzer), PolarityByte(ground)}; }

std::optional<bool> UnpackBuzzer(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::Buzzer, payload, length)) return std::nullopt;
    return IsGround(payload[1]);
}
