#include "session/panel_exchange.h"

#include <QEventLoop>
#include <QTimer>

#include "core/diagnostics/status_pages.h"
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
    connect(&session_, &PanelSession::BlockRead, this, [this](const std::vector<std::uint8_t>& block) {
        if (awaiting_ != Awaiting::Block || block.front() != blockId_) return;
        block_ = block;
        Finish(Outcome::Done);
    });
    connect(&session_, &PanelSession::RfRecordReceived, this, [this](const std::vector<std::uint8_t>& record) {
        // A record of any other length is no answer: the request is asked again.
        if (awaiting_ != Awaiting::RfRecord || record.size() != kRfRecordLength) return;
        block_ = record;
        Finish(Outcome::Done);
    });
    connect(&session_, &PanelSession::StatusPageReceived, this, [this](const std::vector<std::uint8_t>& page) {
        if (awaiting_ != Awaiting::StatusPage || page.empty() || page.front() != blockId_) return;
        if (StatusPageLength(blockId_) != page.size()) return;
        block_ = page;
        Finish(Outcome::Done);
    });
    connect(&session_, &PanelSession::ReadRefused, this, [this] {
        if (awaiting_ == Awaiting::Block || awaiting_ == Awaiting::RfRecord) Finish(Outcome::Refused);
    });
    connect(&session_, &PanelSession::WriteAccepted, this, [this] {
        if (awaiting_ == Awaiting::WriteResult) Finish(Outcome::Done);
    });
    connect(&session_, &PanelSession::WriteRefused, this, [this] {
        if (awaiting_ == Awaiting::WriteResult) Finish(Outcome::Refused);
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

bool PanelExchange::Exchange(Awaiting what, const std::function<void()>& ask, bool alreadySent)
{
    // Nothing from an earlier exchange may pass for this one's answer.
    outcome_ = Outcome::NoAnswer;
    for (int attempt = 0; attempt < options_.attempts; ++attempt) {
        if (!session_.IsPortOpen()) return false;
        awaiting_ = what;
        outcome_ = Outcome::NoAnswer;
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        loop_ = &loop;
        if (attempt > 0 || !alreadySent) ask();
        // The answer may already have been handled while asking.
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
    if (!Exchange(Awaiting::Identification, [this] { session_.Identify(); }, sentOnOpen)) return std::nullopt;
    return identity_;
}

PanelExchange::Read PanelExchange::ReadBlock(std::uint8_t id)
{
    blockId_ = id;
    block_.clear();
    Exchange(Awaiting::Block, [this, id] { session_.ReadBlock(id); });
    return {outcome_, outcome_ == Outcome::Done ? block_ : std::vector<std::uint8_t>{}};
}

PanelExchange::Outcome PanelExchange::WriteBlock(const std::vector<std::uint8_t>& block)
{
    Exchange(Awaiting::WriteResult, [this, &block] { session_.WriteBlock(block); });
    return outcome_;
}

PanelExchange::Read PanelExchange::ReadStatusPage(std::uint8_t page)
{
    blockId_ = page;
    block_.clear();
    Exchange(Awaiting::StatusPage, [this, page] { session_.RequestStatusPage(page); });
    return {outcome_, outcome_ == Outcome::Done ? block_ : std::vector<std::uint8_t>{}};
}

PanelExchange::Read PanelExchange::ReadRfRecord(int slot)
{
    block_.clear();
    Exchange(Awaiting::RfRecord, [this, slot] { session_.ReadRfRecord(slot); });
    return {outcome_, outcome_ == Outcome::Done ? block_ : std::vector<std::uint8_t>{}};
}
