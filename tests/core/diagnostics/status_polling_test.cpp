#include "core/diagnostics/status_polling.h"

#include <gtest/gtest.h>

#include <string>

#include "core/diagnostics/arm_request.h"
#include "core/diagnostics/status_tabs.h"

namespace {

// Runs the polling for a number of ticks on one tab, starting from a last
// page, and lists what went out ("-" for a tick that sends nothing).
std::string Requests(int tab, std::uint8_t last, int ticks)
{
    std::string sent;
    for (int i = 0; i < ticks; ++i) {
        const auto page = NextStatusPage(tab, last);
        if (!sent.empty()) sent += ' ';
        if (!page) {
            sent += '-';
            continue;
        }
        sent += std::to_string(*page);
        last = *page;
    }
    return sent;
}

TEST(NextStatusPage, TicksPerTab)
{
    const struct {
        int tab;
        std::uint8_t last;
        const char* sent;
    } cases[] = {
        {0, 0, "1 16 1 16 1 16"},  // program start
        {0, kPageAfterTabChange, "16 1 16 1 16 1"},
        {0, 8, "1 16 1 16 1 16"},
        {1, kPageAfterTabChange, "5 8 1 5 8 1"},
        {1, 16, "1 5 8 1 5 8"},
        {12, kPageAfterTabChange, "22 23 24 22 23 24"},
        {12, 23, "24 22 23 24 22 23"},
        {2, kPageAfterTabChange, "10 10 10 10 10 10"},
        {3, 10, "6 6 6 6 6 6"},
        {6, 0, "27 27 27 27 27 27"},
        {11, 0, "21 21 21 21 21 21"},
        {13, 0, "25 25 25 25 25 25"},
        {4, 1, "- - - - - -"},
        {5, 1, "- - - - - -"},
        {7, 1, "- - - - - -"},
        {8, 1, "- - - - - -"},
        {9, 1, "- - - - - -"},
        {10, 1, "- - - - - -"},
        {-1, 1, "- - - - - -"},
        {14, 1, "- - - - - -"},
    };
    for (const auto& c : cases) EXPECT_EQ(Requests(c.tab, c.last, 6), c.sent) << "tab " << c.tab << " after " << int{c.last};
}

TEST(StatusPolling, TicksFollowTheSelectedTab)
{
    StatusPolling polling;
    std::string sent;
    const auto tick = [&] {
        const std::optional<Outgoing> request = polling.Tick();
        if (!sent.empty()) sent += ' ';
        sent += request ? std::to_string(request->payload.at(0)) : "-";
        if (request) {
            EXPECT_EQ(request->command, 129);
        }
    };
    tick();  // program start: the first tab from nothing asked
    tick();
    polling.SelectTab(1);
    tick();
    tick();
    polling.Restart();  // the log switched: the cycle starts over
    tick();
    polling.SelectTab(5);
    tick();
    EXPECT_EQ(sent, "1 16 5 8 5 -");
    EXPECT_EQ(polling.LastPageRequested(), kPageAfterTabChange);
}

TEST(TabPages, EachTabsCycleOnce)
{
    EXPECT_EQ(TabPages(0), (std::vector<std::uint8_t>{16, 1}));
    EXPECT_EQ(TabPages(1), (std::vector<std::uint8_t>{5, 8, 1}));
    EXPECT_EQ(TabPages(2), (std::vector<std::uint8_t>{10}));
    EXPECT_EQ(TabPages(12), (std::vector<std::uint8_t>{22, 23, 24}));
    EXPECT_TRUE(TabPages(4).empty());
}

// A tab shows live values exactly when it polls pages.
TEST(StatusTabs, EveryTabWithFieldsPollsAndNoOtherDoes)
{
    ASSERT_EQ(StatusTabs().size(), static_cast<std::size_t>(kDebugTabCount));
    for (int tab = 0; tab < kDebugTabCount; ++tab) {
        EXPECT_EQ(StatusTabs()[static_cast<std::size_t>(tab)].fields.empty(), TabPages(tab).empty()) << tab;
    }
    EXPECT_EQ(StatusTabs()[13].caption, "Partições teclado");
    EXPECT_EQ(ShownSignalBars({"ImageSinal4", std::nullopt, std::nullopt, true}), 4);
    EXPECT_EQ(ShownSignalBars({"ImageSemSinal", std::nullopt, std::nullopt, true}), 0);
    EXPECT_EQ(ShownSignalBars({"ImageSinal4", std::nullopt, std::nullopt, false}), -1);
    EXPECT_EQ(ShownSignalBars({"LabelStatusAba2_5", std::string("17"), std::nullopt, std::nullopt}), -1);
}

TEST(ArmRequest, CommandThenCodeAsSixteenBitsThenPartition)
{
    const struct {
        bool arm;
        std::int32_t code;
        std::uint8_t partition;
        Outgoing sent;
    } cases[] = {
        {true, 1234, 1, {171, {0x04, 0xD2, 1}}},
        {false, 1234, 1, {172, {0x04, 0xD2, 1}}},
        {true, 65535, 3, {171, {0xFF, 0xFF, 3}}},
        {false, 65536 + 7, 2, {172, {0x00, 0x07, 2}}},
        {true, -1, 2, {171, {0xFF, 0xFF, 2}}},
    };
    for (const auto& c : cases) EXPECT_EQ(ArmRequest(c.arm, c.code, c.partition), c.sent) << c.code;
}

TEST(StatusPageRequest, ThePageAlone)
{
    EXPECT_EQ(StatusPageRequest(16), (Outgoing{129, {16}}));
}

}  // namespace
