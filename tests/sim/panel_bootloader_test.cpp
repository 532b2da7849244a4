// The software panel's bootloader, driven with the frames a tool sends.
// Images come from the tool's own builder, so the panel's separate reader
// and descrambler are checked against it.

#include <gtest/gtest.h>

#include <string>

#include "core/firmware/image_builder.h"
#include "sim/panel_test_support.h"
#include "sim/virtual_panel.h"

using panel_test::Bytes;
using panel_test::Frames;

namespace {

constexpr uint8_t kFirmwareId = 0x31;

ImagePlan Plan(uint16_t count = 3)
{
    ImagePlan plan;
    plan.modelCode = 51;
    plan.firmwareId = kFirmwareId;
    plan.packetCount = count;
    return plan;
}

// The panel's frames as text, one "type:payload bytes" per frame, so a
// whole exchange reads as one line: "134:" "9:31 0 1" "10:1".
std::string Said(const Bytes& bytes)
{
    std::string text;
    for (const sim::DecodedFrame& frame : Frames(bytes)) {
        if (!text.empty()) text += " | ";
        text += std::to_string(frame.type) + ":";
        for (size_t i = 0; i < frame.payload.size(); ++i) {
            text += (i ? " " : "") + std::to_string(frame.payload[i]);
        }
    }
    return text;
}

Bytes Start(uint16_t count) { return sim::EncodeFrame(144, {kFirmwareId, 0, static_cast<uint8_t>(count), 0x01, 0x00}); }

// The tool's answer to a request for packet n of the plan.
Bytes PacketFrame(const ImagePlan& plan, uint16_t n, uint8_t firmwareId = kFirmwareId)
{
    const ImagePacket packet = MakeImagePackets(plan)[n - 1];
    Bytes payload = {firmwareId, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
    for (int shift = 24; shift >= 0; shift -= 8) payload.push_back(static_cast<uint8_t>(packet.packetTag >> shift));
    payload.push_back(static_cast<uint8_t>(packet.dataLength));
    payload.insert(payload.end(), packet.packetData.begin(), packet.packetData.begin() + packet.dataLength);
    return sim::EncodeFrame(145, payload);
}

// A panel in the bootloader, the start confirmed and packet 1 asked for.
struct Transfer {
    explicit Transfer(const ImagePlan& plan = Plan()) : plan(plan), panel(Options())
    {
        EXPECT_EQ(Said(panel.Feed(sim::EncodeFrame(147))), "134:");
        EXPECT_EQ(Said(panel.Feed(Start(plan.packetCount))), "9:49 0 1");
    }
    static VirtualPanel::Options Options()
    {
        VirtualPanel::Options options;
        options.model = 51;
        options.version = 0x12;
        return options;
    }
    std::string Identify() { return Said(panel.Feed(sim::EncodeFrame(140))); }
    // The version byte in the common header of a status page.
    int StatusVersion()
    {
        const auto frames = Frames(panel.Feed(sim::EncodeFrame(sim::kStatusRequestCommand, {1})));
        return frames.size() == 1 && frames[0].payload.size() > 2 ? frames[0].payload[2] : -1;
    }

    ImagePlan plan;
    VirtualPanel panel;
};

TEST(PanelBootloader, WholeUpdateInOrder)
{
    Transfer t;
    EXPECT_EQ(t.Identify(), "7:51 18 120 163 246 237");  // still answered in the bootloader
    EXPECT_EQ(t.StatusVersion(), 0x12);
    EXPECT_EQ(Said(t.panel.Tick()), "9:49 0 1");
    EXPECT_EQ(Said(t.panel.Feed(PacketFrame(t.plan, 1))), "9:49 0 2");
    EXPECT_EQ(Said(t.panel.Feed(PacketFrame(t.plan, 2))), "9:49 0 3");
    EXPECT_EQ(Said(t.panel.Feed(PacketFrame(t.plan, 3))), "10:1 | 10:5");
    EXPECT_EQ(t.panel.Version(), kFirmwareId);
    EXPECT_EQ(t.Identify(), "7:51 49 120 163 246 237");
    EXPECT_EQ(t.StatusVersion(), kFirmwareId) << "the status pages tell the version the identification tells";
    EXPECT_EQ(t.panel.Bootloader().AnnouncedImageWord(), 0x0100);

    const auto packets = MakeImagePackets(t.plan);
    ASSERT_EQ(t.panel.Bootloader().PacketsReceived(), 3u);
    for (size_t n = 0; n < 3; ++n) {
        EXPECT_EQ(t.panel.Bootloader().Received()[n].tag, packets[n].packetTag);
        EXPECT_EQ(t.panel.Bootloader().Received()[n].data,
                  Bytes(packets[n].packetData.begin(), packets[n].packetData.begin() + packets[n].dataLength));
    }
    EXPECT_TRUE(t.panel.Tick().empty());
}

TEST(PanelBootloader, UnansweredRequestIsAskedAgainEverySecondTick)
{
    Transfer t;
    EXPECT_EQ(Said(t.panel.Tick()), "9:49 0 1");
    EXPECT_EQ(Said(t.panel.Tick()), "");
    EXPECT_EQ(Said(t.panel.Tick()), "9:49 0 1");
    // A repeated request answered twice: the second copy is ignored.
    EXPECT_EQ(Said(t.panel.Feed(PacketFrame(t.plan, 1))), "9:49 0 2");
    EXPECT_EQ(Said(t.panel.Feed(PacketFrame(t.plan, 1))), "");
    EXPECT_EQ(Said(t.panel.Feed(PacketFrame(t.plan, 2))), "9:49 0 3");
}

TEST(PanelBootloader, PacketsThatFailTheChecksEndWithResultTwo)
{
    struct Case {
        const char* name;
        Bytes packet;
    };
    Bytes longer = PacketFrame(Plan(), 1);
    Bytes shortLength = Frames(longer)[0].payload;
    shortLength[7] -= 1;
    Bytes wrongTag = Frames(longer)[0].payload;
    wrongTag[6] ^= 1;
    Bytes wrongData = Frames(longer)[0].payload;
    wrongData[100] ^= 1;
    const Case cases[] = {
        {"wrong firmware ID", PacketFrame(Plan(), 1, kFirmwareId + 1)},
        {"a number not asked for", PacketFrame(Plan(), 2)},
        {"length byte not the data's", sim::EncodeFrame(145, shortLength)},
        {"wrong tag", sim::EncodeFrame(145, wrongTag)},
        {"wrong data", sim::EncodeFrame(145, wrongData)},
        {"too short to be a packet", sim::EncodeFrame(145, {kFirmwareId, 0, 1})},
    };
    for (const Case& c : cases) {
        Transfer t;
        std::string error;
        t.panel.Bootloader().ExpectImage(*sim::ReadExpectedImage(ImageFileBytes(t.plan), &error));
        t.panel.Tick();
        EXPECT_EQ(Said(t.panel.Feed(c.packet)), "10:2") << c.name;
        EXPECT_EQ(t.panel.Version(), 0x12) << c.name;
        EXPECT_TRUE(t.panel.Tick().empty()) << c.name;
    }
}

TEST(PanelBootloader, Faults)
{
    struct Case {
        const char* name;
        void (*arm)(sim::PanelBootloader&);
        const char* firstRequest;  // after the first tick
        const char* afterPackets;  // answers to packets 1, 2, 3 fed in order, each "|"-joined
    };
    const Case cases[] = {
        {"final result 4", [](sim::PanelBootloader& b) { b.SetFinalResult(4); }, "9:49 0 1", "9:49 0 2 / 9:49 0 3 / 10:4"},
        {"stops after packet 2", [](sim::PanelBootloader& b) { b.StopAskingAfter(2); }, "9:49 0 1", "9:49 0 2 /  / "},
        {"wrong firmware ID", [](sim::PanelBootloader& b) { b.SetWrongFirmwareId(true); }, "9:107 0 1", ""},
        {"number out of range", [](sim::PanelBootloader& b) { b.SetRequestedNumber(2615); }, "9:49 10 55", ""},
        {"descending order", [](sim::PanelBootloader& b) { b.SetDescendingOrder(true); }, "9:49 0 3", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualPanel panel;
        c.arm(panel.Bootloader());
        panel.Feed(sim::EncodeFrame(147));
        panel.Feed(Start(3));
        EXPECT_EQ(Said(panel.Tick()), c.firstRequest);
        if (*c.afterPackets == '\0') continue;
        std::string after;
        for (uint16_t n = 1; n <= 3; ++n) after += (n > 1 ? " / " : "") + Said(panel.Feed(PacketFrame(Plan(), n)));
        EXPECT_EQ(after, c.afterPackets);
        EXPECT_TRUE(panel.Tick().empty());
        EXPECT_TRUE(panel.Tick().empty());
    }

    // Descending: 3, 2, 1, then the results.
    VirtualPanel panel;
    panel.Bootloader().SetDescendingOrder(true);
    panel.Feed(sim::EncodeFrame(147));
    EXPECT_EQ(Said(panel.Feed(Start(3))), "9:49 0 3");
    panel.Tick();
    EXPECT_EQ(Said(panel.Feed(PacketFrame(Plan(), 3))), "9:49 0 2");
    EXPECT_EQ(Said(panel.Feed(PacketFrame(Plan(), 2))), "9:49 0 1");
    EXPECT_EQ(Said(panel.Feed(PacketFrame(Plan(), 1))), "10:1 | 10:5");

    // Silent: the bootloader neither answers nor asks.
    Transfer silent;
    silent.panel.SetSilent(true);
    EXPECT_TRUE(silent.panel.Tick().empty());
    EXPECT_TRUE(silent.panel.Feed(PacketFrame(silent.plan, 1)).empty());
}

TEST(PanelBootloader, StartOutsideTheBootloaderAndCancel)
{
    VirtualPanel panel;
    EXPECT_EQ(Said(panel.Feed(Start(3))), "149:");
    panel.Feed(sim::EncodeFrame(147));
    EXPECT_EQ(Said(panel.Feed(sim::EncodeFrame(144, {kFirmwareId, 0, 3}))), "149:");

    Transfer t;
    t.panel.Tick();
    EXPECT_EQ(Said(t.panel.Feed(sim::EncodeFrame(147))), "134:");  // cancel
    EXPECT_TRUE(t.panel.Tick().empty());
    EXPECT_TRUE(t.panel.Tick().empty());
    EXPECT_TRUE(t.panel.Feed(PacketFrame(t.plan, 1)).empty());

    // An empty image finishes at the first tick.
    Transfer none(Plan(0));
    EXPECT_EQ(Said(none.panel.Tick()), "10:1 | 10:5");
}

TEST(PanelBootloader, ReadsImageFilesOfTheTool)
{
    const ImagePlan plan = Plan(4);
    std::string error;
    const auto packets = sim::ReadExpectedImage(ImageFileBytes(plan), &error);
    ASSERT_TRUE(packets) << error;
    const auto plain = MakeImagePackets(plan);
    ASSERT_EQ(packets->size(), 4u);
    for (size_t n = 0; n < 4; ++n) {
        EXPECT_EQ((*packets)[n].tag, plain[n].packetTag);
        EXPECT_EQ((*packets)[n].data, Bytes(plain[n].packetData.begin(), plain[n].packetData.begin() + plain[n].dataLength));
    }
    Bytes cut = ImageFileBytes(plan);
    cut.pop_back();
    EXPECT_FALSE(sim::ReadExpectedImage(cut, &error));
    EXPECT_FALSE(sim::ReadExpectedImage(Bytes(27, 0), &error));
}

}  // namespace
