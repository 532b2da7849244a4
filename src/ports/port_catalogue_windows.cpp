// The catalogue on Windows: the system's own numbers, \\.\COM1 to
// \\.\COM255, each probed; there is no port folder.
#include "ports/port_catalogue.h"

#include <utility>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "ports/com_names.h"

namespace fs = std::filesystem;
using ports_internal::ComName;
using ports_internal::IsComNumber;

bool ProbeFindsPort(unsigned long openError)
{
    switch (openError) {
    case ERROR_SUCCESS:
    case ERROR_ACCESS_DENIED:       // 5
    case ERROR_GEN_FAILURE:         // 31
    case ERROR_SHARING_VIOLATION:   // 32
    case ERROR_SEM_TIMEOUT:         // 121
        return true;
    default:
        return false;
    }
}

// The system numbers its own ports; probing is the only way to learn which
// exist, and a port held by another program still counts.
bool IsDevicePresent(const std::string& devicePath)
{
    HANDLE handle = CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return true;
    }
    return ProbeFindsPort(GetLastError());
}

fs::path DefaultPortFolder()
{
    return {};
}

std::optional<std::string> PortFolderProblem(const fs::path&)
{
    return std::nullopt;
}

bool RegisterPort(const fs::path&, int, const std::string&, int)
{
    return false;
}

void UnregisterPort(const fs::path&, int) {}

std::vector<int> RegisteredPortNumbers(const fs::path&)
{
    return {};
}

SystemPortCatalogue::SystemPortCatalogue() : SystemPortCatalogue(Options{}) {}

SystemPortCatalogue::SystemPortCatalogue(Options options) : options_(std::move(options)) {}

std::optional<std::string> SystemPortCatalogue::DevicePath(int number) const
{
    if (!IsComNumber(number) || NetworkPort(number)) return std::nullopt;
    return "\\\\.\\" + ComName(number);
}

std::vector<PortEntry> SystemPortCatalogue::Scan() const
{
    std::vector<PortEntry> ports;
    for (int number = kFirstComNumber; number <= kLastComNumber; ++number) {
        std::string path = "\\\\.\\" + ComName(number);
        if (!NetworkPort(number) && IsDevicePresent(path)) ports.push_back({number, std::move(path)});
    }
    AddNetworkPorts(ports);
    return ports;
}
