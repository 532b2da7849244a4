#include "core/rf/rf_sensor_record.h"

#include "core/bytes/big_endian.h"

const std::array<const char*, kButtonFunctionCount> kButtonFunctionItems = {
    "ARMAR",
    "DESARMAR",
    "ARMAR/DESARMAR",
    "ATIVAR SIRENE",
    "DESATIVAR SIRENE",
    "BIP SIRENE",
    "ATIVAR ATUADOR COMUM 1",
    "DESATIVAR ATUADOR COMUM 1",
    "ATIVAR ATUADOR COMUM 2",
    "DESATIVAR ATUADOR COMUM 2",
    "ENVIAR MSG PANICO",
    "ENVIAR MSG EMER. MEDICA",
    "PANICO COFRE",
    "DESABILITADO",
};

std::uint8_t EncodeButtonFunction(int itemIndex)
{
    if (itemIndex < 0 || itemIndex >= kButtonDisabledItem) return kButtonDisabled;
    return static_cast<std::uint8_t>(itemIndex);
}

int DecodeButtonFunction(std::uint8_t byte)
{
    return byte < kButtonDisabledItem ? int{byte} : kButtonDisabledItem;
}

std::array<std::uint8_t, kRfRecordLength> PackRfSensorRecord(const RfSensorRecord& record)
{
    std::array<std::uint8_t, kRfRecordLength> bytes;
    bytes.fill(0xFF);
    bytes[0] = static_cast<std::uint8_t>(record.serial >> 16);
    bytes[1] = static_cast<std::uint8_t>(record.serial >> 8);
    bytes[2] = static_cast<std::uint8_t>(record.serial);
    bytes[3] = record.kind;
    if (record.kind == static_cast<std::uint8_t>(SensorKind::KeyFob)) {
        bytes[5] = record.buttons[1];
        bytes[6] = record.buttons[0];
        bytes[7] = record.buttons[2];
    }
    PutBigEndian16(&bytes[8], record.zone);
    PutBigEndian16(&bytes[10], record.user);
    return bytes;
}

std::optional<RfSensorRecord> UnpackRfSensorRecord(const std::uint8_t* bytes, std::size_t length)
{
    if (bytes == nullptr || length != kRfRecordLength) return std::nullopt;
    RfSensorRecord record;
    record.serial = std::uint32_t{bytes[0]} << 16 | std::uint32_t{bytes[1]} << 8 | bytes[2];
    record.kind = bytes[3];
    record.buttons = {bytes[6], bytes[5], bytes[7]};
    record.zone = GetBigEndian16(&bytes[8]);
    record.user = GetBigEndian16(&bytes[10]);
    return record;
}

namespace {

RfSensorPayload EmptyPayload(RfSensorSubcommand subcommand)
{
    RfSensorPayload payload{};
    payload[0] = static_cast<std::uint8_t>(subcommand);
    return payload;
}

}  // namespace

RfSensorPayload RfWritePayload(const RfSensorRecord& record)
{
    RfSensorPayload payload = EmptyPayload(RfSensorSubcommand::Write);
    const auto bytes = PackRfSensorRecord(record);
    for (std::size_t i = 0; i < bytes.size(); ++i) payload[i + 1] = bytes[i];
    return payload;
}

RfSensorPayload RfReadPayload(std::int32_t sensorNumber)
{
    RfSensorPayload payload = EmptyPayload(RfSensorSubcommand::Read);
    // Unsigned arithmetic: a negative number keeps its low 16 bits.
    PutBigEndian16(&payload[1], static_cast<std::uint16_t>(static_cast<std::uint32_t>(sensorNumber) - 1u));
    return payload;
}

RfSensorPayload RfDeleteAllPayload()
{
    return EmptyPayload(RfSensorSubcommand::DeleteAll);
}

std::optional<std::uint32_t> RfReportSerial(const std::uint8_t* payload, std::size_t length)
{
    if (payload == nullptr || length != 3) return std::nullopt;
    const std::uint32_t code = std::uint32_t{payload[0]} << 16 | std::uint32_t{payload[1]} << 8 | payload[2];
    return (code >> 4) & 0xFFFFF;
}
