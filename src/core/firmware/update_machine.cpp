#include "core/firmware/update_machine.h"

#include <algorithm>

#include "core/bytes/big_endian.h"
#include "core/firmware/image_file.h"
#include "core/link/commands.h"

namespace {

constexpr std::array<const char*, 13> kStateTexts{
    "Inicializando bootloader",
    "Solicitando informação do equipamento",
    "Iniciando processo de atualização",
    "Em processo de atualização",
    "Término do envio dos pacotes",
    "Erro gravação pacote recebido",
    "Erro gravação versão antiga",
    "Erro gravação versão nova (CRC)",
    "Versão nova OK",
    "Erro restaure da versão anterior",
    "Erro de timeout serial",
    "Cancelando atualização",
    "Erro na assinatura do firmware novo",
};

// Request payload: firmware ID, then the packet number high byte first.
constexpr std::uint8_t kPacketRequestLength = 3;
// Answer payload: firmware ID, number (2), tag (4), data length, data.
constexpr std::size_t kPacketAnswerHeader = 8;

Outgoing MakeCommand(CommandCode code, std::size_t payloadLength = 0)
{
    return MakeOutgoing(code, std::vector<std::uint8_t>(payloadLength));
}

std::string PacketText(std::uint32_t number, std::uint16_t count)
{
    return "Pacote " + std::to_string(number) + " de " + std::to_string(count);
}

// The state a result code moves the machine to; empty for a code with no meaning.
std::optional<UpdateState> StateForResult(std::uint8_t code)
{
    switch (code) {
    case 1: return UpdateState::PacketsDone;
    case 2: return UpdateState::PacketWriteError;
    case 3: return UpdateState::OldVersionError;
    case 4: return UpdateState::NewVersionCrcError;
    case 5: return UpdateState::NewVersionOk;
    case 6: return UpdateState::RestoreError;
    case 7: return UpdateState::SerialTimeout;
    case 8: return UpdateState::SignatureError;
    default: return std::nullopt;
    }
}

}  // namespace

const char* UpdateStateText(std::uint8_t state)
{
    return state < kStateTexts.size() ? kStateTexts[state] : "";
}

UpdateEffects UpdateMachine::OnStartCancelClick(bool portOpen)
{
    UpdateEffects fx;
    if (running_) {
        // A second click while cancelling changes nothing.
        if (state_ != UpdateState::Cancelling) {
            state_ = UpdateState::Cancelling;
            sendRetries_ = kCancelRetries;
            responseCountdown_ = 0;
        }
        return fx;
    }
    if (!portOpen) {
        fx.message = UpdateEffects::Message{false, "Porta serial não está aberta."};
        return fx;
    }
    if (!image_.ImageValid()) {
        fx.message = UpdateEffects::Message{false, "Arquivo de atualização não é valido, tente abrir novamente."};
        return fx;
    }
    const std::uint16_t count = image_.Header().packetCount;
    fx.started = true;
    fx.status = UpdateEffects::Status{"", TextColour::Blue};
    fx.rejection = "";
    fx.packetText = PacketText(1, count);
    fx.gaugeValue = 0;
    fx.gaugeMaximum = count;
    currentPacket_ = 0;
    shownPacket_ = 0;
    state_ = UpdateState::StartBootloader;
    sendRetries_ = kIdentifyRetries;
    responseCountdown_ = kBootloaderWait;
    nackShown_ = false;
    running_ = true;
    identReceived_ = false;
    return fx;
}

void UpdateMachine::TimeoutTick()
{
    if (responseCountdown_ > 0) --responseCountdown_;
}

