#include "core/firmware/image_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/firmware/image_builder.h"
#include "core/panel/device_identity.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kShortHeader = "Erro ao ler os dados do arquivo.";
const std::string kUnsupportedModel = "Modelo de equipamento não suportado.";
const std::string kBadSignature = "Erro na assinatura do arquivo.";
const std::string kBadPackets = "Erro ao ler os pacotes de dados.";
const std::string kHardwareRefused = "Modelo de Hardware não suportado.";

Bytes FileOf(const ImagePlan& plan) { return ImageFileBytes(plan); }

Bytes WithHeader(ImagePlan plan, void (*change)(ImageHeader&), std::vector<ImagePacket> packets = {})
{
    ImageHeader header = MakeImageHeader(plan);
    change(header);
    return ImageFileBytes(header, packets);
}

Bytes WithPacket(const ImagePlan& plan, std::size_t index, void (*change)(ImagePacket&))
{
    std::vector<ImagePacket> packets = MakeImagePackets(plan);
    change(packets[index]);
    return ImageFileBytes(MakeImageHeader(plan), packets);
}

// The steps of a report as words: "info", "clear", "enable", "disable", or a box's text.
std::vector<std::string> Steps(const ImageLoadReport& report)
{
    std::vector<std::string> words;
    for (const ImageLoadStep& step : report.steps) {
        switch (step.kind) {
        case ImageLoadStep::Kind::ShowInfo: words.push_back("info"); break;
        case ImageLoadStep::Kind::ClearInfo: words.push_back("clear"); break;
        case ImageLoadStep::Kind::EnableStart: words.push_back("enable"); break;
        case ImageLoadStep::Kind::DisableStart: words.push_back("disable"); break;
        case ImageLoadStep::Kind::Error: words.push_back(step.text); break;
        }
    }
    return words;
}

ImageLoadReport LoadBytes(FirmwareImage& image, Bytes bytes)
{
    MemoryByteSource source(std::move(bytes));
    return image.Load(&source, "imagem.bin");
}

class TimeZone {
public:
    explicit TimeZone(const char* zone) { Set(zone); }
    ~TimeZone() { Set(nullptr); }

private:
    static void Set(const char* zone)
    {
#ifdef _WIN32
        _putenv_s("TZ", zone ? zone : "");  // an empty value removes it
        _tzset();
#else
        if (zone) setenv("TZ", zone, 1); else unsetenv("TZ");
        tzset();
#endif
    }
};

struct LoadCase {
    const char* name;
    Bytes file;
    std::vector<std::string> steps;
};

