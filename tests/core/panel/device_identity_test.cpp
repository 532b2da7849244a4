#include "core/panel/device_identity.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

TEST(VersionText, NibblesBuildAndInvalid)
{
    struct Case {
        std::uint8_t version;
        const char* text;
    };
    const Case cases[] = {
        {0x12, "V1.02 - (oficial)"}, {0x13, "V1.03 - (teste)"},  {0x2A, "V2.10 - (oficial)"},
        {0xFE, "V15.14 - (oficial)"}, {0xFF, "Inválida"},         {0x00, "V0.00 - (oficial)"},
        {0xF1, "V15.01 - (teste)"},
    };
    for (const Case& c : cases) EXPECT_EQ(VersionText(c.version), c.text) << int{c.version};
}

TEST(ModelDisplayName, UnusedCodesAreModelErrors)
{
    for (int code : {0, 9, 20, 39, 42, 43, 52, 55, 57, 255}) {
        EXPECT_EQ(ModelDisplayName(static_cast<std::uint8_t>(code)), "Erro Modelo") << code;
    }
}

TEST(ModelDisplayName, FortySevenShortNamesOnlyFiveAndNineteenShared)
{
    std::vector<int> named;
    std::set<std::string> distinct;
    for (int code = 0; code < 256; ++code) {
        const std::string name = ModelDisplayName(static_cast<std::uint8_t>(code));
        if (name == "Erro Modelo") continue;
        named.push_back(code);
        distinct.insert(name);
        EXPECT_FALSE(name.empty()) << code;
        EXPECT_LE(name.size(), 17u) << code << " " << name;
        for (char ch : name) EXPECT_TRUE(ch >= 0x20 && ch < 0x7F) << code << " " << name;
    }
    std::vector<int> expected;
    for (int code = 1; code <= 8; ++code) expected.push_back(code);
    for (int code = 10; code <= 19; ++code) expected.push_back(code);
    for (int code = 21; code <= 38; ++code) expected.push_back(code);
    expected.insert(expected.end(), {40, 41});
    for (int code = 44; code <= 51; ++code) expected.push_back(code);
    expected.push_back(56);
    EXPECT_EQ(named, expected);
    EXPECT_EQ(ModelDisplayName(5), ModelDisplayName(19));
    EXPECT_EQ(distinct.size(), 46u);
}

TEST(IsSupportedPanelModel, OnlyTheThreePanels)
{
    for (int code = 0; code < 256; ++code) {
        const bool panel = code == 37 || code == 51 || code == 56;
        EXPECT_EQ(IsSupportedPanelModel(static_cast<std::uint8_t>(code)), panel) << code;
    }
}

TEST(ParseIdentification, ExactlySixBytes)
{
    const std::uint8_t bytes[] = {51, 0x13, 0x01, 0x02, 0x03, 0x04, 0x99};
    EXPECT_FALSE(ParseIdentification(bytes, 5));
    EXPECT_FALSE(ParseIdentification(bytes, 7));
    EXPECT_FALSE(ParseIdentification(nullptr, 6));
    const auto identity = ParseIdentification(bytes, 6);
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->model, 51);
    EXPECT_EQ(identity->version, 0x13);
    EXPECT_EQ(identity->serial, 0x01020304u);
}

TEST(IdentificationText, StatusBarTextWithUnsignedSerial)
{
    struct Case {
        std::vector<std::uint8_t> payload;
        const char* text;
    };
    const Case cases[] = {
        {{37, 0x12, 0x00, 0x00, 0x30, 0x39}, "Modelo: QV-CENTRAL 4  -  Versão: V1.02 - (oficial)  -  Serial: 12345"},
        // The top bit of a serial is part of the number, not a sign.
        {{56, 0x13, 0x80, 0x00, 0x00, 0x00},
         "Modelo: QV-CENTRAL 6 RF  -  Versão: V1.03 - (teste)  -  Serial: 2147483648"},
        {{0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "Modelo: Erro Modelo  -  Versão: Inválida  -  Serial: 4294967295"},
    };
    for (const Case& c : cases) {
        const auto identity = ParseIdentification(c.payload.data(), c.payload.size());
        ASSERT_TRUE(identity);
        EXPECT_EQ(IdentificationText(*identity), c.text);
    }
}

}  // namespace
