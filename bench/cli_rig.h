#pragma once
// What the benchmarks of the command-line tool share: the processor time of
// the calling thread, and a setting of their own: a temporary folder, a port
// catalogue that sees none of the machine's ports, and the software panel on
// a thread of its own.

#include <QTemporaryDir>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "panel_thread.h"
#include "ports/port_catalogue.h"

// What bytes take on the line at 115200 bit/s, ten bits a byte (start, 8
// data, stop): the measure of the tool's share.
inline constexpr double kBitsPerByte = 10.0;
inline constexpr double kWireSpeed = 115200.0;
inline double WireSeconds(std::size_t bytes) { return static_cast<double>(bytes) * kBitsPerByte / kWireSpeed; }

inline double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

class CliRig {
public:
    CliRig() : ports_(Folders(dir_)) {}

    // False, saying why, when the panel did not start.
    bool Ok()
    {
        if (panelThread_.Host().Ok()) return true;
        std::fprintf(stderr, "panel not started: %s\n", qPrintable(panelThread_.Host().Error()));
        return false;
    }
    QTemporaryDir& Dir() { return dir_; }
    SystemPortCatalogue& Ports() { return ports_; }
    PanelThread& Panel() { return panelThread_; }

private:
    static SystemPortCatalogue::Options Folders(const QTemporaryDir& dir)
    {
        const std::filesystem::path root = dir.path().toStdString();
        std::filesystem::create_directories(root / "dev");
        return {root / "ports", root / "dev"};
    }

    QTemporaryDir dir_;
    SystemPortCatalogue ports_;
    PanelThread panelThread_;
};
