#include "core/diagnostics/status_pages.h"

#include <array>
#include <cstdio>

#include "core/bytes/big_endian.h"
#include "core/bytes/hex_text.h"
#include "core/diagnostics/modem_pages.h"
#include "core/diagnostics/status_fields.h"
#include "core/panel/date_text.h"
#include "core/panel/device_identity.h"

namespace {

using Payload = const std::uint8_t*;

std::string Decimal(std::uint32_t value)
{
    return std::to_string(value);
}

std::string Numbered(const char* prefix, int n)
{
    return prefix + std::to_string(n);
}

constexpr std::uint16_t kArmedCode = 0x257D;
constexpr std::uint8_t kTamperedCode = 0x7D;

LabelUpdates CentralPage(Payload p)
{
    return {
        TextUpdate("LabelStatusAba1_1", ModelDisplayName(p[1])),
        TextUpdate("LabelStatusAba1_2", StatusVersionText(p[2])),
        TextUpdate("LabelStatusAba1_3", Decimal(GetBigEndian32(p + 3))),
        TextUpdate("LabelStatusAba1_11", "0x" + HexBytes(p + 7, 4, "")),
        TextUpdate("LabelStatusAba1_12", UtcDateText(GetBigEndian32(p + 7))),
        TextUpdate("LabelStatusAba1_5", GetBigEndian16(p + 11) == kArmedCode ? "Armada" : "Desarmada"),
        p[13] == kTamperedCode ? TextUpdate("LabelStatusAba1_6", "Violada", TextColour::Red)
                               : TextUpdate("LabelStatusAba1_6", "Não violada", TextColour::Green),
        TextUpdate("LabelStatusAba1_7", p[14] != 0 ? Decimal(GetBigEndian16(p + 15) / 100u) : "Não"),
        TextUpdate("LabelStatusAba1_8", Decimal(p[19])),
        TextUpdate("LabelStatusAba1_9", Decimal(GetBigEndian16(p + 20))),
        TextUpdate("LabelStatusAba1_10", Decimal(GetBigEndian16(p + 22))),
    };
}

LabelUpdates LogCountPage(Payload p)
{
    return {TextUpdate("LabelStatusAba1_4", Decimal(GetBigEndian16(p + 11)))};
}

const char* WifiStateText(std::uint8_t state)
{
    switch (state) {
    case 0: case 1: case 2: return "Reset";
    case 3: return "Power On";
    case 4: return "Ready";
    case 5: case 6: return "Configuração";
    case 7: case 8: return "Configuração Rede";
    case 9: return "Conexão Ativa";
    case 10: case 11: return "Teste Ping";
    case 12: case 13: return "Enviar Mensagem";
    case 14: case 15: return "Desconectar";
    case 254: return "Upgrade";
    case 255: return "Erro Geral";
    default: return "????";
    }
}

LabelUpdates WifiPage(Payload p)
{
    return {
        TextUpdate("LabelStatusAba3_1", WifiStateText(p[11])),
        GoodBadUpdate("LabelStatusAba3_2", p[12], "Conectado", "Não conectado"),
        GoodBadUpdate("LabelStatusAba3_3", p[14], "Ok", "Erro"),
        TextUpdate("LabelStatusAba3_4", DottedQuadText(p + 15)),
        TextUpdate("LabelStatusAba3_5", YesNoText(p[19], "Sim", "Não")),
        TextUpdate("LabelStatusAba3_6", Decimal(GetBigEndian16(p + 20) / 100u)),
        TextUpdate("LabelStatusAba3_7", Decimal(GetBigEndian16(p + 22) / 100u)),
    };
}

LabelUpdates QueuePage(Payload p)
{
    return {
        TextUpdate("LabelStatusAba4_8", Decimal(GetBigEndian16(p + 11))),
        TextUpdate("LabelStatusAba4_9", Decimal(GetBigEndian16(p + 13))),
        TextUpdate("LabelStatusAba4_10", Decimal(GetBigEndian16(p + 15))),
        TextUpdate("LabelStatusAba4_1", Decimal(p[17])),
        TextUpdate("LabelStatusAba4_2", Decimal(p[18])),
        TextUpdate("LabelStatusAba4_3", Decimal(p[19])),
        TextUpdate("LabelStatusAba4_4", Decimal(p[20])),
        TextUpdate("LabelStatusAba4_5", Decimal(p[21])),
        TextUpdate("LabelStatusAba4_6", Decimal(p[22])),
        TextUpdate("LabelStatusAba4_7", Decimal(p[23])),
        TextUpdate("LabelStatusAba4_11", Decimal(GetBigEndian16(p + 24))),
        TextUpdate("LabelStatusAba4_12", Decimal(GetBigEndian16(p + 26))),
    };
}

LabelUpdates RfPage(Payload p)
{
    return {
        GoodBadUpdate("LabelStatusAba11_1", p[27], "Sim", "Não"),
        TextUpdate("LabelStatusAba11_2", "0x" + HexBytes(p + 28, 1)),
        TextUpdate("LabelStatusAba11_3", Decimal(GetBigEndian32(p + 32))),
        TextUpdate("LabelStatusAba11_4", Decimal(GetBigEndian32(p + 36))),
    };
}

const char* PartitionStateText(std::uint8_t state, const char* partial, const char* other)
{
    switch (state) {
    case 0: return "Inválido";
    case 1: return "Desarmada";
    case 2: return "Armada";
    case 3: return partial;
    default: return other;
    }
}

LabelUpdates AdemcoPage(Payload p)
{
    return {
        GoodBadUpdate("LabelStatusAba12_1", p[11], "Conectada", "Desconectada"),
        TextUpdate("LabelStatusAba12_2", PartitionStateText(p[12], "Armada parcial", "Desconhecido")),
        TextUpdate("LabelStatusAba12_3", FixedText(p + 13, 16)),
        TextUpdate("LabelStatusAba12_4", FixedText(p + 29, 16)),
    };
}

LabelUpdates DscPage(Payload p)
{
    LabelUpdates updates{GoodBadUpdate("LabelStatusAba12_5", p[11], "Conectada", "Desconectada")};
    // A state the panel does not define leaves the last known one shown.
    if (p[12] <= 3) updates.push_back(TextUpdate("LabelStatusAba12_6", PartitionStateText(p[12], "Armando", "")));
    return updates;
}

LabelUpdates CellularBackupPage(Payload p)
{
    return {
        TextUpdate("LabelStatusAba12_7", FixedText(p + 11, 4)),
        TextUpdate("LabelStatusAba12_8", FixedText(p + 15, 20)),
        TextUpdate("LabelStatusAba12_9", FixedText(p + 35, 20)),
    };
}

const char* KeypadConfigText(std::uint8_t config)
{
    switch (config) {
    case 0: return "Não instalado";
    case 1: return "Partição 1";
    case 2: return "Partição 2";
    case 3: return "Partição 3";
    default: return "Inválido";
    }
}

LabelUpdates KeypadPage(Payload p)
{
    LabelUpdates updates;
    for (int k = 1; k <= 8; ++k) {
        updates.push_back(TextUpdate(Numbered("LabelStatusAba13_", k), PartitionStateText(p[10 + k], "Armada parc.", kNoInformation)));
    }
    for (int k = 1; k <= 8; ++k) {
        updates.push_back(TextUpdate(Numbered("LabelStatusAba13_", 8 + k), KeypadConfigText(p[18 + k])));
    }
    return updates;
}

constexpr std::uint16_t kSensorFault = 0xFFFE;
constexpr std::uint16_t kSensorDisabled = 0xFFFF;

LabelUpdates TemperaturePage(Payload p)
{
    LabelUpdates updates;
    for (int n = 0; n < 10; ++n) {
        const Payload record = p + 11 + 10 * n;
        const std::uint16_t raw = GetBigEndian16(record);
        const std::string temperatureLabel = Numbered("LabelStatusAba7_", 2 * n + 1);
        if (raw == kSensorFault) {
            updates.push_back(TextUpdate(temperatureLabel, "Defeito no sensor", TextColour::Red));
        } else if (raw == kSensorDisabled) {
            updates.push_back(TextUpdate(temperatureLabel, "Não habilitado", TextColour::Blue));
        } else {
            char text[32];
            std::snprintf(text, sizeof text, "%.2f ºC", static_cast<double>(TemperatureFromRaw(raw)));
            updates.push_back(TextUpdate(temperatureLabel, text, TextColour::Blue));
        }
        // The identifier's first and last bytes (family and check) are not shown.
        const Payload id = record + 2;
        const std::uint8_t shown[] = {id[6], id[5], id[4], id[3], id[2], id[1]};
        updates.push_back(TextUpdate(Numbered("LabelStatusAba7_", 2 * n + 2), HexBytes(shown, sizeof shown, ".")));
    }
    return updates;
}

struct PageEntry {
    std::uint8_t code;
    std::size_t length;
    LabelUpdates (*decode)(Payload);
};

constexpr std::array<PageEntry, 12> kPages{{
    {1, 29, CentralPage},
    {16, 45, LogCountPage},
    {kModemIdentityPage, kModemIdentityPageLength, DecodeModemIdentityPage},
    {kModemStatusPage, kModemStatusPageLength, DecodeModemStatusPage},
    {10, 24, WifiPage},
    {6, 28, QueuePage},
    {21, 44, RfPage},
    {22, 45, AdemcoPage},
    {23, 13, DscPage},
    {24, 55, CellularBackupPage},
    {25, 27, KeypadPage},
    {27, 111, TemperaturePage},
}};

const PageEntry* FindPage(std::uint8_t code)
{
    for (const PageEntry& entry : kPages) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

}  // namespace

std::optional<StatusHeader> DecodeStatusHeader(const std::uint8_t* payload, std::size_t length)
{
    if (payload == nullptr || length < kStatusHeaderLength) return std::nullopt;
    return StatusHeader{payload[0], payload[1], payload[2], GetBigEndian32(payload + 3), GetBigEndian32(payload + 7)};
}

StatusFrameResult DecodeStatusFrame(const std::uint8_t* payload, std::size_t length)
{
    StatusFrameResult result;
    result.header = DecodeStatusHeader(payload, length);
    if (!result.header) return result;
    const PageEntry* page = FindPage(payload[0]);
    if (page != nullptr && page->length == length) result.updates = page->decode(payload);
    return result;
}

std::optional<std::size_t> StatusPageLength(std::uint8_t pageCode)
{
    const PageEntry* page = FindPage(pageCode);
    if (page == nullptr) return std::nullopt;
    return page->length;
}

std::string UtcDateText(std::uint32_t timestamp)
{
    const LocalDateTime when = UtcCalendarTime(timestamp);
    char text[96];
    std::snprintf(text, sizeof text, "%s %d de %s de %d  -  %.2d:%.2d:%.2d  GMT\n", WeekdayName(when.weekday), when.day,
                  MonthName(when.month), when.year, when.hour, when.minute, when.second);
    return text;
}

float TemperatureFromRaw(std::uint16_t raw)
{
    const float magnitude = static_cast<float>(raw & 0x7FFF) / 100.0f;
    // A signed zero would print as "-0.00".
    return (raw & 0x8000) != 0 && magnitude != 0.0f ? -magnitude : magnitude;
}

std::string StatusVersionText(std::uint8_t version)
{
    // The status bar reads 0xFF as "no valid firmware"; a status page comes
    // from running firmware, so the byte is taken as it is.
    if (version == 0xFF) return "V15.15 - (teste)";
    return VersionText(version);
}

LabelUpdates ShowResetUpdates()
{
    LabelUpdates updates;
    const auto reset = [&updates](const char* prefix, int first, int last) {
        for (int n = first; n <= last; ++n) updates.push_back(TextUpdate(Numbered(prefix, n), kNoInformation));
    };
    // The timestamp labels, the modem's slower values and the queue keep
    // what they last showed.
    reset("LabelStatusAba1_", 1, 10);
    reset("LabelStatusAba2_", 1, 8);
    reset("LabelStatusAba3_", 1, 7);
    reset("LabelStatusAba7_", 1, 20);
    reset("LabelStatusAba11_", 1, 4);
    reset("LabelStatusAba12_", 1, 9);
    reset("LabelStatusAba13_", 1, 16);
    for (LabelUpdate& update : updates) {
        if (update.name == "LabelStatusAba1_6") update.colour = TextColour::Blue;
    }
    for (int bars = 1; bars <= 5; ++bars) updates.push_back({SignalPictureName(bars), std::nullopt, std::nullopt, false});
    return updates;
}
