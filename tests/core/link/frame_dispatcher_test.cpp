#include "core/link/frame_dispatcher.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/link/link_test_frames.h"

using linktest::Bytes;
using linktest::Concat;
using linktest::Filled;
using linktest::MakeFrame;

namespace {

struct Call {
    std::string receiver;
    Bytes payload;

    bool operator==(const Call&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Call& call)
{
    os << call.receiver << "(" << call.payload.size() << " bytes)";
    return os;
}

using CallLog = std::vector<Call>;

// One recorder per role, all writing to a shared log so the order across
// receivers is visible.
class RecordingLink final : public LinkReceiver {
public:
    explicit RecordingLink(CallLog& log) : log_(log) {}
    void HandleConfigResponse(const std::uint8_t* p, std::uint8_t n) override { log_.push_back({"config", {p, p + n}}); }
    void HandleIdentification(const std::uint8_t* p, std::uint8_t n) override { log_.push_back({"ident", {p, p + n}}); }
    void HandleAckStatus() override { log_.push_back({"link.ack", {}}); }
    void HandleNackStatus() override { log_.push_back({"link.nack", {}}); }

private:
    CallLog& log_;
};

class RecordingDiagnostic final : public DiagnosticReceiver {
public:
    explicit RecordingDiagnostic(CallLog& log) : log_(log) {}
    void OnStatusFrame(const std::uint8_t* p, std::uint16_t n) override { log_.push_back({"status", {p, p + n}}); }

private:
    CallLog& log_;
};

class RecordingRfSensors final : public RfSensorReceiver {
public:
    explicit RecordingRfSensors(CallLog& log) : log_(log) {}
    void OnRfSensorRecord(const std::uint8_t* p, std::uint16_t n) override { log_.push_back({"rfRecord", {p, p + n}}); }

private:
    CallLog& log_;
};

class RecordingFirmwareUpdate final : public FirmwareUpdateReceiver {
public:
    explicit RecordingFirmwareUpdate(CallLog& log) : log_(log) {}
    void OnPacketRequest(const std::uint8_t* p, std::uint8_t n) override { log_.push_back({"packetRequest", {p, p + n}}); }
    void OnUpdateResult(const std::uint8_t* p, std::uint8_t n) override { log_.push_back({"updateResult", {p, p + n}}); }
    void OnUpdateAck() override { log_.push_back({"update.ack", {}}); }
    void OnUpdateNack() override { log_.push_back({"update.nack", {}}); }

private:
    CallLog& log_;
};

class RecordingEnrolment final : public EnrolmentReceiver {
public:
    explicit RecordingEnrolment(CallLog& log) : log_(log) {}
    void OnRfCodeReport(const std::uint8_t* p, std::uint8_t n) override { log_.push_back({"rfCode", {p, p + n}}); }
    void OnEnrolAck() override { log_.push_back({"enrol.ack", {}}); }
    void OnEnrolNack() override { log_.push_back({"enrol.nack", {}}); }

private:
    CallLog& log_;
};

class DispatchFixture {
protected:
    FrameReceivers AllReceivers() { return {&link, &diagnostic, &rfSensors, &firmwareUpdate, &enrolment}; }

