// Full backup and full restore of a model-51 panel with the command-line
// tool, against the software panel on a pseudo-terminal (no baud limit), and
// the time those exchanges would take on the wire at 115200 bit/s. The
// tool's share is its time over the wire time: it must stay small, since the
// tool waits for each answer and never sleeps.
//   cli_bench [rounds]   (default 20)
// Opening the port and identifying the panel are measured apart (identify)
// and set aside for the share of the block exchanges.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

#include "app/panel_host.h"
#include "cli/cli_tool.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"

namespace {

constexpr double kBitsPerByte = 10.0;  // start, 8 data, stop
constexpr double kWireSpeed = 115200.0;

struct Figures {
    double seconds = 0;
    std::size_t bytes = 0;  // both ways, whole frames
};

void Report(const char* what, const Figures& figures, const Figures& identify, int rounds)
{
    const double perRound = figures.seconds / rounds;
    const double wire = static_cast<double>(figures.bytes) / rounds * kBitsPerByte / kWireSpeed;
    // Opening the port and identifying the panel cost the same in every
    // command; what remains is the block exchanges themselves.
    const double exchanges = perRound - identify.seconds / rounds;
    const double exchangeWire = static_cast<double>(figures.bytes - identify.bytes) / rounds * kBitsPerByte / kWireSpeed;
    std::printf("%-8s %7.2f ms per run over the pty, %5zu bytes, %7.2f ms at 115200: share %5.1f %% in all, "
                "%5.1f %% for the block exchanges\n",
                what, perRound * 1e3, figures.bytes / static_cast<std::size_t>(rounds), wire * 1e3,
                100.0 * perRound / wire, 100.0 * exchanges / exchangeWire);
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    std::filesystem::create_directories(root / "dev");
    SystemPortCatalogue ports({root / "ports", root / "dev"});
    PanelHost host(VirtualPanel::Options{.model = 51});
    if (!host.Ok()) {
        std::fprintf(stderr, "panel not started: %s\n", qPrintable(host.Error()));
        return 1;
    }
    ports.PinInMemory(3, host.DevicePath().toStdString());
    VirtualPanel& panel = host.Panel();
    std::size_t bytes = 0;
    panel.SetFrameObserver([&bytes](VirtualPanel::Direction, const std::vector<uint8_t>& frame) { bytes += frame.size(); });

    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    SystemClock clock;
    CliEnvironment environment{ports, clock, outStream, errStream, false};
    const QString file = dir.filePath("panel.json");
    const std::vector<uint8_t> writable{1, 2, 3, 6, 17, 23, 24, 25, 26, 38, 39, 40, 41, 42};
    const auto original = [&] {
        std::vector<std::vector<uint8_t>> blocks;
        for (uint8_t id : writable) blocks.push_back(*panel.Block(id));
        return blocks;
    }();

    Figures backup;
    Figures restore;
    QElapsedTimer timer;
    for (int round = 0; round < rounds; ++round) {
        bytes = 0;
        timer.start();
        if (RunCli({"backup", "--port", "COM3", file}, environment) != 0) {
            std::fprintf(stderr, "backup failed: %s\n", qPrintable(err));
            return 1;
        }
        backup.seconds += static_cast<double>(timer.nsecsElapsed()) / 1e9;
        backup.bytes += bytes;

        // Every writable block differs from the file: the restore writes them all.
        for (std::vector<uint8_t> block : original) {
            block.back() ^= 1;
            panel.SetBlock(block);
        }
        bytes = 0;
        timer.start();
        if (RunCli({"restore", "--port", "COM3", file}, environment) != 0) {
            std::fprintf(stderr, "restore failed: %s\n", qPrintable(err));
            return 1;
        }
        restore.seconds += static_cast<double>(timer.nsecsElapsed()) / 1e9;
        restore.bytes += bytes;
    }
    Figures identify;
    for (int round = 0; round < rounds; ++round) {
        bytes = 0;
        timer.start();
        RunCli({"identify", "--port", "COM3"}, environment);
        identify.seconds += static_cast<double>(timer.nsecsElapsed()) / 1e9;
        identify.bytes += bytes;
    }
    std::printf("identify %7.2f ms per run over the pty (port opened and closed), %zu bytes\n",
                identify.seconds / rounds * 1e3, identify.bytes / static_cast<std::size_t>(rounds));
    Report("backup", backup, identify, rounds);
    Report("restore", restore, identify, rounds);
    return 0;
}
