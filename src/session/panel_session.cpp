#include "session/panel_session.h"

#include <QtGlobal>
#include <algorithm>
#include <array>

#include "core/bytes/big_endian.h"
#include "core/diagnostics/arm_request.h"
#include "core/diagnostics/status_polling.h"
#include "core/link/commands.h"
#include "core/link/config_answer_handling.h"
#include "core/link/frame.h"
#include "core/link/frame_assembler.h"
#include "core/link/frame_dispatcher.h"
#include "core/rf/rf_sensor_record.h"
#include "session/byte_link.h"
#include "session/frame_trace_file.h"
#include "session/port_link.h"

namespace {

// Bytes read from the port per block; more waiting bytes take several blocks.
constexpr qint64 kReadBlockSize = 4096;

// Passes frames on to the dispatcher, tracing each one first and counting
// the bytes that made whole frames.
class TracingSink final : public FrameSink {
public:
    TracingSink(FrameSink& next, FrameTraceFile& trace) : next_(next), trace_(trace) {}
    void OnFrame(const std::uint8_t* frame, std::uint16_t count) override
    {
        framed += count;
        trace_.Frame(TraceDirection::Received, frame, count);
        next_.OnFrame(frame, count);
    }
    std::size_t framed = 0;

private:
    FrameSink& next_;
    FrameTraceFile& trace_;
};

// Bytes the assembler holds towards a frame not yet complete.
std::size_t PendingBytes(const FrameAssembler& assembler)
{
    return assembler.state() == FrameAssembler::State::WaitingForStart ? 0 : assembler.collected();
}

std::vector<std::uint8_t> Bytes(const std::uint8_t* payload, std::size_t length)
{
    return std::vector<std::uint8_t>(payload, payload + length);
}

Outgoing RfSensorRequest(const RfSensorPayload& payload)
{
    return MakeOutgoing(CommandCode::RfSensorCommand, {payload.begin(), payload.end()});
}

}  // namespace

// The receive side: the assembler, the dispatcher and its receivers, which
// turn every frame into the session's signals, and the state that says what
// an acknowledgement answers. Nothing outside the session sees them.
class PanelSession::Inbound final : private LinkReceiver,
                                    private DiagnosticReceiver,
                                    private RfSensorReceiver,
                                    private FirmwareUpdateReceiver,
                                    private EnrolmentReceiver {
public:
    explicit Inbound(PanelSession& session) : session_(session)
    {
        FrameReceivers& receivers = dispatcher.receivers();
        receivers.link = this;
        receivers.diagnostic = this;
        receivers.rfSensors = this;
        receivers.firmwareUpdate = this;
        receivers.enrolment = this;
    }

    FrameAssembler assembler;
    FrameDispatcher dispatcher;
    ConfigAnswerHandling answers;

private:
    // LinkReceiver: the configuration answers and the status line's acknowledgements.
    void HandleConfigResponse(const std::uint8_t* payload, std::uint8_t length) override
    {
        if (ConfigAnswerHandling::AcceptedBlock(payload, length)) emit session_.BlockRead(Bytes(payload, length));
    }
    void HandleIdentification(const std::uint8_t* payload, std::uint8_t length) override
    {
        const std::optional<Identification> identity = ParseIdentification(payload, length);
        if (!identity) return;
        session_.supervision_.OnIdentification(*identity);
        emit session_.Identified(*identity);
    }
    void HandleAckStatus() override
    {
        if (answers.OnAck() == AckMeaning::WriteAccepted) emit session_.WriteAccepted();
    }
    void HandleNackStatus() override
    {
        if (answers.OnNack() == NackMeaning::WriteRefused) {
            emit session_.WriteRefused();
        } else {
            emit session_.ReadRefused();
        }
    }
    // The dispatcher gives every acknowledgement to the status line first,
    // then to the update, then to the enrolment: one signal serves both.
    void OnUpdateAck() override { emit session_.Acknowledged(); }
    void OnUpdateNack() override { emit session_.NegativelyAcknowledged(); }
    void OnEnrolAck() override {}
    void OnEnrolNack() override {}

    void OnStatusFrame(const std::uint8_t* payload, std::uint16_t length) override
    {
        emit session_.StatusPageReceived(Bytes(payload, length));
    }
    void OnRfSensorRecord(const std::uint8_t* payload, std::uint16_t length) override
    {
        emit session_.RfRecordReceived(Bytes(payload, length));
    }
    void OnPacketRequest(const std::uint8_t* payload, std::uint8_t length) override
    {
        emit session_.PacketRequested(Bytes(payload, length));
    }
    void OnUpdateResult(const std::uint8_t* payload, std::uint8_t length) override
    {
        emit session_.UpdateResultReceived(Bytes(payload, length));
    }
    void OnRfCodeReport(const std::uint8_t* payload, std::uint8_t length) override
    {
        emit session_.RfReportReceived(Bytes(payload, length));
    }

    PanelSession& session_;
};

