#pragma once
// One request at a time to a panel, each awaited: it asks the session, then
// waits for the session's typed answer in a local event loop bounded by a
// timer, asking again a few times when nothing comes back. What the
// command-line tool uses, and the library window for a whole configuration
// at once (its wait keeps the window's events running).

#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/panel/device_identity.h"

class PanelSession;
class QEventLoop;

class PanelExchange : public QObject {
    Q_OBJECT
public:
    struct Options {
        int answerTimeoutMs = 1000;  // per attempt
        int attempts = 3;
    };
    enum class Outcome { Done, Refused, NoAnswer };

    PanelExchange(PanelSession& session, Options options, QObject* parent = nullptr);
    PanelExchange(PanelSession& session, QObject* parent = nullptr) : PanelExchange(session, Options{}, parent) {}

    // The panel's identification; nothing when it does not answer. Right
    // after the port opened, the session has already asked: the first
    // attempt then only waits for that answer.
    std::optional<Identification> Identify(bool sentOnOpen = false);

    struct Read {
        Outcome outcome = Outcome::NoAnswer;
        std::vector<std::uint8_t> block;  // id first, when done
    };
    // A block of a length its block accepts; an answer of another length is
    // no answer, and the block is asked for again.
    Read ReadBlock(std::uint8_t id);
    // The 16-byte record of an RF sensor slot (1 to 2048), whatever it holds.
    Read ReadRfRecord(int slot);
    // Writes a block (id first) and waits for its acknowledgement.
    Outcome WriteBlock(const std::vector<std::uint8_t>& block);
    // A status page of the length its page code has; another length is no
    // answer. Never refused: a panel that does not know the page stays quiet.
    Read ReadStatusPage(std::uint8_t page);

private:
    enum class Awaiting { Nothing, Identification, Block, RfRecord, WriteResult, StatusPage };
    // Asks, then waits for the answer; true when one came in time.
    bool Exchange(Awaiting what, const std::function<void()>& ask, bool alreadySent = false);
    void Finish(Outcome outcome);

    PanelSession& session_;
    Options options_;
    Awaiting awaiting_ = Awaiting::Nothing;
    std::uint8_t blockId_ = 0;  // the block's id, or the status page's code
    Outcome outcome_ = Outcome::NoAnswer;
    std::vector<std::uint8_t> block_;
    Identification identity_;
    QEventLoop* loop_ = nullptr;
};
