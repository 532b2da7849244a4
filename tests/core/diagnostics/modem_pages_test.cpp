#include "core/diagnostics/modem_pages.h"

#include <gtest/gtest.h>

#include "core/diagnostics/status_pages.h"
#include "core/diagnostics/status_test_support.h"

namespace {

LabelUpdates DecodePage8(const std::vector<std::uint8_t>& p)
{
    return DecodeStatusFrame(p.data(), p.size()).updates;
}

TEST(ModemStatusPage, FieldsInTableOrder)
{
    auto p = StatusPayload(8, 40);
    p[11] = 33, p[12] = 14, p[16] = 1, p[17] = 0, p[22] = 5;
    Put16(p, 23, 17);
    p[25] = 2, p[26] = 250, p[27] = 1, p[28] = 3, p[29] = 77, p[30] = 31, p[31] = 2, p[34] = 9;
    p[36] = 10, p[37] = 0, p[38] = 0, p[39] = 1;
    const LabelUpdates updates = DecodePage8(p);
    const char* expected[][2] = {
        {"LabelStatusAba2_1", "MODEM OK"},   {"LabelStatusAba2_2", "CONECTADO"},      {"LabelStatusAba2_3", "Conectado"},
        {"LabelStatusAba2_4", "Não conectado"}, {"LabelStatusAba2_8", "Em roaming"},  {"LabelStatusAba2_5", "17"},
        {"LabelStatusAba2_6", "2"},          {"LabelStatusAba2_7", "250"},            {"LabelStatusAba2_12", "Servidor Ok"},
        {"LabelStatusAba2_13", "Vivo"},      {"LabelStatusAba2_14", "Multioperadora"}, {"LabelStatusAba2_16", "2"},
        {"LabelStatusAba2_15", "9"},         {"LabelStatusAba2_22", "010.000.000.001"},
    };
    std::vector<std::string> order;
    for (const LabelUpdate& u : updates) {
        if (u.text) order.push_back(u.name);
    }
    ASSERT_EQ(order.size(), std::size(expected));
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(order[i], expected[i][0]);
        EXPECT_EQ(TextOf(updates, expected[i][0]), expected[i][1]) << expected[i][0];
    }
    // The state machine labels keep their colour; the link labels do not.
    EXPECT_EQ(Find(updates, "LabelStatusAba2_1")->colour, std::nullopt);
    EXPECT_EQ(Find(updates, "LabelStatusAba2_2")->colour, std::nullopt);
    EXPECT_EQ(Find(updates, "LabelStatusAba2_3")->colour, TextColour::Green);
    EXPECT_EQ(Find(updates, "LabelStatusAba2_4")->colour, TextColour::Red);
    EXPECT_EQ(Find(updates, "LabelStatusAba2_8")->colour, TextColour::Blue);
    EXPECT_EQ(Find(updates, "LabelStatusAba2_12")->colour, TextColour::Green);
}

TEST(ModemStatusPage, ExactlyOneSignalPictureShows)
{
    // signal -> bars
    const std::pair<std::uint16_t, int> cases[] = {{0, 0},   {1, 0},   {2, 1},  {7, 1},   {8, 2},     {13, 2},
                                                   {14, 3},  {19, 3},  {20, 4}, {24, 4},  {25, 5},    {98, 5},
                                                   {99, 0},  {100, 5}, {0x0100, 5}, {65535, 5}};
    for (const auto& [signal, bars] : cases) {
        EXPECT_EQ(SignalBars(signal), bars) << signal;
        auto p = StatusPayload(8, 40);
        Put16(p, 23, signal);
        const LabelUpdates updates = DecodePage8(p);
        EXPECT_EQ(TextOf(updates, "LabelStatusAba2_5"), std::to_string(signal));
        for (int n = 0; n <= 5; ++n) {
            const auto picture = Find(updates, SignalPictureName(n));
            ASSERT_TRUE(picture && picture->visible) << n;
            EXPECT_EQ(*picture->visible, n == bars) << signal << " picture " << n;
        }
    }
    EXPECT_EQ(SignalPictureName(0), "ImageSemSinal");
    EXPECT_EQ(SignalPictureName(5), "ImageSinal5");
}