PanelSession::PanelSession(std::unique_ptr<ByteLink> link, QObject* parent)
    : QObject(parent), link_(link.release()), inbound_(std::make_unique<Inbound>(*this))
{
    link_->setParent(this);
    connect(link_, &ByteLink::Opened, this, &PanelSession::OnLinkOpened);
    connect(link_, &ByteLink::OpenFailed, this, &PanelSession::PortOpenFailed);
    connect(link_, &ByteLink::Closed, this, [this] {
        supervision_.OnPortClosed();
        emit PortClosed();
    });
    connect(link_, &ByteLink::DataAvailable, this, &PanelSession::OnDataAvailable);
    connect(link_, &ByteLink::Failed, this, &PanelSession::PortFailed);
    connect(link_, &ByteLink::Note, this, [this](const QString& text) {
        if (trace_) trace_->Note(text.toStdString());
    });
}

PanelSession::PanelSession(const PortCatalogue& ports, QObject* parent)
    : PanelSession(std::make_unique<PortLink>(ports), parent)
{
}

PanelSession::~PanelSession() = default;

bool PanelSession::PrepareOpen(int comNumber, qint32 baud)
{
    baud_ = baud;
    supervision_.OnOpenRequested();
    if (comNumber == 0) return false;
    comNumber_ = comNumber;
    return true;
}

PanelSession::OpenResult PanelSession::OpenPort(int comNumber, qint32 baud)
{
    if (!PrepareOpen(comNumber, baud)) return OpenResult::InvalidNumber;
    return link_->Open(comNumber_, baud_) ? OpenResult::Opened : OpenResult::Failed;
}

bool PanelSession::StartOpeningPort(int comNumber, qint32 baud)
{
    if (!PrepareOpen(comNumber, baud)) return false;
    link_->StartOpen(comNumber_, baud_);
    return true;
}

bool PanelSession::ClosePort() { return !(link_->IsOpen() || link_->IsOpening()) || link_->Close(); }

bool PanelSession::IsPortOpen() const { return link_->IsOpen(); }

bool PanelSession::IsPortOpening() const { return link_->IsOpening(); }

std::optional<LinkOpenFailure> PanelSession::OpenFailure() const { return link_->OpenFailure(); }

void PanelSession::OnLinkOpened()
{
    const Outgoing identify = supervision_.OnPortOpened();
    emit PortOpened();
    Send(identify);
}

// ---- Requests --------------------------------------------------------------------

bool PanelSession::Send(const Outgoing& outgoing)
{
    if (outgoing.payload.size() > kMaxSendPayload) {
        qWarning("PanelSession: command %u refused: a payload of %zu bytes is over the frame's %zu",
                 unsigned{outgoing.command}, outgoing.payload.size(), kMaxSendPayload);
        Q_ASSERT_X(false, "PanelSession::Send", "payload over the frame's limit");
        return false;
    }
    if (!link_->IsOpen() || !supervision_.LinkOpen()) return false;
    std::array<std::uint8_t, kMaxSendFrame> frame;
    const std::size_t size =
        BuildFrame(outgoing.command, outgoing.payload.data(), outgoing.payload.size(), frame.data());
    if (!link_->Write(frame.data(), size)) {
        emit PortFailed(true);
        return false;
    }
    if (trace_) trace_->Frame(TraceDirection::Sent, frame.data(), size);
    return true;
}

