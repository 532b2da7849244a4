#include "ui/main/port_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "ports/port_catalogue.h"
#include "ui/main/named_action.h"

PortMenu::PortMenu(QMenuBar& bar, const PortCatalogue& ports, QObject* parent) : QObject(parent), ports_(ports)
{
    QMenu* portaSerial = bar.addMenu(QStringLiteral("Porta Serial"));
    portaSerial->setObjectName(QStringLiteral("PortaSerial1"));
    portaSerial->menuAction()->setObjectName(QStringLiteral("PortaSerial1"));

    abrir_ = NamedAction(QStringLiteral("MenuSerialAbrir"), QStringLiteral("Abrir"), portaSerial);
    connect(abrir_, &QAction::triggered, this, &PortMenu::OpenRequested);
    portaSerial->addAction(abrir_);

    fechar_ = NamedAction(QStringLiteral("MenuSerialFechar"), QStringLiteral("Fechar"), portaSerial);
    connect(fechar_, &QAction::triggered, this, &PortMenu::CloseRequested);
    portaSerial->addAction(fechar_);

    portNumbers_ = portaSerial->addMenu(QStringLiteral("Numero porta"));
    portNumbers_->setObjectName(QStringLiteral("MenuNumPorta"));
    portNumbers_->menuAction()->setObjectName(QStringLiteral("MenuNumPorta"));
    portNumbers_->setToolTipsVisible(true);
    portaSerial->setToolTipsVisible(true);  // the reason a port folder is ignored
    portGroup_ = new QActionGroup(portNumbers_);
    portGroup_->setExclusive(true);

    speeds_ = portaSerial->addMenu(QStringLiteral("Velocidade"));
    speeds_->setObjectName(QStringLiteral("MenuVelocidadePorta"));
    speeds_->menuAction()->setObjectName(QStringLiteral("MenuVelocidadePorta"));
    auto* baudGroup = new QActionGroup(speeds_);
    baudGroup->setExclusive(true);
    for (int baud : {115200, 57600, 38400, 19200, 9600}) {
        QAction* action =
            NamedAction(QStringLiteral("ConfigBaud%1").arg(baud), QStringLiteral("%1 bps").arg(baud), speeds_);
        action->setCheckable(true);
        action->setData(baud);
        baudGroup->addAction(action);
        speeds_->addAction(action);
        baudActions_.push_back(action);
    }
    baudActions_.front()->setChecked(true);

    // Network addresses given COM numbers, which "Numero porta" then lists.
    QAction* portasRede = NamedAction(QStringLiteral("MenuPortasRede"), QStringLiteral("Portas de rede"), portaSerial);
    connect(portasRede, &QAction::triggered, this, &PortMenu::NetworkPortsRequested);
    portaSerial->addAction(portasRede);
}

void PortMenu::Rebuild()
{
    const bool rebuild = !portGroup_->actions().isEmpty();
    for (QAction* action : portGroup_->actions()) {
        portGroup_->removeAction(action);
        portNumbers_->removeAction(action);
        delete action;
    }

    const std::vector<PortEntry> ports = ports_.Scan();
    // Why the port folder was left out, where the user looks for a port.
    const QString ignored = QString::fromStdString(ports_.IgnoredFolderReason());
    portNumbers_->setToolTip(ignored);
    portNumbers_->menuAction()->setToolTip(ignored);

    bool matched = false;
    for (const PortEntry& entry : ports) {
        const QString name = QStringLiteral("COM%1").arg(entry.number);
        auto* action = new QAction(name, portNumbers_);
        action->setObjectName(name);
        action->setCheckable(true);
        action->setData(entry.number);
        // A tooltip, not a status tip: a status tip would hide the status
        // bar's panels, the clock included, while the pointer rests on it.
        action->setToolTip(QString::fromStdString(entry.devicePath));
        connect(action, &QAction::triggered, this, [this, action] {
            action->setChecked(true);
            selectedPortNumber_ = action->data().toInt();
        });
        portGroup_->addAction(action);
        portNumbers_->addAction(action);

        if (!rebuild && !matched) {
            selectedPortNumber_ = entry.number;
            matched = true;
        }
        if (entry.number == selectedPortNumber_) {
            action->setChecked(true);
            matched = true;
        }
    }
    if (rebuild && !matched) selectedPortNumber_ = 0;
}

bool PortMenu::SelectPort(int number)
{
    for (QAction* action : portGroup_->actions()) {
        if (action->data().toInt() == number) {
            action->trigger();
            return true;
        }
    }
    return false;
}

qint32 PortMenu::SelectedBaud() const
{
    for (QAction* action : baudActions_) {
        if (action->isChecked()) return action->data().toInt();
    }
    return 9600;
}

void PortMenu::ShowPortOpen(bool open)
{
    abrir_->setEnabled(!open);
    fechar_->setEnabled(open);
    portNumbers_->menuAction()->setEnabled(!open);
    speeds_->menuAction()->setEnabled(!open);
}
