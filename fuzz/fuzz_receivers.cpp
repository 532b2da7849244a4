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
{
    receivers_.link = this;
    receivers_.diagnostic = this;
    receivers_.rfSensors = this;
    receivers_.firmwareUpdate = this;
    receivers_.enrolment = this;
    // An image loaded and a run started, so packet requests and results
    // reach the parts of the update that serve and judge them.
    MemoryByteSource source(ImageFileBytes(ImagePlan{}));
    image_.Load(&source, "fuzz.bin");
    update_.OnIdentification(ImagePlan{}.modelCode, 0x12);
    update_.OnStartCancelClick(true);
    supervision_.OnOpenRequested();
    supervision_.OnPortOpened();
}

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
    g_sink = static_cast<std::uint8_t>(update_.OnPacketRequest(payload, length).send.has_value());
}

void FuzzReceivers::OnUpdateResult(const std::uint8_t* payload, std::uint8_t length)
{
    g_sink = static_cast<std::uint8_t>(update_.OnUpdateResult(payload, length).send.has_value());
}

void FuzzReceivers::OnRfCodeReport(const std::uint8_t* payload, std::uint8_t length)
{
    enrolment_.OnRfCodeReport(payload, length);
}
