// The software panel's answers, from the bytes the tool sends.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "sim/panel_test_support.h"
#include "sim/panel_trace.h"
#include "sim/virtual_panel.h"

using panel_test::Bytes;
using panel_test::Frames;

namespace {

VirtualPanel::Options Model(uint8_t model)
{
    VirtualPanel::Options options;
    options.model = model;
    return options;
}

const Bytes kIdentifyRequest = {0xDF, 0x04, 0x8C, 0x9C, 0xC0, 0xFD};
const Bytes kAck = {0xDF, 0x04, 0x86, 0x3D, 0x8A, 0xFD};
const Bytes kNack = {0xDF, 0x04, 0x95, 0x1F, 0xD8, 0xFD};

Bytes Read(uint8_t id) { return sim::EncodeFrame(130, {id}); }
Bytes Write(const Bytes& block) { return sim::EncodeFrame(131, block); }

}  // namespace

TEST(VirtualPanel, IdentifiesItselfByteExact)
{
    struct Case {
        VirtualPanel::Options options;
        Bytes answer;
    };
    VirtualPanel::Options other;
    other.model = 56;
    other.version = 0xFF;
    other.serial = 0x80000001;
    const std::vector<Case> cases = {
        {{}, {0xDF, 0x0A, 0x07, 0x33, 0x12, 0x78, 0xA3, 0xF6, 0xED, 0x9F, 0x13, 0xFD}},
        {Model(37), {0xDF, 0x0A, 0x07, 0x25, 0x12, 0x78, 0xA3, 0xF6, 0xED, 0x08, 0x76, 0xFD}},
        {other, sim::EncodeFrame(7, {56, 0xFF, 0x80, 0x00, 0x00, 0x01})},
    };
    for (const Case& c : cases) {
        VirtualPanel panel(c.options);
        EXPECT_EQ(panel.Feed(kIdentifyRequest), c.answer) << int(c.options.model);
    }
}

TEST(VirtualPanel, ReadsAnswerEveryBlockInItsModelsForm)
{
    // Byte-exact for one block, against an independently computed frame.
    VirtualPanel panel;
    EXPECT_EQ(panel.Feed({0xDF, 0x05, 0x82, 0x02, 0xB6, 0x48, 0xFD}),
              (Bytes{0xDF, 0x09, 0x02, 0x02, 0x01, 0x2C, 0x00, 0x3C, 0x96, 0xC3, 0xFD}));

    struct Case {
        uint8_t model;
        uint8_t id;
        size_t length;
    };
    const std::vector<Case> cases = {
        {51, 1, 25},  {51, 2, 5},   {51, 3, 3},   {56, 3, 4},   {37, 3, 3},   {51, 12, 5},  {37, 17, 3},  {51, 17, 5},
        {56, 17, 5},  {37, 23, 21}, {51, 23, 31}, {56, 23, 31}, {51, 24, 6},  {51, 25, 3},
        {51, 26, 2},  {51, 38, 4},  {51, 39, 2},  {51, 40, 9},  {51, 41, 12}, {51, 42, 3},
    };
    for (const Case& c : cases) {
        VirtualPanel panel(Model(c.model));
        const auto frames = Frames(panel.Feed(Read(c.id)));
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].type, 2);
        EXPECT_EQ(frames[0].payload.size(), c.length) << "model " << int(c.model) << " block " << int(c.id);
        EXPECT_EQ(frames[0].payload[0], c.id);
        EXPECT_EQ(frames[0].payload, panel.Block(c.id));
    }

    // The modem blocks have no fixed layout but must answer with their id;
    // the Wi-Fi block's factory value obeys its own inner lengths.
    for (const uint8_t id : {6, 7, 10, 13, 16}) {
        const auto frames = Frames(panel.Feed(Read(id)));
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].type, 2);
        ASSERT_FALSE(frames[0].payload.empty());
        EXPECT_EQ(frames[0].payload[0], id);
    }
    const Bytes wifi = *panel.Block(6);
    EXPECT_TRUE(sim::WifiBlockFits(wifi.data(), wifi.size()));
}

