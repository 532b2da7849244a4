#include "core/firmware/image_builder.h"

#include <algorithm>

ImageHeader MakeImageHeader(const ImagePlan& plan)
{
    ImageHeader header;
    header.headerMagic = kHeaderMagic;
    header.buildTime = plan.buildTime;
    header.modelCode = plan.modelCode;
    header.firmwareId = plan.firmwareId;
    header.imageWord = plan.imageWord;
    header.packetCount = plan.packetCount;
    header.trailerMagic = kTrailerMagic;
    return header;
}

std::vector<ImagePacket> MakeImagePackets(const ImagePlan& plan)
{
    std::vector<ImagePacket> packets(plan.packetCount);
    const std::uint32_t total = plan.TotalBytes();
    for (std::uint32_t n = 0; n < plan.packetCount; ++n) {
        ImagePacket& packet = packets[n];
        const std::uint32_t offset = n * kPacketDataSize;
        packet.packetMagic = kPacketMagic;
        packet.dataLength = static_cast<std::uint16_t>(std::min<std::uint32_t>(kPacketDataSize, total - offset));
        packet.packetTag = offset;
        for (std::size_t i = 0; i < packet.dataLength; ++i) {
            // Varies with the packet and the model, so a packet served from
            // the wrong slot or image does not pass for the right one.
            packet.packetData[i] = static_cast<std::uint8_t>((offset + i) * 7 + n / 256 + plan.modelCode);
        }
    }
    return packets;
}

std::vector<std::uint8_t> ImageFileBytes(const ImageHeader& header, const std::vector<ImagePacket>& packets)
{
    const auto headerBytes = EncodeImageHeader(header);
    std::vector<std::uint8_t> bytes(headerBytes.begin(), headerBytes.end());
    bytes.reserve(kImageHeaderSize + packets.size() * kImagePacketSize);
    for (const ImagePacket& packet : packets) {
        const auto record = EncodeImagePacket(packet);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

std::vector<std::uint8_t> ImageFileBytes(const ImagePlan& plan)
{
    return ImageFileBytes(MakeImageHeader(plan), MakeImagePackets(plan));
}
