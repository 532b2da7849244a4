#include "core/rf/enrolment_machine.h"

#include <string>

#include "core/config/integer_text.h"
#include "core/link/commands.h"

namespace {

EnrolmentStatus Blue(std::string text)
{
    return {std::move(text), TextColour::Blue};
}
EnrolmentStatus Red(std::string text)
{
    return {std::move(text), TextColour::Red};
}

std::string ConversionMessage(const std::string& text)
{
    return "'" + text + "' is not a valid integer value";
}

Outgoing Learn(std::uint8_t mode)
{
    return MakeOutgoing(CommandCode::RfLearnCommand, {mode});
}

// The first field whose text is not an integer (an empty user means 1).
std::optional<std::string> UnconvertibleField(const EnrolmentSettings& settings)
{
    if (!ParseInteger(settings.zoneText)) return settings.zoneText;
    if (!settings.userText.empty() && !ParseInteger(settings.userText)) return settings.userText;
    return std::nullopt;
}

std::uint16_t NumberOrOne(const std::string& text)
{
    if (text.empty()) return 1;
    return static_cast<std::uint16_t>(ParseInteger(text).value_or(1));
}

}  // namespace

void EnrolmentMachine::Reset()
{
    busy_ = false;
    state_ = StartListening;
}

EnrolmentEffects EnrolmentMachine::Start(const EnrolmentSettings& settings)
{
    EnrolmentEffects effects;
    if (busy_) return effects;
    if (!settings.kind) {
        effects.status = Red("Nenhum tipo de sensor selecionado");
        return effects;
    }
    if (settings.zoneText.empty()) {
        effects.status = Red("Nenhuma zona configurada");
        return effects;
    }
    // Checked here rather than when the record is built, so a typing slip
    // never leaves a process running that cannot write its record.
    if (const auto bad = UnconvertibleField(settings)) {
        effects.status = Red(ConversionMessage(*bad));
        return effects;
    }
    busy_ = true;
    state_ = StartListening;
    retries_ = kRetries;
    effects.started = true;
    effects.status = Blue("Iniciando o processo de cadastro");
    return effects;
}

EnrolmentEffects EnrolmentMachine::Stop()
{
    EnrolmentEffects effects;
    if (busy_) StopEnrolment(effects);
    return effects;
}

void EnrolmentMachine::StopEnrolment(EnrolmentEffects& effects)
{
    busy_ = false;
    state_ = StartListening;
    effects.ended = true;
    effects.send.push_back(Learn(kStopListening));
}

void EnrolmentMachine::Enter(State state, std::uint8_t countdown)
{
    state_ = state;
    ack_ = false;
    nack_ = false;
    countdown_ = countdown;
}

void EnrolmentMachine::OnRfCodeReport(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<std::uint32_t> serial = RfReportSerial(payload, length);
    if (!serial) return;
    if (state_ == AwaitFirst) {
        ack_ = true;
        firstSerial_ = *serial;
    } else if (state_ == AwaitSecond) {
        ack_ = true;
        secondSerial_ = *serial;
    }
}

void EnrolmentMachine::OnAck()
{
    if (busy_) ack_ = true;
}

void EnrolmentMachine::OnNack()
{
    if (busy_) nack_ = true;
}

EnrolmentEffects EnrolmentMachine::Tick(const EnrolmentSettings& settings)
{
    EnrolmentEffects effects;
    // The timer runs only during a process; a stray tick does nothing.
    if (!busy_) return effects;
    if (countdown_ != 0) --countdown_;

    switch (state_) {
    case StartListening:
        effects.send.push_back(Learn(kStartListening));
        Enter(AwaitListening, kAckTicks);
        break;
    case AwaitListening:
        if (ack_) {
            Enter(AwaitFirst, kReportTicks);
            effects.status = Blue("Acione o sensor que deseja cadastrar");
        }
        if (nack_ || countdown_ == 0) {
            // Decreased before the test: three sends of [7] at most.
            if (retries_ != 0) --retries_;
            if (retries_ == 0) {
                effects.status = Red("Sem resposta do rastreador");
                StopEnrolment(effects);
            } else {
                state_ = StartListening;
            }
        }
        break;
    case AwaitFirst:
    case AwaitSecond: {
        const bool first = state_ == AwaitFirst;
        if (ack_) {
            Enter(first ? AwaitSecond : Compare, kReportTicks);
            if (first) effects.status = Blue("Sensor lido, acione novamente o mesmo sensor que deseja cadastrar");
        }
        if (countdown_ == 0) {
            effects.status = Red("Não leu nenhum sensor RF");
            StopEnrolment(effects);
        }
        break;
    }
    case Compare:
        if (firstSerial_ == secondSerial_) {
            state_ = WriteRecord;
            retries_ = kRetries;
            effects.status = Blue("Serial lido: " + std::to_string(firstSerial_));
        } else {
            effects.status = Red("Erro no numero serial lido");
            StopEnrolment(effects);
        }
        break;
    case WriteRecord: {
        if (!settings.kind) {
            // The kind buttons stay live during a process; with none checked
            // there is no record to write.
            effects.status = Red("Nenhum tipo de sensor selecionado");
            StopEnrolment(effects);
            break;
        }
        if (const auto bad = UnconvertibleField(settings)) {
            effects.status = Red(ConversionMessage(*bad));
            StopEnrolment(effects);
            break;
        }
        RfSensorRecord record;
        record.serial = firstSerial_;
        record.kind = static_cast<std::uint8_t>(*settings.kind);
        for (std::size_t i = 0; i < record.buttons.size(); ++i) {
            record.buttons[i] = EncodeButtonFunction(settings.buttonItems[i]);
        }
        record.zone = NumberOrOne(settings.zoneText);
        record.user = NumberOrOne(settings.userText);
        const RfSensorPayload payload = RfWritePayload(record);
        effects.send.push_back(MakeOutgoing(CommandCode::RfSensorCommand, {payload.begin(), payload.end()}));
        Enter(AwaitWritten, kAckTicks);
        break;
    }
    case AwaitWritten:
        if (ack_) {
            effects.status = {"Cadastro efetuado com sucesso", TextColour::Green};
            StopEnrolment(effects);
            break;
        }
        if (countdown_ == 0 || nack_) {
            // Tested before it is decreased: four sends of the record at most.
            if (retries_ == 0) {
                effects.status = Red("Erro ao cadastrar o sensor");
                StopEnrolment(effects);
            } else {
                --retries_;
                state_ = WriteRecord;
            }
        }
        break;
    }
    return effects;
}
