#include "core/config/rf_config_block.h"

#include "core/config/fixed_block_codec.h"

namespace {

constexpr std::uint8_t kFskModulation = 26;
constexpr std::uint8_t kFskParameter = 3;
constexpr std::uint8_t kCrystal30MHz = 26;
constexpr std::uint8_t kCrystal32MHz = 43;
constexpr std::size_t kLongLength = 4;

}  // namespace

std::optional<std::vector<std::uint8_t>> PackRfConfig(const RfConfig& config, RfBlockForm form)
{
    if (form == RfBlockForm::None) return std::nullopt;
    std::vector<std::uint8_t> payload = {BlockByte(BlockId::RfCommunication),
                                         config.fsk ? kFskModulation : std::uint8_t{0},
                                         config.fsk ? kFskParameter : std::uint8_t{0}};
    if (form == RfBlockForm::Long) payload.push_back(config.crystal30MHz ? kCrystal30MHz : kCrystal32MHz);
    return payload;
}

std::optional<RfConfigAnswer> UnpackRfConfig(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::RfCommunication, payload, length)) return std::nullopt;
    RfConfigAnswer answer;
    answer.form = length == kLongLength ? RfBlockForm::Long : RfBlockForm::Short;
    answer.config.fsk = payload[1] == kFskModulation;
    answer.config.crystal30MHz = length == kLongLength && payload[3] == kCrystal30MHz;
    return answer;
}
