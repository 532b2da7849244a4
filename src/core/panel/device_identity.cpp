#include "core/panel/device_identity.h"

#include <array>
#include <cstdio>

#include "core/bytes/big_endian.h"

namespace {

struct ModelName {
    std::uint8_t code;
    const char* name;
};

// Codes 5 and 19 share one name; every other name is unique.
constexpr std::array<ModelName, 47> kModelNameTable{{
    {1, "QV-KEYPAD K10"},    {2, "QV-KEYPAD K20"},   {3, "QV-KEYPAD LCD"},  {4, "QV-RELAY R4"},
    {5, "QV-SIREN S1"},      {6, "QV-RELAY R8"},     {7, "QV-PIR P10"},     {8, "QV-PIR P20 PET"},
    {10, "QV-DOOR D10"},     {11, "QV-DOOR D20"},    {12, "QV-FOB F3"},     {13, "QV-FOB F4"},
    {14, "QV-RF RX8"},       {15, "QV-RF RX32"},     {16, "QV-GSM G2"},     {17, "QV-GSM G4"},
    {18, "QV-WIFI W1"},      {19, "QV-SIREN S1"},    {21, "QV-ETH E1"},     {22, "QV-EXP Z8"},
    {23, "QV-EXP Z16"},      {24, "QV-TEMP T1"},     {25, "QV-SMOKE F1"},   {26, "QV-GLASS B1"},
    {27, "QV-FLOOD H1"},     {28, "QV-BEAM IR2"},    {29, "QV-BEAM IR4"},   {30, "QV-PSU 2A"},
    {31, "QV-PSU 5A"},       {32, "QV-DIALER V1"},   {33, "QV-PANEL 8"},    {34, "QV-PANEL 16"},
    {35, "QV-PANEL 24"},     {36, "QV-PANEL 32"},    {37, "QV-CENTRAL 4"},  {38, "QV-REPEATER RP1"},
    {40, "QV-MODEM 3G"},     {41, "QV-MODEM 4G"},    {44, "QV-CAM C1"},     {45, "QV-CAM C2"},
    {46, "QV-IBUTTON IB1"},  {47, "QV-LOCK SL1"},    {48, "QV-BRIDGE RS485"}, {49, "QV-RF TX1"},
    {50, "QV-DISPLAY D7"},   {51, "QV-CENTRAL 6"},   {56, "QV-CENTRAL 6 RF"},
}};

constexpr std::uint8_t kNoValidFirmware = 0xFF;

}  // namespace

std::string ModelDisplayName(std::uint8_t modelCode)
{
    for (const ModelName& entry : kModelNameTable) {
        if (entry.code == modelCode) return entry.name;
    }
    return "Erro Modelo";
}

std::string VersionText(std::uint8_t version)
{
    if (version == kNoValidFirmware) return "Inválida";
    const int major = version >> 4;
    const int minor = version & 0x0F;
    // The low bit of the minor version marks a test build.
    char text[32];
    std::snprintf(text, sizeof text, "V%d.%02d - (%s)", major, minor, (minor & 1) ? "teste" : "oficial");
    return text;
}

std::optional<Identification> ParseIdentification(const std::uint8_t* payload, std::size_t length)
{
    if (payload == nullptr || length != kIdentificationLength) return std::nullopt;
    return Identification{payload[0], payload[1], GetBigEndian32(payload + 2)};
}

std::string IdentificationText(const Identification& identity)
{
    return "Modelo: " + ModelDisplayName(identity.model) + "  -  Versão: " + VersionText(identity.version) +
           "  -  Serial: " + std::to_string(identity.serial);
}
