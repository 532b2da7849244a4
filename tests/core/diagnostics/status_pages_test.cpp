#include "core/diagnostics/status_pages.h"

#include <gtest/gtest.h>

#include "core/diagnostics/modem_pages.h"
#include "core/diagnostics/status_test_support.h"

namespace {

// Every page the window decodes, at its exact length and one byte either side.
TEST(DecodeStatusFrame, EachPageOnlyAtItsExactLength)
{
    const struct {
        std::uint8_t page;
        std::size_t length;
    } pages[] = {{1, 29},  {16, 45}, {5, 46},  {8, 40},  {10, 24},  {6, 28},
                 {21, 44}, {22, 45}, {23, 13}, {24, 55}, {25, 27}, {27, 111}};
    for (const auto& page : pages) {
        EXPECT_EQ(StatusPageLength(page.page), page.length) << int{page.page};
        for (std::size_t length : {page.length - 1, page.length, page.length + 1}) {
            const auto payload = StatusPayload(page.page, length, 7);
            const StatusFrameResult result = DecodeStatusFrame(payload.data(), payload.size());
            ASSERT_TRUE(result.header) << int{page.page};
            // The header is kept whatever the page: it names the log file.
            EXPECT_EQ(result.header->serial, 7u);
            EXPECT_EQ(result.header->pageCode, page.page);
            EXPECT_EQ(!result.updates.empty(), length == page.length) << int{page.page} << " at " << length;
        }
    }
}

TEST(DecodeStatusFrame, ShortOrUnknownFramesChangeNoLabel)
{
    const auto shortFrame = StatusPayload(1, 10);
    EXPECT_FALSE(DecodeStatusFrame(shortFrame.data(), shortFrame.size()).header);
    EXPECT_FALSE(DecodeStatusFrame(nullptr, 29).header);

    // A bare header is enough to keep the serial; page 2 is no page of the window.
    const auto unknown = StatusPayload(2, 11, 0xFFFFFFF0);
    const StatusFrameResult result = DecodeStatusFrame(unknown.data(), unknown.size());
    ASSERT_TRUE(result.header);
    EXPECT_EQ(result.header->serial, 0xFFFFFFF0u);
    EXPECT_EQ(result.header->model, 51);
    EXPECT_EQ(result.header->version, 0x13);
    EXPECT_EQ(result.header->timestamp, 0x6579D28Au);
    EXPECT_TRUE(result.updates.empty());
    EXPECT_FALSE(StatusPageLength(2));
}

TEST(CentralPage, HeaderAndStateFields)
{
    auto p = StatusPayload(1, 29, 4000000000u, 0);
    p[2] = 0xFF;
    Put16(p, 11, 0x257D);
    p[13] = 0x7D;
    p[14] = 1;
    Put16(p, 15, 1999);
    p[19] = 3;
    Put16(p, 20, 65535);
    Put16(p, 22, 12);
    auto updates = DecodeStatusFrame(p.data(), p.size()).updates;
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_1"), "QV-CENTRAL 6");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_2"), "V15.15 - (teste)");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_3"), "4000000000");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_11"), "0x00000000");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_12"), "Quinta 1 de Janeiro de 1970  -  00:00:00  GMT\n");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_5"), "Armada");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_6"), "Violada");
    EXPECT_EQ(Find(updates, "LabelStatusAba1_6")->colour, TextColour::Red);
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_7"), "19");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_8"), "3");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_9"), "65535");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_10"), "12");

    p[2] = 0x12;
    Put16(p, 11, 0x257C);
    p[13] = 0x7C;
    p[14] = 0;
    Put32(p, 7, 0x6579D28A);
    updates = DecodeStatusFrame(p.data(), p.size()).updates;
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_2"), "V1.02 - (oficial)");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_11"), "0x6579D28A");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_5"), "Desarmada");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_6"), "Não violada");
    EXPECT_EQ(Find(updates, "LabelStatusAba1_6")->colour, TextColour::Green);
    EXPECT_EQ(TextOf(updates, "LabelStatusAba1_7"), "Não");

    const auto logCount = [] {
        auto q = StatusPayload(16, 45);
        Put16(q, 11, 513);
        return q;
    }();
    EXPECT_EQ(TextOf(DecodeStatusFrame(logCount.data(), logCount.size()).updates, "LabelStatusAba1_4"), "513");
}

