// The panel's own frame codec and receiver.

#include <gtest/gtest.h>

#include <string>

#include "sim/panel_frame.h"
#include "sim/panel_test_support.h"

using panel_test::Bytes;

TEST(PanelFrame, CrcAndEncodingMatchKnownVectors)
{
    const std::string check = "123456789";
    EXPECT_EQ(sim::Crc16(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0x31C3);
    EXPECT_EQ(sim::EncodeFrame(140), (Bytes{0xDF, 0x04, 0x8C, 0x9C, 0xC0, 0xFD}));
    EXPECT_EQ(sim::EncodeFrame(130, {0x01}), (Bytes{0xDF, 0x05, 0x82, 0x01, 0x86, 0x2B, 0xFD}));
}

TEST(PanelFrame, DecodeRejectsWhatCannotBeAFrameAndFlagsBadCrc)
{
    Bytes good = sim::EncodeFrame(131, {2, 0, 30, 0, 10});
    const auto decoded = sim::DecodeFrame(good.data(), good.size());
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->crcOk);
    EXPECT_EQ(decoded->type, 131);
    EXPECT_EQ(decoded->payload, (Bytes{2, 0, 30, 0, 10}));

    Bytes badCrc = good;
    badCrc[badCrc.size() - 2] ^= 0x01;
    EXPECT_FALSE(sim::DecodeFrame(badCrc.data(), badCrc.size())->crcOk);

    const Bytes shortLength = {0xDF, 0x03, 0x8C, 0x00, 0xFD};
    const Bytes lengthDisagrees = {0xDF, 0x05, 0x8C, 0x9C, 0xC0, 0xFD};
    EXPECT_FALSE(sim::DecodeFrame(shortLength.data(), shortLength.size()));
    EXPECT_FALSE(sim::DecodeFrame(lengthDisagrees.data(), lengthDisagrees.size()));
    EXPECT_FALSE(sim::DecodeFrame(nullptr, 0));
}

struct ReceiverCase {
    const char* name;
    Bytes input;
    std::vector<uint8_t> types;  // frame types completed, in order
};

TEST(PanelFrame, ReceiverResynchronisesLikeTheTool)
{
    const Bytes identify = sim::EncodeFrame(140);
    const Bytes read2 = sim::EncodeFrame(130, {2});
    Bytes wrongEnd = read2;
    wrongEnd.back() = 0xDF;
    Bytes longest = sim::EncodeFrame(2, Bytes(sim::kMaxPayload, 0xFD));

    const std::vector<ReceiverCase> cases = {
        {"two frames back to back", panel_test::Concat({identify, read2}), {140, 130}},
        {"garbage before a frame is skipped", panel_test::Concat({{0x00, 0xFF, 0x12}, read2}), {130}},
        // The wrong end byte is not taken as a new start, so the frame whose
        // body follows it is lost too.
        {"wrong end byte drops the frame", panel_test::Concat({wrongEnd, Bytes(identify.begin() + 1, identify.end()), identify}), {140}},
        // Lengths that cannot hold a frame still consume their bytes, at
        // least one, and an end byte position, as the tool's receiver does.
        {"length 1 takes one byte and an end byte", panel_test::Concat({{0xDF, 0x01, 0x8C, 0xFD}, identify}), {140}},
        {"length 3 takes two bytes and an end byte", panel_test::Concat({{0xDF, 0x03}, identify, read2}), {130}},
        {"length 2, then 0xDF as its end byte", panel_test::Concat({{0xDF, 0x02, 0x00, 0xDF}, Bytes(read2.begin() + 1, read2.end())}), {}},
        {"length 0 swallows up to 512 bytes", panel_test::Concat({{0xDF, 0x00}, identify, Bytes(504, 0x00), read2, identify}), {130, 140}},
        {"length 0 with 509 bytes after it", panel_test::Concat({{0xDF, 0x00}, identify, Bytes(503, 0x00), read2}), {}},
        {"longest frame (length byte 255)", longest, {2}},
        {"start byte inside a payload", sim::EncodeFrame(131, {0xDF, 0xFD, 0xDF}), {131}},
    };
    for (const ReceiverCase& c : cases) {
        std::vector<uint8_t> types;
        for (const auto& frame : panel_test::Frames(c.input)) {
            EXPECT_TRUE(frame.crcOk) << c.name;
            types.push_back(frame.type);
        }
        EXPECT_EQ(types, c.types) << c.name;
    }
}
