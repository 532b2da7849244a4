#include "core/link/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <ostream>
#include <string>

#include "core/link/link_test_frames.h"

using linktest::Bytes;
using linktest::Concat;
using linktest::Filled;
using linktest::MakeFrame;
using linktest::ReferenceCrc;

namespace {

// ---------------------------------------------------------------- CRC

struct CrcCase {
    const char* name;
    Bytes input;
    std::uint16_t expected;
};

void PrintTo(const CrcCase& c, std::ostream* os) { *os << c.name; }

class ComputeFrameCrcTest : public testing::TestWithParam<CrcCase> {};

TEST_P(ComputeFrameCrcTest, MatchesKnownValue)
{
    const CrcCase& c = GetParam();
    EXPECT_EQ(ComputeFrameCrc(c.input.data(), static_cast<std::uint16_t>(c.input.size())), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ComputeFrameCrcTest,
    testing::Values(CrcCase{"CheckValue", Bytes{'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0x31C3},
                    CrcCase{"Empty", Bytes{}, 0x0000},
                    // A single byte from a zero register is the table entry itself.
                    CrcCase{"TableEntry1", Bytes{0x01}, 0x1021}, CrcCase{"TableEntry2", Bytes{0x02}, 0x2042},
                    CrcCase{"TableEntry255", Bytes{0xFF}, 0x1EF0},
                    CrcCase{"IdentifyRequest", Bytes{0x04, 0x8C}, 0x9CC0},
                    CrcCase{"ReadBlock1", Bytes{0x05, 0x82, 0x01}, 0x862B}),
    [](const testing::TestParamInfo<CrcCase>& info) { return std::string(info.param.name); });

TEST(ComputeFrameCrc, CountZeroIgnoresTheBytes)
{
    const std::uint8_t bytes[] = {0x12, 0x34};
    EXPECT_EQ(ComputeFrameCrc(bytes, 0), 0);
}

TEST(ComputeFrameCrc, AgreesWithBitwiseCrcForEveryTableEntryAndLongInput)
{
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        ASSERT_EQ(ComputeFrameCrc(&byte, 1), ReferenceCrc(&byte, 1)) << "entry " << b;
    }
    // Longer than 255 bytes, so the 16-bit count is exercised past 8 bits.
    const Bytes input = Filled(1000, 0x37);
    EXPECT_EQ(ComputeFrameCrc(input.data(), 1000), ReferenceCrc(input.data(), 1000));
}

// ---------------------------------------------------------------- BuildFrame

struct BuildCase {
    const char* name;
    std::uint8_t command;
    Bytes payload;
    Bytes expected;
};

void PrintTo(const BuildCase& c, std::ostream* os) { *os << c.name; }

class BuildFrameTest : public testing::TestWithParam<BuildCase> {};

TEST_P(BuildFrameTest, BuildsExactBytes)
{
    const BuildCase& c = GetParam();
    std::array<std::uint8_t, kMaxSendFrame + 8> out;
    out.fill(0xAA);
    const std::size_t size = BuildFrame(c.command, c.payload.data(), c.payload.size(), out.data());
    ASSERT_EQ(size, c.expected.size());
    EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(size)), c.expected);
    // Nothing is written past the frame.
    EXPECT_TRUE(std::all_of(out.begin() + static_cast<std::ptrdiff_t>(size), out.end(),
                            [](std::uint8_t b) { return b == 0xAA; }));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, BuildFrameTest,
    testing::Values(BuildCase{"IdentifyRequest", 140, {}, {0xDF, 0x04, 0x8C, 0x9C, 0xC0, 0xFD}},
                    BuildCase{"ReadBlock1", 130, {0x01}, {0xDF, 0x05, 0x82, 0x01, 0x86, 0x2B, 0xFD}},
                    // No stuffing: start and end bytes travel inside the payload as they are.
                    BuildCase{"StartAndEndBytesInPayload", 131, {0xDF, 0xFD, 0xDF}, MakeFrame(131, {0xDF, 0xFD, 0xDF})},
                    BuildCase{"LargestPayload", 131, Filled(200), MakeFrame(131, Filled(200))}),
    [](const testing::TestParamInfo<BuildCase>& info) { return std::string(info.param.name); });

TEST(BuildFrame, LargestPayloadGives206BytesWithLength204)
{
    std::array<std::uint8_t, kMaxSendFrame> out{};
    const Bytes payload = Filled(200);
    ASSERT_EQ(BuildFrame(131, payload.data(), payload.size(), out.data()), 206u);
    EXPECT_EQ(out[1], 204);
    EXPECT_EQ(out[205], 0xFD);
}

TEST(BuildFrame, OversizedPayloadBuildsNothing)
{
    std::array<std::uint8_t, kMaxSendFrame + 8> out;
    out.fill(0xAA);
    const Bytes payload = Filled(201);
    EXPECT_EQ(BuildFrame(131, payload.data(), payload.size(), out.data()), 0u);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::uint8_t b) { return b == 0xAA; }));
}

