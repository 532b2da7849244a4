#include "ui/main/form_portas_rede.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ports/port_catalogue.h"
#include "ui/common/dialogs.h"

namespace {

QPushButton* Button(const QString& name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

QString ProblemText(AddressProblem problem)
{
    switch (problem) {
    case AddressProblem::UnknownScheme: return QStringLiteral("use rfc2217:// ou socket://");
    case AddressProblem::Blank: return QStringLiteral("há um espaço no endereço");
    case AddressProblem::ControlCharacter: return QStringLiteral("há um caractere de controle no endereço");
    case AddressProblem::UserInfo: return QStringLiteral("o endereço não leva usuário nem senha");
    case AddressProblem::MissingHost: return QStringLiteral("falta o host");
    case AddressProblem::BadHost: return QStringLiteral("o host não é um endereço IPv4, [IPv6] ou nome");
    case AddressProblem::MissingPort: return QStringLiteral("falta a porta");
    case AddressProblem::BadPort: return QStringLiteral("a porta deve ser um número de 1 a 65535");
    case AddressProblem::TrailingText: return QStringLiteral("nada pode vir depois da porta");
    }
    return QString();
}

}  // namespace

TFormPortasRede::TFormPortasRede(const PortCatalogue& ports, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), catalogue_(ports), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("FormPortasRede"));
    setWindowTitle(QStringLiteral("Portas de rede"));
    auto* layout = new QVBoxLayout(this);

    grid_ = new QTableWidget(0, 2, this);
    grid_->setObjectName(QStringLiteral("GridPortasRede"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("Porta"), QStringLiteral("Endereço")});
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->verticalHeader()->setVisible(false);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(grid_);

    auto* row = new QHBoxLayout;
    auto* numberLabel = new QLabel(QStringLiteral("COM"), this);
    numberLabel->setObjectName(QStringLiteral("LabelNumeroPortaRede"));
    row->addWidget(numberLabel);
    number_ = new QSpinBox(this);
    number_->setObjectName(QStringLiteral("EditNumeroPortaRede"));
    number_->setRange(kFirstComNumber, kLastComNumber);
    row->addWidget(number_);
    address_ = new QLineEdit(this);
    address_->setObjectName(QStringLiteral("EditEnderecoRede"));
    address_->setPlaceholderText(QStringLiteral("rfc2217://host:porta ou socket://host:porta"));
    row->addWidget(address_, 1);
    QPushButton* add = Button(QStringLiteral("BtnAdicionarPortaRede"), QStringLiteral("Adicionar"), this);
    connect(add, &QPushButton::clicked, this, &TFormPortasRede::AddClicked);
    row->addWidget(add);
    layout->addLayout(row);

    auto* buttons = new QHBoxLayout;
    QPushButton* remove = Button(QStringLiteral("BtnRemoverPortaRede"), QStringLiteral("Remover"), this);
    connect(remove, &QPushButton::clicked, this, &TFormPortasRede::RemoveClicked);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    QPushButton* close = Button(QStringLiteral("BtnFecharPortasRede"), QStringLiteral("Fechar"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(520, 300);
}

void TFormPortasRede::ShowPorts(std::map<int, NetworkAddress> ports)
{
    ports_ = std::move(ports);
    Fill();
}

void TFormPortasRede::Fill()
{
    grid_->setRowCount(0);
    for (const auto& [number, address] : ports_) {
        const int row = grid_->rowCount();
        grid_->insertRow(row);
        auto* name = new QTableWidgetItem(QStringLiteral("COM%1").arg(number));
        name->setData(Qt::UserRole, number);
        grid_->setItem(row, 0, name);
        grid_->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(address.Text())));
    }
}

void TFormPortasRede::AddClicked()
{
    const int number = number_->value();
    const QString text = address_->text();
    const AddressParse parse = ParseNetworkAddress(text.toStdString());
    if (!parse.address) {
        dialogs_.Error(this, QStringLiteral("Endereço de rede inválido: %1.").arg(ProblemText(parse.problem)));
        return;
    }
    if (const auto taken = ports_.find(number); taken != ports_.end()) {
        dialogs_.Error(this, QStringLiteral("A porta COM%1 já é a porta de rede %2. Remova-a antes.")
                                 .arg(number)
                                 .arg(QString::fromStdString(taken->second.Text())));
        return;
    }
    for (const PortEntry& entry : catalogue_.Scan()) {
        if (entry.number == number && !entry.network) {
            dialogs_.Error(this, QStringLiteral("A porta COM%1 já é usada pelo dispositivo %2. Escolha outro número.")
                                     .arg(number)
                                     .arg(QString::fromStdString(entry.devicePath)));
            return;
        }
    }
    ports_[number] = *parse.address;
    address_->clear();
    Fill();
    emit PortsChanged(ports_);
}

void TFormPortasRede::RemoveClicked()
{
    const int row = grid_->currentRow();
    if (row < 0 || !grid_->item(row, 0)) return;
    ports_.erase(grid_->item(row, 0)->data(Qt::UserRole).toInt());
    Fill();
    emit PortsChanged(ports_);
}
