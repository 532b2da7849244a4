#include "core/bytes/hex_text.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(HexText, UpperCasePairsWithTheirSeparator)
{
    const Bytes bytes{0x0A, 0xFF, 0x03};
    EXPECT_EQ(HexBytes(bytes), "0A FF 03");
    EXPECT_EQ(HexBytes(bytes.data(), bytes.size(), ""), "0AFF03");
    EXPECT_EQ(HexBytes(bytes.data(), bytes.size(), "."), "0A.FF.03");
    EXPECT_EQ(HexBytes(Bytes{}), "");
    std::string text = "x,";
    AppendHexBytes(text, bytes.data(), 1, "");
    AppendHexBytes(text, nullptr, 4);
    EXPECT_EQ(text, "x,0A");
}

// The reader takes back exactly what HexBytes writes; anything else names
// the first character that breaks it.
TEST(HexText, ReadsExactlyWhatIsWritten)
{
    const Bytes bytes{0x02, 0x01, 0x2D, 0x00, 0xFF};
    EXPECT_EQ(ParseHexBytes(HexBytes(bytes)).bytes, bytes);
    EXPECT_EQ(ParseHexBytes("02 01 2d 00 ff").bytes, bytes);
    EXPECT_EQ(ParseHexBytes("").badPosition, 0u);
    struct Case {
        const char* text;
        std::size_t badPosition;
    };
    const Case refused[] = {
        {"02 01 2D 00 +D", 13}, {"02 01 2D 00 3\t", 14}, {"02 01 2D 00 \n3", 13}, {"023 01", 3},
        {"02 1 2D", 5},         {"2", 2},                 {"02  01", 4},           {" 02", 1},
        {"02 ", 3},             {"0x 01", 2},             {"02\t01", 3},
    };
    for (const Case& c : refused) EXPECT_EQ(ParseHexBytes(c.text).badPosition, c.badPosition) << c.text;
}

}  // namespace
