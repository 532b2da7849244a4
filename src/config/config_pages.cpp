#include "config/config_pages.h"

#include <QTabWidget>

#include "config/config_page.h"
#include "config/network_pages.h"

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
        pending(4, "TabSheet4", QStringLiteral("Modem GPRS"), QStringLiteral("PageControlModem"),
                {QStringLiteral("Regras jamming detection"), QStringLiteral("Nível jamming detection"),
                 QStringLiteral("Enviar dados do simcard"), QStringLiteral("Senha PIN"), QStringLiteral("Dados ERB")}),
        pending(5, "TabSheet5", QStringLiteral("Sensores")),
        pending(6, "TabSheet6", QStringLiteral("Atuadores"), QStringLiteral("PageControlAtuadores"),
                {QStringLiteral("Saídas"), QStringLiteral("Sirene"), QStringLiteral("Comum"), QStringLiteral("Buzzer")}),
        pending(7, "TabSheet7", QStringLiteral("Ibutton")),
        pending(8, "TabSheet8", QStringLiteral("Sensores RF"), QStringLiteral("PageControlSensorRF"),
                {QStringLiteral("Sensores cadastrados"), QStringLiteral("Cadastrar novo sensor"),
                 QStringLiteral("Apagar sensor"), QStringLiteral("Configuração RF")}),
        pending(9, "TabSheet24", QStringLiteral("Regras central")),
        pending(10, "TabSheet26", QStringLiteral("Endereço teclado")),
        pending(11, "TabSheet27", QStringLiteral("Partição teclado")),
        pending(12, "TabSheet28", QStringLiteral("Cofre")),
        pending(13, "TabSheet29", QStringLiteral("DNS")),
        pending(14, "TabSheet30", QStringLiteral("Sensor temperatura")),
        pending(15, "TabSheet18", QStringLiteral("Função alarme")),
    };
}
