#pragma once
// A panel session on a link in memory with a software panel at its far
// end: no pseudo-terminal, no widgets, no real time. Bytes cross on turns
// of the event loop, which Settle() runs until a condition holds.

#include <QCoreApplication>
#include <functional>
#include <memory>
#include <vector>

#include "app/memory_panel.h"
#include "core/link/commands.h"
#include "session/memory_link.h"
#include "session/panel_session.h"

namespace session_test {

using Bytes = std::vector<std::uint8_t>;

// Turns the event loop until done() holds, at most rounds turns; false when
// it never did. Nothing waits for real time.
inline bool Settle(const std::function<bool()>& done, int rounds = 500)
{
    for (int round = 0; round < rounds; ++round) {
        if (done()) return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents();
    }
    return done();
}

// Lets every byte already on its way arrive and be handled.
inline void Drain(int rounds = 50)
{
    Settle([] { return false; }, rounds);
}

struct SessionRig {
    explicit SessionRig(const VirtualPanel::Options& options = {})
        : link(new MemoryLink), session(std::unique_ptr<ByteLink>(link)), panel(*link, options)
    {
    }

    // Opens COM3 and waits for the panel's identification; false when it
    // did not come.
    bool Connect()
    {
        if (session.OpenPort(3, 115200) != PanelSession::OpenResult::Opened) return false;
        return Settle([this] { return session.IsEquipmentConnected(); });
    }
    VirtualPanel& Panel() { return panel.Panel(); }
    // The frames the panel received with this command byte.
    std::size_t Received(CommandCode code) const { return panel.Panel().CommandCount(CommandByte(code)); }

    MemoryLink* link;  // owned by the session
    PanelSession session;
    MemoryPanel panel;
};

}  // namespace session_test
