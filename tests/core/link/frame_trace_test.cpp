// Trace lines: what a person reads to see what crossed the wire.

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/link/frame.h"
#include "core/link/frame_trace.h"

TEST(FrameTrace, OneLinePerFrameWithItsNameAndPayloadLength)
{
    std::uint8_t frame[kMaxSendFrame];
    const std::uint8_t block = 2;
    const std::size_t count = BuildFrame(130, &block, 1, frame);
    EXPECT_EQ(TraceFrameLine("12:00:00.001", TraceDirection::Sent, frame, count),
              "12:00:00.001 -> DF 05 82 02 B6 48 FD ReadBlockCommand payload 1");

    std::vector<std::uint8_t> ack(kMaxSendFrame);
    ack.resize(BuildFrame(134, nullptr, 0, ack.data()));
    const std::string line = TraceFrameLine("t", TraceDirection::Received, ack.data(), ack.size());
    EXPECT_TRUE(line.starts_with("t <- DF 04 86 ") && line.ends_with(" FD Ack payload 0")) << line;
    ack[3] ^= 0xFF;
    EXPECT_TRUE(TraceFrameLine("t", TraceDirection::Received, ack.data(), ack.size()).ends_with("Ack payload 0 CRC error"));

    const std::uint8_t unknown[] = {0xDF, 0x04, 0x55, 0x00, 0x00, 0xFD};
    EXPECT_TRUE(TraceFrameLine("t", TraceDirection::Received, unknown, sizeof unknown).find(" type 85 payload 0") !=
                std::string::npos);
    EXPECT_EQ(TraceDroppedLine("t", 1), "t <- dropped 1 byte");
    EXPECT_EQ(TraceDroppedLine("t", 3), "t <- dropped 3 bytes");
}

// The Wi-Fi block carries its password: written or read back, the trace
// keeps the frame's start, type and block id, never the bytes after them
// (nor the CRC made of them). A request that names the block alone is whole.
TEST(FrameTrace, AWifiBlockNeverShowsItsPassword)
{
    const std::string password = "S3nha-Forte";
    std::vector<std::uint8_t> block{6, 4, 'C', 'a', 's', 'a', static_cast<std::uint8_t>(password.size())};
    block.insert(block.end(), password.begin(), password.end());
    const std::string passwordHex = "53 33 6E 68 61";
    for (const auto& [type, direction, name] :
         {std::tuple{std::uint8_t{131}, TraceDirection::Sent, "WriteBlockCommand"},
          std::tuple{std::uint8_t{2}, TraceDirection::Received, "ConfigBlock"}}) {
        std::uint8_t frame[kMaxSendFrame];
        const std::size_t count = BuildFrame(type, block.data(), static_cast<std::uint8_t>(block.size()), frame);
        const std::string line = TraceFrameLine("t", direction, frame, count);
        EXPECT_EQ(line.find(passwordHex), std::string::npos) << line;
        EXPECT_NE(line.find("06 (oculto) " + std::string(name) + " payload 18"), std::string::npos) << line;
    }
    std::uint8_t frame[kMaxSendFrame];
    const std::uint8_t id = 6;
    const std::size_t count = BuildFrame(130, &id, 1, frame);
    EXPECT_EQ(TraceFrameLine("t", TraceDirection::Sent, frame, count).find("(oculto)"), std::string::npos);
}