TEST(UtcDateText, CalendarInUtcWithTheStatusBarNames)
{
    const struct {
        std::uint32_t timestamp;
        const char* text;
    } cases[] = {
        {0x6579D28A, "Quarta 13 de Dezembro de 2023  -  15:49:30  GMT\n"},
        {951782400, "Terça 29 de Fevereio de 2000  -  00:00:00  GMT\n"},
        {0xFFFFFFFF, "Domingo 7 de Fevereio de 2106  -  06:28:15  GMT\n"},
        {1798761599, "Quinta 31 de Dezembro de 2026  -  23:59:59  GMT\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(UtcDateText(c.timestamp), c.text) << c.timestamp;
}

TEST(WifiPage, StatesFlagsAddressAndTimers)
{
    auto p = StatusPayload(10, 24);
    p[11] = 9;
    p[12] = 1;
    p[14] = 0;
    p[15] = 192, p[16] = 168, p[17] = 7, p[18] = 1;
    p[19] = 2;
    Put16(p, 20, 250);
    Put16(p, 22, 99);
    const auto updates = DecodeStatusFrame(p.data(), p.size()).updates;
    EXPECT_EQ(TextOf(updates, "LabelStatusAba3_1"), "Conexão Ativa");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba3_2"), "Conectado");
    EXPECT_EQ(Find(updates, "LabelStatusAba3_2")->colour, TextColour::Green);
    EXPECT_EQ(TextOf(updates, "LabelStatusAba3_3"), "Erro");
    EXPECT_EQ(Find(updates, "LabelStatusAba3_3")->colour, TextColour::Red);
    EXPECT_EQ(TextOf(updates, "LabelStatusAba3_4"), "192.168.007.001");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba3_5"), "Sim");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba3_6"), "2");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba3_7"), "0");

    const struct {
        std::uint8_t state;
        const char* text;
    } states[] = {{0, "Reset"},        {2, "Reset"},         {3, "Power On"},          {4, "Ready"},
                  {6, "Configuração"}, {7, "Configuração Rede"}, {11, "Teste Ping"},   {13, "Enviar Mensagem"},
                  {15, "Desconectar"}, {16, "????"},         {254, "Upgrade"},         {255, "Erro Geral"}};
    for (const auto& s : states) {
        p[11] = s.state;
        EXPECT_EQ(TextOf(DecodeStatusFrame(p.data(), p.size()).updates, "LabelStatusAba3_1"), s.text) << int{s.state};
    }
}