TEST(VirtualPanel, RefusesReadsOfWhatItDoesNotHold)
{
    VirtualPanel panel;
    panel.RemoveBlock(2);
    for (const Bytes& request : {Read(99), Read(0), Read(2), sim::EncodeFrame(130), sim::EncodeFrame(130, {1, 2})}) {
        EXPECT_EQ(panel.Feed(request), kNack) << sim::HexBytes(request);
    }
}

TEST(VirtualPanel, WritesAreCheckedAgainstTheBlockAndTheModel)
{
    struct Case {
        const char* name;
        uint8_t model;
        Bytes block;
        bool accepted;
    };
    const Bytes sensors21 = [] { Bytes b(21, 0); b[0] = 23; return b; }();
    const Bytes sensors31 = [] { Bytes b(31, 1); b[0] = 23; return b; }();
    const Bytes servers25 = [] { Bytes b(25, 7); b[0] = 1; return b; }();
    const Bytes servers24 = [] { Bytes b(24, 7); b[0] = 1; return b; }();
    const std::vector<Case> cases = {
        {"outputs, model 37, 3 bytes", 37, {17, 1, 2}, true},
        {"outputs, model 37, 5 bytes", 37, {17, 1, 2, 3, 4}, false},
        {"outputs, model 51, 3 bytes", 51, {17, 1, 2}, false},
        {"outputs, model 51, 5 bytes", 51, {17, 1, 2, 3, 4}, true},
        {"outputs, model 56, 5 bytes", 56, {17, 5, 4, 255, 255}, true},
        {"sensors, model 37, 4 records", 37, sensors21, true},
        {"sensors, model 37, 6 records", 37, sensors31, false},
        {"sensors, model 51, 4 records", 51, sensors21, false},
        {"sensors, model 56, 6 records", 56, sensors31, true},
        {"servers, 25 bytes", 51, servers25, true},
        {"servers, 24 bytes", 51, servers24, false},
        {"polling, 5 bytes", 51, {2, 0, 30, 0, 10}, true},
        {"polling, 4 bytes", 51, {2, 0, 30, 0}, false},
        {"RF long form, model 56", 56, {3, 26, 3, 43}, true},
        {"RF short form, model 56", 56, {3, 26, 3}, false},
        {"RF short form, model 51", 51, {3, 26, 3}, true},
        {"RF long form, model 37", 37, {3, 26, 3, 43}, false},
        {"alarm function", 51, {42, 0x7F, 0x3A}, true},
        {"keypad partition, 8 bytes", 51, {40, 1, 0, 0, 0, 0, 0, 0}, false},
        {"read-only SIM data block", 51, {12, 0, 0, 14, 16}, false},
        {"read-only jamming rules", 51, {16, 1}, false},
        {"unknown block", 51, {99, 1}, false},
        {"no block id at all", 51, {}, false},
    };
    for (const Case& c : cases) {
        VirtualPanel::Options options = Model(c.model);
        VirtualPanel panel(options);
        const uint8_t id = c.block.empty() ? 0 : c.block[0];
        const auto before = panel.Block(id);

        EXPECT_EQ(panel.Feed(Write(c.block)), c.accepted ? kAck : kNack) << c.name;
        EXPECT_EQ(panel.Block(id), c.accepted ? std::optional<Bytes>(c.block) : before) << c.name;
        if (c.accepted) {
            EXPECT_EQ(Frames(panel.Feed(Read(id))).at(0).payload, c.block) << c.name;
        }
    }
}

