// Block fields named by their captions, the comparison built on them, and
// the checks a block from a file must pass for a model.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/config/block_fields.h"
#include "core/config/panel_backup.h"
#include "core/config/restore_plan.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kServers{1, 203, 0, 113, 10, 0x23, 0x32, 203, 0, 113, 11, 0x23, 0x32,
                     203, 0, 113, 12, 0x23, 0x32, 203, 0, 113, 13, 0x23, 0x32};

TEST(BlockFields, NameEachFieldByItsCaption)
{
    const auto fields = DecodeBlockFields(kServers);
    ASSERT_TRUE(fields);
    ASSERT_EQ(fields->size(), 8u);
    EXPECT_EQ((*fields)[0], (BlockField{"Numero IP 1", "203.0.113.10"}));
    EXPECT_EQ((*fields)[1], (BlockField{"Numero Porta 1", "9010"}));

    const auto safe = DecodeBlockFields(Bytes{41, 0x7D, 0x5A, 1, 0x82, 0x26, 0x04, 0xE2, 10, 20, 0x01, 0x2C});
    ASSERT_TRUE(safe);
    EXPECT_EQ((*safe)[0], (BlockField{"Função cofre", "Habilitada"}));
    EXPECT_EQ((*safe)[2], (BlockField{"Temperatura máxima", "-55.0"}));
    EXPECT_EQ((*safe)[6], (BlockField{"Tempo máximo cofre aberto", "300"}));

    // A payload of the wrong length decodes to nothing.
    EXPECT_FALSE(DecodeBlockFields(Bytes{2, 0, 30}));
    EXPECT_FALSE(DecodeBlockFields(Bytes{3, 26}));
}

// Lists and radio buttons read as the window shows them, not as indexes.
TEST(BlockFields, ChoicesReadAsTheirItems)
{
    struct Case {
        Bytes block;
        std::size_t index;
        BlockField field;
    };
    const Case cases[] = {
        {{3, 26, 3, 26}, 0, {"Configuração da comunicação RF", "FSK"}},
        {{3, 26, 3, 26}, 1, {"Configuração do cristal", "30 MHz"}},
        {{3, 0, 0, 43}, 1, {"Configuração do cristal", "32 MHz"}},
        {{17, 1, 5, 6, 0}, 0, {"Tipo atuador 1", "SIRENE"}},
        {{17, 1, 5, 6, 0}, 1, {"Tipo atuador 2", "COFRE"}},
        {{17, 1, 5, 6, 0}, 2, {"Tipo atuador 3", "-"}},  // a byte past the list selects nothing
        {{17, 0, 5, 6, 0}, 0, {"Tipo atuador 1", "DESABILITADO"}},  // the list's first item
        {{40, 1, 0, 3, 0, 0, 0, 0, 0}, 1, {"Partição teclado 3", "Partição 3"}},
        {{40, 1, 0, 3, 0, 0, 0, 0, 2}, 6, {"Partição teclado 8", "Partição 2"}},
        {{39, 0}, 0, {"Endereço teclado", "Teclado 1"}},  // the first keypad is address 0
        {{39, 255}, 0, {"Endereço teclado", "-"}},
    };
    for (const Case& c : cases) {
        const auto fields = DecodeBlockFields(c.block);
        ASSERT_TRUE(fields && c.index < fields->size()) << c.field.caption;
        EXPECT_EQ((*fields)[c.index], c.field);
    }
    // The short RF form has no crystal, as the window hides it.
    EXPECT_EQ(DecodeBlockFields(Bytes{3, 0, 0})->size(), 1u);
    // Keypads 2 to 8 have a partition each; keypad 1's byte is not shown.
    EXPECT_EQ(DecodeBlockFields(Bytes{40, 1, 0, 3, 0, 0, 0, 0, 2})->size(), 7u);

    Bytes sensors(31, 0);
    sensors[0] = 23;
    sensors[1] = 14;
    EXPECT_EQ(DecodeBlockFields(sensors)->front(), (BlockField{"Tipo sensor 1", "VIBRACAO"}));
}

TEST(BlockFields, ComparisonNamesTheFieldsThatDifferAndFallsBackToBytes)
{
    Bytes changed = kServers;
    changed[1] = 10;
    changed[2] = 0;
    changed[3] = 0;
    changed[4] = 5;
    changed[17] = 0x24;  // port 3 high byte
    EXPECT_EQ(CompareBlock(kServers, changed),
              (std::vector<FieldChange>{{"Numero IP 1", "203.0.113.10", "10.0.0.5"}, {"Numero Porta 3", "9010", "9266"}}));
    EXPECT_TRUE(CompareBlock(kServers, kServers).empty());

    EXPECT_EQ(CompareBlock(Bytes{3, 1, 2, 3}, Bytes{3, 1, 2, 4}),
              (std::vector<FieldChange>{{"Bytes", "03 01 02 03", "03 01 02 04"}}));
    // A byte no field shows (keypad 1's partition) still counts as a difference.
    EXPECT_EQ(CompareBlock(Bytes{40, 1, 1, 0, 0, 0, 0, 0, 0}, Bytes{40, 2, 1, 0, 0, 0, 0, 0, 0}).front().caption, "Bytes");
    // A missing block compares as bytes against nothing.
    EXPECT_EQ(CompareBlock(Bytes{26, 0}, Bytes{}).front().after, "");
}