UpdateEffects UpdateMachine::Tick()
{
    UpdateEffects fx;
    switch (state_) {
    case UpdateState::StartBootloader:
        if (responseCountdown_ > 0) break;
        ShowState(fx);
        fx.send = MakeCommand(CommandCode::BootloaderCommand);
        responseCountdown_ = kIdentifyWait;
        state_ = UpdateState::RequestIdentity;
        ackReceived_ = false;
        break;
    case UpdateState::RequestIdentity:
        ShowState(fx);
        if (responseCountdown_ > 0) {
            if (!identReceived_) break;
            if (deviceModel_ != image_.Header().modelCode) {
                EndWithError(fx, kModelMismatchText);
                break;
            }
            state_ = UpdateState::StartUpdate;
            sendRetries_ = kStartRetries;
            responseCountdown_ = 1;
            nackShown_ = true;
            ackReceived_ = false;
        } else if (sendRetries_ > 0) {
            --sendRetries_;
            fx.send = MakeCommand(CommandCode::IdentifyCommand);
            responseCountdown_ = kIdentifyWait;
            identReceived_ = false;
        } else {
            EndWithError(fx, "Erro ao enviar o comando de identificação.");
        }
        break;
    case UpdateState::StartUpdate:
        ShowState(fx);
        if (responseCountdown_ > 0) {
            if (ackReceived_) {
                state_ = UpdateState::SendingPackets;
                sendRetries_ = kStartRetries;
                responseCountdown_ = 0;
            }
        } else if (sendRetries_ > 0) {
            --sendRetries_;
            const ImageHeader& header = image_.Header();
            Outgoing start = MakeCommand(CommandCode::StartUpdateCommand, 5);
            start.payload[0] = header.firmwareId;
            PutBigEndian16(&start.payload[1], header.packetCount);
            PutBigEndian16(&start.payload[3], header.imageWord);
            fx.send = std::move(start);
            responseCountdown_ = kStartWait;
            ackReceived_ = false;
        } else {
            EndWithError(fx, "Erro ao enviar o comando de iniciar atualização.");
        }
        break;
    case UpdateState::SendingPackets:
        // No time-out here: the device drives the transfer.
        ShowState(fx);
        if (currentPacket_ != shownPacket_) {
            shownPacket_ = currentPacket_;
            fx.gaugeValue = static_cast<int>(shownPacket_);
            fx.packetText = PacketText(shownPacket_, image_.Header().packetCount);
        }
        break;
    case UpdateState::PacketsDone:
        ShowState(fx);
        break;
    case UpdateState::PacketWriteError:
    case UpdateState::OldVersionError:
    case UpdateState::NewVersionCrcError:
    case UpdateState::RestoreError:
    case UpdateState::SerialTimeout:
    case UpdateState::SignatureError: {
        const std::string text = UpdateStateText(State());
        StopUpdate(fx);
        fx.status = UpdateEffects::Status{text, TextColour::Red};
        fx.message = UpdateEffects::Message{false, text + "."};
        break;
    }
    case UpdateState::NewVersionOk: {
        const std::string text = UpdateStateText(State());
        StopUpdate(fx);
        // The device took every packet: the gauge says so, even where the
        // last requests came faster than a tick could show them.
        const std::uint16_t count = image_.Header().packetCount;
        shownPacket_ = count;
        fx.gaugeValue = static_cast<int>(count);
        fx.packetText = PacketText(count, count);
        fx.status = UpdateEffects::Status{text, TextColour::Green};
        fx.message = UpdateEffects::Message{true, text + "."};
        fx.ended = UpdateEffects::End::Succeeded;
        break;
    }
    case UpdateState::Cancelling:
        ShowState(fx);
        if (responseCountdown_ > 0) {
            if (!cancelAckReceived_) break;
            StopUpdate(fx);
            fx.status = UpdateEffects::Status{"Atualização cancelada", TextColour::Blue};
            fx.gaugeValue = 0;
            fx.packetText = "";
            fx.message = UpdateEffects::Message{false, "Atualização cancelada."};
            fx.ended = UpdateEffects::End::Cancelled;
        } else if (sendRetries_ > 0) {
            --sendRetries_;
            fx.send = MakeCommand(CommandCode::BootloaderCommand);
            responseCountdown_ = kCancelWait;
            cancelAckReceived_ = false;
        } else {
            EndWithError(fx, "Erro sem resposta do equipamento.");
        }
        break;
    default:
        state_ = UpdateState::StartBootloader;
        break;
    }
    return fx;
}

