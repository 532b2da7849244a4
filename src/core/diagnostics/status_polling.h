#pragma once
// Which status page the diagnostic window asks for next. The window's tab
// decides: some tabs cycle through several pages, some ask for one, some
// ask for nothing. The last page asked for is the only memory the cycle
// needs, and a change of tab (or of the log) sets it to 1 so each cycle
// restarts in step.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/link/outgoing.h"

// The tabs of the diagnostic window, in order.
enum class DebugTab : int {
    CentralAlarme = 0,
    Modem = 1,
    Wifi = 2,
    Fila = 3,
    SensoresAtuadores = 4,
    Ibutton = 5,
    Temperatura = 6,
    DadosErbs = 7,
    ConsumoDados = 8,
    Jammer = 9,
    AtualizacaoRemota = 10,
    Rf = 11,
    BackupCelular = 12,
    ParticoesTeclado = 13,
};
inline constexpr int kDebugTabCount = 14;

// What a change of tab leaves in LastPageRequested.
inline constexpr std::uint8_t kPageAfterTabChange = 1;

// The page to request on this tick, or nothing for a tab that shows no
// live values (and for an index outside the tabs).
std::optional<std::uint8_t> NextStatusPage(int tabIndex, std::uint8_t lastPageRequested);

// The request of one status page.
inline Outgoing StatusPageRequest(std::uint8_t page) { return MakeOutgoing(CommandCode::StatusRequestCommand, {page}); }

// The polling itself, one tick four times a second: the selected tab and
// the last page asked for.
class StatusPolling {
public:
    void SelectTab(int tabIndex)
    {
        tab_ = tabIndex;
        Restart();
    }
    void Restart() { last_ = kPageAfterTabChange; }
    // The request of this tick, or nothing for a tab with no live values.
    std::optional<Outgoing> Tick();

    int Tab() const { return tab_; }
    std::uint8_t LastPageRequested() const { return last_; }

private:
    int tab_ = 0;
    std::uint8_t last_ = 0;  // 0: none since the program started
};

// The pages a tab's cycle asks for, in the order it asks after a change of
// tab; empty for a tab with no live values.
std::vector<std::uint8_t> TabPages(int tabIndex);
