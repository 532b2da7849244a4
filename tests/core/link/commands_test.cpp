#include "core/link/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(CommandName, TwelveNamedCodesInTheTopHalf)
{
    std::set<std::string> names;
    for (int code = 0; code < 256; ++code) {
        const char* name = CommandName(static_cast<std::uint8_t>(code));
        if (name == nullptr) continue;
        EXPECT_GE(code, 129) << name;
        EXPECT_LE(code, 172) << name;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 12u);
    EXPECT_STREQ(CommandName(140), "IdentifyCommand");
    EXPECT_STREQ(CommandName(CommandByte(CommandCode::DisarmCommand)), "DisarmCommand");
    EXPECT_EQ(CommandName(141), nullptr);
}

}  // namespace
