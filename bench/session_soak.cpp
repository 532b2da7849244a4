// A long noisy session: the tool's PanelSession (no widgets) against the
// virtual panel over a pseudo-terminal, for a fixed number of frames, with
// noise, piecewise delivery, CRC faults and silences switched on at random
// from a seed. It checks that
//  - every value the tool accepted is what the panel sent: each block read
//    (every block answer the session raises) equals the panel's stored block, each
//    identification the panel's own;
//  - the panel received exactly the frames the soak asked the tool to send,
//    in order, none with a bad CRC, and a write acknowledged is stored;
//  - resident memory at the end is what it was once warmed up.
// Prints the figures; exits 1 on any mismatch, lost answer or growth.
//
//   session_soak [frames=100000] [seed=1]

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/panel_host.h"
#include "core/link/commands.h"
#include "core/link/frame.h"
#include "core/panel/block_table.h"
#include "ports/port_catalogue.h"
#include "session/panel_session.h"
#include "sim/panel_blocks.h"
#include "sim/virtual_panel.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kComNumber = 1;
// An answer that should come but has not by then is lost.
constexpr int kAnswerTimeoutMs = 2000;
// How long a faulted exchange (no answer will be accepted) is given to settle.
constexpr int kFaultSettleMs = 15;
// Growth of the resident set tolerated between warm-up and end.
constexpr long kRssToleranceKiB = 2048;

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

struct Figures {
    std::uint64_t framesToPanel = 0;
    std::uint64_t framesToTool = 0;
    std::uint64_t exchanges = 0;
    std::uint64_t reads = 0, writes = 0, identifies = 0;
    std::uint64_t crcFaults = 0, silences = 0, noisyExchanges = 0, splitExchanges = 0;
    std::uint64_t valueMismatches = 0;   // accepted value differs from the panel's
    std::uint64_t unexpectedFrames = 0;  // the panel got a frame the soak did not send
    std::uint64_t lostAnswers = 0;       // a clean exchange with no accepted answer
    std::uint64_t acceptedWhileFaulted = 0;
    long rssWarmKiB = 0, rssEndKiB = 0;
};

class Soak : public QObject {
public:
    Soak(std::uint64_t frameTarget, std::uint32_t seed)
        : frameTarget_(frameTarget), random_(seed), host_(PanelOptions(seed)), panel_(host_.Panel()), session_(ports_)
    {
    }

    bool Start()
    {
        if (!host_.Ok()) {
            std::fprintf(stderr, "session_soak: %s\n", qPrintable(host_.Error()));
            return false;
        }
        ports_.PinInMemory(kComNumber, host_.DevicePath().toStdString());

        panel_.SetFrameObserver([this](VirtualPanel::Direction direction, const Bytes& frame) {
            if (direction == VirtualPanel::Direction::ToTool) {
                ++figures_.framesToTool;
                return;
            }
            ++figures_.framesToPanel;
            if (expected_.empty() || expected_.front() != frame) {
                ++figures_.unexpectedFrames;
            } else {
                expected_.pop_front();
            }
        });
        connect(&session_, &PanelSession::BlockRead, this, &Soak::OnBlockAccepted);
        connect(&session_, &PanelSession::Identified, this, [this](const Identification& identity) {
            if (identity.model != panel_.Model() || identity.version != panel_.Version() ||
                identity.serial != panel_.Serial()) {
                ++figures_.valueMismatches;
            }
            Answered();
        });
        connect(&session_, &PanelSession::WriteAccepted, this, [this] { OnStatus(); });
        connect(&session_, &PanelSession::WriteRefused, this, [this] { OnStatus(); });

        // Opening sends the first identification request itself.
        Expect(CommandCode::IdentifyCommand, {});
        pending_ = Pending::Identify;
        if (session_.OpenPort(kComNumber, 115200) != PanelSession::OpenResult::Opened) {
            std::fprintf(stderr, "session_soak: the port did not open\n");
            return false;
        }
        Wait(false);
        return true;
    }