TEST(BuildFrame, NullPayloadWithLengthZero)
{
    std::array<std::uint8_t, kMaxSendFrame> out{};
    ASSERT_EQ(BuildFrame(140, nullptr, 0, out.data()), 6u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 6), (Bytes{0xDF, 0x04, 0x8C, 0x9C, 0xC0, 0xFD}));
}

TEST(BuildFrame, EveryPayloadLengthParsesBack)
{
    for (std::size_t n = 0; n <= kMaxSendPayload; ++n) {
        const Bytes payload = Filled(n, static_cast<std::uint8_t>(0xDF + n));
        std::array<std::uint8_t, kMaxSendFrame> out{};
        const std::size_t size = BuildFrame(0x42, payload.data(), n, out.data());
        ASSERT_EQ(size, n + 6);
        std::array<std::uint8_t, kPayloadBufferSize> parsed{};
        std::uint16_t parsedLength = 0;
        ASSERT_EQ(ParseFrame(out.data(), static_cast<std::uint16_t>(size), parsed.data(), parsedLength), 0x42)
            << "payload length " << n;
        ASSERT_EQ(parsedLength, n);
        EXPECT_TRUE(std::equal(payload.begin(), payload.end(), parsed.begin()));
    }
}

// ---------------------------------------------------------------- ParseFrame

constexpr std::uint16_t kUntouchedLength = 0xBEEF;
constexpr std::uint8_t kUntouchedByte = 0xAA;

struct ParseCase {
    const char* name;
    Bytes frame;
    std::uint8_t expectedType;
    // Absent when neither output may be written.
    std::optional<Bytes> expectedPayload;
    // Count handed to ParseFrame; the whole buffer when absent.
    std::optional<std::uint16_t> count = std::nullopt;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

Bytes WithByte(Bytes frame, std::size_t index, std::uint8_t value)
{
    frame.at(index) = value;
    return frame;
}

Bytes XorByte(Bytes frame, std::size_t index, std::uint8_t mask)
{
    frame.at(index) ^= mask;
    return frame;
}

// A frame with a length byte below 4 whose "CRC" still matches what a naive
// parser would compute, so only the length check can reject it.
Bytes ShortLengthFrameWithMatchingCrc()
{
    const std::uint8_t length = 3;
    const std::uint16_t crc = ReferenceCrc(&length, 1);
    return {0xDF, length, static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc & 0xFF), 0xFD};
}

const Bytes kIdentPayload{0x25, 0x0B, 0x00, 0x01, 0xE2, 0x40};
const Bytes kLargest = MakeFrame(16, Filled(251, 0xC0));  // length byte 255, 257 bytes

class ParseFrameTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseFrameTest, ReturnsTypeAndPayload)
{
    const ParseCase& c = GetParam();
    std::array<std::uint8_t, kPayloadBufferSize> payload;
    payload.fill(kUntouchedByte);
    std::uint16_t length = kUntouchedLength;
    const auto count = c.count.value_or(static_cast<std::uint16_t>(c.frame.size()));
    ASSERT_LE(count, c.frame.size());

