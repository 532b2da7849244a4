#include "core/link/frame_assembler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "core/link/link_test_frames.h"

using linktest::Bytes;
using linktest::Concat;
using linktest::Filled;
using linktest::MakeFrame;

namespace {

class RecordingSink final : public FrameSink {
public:
    void OnFrame(const std::uint8_t* frame, std::uint16_t count) override { frames.emplace_back(frame, frame + count); }

    std::vector<Bytes> frames;
};

// How the stream is cut into data events.
enum class Delivery { WholeStream, BytePerFeed, ChunksOfSeven };

std::vector<Bytes> Assemble(const Bytes& stream, Delivery delivery)
{
    FrameAssembler assembler;
    RecordingSink sink;
    const std::size_t chunk = delivery == Delivery::WholeStream ? stream.size()
                              : delivery == Delivery::BytePerFeed ? 1
                                                                   : 7;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        assembler.Feed(stream.data() + at, std::min(chunk, stream.size() - at), sink);
    }
    return sink.frames;
}

const Bytes kIdentify{0xDF, 0x04, 0x8C, 0x9C, 0xC0, 0xFD};
const Bytes kAck = MakeFrame(134);
const Bytes kConfig = MakeFrame(2, {0x02, 0x00, 0x3C, 0xDF, 0xFD});
const Bytes kLargest = MakeFrame(16, Filled(251));  // length byte 255

Bytes WithEndByte(Bytes frame, std::uint8_t end)
{
    frame.back() = end;
    return frame;
}

struct StreamCase {
    const char* name;
    Bytes stream;
    std::vector<Bytes> expected;
};

void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.name; }

using StreamParam = std::tuple<StreamCase, Delivery>;

class FrameAssemblerStreamTest : public testing::TestWithParam<StreamParam> {};

TEST_P(FrameAssemblerStreamTest, DeliversExpectedFrames)
{
    const auto& [c, delivery] = GetParam();
    EXPECT_EQ(Assemble(c.stream, delivery), c.expected);
}

const StreamCase kStreamCases[] = {
    {"Identify", kIdentify, {kIdentify}},
    {"TwoFramesBackToBack", Concat({kConfig, kAck}), {kConfig, kAck}},
    {"GarbageBeforeFrame", Concat({{0x00, 0xFF, 0x12, 0xFD}, kConfig}), {kConfig}},
    {"LargestFrame", kLargest, {kLargest}},
    // The misplaced 0xDF closes the bad frame and is not taken as a start:
    // were it one, the next frame's start byte would be read as its length.
    {"EndByteIsStartByte", Concat({WithEndByte(kConfig, 0xDF), kAck}), {kAck}},
    {"WrongEndByte", Concat({WithEndByte(kAck, 0x00), kIdentify}), {kIdentify}},
    // Length 1 still stores one byte before the end byte; the parser rejects it later.
    {"LengthByteOne", Concat({{0xDF, 0x01, 0x55, 0xFD}, kAck}), {{0xDF, 0x01, 0x55, 0xFD}, kAck}},
    // A spurious start takes the next byte as a length and swallows what it
    // covers, a genuine start byte included; reception resumes after that.
    {"SpuriousStartSwallowsFrame", Concat({{0xDF, 0x07, 1, 2, 3, 4, 5, 6}, kAck, kIdentify}), {kIdentify}},
    // Length 0 collects 512 bytes, genuine frames included, then drops them all.
    {"LengthByteZero", Concat({{0xDF, 0x00}, kAck, Bytes(510 - kAck.size(), 0x00), kIdentify}), {kIdentify}},
    {"LengthByteZeroNoEndNeeded", Concat({{0xDF, 0x00}, Bytes(510, 0xFD), kAck}), {kAck}},
};

std::string StreamParamName(const testing::TestParamInfo<StreamParam>& info)
{
    static const char* const kDelivery[] = {"Whole", "BytePerFeed", "Chunks"};
    return std::string(std::get<0>(info.param).name) + "_" + kDelivery[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Streams, FrameAssemblerStreamTest,
                         testing::Combine(testing::ValuesIn(kStreamCases),
                                          testing::Values(Delivery::WholeStream, Delivery::BytePerFeed,
                                                          Delivery::ChunksOfSeven)),
                         StreamParamName);

TEST(FrameAssembler, FrameSplitAtEveryPosition)
{
    // Payload bytes equal to the start and end bytes must not confuse the cut.
    const Bytes frame = MakeFrame(2, {0xDF, 0xFD, 0x04, 0xDF});
    for (std::size_t split = 0; split <= frame.size(); ++split) {
        FrameAssembler assembler;
        RecordingSink sink;
        assembler.Feed(frame.data(), split, sink);
        EXPECT_TRUE(sink.frames.empty() || split == frame.size()) << "split " << split;
        assembler.Feed(frame.data() + split, frame.size() - split, sink);
        ASSERT_EQ(sink.frames.size(), 1u) << "split " << split;
        EXPECT_EQ(sink.frames[0], frame);
        EXPECT_EQ(assembler.state(), FrameAssembler::State::WaitingForStart);
    }
}

TEST(FrameAssembler, LengthByteZeroDropsAtBufferLimit)
{
    FrameAssembler assembler;
    RecordingSink sink;
    const Bytes head{0xDF, 0x00};
    assembler.Feed(head.data(), head.size(), sink);
    const Bytes filler(509, 0x11);
    assembler.Feed(filler.data(), filler.size(), sink);
    EXPECT_EQ(assembler.state(), FrameAssembler::State::Collecting);
    EXPECT_EQ(assembler.collected(), 511);

    const std::uint8_t last = 0x11;
    assembler.Feed(&last, 1, sink);
    EXPECT_EQ(assembler.state(), FrameAssembler::State::WaitingForStart);
    EXPECT_TRUE(sink.frames.empty());
}

TEST(FrameAssembler, StateSurvivesBetweenFeeds)
{
    FrameAssembler assembler;
    RecordingSink sink;
    assembler.Feed(kConfig.data(), 2, sink);
    EXPECT_EQ(assembler.state(), FrameAssembler::State::Collecting);
    assembler.Feed(kConfig.data() + 2, kConfig.size() - 3, sink);
    EXPECT_EQ(assembler.state(), FrameAssembler::State::ExpectingEnd);
    EXPECT_TRUE(sink.frames.empty());
    assembler.Feed(&kConfig.back(), 1, sink);
    EXPECT_EQ(sink.frames, std::vector<Bytes>{kConfig});
}

TEST(FrameAssembler, NullOrEmptyFeedChangesNothing)
{
    FrameAssembler assembler;
    RecordingSink sink;
    assembler.Feed(kAck.data(), 3, sink);
    assembler.Feed(nullptr, 10, sink);
    assembler.Feed(kAck.data(), 0, sink);
    EXPECT_EQ(assembler.collected(), 3);
    assembler.Feed(kAck.data() + 3, kAck.size() - 3, sink);
    EXPECT_EQ(sink.frames, std::vector<Bytes>{kAck});
}

}  // namespace
