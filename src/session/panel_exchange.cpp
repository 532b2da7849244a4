#include "session/panel_exchange.h"

#include <QEventLoop>

#include "core/diagnostics/status_pages.h"
#include "core/rf/rf_sensor_record.h"
#include "session/panel_session.h"

PanelExchange::PanelExchange(PanelSession& session, Options options, QObject* parent)
    : QObject(parent), session_(session), options_(options)
{
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, &PanelExchange::OnTimeout);
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

void PanelExchange::Start(Awaiting what, std::function<void()> ask, std::function<void(Outcome)> done,
                          bool alreadySent)
{
    // One request at a time: a second while one is outstanding is a caller's fault.
    Q_ASSERT(awaiting_ == Awaiting::Nothing);
    awaiting_ = what;
    ask_ = std::move(ask);
    done_ = std::move(done);
    attempt_ = 0;
    if (!session_.IsPortOpen()) {
        Finish(Outcome::NoAnswer);
        return;
    }
    if (alreadySent) {
        timeout_.start(options_.answerTimeoutMs);
        return;
    }
    Attempt();
}

void PanelExchange::Attempt()
{
    const Awaiting asked = awaiting_;
    ask_();
    // The answer may already have been handled while asking.
    if (awaiting_ == asked) timeout_.start(options_.answerTimeoutMs);
}

void PanelExchange::OnTimeout()
{
    if (awaiting_ == Awaiting::Nothing) return;
    if (++attempt_ < options_.attempts && session_.IsPortOpen()) {
        Attempt();
        return;
    }
    Finish(Outcome::NoAnswer);
}

void PanelExchange::Finish(Outcome outcome)
{
    if (awaiting_ == Awaiting::Nothing) return;
    awaiting_ = Awaiting::Nothing;
    timeout_.stop();
    // Told on the next turn, so a caller that asks again from its callback
    // never nests inside this answer.
    QTimer::singleShot(0, this, [done = std::exchange(done_, {}), outcome] { done(outcome); });
}

void PanelExchange::Identify(std::function<void(std::optional<Identification>)> done, bool sentOnOpen)
{
    Start(
        Awaiting::Identification, [this] { session_.Identify(); },
        [this, done = std::move(done)](Outcome outcome) {
            done(outcome == Outcome::Done ? std::optional(identity_) : std::nullopt);
        },
        sentOnOpen);
}

void PanelExchange::ReadBlock(std::uint8_t id, std::function<void(Read)> done)
{
    blockId_ = id;
    block_.clear();
    Start(Awaiting::Block, [this, id] { session_.ReadBlock(id); },
          [this, done = std::move(done)](Outcome outcome) {
              done({outcome, outcome == Outcome::Done ? block_ : std::vector<std::uint8_t>{}});
          });
}

void PanelExchange::ReadRfRecord(int slot, std::function<void(Read)> done)
{
    block_.clear();
    Start(Awaiting::RfRecord, [this, slot] { session_.ReadRfRecord(slot); },
          [this, done = std::move(done)](Outcome outcome) {
              done({outcome, outcome == Outcome::Done ? block_ : std::vector<std::uint8_t>{}});
          });
}

void PanelExchange::WriteBlock(const std::vector<std::uint8_t>& block, std::function<void(Outcome)> done)
{
    Start(Awaiting::WriteResult, [this, block] { session_.WriteBlock(block); }, std::move(done));
}

void PanelExchange::ReadStatusPage(std::uint8_t page, std::function<void(Read)> done)
{
    blockId_ = page;
    block_.clear();
    Start(Awaiting::StatusPage, [this, page] { session_.RequestStatusPage(page); },
          [this, done = std::move(done)](Outcome outcome) {
              done({outcome, outcome == Outcome::Done ? block_ : std::vector<std::uint8_t>{}});
          });
}

namespace {

// Runs an asynchronous request and waits in a local loop for its answer.
template <typename Answer, typename Request>
Answer Await(Request request)
{
    QEventLoop loop;
    std::optional<Answer> answer;
    request([&](Answer value) {
        answer = std::move(value);
        loop.quit();
    });
    if (!answer) loop.exec();
    return std::move(*answer);
}

}  // namespace

std::optional<Identification> PanelExchange::Identify(bool sentOnOpen)
{
    return Await<std::optional<Identification>>(
        [&](auto done) { Identify(std::function<void(std::optional<Identification>)>(done), sentOnOpen); });
}

PanelExchange::Read PanelExchange::ReadBlock(std::uint8_t id)
{
    return Await<Read>([&](auto done) { ReadBlock(id, std::function<void(Read)>(done)); });
}

PanelExchange::Read PanelExchange::ReadRfRecord(int slot)
{
    return Await<Read>([&](auto done) { ReadRfRecord(slot, std::function<void(Read)>(done)); });
}

PanelExchange::Outcome PanelExchange::WriteBlock(const std::vector<std::uint8_t>& block)
{
    return Await<Outcome>([&](auto done) { WriteBlock(block, std::function<void(Outcome)>(done)); });
}

PanelExchange::Read PanelExchange::ReadStatusPage(std::uint8_t page)
{
    return Await<Read>([&](auto done) { ReadStatusPage(page, std::function<void(Read)>(done)); });
}
