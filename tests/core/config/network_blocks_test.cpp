// The conversions and codecs behind tabs 1 to 3: integer text, Windows-1252
// text, server addresses, polling intervals and the Wi-Fi block.

#include <gtest/gtest.h>

#include "core/config/cp1252.h"
#include "core/config/integer_text.h"
#include "core/config/network_blocks.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(IntegerText, FollowsTheConversionRules)
{
    const struct {
        const char* text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {" 42", 42},         {"-7", -7},           {"+7", 7},
        {"$1F", 31},         {"0x1f", 31},         {"0X1F", 31},
        {"-$10", -16},       {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},                {"$FFFFFFFF", -1},
        {"", std::nullopt},  {" ", std::nullopt},  {"12a", std::nullopt},
        {"2147483648", std::nullopt},              {"-2147483649", std::nullopt},
        {"$100000000", std::nullopt},              {"$", std::nullopt},
        {"0x", std::nullopt},                      {"42 ", std::nullopt},
        {"4 2", std::nullopt},                     {"--4", std::nullopt},
        {"1.5", std::nullopt},                     {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(Cp1252, CarriesEveryCharacterOfTheCodePageAndNothingElse)
{
    const struct {
        char32_t character;
        std::optional<std::uint8_t> byte;
    } cases[] = {
        {U'A', 0x41}, {U'\u00E7', 0xE7} /* ç */, {U'\u00E3', 0xE3} /* ã */, {U'\u20AC', 0x80} /* € */,
        {U'\u0152', 0x8C}, {U'\u0178', 0x9F}, {U'\u00A0', 0xA0}, {U'\u00FF', 0xFF},
        {U'\u0100', std::nullopt}, {U'\u4E2D', std::nullopt}, {U'\U0001F600', std::nullopt},
        // Undefined bytes stand for themselves; the other C1 controls have
        // printable characters in their place and are refused.
        {U'\u0081', 0x81}, {U'\u009D', 0x9D}, {U'\u0080', std::nullopt}, {U'\u0099', std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(Cp1252Byte(c.character), c.byte) << std::hex << static_cast<std::uint32_t>(c.character);

    // Every byte decodes to something that encodes back to the same byte, so
    // a text read from the panel is written back unchanged.
    for (int b = 0; b < 256; ++b) {
        const char32_t c = Cp1252Character(static_cast<std::uint8_t>(b));
        EXPECT_EQ(Cp1252Byte(c), b) << b;
    }
    EXPECT_EQ(EncodeCp1252(U"a\u00E7\u20AC"), (Bytes{'a', 0xE7, 0x80}));
    EXPECT_EQ(EncodeCp1252(U"a\u0100"), std::nullopt);
    // As UTF-8: one, two and three bytes a character.
    const Bytes panelText{'J', 0xE3, 0x80};
    EXPECT_EQ(Cp1252ToUtf8(panelText.data(), panelText.size()), "J\u00E3\u20AC");
}

TEST(ServerAddresses, PackKeepsLowBitsAndUnpackShowsUnsignedValues)
{
    ServerAddresses servers{};
    servers[0] = {{200, 300, -1, 1}, 70000};
    servers[3] = {{10, 0, 0, 1}, 65535};
    const Bytes block = PackServerAddresses(servers);
    ASSERT_EQ(block.size(), 25u);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 7), (Bytes{1, 200, 44, 255, 1, 0x11, 0x70}));
    EXPECT_EQ(Bytes(block.begin() + 19, block.end()), (Bytes{10, 0, 0, 1, 0xFF, 0xFF}));

    const auto back = UnpackServerAddresses(block.data(), block.size());
    ASSERT_TRUE(back);
    EXPECT_EQ((*back)[0].octets, (std::array<std::int32_t, 4>{200, 44, 255, 1}));
    EXPECT_EQ((*back)[0].port, 4464);
    EXPECT_EQ((*back)[3].port, 65535);

    for (std::size_t wrong : {24u, 26u}) {
        Bytes other(wrong, 0);
        other[0] = 1;
        EXPECT_FALSE(UnpackServerAddresses(other.data(), other.size())) << wrong;
    }
}

TEST(ServerAddresses, PrivateRangesAreFoundInTheirOrder)
{
    using Rows = std::array<std::array<std::int32_t, 2>, 4>;
    const struct {
        Rows rows;
        bool isPrivate;
    } cases[] = {
        {{{{200, 1}, {8, 8}, {1, 1}, {10, 0}}}, true},
        {{{{172, 217}, {8, 8}, {1, 1}, {2, 2}}}, true},
        {{{{172, 16}, {8, 8}, {1, 1}, {2, 2}}}, true},
        {{{{192, 168}, {8, 8}, {1, 1}, {2, 2}}}, true},
        {{{{192, 0}, {200, 168}, {1, 1}, {2, 2}}}, false},
        {{{{11, 0}, {171, 0}, {193, 168}, {0, 0}}}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HasPrivateAddress([&](std::size_t row, std::size_t octet) { return c.rows[row][octet]; }),
                  c.isPrivate);
    }

    // Second octets are looked at only for rows that start with 192, so a
    // field that cannot convert fails at the same point every time.
    std::vector<std::pair<std::size_t, std::size_t>> asked;
    const Rows rows{{{10, 0}, {192, 1}, {3, 3}, {4, 4}}};
    HasPrivateAddress([&](std::size_t row, std::size_t octet) {
        asked.emplace_back(row, octet);
        return rows[row][octet];
    });
    EXPECT_EQ(asked, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 0}}));
}

