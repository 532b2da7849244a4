// A whole backup (every block and every RF sensor) and a firmware update of
// the demo image at 115200 bit/s, with the command-line tool in-process,
// over the paced software panel's pseudo-terminal and across a ser2net in
// front of that same terminal: rfc2217:// and socket://, each with ser2net's
// default character delay and with it off (what the README recommends).
//   network_bench [rounds=3] [ser2net=/usr/sbin/ser2net]
// The panel runs on a thread of its own and sends at the pace of the line,
// as a real panel does; the tool's bytes cross the terminal at once. The
// wire time is every byte both ways at 115200 bit/s (10 bits a byte): what a
// real line needs at least. Printed per way and run (medians):
//   backup: wall time, wire time, the time beyond the wire as a share of
//           it, and the tool's processor time as a share of it;
//   update: the packet phase (first packet to the result, as the panel
//           saw it), its wire time and share, and the time a packet.
// The ways are compared with the local terminal: the time a network way
// adds, as a share of the wire time.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

#include "app/panel_host.h"
#include "cli/cli_tool.h"
#include "core/link/commands.h"
#include "cli_rig.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"

namespace {

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What the panel saw of a run, from its own thread.
class Watch {
public:
    void Reset()
    {
        const std::lock_guard lock(mutex_);
        bytes_ = 0;
        packets_ = 0;
        resultSeen_ = false;
    }
    void See(VirtualPanel::Direction direction, const std::vector<std::uint8_t>& frame)
    {
        const std::lock_guard lock(mutex_);
        const auto now = std::chrono::steady_clock::now();
        bytes_ += frame.size();
        if (frame.size() < 3) return;
        if (direction == VirtualPanel::Direction::FromTool && frame[2] == CommandByte(CommandCode::UpdatePacketCommand)) {
            if (packets_++ == 0) {
                firstPacket_ = now;
                bytesAtFirstPacket_ = bytes_ - frame.size();
            }
        } else if (direction == VirtualPanel::Direction::ToTool && packets_ > 0 && !resultSeen_ &&
                   frame[2] == kUpdateResultType) {
            resultSeen_ = true;
            result_ = now;
            bytesAtResult_ = bytes_;
        }
    }
    std::size_t Bytes()
    {
        const std::lock_guard lock(mutex_);
        return bytes_;
    }
    // The packet phase: seconds, bytes and packets; zero when there was none.
    double PhaseSeconds()
    {
        const std::lock_guard lock(mutex_);
        return resultSeen_ ? std::chrono::duration<double>(result_ - firstPacket_).count() : 0;
    }
    std::size_t PhaseBytes()
    {
        const std::lock_guard lock(mutex_);
        return resultSeen_ ? bytesAtResult_ - bytesAtFirstPacket_ : 0;
    }
    int Packets()
    {
        const std::lock_guard lock(mutex_);
        return packets_;
    }

private:
    // The bootloader's result frame: its type byte, as the panel sends it.
    static constexpr std::uint8_t kUpdateResultType = 0x0A;
    std::mutex mutex_;
    std::size_t bytes_ = 0;
    int packets_ = 0;
    bool resultSeen_ = false;
    std::chrono::steady_clock::time_point firstPacket_{}, result_{};
    std::size_t bytesAtFirstPacket_ = 0, bytesAtResult_ = 0;
};

struct Way {
    QString name;
    QString port;
    std::vector<double> backupWall, backupWire, backupTool;
    std::vector<double> phase, phaseWire, perPacket;
};

bool Listening(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    const bool up = socket.waitForConnected(200);
    socket.abort();
    return up;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const QString ser2net = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/usr/sbin/ser2net");

    CliRig rig;
    if (!rig.Ok()) return 1;
    QTemporaryDir& dir = rig.Dir();
    SystemPortCatalogue& ports = rig.Ports();
    PanelThread& panelThread = rig.Panel();
    PanelHost& host = panelThread.Host();
    Watch watch;
    panelThread.Run([&] {
        host.SetPaced(true);
        host.Panel().SetFrameObserver(
            [&watch](VirtualPanel::Direction direction, const std::vector<uint8_t>& frame) { watch.See(direction, frame); });
    });

    // One server, four accepters in front of the one terminal: a client at
    // a time, which is how the runs go.
    quint16 ports4[4];
    {
        // Held together while drawn, so that the four differ.
        QTcpServer probes[4];
        for (int i = 0; i < 4; ++i) {
            probes[i].listen(QHostAddress::LocalHost, 0);
            ports4[i] = probes[i].serverPort();
        }
    }
    const QString device = host.DevicePath();
    QString yaml;
    const char* accepters[4] = {"telnet(rfc2217),tcp", "tcp", "telnet(rfc2217),tcp", "tcp"};
    for (int i = 0; i < 4; ++i) {
        yaml += QStringLiteral("connection: &c%1\n    accepter: %2,127.0.0.1,%3\n    connector: serialdev,%4,115200n81,local\n")
                    .arg(i)
                    .arg(QLatin1String(accepters[i]))
                    .arg(ports4[i])
                    .arg(device);
        if (i >= 2) yaml += QStringLiteral("    options:\n      chardelay: false\n");
    }
    QFile config(dir.filePath("ser2net.yaml"));
    if (!config.open(QIODevice::WriteOnly) || config.write(yaml.toUtf8()) < 0) return 1;
    config.close();
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(ser2net, {"-n", "-c", config.fileName()});
    if (!server.waitForStarted(5000)) {
        std::fprintf(stderr, "cannot start %s: %s\n", qPrintable(ser2net), qPrintable(server.errorString()));
        return 1;
    }
    bool up = false;
    for (int i = 0; i < 50 && !up; ++i) {
        up = std::all_of(std::begin(ports4), std::end(ports4), Listening);
        if (!up) QThread::msleep(100);
    }
    if (!up) {
        std::fprintf(stderr, "ser2net is not listening: %s\n", server.readAll().constData());
        return 1;
    }

    std::vector<Way> ways{
        {"local terminal", device, {}, {}, {}, {}, {}, {}},
        {"rfc2217, ser2net defaults", QStringLiteral("rfc2217://127.0.0.1:%1").arg(ports4[0]), {}, {}, {}, {}, {}, {}},
        {"socket, ser2net defaults", QStringLiteral("socket://127.0.0.1:%1").arg(ports4[1]), {}, {}, {}, {}, {}, {}},
        {"rfc2217, chardelay off", QStringLiteral("rfc2217://127.0.0.1:%1").arg(ports4[2]), {}, {}, {}, {}, {}, {}},
        {"socket, chardelay off", QStringLiteral("socket://127.0.0.1:%1").arg(ports4[3]), {}, {}, {}, {}, {}, {}},
    };

    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    SystemClock clock;
    CliEnvironment environment{ports, clock, outStream, errStream, false};
    environment.defaultLibrary = dir.filePath("library.sqlite");
    const QString file = dir.filePath("panel.json");
    const auto Run = [&](const QStringList& arguments, double& wall, double& tool) {
        watch.Reset();
        QElapsedTimer timer;
        timer.start();
        const double toolStart = ThreadSeconds();
        const int code = RunCli(arguments, environment);
        tool = ThreadSeconds() - toolStart;
        wall = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (code != 0) std::fprintf(stderr, "%s failed (%d): %s\n", qPrintable(arguments.join(' ')), code, qPrintable(err));
        err.clear();
        return code == 0;
    };
    for (Way& way : ways) {
        // ser2net lets the terminal go a moment after its client left: an
        // accepter of the same terminal connected at once would refuse.
        QThread::msleep(1000);
        for (int round = 0; round < rounds; ++round) {
            double wall = 0, tool = 0;
            if (!Run({"backup", "--no-library", "--rf", "--port", way.port, file}, wall, tool)) return 1;
            const double wire = WireSeconds(watch.Bytes());
            way.backupWall.push_back(wall);
            way.backupWire.push_back(wire);
            way.backupTool.push_back(tool);
            if (!Run({"flash", "--no-library", "--port", way.port, QStringLiteral(QUORVEL_DEMO_IMAGE)}, wall, tool)) return 1;
            if (watch.PhaseSeconds() <= 0) {
                std::fprintf(stderr, "flash over %s: no packet phase seen\n", qPrintable(way.port));
                return 1;
            }
            way.phase.push_back(watch.PhaseSeconds());
            way.phaseWire.push_back(WireSeconds(watch.PhaseBytes()));
            way.perPacket.push_back(watch.PhaseSeconds() / watch.Packets());
        }
    }

    const Way& local = ways.front();
    const double localBeyond = Median(local.backupWall) - Median(local.backupWire);
    const double localPhase = Median(local.phase);
    std::printf("%d rounds, medians; wire time: every byte both ways at 115200 bit/s\n", rounds);
    for (const Way& way : ways) {
        const double wall = Median(way.backupWall), wire = Median(way.backupWire), tool = Median(way.backupTool);
        const double phase = Median(way.phase), phaseWire = Median(way.phaseWire);
        std::printf("%-26s backup %6.0f ms, wire %6.0f ms: beyond the wire %+6.1f %%, tool %4.1f %%, "
                    "over the local run %+5.1f %%\n",
                    qPrintable(way.name), wall * 1e3, wire * 1e3, 100 * (wall - wire) / wire, 100 * tool / wire,
                    100 * (wall - wire - localBeyond) / wire);
        std::printf("%-26s update: packet phase %5.0f ms (%4.2f ms a packet), wire %5.0f ms: %5.1f %%, "
                    "over the local run %+5.1f %%\n",
                    "", phase * 1e3, Median(way.perPacket) * 1e3, phaseWire * 1e3, 100 * phase / phaseWire,
                    100 * (phase - localPhase) / phaseWire);
    }
    server.terminate();
    server.waitForFinished(5000);
    return 0;
}
