#include "core/panel/device_identity.h"
#include "core/panel/model_capabilities.h"

#include <gtest/gtest.h>

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

TEST(ModelDisplayName, NamedCodesAndModelErrors)
{
    struct Case {
        int code;
        const char* name;
    };
    const Case cases[] = {
        {1, "QV-KEYPAD K10"},    {8, "QV-PIR P20 PET"}, {10, "QV-DOOR D10"},
        {37, "QV-CENTRAL 4"},    {51, "QV-CENTRAL 6"},  {56, "QV-CENTRAL 6 RF"},
        {48, "QV-BRIDGE RS485"},  // the longest name
        // Gaps between the named codes, and both ends of the byte.
        {0, "Erro Modelo"},      {9, "Erro Modelo"},    {20, "Erro Modelo"},  {39, "Erro Modelo"},
        {42, "Erro Modelo"},     {43, "Erro Modelo"},   {52, "Erro Modelo"},  {55, "Erro Modelo"},
        {57, "Erro Modelo"},     {255, "Erro Modelo"},
    };
    for (const Case& c : cases) EXPECT_EQ(ModelDisplayName(static_cast<std::uint8_t>(c.code)), c.name) << c.code;
    // Two codes of one siren share a name.
    EXPECT_EQ(ModelDisplayName(5), "QV-SIREN S1");
    EXPECT_EQ(ModelDisplayName(19), "QV-SIREN S1");
}

TEST(PanelModels, OnlyTheThreePanelsCountAsConnected)
{
    struct Case {
        const char* what;
        int code;
        bool panel;
    };
    const Case cases[] = {
        {"four-zone panel", 37, true}, {"six-zone panel", 51, true},   {"RF panel", 56, true},
        {"a keypad", 1, false},        {"below a panel", 36, false},   {"above a panel", 38, false},
        {"between panels", 52, false}, {"unnamed code", 55, false},    {"no identification", 0, false},
        {"top of the byte", 255, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSupportedPanelModel(static_cast<std::uint8_t>(c.code)), c.panel) << c.what;
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
