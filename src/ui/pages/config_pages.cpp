#include "ui/pages/config_pages.h"

#include <QTabWidget>

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

std::vector<ConfigPage*> CreateConfigPages(PageServices& services, QWidget* parent)
{
    return {
        new IpPortsPage(services, parent),
        new PollingPage(services, parent),
        new WifiPage(services, parent),
        new ModemPage(services, parent),
        new SensorPage(services, parent),
        new ActuatorPage(services, parent),
        new IbuttonPage(services, parent),
        new RfSensorsPage(services, parent),
        new PanelRulesPage(services, parent),
        new KeypadAddressPage(services, parent),
        new KeypadPartitionPage(services, parent),
        new SafePage(services, parent),
        new DnsPage(services, parent),
        new TemperatureSensorPage(services, parent),
        new AlarmFunctionPage(services, parent),
    };
}
