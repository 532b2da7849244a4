#pragma once
// One request at a time to a panel: it asks the session, then hands the
// session's typed answer to a callback, bounded by a timer and asked again
// a few times when nothing comes back. Nothing waits: the answer comes on a
// later turn of the event loop. The awaited forms below wait in a local
// event loop; only a program that runs one command (the command-line tool)
// uses them.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/panel/device_identity.h"

class PanelSession;

class PanelExchange : public QObject {
    Q_OBJECT
public:
    struct Options {
        int answerTimeoutMs = 1000;  // per attempt
        int attempts = 3;
    };
    enum class Outcome { Done, Refused, NoAnswer };
    struct Read {
        Outcome outcome = Outcome::NoAnswer;
        std::vector<std::uint8_t> block;  // id first, when done
    };

    PanelExchange(PanelSession& session, Options options, QObject* parent = nullptr);
    PanelExchange(PanelSession& session, QObject* parent = nullptr) : PanelExchange(session, Options{}, parent) {}

    // ---- Asynchronous: the callback runs once, on a later turn ----
    // The panel's identification; nothing when it does not answer. Right
    // after the port opened, the session has already asked: the first
    // attempt then only waits for that answer.
    void Identify(std::function<void(std::optional<Identification>)> done, bool sentOnOpen = false);
    // A block of a length its block accepts; an answer of another length is
    // no answer, and the block is asked for again.
    void ReadBlock(std::uint8_t id, std::function<void(Read)> done);
    // The 16-byte record of an RF sensor slot (1 to 2048), whatever it holds.
    void ReadRfRecord(int slot, std::function<void(Read)> done);
    // Writes a block (id first); its acknowledgement or refusal.
    void WriteBlock(const std::vector<std::uint8_t>& block, std::function<void(Outcome)> done);
    // A status page of the length its page code has; another length is no
    // answer. Never refused: a panel that does not know the page stays quiet.
    void ReadStatusPage(std::uint8_t page, std::function<void(Read)> done);
    // A request is outstanding.
    bool Pending() const { return awaiting_ != Awaiting::Nothing; }

    // ---- Awaited, for the command-line tool ----
    std::optional<Identification> Identify(bool sentOnOpen = false);
    Read ReadBlock(std::uint8_t id);
    Read ReadRfRecord(int slot);
    Outcome WriteBlock(const std::vector<std::uint8_t>& block);
    Read ReadStatusPage(std::uint8_t page);

private:
    enum class Awaiting { Nothing, Identification, Block, RfRecord, WriteResult, StatusPage };
    // Asks, then waits for the answer without blocking; done runs once.
    void Start(Awaiting what, std::function<void()> ask, std::function<void(Outcome)> done, bool alreadySent = false);
    void Attempt();
    void OnTimeout();
    void Finish(Outcome outcome);

    PanelSession& session_;
    Options options_;
    QTimer timeout_;
    Awaiting awaiting_ = Awaiting::Nothing;
    std::function<void()> ask_;
    std::function<void(Outcome)> done_;
    int attempt_ = 0;
    std::uint8_t blockId_ = 0;  // the block's id, or the status page's code
    std::vector<std::uint8_t> block_;
    Identification identity_;
};
