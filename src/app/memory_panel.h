#pragma once
// A software panel at the far end of a link in memory: what the tool writes
// is fed to the panel at once, and its answers come back in the pieces its
// split-delivery fault asks for, each on a turn of the event loop of its
// own. No timer: the owner ticks the panel (tests by hand, in no real time).

#include <QPointer>
#include <cstdint>
#include <vector>

#include "session/memory_link.h"
#include "sim/virtual_panel.h"

class MemoryPanel {
public:
    explicit MemoryPanel(MemoryLink& link, const VirtualPanel::Options& options = {});
    ~MemoryPanel();
    MemoryPanel(const MemoryPanel&) = delete;
    MemoryPanel& operator=(const MemoryPanel&) = delete;

    VirtualPanel& Panel() { return panel_; }
    const VirtualPanel& Panel() const { return panel_; }
    // One second of the panel; what it says on its own goes out.
    void Tick();
    // A sensor with this 24-bit code transmits; true when the panel was
    // listening and its report is on the way.
    bool TriggerRfSensor(std::uint32_t code);

private:
    void Say(const std::vector<std::uint8_t>& bytes);

    QPointer<MemoryLink> link_;
    VirtualPanel panel_;
};