TEST(ImageFile, LoadOutcomes)
{
    const ImagePlan plan;  // model 56, 8 packets
    ImagePlan none = plan;
    none.packetCount = 0;
    ImagePlan three = plan;
    three.packetCount = 3;
    ImagePlan full = plan;
    full.packetCount = static_cast<std::uint16_t>(kMaxImagePackets);
    Bytes trailing = FileOf(three);
    trailing.insert(trailing.end(), 300, 0xAB);
    Bytes headerOnly = FileOf(three);
    headerOnly.resize(kImageHeaderSize);
    Bytes shortLast = FileOf(three);
    shortLast.pop_back();
    // Written out by hand so both byte orders are checked against the file,
    // not against the encoder: model 37, version 0x13, 1 packet of 4 bytes.
    Bytes literal = {0x45, 0x8A, 0xA5, 0x12, 0x00, 0x00, 0x00, 0x00, 37, 0x13, 0, 0, 0x34, 0x12, 0x01, 0x00,
                     0,    0,    0,    0,    0,    0,    0,    0,    0x1F, 0xAC, 0x95, 0x7A};
    const Bytes literalPacket = {0xA0, 0x35, 0x7B, 0x56, 0, 0, 0x04, 0x00, 0, 0, 0, 0, 0xEF, 0xBE, 0xAD, 0xDE};
    literal.insert(literal.end(), literalPacket.begin(), literalPacket.end());
    literal.resize(kImageHeaderSize + kImagePacketSize);

    const std::vector<std::string> accepted = {"info", "enable"};
    const std::vector<std::string> shortHeader = {"clear", kShortHeader};
    const std::vector<std::string> badSignature = {"info", "clear", kBadSignature};
    const std::vector<std::string> badPackets = {"info", kBadPackets, "disable", kHardwareRefused, "clear"};
    const LoadCase cases[] = {
        {"accepted", FileOf(plan), accepted},
        {"hand-written little-endian file", literal, accepted},
        {"no packets", FileOf(none), accepted},
        {"the full count of packets", FileOf(full), accepted},
        {"bytes after the last packet", trailing, accepted},
        {"empty file", {}, shortHeader},
        {"27-byte header", Bytes(kImageHeaderSize - 1, 0), shortHeader},
        {"28 bytes announcing packets", headerOnly, badPackets},
        {"last packet one byte short", shortLast, badPackets},
        {"unsupported model", WithHeader(plan, [](ImageHeader& h) { h.modelCode = 38; }), {"clear", kUnsupportedModel}},
        {"wrong model beats wrong magic",
         WithHeader(plan, [](ImageHeader& h) { h.modelCode = 0; h.headerMagic = 1; h.trailerMagic = 2; }),
         {"clear", kUnsupportedModel}},
        {"wrong header magic", WithHeader(plan, [](ImageHeader& h) { h.headerMagic ^= 1; }), badSignature},
        {"wrong trailer magic", WithHeader(plan, [](ImageHeader& h) { h.trailerMagic = 0x1FAC957A; }), badSignature},
        {"packet without its magic", WithPacket(plan, 4, [](ImagePacket& p) { p.packetMagic = 0x567B35A1; }),
         badPackets},
        {"data length 193", WithPacket(plan, 7, [](ImagePacket& p) { p.dataLength = 193; }), badPackets},
        {"data length 65535", WithPacket(plan, 0, [](ImagePacket& p) { p.dataLength = 0xFFFF; }), badPackets},
        {"2615 packets announced", WithHeader(plan, [](ImageHeader& h) { h.packetCount = 2615; }), badPackets},
        {"65535 packets announced", WithHeader(plan, [](ImageHeader& h) { h.packetCount = 0xFFFF; }), badPackets},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        FirmwareImage image;
        const ImageLoadReport report = LoadBytes(image, c.file);
        const bool good = c.steps == accepted;
        EXPECT_EQ(Steps(report), c.steps);
        EXPECT_EQ(report.accepted, good);
        EXPECT_EQ(image.ImageValid(), good);
        EXPECT_EQ(image.FileName(), good ? "imagem.bin" : "");
    }
}

TEST(ImageFile, AcceptedImageTextsAndPackets)
{
    TimeZone utc("UTC");
    ImagePlan plan;
    plan.modelCode = 51;
    plan.firmwareId = 0x13;
    plan.packetCount = 3;
    FirmwareImage image;
    const ImageLoadReport report = LoadBytes(image, ImageFileBytes(plan));
    EXPECT_EQ(report.info.model, ModelDisplayName(51));
    EXPECT_EQ(report.info.version, "V1.03 - (teste)");
    EXPECT_EQ(report.info.buildDate, "Quarta 10 de Dezembro de 2025  -  12:05:06\n");
    EXPECT_EQ(report.info.packets, "Pacotes: 3");
    EXPECT_EQ(image.Header().imageWord, plan.imageWord);

    const std::vector<ImagePacket> plain = MakeImagePackets(plan);
    for (std::uint32_t n = 1; n <= 3; ++n) {
        const ImagePacket* packet = image.Packet(n);
        ASSERT_NE(packet, nullptr);
        EXPECT_EQ(packet->packetTag, plain[n - 1].packetTag);
        EXPECT_EQ(packet->dataLength, plain[n - 1].dataLength);
        EXPECT_EQ(packet->packetData, plain[n - 1].packetData);
    }
    EXPECT_EQ(image.Packet(0), nullptr);
    EXPECT_EQ(image.Packet(4), nullptr);
    EXPECT_EQ(image.Packet(2615), nullptr);
}

