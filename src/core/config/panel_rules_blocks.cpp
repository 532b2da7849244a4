#include "core/config/panel_rules_blocks.h"

#include "core/bytes/big_endian.h"
#include "core/config/fixed_block_codec.h"

std::vector<std::uint8_t> PackPanelRules(const PanelRules& rules)
{
    std::vector<std::uint8_t> block(FixedBlockLength(BlockId::PanelRules));
    block[0] = BlockByte(BlockId::PanelRules);
    block[1] = LowByte(rules.armingDelay);
    std::uint16_t flags = 0;
    for (std::size_t bit = 0; bit < kPanelRuleCount; ++bit) {
        if (rules.rules[bit]) flags |= static_cast<std::uint16_t>(1u << bit);
    }
    PutBigEndian16(&block[2], flags);
    return block;
}

std::optional<PanelRules> UnpackPanelRules(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::PanelRules, payload, length)) return std::nullopt;
    PanelRules rules;
    rules.armingDelay = payload[1];
    const std::uint16_t flags = GetBigEndian16(&payload[2]);
    for (std::size_t bit = 0; bit < kPanelRuleCount; ++bit) rules.rules[bit] = (flags >> bit & 1u) != 0;
    return rules;
}
