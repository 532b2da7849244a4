#include "core/diagnostics/status_polling.h"

#include <algorithm>

std::optional<std::uint8_t> NextStatusPage(int tabIndex, std::uint8_t last)
{
    switch (static_cast<DebugTab>(tabIndex)) {
    case DebugTab::CentralAlarme: return last == 1 ? 16 : 1;
    case DebugTab::Modem: return last == 1 ? 5 : last == 5 ? 8 : 1;
    case DebugTab::BackupCelular: return last == 22 ? 23 : last == 23 ? 24 : 22;
    case DebugTab::Wifi: return 10;
    case DebugTab::Fila: return 6;
    case DebugTab::Temperatura: return 27;
    case DebugTab::Rf: return 21;
    case DebugTab::ParticoesTeclado: return 25;
    default: return std::nullopt;
    }
}

std::optional<Outgoing> StatusPolling::Tick()
{
    const std::optional<std::uint8_t> page = NextStatusPage(tab_, last_);
    if (!page) return std::nullopt;
    last_ = *page;
    return StatusPageRequest(*page);
}

std::vector<std::uint8_t> TabPages(int tabIndex)
{
    std::vector<std::uint8_t> pages;
    std::uint8_t last = kPageAfterTabChange;
    while (const std::optional<std::uint8_t> page = NextStatusPage(tabIndex, last)) {
        if (std::find(pages.begin(), pages.end(), *page) != pages.end()) break;
        pages.push_back(*page);
        last = *page;
    }
    return pages;
}