    EXPECT_EQ(ParseFrame(c.frame.data(), count, payload.data(), length), c.expectedType);
    if (c.expectedPayload) {
        ASSERT_EQ(length, c.expectedPayload->size());
        EXPECT_TRUE(std::equal(c.expectedPayload->begin(), c.expectedPayload->end(), payload.begin()));
    } else {
        EXPECT_EQ(length, kUntouchedLength);
        EXPECT_TRUE(std::all_of(payload.begin(), payload.end(), [](std::uint8_t b) { return b == kUntouchedByte; }));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, ParseFrameTest,
    testing::Values(
        ParseCase{"Identification", MakeFrame(7, kIdentPayload), 7, kIdentPayload},
        ParseCase{"LengthFourHasNoPayload", MakeFrame(134), 134, std::nullopt},
        ParseCase{"StartAndEndBytesInPayload", MakeFrame(2, {0xDF, 0xFD, 0xFD, 0xDF}), 2, Bytes{0xDF, 0xFD, 0xFD, 0xDF}},
        ParseCase{"LargestFrame", kLargest, 16, Filled(251, 0xC0)},
        // The end byte is the assembler's business, not the parser's.
        ParseCase{"WrongEndByteAccepted", WithByte(MakeFrame(2, {0x01, 0x02}), 7, 0x00), 2, Bytes{0x01, 0x02}},
        ParseCase{"MissingEndByteAccepted", MakeFrame(2, {0x01, 0x02}), 2, Bytes{0x01, 0x02}, 7},
        ParseCase{"CountUpTo260Accepted", Concat({kLargest, Bytes(3, 0x00)}), 16, Filled(251, 0xC0), 260},
        // CRC errors leave both outputs alone.
        ParseCase{"WrongCrcHigh", XorByte(MakeFrame(7, kIdentPayload), 9, 0x01), kCrcError, std::nullopt},
        ParseCase{"WrongCrcLow", XorByte(MakeFrame(7, kIdentPayload), 10, 0x80), kCrcError, std::nullopt},
        ParseCase{"PayloadByteCorrupted", XorByte(MakeFrame(7, kIdentPayload), 5, 0x10), kCrcError, std::nullopt},
        ParseCase{"WrongCrcNoPayload", XorByte(MakeFrame(134), 3, 0x01), kCrcError, std::nullopt},
        // Not a frame.
        ParseCase{"CountZero", MakeFrame(134), kNotAFrame, std::nullopt, 0},
        // A lone start byte in a one-byte buffer: the length byte is not
        // there to read (found by fuzzing as a read past the buffer).
        ParseCase{"OnlyTheStartByte", Bytes{0xDF}, kNotAFrame, std::nullopt},
        ParseCase{"CountAbove260", Concat({kLargest, Bytes(4, 0x00)}), kNotAFrame, std::nullopt, 261},
        ParseCase{"NotStartByte", WithByte(MakeFrame(134), 0, 0xDE), kNotAFrame, std::nullopt},
        ParseCase{"CountEqualsLength", MakeFrame(2, {0x01, 0x02}), kNotAFrame, std::nullopt, 6},
        ParseCase{"CountBelowLength", MakeFrame(2, {0x01, 0x02}), kNotAFrame, std::nullopt, 3},
        ParseCase{"LengthByte3", ShortLengthFrameWithMatchingCrc(), kNotAFrame, std::nullopt},
        ParseCase{"LengthByte2", Bytes{0xDF, 0x02, 0x00, 0x00, 0xFD}, kNotAFrame, std::nullopt},
        ParseCase{"LengthByte1", Bytes{0xDF, 0x01, 0x00, 0xFD}, kNotAFrame, std::nullopt},
        ParseCase{"LengthByte0", Bytes{0xDF, 0x00, 0xFD}, kNotAFrame, std::nullopt}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

}  // namespace