TEST(ImageFile, DescramblingUsesKeyAndOffsetOnDataLengthBytesOnly)
{
    ImagePlan plan;
    plan.packetCount = 1;
    std::vector<ImagePacket> packets = MakeImagePackets(plan);
    packets[0].dataLength = 10;
    Bytes file = ImageFileBytes(MakeImageHeader(plan), packets);
    // Scrambled bytes as stored: zeros at 0 and 9; a marker past the data.
    const std::size_t data = kImageHeaderSize + 16;
    file[data + 0] = 0x00;
    file[data + 9] = 0xFF;
    file[data + 10] = 0x77;
    file[data + 191] = 0x88;

    FirmwareImage image;
    ASSERT_TRUE(LoadBytes(image, file).accepted);
    const ImagePacket& packet = *image.Packet(1);
    EXPECT_EQ(packet.packetData[0], (0x00 + kPacketOffset) ^ 0x5C);
    EXPECT_EQ(packet.packetData[9], static_cast<std::uint8_t>(0xFF + kPacketOffset) ^ 0xE1);
    EXPECT_EQ(packet.packetData[10], 0x77);
    EXPECT_EQ(packet.packetData[191], 0x88);
}

TEST(ImageFile, LaterLoadsNeverServeAnEarlierImage)
{
    ImagePlan large;
    large.packetCount = 6;
    ImagePlan small = large;
    small.packetCount = 2;
    small.modelCode = 37;
    FirmwareImage image;
    ASSERT_TRUE(LoadBytes(image, ImageFileBytes(large)).accepted);
    ASSERT_NE(image.Packet(6), nullptr);

    ASSERT_TRUE(LoadBytes(image, ImageFileBytes(small)).accepted);
    EXPECT_EQ(image.Packet(2)->packetData, MakeImagePackets(small)[1].packetData);
    for (std::uint32_t n = 3; n <= 6; ++n) EXPECT_EQ(image.Packet(n), nullptr) << n;

    // A file whose fourth packet is broken keeps the three read before it
    // and none of the earlier image past them.
    ASSERT_TRUE(LoadBytes(image, ImageFileBytes(large)).accepted);
    EXPECT_FALSE(LoadBytes(image, WithPacket(large, 3, [](ImagePacket& p) { p.packetMagic = 0; })).accepted);
    EXPECT_NE(image.Packet(3), nullptr);
    for (std::uint32_t n = 4; n <= 6; ++n) EXPECT_EQ(image.Packet(n), nullptr) << n;

    // A refused file leaves nothing to start from, whatever came before.
    LoadBytes(image, WithHeader(small, [](ImageHeader& h) { h.headerMagic = 0; }));
    EXPECT_FALSE(image.ImageValid());
    ASSERT_TRUE(LoadBytes(image, ImageFileBytes(large)).accepted);
    image.Close();
    EXPECT_FALSE(image.ImageValid());
    EXPECT_EQ(image.Header().headerMagic, 0u);
    EXPECT_EQ(image.Header().trailerMagic, 0u);
}

TEST(ImageFile, FileThatCannotBeOpened)
{
    FirmwareImage image;
    EXPECT_EQ(Steps(image.Load(nullptr, "nada.bin")), (std::vector<std::string>{"clear", "Erro ao tentar abrir o arquivo."}));
    EXPECT_EQ(FileByteSource::Open("/nonexistent/dir/imagem.bin"), nullptr);
}

TEST(ImageFile, AFileNamedWithAccentsIsOpened)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / u8"atualização_imagem.bin";
    const Bytes bytes = FileOf(ImagePlan{});
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    const std::u8string utf8 = path.u8string();

    std::unique_ptr<FileByteSource> file = FileByteSource::Open(std::string(utf8.begin(), utf8.end()));
    ASSERT_NE(file, nullptr);
    FirmwareImage image;
    EXPECT_TRUE(image.Load(file.get(), "atualização_imagem.bin").accepted);
    file.reset();  // Windows removes no open file
    std::filesystem::remove(path);
}

TEST(ImageFile, BuildDateText)
{
    TimeZone zone("UTC");
    EXPECT_EQ(BuildDateText(0), "Quinta 1 de Janeiro de 1970  -  00:00:00\n");
    EXPECT_EQ(BuildDateText(0x7FFFFFFF), "Terça 19 de Janeiro de 2038  -  03:14:07\n");
    EXPECT_EQ(BuildDateText(0x80000000u), "Data inválida");
    EXPECT_EQ(BuildDateText(0xFFFFFFFFu), "Data inválida");
    // West of Greenwich the first hours of 1970 are still 1969 locally.
    TimeZone west("BRT3");
    EXPECT_EQ(BuildDateText(3600), "Data inválida");
    EXPECT_EQ(BuildDateText(3 * 3600), "Quinta 1 de Janeiro de 1970  -  00:00:00\n");
}

}  // namespace
