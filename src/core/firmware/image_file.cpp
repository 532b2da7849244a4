#include "core/firmware/image_file.h"

#include <algorithm>
#include <ctime>

#include "core/files/safe_file.h"
#include "core/panel/date_text.h"
#include "core/panel/device_identity.h"
#include "core/panel/model_capabilities.h"

namespace {

std::uint16_t GetLittle16(const std::uint8_t* in)
{
    return static_cast<std::uint16_t>(in[0] | in[1] << 8);
}

std::uint32_t GetLittle32(const std::uint8_t* in)
{
    return std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 | std::uint32_t{in[3]} << 24;
}

void PutLittle16(std::uint8_t* out, std::uint16_t value)
{
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLittle32(std::uint8_t* out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Header field offsets.
constexpr std::size_t kHeaderMagicAt = 0;
constexpr std::size_t kBuildTimeAt = 4;
constexpr std::size_t kModelAt = 8;
constexpr std::size_t kFirmwareIdAt = 9;
constexpr std::size_t kImageWordAt = 12;
constexpr std::size_t kPacketCountAt = 14;
constexpr std::size_t kTrailerMagicAt = 24;
// Packet record field offsets.
constexpr std::size_t kPacketMagicAt = 0;
constexpr std::size_t kDataLengthAt = 6;
constexpr std::size_t kPacketTagAt = 12;
constexpr std::size_t kPacketDataAt = 16;

const char* const kOpenFailed = "Erro ao tentar abrir o arquivo.";
const char* const kShortHeader = "Erro ao ler os dados do arquivo.";
const char* const kUnsupportedModel = "Modelo de equipamento não suportado.";
const char* const kBadSignature = "Erro na assinatura do arquivo.";
const char* const kBadPackets = "Erro ao ler os pacotes de dados.";
const char* const kHardwareRefused = "Modelo de Hardware não suportado.";

std::size_t DataBytes(const ImagePacket& packet)
{
    return std::min<std::size_t>(packet.dataLength, kPacketDataSize);
}

using Step = ImageLoadStep::Kind;

ImageLoadReport Refused(const char* message)
{
    ImageLoadReport report;
    report.steps = {{Step::ClearInfo, {}}, {Step::Error, message}};
    return report;
}

}  // namespace

ImageHeader DecodeImageHeader(const std::uint8_t (&bytes)[kImageHeaderSize])
{
    ImageHeader header;
    header.headerMagic = GetLittle32(bytes + kHeaderMagicAt);
    header.buildTime = GetLittle32(bytes + kBuildTimeAt);
    header.modelCode = bytes[kModelAt];
    header.firmwareId = bytes[kFirmwareIdAt];
    header.imageWord = GetLittle16(bytes + kImageWordAt);
    header.packetCount = GetLittle16(bytes + kPacketCountAt);
    header.trailerMagic = GetLittle32(bytes + kTrailerMagicAt);
    return header;
}

std::array<std::uint8_t, kImageHeaderSize> EncodeImageHeader(const ImageHeader& header)
{
    std::array<std::uint8_t, kImageHeaderSize> bytes{};
    PutLittle32(bytes.data() + kHeaderMagicAt, header.headerMagic);
    PutLittle32(bytes.data() + kBuildTimeAt, header.buildTime);
    bytes[kModelAt] = header.modelCode;
    bytes[kFirmwareIdAt] = header.firmwareId;
    PutLittle16(bytes.data() + kImageWordAt, header.imageWord);
    PutLittle16(bytes.data() + kPacketCountAt, header.packetCount);
    PutLittle32(bytes.data() + kTrailerMagicAt, header.trailerMagic);
    return bytes;
}

ImagePacket DecodeImagePacket(const std::uint8_t (&bytes)[kImagePacketSize])
{
    ImagePacket packet;
    packet.packetMagic = GetLittle32(bytes + kPacketMagicAt);
    packet.dataLength = GetLittle16(bytes + kDataLengthAt);
    packet.packetTag = GetLittle32(bytes + kPacketTagAt);
    std::copy_n(bytes + kPacketDataAt, kPacketDataSize, packet.packetData.begin());
    return packet;
}

std::array<std::uint8_t, kImagePacketSize> EncodeImagePacket(const ImagePacket& plain)
{
    ImagePacket scrambled = plain;
    ScramblePacket(scrambled);
    std::array<std::uint8_t, kImagePacketSize> bytes{};
    PutLittle32(bytes.data() + kPacketMagicAt, scrambled.packetMagic);
    PutLittle16(bytes.data() + kDataLengthAt, scrambled.dataLength);
    PutLittle32(bytes.data() + kPacketTagAt, scrambled.packetTag);
    std::copy(scrambled.packetData.begin(), scrambled.packetData.end(), bytes.begin() + kPacketDataAt);
    return bytes;
}

void DescramblePacket(ImagePacket& packet)
{
    for (std::size_t i = 0; i < DataBytes(packet); ++i) {
        const auto shifted = static_cast<std::uint8_t>(packet.packetData[i] + kPacketOffset);
        packet.packetData[i] = static_cast<std::uint8_t>(shifted ^ kPacketKey[i % kPacketKey.size()]);
    }
}

void ScramblePacket(ImagePacket& packet)
{
    for (std::size_t i = 0; i < DataBytes(packet); ++i) {
        const auto unkeyed = static_cast<std::uint8_t>(packet.packetData[i] ^ kPacketKey[i % kPacketKey.size()]);
        packet.packetData[i] = static_cast<std::uint8_t>(unkeyed - kPacketOffset);
    }
}

std::string BuildDateText(std::uint32_t buildTime)
{
    // The build time is a signed 32-bit count: the top bit set means a time
    // before 1970, which no image can carry.
    const auto seconds = static_cast<std::int32_t>(buildTime);
    const std::time_t when = seconds;
    const std::tm* local = seconds < 0 ? nullptr : std::localtime(&when);
    if (local == nullptr || local->tm_year < 70) return "Data inválida";
    LocalDateTime date;
    date.year = local->tm_year + 1900;
    date.month = local->tm_mon + 1;
    date.day = local->tm_mday;
    date.weekday = local->tm_wday;
    date.hour = local->tm_hour;
    date.minute = local->tm_min;
    date.second = local->tm_sec;
    return FormatClockText(date);
}

std::size_t MemoryByteSource::Read(std::uint8_t* into, std::size_t count)
{
    const std::size_t take = std::min(count, bytes_.size() - at_);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), take, into);
    at_ += take;
    return take;
}

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::string& path)
{
    OpenedFile opened = OpenRegularFileForReading(path, kMaxImageFileSize);
    if (!opened.file) return nullptr;
    return std::unique_ptr<FileByteSource>(new FileByteSource(std::move(opened.file)));
}

