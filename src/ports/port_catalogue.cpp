// What the catalogue does alike on every system: pins held in memory and
// the numbering rule. The system's own parts are port_catalogue_posix.cpp
// and port_catalogue_windows.cpp.
#include "ports/port_catalogue.h"

#include <algorithm>
#include <utility>

#include "ports/com_names.h"

using ports_internal::IsComNumber;

void SystemPortCatalogue::PinInMemory(int number, std::string devicePath)
{
    if (IsComNumber(number) && !devicePath.empty()) memoryPins_[number] = std::move(devicePath);
}

void SystemPortCatalogue::Unpin(int number) { memoryPins_.erase(number); }

int LowestFreeComNumber(const std::vector<int>& taken)
{
    for (int number = kFirstComNumber; number <= kLastComNumber; ++number) {
        if (std::find(taken.begin(), taken.end(), number) == taken.end()) return number;
    }
    return 0;
}
