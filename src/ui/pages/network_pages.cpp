#include "ui/pages/network_pages.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/config/cp1252.h"
#include "core/config/network_blocks.h"
#include "core/panel/block_table.h"
#include "ui/common/choice_rows.h"
#include "ui/common/dialogs.h"
#include "ui/common/field_layout.h"

namespace {

const QString kEmptyField = QStringLiteral("Campo vazio.");

QString FromCp1252(const std::vector<std::uint8_t>& bytes)
{
    const std::u32string text = DecodeCp1252(bytes.data(), bytes.size());
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

std::vector<std::uint8_t> ToCp1252(const QString& text)
{
    const QList<uint> ucs4 = text.toUcs4();
    // The edits refuse what the code page cannot carry; anything that still
    // slips through (set from code) is sent as '?', never dropped.
    std::vector<std::uint8_t> bytes;
    for (uint c : ucs4) bytes.push_back(Cp1252Byte(static_cast<char32_t>(c)).value_or('?'));
    return bytes;
}

}  // namespace

// ---- Tab 1: "Número IP e Porta" ----------------------------------------------

IpPortsPage::IpPortsPage(const PageSetup& setup, QWidget* parent)
    : SingleBlockPage(setup, BlockId::IpAddressesAndPorts, parent)
{
    QGridLayout* grid = AddPageGrid(Body());
    for (int row = 0; row < 4; ++row) {
        const QString number = QString::number(row + 1);
        AddLabel(grid, row, 0, QStringLiteral("Numero IP %1:").arg(number), this);
        for (int octet = 0; octet < 4; ++octet) {
            octets_[row][octet] = Data(MakeEdit(QStringLiteral("EndIp0%1_%2").arg(number).arg(octet), 3, this));
            grid->addWidget(octets_[row][octet], row, 1 + octet);
        }
        AddLabel(grid, row, 5, QStringLiteral("Numero Porta %1:").arg(number), this);
        ports_[row] = Data(MakeEdit(QStringLiteral("PortaIp0%1").arg(number), 5, this));
        grid->addWidget(ports_[row], row, 6);
    }
    auto* copy = new QPushButton(QStringLiteral("Copiar"), this);
    copy->setObjectName(QStringLiteral("Button3"));
    connect(copy, &QPushButton::clicked, this, &IpPortsPage::Button3Click);
    grid->addWidget(copy, 0, 7);
}

bool IpPortsPage::Validate()
{
    const bool privateAddress = HasPrivateAddress(
        [this](std::size_t row, std::size_t octet) { return ToInteger(octets_[row][octet]); });
    if (!privateAddress) return true;
    return PageDialogs().Question(
        this, QStringLiteral("Atenção"),
        QStringLiteral("Endereço IP não válido para internet. Deseja gravar mesmo assim?"));
}

std::vector<RangedField> IpPortsPage::RangedFields() const
{
    std::vector<RangedField> fields;
    for (std::size_t row = 0; row < kServerCount; ++row) {
        for (QLineEdit* octet : octets_[row]) fields.push_back({octet, NumericField::ServerOctet});
        fields.push_back({ports_[row], NumericField::ServerPort});
    }
    return fields;
}

std::optional<std::vector<std::uint8_t>> IpPortsPage::Pack()
{
    ServerAddresses servers;
    for (std::size_t row = 0; row < kServerCount; ++row) {
        for (std::size_t octet = 0; octet < 4; ++octet) servers[row].octets[octet] = ToInteger(octets_[row][octet]);
        servers[row].port = ToInteger(ports_[row]);
    }
    return PackServerAddresses(servers);
}

void IpPortsPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<ServerAddresses> servers = UnpackServerAddresses(payload, length);
    if (!servers) return;
    for (std::size_t row = 0; row < kServerCount; ++row) {
        for (std::size_t octet = 0; octet < 4; ++octet) ShowNumber(octets_[row][octet], (*servers)[row].octets[octet]);
        ShowNumber(ports_[row], (*servers)[row].port);
    }
}

void IpPortsPage::Button3Click()
{
    for (std::size_t row = 1; row < kServerCount; ++row) {
        for (std::size_t octet = 0; octet < 4; ++octet) octets_[row][octet]->setText(octets_[0][octet]->text());
        ports_[row]->setText(ports_[0]->text());
    }
}

// ---- Tab 2: "Intervalo de polling" ---------------------------------------------

PollingPage::PollingPage(const PageSetup& setup, QWidget* parent)
    : SingleBlockPage(setup, BlockId::PollingInterval, parent)
{
    QGridLayout* grid = AddPageGrid(Body());
    const QString hint = QStringLiteral("(em segundos - de 30 até 65535)");
    interval_ = Data(AddEditRow(grid, 0, QStringLiteral("CfgTimerMsgPolling"),
                                QStringLiteral("Intervalo de envio msg polling:"), hint, 5, this));
    reduced_ = Data(AddEditRow(grid, 1, QStringLiteral("CfgTimerMsgPollingReduzido"),
                               QStringLiteral("Intervalo de envio msg polling reduzido:"), hint, 0, this));
}

std::vector<RangedField> PollingPage::RangedFields() const
{
    return {{interval_, NumericField::PollingInterval}, {reduced_, NumericField::ReducedPollingInterval}};
}

std::optional<std::vector<std::uint8_t>> PollingPage::Pack()
{
    return PackPollingIntervals({ToInteger(interval_), ToInteger(reduced_)});
}

void PollingPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<PollingIntervals> intervals = UnpackPollingIntervals(payload, length);
    if (!intervals) return;
    ShowNumber(interval_, intervals->interval);
    ShowNumber(reduced_, intervals->reduced);
}

// ---- Tab 3: "Wifi" ---------------------------------------------------------------

WifiPage::WifiPage(const PageSetup& setup, QWidget* parent)
    : SingleBlockPage(setup, BlockId::WifiNetwork, parent)
{
    QGridLayout* grid = AddPageGrid(Body());
    const QString hint = QStringLiteral("(até 39 caracteres)");
    const int limit = static_cast<int>(kMaxWifiTextLength);
    ssid_ = Data(AddEditRow(grid, 0, QStringLiteral("CfgSsidRedeWifi"), QStringLiteral("Nome da rede (SSID):"), hint,
                            limit, this));
    password_ = Data(
        AddEditRow(grid, 1, QStringLiteral("CfgSenhaRedeWifi"), QStringLiteral("Senha da rede:"), hint, limit, this));
    ssid_->setValidator(MakeCp1252Validator(ssid_));
    password_->setValidator(MakeCp1252Validator(password_));
}

bool WifiPage::Validate()
{
    // Both empty is a valid network setting: "no network".
    if (ssid_->text().isEmpty() && password_->text().isEmpty()) return true;
    if (ssid_->text().isEmpty()) {
        Fail(ssid_, kEmptyField);
        return false;
    }
    if (password_->text().isEmpty()) {
        Fail(password_, kEmptyField);
        return false;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> WifiPage::Pack()
{
    return PackWifiNetwork({ToCp1252(ssid_->text()), ToCp1252(password_->text())});
}

void WifiPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const WifiAnswer answer = UnpackWifiNetwork(payload, length);
    if (answer.name) ssid_->setText(FromCp1252(*answer.name));
    if (answer.password) password_->setText(FromCp1252(*answer.password));
}
