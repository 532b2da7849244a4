#pragma once
// The firmware update, tool side: wake the bootloader, check that the device
// is the image's model, announce the image, then answer the device's packet
// requests until it reports a result. Time comes in as Tick() (the 50 ms
// machine timer, only while a run is active) and TimeoutTick() (the one
// second countdown timer, always); frames come in as On...() calls. Every
// call returns what to send and what to show.
//
// State of a run:
//   UpdateRunning      a run was started and has not ended
//   UpdateState        0..12, see UpdateState below
//   ResponseCountdown  whole seconds left for the awaited answer
//   SendRetries        how many more times the current command may be sent
//   IdentReceived, DeviceModel, DeviceVersion   the last identification
//   AckReceived        an acknowledgement arrived (start phase)
//   CancelAckReceived  an acknowledgement arrived (cancel phase)
//   NackShown          negative acknowledgements are shown
//   CurrentPacket      the last requested packet number that was in range
//   ShownPacket        the packet number last put on the gauge

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/link/outgoing.h"
#include "core/panel/text_colour.h"

class FirmwareImage;

enum class UpdateState : std::uint8_t {
    StartBootloader = 0,     // "Inicializando bootloader"
    RequestIdentity = 1,     // "Solicitando informação do equipamento"
    StartUpdate = 2,         // "Iniciando processo de atualização"
    SendingPackets = 3,      // "Em processo de atualização"
    PacketsDone = 4,         // "Término do envio dos pacotes"
    PacketWriteError = 5,    // "Erro gravação pacote recebido"
    OldVersionError = 6,     // "Erro gravação versão antiga"
    NewVersionCrcError = 7,  // "Erro gravação versão nova (CRC)"
    NewVersionOk = 8,        // "Versão nova OK"
    RestoreError = 9,        // "Erro restaure da versão anterior"
    SerialTimeout = 10,      // "Erro de timeout serial"
    Cancelling = 11,         // "Cancelando atualização"
    SignatureError = 12,     // "Erro na assinatura do firmware novo"
};

// The status text of a state, empty for a value outside 0..12.
const char* UpdateStateText(std::uint8_t state);
inline const char* UpdateStateText(UpdateState state) { return UpdateStateText(static_cast<std::uint8_t>(state)); }

// The message that ends a run whose device is not the image's model; a
// caller that knows the device's model beforehand refuses with it too.
inline constexpr const char* kModelMismatchText = "Modelo de equipamento diferente da versão de firmware.";

struct UpdateEffects {
    struct Status {
        std::string text;
        TextColour colour = TextColour::Blue;
    };
    struct Message {
        bool information = false;  // "Informação" box; otherwise "Erro"
        std::string text;
    };
    // At most one command per event; a packet (8 + 192 bytes) is the largest.
    std::optional<Outgoing> send;
    std::optional<Status> status;          // Label3
    std::optional<std::string> rejection;  // Label9 (red)
    std::optional<std::string> packetText; // Label8
    std::optional<int> gaugeMaximum;
    std::optional<int> gaugeValue;
    bool started = false;  // run began: Sair and Abrir Arquivo off, "Cancelar", machine timer on
    bool stopped = false;  // StopUpdate: machine timer off, "Iniciar", Sair on
    std::optional<Message> message;  // shown after everything above
    // How the run ended, when it did: what a caller without boxes goes by.
    enum class End { Succeeded, Cancelled, Failed };
    std::optional<End> ended;
};

class UpdateMachine {
public:
    // Countdowns, in ticks of the one-second timer, and send budgets.
    static constexpr std::uint8_t kBootloaderWait = 1;
    static constexpr std::uint8_t kIdentifyWait = 3;
    static constexpr std::uint8_t kIdentifyRetries = 5;
    static constexpr std::uint8_t kStartWait = 5;
    static constexpr std::uint8_t kStartRetries = 3;
    static constexpr std::uint8_t kCancelWait = 2;
    static constexpr std::uint8_t kCancelRetries = 5;

    explicit UpdateMachine(const FirmwareImage& image) : image_(image) {}

    // "Iniciar" / "Cancelar".
    UpdateEffects OnStartCancelClick(bool portOpen);
    // 50 ms machine timer.
    UpdateEffects Tick();
    // One-second timer.
    void TimeoutTick();

    // Frames, as the dispatcher hands them over.
    UpdateEffects OnAck();
    UpdateEffects OnNack();
    void OnIdentification(std::uint8_t model, std::uint8_t version);
    // Answered at once: the returned effects hold the packet to send.
    UpdateEffects OnPacketRequest(const std::uint8_t* payload, std::size_t length);
    UpdateEffects OnUpdateResult(const std::uint8_t* payload, std::size_t length);

    // The window may close with no run active, or once every packet is sent.
    bool CanClose() const { return !running_ || state_ == UpdateState::PacketsDone; }
    // The window closed: the run, if any, is abandoned.
    void OnClosed();

    bool UpdateRunning() const { return running_; }
    UpdateState State() const { return state_; }
    bool IdentReceived() const { return identReceived_; }
    std::uint8_t DeviceModel() const { return deviceModel_; }
    std::uint8_t DeviceVersion() const { return deviceVersion_; }
    std::uint32_t CurrentPacket() const { return currentPacket_; }

private:
    void StopUpdate(UpdateEffects& fx);
    void EndWithError(UpdateEffects& fx, const char* text);
    void ShowState(UpdateEffects& fx) const;

    const FirmwareImage& image_;
    bool running_ = false;
    UpdateState state_ = UpdateState::StartBootloader;
    std::uint8_t responseCountdown_ = 0;
    std::uint8_t sendRetries_ = 0;
    bool identReceived_ = false;
    std::uint8_t deviceModel_ = 0;
    std::uint8_t deviceVersion_ = 0;
    bool ackReceived_ = false;
    bool cancelAckReceived_ = false;
    bool nackShown_ = false;
    std::uint32_t currentPacket_ = 0;
    std::uint32_t shownPacket_ = 0;
};
