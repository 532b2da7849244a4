#include "cli/panel_exchange.h"

#include <QEventLoop>
#include <QTimer>

#include "core/link/commands.h"
#include "core/panel/block_table.h"
#include "core/rf/rf_sensor_record.h"
#include "session/panel_session.h"

PanelExchange::PanelExchange(PanelSession& session, Options options, QObject* parent)
    : QObject(parent), session_(session), options_(options)
{
    connect(&session_, &PanelSession::Identified, this, [this](const Identification& identity) {
        if (awaiting_ != Awaiting::Identification) return;
        identity_ = identity;
        Finish(Outcome::Done);
    });
    // Both acknowledgements clear the pending write; a status line raised
    // while a write is still pending is the answer to something else.
    connect(&session_, &PanelSession::StatusLine, this, [this](const StatusLineText& status) {
        const bool nack = status.colour == StatusColour::Red;
        if (awaiting_ == Awaiting::WriteResult && !session_.WritePending()) {
            Finish(nack ? Outcome::Refused : Outcome::Done);
        } else if ((awaiting_ == Awaiting::Block || awaiting_ == Awaiting::RfRecord) && nack) {
            Finish(Outcome::Refused);
        }
    });
    connect(&session_, &PanelSession::PortFailed, this, [this] { Finish(Outcome::NoAnswer); });
    connect(&session_, &PanelSession::PortClosed, this, [this] { Finish(Outcome::NoAnswer); });
}

void PanelExchange::Finish(Outcome outcome)
{
    if (awaiting_ == Awaiting::Nothing) return;
    awaiting_ = Awaiting::Nothing;
    outcome_ = outcome;
    if (loop_) loop_->quit();
}

bool PanelExchange::Exchange(Awaiting what, const std::vector<std::uint8_t>& payload, std::uint8_t command,
                             bool alreadySent)
{
    for (int attempt = 0; attempt < options_.attempts; ++attempt) {
        if (!session_.IsPortOpen()) return false;
        awaiting_ = what;
        outcome_ = Outcome::NoAnswer;
        if (what == Awaiting::WriteResult) {
            session_.SetWritePending();
        } else {
            session_.ClearWritePending();
        }
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        loop_ = &loop;
        if (attempt > 0 || !alreadySent) {
            session_.Send({command, payload});
        }
        // The answer may already have been handled while sending.
        if (awaiting_ != Awaiting::Nothing) {
            timeout.start(options_.answerTimeoutMs);
            loop.exec();
        }
        loop_ = nullptr;
        const bool answered = awaiting_ == Awaiting::Nothing;
        awaiting_ = Awaiting::Nothing;
        if (answered && outcome_ != Outcome::NoAnswer) return true;
    }
    outcome_ = Outcome::NoAnswer;
    return false;
}

std::optional<Identification> PanelExchange::Identify(bool sentOnOpen)
{
    if (!Exchange(Awaiting::Identification, {}, CommandByte(CommandCode::IdentifyCommand), sentOnOpen)) {
        return std::nullopt;
    }
    return identity_;
}

PanelExchange::Read PanelExchange::ReadBlock(std::uint8_t id)
{
    blockId_ = id;
    block_.clear();
    session_.RegisterFillStep(id, [this, id](const std::uint8_t* payload, std::uint8_t length) {
        if (awaiting_ != Awaiting::Block || id != blockId_) return;
        block_.assign(payload, payload + length);
        Finish(Outcome::Done);
    });
    Exchange(Awaiting::Block, {id}, CommandByte(CommandCode::ReadBlockCommand));
    session_.RegisterFillStep(id, nullptr);
    return {outcome_, outcome_ == Outcome::Done ? block_ : std::vector<std::uint8_t>{}};
}

PanelExchange::Outcome PanelExchange::WriteBlock(const std::vector<std::uint8_t>& block)
{
    Exchange(Awaiting::WriteResult, block, CommandByte(CommandCode::WriteBlockCommand));
    return outcome_;
}

PanelExchange::Read PanelExchange::ReadRfRecord(int slot)
{
    block_.clear();
    FrameReceivers& receivers = session_.Receivers();
    RfSensorReceiver* const before = receivers.rfSensors;
    receivers.rfSensors = this;
    const RfSensorPayload payload = RfReadPayload(slot);
    Exchange(Awaiting::RfRecord, {payload.begin(), payload.end()}, CommandByte(CommandCode::RfSensorCommand));
    receivers.rfSensors = before;
    return {outcome_, outcome_ == Outcome::Done ? block_ : std::vector<std::uint8_t>{}};
}

void PanelExchange::OnRfSensorRecord(const std::uint8_t* payload, std::uint16_t length)
{
    // A record of any other length is no answer: the request is asked again.
    if (awaiting_ != Awaiting::RfRecord || length != kRfRecordLength) return;
    block_.assign(payload, payload + length);
    Finish(Outcome::Done);
}
