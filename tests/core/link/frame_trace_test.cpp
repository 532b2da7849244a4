// Trace lines: what a person reads to see what crossed the wire.

#include <gtest/gtest.h>

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
