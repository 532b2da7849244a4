#pragma once
// Link supervision: the panel never speaks first, so the tool asks it to
// identify itself every fifth tick while the link is open, and forgets a
// panel whose identification has not been refreshed for five ticks. Time
// comes in as Tick() calls (one a second); the caller sends what the
// returned effects hold, blanks the status bar and draws the clock.
//
// State, all living as long as the program:
//   LinkOpen            the port-open event has run; requests may be sent
//   PollCountdown       ticks until the next identification request
//   IdentShown          a supported model's identification is on show
//   IdentValidCountdown ticks for which that identification stays valid
//   ModelCode, FirmwareVersion, SerialNumber   the last identification

#include <cstdint>
#include <optional>

#include "core/link/outgoing.h"
#include "core/panel/device_identity.h"

class LinkSupervision {
public:
    static constexpr std::uint8_t kPollTicks = 5;
    static constexpr std::uint8_t kIdentValidTicks = 5;

    struct TickEffects {
        bool blankIdentification = false;  // empty the identification text
        std::optional<Outgoing> send;      // the identification request, now
    };

    // Opening the port starts from "not identified" at once.
    void OnOpenRequested();
    // The first identification request goes out from here.
    Outgoing OnPortOpened();
    // A close only stops the requests; the identification expires by itself.
    void OnPortClosed();
    // Stores the identification; true when it is a supported panel, which
    // then counts as live for the next kIdentValidTicks ticks.
    bool OnIdentification(const Identification& identity);
    TickEffects Tick();

    bool IsEquipmentConnected() const;

    bool LinkOpen() const { return linkOpen_; }
    std::uint8_t PollCountdown() const { return pollCountdown_; }
    bool IdentShown() const { return identShown_; }
    std::uint8_t IdentValidCountdown() const { return identValidCountdown_; }
    std::uint8_t ModelCode() const { return modelCode_; }
    std::uint8_t FirmwareVersion() const { return firmwareVersion_; }
    std::uint32_t SerialNumber() const { return serialNumber_; }

private:
    bool linkOpen_ = false;
    std::uint8_t pollCountdown_ = 0;
    bool identShown_ = false;
    std::uint8_t identValidCountdown_ = 0;
    std::uint8_t modelCode_ = 0;  // 0: no identification
    std::uint8_t firmwareVersion_ = 0;
    std::uint32_t serialNumber_ = 0;
};
