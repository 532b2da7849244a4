#include "core/link/link_supervision.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum class Answers { Every, FirstOnly, Never };

// One run: the port opens at tick 0 and the panel answers (or not) each
// request before the next tick. Per tick 1..N the timeline shows the tick's
// effects ('.' none, 'r' request, 'b' blank, 'x' both) and whether writes
// would go out right after it ('C' connected, '-' refused).
struct Scenario {
    const char* name;
    std::uint8_t model;
    Answers answers;
    int closeAfterTick;  // 0: the port stays open
    const char* effects;
    const char* connected;
};

struct Timeline {
    std::string effects;
    std::string connected;
};

Timeline RunScenario(const Scenario& s)
{
    LinkSupervision link;
    int answered = 0;
    auto deliver = [&] {
        if (s.answers == Answers::Never || (s.answers == Answers::FirstOnly && answered > 0)) return;
        ++answered;
        link.OnIdentification({s.model, 0x12, 1234});
    };

    link.OnOpenRequested();
    EXPECT_EQ(link.OnPortOpened(), MakeOutgoing(CommandCode::IdentifyCommand));
    deliver();

    Timeline t;
    const int ticks = static_cast<int>(std::string(s.effects).size());
    for (int tick = 1; tick <= ticks; ++tick) {
        const auto fx = link.Tick();
        if (fx.send) {
            EXPECT_EQ(*fx.send, MakeOutgoing(CommandCode::IdentifyCommand));
        }
        t.effects += fx.send ? (fx.blankIdentification ? 'x' : 'r') : (fx.blankIdentification ? 'b' : '.');
        t.connected += link.IsEquipmentConnected() ? 'C' : '-';
        if (fx.send) deliver();
        if (tick == s.closeAfterTick) link.OnPortClosed();
    }
    return t;
}

TEST(LinkSupervision, TickTimeline)
{
    const Scenario scenarios[] = {
        // The fifth tick after an answer blanks it, and the same tick asks again.
        {"panel answering every request", 37, Answers::Every, 0, "....x....x....x", "CCCC-CCCC-CCCC-"},
        {"panel falls silent after one answer", 51, Answers::FirstOnly, 0, "....x....r....r", "CCCC-----------"},
        {"no panel on the line", 56, Answers::Never, 0, "....r....r....r", "---------------"},
        // A close stops the requests; the last answer (tick 5) still expires.
        {"port closed after tick 7", 37, Answers::Every, 7, "....x....b.....", "CCCC-CCCC------"},
        // Shown but never live, so never blanked either.
        {"unsupported model answering", 30, Answers::Every, 0, "....r....r....r", "---------------"},
    };
    for (const Scenario& s : scenarios) {
        const Timeline t = RunScenario(s);
        EXPECT_EQ(t.effects, s.effects) << s.name;
        EXPECT_EQ(t.connected, s.connected) << s.name;
    }
}

TEST(LinkSupervision, ClosedPortSendsNothing)
{
    LinkSupervision link;
    for (int tick = 0; tick < 12; ++tick) {
        const auto fx = link.Tick();
        EXPECT_FALSE(fx.send);
        EXPECT_FALSE(fx.blankIdentification);
    }
}

TEST(LinkSupervision, IdentificationStateAndReopen)
{
    LinkSupervision link;
    link.OnPortOpened();
    EXPECT_FALSE(link.OnIdentification({30, 0x21, 77}));
    EXPECT_EQ(link.ModelCode(), 30);
    EXPECT_FALSE(link.IdentShown());

    EXPECT_TRUE(link.OnIdentification({51, 0x13, 0x80000001u}));
    EXPECT_TRUE(link.IdentShown());
    EXPECT_EQ(link.IdentValidCountdown(), LinkSupervision::kIdentValidTicks);
    EXPECT_EQ(link.FirmwareVersion(), 0x13);
    EXPECT_EQ(link.SerialNumber(), 0x80000001u);
    EXPECT_TRUE(link.IsEquipmentConnected());

    // Opening again forgets the model at once, before any tick.
    link.OnPortClosed();
    EXPECT_TRUE(link.IsEquipmentConnected());
    link.OnOpenRequested();
    EXPECT_FALSE(link.IsEquipmentConnected());
    EXPECT_EQ(link.ModelCode(), 0);
    EXPECT_EQ(link.FirmwareVersion(), 0);
}

}  // namespace
