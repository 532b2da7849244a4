#include "core/link/config_answer_handling.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/panel/block_table.h"

namespace {

// What the user does or the panel sends, one step at a time.
enum class Event { Block, Ack, Nack, Write, Read };

// What a step means: "block N" (its page fills, its title shows), "accepted",
// "write refused", "read refused", or "" for nothing.
struct Step {
    Event event;
    std::vector<std::uint8_t> payload;  // for Block
    std::string meaning;
};

struct Sequence {
    const char* name;
    std::vector<Step> steps;
};

std::string Apply(ConfigAnswerHandling& handling, const Step& step)
{
    switch (step.event) {
    case Event::Block:
        if (const BlockEntry* entry = ConfigAnswerHandling::AcceptedBlock(step.payload.data(), step.payload.size())) {
            return "block " + std::to_string(BlockByte(entry->id));
        }
        return {};
    case Event::Ack: return handling.OnAck() == AckMeaning::WriteAccepted ? "accepted" : "";
    case Event::Nack: return handling.OnNack() == NackMeaning::WriteRefused ? "write refused" : "read refused";
    case Event::Write: handling.OnWriteSent(); return {};
    case Event::Read: handling.OnReadSent(); return {};
    }
    return {};
}

std::vector<std::uint8_t> Block(std::uint8_t id, std::size_t length)
{
    std::vector<std::uint8_t> payload(length, 0x5A);
    if (length > 0) payload[0] = id;
    return payload;
}

TEST(ConfigAnswerHandling, FrameSequences)
{
    const Sequence sequences[] = {
        {"polling interval: 5 bytes taken, 4 dropped",
         {{Event::Block, {0x02, 0x00, 0x3C, 0x00, 0x0A}, "block 2"}, {Event::Block, {0x02, 0x00, 0x3C, 0x00}, ""}}},
        {"actuators in both forms, not between",
         {{Event::Block, Block(17, 3), "block 17"}, {Event::Block, Block(17, 5), "block 17"}, {Event::Block, Block(17, 4), ""}}},
        {"modem: only the simcard block is taken",
         {{Event::Block, Block(12, 5), "block 12"},
          {Event::Block, Block(7, 5), ""},
          {Event::Block, Block(10, 5), ""},
          {Event::Block, Block(13, 5), ""},
          {Event::Block, Block(16, 5), ""}}},
        {"wifi takes any length, unknown ids none",
         {{Event::Block, Block(6, 1), "block 6"},
          {Event::Block, Block(6, 81), "block 6"},
          {Event::Block, Block(0, 5), ""},
          {Event::Block, Block(255, 25), ""},
          {Event::Block, {}, ""}}},
        {"write acknowledged once", {{Event::Write, {}, ""}, {Event::Ack, {}, "accepted"}, {Event::Ack, {}, ""}}},
        {"write refused, then a refusal with nothing pending",
         {{Event::Write, {}, ""}, {Event::Nack, {}, "write refused"}, {Event::Nack, {}, "read refused"}}},
        {"a read after an unanswered write disowns its late acknowledgement",
         {{Event::Write, {}, ""}, {Event::Read, {}, ""}, {Event::Ack, {}, ""}}},
        // A block answer is no acknowledgement: the write stays pending.
        {"write pending survives a block answer",
         {{Event::Write, {}, ""}, {Event::Block, Block(26, 2), "block 26"}, {Event::Ack, {}, "accepted"}}},
    };
    for (const Sequence& sequence : sequences) {
        ConfigAnswerHandling handling;
        for (std::size_t i = 0; i < sequence.steps.size(); ++i) {
            EXPECT_EQ(Apply(handling, sequence.steps[i]), sequence.steps[i].meaning) << sequence.name << ", step " << i;
        }
    }
}

TEST(BlockTable, LengthsAndTitlesEveryPageRelies)
{
    struct Case {
        BlockId id;
        std::vector<std::size_t> accepted;
        std::vector<std::size_t> refused;
        const char* title;
    };
    const Case cases[] = {
        {BlockId::IpAddressesAndPorts, {25}, {24, 26}, "CONFIGURAÇÃO DOS NUMEROS IPS E PORTAS"},
        {BlockId::RfCommunication, {3, 4}, {2, 5}, "CONFIGURAÇÃO COMUNICAÇÃO RF"},
        {BlockId::WiredSensors, {21, 31}, {22, 30}, "CONFIGURAÇÃO DOS SENSORES"},
        {BlockId::Siren, {6}, {5}, "CONFIGURAÇÃO SIRENE"},
        {BlockId::CommonActuator, {3}, {2}, "CONFIGURAÇÃO ATUADOR COMUM"},
        {BlockId::PanelRules, {4}, {3}, "CONFIGURAÇÃO REGRAS CENTRAL"},
        {BlockId::KeypadAddress, {2}, {1, 3}, "CONFIGURAÇÃO ENDEREÇO TECLADO"},
        {BlockId::KeypadPartition, {9}, {8}, "CONFIGURAÇÃO PARTIÇÃO TECLADO"},
        {BlockId::SafeFunction, {12}, {11}, "CONFIGURAÇÃO FUNÇÃO COFRE"},
        {BlockId::AlarmFunction, {3}, {4}, "CONFIGURAÇÃO FUNÇÃO ALARME"},
        {BlockId::WifiNetwork, {1, 2, 81, 251}, {0}, "CONFIGURAÇÃO REDE E SENHA WIFI"},
    };
    for (const Case& c : cases) {
        const BlockEntry* entry = FindBlock(c.id);
        ASSERT_NE(entry, nullptr) << int{BlockByte(c.id)};
        EXPECT_STREQ(entry->title, c.title);
        for (std::size_t length : c.accepted) EXPECT_TRUE(AcceptsLength(*entry, length)) << c.title << length;
        for (std::size_t length : c.refused) EXPECT_FALSE(AcceptsLength(*entry, length)) << c.title << length;
    }
    for (BlockId readOnly : {BlockId::SimPin, BlockId::JammingLevel, BlockId::CellTowerData, BlockId::JammingRules}) {
        EXPECT_EQ(FindBlock(readOnly), nullptr) << int{BlockByte(readOnly)};
    }
}

}  // namespace
