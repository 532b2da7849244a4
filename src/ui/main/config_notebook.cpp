#include "ui/main/config_notebook.h"

#include "core/panel/device_identity.h"
#include "session/panel_session.h"
#include "ui/common/tab_pager.h"
#include "ui/pages/config_page.h"
#include "ui/pages/config_pages.h"
#include "ui/pages/rf_sensors_page.h"

ConfigNotebook::ConfigNotebook(PanelSession& session, Dialogs& dialogs, QWidget* parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("PageControlPrincipal"));
    pages_ = CreateConfigPages(session, dialogs, this);
    for (ConfigPage* page : pages_) {
        if (auto* rf = qobject_cast<RfSensorsPage*>(page)) {
            connect(rf, &RfSensorsPage::StatusText, this, &ConfigNotebook::StatusText);
            connect(rf, &RfSensorsPage::EnrolmentRequested, this, &ConfigNotebook::EnrolmentRequested);
        }
        addTab(page, page->Caption());
    }
    setCurrentIndex(0);
    new TabPager(*this);

    connect(&session, &PanelSession::Identified, this, [this](const Identification& identity) {
        for (ConfigPage* page : pages_) page->OnModelIdentified(identity.model);
    });
}
