// Full backup and full restore of a model-51 panel with the command-line
// tool, against the software panel on a pseudo-terminal (no baud limit), and
// the time those exchanges would take on the wire at 115200 bit/s.
//   cli_bench [rounds]   (default 20)
// The panel runs on a thread of its own, as a real panel runs on its own
// hardware, so the tool's thread holds the tool's work alone: its processor
// time over the wire time is the tool's share, which must stay small since
// the tool waits for each answer and never sleeps. Opening the port and
// identifying the panel are measured apart (identify) and set aside for the
// share of the block exchanges.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/panel_host.h"
#include "cli_rig.h"
#include "cli/cli_tool.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"

namespace {

struct Figures {
    double seconds = 0;     // wall time
    double toolSeconds = 0;  // processor time of the tool's thread
    std::size_t bytes = 0;  // both ways, whole frames
};

void Report(const char* what, const Figures& figures, const Figures& identify, int rounds)
{
    const double n = rounds;
    const double wire = WireSeconds(figures.bytes) / n;
    // Opening the port and identifying the panel cost the same in every
    // command; what remains is the block exchanges themselves.
    const double exchangeTool = (figures.toolSeconds - identify.toolSeconds) / n;
    const double exchangeWire = WireSeconds(figures.bytes - identify.bytes) / n;
    std::printf("%-8s %6.2f ms per run over the pty, tool %6.2f ms, %4zu bytes, %6.2f ms at 115200: "
                "tool's share %5.1f %% in all, %5.1f %% of the block exchanges\n",
                what, figures.seconds / n * 1e3, figures.toolSeconds / n * 1e3,
                figures.bytes / static_cast<std::size_t>(rounds), wire * 1e3, 100.0 * figures.toolSeconds / n / wire,
                100.0 * exchangeTool / exchangeWire);
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    CliRig rig;
    if (!rig.Ok()) return 1;
    QTemporaryDir& dir = rig.Dir();
    SystemPortCatalogue& ports = rig.Ports();
    PanelThread& panelThread = rig.Panel();
    PanelHost& host = panelThread.Host();
    ports.PinInMemory(3, host.DevicePath().toStdString());
    VirtualPanel& panel = host.Panel();
    std::atomic<std::size_t> bytes = 0;
    panelThread.Run([&] {
        panel.SetFrameObserver([&bytes](VirtualPanel::Direction, const std::vector<uint8_t>& frame) {
            bytes += frame.size();
        });
    });

    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    SystemClock clock;
    CliEnvironment environment{ports, clock, outStream, errStream, false};
    environment.defaultLibrary = dir.filePath("library.sqlite");
    const QString file = dir.filePath("panel.json");
    const std::vector<uint8_t> writable{1, 2, 3, 6, 17, 23, 24, 25, 26, 38, 39, 40, 41, 42};
    std::vector<std::vector<uint8_t>> original;
    panelThread.Run([&] {
        for (uint8_t id : writable) original.push_back(*panel.Block(id));
    });

    Figures backup;
    Figures restore;
    const auto Measure = [&](const QStringList& arguments, Figures& figures) {
        bytes = 0;
        QElapsedTimer timer;
        timer.start();
        const double toolStart = ThreadSeconds();
        if (RunCli(arguments, environment) != 0) {
            std::fprintf(stderr, "%s failed: %s\n", qPrintable(arguments.front()), qPrintable(err));
            return false;
        }
        figures.toolSeconds += ThreadSeconds() - toolStart;
        figures.seconds += static_cast<double>(timer.nsecsElapsed()) / 1e9;
        figures.bytes += bytes;
        return true;
    };
    for (int round = 0; round < rounds; ++round) {
        if (!Measure({"backup", "--port", "COM3", file}, backup)) return 1;
        // Every writable block differs from the file: the restore writes them all.
        panelThread.Run([&] {
            for (std::vector<uint8_t> block : original) {
                block.back() ^= 1;
                panel.SetBlock(block);
            }
        });
        if (!Measure({"restore", "--port", "COM3", file}, restore)) return 1;
    }
    Figures identify;
    for (int round = 0; round < rounds; ++round) {
        if (!Measure({"identify", "--port", "COM3"}, identify)) return 1;
    }
    std::printf("identify %6.2f ms per run over the pty, tool %6.2f ms (port opened and closed), %zu bytes\n",
                identify.seconds / rounds * 1e3, identify.toolSeconds / rounds * 1e3,
                identify.bytes / static_cast<std::size_t>(rounds));
    Report("backup", backup, identify, rounds);
    Report("restore", restore, identify, rounds);
    return 0;
}
