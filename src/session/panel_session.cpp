#include "session/panel_session.h"

#include <algorithm>
#include <array>

#include "core/link/big_endian.h"
#include "core/link/commands.h"
#include "core/link/frame.h"
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

PanelSession::PanelSession(const PortCatalogue& ports, QObject* parent)
    : QObject(parent), link_(new SerialLink(ports, this))
{
    dispatcher_.receivers().link = this;
    connect(link_, &SerialLink::PortOpened, this, &PanelSession::OnLinkOpened);
    connect(link_, &SerialLink::PortClosed, this, [this] {
        supervision_.OnPortClosed();
        emit PortClosed();
    });
    connect(link_, &SerialLink::DataAvailable, this, &PanelSession::OnDataAvailable);
    connect(link_, &SerialLink::Failed, this, &PanelSession::PortFailed);
}

PanelSession::~PanelSession() = default;

PanelSession::OpenResult PanelSession::OpenPort(int comNumber, qint32 baud)
{
    link_->SetBaud(baud);
    supervision_.OnOpenRequested();
    if (comNumber == 0) return OpenResult::InvalidNumber;
    link_->SetComNumber(comNumber);
    return link_->Open() ? OpenResult::Opened : OpenResult::Failed;
}

bool PanelSession::ClosePort() { return !link_->IsOpen() || link_->Close(); }

bool PanelSession::IsPortOpen() const { return link_->IsOpen(); }

int PanelSession::ComNumber() const { return link_->ComNumber(); }

qint32 PanelSession::Baud() const { return link_->Baud(); }

void PanelSession::OnLinkOpened()
{
    const bool identify = supervision_.OnPortOpened();
    emit PortOpened();
    if (identify) SendCommand(nullptr, 0, CommandByte(CommandCode::IdentifyCommand));
}

void PanelSession::SendCommand(const std::uint8_t* payload, std::uint8_t payloadLength, std::uint8_t command)
{
    std::array<std::uint8_t, kMaxSendFrame> frame;
    const std::size_t size = BuildFrame(command, payload, payloadLength, frame.data());
    if (size == 0) return;
    if (!link_->IsOpen() || !supervision_.LinkOpen()) return;
    if (!link_->PutBlock(frame.data(), size)) {
        emit PortFailed(true);
        return;
    }
    if (trace_) trace_->Frame(TraceDirection::Sent, frame.data(), size);
}

void PanelSession::SendPanelTime(std::int64_t secondsSinceEpoch)
{
    std::uint8_t payload[4];
    PutBigEndian32(payload, static_cast<std::uint32_t>(secondsSinceEpoch));
    SendCommand(payload, sizeof payload, CommandByte(CommandCode::SetTimeCommand));
}

void PanelSession::Tick()
{
    const LinkSupervision::TickEffects effects = supervision_.Tick();
    if (effects.blankIdentification) emit IdentificationLapsed();
    if (effects.sendIdentify) SendCommand(nullptr, 0, CommandByte(CommandCode::IdentifyCommand));
}

void PanelSession::OnDataAvailable()
{
    // A receiver may run the event loop (a modal box); bytes that arrive
    // meanwhile are drained by the outer loop, in order.
    if (receiving_) return;
    receiving_ = true;
    std::array<std::uint8_t, kReadBlockSize> block;
    while (link_->IsOpen() && link_->BytesWaiting() > 0) {
        const qint64 count = link_->GetBlock(block.data(), std::min(link_->BytesWaiting(), kReadBlockSize));
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

PanelSession::FillStep PanelSession::ReplaceFillStep(std::uint8_t blockId, FillStep step)
{
    FillStep previous = std::move(fillSteps_[blockId]);
    fillSteps_[blockId] = std::move(step);
    return previous;
}

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
