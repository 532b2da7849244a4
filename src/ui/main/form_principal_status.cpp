// The main window's status: the one-second clock, the identified panel in
// the status bar, and the status line of configuration exchanges.

#include <QLabel>

#include "core/link/config_answer_handling.h"
#include "core/panel/date_text.h"
#include "core/panel/device_identity.h"
#include "session/clock.h"
#include "session/panel_session.h"
#include "ui/common/local_time.h"
#include "ui/main/form_principal.h"
#include "ui/pages/config_page.h"

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

void TFormPrincipal::ShowStatus(const StatusLineText& status)
{
    QPalette palette = labelStatusCmd_->palette();
    palette.setColor(QPalette::WindowText,
                     status.colour == StatusColour::Green ? QColor(0, 128, 0) : QColor(255, 0, 0));
    labelStatusCmd_->setPalette(palette);
    labelStatusCmd_->setText(QString::fromStdString(status.text));
}
