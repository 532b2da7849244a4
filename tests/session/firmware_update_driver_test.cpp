// The firmware update driver against the software panel in memory: the
// machine's 50 ms ticks, the one-second countdown and the panel's second
// are all driven by hand, so a whole update takes no real time.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "core/firmware/image_builder.h"
#include "session/firmware_update_driver.h"
#include "session_rig.h"

namespace session_test {
namespace {

constexpr int kNever = 3600 * 1000;

struct Update {
    Update(SessionRig& rig, const ImagePlan& plan) : rig_(rig), driver(rig.session, {.machineTickMs = kNever, .secondMs = kNever})
    {
        const std::vector<std::uint8_t> bytes = ImageFileBytes(plan);
        const QString path = dir_.filePath(QStringLiteral("image.bin"));
        std::ofstream(path.toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::string error;
        rig.Panel().Bootloader().ExpectImage(*sim::ReadExpectedImage(bytes, &error));
        loaded = driver.LoadImage(path).accepted;
        QObject::connect(&driver, &FirmwareUpdateDriver::Effects, [this](const UpdateEffects& fx) {
            if (fx.message) messages.push_back(fx.message->text);
        });
    }

    // Runs until the run ends or a step budget is spent: twenty machine
    // ticks a second, the panel's second with the tool's.
    void Run(int seconds, const std::function<void(int second)>& each = {})
    {
        for (int second = 0; second < seconds && driver.Machine().UpdateRunning(); ++second) {
            if (each) each(second);
            for (int tick = 0; tick < 20; ++tick) {
                driver.MachineTick();
                Drain(5);
            }
            driver.TimeoutTick();
            rig_.panel.Tick();
            Drain(5);
        }
    }

    SessionRig& rig_;
    QTemporaryDir dir_;
    FirmwareUpdateDriver driver;
    bool loaded = false;
    std::vector<std::string> messages;
};

TEST(FirmwareUpdateDriver, RunsToItsEnd)
{
    ImagePlan plan;
    plan.modelCode = 56;
    plan.firmwareId = 0x22;
    plan.packetCount = 30;
    const struct {
        const char* name;
        std::uint8_t panelModel;
        std::function<void(sim::PanelBootloader&)> fault;
        bool cancelWhenStalled;  // the user cancels once the panel stops asking
        std::vector<std::string> messages;
        std::size_t packets;  // sent to the panel
        std::uint8_t versionAfter;
    } cases[] = {
        {"a whole update", 56, {}, false, {"Versão nova OK."}, 30, 0x22},
        {"an image for another model", 51, {}, false, {kModelMismatchText}, 0, VirtualPanel::kDefaultVersion},
        {"the new version fails its check", 56, [](sim::PanelBootloader& b) { b.SetFinalResult(4); }, false,
         {"Erro gravação versão nova (CRC)."}, 30, VirtualPanel::kDefaultVersion},
        {"cancelled while packets flow", 56, [](sim::PanelBootloader& b) { b.StopAskingAfter(5); }, true,
         {"Atualização cancelada."}, 5, VirtualPanel::kDefaultVersion},
    };
    for (const auto& c : cases) {
        SessionRig rig({.model = c.panelModel});
        ASSERT_TRUE(rig.Connect()) << c.name;
        if (c.fault) c.fault(rig.Panel().Bootloader());
        Update update(rig, plan);
        ASSERT_TRUE(update.loaded) << c.name;
        update.driver.StartOrCancel();
        bool cancelled = false;
        update.Run(30, [&](int) {
            if (!c.cancelWhenStalled || cancelled || rig.Received(CommandCode::UpdatePacketCommand) < 5) return;
            update.driver.StartOrCancel();
            cancelled = true;
        });
        EXPECT_FALSE(update.driver.Machine().UpdateRunning()) << c.name;
        EXPECT_EQ(update.messages, c.messages) << c.name;
        EXPECT_EQ(rig.Received(CommandCode::UpdatePacketCommand), c.packets) << c.name;
        EXPECT_EQ(rig.Panel().Version(), c.versionAfter) << c.name;
    }
}

}  // namespace
}  // namespace session_test