TEST(VirtualPanel, WifiWritesMustFillTheBlockExactly)
{
    auto wifi = [](size_t ssid, size_t password) {
        Bytes block = {6, static_cast<uint8_t>(ssid)};
        block.insert(block.end(), ssid, 'n');
        block.push_back(static_cast<uint8_t>(password));
        block.insert(block.end(), password, 'p');
        return block;
    };
    Bytes trailing = wifi(3, 8);
    trailing.push_back(0);
    Bytes ssidOverruns = wifi(3, 0);
    ssidOverruns[1] = 5;  // claims more name than the block holds
    struct Case {
        const char* name;
        Bytes block;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"both empty", {6, 0, 0}, true},
        {"3 + 8 characters", wifi(3, 8), true},
        {"39 + 39 characters", wifi(39, 39), true},
        {"name of 40", wifi(40, 1), false},
        {"password of 40", wifi(1, 40), false},
        {"a byte too many", trailing, false},
        {"name length past the end", ssidOverruns, false},
        {"no password length", {6, 0}, false},
        {"id alone", {6}, false},
    };
    for (const Case& c : cases) {
        VirtualPanel panel;
        const Bytes before = *panel.Block(6);
        EXPECT_EQ(panel.Feed(Write(c.block)), c.accepted ? kAck : kNack) << c.name;
        EXPECT_EQ(*panel.Block(6), c.accepted ? c.block : before) << c.name;
    }
}

TEST(VirtualPanel, SetTimeKeepsTheClockWithoutAnswering)
{
    VirtualPanel panel;
    EXPECT_FALSE(panel.ClockWasSet());
    // 2024-01-15 12:00:00 UTC
    EXPECT_TRUE(panel.Feed(sim::EncodeFrame(160, {0x65, 0xA5, 0x1E, 0x40})).empty());
    EXPECT_TRUE(panel.ClockWasSet());
    EXPECT_EQ(panel.ClockSeconds(), 1705320000u);
    panel.Tick();
    panel.Tick();
    EXPECT_EQ(panel.ClockSeconds(), 1705320002u);

    // A payload of the wrong size is not a time.
    EXPECT_TRUE(panel.Feed(sim::EncodeFrame(160, {0x00, 0x00, 0x10})).empty());
    EXPECT_EQ(panel.ClockSeconds(), 1705320002u);
    EXPECT_EQ(panel.CommandCount(160), 2u);
}

TEST(VirtualPanel, IgnoresBadCrcAndUnhandledCommandsButRecordsThem)
{
    VirtualPanel panel;
    Bytes corrupted = kIdentifyRequest;
    corrupted[3] ^= 0x10;
    const Bytes status = sim::EncodeFrame(129, {2});  // a page the panel does not report
    const Bytes stranger = sim::EncodeFrame(200);

    EXPECT_TRUE(panel.Feed(panel_test::Concat({corrupted, status, stranger})).empty());
    EXPECT_EQ(panel.BadCrcCount(), 1u);
    EXPECT_EQ(panel.CommandCount(140), 0u);
    EXPECT_EQ(panel.CommandCount(129), 1u);
    EXPECT_EQ(panel.CommandCount(200), 1u);
    ASSERT_EQ(panel.ReceivedFrames().size(), 3u);
    EXPECT_FALSE(panel.ReceivedFrames()[0].crcOk);
    EXPECT_EQ(panel.ReceivedFrames()[1].raw, status);
    EXPECT_EQ(panel.ReceivedFrames()[1].payload, Bytes{2});

    // Full, the log keeps the newest frames, oldest first, each whole.
    for (size_t n = 0; n < VirtualPanel::kReceivedLogSize; ++n) {
        panel.Feed(sim::EncodeFrame(200, Bytes(1 + n % 5, static_cast<uint8_t>(n))));
    }
    const auto& log = panel.ReceivedFrames();
    ASSERT_EQ(log.size(), VirtualPanel::kReceivedLogSize);
    EXPECT_EQ(log.front().raw, sim::EncodeFrame(200, Bytes{0}));
    for (const VirtualPanel::ReceivedFrame& frame : log) EXPECT_TRUE(frame.crcOk);
    EXPECT_EQ(log.back().raw, sim::EncodeFrame(200, Bytes(4, 63)));
    EXPECT_EQ(log[log.size() - 2].payload, Bytes(3, 62));
}

