#include "core/link/big_endian.h"

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
}

TEST(BigEndian, NullBufferIsHarmless)
{
    PutBigEndian16(nullptr, 0x1234);
    PutBigEndian32(nullptr, 0x12345678u);
    EXPECT_EQ(GetBigEndian16(nullptr), 0);
    EXPECT_EQ(GetBigEndian32(nullptr), 0u);
}

}  // namespace
