#include "ui/pages/config_pages.h"

#include "ui/pages/actuator_page.h"
#include "ui/pages/config_page.h"
#include "ui/pages/info_pages.h"
#include "ui/pages/keypad_pages.h"
#include "ui/pages/modem_page.h"
#include "ui/pages/network_pages.h"
#include "ui/pages/rf_sensors_page.h"
#include "ui/pages/rules_pages.h"
#include "ui/pages/safe_page.h"
#include "ui/pages/sensor_page.h"

namespace {

using PageFactory = ConfigPage* (*)(const PageSetup& setup, QWidget* parent);

struct TabEntry {
    const char* objectName;
    const char* caption;  // UTF-8
    PageFactory make;
};

template <typename Page>
ConfigPage* Make(const PageSetup& setup, QWidget* parent)
{
    return new Page(setup, parent);
}

// The notebook, in order.
constexpr TabEntry kTabs[] = {
    {"TabSheet1", "Número IP e Porta", Make<IpPortsPage>},
    {"TabSheet2", "Intervalo de polling", Make<PollingPage>},
    {"TabSheet3", "Wifi", Make<WifiPage>},
    {"TabSheet4", "Modem GPRS", Make<ModemPage>},
    {"TabSheet5", "Sensores", Make<SensorPage>},
    {"TabSheet6", "Atuadores", Make<ActuatorPage>},
    {"TabSheet7", "Ibutton", Make<IbuttonPage>},
    {"TabSheet8", "Sensores RF", Make<RfSensorsPage>},
    {"TabSheet24", "Regras central", Make<PanelRulesPage>},
    {"TabSheet26", "Endereço teclado", Make<KeypadAddressPage>},
    {"TabSheet27", "Partição teclado", Make<KeypadPartitionPage>},
    {"TabSheet28", "Cofre", Make<SafePage>},
    {"TabSheet29", "DNS", Make<DnsPage>},
    {"TabSheet30", "Sensor temperatura", Make<TemperatureSensorPage>},
    {"TabSheet18", "Função alarme", Make<AlarmFunctionPage>},
};

}  // namespace

std::vector<ConfigPage*> CreateConfigPages(PanelSession& session, Dialogs& dialogs, QWidget* parent)
{
    std::vector<ConfigPage*> pages;
    int tabNumber = 0;
    for (const TabEntry& tab : kTabs) {
        const PageSetup setup{++tabNumber, QString::fromLatin1(tab.objectName), QString::fromUtf8(tab.caption),
                              session, dialogs};
        pages.push_back(tab.make(setup, parent));
    }
    return pages;
}