UpdateEffects UpdateMachine::OnAck()
{
    UpdateEffects fx;
    fx.status = UpdateEffects::Status{"Mensagem de ack do equipamento", TextColour::Green};
    ackReceived_ = true;
    cancelAckReceived_ = true;
    return fx;
}

UpdateEffects UpdateMachine::OnNack()
{
    UpdateEffects fx;
    if (nackShown_) fx.status = UpdateEffects::Status{"Mensagem de nack do equipamento", TextColour::Red};
    return fx;
}

void UpdateMachine::OnIdentification(std::uint8_t model, std::uint8_t version)
{
    deviceModel_ = model;
    deviceVersion_ = version;
    identReceived_ = true;
}

UpdateEffects UpdateMachine::OnPacketRequest(const std::uint8_t* payload, std::size_t length)
{
    UpdateEffects fx;
    if (state_ == UpdateState::StartUpdate) {
        // The first request only confirms the start; the device asks again.
        ackReceived_ = true;
        return fx;
    }
    if (payload == nullptr || length != kPacketRequestLength || state_ != UpdateState::SendingPackets) return fx;

    fx.status = UpdateEffects::Status{"Solicita pacote atualização", TextColour::Blue};
    if (payload[0] != image_.Header().firmwareId) {
        fx.rejection = "Erro no ID de firmware.";
        return fx;
    }
    const std::uint16_t number = GetBigEndian16(payload + 1);
    if (number == 0 || number > kMaxImagePackets) {
        fx.rejection = "Erro no numero do pacote atual.";
        return fx;
    }
    currentPacket_ = number;
    const ImagePacket* packet = image_.Packet(number);
    if (packet == nullptr) {
        fx.rejection = "Erro no pacote de dados.";
        return fx;
    }
    // The loader refuses a data length above the data area; the cap keeps
    // the frame inside its buffer whatever the slot holds.
    const std::size_t dataLength = std::min<std::size_t>(packet->dataLength, kPacketDataSize);
    Outgoing answer = MakeCommand(CommandCode::UpdatePacketCommand, kPacketAnswerHeader + dataLength);
    answer.payload[0] = payload[0];
    PutBigEndian16(&answer.payload[1], number);
    PutBigEndian32(&answer.payload[3], packet->packetTag);
    answer.payload[7] = static_cast<std::uint8_t>(dataLength);
    std::copy_n(packet->packetData.begin(), dataLength, answer.payload.begin() + kPacketAnswerHeader);
    fx.send = std::move(answer);
    return fx;
}

UpdateEffects UpdateMachine::OnUpdateResult(const std::uint8_t* payload, std::size_t length)
{
    UpdateEffects fx;
    fx.status = UpdateEffects::Status{"Mensagem de confirmação da atualização", TextColour::Blue};
    if (payload == nullptr || length != 1) return fx;
    if (const auto next = StateForResult(payload[0])) state_ = *next;
    return fx;
}

void UpdateMachine::OnClosed()
{
    running_ = false;
}

void UpdateMachine::StopUpdate(UpdateEffects& fx)
{
    running_ = false;
    state_ = UpdateState::StartBootloader;
    fx.stopped = true;
}

void UpdateMachine::EndWithError(UpdateEffects& fx, const char* text)
{
    StopUpdate(fx);
    fx.message = UpdateEffects::Message{false, text};
    fx.ended = UpdateEffects::End::Failed;
}

void UpdateMachine::ShowState(UpdateEffects& fx) const
{
    const auto state = static_cast<std::uint8_t>(state_);
    fx.status = UpdateEffects::Status{UpdateStateText(state), TextColour::Blue};
}
