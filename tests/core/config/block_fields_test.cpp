// Block fields named by their captions, the comparison built on them, and
// the checks a block from a file must pass for a model.

#include <gtest/gtest.h>

#include "core/config/block_fields.h"
#include "core/config/panel_backup.h"

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

    // No field is known for the RF block; a payload of the wrong length decodes to nothing.
    EXPECT_FALSE(DecodeBlockFields(Bytes{3, 1, 2, 3}));
    EXPECT_FALSE(DecodeBlockFields(Bytes{2, 0, 30}));
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

}  // namespace
