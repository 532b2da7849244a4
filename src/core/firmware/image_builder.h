#pragma once
// Makes image files: the image program writes them for the demo panel and
// tests make good and broken files with the same code. The packets carry a
// repeatable pattern, not a real firmware.

#include <cstdint>
#include <vector>

#include "core/firmware/image_file.h"

struct ImagePlan {
    std::uint8_t modelCode = 56;
    std::uint8_t firmwareId = 0x22;
    std::uint16_t packetCount = 8;
    std::uint16_t imageWord = 0x0100;
    std::uint32_t buildTime = 1765368306;  // 10 December 2025, 12:05:06 UTC
    // Data bytes in all: the last packet is 100 bytes short of full, so the
    // image ends inside a packet as real ones do.
    std::uint32_t TotalBytes() const { return packetCount * kPacketDataSize - (packetCount ? 100u : 0u); }
};

// A header with both magics right.
ImageHeader MakeImageHeader(const ImagePlan& plan);
// Packets 1..packetCount in plain form: every one full but the last,
// each tagged with its data's offset in the image.
std::vector<ImagePacket> MakeImagePackets(const ImagePlan& plan);
// The bytes of a file: header, then each packet scrambled.
std::vector<std::uint8_t> ImageFileBytes(const ImageHeader& header, const std::vector<ImagePacket>& packets);
std::vector<std::uint8_t> ImageFileBytes(const ImagePlan& plan);