TEST(PollingIntervals, Packing)
{
    EXPECT_EQ(PackPollingIntervals({300, 70000}), (Bytes{2, 0x01, 0x2C, 0x11, 0x70}));
    EXPECT_EQ(PackPollingIntervals({30, 0}), (Bytes{2, 0, 30, 0, 0}));
    const Bytes answer{2, 0x00, 0x3C, 0x00, 0x0A};
    const auto intervals = UnpackPollingIntervals(answer.data(), answer.size());
    ASSERT_TRUE(intervals);
    EXPECT_EQ(intervals->interval, 60);
    EXPECT_EQ(intervals->reduced, 10);
    EXPECT_FALSE(UnpackPollingIntervals(answer.data(), 4));
}

TEST(WifiNetwork, PacksNameAndPasswordWithTheirLengths)
{
    EXPECT_EQ(PackWifiNetwork({{'a', 'b', 'c'}, {'1', '2', '3', '4', '5', '6', '7', '8'}}),
              (Bytes{6, 3, 'a', 'b', 'c', 8, '1', '2', '3', '4', '5', '6', '7', '8'}));
    EXPECT_EQ(PackWifiNetwork({}), (Bytes{6, 0, 0}));
    const Bytes longest(39, 'x');
    EXPECT_EQ(PackWifiNetwork({longest, longest})->size(), 81u);
    EXPECT_FALSE(PackWifiNetwork({Bytes(40, 'x'), {}}));
}

TEST(WifiNetwork, UnpacksWhatTheAnswerHoldsAndNoMore)
{
    using Text = std::optional<Bytes>;
    const struct {
        const char* what;
        Bytes answer;
        Text name;
        Text password;
    } cases[] = {
        {"both", {6, 3, 'a', 'b', 'c', 2, 'p', 'w'}, Bytes{'a', 'b', 'c'}, Bytes{'p', 'w'}},
        {"both empty keep their texts", {6, 0, 0}, std::nullopt, std::nullopt},
        {"name cut at a zero byte", {6, 3, 'a', 0, 'c', 1, 'p'}, Bytes{'a'}, Bytes{'p'}},
        {"length 40 keeps the text and reads on", {6, 40, 2, 'p', 'w'}, std::nullopt, Bytes{'p', 'w'}},
        {"id alone", {6}, std::nullopt, std::nullopt},
        {"name longer than the answer", {6, 10, 'a', 'b'}, Bytes{'a', 'b'}, std::nullopt},
        {"password longer than the answer", {6, 1, 'a', 39, 'p'}, Bytes{'a'}, Bytes{'p'}},
        {"password length missing", {6, 1, 'a'}, Bytes{'a'}, std::nullopt},
        {"high characters", {6, 1, 0xE7, 1, 0x80}, Bytes{0xE7}, Bytes{0x80}},
    };
    for (const auto& c : cases) {
        const WifiAnswer answer = UnpackWifiNetwork(c.answer.data(), c.answer.size());
        EXPECT_EQ(answer.name, c.name) << c.what;
        EXPECT_EQ(answer.password, c.password) << c.what;
    }
}

}  // namespace
