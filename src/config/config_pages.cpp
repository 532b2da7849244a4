#include "config/config_pages.h"

#include <QTabWidget>

#include "config/config_page.h"

namespace {

// A tab whose own controls arrive with its block; for now only its frame.
class PlainPage final : public ConfigPage {
public:
    PlainPage(int tabNumber, const QString& name, const QString& caption, QWidget* parent,
              const QString& subPagesName = {}, const QStringList& subCaptions = {})
        : ConfigPage(tabNumber, name, caption, parent)
    {
        if (!subPagesName.isEmpty()) AddSubPages(subPagesName, subCaptions);
    }
};

}  // namespace

std::vector<ConfigPage*> CreateConfigPages(QWidget* parent)
{
    return {
        new PlainPage(1, QStringLiteral("TabSheet1"), QStringLiteral("Número IP e Porta"), parent),
        new PlainPage(2, QStringLiteral("TabSheet2"), QStringLiteral("Intervalo de polling"), parent),
        new PlainPage(3, QStringLiteral("TabSheet3"), QStringLiteral("Wifi"), parent),
        new PlainPage(4, QStringLiteral("TabSheet4"), QStringLiteral("Modem GPRS"), parent,
                      QStringLiteral("PageControlModem"),
                      {QStringLiteral("Regras jamming detection"), QStringLiteral("Nível jamming detection"),
                       QStringLiteral("Enviar dados do simcard"), QStringLiteral("Senha PIN"),
                       QStringLiteral("Dados ERB")}),
        new PlainPage(5, QStringLiteral("TabSheet5"), QStringLiteral("Sensores"), parent),
        new PlainPage(6, QStringLiteral("TabSheet6"), QStringLiteral("Atuadores"), parent,
                      QStringLiteral("PageControlAtuadores"),
                      {QStringLiteral("Saídas"), QStringLiteral("Sirene"), QStringLiteral("Comum"),
                       QStringLiteral("Buzzer")}),
        new PlainPage(7, QStringLiteral("TabSheet7"), QStringLiteral("Ibutton"), parent),
        new PlainPage(8, QStringLiteral("TabSheet8"), QStringLiteral("Sensores RF"), parent,
                      QStringLiteral("PageControlSensorRF"),
                      {QStringLiteral("Sensores cadastrados"), QStringLiteral("Cadastrar novo sensor"),
                       QStringLiteral("Apagar sensor"), QStringLiteral("Configuração RF")}),
        new PlainPage(9, QStringLiteral("TabSheet24"), QStringLiteral("Regras central"), parent),
        new PlainPage(10, QStringLiteral("TabSheet26"), QStringLiteral("Endereço teclado"), parent),
        new PlainPage(11, QStringLiteral("TabSheet27"), QStringLiteral("Partição teclado"), parent),
        new PlainPage(12, QStringLiteral("TabSheet28"), QStringLiteral("Cofre"), parent),
        new PlainPage(13, QStringLiteral("TabSheet29"), QStringLiteral("DNS"), parent),
        new PlainPage(14, QStringLiteral("TabSheet30"), QStringLiteral("Sensor temperatura"), parent),
        new PlainPage(15, QStringLiteral("TabSheet18"), QStringLiteral("Função alarme"), parent),
    };
}
