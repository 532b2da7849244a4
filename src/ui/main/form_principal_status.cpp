// The main window's side of the link: the one-second supervision tick,
// identification answers and the status line of configuration answers.

#include <QLabel>

#include "core/panel/device_identity.h"
#include "ui/firmware/form_atualizacao.h"
#include "core/panel/date_text.h"
#include "core/link/commands.h"
#include "session/clock.h"
#include "ui/main/form_principal.h"

namespace {

LocalDateTime ToLocalDateTime(const QDateTime& now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    // Qt counts weekdays from Monday = 1 to Sunday = 7; the table starts on Sunday.
    return LocalDateTime{date.year(),   date.month(),  date.day(),   date.dayOfWeek() % 7,
                         time.hour(),   time.minute(), time.second()};
}

}  // namespace

void TFormPrincipal::TimerPollingTimer()
{
    statusPanels_[0]->setText(QString::fromStdString(FormatClockText(ToLocalDateTime(services_.clock.Now()))));
    const LinkSupervision::TickEffects effects = supervision_.Tick();
    if (effects.blankIdentification) statusPanels_[1]->clear();
    if (effects.sendIdentify) SendCommand(nullptr, 0, CommandByte(CommandCode::IdentifyCommand));
}

void TFormPrincipal::HandleIdentification(const std::uint8_t* payload, std::uint8_t length)
{
    const std::optional<Identification> identity = ParseIdentification(payload, length);
    if (!identity) return;
    supervision_.OnIdentification(*identity);
    statusPanels_[1]->setText(QString::fromStdString(IdentificationText(*identity)));
    if (formAtualizacao_) formAtualizacao_->ReceiveIdentification(identity->model, identity->version);
    emit ModelIdentified(identity->model);
}

void TFormPrincipal::RegisterFillStep(std::uint8_t blockId, FillStep step) { fillSteps_[blockId] = std::move(step); }

void TFormPrincipal::ShowStatus(const StatusLineText& status)
{
    QPalette palette = labelStatusCmd_->palette();
    palette.setColor(QPalette::WindowText,
                     status.colour == StatusColour::Green ? QColor(0, 128, 0) : QColor(255, 0, 0));
    labelStatusCmd_->setPalette(palette);
    labelStatusCmd_->setText(QString::fromStdString(status.text));
}

void TFormPrincipal::HandleConfigResponse(const std::uint8_t* payload, std::uint8_t length)
{
    const std::optional<ConfigBlockOutcome> outcome = answers_.OnConfigBlock(payload, length);
    if (!outcome) return;
    ShowStatus(outcome->status);
    if (const auto step = fillSteps_.find(outcome->blockId); step != fillSteps_.end() && step->second) {
        step->second(payload, length);
    }
}

void TFormPrincipal::HandleAckStatus()
{
    if (const std::optional<StatusLineText> status = answers_.OnAck()) ShowStatus(*status);
}

void TFormPrincipal::HandleNackStatus() { ShowStatus(answers_.OnNack()); }
