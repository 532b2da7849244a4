#include "fuzz_receivers.h"

#include <cstdlib>
#include <optional>

#include "core/firmware/image_builder.h"
#include "core/rf/rf_sensor_record.h"
#include "core/config/actuator_blocks.h"
#include "core/config/alarm_blocks.h"
#include "core/config/keypad_blocks.h"
#include "core/config/modem_blocks.h"
#include "core/config/network_blocks.h"
#include "core/config/panel_rules_blocks.h"
#include "core/config/safe_blocks.h"
#include "core/config/sensor_blocks.h"
#include "core/diagnostics/status_pages.h"
#include "core/panel/block_table.h"
#include "core/panel/device_identity.h"

namespace {

volatile std::uint8_t g_sink;
std::size_t g_packetsServed = 0;

const EnrolmentSettings& Settings()
{
    static const EnrolmentSettings settings{SensorKind::KeyFob, {0, 1, 2}, "3", ""};
    return settings;
}

// The machines as every input finds them. Built once: loading the image is
// what a fresh build per input paid for most.
struct Scene {
    FirmwareImage image;
    UpdateMachine update{image};
    EnrolmentMachine enrolment;
    LinkSupervision supervision;

    Scene()
    {
        const ImagePlan plan;
        MemoryByteSource source(ImageFileBytes(plan));
        if (!image.Load(&source, "fuzz.bin").accepted) std::abort();
        // The update through its start, as the device would drive it:
        // bootloader, identification, the start confirmed.
        update.OnStartCancelClick(true);
        update.TimeoutTick();
        update.Tick();
        update.OnIdentification(plan.modelCode, 0x12);
        update.Tick();
        update.OnAck();
        update.Tick();
        if (update.State() != UpdateState::SendingPackets) std::abort();
        // The enrolment listening: started, its start command acknowledged.
        enrolment.Start(Settings());
        enrolment.Tick(Settings());
        enrolment.OnAck();
        enrolment.Tick(Settings());
        if (enrolment.CurrentState() != EnrolmentMachine::AwaitFirst) std::abort();
        supervision.OnOpenRequested();
        supervision.OnPortOpened();
    }
};

const Scene& SharedScene()
{
    static const Scene scene;
    return scene;
}

}  // namespace

bool DecodeBlockAnswer(const std::uint8_t* payload, std::size_t length)
{
    if (payload == nullptr || length == 0) return false;
    switch (static_cast<BlockId>(payload[0])) {
    case BlockId::IpAddressesAndPorts: return UnpackServerAddresses(payload, length).has_value();
    case BlockId::PollingInterval: return UnpackPollingIntervals(payload, length).has_value();
    case BlockId::WifiNetwork: {
        const WifiAnswer answer = UnpackWifiNetwork(payload, length);
        (void)answer;
        return true;
    }
    case BlockId::SimcardData: return UnpackSimcardDataInterval(payload, length).has_value();
    case BlockId::Actuators:
    case BlockId::Siren:
    case BlockId::CommonActuator:
    case BlockId::Buzzer:
        // The actuator page tries each of its codecs in turn.
        return UnpackActuatorTypes(payload, length) || UnpackSiren(payload, length) ||
               UnpackCommonOutputs(payload, length) || UnpackBuzzer(payload, length);
    case BlockId::WiredSensors: return UnpackWiredSensors(payload, length).has_value();
    case BlockId::PanelRules: return UnpackPanelRules(payload, length).has_value();
    case BlockId::KeypadAddress: return UnpackKeypadAddress(payload, length).has_value();
    case BlockId::KeypadPartition: return UnpackKeypadPartitions(payload, length).has_value();
    case BlockId::SafeFunction: {
        const std::optional<SafeFunction> safe = UnpackSafeFunction(payload, length);
        if (!safe) return false;
        // The page shows both temperature words as text.
        g_sink = static_cast<std::uint8_t>(DecodeTemperature(safe->maxTemperature).size() +
                                           DecodeTemperature(safe->minTemperature).size());
        return true;
    }
    case BlockId::AlarmFunction: return UnpackAlarmFunction(payload, length).has_value();
    default: return false;
    }
}

FuzzReceivers::FuzzReceivers()
    : supervision_(SharedScene().supervision), update_(SharedScene().update), enrolment_(SharedScene().enrolment)
{
    receivers_.link = this;
    receivers_.diagnostic = this;
    receivers_.rfSensors = this;
    receivers_.firmwareUpdate = this;
    receivers_.enrolment = this;
}

void FuzzReceivers::Tick()
{
    supervision_.Tick();
    update_.TimeoutTick();
    if (updatePending_) update_.Tick();
    updatePending_ = false;
    enrolment_.Tick(Settings());
}

std::size_t FuzzReceivers::PacketsServed() { return g_packetsServed; }

void FuzzReceivers::SetWritePending(bool pending)
{
    if (pending) {
        answers_.OnWriteSent();
    } else {
        answers_.OnReadSent();
    }
}

void FuzzReceivers::HandleConfigResponse(const std::uint8_t* payload, std::uint8_t length)
{
    const BlockEntry* entry = ConfigAnswerHandling::AcceptedBlock(payload, length);
    if (!entry) return;
    // Only an accepted answer reaches a page's fill step, and it must decode.
    if (BlockByte(entry->id) != payload[0]) std::abort();
    DecodeBlockAnswer(payload, length);
}

void FuzzReceivers::HandleIdentification(const std::uint8_t* payload, std::uint8_t length)
{
    const std::optional<Identification> identity = ParseIdentification(payload, length);
    if (!identity) return;
    supervision_.OnIdentification(*identity);
    g_sink = static_cast<std::uint8_t>(IdentificationText(*identity).size());
}

void FuzzReceivers::HandleAckStatus()
{
    g_sink = answers_.OnAck() == AckMeaning::WriteAccepted ? 1 : 0;
}

void FuzzReceivers::HandleNackStatus() { g_sink = answers_.OnNack() == NackMeaning::WriteRefused ? 1 : 0; }

void FuzzReceivers::OnStatusFrame(const std::uint8_t* payload, std::uint16_t length)
{
    const StatusFrameResult result = DecodeStatusFrame(payload, length);
    g_sink = result.header ? result.header->pageCode : 0;
}

void FuzzReceivers::OnRfSensorRecord(const std::uint8_t* payload, std::uint16_t length)
{
    if (const std::optional<RfSensorRecord> record = UnpackRfSensorRecord(payload, length)) {
        g_sink = static_cast<std::uint8_t>(record->serial);
    }
}

void FuzzReceivers::OnPacketRequest(const std::uint8_t* payload, std::uint8_t length)
{
    updatePending_ = true;
    const bool served = update_.OnPacketRequest(payload, length).send.has_value();
    g_packetsServed += served ? 1 : 0;
    g_sink = static_cast<std::uint8_t>(served);
}

void FuzzReceivers::OnUpdateResult(const std::uint8_t* payload, std::uint8_t length)
{
    updatePending_ = true;
    g_sink = static_cast<std::uint8_t>(update_.OnUpdateResult(payload, length).send.has_value());
}

void FuzzReceivers::OnRfCodeReport(const std::uint8_t* payload, std::uint8_t length)
{
    enrolment_.OnRfCodeReport(payload, length);
}