    void Run()
    {
        bool warm = false;
        while (figures_.framesToPanel + figures_.framesToTool < frameTarget_) {
            if (!warm && figures_.framesToPanel + figures_.framesToTool >= frameTarget_ / 20) {
                warm = true;
                figures_.rssWarmKiB = ResidentKiB();
            }
            Exchange();
        }
        // Every frame the soak sent has reached the panel.
        WaitFor([this] { return expected_.empty(); }, kAnswerTimeoutMs);
        figures_.unexpectedFrames += expected_.size() + panel_.BadCrcCount();
        figures_.rssEndKiB = ResidentKiB();
    }

    const Figures& Result() const { return figures_; }

private:
    enum class Pending { None, Identify, Read, Write };

    static VirtualPanel::Options PanelOptions(std::uint32_t seed)
    {
        VirtualPanel::Options options;
        options.model = 56;
        options.seed = seed;
        return options;
    }

    bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }
    std::size_t Pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_); }

    void Expect(CommandCode command, const Bytes& payload)
    {
        Bytes frame(kMaxSendFrame);
        frame.resize(BuildFrame(CommandByte(command), payload.data(), payload.size(), frame.data()));
        expected_.push_back(std::move(frame));
    }


    // The blocks the panel holds that the tool accepts as they are.
    std::vector<std::uint8_t> ReadableBlocks() const
    {
        std::vector<std::uint8_t> ids;
        for (int id = 0; id < 256; ++id) {
            const BlockEntry* entry = FindBlock(static_cast<std::uint8_t>(id));
            const auto block = panel_.Block(static_cast<std::uint8_t>(id));
            if (entry != nullptr && block && AcceptsLength(*entry, block->size())) ids.push_back(static_cast<std::uint8_t>(id));
        }
        return ids;
    }

    // A new content for a block the panel lets the tool write: its stored
    // length, the data bytes drawn at random (the Wi-Fi block keeps its
    // counted strings, with new characters).
    std::optional<Bytes> WritableBlock()
    {
        const std::vector<std::uint8_t> ids = ReadableBlocks();
        for (int attempt = 0; attempt < 8; ++attempt) {
            Bytes block = *panel_.Block(ids[Pick(ids.size())]);
            if (!sim::IsAcceptableWrite(block.data(), block.size(), panel_.Model())) continue;
            if (block[0] == sim::kWifiBlock) {
                const std::size_t nameLength = block[1];
                for (std::size_t i = 0; i < nameLength; ++i) block[2 + i] = static_cast<std::uint8_t>('a' + Pick(26));
            } else {
                for (std::size_t i = 1; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(Pick(256));
            }
            return block;
        }
        return std::nullopt;
    }

    void ChooseFaults()
    {
        // Noise and piecewise delivery come and go in spells.
        if (Chance(0.01)) {
            noise_ = Chance(0.5) ? 1 + Pick(8) : 0;
            panel_.SetNoise(noise_);
        }
        if (Chance(0.01)) panel_.SetChunking(Chance(0.5) ? 1 + Pick(12) : 0);
        faulted_ = false;
        if (Chance(0.02)) {
            panel_.CorruptNextCrc();
            ++figures_.crcFaults;
            faulted_ = true;
        } else if (Chance(0.01)) {
            panel_.SetSilent(true);
            ++figures_.silences;
            faulted_ = true;
        }
    }

    void Exchange()
    {
        ChooseFaults();
        answered_ = false;
        const std::size_t kind = Pick(10);
        if (kind == 0) {
            pending_ = Pending::Identify;
            ++figures_.identifies;
            Expect(CommandCode::IdentifyCommand, {});
            session_.Identify();
        } else if (kind <= 3) {
            const std::optional<Bytes> block = WritableBlock();
            if (!block) return;
            pending_ = Pending::Write;
            written_ = *block;
            ++figures_.writes;
            Expect(CommandCode::WriteBlockCommand, written_);
            session_.WriteBlock(written_);
        } else {
            const std::vector<std::uint8_t> ids = ReadableBlocks();
            pending_ = Pending::Read;
            ++figures_.reads;
            const std::uint8_t id = ids[Pick(ids.size())];
            Expect(CommandCode::ReadBlockCommand, {id});
            session_.ReadBlock(id);
        }
        ++figures_.exchanges;
        if (panel_.ChunkingMax() > 0) ++figures_.splitExchanges;
        if (noise_ > 0) ++figures_.noisyExchanges;
        Wait(faulted_);
        panel_.SetSilent(false);
        pending_ = Pending::None;
    }

    void OnBlockAccepted(const Bytes& payload)
    {
        const auto stored = panel_.Block(payload[0]);
        if (!stored || *stored != payload) ++figures_.valueMismatches;
        if (pending_ == Pending::Read) Answered();
    }

    void OnStatus()
    {
        if (pending_ != Pending::Write) return;
        // The acknowledgement of a write: the panel holds what was sent.
        if (panel_.Block(written_[0]) != written_) ++figures_.valueMismatches;
        Answered();
    }

    void Answered()
    {
        if (faulted_) ++figures_.acceptedWhileFaulted;
        answered_ = true;
        if (loop_) loop_->quit();
    }

    // A clean exchange waits for its answer; a faulted one settles for a
    // moment, in which no answer may be accepted.
    void Wait(bool faulted)
    {
        if (faulted) {
            WaitFor([] { return false; }, kFaultSettleMs);
            return;
        }
        if (!WaitFor([this] { return answered_; }, kAnswerTimeoutMs)) ++figures_.lostAnswers;
    }

    template <typename Done>
    bool WaitFor(Done done, int timeoutMs)
    {
        if (done()) return true;
        QEventLoop loop;
        loop_ = &loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        // Checked after each event, for conditions no signal announces.
        QTimer poll;
        connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done()) loop.quit();
        });
        poll.start(1);
        loop.exec();
        loop_ = nullptr;
        return done();
    }

    std::uint64_t frameTarget_;
    std::mt19937 random_;
    PanelHost host_;  // outlives the session: the tool lets go of the port first
    VirtualPanel& panel_;
    SystemPortCatalogue ports_{SystemPortCatalogue::Options{}};
    PanelSession session_;
    QEventLoop* loop_ = nullptr;

    std::deque<Bytes> expected_;  // frames sent, not yet seen by the panel
    Pending pending_ = Pending::None;
    Bytes written_;
    std::size_t noise_ = 0;
    bool faulted_ = false;
    bool answered_ = false;
    Figures figures_;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::uint64_t frames = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
    const auto seed = static_cast<std::uint32_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1);

    Soak soak(frames, seed);
    if (!soak.Start()) return 2;
    soak.Run();
    const Figures& f = soak.Result();
    std::printf("frames exchanged      %llu (to the panel %llu, to the tool %llu)\n",
                static_cast<unsigned long long>(f.framesToPanel + f.framesToTool),
                static_cast<unsigned long long>(f.framesToPanel), static_cast<unsigned long long>(f.framesToTool));
    std::printf("exchanges             %llu (reads %llu, writes %llu, identifications %llu)\n",
                static_cast<unsigned long long>(f.exchanges), static_cast<unsigned long long>(f.reads),
                static_cast<unsigned long long>(f.writes), static_cast<unsigned long long>(f.identifies));
    std::printf("faults injected       CRC %llu, silences %llu, noisy exchanges %llu, split exchanges %llu\n",
                static_cast<unsigned long long>(f.crcFaults), static_cast<unsigned long long>(f.silences),
                static_cast<unsigned long long>(f.noisyExchanges), static_cast<unsigned long long>(f.splitExchanges));
    std::printf("value mismatches      %llu\n", static_cast<unsigned long long>(f.valueMismatches));
    std::printf("unexpected frames     %llu\n", static_cast<unsigned long long>(f.unexpectedFrames));
    std::printf("lost answers          %llu\n", static_cast<unsigned long long>(f.lostAnswers));
    std::printf("accepted when faulted %llu\n", static_cast<unsigned long long>(f.acceptedWhileFaulted));
    std::printf("resident memory       %ld KiB warmed up, %ld KiB at the end\n", f.rssWarmKiB, f.rssEndKiB);

    const bool flat = f.rssEndKiB - f.rssWarmKiB <= kRssToleranceKiB;
    const bool ok = f.valueMismatches == 0 && f.unexpectedFrames == 0 && f.lostAnswers == 0 &&
                    f.acceptedWhileFaulted == 0 && flat;
    std::printf("%s\n", ok ? "soak passed" : "SOAK FAILED");
    return ok ? 0 : 1;
}
