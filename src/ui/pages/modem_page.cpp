#include "ui/pages/modem_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/config/modem_blocks.h"
#include "core/panel/block_table.h"
#include "ui/common/choice_controls.h"
#include "ui/common/choice_rows.h"
#include "ui/common/field_layout.h"

namespace {

constexpr int kSimcardDataPage = 2;
constexpr int kSimPinPage = 3;
constexpr int kCellTowerDataPage = 4;
constexpr int kPinLength = 4;

}  // namespace

ModemPage::ModemPage(const PageSetup& setup, QWidget* parent)
    : SubPageBlocksPage(setup, QStringLiteral("PageControlModem"),
                        {QStringLiteral("Regras jamming detection"), QStringLiteral("Nível jamming detection"),
                         QStringLiteral("Enviar dados do simcard"), QStringLiteral("Senha PIN"),
                         QStringLiteral("Dados ERB")},
                        {kModemSubPageBlocks.begin(), kModemSubPageBlocks.end()}, parent)
{
    QTabWidget* pages = SubPages();
    BuildSimcardData(pages->widget(kSimcardDataPage));
    BuildSimPin(pages->widget(kSimPinPage));
    BuildCellTowerData(pages->widget(kCellTowerDataPage));
}

void ModemPage::BuildSimcardData(QWidget* page)
{
    simcardInterval_ = Data(AddEditRow(AddSubPageGrid(page), 0, QStringLiteral("ConfigTempoEnvioDadosSimcard"),
                                       QStringLiteral("Tempo envio dados simcard:"),
                                       QStringLiteral("(em segundos - de 3600 até 23328000)"), 0, page));
}

void ModemPage::BuildSimPin(QWidget* page)
{
    QGridLayout* grid = AddSubPageGrid(page);
    AddLabel(grid, 0, 0, QStringLiteral("Configuração:"), page);
    // The pair sits on a panel of its own, apart from the other controls.
    auto* pinState = new QWidget(page);
    auto* pinStateRow = new QHBoxLayout(pinState);
    pinStateRow->setContentsMargins(0, 0, 0, 0);
    pinStateRow->addWidget(Data(MakeRadio(QStringLiteral("CfgPinSimcardHab"), QStringLiteral("Habilitada"), pinState)));
    pinStateRow->addWidget(
        Data(MakeRadio(QStringLiteral("CfgPinSimcardDesab"), QStringLiteral("Desabilitada"), pinState)));
    grid->addWidget(pinState, 0, 1, 1, 2);

    const QString hint = QStringLiteral("(senha de 0 até 9999)");
    Data(AddEditRow(grid, 1, QStringLiteral("CfgSenhaPinSimcard1"), QStringLiteral("Senha pin para o simcard 1:"), hint,
                    kPinLength, page));
    Data(AddEditRow(grid, 2, QStringLiteral("CfgSenhaPinSimcard2"), QStringLiteral("Senha pin para o simcard 2:"), hint,
                    kPinLength, page));
    AddLabel(grid, 3, 0, QStringLiteral("Ativar o PIN automaticamente:"), page);
    grid->addWidget(Data(MakeCheck(QStringLiteral("CfgAtivacaoAutoPinSimcardHab"), QStringLiteral("Sim"), page)), 3, 1);
    auto* warning = new QLabel(
        QStringLiteral("Atenção: ao configurar a senha PIN errada vai  fazer com que o simcard seja bloqueado."), page);
    grid->addWidget(warning, 4, 0, 1, 3);
    auto* unblock = new QLabel(QStringLiteral("Uma vez bloqueado, somente com a senha PUK para o desbloqueio."), page);
    grid->addWidget(unblock, 5, 0, 1, 3);
}

void ModemPage::BuildCellTowerData(QWidget* page)
{
    QGridLayout* grid = AddSubPageGrid(page);
    AddLabel(grid, 0, 0, QStringLiteral("Enviar dados das ERBs:"), page);
    grid->addWidget(Data(MakeRadio(QStringLiteral("CfgDadosErbSim"), QStringLiteral("Sim"), page)), 0, 1);
    grid->addWidget(Data(MakeRadio(QStringLiteral("CfgDadosErbNao"), QStringLiteral("Não"), page)), 0, 2);
    auto* note = new QLabel(
        QStringLiteral("Atenção: ao habilitar o envio dos dados das ERBs, terá um aumento de 70 bytes a cada mensagem"),
        page);
    grid->addWidget(note, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("de tracking e tracking em sleep (protocolo binário)."), page), 2, 0, 1, 3);
}

std::vector<std::uint8_t> ModemPage::FilledBlocks() const { return {BlockByte(BlockId::SimcardData)}; }


void ModemPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<std::int32_t> seconds = UnpackSimcardDataInterval(payload, length);
    if (seconds) ShowNumber(simcardInterval_, *seconds);
}