TEST(ModemTables, EdgesOfEachTable)
{
    using Named = const char* (*)(std::uint8_t);
    const struct {
        Named table;
        std::uint8_t code;
        const char* text;
    } named[] = {
        {ModemStateText, 0, "RESET 0"},          {ModemStateText, 39, "ERRO GERAL"},
        {ModemStateText, 63, "ATCPWD A"},        {ModemStateText, 64, "?????"},
        {ModemStateText, 255, "?????"},          {PacketDataStateText, 0, "GPRS INIT"},
        {PacketDataStateText, 33, "ATCMGF A"},   {PacketDataStateText, 34, "?????"},
        {PacketDataStateText, 35, "ATCMGS N"},   {PacketDataStateText, 69, "ATSISW A"},
        {PacketDataStateText, 90, "CRIA SOCKET"}, {PacketDataStateText, 91, "?????"},
        {OperatorName, 0, "Tim"},                {OperatorName, 15, "Iusacell Mxc"},
        {OperatorName, 29, "Eseye"},             {OperatorName, 30, "Multioperadora"},
        {OperatorName, 31, "Multioperadora"},    {OperatorName, 32, "Desconhecida"},
    };
    for (const auto& c : named) EXPECT_STREQ(c.table(c.code), c.text) << int{c.code};

    using Coloured = ColouredText (*)(std::uint8_t);
    const struct {
        Coloured table;
        std::uint8_t code;
        const char* text;
        LabelColour colour;
    } coloured[] = {
        {RegistrationText, 0, "Não registrado", TextColour::Red},
        {RegistrationText, 1, "Registrado", TextColour::Green},
        {RegistrationText, 2, "Procurando", TextColour::Red},
        {RegistrationText, 3, "Negado", TextColour::Red},
        {RegistrationText, 4, "Desconhecido", TextColour::Red},
        {RegistrationText, 5, "Em roaming", TextColour::Blue},
        {RegistrationText, 6, "Desconhecido", TextColour::Red},
        {ModemIndicatorText, 0, "Desconhecido", TextColour::Red},
        {ModemIndicatorText, 1, "Servidor Ok", TextColour::Green},
        {ModemIndicatorText, 2, "GPRS Ok (sem ack)", TextColour::Blue},
        {ModemIndicatorText, 3, "Operadora Ok (sem gprs)", TextColour::Blue},
        {ModemIndicatorText, 4, "Sinal Baixo", TextColour::Red},
        {ModemIndicatorText, 6, "Modem Init", TextColour::Blue},
        {ModemIndicatorText, 8, "Simcard não registrado", TextColour::Red},
        {ModemIndicatorText, 10, "Senha PUK", TextColour::Red},
        {ModemIndicatorText, 11, "Desconhecido", TextColour::Red},
    };
    for (const auto& c : coloured) {
        EXPECT_STREQ(c.table(c.code).text, c.text) << int{c.code};
        EXPECT_EQ(c.table(c.code).colour, c.colour) << int{c.code};
    }
}

TEST(ModemIdentityPage, EmptyNumbersReadAsZeros)
{
    // (IMEI field, SIM field) -> (IMEI text, SIM text)
    struct Case {
        std::string imei;
        std::string sim;
        const char* imeiText;
        const char* simText;
    };
    const Case cases[] = {
        {"", "", "000000000000000", "00000000000000000000"},
        {std::string("\0" "35693803", 9), std::string("\0" "8955", 5), "000000000000000", "00000000000000000000"},
        {"356938035643809", "89550311000012345678", "356938035643809", "89550311000012345678"},
        {"12345", "8955", "12345", "8955"},
    };
    for (const Case& c : cases) {
        auto p = StatusPayload(5, 46);
        PutText(p, 11, c.imei);
        PutText(p, 26, c.sim);
        const LabelUpdates updates = DecodeStatusFrame(p.data(), p.size()).updates;
        EXPECT_EQ(TextOf(updates, "LabelStatusAba2_20"), c.imeiText);
        EXPECT_EQ(TextOf(updates, "LabelStatusAba2_21"), c.simText);
        EXPECT_EQ(updates.size(), 2u);
    }
}

}  // namespace
