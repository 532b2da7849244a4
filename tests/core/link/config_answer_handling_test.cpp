#include "core/link/config_answer_handling.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/panel/block_table.h"

namespace {

// What the user does or the panel sends, one step at a time.
enum class Event { Block, Ack, Nack, Write, Read };

struct Step {
    Event event;
    std::vector<std::uint8_t> payload;  // for Block
    std::string text;                   // expected status text; empty: unchanged
    StatusColour colour = StatusColour::Green;
};

struct Sequence {
    const char* name;
    std::vector<Step> steps;
};

// The status line change a step causes, and for a block the page to fill.
struct Shown {
    std::string text;
    StatusColour colour = StatusColour::Green;
    int filledBlock = -1;
};

Shown Apply(ConfigAnswerHandling& handling, const Step& step)
{
    switch (step.event) {
    case Event::Block:
        if (auto outcome = handling.OnConfigBlock(step.payload.data(), step.payload.size())) {
            return {outcome->status.text, outcome->status.colour, outcome->blockId};
        }
        return {};
    case Event::Ack:
        if (auto status = handling.OnAck()) return {status->text, status->colour};
        return {};
    case Event::Nack: {
        const StatusLineText status = handling.OnNack();
        return {status.text, status.colour};
    }
    case Event::Write:
        handling.SetWritePending();
        return {};
    case Event::Read:
        handling.ClearWritePending();
        return {};
    }
    return {};
}

std::vector<std::uint8_t> Block(std::uint8_t id, std::size_t length)
{
    std::vector<std::uint8_t> payload(length, 0x5A);
    if (length > 0) payload[0] = id;
    return payload;
}

constexpr auto kGreen = StatusColour::Green;
constexpr auto kRed = StatusColour::Red;

TEST(ConfigAnswerHandling, FrameSequences)
{
    const Sequence sequences[] = {
        {"polling interval: 5 bytes shown, 4 dropped",
         {{Event::Block, {0x02, 0x00, 0x3C, 0x00, 0x0A}, "CONFIGURAÇÃO INTERVALO DE POLLING", kGreen},
          {Event::Block, {0x02, 0x00, 0x3C, 0x00}, ""}}},
        {"actuators in both forms, not between",
         {{Event::Block, Block(17, 3), "CONFIGURAÇÃO ATUADORES", kGreen},
          {Event::Block, Block(17, 5), "CONFIGURAÇÃO ATUADORES", kGreen},
          {Event::Block, Block(17, 4), ""}}},
        {"modem: only the simcard block is shown",
         {{Event::Block, Block(12, 5), "CONFIGURAÇÃO ENVIO DADOS DO SIMCARD", kGreen},
          {Event::Block, Block(7, 5), ""},
          {Event::Block, Block(10, 5), ""},
          {Event::Block, Block(13, 5), ""},
          {Event::Block, Block(16, 5), ""}}},
        {"wifi takes any length, unknown ids none",
         {{Event::Block, Block(6, 1), "CONFIGURAÇÃO REDE E SENHA WIFI", kGreen},
          {Event::Block, Block(6, 81), "CONFIGURAÇÃO REDE E SENHA WIFI", kGreen},
          {Event::Block, Block(0, 5), ""},
          {Event::Block, Block(255, 25), ""},
          {Event::Block, {}, ""}}},
        {"write acknowledged once",
         {{Event::Write, {}, ""},
          {Event::Ack, {}, "COMANDO RECEBIDO COM SUCESSO", kGreen},
          {Event::Ack, {}, ""}}},
        {"write refused, then a refusal with nothing pending",
         {{Event::Write, {}, ""},
          {Event::Nack, {}, "ERRO AO GRAVAR OS DADOS", kRed},
          {Event::Nack, {}, "ERRO AO LER A CONFIGURAÇÃO", kRed}}},
        {"a read after an unanswered write disowns its late acknowledgement",
         {{Event::Write, {}, ""}, {Event::Read, {}, ""}, {Event::Ack, {}, ""}}},
        // A block answer is no acknowledgement: the write stays pending.
        {"write pending survives a block answer",
         {{Event::Write, {}, ""},
          {Event::Block, Block(26, 2), "CONFIGURAÇÃO ATUADOR BUZZER", kGreen},
          {Event::Ack, {}, "COMANDO RECEBIDO COM SUCESSO", kGreen}}},
    };
    for (const Sequence& sequence : sequences) {
        ConfigAnswerHandling handling;
        for (std::size_t i = 0; i < sequence.steps.size(); ++i) {
            const Step& step = sequence.steps[i];
            const Shown shown = Apply(handling, step);
            EXPECT_EQ(shown.text, step.text) << sequence.name << ", step " << i;
            if (step.text.empty()) {
                EXPECT_EQ(shown.filledBlock, -1) << sequence.name << ", step " << i;
                continue;
            }
            EXPECT_EQ(shown.colour, step.colour) << sequence.name << ", step " << i;
            if (step.event == Event::Block) {
                EXPECT_EQ(shown.filledBlock, step.payload[0]) << sequence.name << ", step " << i;
            }
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