    CallLog log;
    RecordingLink link{log};
    RecordingDiagnostic diagnostic{log};
    RecordingRfSensors rfSensors{log};
    RecordingFirmwareUpdate firmwareUpdate{log};
    RecordingEnrolment enrolment{log};
};

struct DispatchCase {
    const char* name;
    Bytes frame;
    CallLog expected;
};

void PrintTo(const DispatchCase& c, std::ostream* os) { *os << c.name; }

const Bytes kIdent6{0x25, 0x0B, 0x00, 0x01, 0xE2, 0x40};
const Bytes kBig = Filled(251, 0x10);

Bytes CorruptCrc(Bytes frame)
{
    frame[frame.size() - 2] ^= 0x01;
    return frame;
}

const DispatchCase kDispatchCases[] = {
    {"Status", MakeFrame(1, {0x01, 0x02}), {{"status", {0x01, 0x02}}}},
    {"StatusEmpty", MakeFrame(1), {{"status", {}}}},
    {"StatusLargest", MakeFrame(1, kBig), {{"status", kBig}}},
    {"Config", MakeFrame(2, {0x02, 0x00, 0x3C}), {{"config", {0x02, 0x00, 0x3C}}}},
    {"ConfigLargest", MakeFrame(2, kBig), {{"config", kBig}}},
    {"ConfigEmpty", MakeFrame(2), {}},
    {"Ident6", MakeFrame(7, kIdent6), {{"ident", kIdent6}}},
    {"Ident5", MakeFrame(7, Bytes(kIdent6.begin(), kIdent6.end() - 1)), {}},
    {"Ident7", MakeFrame(7, Concat({kIdent6, {0x00}})), {}},
    {"PacketRequest", MakeFrame(9, {0x00, 0x05}), {{"packetRequest", {0x00, 0x05}}}},
    {"UpdateResult", MakeFrame(10, {0x01}), {{"updateResult", {0x01}}}},
    {"RfSensorRecord", MakeFrame(16, Filled(16)), {{"rfRecord", Filled(16)}}},
    {"RfSensorRecordLargest", MakeFrame(16, kBig), {{"rfRecord", kBig}}},
    {"RfCodeReport", MakeFrame(19, {0xAB, 0xCD, 0xEF}), {{"rfCode", {0xAB, 0xCD, 0xEF}}}},
    {"Ack", MakeFrame(134), {{"link.ack", {}}, {"update.ack", {}}, {"enrol.ack", {}}}},
    {"Nack", MakeFrame(149), {{"link.nack", {}}, {"update.nack", {}}, {"enrol.nack", {}}}},
    // An acknowledgement with a payload is still an acknowledgement.
    {"AckWithPayload", MakeFrame(134, {0x01}), {{"link.ack", {}}, {"update.ack", {}}, {"enrol.ack", {}}}},
    {"TypeZero", MakeFrame(0, {0x01}), {}},
    {"Type255", MakeFrame(255, {0x01}), {}},
    {"UnknownType", MakeFrame(3, {0x01}), {}},
    {"IdentifyCommandEcho", {0xDF, 0x04, 0x8C, 0x9C, 0xC0, 0xFD}, {}},
    {"CrcErrorConfig", CorruptCrc(MakeFrame(2, {0x02, 0x00})), {}},
    {"CrcErrorAck", CorruptCrc(MakeFrame(134)), {}},
    {"LengthByteBelowFour", {0xDF, 0x01, 0x55, 0xFD}, {}},
};

class DispatchFrameTest : public testing::TestWithParam<DispatchCase>, protected DispatchFixture {};

TEST_P(DispatchFrameTest, ReachesExpectedReceiversInOrder)
{
    const DispatchCase& c = GetParam();
    DispatchFrame(c.frame.data(), static_cast<std::uint16_t>(c.frame.size()), AllReceivers());
    EXPECT_EQ(log, c.expected);
}

TEST_P(DispatchFrameTest, NoReceiversIsANoOp)
{
    const DispatchCase& c = GetParam();
    DispatchFrame(c.frame.data(), static_cast<std::uint16_t>(c.frame.size()), FrameReceivers{});
    EXPECT_TRUE(log.empty());
}

INSTANTIATE_TEST_SUITE_P(Types, DispatchFrameTest, testing::ValuesIn(kDispatchCases),
                         [](const testing::TestParamInfo<DispatchCase>& info) { return std::string(info.param.name); });

class DispatchFrameRoles : public testing::Test, protected DispatchFixture {};

TEST_F(DispatchFrameRoles, AcknowledgementSkipsMissingReceivers)
{
    const Bytes ack = MakeFrame(134);
    const Bytes nack = MakeFrame(149);
    FrameReceivers onlyEnrolment;
    onlyEnrolment.enrolment = &enrolment;
    DispatchFrame(ack.data(), static_cast<std::uint16_t>(ack.size()), onlyEnrolment);

    FrameReceivers noFirmware = AllReceivers();
    noFirmware.firmwareUpdate = nullptr;
    DispatchFrame(nack.data(), static_cast<std::uint16_t>(nack.size()), noFirmware);

    EXPECT_EQ(log, (CallLog{{"enrol.ack", {}}, {"link.nack", {}}, {"enrol.nack", {}}}));
}

TEST_F(DispatchFrameRoles, CountZeroReachesNothing)
{
    const Bytes ack = MakeFrame(134);
    DispatchFrame(ack.data(), 0, AllReceivers());
    EXPECT_TRUE(log.empty());
}

TEST_F(DispatchFrameRoles, DispatcherSinkRoutesAssembledFrames)
{
    FrameAssembler assembler;
    FrameDispatcher dispatcher;
    dispatcher.receivers() = AllReceivers();
    const Bytes stream = Concat({{0x00, 0x13}, MakeFrame(7, kIdent6), MakeFrame(2), MakeFrame(149)});
    for (std::uint8_t byte : stream) assembler.Feed(&byte, 1, dispatcher);
    EXPECT_EQ(log, (CallLog{{"ident", kIdent6}, {"link.nack", {}}, {"update.nack", {}}, {"enrol.nack", {}}}));
}

}  // namespace
