// Start-up and idle cost of the tool, built exactly as main() builds it:
// the time from process start to the main window first shown (the port
// scan included), the resident memory once shown, and the CPU the idle
// window uses with its one-second timer running.
//   startup_bench [idle seconds]   (default 10)

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "app/application.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"
#include "ui/common/dialogs.h"
#include "ui/main/form_principal.h"

namespace {

// Seconds since boot at which this process started, from the kernel.
double ProcessStartSeconds()
{
    std::ifstream stat("/proc/self/stat");
    std::string field;
    // Field 22 is the start time in clock ticks; the command name (field 2)
    // is in parentheses and may hold spaces, so skip past its last ')'.
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    std::istringstream rest(line.substr(close + 2));
    for (int i = 3; i <= 22; ++i) rest >> field;
    return std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double BootSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    const double started = ProcessStartSeconds();
    QApplication app(argc, argv);
    const int idleSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

    QtDialogs dialogs;
    SystemPortCatalogue ports;
    SystemClock clock;
    Application application({dialogs, ports, clock}, {});
    TFormPrincipal& window = application.MainWindow();
    window.show();
    // The first turn of the event loop after show() paints the window.
    QTimer::singleShot(0, [&] {
        const double shownMs = (BootSeconds() - started) * 1000.0;
        const long rssKb = ResidentKilobytes();
        const double cpuBefore = CpuSeconds();
        QTimer::singleShot(idleSeconds * 1000, [&, shownMs, rssKb, cpuBefore] {
            const double idleCpu = (CpuSeconds() - cpuBefore) / idleSeconds * 100.0;
            std::printf("start-up to window shown: %.0f ms (target < 300)\n", shownMs);
            std::printf("resident memory once shown: %.1f MB (target < 80)\n", rssKb / 1024.0);
            std::printf("idle CPU over %d s: %.2f %% of a core (target < 1)\n", idleSeconds, idleCpu);
            QApplication::quit();
        });
    });
    return QApplication::exec();
}
