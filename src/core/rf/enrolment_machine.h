#pragma once
// Enrolment of a new RF sensor: the panel is put into listening mode, the
// user triggers the sensor twice, the two serials must match, and the new
// record is written. Time comes in as Tick() calls (one every 500 ms); the
// panel's frames come in as OnRfCodeReport/OnAck/OnNack, which only set
// flags: every decision is taken on the next tick. Each call returns what to
// send and what to show.
//
// States (EnrolState):
//   0 StartListening  send [7] to RfLearnCommand, go to 1
//   1 AwaitListening  acknowledgement within 10 ticks; else back to 0, the
//                     start command going out at most three times
//   2 AwaitFirst      first sensor report within 120 ticks
//   3 AwaitSecond     second report within 120 ticks
//   4 Compare         equal serials go to 5, different ones end the process
//   5 WriteRecord     send the record from the current settings, go to 6
//   6 AwaitWritten    acknowledgement within 10 ticks; else back to 5, the
//                     record going out at most four times
// In states 2 and 3 an acknowledgement counts as a report without a serial.
// Every end of a process sends [8] (stop listening).
//
// Variables, kept between processes: EnrolBusy, EnrolState, EnrolAck,
// EnrolNack, EnrolCountdown, EnrolRetries, FirstSerial, SecondSerial.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/link/outgoing.h"
#include "core/panel/text_colour.h"
#include "core/rf/rf_sensor_record.h"

// What the window's controls say at the moment of a call.
struct EnrolmentSettings {
    std::optional<SensorKind> kind;
    std::array<int, 3> buttonItems{-1, -1, -1};  // combo items of buttons 1, 2, 3
    std::string zoneText;
    std::string userText;  // empty means user 1
};

struct EnrolmentStatus {
    std::string text;
    TextColour colour;
};

struct EnrolmentEffects {
    std::vector<Outgoing> send;     // in order
    std::optional<EnrolmentStatus> status;  // the new status text, if any
    bool started = false;                   // a process began: timer on, Iniciar off, Parar on
    bool ended = false;                     // the process ended: timer off, Iniciar on, Parar off
};

class EnrolmentMachine {
public:
    enum State : std::uint8_t {
        StartListening = 0,
        AwaitListening = 1,
        AwaitFirst = 2,
        AwaitSecond = 3,
        Compare = 4,
        WriteRecord = 5,
        AwaitWritten = 6,
    };

    static constexpr std::uint8_t kAckTicks = 10;     // 5 s
    static constexpr std::uint8_t kReportTicks = 120;  // 60 s
    static constexpr std::uint8_t kRetries = 3;
    static constexpr std::uint8_t kStartListening = 7;
    static constexpr std::uint8_t kStopListening = 8;

    // The window is shown: no process, state 0.
    void Reset();
    // "Iniciar": refused (red status, nothing started) without a kind, with
    // an empty zone, or with a zone or user that is not an integer.
    EnrolmentEffects Start(const EnrolmentSettings& settings);
    // "Parar": ends a running process.
    EnrolmentEffects Stop();
    // The window closes: whatever ran is forgotten.
    void OnClosed() { busy_ = false; }
    bool CanClose() const { return !busy_; }

    EnrolmentEffects Tick(const EnrolmentSettings& settings);
    void OnRfCodeReport(const std::uint8_t* payload, std::size_t length);
    void OnAck();
    void OnNack();

    bool Busy() const { return busy_; }
    State CurrentState() const { return state_; }
    bool AckPending() const { return ack_; }
    std::uint8_t Retries() const { return retries_; }
    std::uint32_t FirstSerial() const { return firstSerial_; }
    std::uint32_t SecondSerial() const { return secondSerial_; }

private:
    void Enter(State state, std::uint8_t countdown);
    // StopEnrolment: the process ends and the panel stops listening.
    void StopEnrolment(EnrolmentEffects& effects);

    bool busy_ = false;
    State state_ = StartListening;
    bool ack_ = false;
    bool nack_ = false;
    std::uint8_t countdown_ = 0;
    std::uint8_t retries_ = kRetries;
    std::uint32_t firstSerial_ = 0;
    std::uint32_t secondSerial_ = 0;
};