TEST(QueueAndRfPages, NumbersAtTheirOffsets)
{
    auto q = StatusPayload(6, 28);
    Put16(q, 11, 1000), Put16(q, 13, 999), Put16(q, 15, 998);
    for (int i = 17; i <= 23; ++i) q[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    Put16(q, 24, 300), Put16(q, 26, 60);
    const auto queue = DecodeStatusFrame(q.data(), q.size()).updates;
    const char* expected[][2] = {{"LabelStatusAba4_8", "1000"}, {"LabelStatusAba4_9", "999"},  {"LabelStatusAba4_10", "998"},
                                 {"LabelStatusAba4_1", "17"},   {"LabelStatusAba4_2", "18"},   {"LabelStatusAba4_3", "19"},
                                 {"LabelStatusAba4_4", "20"},   {"LabelStatusAba4_5", "21"},   {"LabelStatusAba4_6", "22"},
                                 {"LabelStatusAba4_7", "23"},   {"LabelStatusAba4_11", "300"}, {"LabelStatusAba4_12", "60"}};
    for (const auto& e : expected) EXPECT_EQ(TextOf(queue, e[0]), e[1]) << e[0];
    EXPECT_EQ(queue.size(), 12u);

    auto r = StatusPayload(21, 44);
    r[27] = 0;
    r[28] = 0x0A;
    Put32(r, 32, 4294967295u);
    Put32(r, 36, 65536);
    const auto rf = DecodeStatusFrame(r.data(), r.size()).updates;
    EXPECT_EQ(TextOf(rf, "LabelStatusAba11_1"), "Não");
    EXPECT_EQ(Find(rf, "LabelStatusAba11_1")->colour, TextColour::Red);
    EXPECT_EQ(TextOf(rf, "LabelStatusAba11_2"), "0x0A");
    EXPECT_EQ(TextOf(rf, "LabelStatusAba11_3"), "4294967295");
    EXPECT_EQ(TextOf(rf, "LabelStatusAba11_4"), "65536");
}

TEST(CellularBackupPages, PartitionStatesAndTexts)
{
    // State byte: (P1 Ademco text, DSC 2 text or nothing when left as it was)
    const struct {
        std::uint8_t state;
        const char* ademco;
        const char* dsc;
    } states[] = {{0, "Inválido", "Inválido"},  {1, "Desarmada", "Desarmada"}, {2, "Armada", "Armada"},
                  {3, "Armada parcial", "Armando"}, {4, "Desconhecido", nullptr},  {255, "Desconhecido", nullptr}};
    for (const auto& s : states) {
        auto a = StatusPayload(22, 45);
        a[12] = s.state;
        EXPECT_EQ(TextOf(DecodeStatusFrame(a.data(), a.size()).updates, "LabelStatusAba12_2"), s.ademco);
        auto d = StatusPayload(23, 13);
        d[12] = s.state;
        const auto dsc = DecodeStatusFrame(d.data(), d.size()).updates;
        EXPECT_EQ(Find(dsc, "LabelStatusAba12_6").has_value(), s.dsc != nullptr) << int{s.state};
        if (s.dsc) {
            EXPECT_EQ(TextOf(dsc, "LabelStatusAba12_6"), s.dsc);
        }
        EXPECT_EQ(TextOf(dsc, "LabelStatusAba12_5"), "Desconectada");
    }

    auto a = StatusPayload(22, 45);
    a[11] = 1;
    PutText(a, 13, "ARMADO AWAY 1234");  // the whole width, no zero byte
    a[29] = 0;                             // an empty second line
    PutText(a, 30, "ignored");
    a[44] = 'X';
    const auto ademco = DecodeStatusFrame(a.data(), a.size()).updates;
    EXPECT_EQ(TextOf(ademco, "LabelStatusAba12_1"), "Conectada");
    EXPECT_EQ(Find(ademco, "LabelStatusAba12_1")->colour, TextColour::Green);
    EXPECT_EQ(TextOf(ademco, "LabelStatusAba12_3"), "ARMADO AWAY 1234");
    EXPECT_EQ(TextOf(ademco, "LabelStatusAba12_4"), "");

    auto c = StatusPayload(24, 55);
    PutText(c, 11, "12345");  // one byte over the 4-byte field: runs into the next
    PutText(c, 16, "1199998888");
    PutText(c, 35, std::string("Caf\xE9 ") + std::string(15, '9'));  // fills the field to the end of the page
    const auto cellular = DecodeStatusFrame(c.data(), c.size()).updates;
    EXPECT_EQ(TextOf(cellular, "LabelStatusAba12_7"), "1234");
    EXPECT_EQ(TextOf(cellular, "LabelStatusAba12_8"), "51199998888");
    EXPECT_EQ(TextOf(cellular, "LabelStatusAba12_9"), "Café 999999999999999");
}

TEST(KeypadPage, StatesAndConfigurations)
{
    auto p = StatusPayload(25, 27);
    const std::uint8_t states[8] = {0, 1, 2, 3, 4, 255, 1, 2};
    const std::uint8_t configs[8] = {0, 1, 2, 3, 4, 255, 0, 1};
    for (int k = 1; k <= 8; ++k) {
        p[static_cast<std::size_t>(10 + k)] = states[k - 1];
        p[static_cast<std::size_t>(18 + k)] = configs[k - 1];
    }
    const auto updates = DecodeStatusFrame(p.data(), p.size()).updates;
    const char* stateTexts[8] = {"Inválido", "Desarmada", "Armada", "Armada parc.", "Sem informação",
                                 "Sem informação", "Desarmada", "Armada"};
    const char* configTexts[8] = {"Não instalado", "Partição 1", "Partição 2", "Partição 3", "Inválido",
                                  "Inválido", "Não instalado", "Partição 1"};
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(TextOf(updates, "LabelStatusAba13_" + std::to_string(k)), stateTexts[k - 1]) << k;
        EXPECT_EQ(TextOf(updates, "LabelStatusAba13_" + std::to_string(8 + k)), configTexts[k - 1]) << k;
    }
}

