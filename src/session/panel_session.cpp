#include "session/panel_session.h"

#include <QtGlobal>
#include <algorithm>
#include <array>

#include "core/link/big_endian.h"
#include "core/link/commands.h"
#include "core/link/frame.h"
#include "session/byte_link.h"
#include "session/frame_trace_file.h"
#include "session/serial_link.h"

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

}  // namespace

PanelSession::PanelSession(std::unique_ptr<ByteLink> link, QObject* parent) : QObject(parent), link_(link.release())
{
    link_->setParent(this);
    dispatcher_.receivers().link = this;
    connect(link_, &ByteLink::Opened, this, &PanelSession::OnLinkOpened);
    connect(link_, &ByteLink::Closed, this, [this] {
        supervision_.OnPortClosed();
        emit PortClosed();
    });
    connect(link_, &ByteLink::DataAvailable, this, &PanelSession::OnDataAvailable);
    connect(link_, &ByteLink::Failed, this, &PanelSession::PortFailed);
}

PanelSession::PanelSession(const PortCatalogue& ports, QObject* parent)
    : PanelSession(std::make_unique<SerialLink>(ports), parent)
{
}

PanelSession::~PanelSession() = default;

PanelSession::OpenResult PanelSession::OpenPort(int comNumber, qint32 baud)
{
    baud_ = baud;
    supervision_.OnOpenRequested();
    if (comNumber == 0) return OpenResult::InvalidNumber;
    comNumber_ = comNumber;
    return link_->Open(comNumber_, baud_) ? OpenResult::Opened : OpenResult::Failed;
}

bool PanelSession::ClosePort() { return !link_->IsOpen() || link_->Close(); }

bool PanelSession::IsPortOpen() const { return link_->IsOpen(); }

void PanelSession::OnLinkOpened()
{
    const Outgoing identify = supervision_.OnPortOpened();
    emit PortOpened();
    Send(identify);
}

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

void PanelSession::OnDataAvailable()
{
    // A receiver may run the event loop (a modal box); bytes that arrive
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
    if (!trace_) {
        assembler_.Feed(bytes, count, dispatcher_);
        return;
    }
    // What came in is what made frames, what waits towards the next frame,
    // and what the assembler dropped.
    const std::size_t pendingBefore = PendingBytes(assembler_);
    TracingSink sink(dispatcher_, *trace_);
    assembler_.Feed(bytes, count, sink);
    const std::size_t accounted = sink.framed + PendingBytes(assembler_);
    if (pendingBefore + count > accounted) trace_->Dropped(pendingBefore + count - accounted);
}

void PanelSession::RegisterFillStep(std::uint8_t blockId, FillStep step) { fillSteps_[blockId] = std::move(step); }

void PanelSession::HandleConfigResponse(const std::uint8_t* payload, std::uint8_t length)
{
    const std::optional<ConfigBlockOutcome> outcome = answers_.OnConfigBlock(payload, length);
    if (!outcome) return;
    emit StatusLine(outcome->status);
    if (const auto step = fillSteps_.find(outcome->blockId); step != fillSteps_.end() && step->second) {
        step->second(payload, length);
    }
}

void PanelSession::HandleIdentification(const std::uint8_t* payload, std::uint8_t length)
{
    const std::optional<Identification> identity = ParseIdentification(payload, length);
    if (!identity) return;
    supervision_.OnIdentification(*identity);
    emit Identified(*identity);
}

void PanelSession::HandleAckStatus()
{
    if (const std::optional<StatusLineText> status = answers_.OnAck()) emit StatusLine(*status);
}

void PanelSession::HandleNackStatus() { emit StatusLine(answers_.OnNack()); }
