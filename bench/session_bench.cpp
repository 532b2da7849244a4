// A full backup's exchanges (every configuration block of a model-51 panel,
// each asked for and awaited as the command-line tool does) run by the
// panel session on a link in memory, and the same over a pseudo-terminal.
//   session_bench [rounds]   (default 200)
// In memory the software panel answers inside the tool's thread: its own
// processor time is measured apart and taken out, so what remains is the
// tool's time per block (session, assembler, dispatcher, awaited exchange,
// event loop). Over the pseudo-terminal the panel runs on a thread of its
// own, as in cli_bench, and the tool's thread time is the tool's alone.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/panel_host.h"
#include "panel_thread.h"
#include "core/config/panel_backup.h"
#include "ports/port_catalogue.h"
#include "session/memory_link.h"
#include "session/panel_exchange.h"
#include "session/panel_session.h"
#include "sim/virtual_panel.h"

namespace {

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Figures {
    double wall = 0;  // seconds
    double tool = 0;  // seconds of the tool's own processor time
    std::size_t blocks = 0;
};

// Reads every configuration block, rounds times; false when one failed.
bool Backups(PanelSession& session, int rounds, Figures& figures, const std::function<double()>& panelSeconds)
{
    PanelExchange exchange(session);
    const std::vector<std::uint8_t> ids = ConfigurationBlockIds();
    QElapsedTimer timer;
    timer.start();
    const double start = ThreadSeconds();
    const double panelStart = panelSeconds();
    for (int round = 0; round < rounds; ++round) {
        for (std::uint8_t id : ids) {
            if (exchange.ReadBlock(id).outcome != PanelExchange::Outcome::Done) {
                std::fprintf(stderr, "block %u not read\n", unsigned{id});
                return false;
            }
        }
    }
    figures.tool = ThreadSeconds() - start - (panelSeconds() - panelStart);
    figures.wall = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    figures.blocks = ids.size() * static_cast<std::size_t>(rounds);
    return true;
}

void Report(const char* what, const Figures& figures)
{
    const double n = static_cast<double>(figures.blocks);
    std::printf("%-18s %zu blocks: %7.1f us per block in all, tool %7.1f us per block\n", what, figures.blocks,
                figures.wall / n * 1e6, figures.tool / n * 1e6);
}

bool InMemory(int rounds, Figures& figures)
{
    auto* link = new MemoryLink;
    PanelSession session{std::unique_ptr<ByteLink>(link)};
    VirtualPanel panel(VirtualPanel::Options{.model = 51});
    double panelTime = 0;
    link->SetFarEnd([&](const std::uint8_t* bytes, std::size_t count) {
        const double start = ThreadSeconds();
        std::vector<std::uint8_t> answer = panel.Feed(bytes, count);
        panelTime += ThreadSeconds() - start;
        link->Deliver(std::move(answer));
    });
    if (session.OpenPort(3, 115200) != PanelSession::OpenResult::Opened) return false;
    if (!PanelExchange(session).Identify(/*sentOnOpen=*/true)) return false;
    return Backups(session, rounds, figures, [&] { return panelTime; });
}

bool OverPseudoTerminal(int rounds, Figures& figures)
{
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    std::filesystem::create_directories(root / "dev");
    SystemPortCatalogue ports({root / "ports", root / "dev"});
    PanelThread panelThread;
    if (!panelThread.Host().Ok()) return false;
    ports.PinInMemory(3, panelThread.Host().DevicePath().toStdString());
    PanelSession session(ports);
    if (session.OpenPort(3, 115200) != PanelSession::OpenResult::Opened) return false;
    if (!PanelExchange(session).Identify(/*sentOnOpen=*/true)) return false;
    return Backups(session, rounds, figures, [] { return 0.0; });
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    Figures memory;
    Figures pty;
    if (!InMemory(rounds, memory) || !OverPseudoTerminal(rounds, pty)) return 1;
    Report("in memory", memory);
    Report("pseudo-terminal", pty);
    return 0;
}