std::size_t FileByteSource::Read(std::uint8_t* into, std::size_t count)
{
    return std::fread(into, 1, count, file_.get());
}

FirmwareImage::FirmwareImage() = default;

ImageLoadReport FirmwareImage::Load(ByteSource* source, const std::string& fileName)
{
    valid_ = false;
    if (source == nullptr) return Refused(kOpenFailed);

    std::uint8_t headerBytes[kImageHeaderSize] = {};
    if (source->Read(headerBytes, kImageHeaderSize) != kImageHeaderSize) {
        header_ = {};
        return Refused(kShortHeader);
    }
    header_ = DecodeImageHeader(headerBytes);
    if (!IsSupportedPanelModel(header_.modelCode)) return Refused(kUnsupportedModel);

    // The labels are filled before the signature is looked at.
    ImageLoadReport report;
    report.info = ImageInfoTexts{
        ModelDisplayName(header_.modelCode),
        VersionText(header_.firmwareId),
        BuildDateText(header_.buildTime),
        "Pacotes: " + std::to_string(header_.packetCount),
    };
    report.steps.push_back({Step::ShowInfo, {}});
    if (header_.headerMagic != kHeaderMagic || header_.trailerMagic != kTrailerMagic) {
        report.steps.push_back({Step::ClearInfo, {}});
        report.steps.push_back({Step::Error, kBadSignature});
        return report;
    }

    bool packetsRead = header_.packetCount <= kMaxImagePackets;
    std::size_t read = 0;
    for (; packetsRead && read < header_.packetCount; ++read) {
        std::uint8_t record[kImagePacketSize];
        if (source->Read(record, kImagePacketSize) != kImagePacketSize) {
            packetsRead = false;
            break;
        }
        ImagePacket packet = DecodeImagePacket(record);
        if (packet.packetMagic != kPacketMagic || packet.dataLength > kPacketDataSize) {
            packetsRead = false;
            break;
        }
        DescramblePacket(packet);
        if (read < slots_.size()) {
            slots_[read] = packet;
        } else {
            slots_.push_back(packet);
        }
    }
    // Slots past the last packet read are dropped: a request beyond
    // packetCount finds no packet of an earlier image to serve. The storage
    // stays, so a reload costs only what it reads.
    slots_.resize(read);

    if (!packetsRead) {
        report.steps.push_back({Step::Error, kBadPackets});
        report.steps.push_back({Step::DisableStart, {}});
        report.steps.push_back({Step::Error, kHardwareRefused});
        report.steps.push_back({Step::ClearInfo, {}});
        return report;
    }
    valid_ = true;
    fileName_ = fileName;
    report.accepted = true;
    report.steps.push_back({Step::EnableStart, {}});
    return report;
}

void FirmwareImage::Close()
{
    valid_ = false;
    header_.headerMagic = 0;
    header_.trailerMagic = 0;
}

const ImagePacket* FirmwareImage::Packet(std::uint32_t number) const
{
    if (number == 0 || number > slots_.size()) return nullptr;
    return &slots_[number - 1];
}
