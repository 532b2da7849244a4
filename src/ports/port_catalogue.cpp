// What the catalogue does alike on every system: pins held in memory and
// the numbering rule. The system's own parts are port_catalogue_posix.cpp
// and port_catalogue_windows.cpp.
#include "ports/port_catalogue.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "ports/com_names.h"

using ports_internal::ComName;
using ports_internal::IsComNumber;

void SystemPortCatalogue::PinInMemory(int number, std::string devicePath)
{
    if (IsComNumber(number) && !devicePath.empty()) memoryPins_[number] = std::move(devicePath);
}

void SystemPortCatalogue::Unpin(int number) { memoryPins_.erase(number); }

void SystemPortCatalogue::SetNetworkPorts(std::map<int, NetworkAddress> ports)
{
    std::erase_if(ports, [](const auto& entry) { return !IsComNumber(entry.first); });
    networkPorts_ = std::move(ports);
}

std::optional<NetworkAddress> SystemPortCatalogue::NetworkPort(int number) const
{
    // A pin in memory is this process's own choice for the number.
    if (memoryPins_.count(number)) return std::nullopt;
    const auto found = networkPorts_.find(number);
    if (found == networkPorts_.end()) return std::nullopt;
    return found->second;
}

void SystemPortCatalogue::AddNetworkPorts(std::vector<PortEntry>& ports) const
{
    if (networkPorts_.empty()) return;
    std::erase_if(ports, [this](const PortEntry& entry) { return NetworkPort(entry.number).has_value(); });
    for (const auto& [number, address] : networkPorts_) {
        if (NetworkPort(number)) ports.push_back({number, address.Text(), true});
    }
    std::sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });
}

int LowestFreeComNumber(const std::vector<int>& taken)
{
    for (int number = kFirstComNumber; number <= kLastComNumber; ++number) {
        if (std::find(taken.begin(), taken.end(), number) == taken.end()) return number;
    }
    return 0;
}

void SystemPortCatalogue::ReportIgnoredEntry(int number, const std::string& problem) const
{
    std::string reason = "Entrada " + ComName(number) + " da pasta de portas ignorada: " + problem + ".";
    auto& known = ignoredEntries_[number];
    if (known == reason) return;
    Say(reason);
    known = std::move(reason);
}

void SystemPortCatalogue::Say(const std::string& reason) const
{
    if (sink_) {
        sink_(reason);
    } else {
        std::fprintf(stderr, "quorvel: %s\n", reason.c_str());
    }
}

void SystemPortCatalogue::SetReasonSink(ReasonSink sink)
{
    sink_ = std::move(sink);
    ignoredReason_.clear();
    ignoredEntries_.clear();
}

std::optional<std::string> SystemPortCatalogue::IgnoredEntryReason(int number) const
{
    const auto found = ignoredEntries_.find(number);
    if (found == ignoredEntries_.end()) return std::nullopt;
    return found->second;
}

std::string SystemPortCatalogue::IgnoredFolderReason() const
{
    std::string reason = ignoredReason_;
    for (const auto& [number, entry] : ignoredEntries_) {
        if (!reason.empty()) reason += "\n";
        reason += entry;
    }
    return reason;
}