struct ModelCase {
    const char* name;
    std::uint8_t model;
    Bytes block;
    bool accepted;
};

TEST(PanelBackup, BlocksMustSuitTheModel)
{
    const ModelCase cases[] = {
        {"four outputs on 51", 51, {17, 1, 2, 3, 4}, true},
        {"four outputs on 37", 37, {17, 1, 2, 3, 4}, false},
        {"two outputs on 37", 37, {17, 1, 2}, true},
        {"four sensors on 56", 56, Bytes(21, 0), false},
        {"polling of 4 bytes", 51, {2, 1, 0x2C, 0}, false},
        {"unknown id", 51, {99, 0}, false},
        {"wifi filled", 51, {6, 1, 'a', 2, 'b', 'c'}, true},
        {"wifi short of its texts", 51, {6, 3, 'a', 2, 'b', 'c'}, false},
        {"wifi with spare bytes", 51, {6, 1, 'a', 1, 'b', 0}, false},
        {"rf short form", 51, {3, 0, 0}, true},
        {"empty", 51, {}, false},
    };
    for (const ModelCase& c : cases) {
        Bytes block = c.block;
        if (std::string(c.name) == "four sensors on 56") block[0] = 23;
        EXPECT_EQ(!CheckBlockForModel(c.model, block), c.accepted) << c.name;
    }
    EXPECT_TRUE(IsWritableBlock(1));
    EXPECT_FALSE(IsWritableBlock(12));
    EXPECT_EQ(ConfigurationBlockIds().size(), 15u);
}

// A report groups the blocks by tab: each block is on exactly one.
TEST(PanelBackup, EveryBlockIsOnOneTab)
{
    std::vector<std::uint8_t> onTabs;
    for (const ConfigurationTab& tab : ConfigurationTabs()) onTabs.insert(onTabs.end(), tab.blocks.begin(), tab.blocks.end());
    std::sort(onTabs.begin(), onTabs.end());
    EXPECT_EQ(onTabs, ConfigurationBlockIds());
}

TEST(PanelBackup, ABlockIsNamedByItsTabAndSubPage)
{
    for (const ConfigurationTab& tab : ConfigurationTabs()) {
        EXPECT_TRUE(tab.subPages.empty() || tab.subPages.size() == tab.blocks.size()) << tab.caption;
    }
    const std::pair<std::uint8_t, const char*> cases[] = {
        {6, "Wifi"}, {24, "Atuadores / Sirene"}, {17, "Atuadores / Saídas"}, {3, "Sensores RF / Configuração RF"},
        {42, "Função alarme"}, {99, ""},
    };
    for (const auto& [id, place] : cases) EXPECT_EQ(BlockPlace(id), place) << int{id};
}

// A restore writes the writable blocks that differ, and nothing at all
// when a block's length does not suit the panel.
TEST(RestorePlan, WritesWhatDiffersOrRefusesAWrongForm)
{
    const BlockMap panel{{2, {2, 1, 0x2C, 0, 0x3C}}, {3, {3, 0, 0}}, {6, {6, 1, 'a', 1, 'b'}}, {12, {12, 0, 0, 0, 1}}};
    struct Case {
        const char* name;
        BlockMap saved;
        std::vector<std::uint8_t> toWrite;
        std::uint8_t refused;
    };
    const Case cases[] = {
        {"the same", panel, {}, 0},
        {"polling changed", {{2, {2, 1, 0x2D, 0, 0x3C}}, {3, {3, 0, 0}}}, {2}, 0},
        {"modem never written", {{12, {12, 9, 9, 9, 9}}}, {}, 0},
        {"wifi of another length", {{6, {6, 2, 'a', 'a', 0}}}, {6}, 0},
        {"rf block of the other form", {{2, {2, 1, 0x2D, 0, 0x3C}}, {3, {3, 0, 0, 1}}}, {}, 3},
    };
    for (const Case& c : cases) {
        const RestorePlan plan = PlanRestore(c.saved, panel);
        EXPECT_EQ(plan.toWrite, c.toWrite) << c.name;
        EXPECT_EQ(plan.refusal ? plan.refusal->block : 0, c.refused) << c.name;
    }
}

}  // namespace