void PanelSession::SendRead(const Outgoing& outgoing)
{
    // A late acknowledgement of an earlier write is no longer its answer.
    inbound_->answers.OnReadSent();
    Send(outgoing);
}

void PanelSession::SendWrite(const Outgoing& outgoing)
{
    Send(outgoing);
    inbound_->answers.OnWriteSent();
}

bool PanelSession::WritePending() const { return inbound_->answers.WritePending(); }

void PanelSession::FlushWrites(int timeoutMs)
{
    if (link_->IsOpen()) link_->FlushWrites(timeoutMs);
}

void PanelSession::Identify() { Send(MakeOutgoing(CommandCode::IdentifyCommand)); }

void PanelSession::ReadBlock(std::uint8_t blockId) { SendRead(ReadBlockRequest(blockId)); }

void PanelSession::WriteBlock(const std::vector<std::uint8_t>& block) { SendWrite(WriteBlockRequest(block)); }

void PanelSession::ReadRfRecord(std::int32_t sensorNumber) { SendRead(RfSensorRequest(RfReadPayload(sensorNumber))); }

void PanelSession::WriteRfRecord(const RfSensorRecord& record) { SendWrite(RfSensorRequest(RfWritePayload(record))); }

void PanelSession::DeleteAllRfRecords() { Send(RfSensorRequest(RfDeleteAllPayload())); }

void PanelSession::RequestStatusPage(std::uint8_t page) { Send(StatusPageRequest(page)); }

void PanelSession::Arm(std::int32_t userCode, std::uint8_t partition) { SendWrite(ArmRequest(true, userCode, partition)); }

void PanelSession::Disarm(std::int32_t userCode, std::uint8_t partition)
{
    SendWrite(ArmRequest(false, userCode, partition));
}

void PanelSession::SendPanelTime(std::int64_t secondsSinceEpoch)
{
    std::vector<std::uint8_t> payload(4);
    PutBigEndian32(payload.data(), static_cast<std::uint32_t>(secondsSinceEpoch));
    Send(MakeOutgoing(CommandCode::SetTimeCommand, std::move(payload)));
}

void PanelSession::Tick()
{
    const LinkSupervision::TickEffects effects = supervision_.Tick();
    if (effects.blankIdentification) emit IdentificationLapsed();
    if (effects.send) Send(*effects.send);
}

// ---- Receiving -------------------------------------------------------------------

void PanelSession::OnDataAvailable()
{
    // A listener may run the event loop (a modal box); bytes that arrive
    // meanwhile are drained by the outer loop, in order.
    if (receiving_) return;
    receiving_ = true;
    std::array<std::uint8_t, kReadBlockSize> block;
    while (link_->IsOpen() && link_->BytesWaiting() > 0) {
        const qint64 count = link_->Read(block.data(), std::min(link_->BytesWaiting(), kReadBlockSize));
        if (count < 0) {
            receiving_ = false;
            emit PortFailed(false);
            return;
        }
        if (count == 0) break;
        Feed(block.data(), static_cast<std::size_t>(count));
    }
    receiving_ = false;
}

void PanelSession::Feed(const std::uint8_t* bytes, std::size_t count)
{
    FrameAssembler& assembler = inbound_->assembler;
    if (!trace_) {
        assembler.Feed(bytes, count, inbound_->dispatcher);
        return;
    }
    // What came in is what made frames, what waits towards the next frame,
    // and what the assembler dropped.
    const std::size_t pendingBefore = PendingBytes(assembler);
    TracingSink sink(inbound_->dispatcher, *trace_);
    assembler.Feed(bytes, count, sink);
    const std::size_t accounted = sink.framed + PendingBytes(assembler);
    if (pendingBefore + count > accounted) trace_->Dropped(pendingBefore + count - accounted);
}