TEST(TemperaturePage, SpecialValuesAreNeverDegrees)
{
    auto p = StatusPayload(27, 111);
    const std::uint16_t raws[10] = {0xFFFE, 0xFFFF, 2600, 0x8000 | 100, 0x7FFF, 0x8000, 0, 0xFFFD, 5, 0x8000 | 2550};
    for (std::size_t n = 0; n < 10; ++n) Put16(p, 11 + 10 * n, raws[n]);
    const std::uint8_t id[8] = {0x28, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x9C};
    for (std::size_t i = 0; i < 8; ++i) p[11 + 10 * 9 + 2 + i] = id[i];
    const auto updates = DecodeStatusFrame(p.data(), p.size()).updates;
    const struct {
        const char* text;
        LabelColour colour;
    } expected[10] = {{"Defeito no sensor", TextColour::Red}, {"Não habilitado", TextColour::Blue},
                      {"26.00 ºC", TextColour::Blue},         {"-1.00 ºC", TextColour::Blue},
                      {"327.67 ºC", TextColour::Blue},        {"0.00 ºC", TextColour::Blue},
                      {"0.00 ºC", TextColour::Blue},          {"-327.65 ºC", TextColour::Blue},
                      {"0.05 ºC", TextColour::Blue},          {"-25.50 ºC", TextColour::Blue}};
    for (int n = 0; n < 10; ++n) {
        const auto label = Find(updates, "LabelStatusAba7_" + std::to_string(2 * n + 1));
        ASSERT_TRUE(label) << n;
        EXPECT_EQ(*label->text, expected[n].text) << n;
        EXPECT_EQ(label->colour, expected[n].colour) << n;
    }
    EXPECT_EQ(TextOf(updates, "LabelStatusAba7_2"), "00.00.00.00.00.00");
    EXPECT_EQ(TextOf(updates, "LabelStatusAba7_20"), "66.55.44.33.22.11");
    EXPECT_FLOAT_EQ(TemperatureFromRaw(2600), 26.0f);
    EXPECT_FLOAT_EQ(TemperatureFromRaw(0x8064), -1.0f);
}

TEST(ShowResetUpdates, ResetsLiveLabelsAndKeepsTheRest)
{
    const LabelUpdates updates = ShowResetUpdates();
    for (const char* reset : {"LabelStatusAba1_1", "LabelStatusAba1_4", "LabelStatusAba1_10", "LabelStatusAba2_1",
                              "LabelStatusAba2_8", "LabelStatusAba3_7", "LabelStatusAba7_20", "LabelStatusAba11_4",
                              "LabelStatusAba12_9", "LabelStatusAba13_16"}) {
        EXPECT_EQ(TextOf(updates, reset), "Sem informação") << reset;
    }
    for (const char* kept : {"LabelStatusAba1_11", "LabelStatusAba1_12", "LabelStatusAba2_12", "LabelStatusAba2_16",
                             "LabelStatusAba2_20", "LabelStatusAba2_22", "LabelStatusAba4_1", "ImageSemSinal"}) {
        EXPECT_FALSE(Find(updates, kept)) << kept;
    }
    EXPECT_EQ(Find(updates, "LabelStatusAba1_6")->colour, TextColour::Blue);
    for (int bars = 1; bars <= 5; ++bars) {
        EXPECT_EQ(Find(updates, "ImageSinal" + std::to_string(bars))->visible, false);
    }
}

}  // namespace
