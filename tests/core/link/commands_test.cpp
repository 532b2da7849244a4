#include "core/link/commands.h"

#include <gtest/gtest.h>


namespace {

TEST(CommandName, NamedCodesAndUnknownOnes)
{
    struct Case {
        int code;
        const char* name;  // nullptr: not a command
    };
    const Case cases[] = {
        {129, "StatusRequestCommand"}, {130, "ReadBlockCommand"}, {131, "WriteBlockCommand"},
        {140, "IdentifyCommand"},      {160, "SetTimeCommand"},   {172, "DisarmCommand"},
        {0, nullptr},                  {128, nullptr},            {141, nullptr},
        {173, nullptr},                {255, nullptr},
    };
    for (const Case& c : cases) {
        const char* name = CommandName(static_cast<std::uint8_t>(c.code));
        if (c.name == nullptr) {
            EXPECT_EQ(name, nullptr) << c.code;
        } else {
            EXPECT_STREQ(name, c.name) << c.code;
        }
    }
    EXPECT_STREQ(CommandName(CommandByte(CommandCode::DisarmCommand)), "DisarmCommand");
}

}  // namespace
