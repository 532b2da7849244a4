#include "core/bytes/big_endian.h"

#include <gtest/gtest.h>

namespace {

TEST(BigEndian, MostSignificantByteFirst)
{
    std::uint8_t bytes[4] = {};
    PutBigEndian16(bytes, 0xA1B2);
    EXPECT_EQ(bytes[0], 0xA1);
    EXPECT_EQ(bytes[1], 0xB2);
    EXPECT_EQ(GetBigEndian16(bytes), 0xA1B2);

    PutBigEndian32(bytes, 0x89ABCDEFu);
    const std::uint8_t expected[4] = {0x89, 0xAB, 0xCD, 0xEF};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bytes[i], expected[i]) << i;
    EXPECT_EQ(GetBigEndian32(bytes), 0x89ABCDEFu);
    EXPECT_EQ(GetBigEndian16(bytes + 2), 0xCDEF);

    std::uint8_t wide[8] = {};
    PutBigEndian64(wide, 0x0123456789ABCDEFull);
    const std::uint8_t wideExpected[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(wide[i], wideExpected[i]) << i;
    EXPECT_EQ(GetBigEndian64(wide), 0x0123456789ABCDEFull);
}

TEST(BigEndian, NullBufferIsHarmless)
{
    PutBigEndian16(nullptr, 0x1234);
    PutBigEndian32(nullptr, 0x12345678u);
    EXPECT_EQ(GetBigEndian16(nullptr), 0);
    PutBigEndian64(nullptr, 1);
    EXPECT_EQ(GetBigEndian32(nullptr), 0u);
    EXPECT_EQ(GetBigEndian64(nullptr), 0u);
}

}  // namespace