TEST(VirtualPanel, AnswersInOrderHoweverTheBytesArrive)
{
    const Bytes requests = panel_test::Concat({kIdentifyRequest, Read(2), Write({39, 5}), Read(39)});
    VirtualPanel whole;
    const Bytes expected = whole.Feed(requests);
    ASSERT_EQ(Frames(expected).size(), 4u);
    EXPECT_EQ(Frames(expected)[3].payload, (Bytes{39, 5}));

    VirtualPanel byByte;
    Bytes answers;
    for (const uint8_t byte : requests) {
        const Bytes out = byByte.Feed(&byte, 1);
        answers.insert(answers.end(), out.begin(), out.end());
    }
    EXPECT_EQ(answers, expected);
}

TEST(VirtualPanel, SurvivesGarbageAndAnswersAGoodFrameAfterIt)
{
    std::mt19937 random(20240115);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> kind(0, 5);
    VirtualPanel panel;
    Bytes stream;
    for (int piece = 0; piece < 4000; ++piece) {
        switch (kind(random)) {
        case 0:  // plain noise
            for (int i = byte(random) % 40; i > 0; --i) stream.push_back(static_cast<uint8_t>(byte(random)));
            break;
        case 1: {  // a frame cut short
            Bytes frame = Write({2, 0, 30, 0, 10});
            stream.insert(stream.end(), frame.begin(), frame.begin() + 1 + byte(random) % (frame.size() - 1));
            break;
        }
        case 2:  // the largest length, then not enough bytes
            stream.insert(stream.end(), {0xDF, 0xFF, 0x83});
            break;
        case 3:  // lengths that cannot hold a frame
            stream.insert(stream.end(), {0xDF, static_cast<uint8_t>(byte(random) % 4)});
            break;
        case 4: {  // a whole read of any block
            const Bytes frame = Read(static_cast<uint8_t>(byte(random)));
            stream.insert(stream.end(), frame.begin(), frame.end());
            break;
        }
        default: {  // a whole write of any block, any length; the Wi-Fi one with inner lengths that may lie
            Bytes block(static_cast<size_t>(byte(random) % 90), 0);
            for (uint8_t& b : block) b = static_cast<uint8_t>(byte(random));
            if (block.size() > 2 && byte(random) % 2 == 0) {
                block[0] = 6;
                block[1] = static_cast<uint8_t>(byte(random) % 45);
            }
            const Bytes frame = Write(block);
            stream.insert(stream.end(), frame.begin(), frame.end());
        }
        }
    }
    std::vector<uint8_t> heldBefore;
    for (int id = 0; id < 256; ++id) {
        if (panel.Block(static_cast<uint8_t>(id))) heldBefore.push_back(static_cast<uint8_t>(id));
    }
    size_t at = 0;
    size_t answered = 0;
    while (at < stream.size()) {
        const size_t take = std::min<size_t>(1 + byte(random) % 64, stream.size() - at);
        const Bytes out = panel.Feed(stream.data() + at, take);
        at += take;
        answered += out.size();
        for (const auto& frame : Frames(out)) {
            EXPECT_TRUE(frame.type == 2 || frame.type == 149 || frame.type == 134 || frame.type == 7);
        }
    }
    EXPECT_LE(panel.ReceivedFrames().size(), VirtualPanel::kReceivedLogSize);
    // At most one answer of at most 87 bytes per request of at least 6.
    EXPECT_LE(answered, stream.size() * 15);
    // Writes replace blocks but never add ids the panel did not hold.
    for (int id = 0; id < 256; ++id) {
        const bool held = std::find(heldBefore.begin(), heldBefore.end(), id) != heldBefore.end();
        EXPECT_EQ(panel.Block(static_cast<uint8_t>(id)).has_value(), held) << id;
    }

    // Whatever state the garbage left, a receive buffer's worth of non-start
    // bytes brings the receiver back to waiting, and the next request is answered.
    panel.Feed(Bytes(sim::kReceiveBufferSize, 0x00));
    EXPECT_EQ(Frames(panel.Feed(kIdentifyRequest)).size(), 1u);
}
