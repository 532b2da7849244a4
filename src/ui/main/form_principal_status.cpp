// The main window's status: the one-second clock, the identified panel in
// the status bar, and the status line of configuration exchanges.

#include <QLabel>
#include <vector>

#include "core/panel/block_table.h"
#include "core/panel/date_text.h"
#include "core/panel/device_identity.h"
#include "core/rf/rf_sensor_record.h"
#include "session/clock.h"
#include "session/panel_session.h"
#include "ui/common/local_time.h"
#include "ui/main/form_principal.h"
#include "ui/pages/config_page.h"

namespace {

const QColor kGood(0, 128, 0);
const QColor kBad(255, 0, 0);

}  // namespace

void TFormPrincipal::TimerPollingTimer()
{
    statusPanels_[0]->setText(QString::fromStdString(FormatClockText(ToLocalDateTime(services_.clock.Now()))));
    services_.session.Tick();
}

void TFormPrincipal::OnIdentified(const Identification& identity)
{
    statusPanels_[1]->setText(QString::fromStdString(IdentificationText(identity)));
    for (ConfigPage* page : pages_) page->OnModelIdentified(identity.model);
}

void TFormPrincipal::ConnectStatusLine()
{
    PanelSession& session = services_.session;
    // A block answer shows its block's title, whoever asked for it.
    connect(&session, &PanelSession::BlockRead, this, [this](const std::vector<std::uint8_t>& block) {
        if (const BlockEntry* entry = FindBlock(block.front())) ShowStatus(QString::fromUtf8(entry->title), kGood);
    });
    connect(&session, &PanelSession::WriteAccepted, this,
            [this] { ShowStatus(QStringLiteral("COMANDO RECEBIDO COM SUCESSO"), kGood); });
    connect(&session, &PanelSession::WriteRefused, this,
            [this] { ShowStatus(QStringLiteral("ERRO AO GRAVAR OS DADOS"), kBad); });
    connect(&session, &PanelSession::ReadRefused, this,
            [this] { ShowStatus(QStringLiteral("ERRO AO LER A CONFIGURAÇÃO"), kBad); });
    connect(&session, &PanelSession::RfRecordReceived, this, [this](const std::vector<std::uint8_t>& record) {
        // The length first, its colour unchanged: an answer of any other
        // length leaves it on show.
        labelStatusCmd_->setText(QString::number(record.size()));
        if (UnpackRfSensorRecord(record.data(), record.size())) {
            ShowStatus(QStringLiteral("CONFIGURAÇÃO SENSOR RF CADASTRADO"), kGood);
        }
    });
}

void TFormPrincipal::ShowStatus(const QString& text, const QColor& colour)
{
    QPalette palette = labelStatusCmd_->palette();
    palette.setColor(QPalette::WindowText, colour);
    labelStatusCmd_->setPalette(palette);
    labelStatusCmd_->setText(text);
}
