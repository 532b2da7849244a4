// The numbering rule shared by every platform.

#include <gtest/gtest.h>

#include "ports/port_catalogue.h"

namespace {

TEST(LowestFreeComNumber, SkipsTakenNumbers)
{
    std::vector<int> all;
    for (int n = 1; n <= 255; ++n) {
        all.push_back(n);
    }
    const std::vector<std::pair<std::vector<int>, int>> cases = {
        {{}, 1}, {{2, 5}, 1}, {{1, 2, 4}, 3}, {{3, 1, 2}, 4}, {all, 0},
    };
    for (const auto& [taken, expected] : cases) {
        EXPECT_EQ(LowestFreeComNumber(taken), expected);
    }
}

}  // namespace
