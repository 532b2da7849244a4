#include "core/diagnostics/status_polling.h"

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
