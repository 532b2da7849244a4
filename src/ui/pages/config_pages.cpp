#include "ui/pages/config_pages.h"

#include <QTabWidget>

#include "ui/pages/actuator_page.h"
#include "ui/pages/config_page.h"
#include "ui/pages/info_pages.h"
#include "ui/pages/keypad_pages.h"
#include "ui/pages/modem_page.h"
#include "ui/pages/network_pages.h"
#include "ui/pages/rules_pages.h"
#include "ui/pages/safe_page.h"
#include "ui/pages/sensor_page.h"

namespace {

// A tab whose controls and block arrive later: its buttons do nothing yet.
class PendingPage final : public ConfigPage {
public:
    PendingPage(int tabNumber, const QString& name, const QString& caption, PageServices& services, QWidget* parent,
                const QString& subPagesName = {}, const QStringList& subCaptions = {})
        : ConfigPage(tabNumber, name, caption, services, parent)
    {
        if (!subPagesName.isEmpty()) AddSubPages(subPagesName, subCaptions);
    }

protected:
    Cycle Kind() const override { return Cycle::None; }
    std::optional<std::uint8_t> ReadBlockId() const override { return std::nullopt; }
    std::optional<std::vector<std::uint8_t>> Pack() override { return std::nullopt; }
};

}  // namespace

std::vector<ConfigPage*> CreateConfigPages(PageServices& services, QWidget* parent)
{
    auto pending = [&](int tab, const char* name, const QString& caption, const QString& subPagesName = {},
                       const QStringList& subCaptions = {}) -> ConfigPage* {
        return new PendingPage(tab, QString::fromLatin1(name), caption, services, parent, subPagesName, subCaptions);
    };
    return {
        new IpPortsPage(services, parent),
        new PollingPage(services, parent),
        new WifiPage(services, parent),
        new ModemPage(services, parent),
        new SensorPage(services, parent),
        new ActuatorPage(services, parent),
        new IbuttonPage(services, parent),
        pending(8, "TabSheet8", QStringLiteral("Sensores RF"), QStringLiteral("PageControlSensorRF"),
                {QStringLiteral("Sensores cadastrados"), QStringLiteral("Cadastrar novo sensor"),
                 QStringLiteral("Apagar sensor"), QStringLiteral("Configuração RF")}),
        new PanelRulesPage(services, parent),
        new KeypadAddressPage(services, parent),
        new KeypadPartitionPage(services, parent),
        new SafePage(services, parent),
        new DnsPage(services, parent),
        new TemperatureSensorPage(services, parent),
        new AlarmFunctionPage(services, parent),
    };
}
