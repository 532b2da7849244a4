#include "ui/main/form_principal.h"

#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include "ports/port_catalogue.h"
#include "session/clock.h"
#include "session/panel_session.h"
#include "ui/common/dialogs.h"
#include "ui/common/messages.h"

TFormPrincipal::TFormPrincipal(Services services, QWidget* parent) : QMainWindow(parent), services_(services)
{
    BuildLayout();

    PanelSession& session = services_.session;
    connect(&session, &PanelSession::PortOpened, this, &TFormPrincipal::ApdComPortPortOpen);
    connect(&session, &PanelSession::PortFailed, this, &TFormPrincipal::OnPortFailure);
    connect(&session, &PanelSession::Identified, this, &TFormPrincipal::OnIdentified);
    connect(&session, &PanelSession::IdentificationLapsed, statusPanels_[1], &QLabel::clear);
    ConnectStatusLine();

    timeoutSerial_ = new QTimer(this);
    timeoutSerial_->setObjectName(QStringLiteral("TimeoutSerial"));
    timeoutSerial_->setInterval(1000);

    timerPolling_ = new QTimer(this);
    timerPolling_->setObjectName(QStringLiteral("TimerPolling"));
    timerPolling_->setInterval(1000);
    connect(timerPolling_, &QTimer::timeout, this, &TFormPrincipal::TimerPollingTimer);

    // FormCreate: empty status line and the first scan of the ports.
    labelStatusCmd_->clear();
    BuildPortMenu();
    timerPolling_->start();
}

TFormPrincipal::~TFormPrincipal()
{
    // The session outlives this window: stop it calling into a dying one.
    services_.session.disconnect(this);
}

void TFormPrincipal::AttachWindows(QDialog* atualizacao, QDialog* debug, QDialog* cadastro)
{
    formAtualizacao_ = atualizacao;
    formDebug_ = debug;
    formCadastro_ = cadastro;
}

// ---- Port menu and lifecycle ------------------------------------------------

void TFormPrincipal::BuildPortMenu()
{
    const bool rebuild = !portGroup_->actions().isEmpty();
    for (QAction* action : portGroup_->actions()) {
        portGroup_->removeAction(action);
        menuNumPorta_->removeAction(action);
        delete action;
    }

    const std::vector<PortEntry> ports = services_.ports.Scan();
    // Why the port folder was left out, where the user looks for a port.
    const QString ignored = QString::fromStdString(services_.ports.IgnoredFolderReason());
    menuNumPorta_->setToolTip(ignored);
    menuNumPorta_->menuAction()->setToolTip(ignored);

    bool matched = false;
    for (const PortEntry& entry : ports) {
        const QString name = QStringLiteral("COM%1").arg(entry.number);
        auto* action = new QAction(name, menuNumPorta_);
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
        menuNumPorta_->addAction(action);

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

bool TFormPrincipal::SelectPort(int number)
{
    for (QAction* action : portGroup_->actions()) {
        if (action->data().toInt() == number) {
            action->trigger();
            return true;
        }
    }
    return false;
}

qint32 TFormPrincipal::SelectedBaud() const
{
    for (QAction* action : baudActions_) {
        if (action->isChecked()) return action->data().toInt();
    }
    return 9600;
}

void TFormPrincipal::OpenSerialPort()
{
    statusPanels_[1]->clear();
    statusPanels_[2]->clear();
    switch (services_.session.OpenPort(selectedPortNumber_, SelectedBaud())) {
    case PanelSession::OpenResult::Opened: break;
    case PanelSession::OpenResult::InvalidNumber:
        services_.dialogs.Error(this, QStringLiteral("Número da porta serial inválido."));
        break;
    case PanelSession::OpenResult::Failed:
        CloseSerialPort();
        BuildPortMenu();
        services_.dialogs.Error(this, QStringLiteral("Erro ao tentar abrir a porta."));
        break;
    }
}

void TFormPrincipal::CloseSerialPort()
{
    if (!services_.session.IsPortOpen()) return;
    timeoutSerial_->stop();
    SetClosedMenuState();
    statusPanels_[1]->clear();
    statusPanels_[2]->clear();
    if (!services_.session.ClosePort()) services_.dialogs.Error(this, QStringLiteral("Erro ao tentar fechar a porta."));
}

void TFormPrincipal::MenuSerialFecharClick()
{
    CloseSerialPort();
    BuildPortMenu();
}

void TFormPrincipal::ApdComPortPortOpen()
{
    // Enabling a running timer must not restart it: the clock keeps its beat.
    if (!timerPolling_->isActive()) timerPolling_->start();
    timeoutSerial_->start();
    menuSerialAbrir_->setEnabled(false);
    menuNumPorta_->menuAction()->setEnabled(false);
    menuVelocidadePorta_->menuAction()->setEnabled(false);
    menuSerialFechar_->setEnabled(true);
    atualizacaoAction_->setEnabled(true);
    debugAction_->setEnabled(true);
    statusPanels_[2]->setText(QStringLiteral("Porta: COM%1").arg(services_.session.ComNumber()));
}

void TFormPrincipal::OnPortFailure(bool writing)
{
    FailPort(writing ? messages::PortWriteError() : messages::PortReadError());
}

void TFormPrincipal::FailPort(const QString& message)
{
    // The port raises errors in bursts, and a modal box runs the event loop:
    // close first and let only the first failure of a burst speak.
    if (failing_) return;
    failing_ = true;
    CloseSerialPort();
    BuildPortMenu();
    services_.dialogs.Error(this, message);
    failing_ = false;
}

// ---- Menu items -------------------------------------------------------------

void TFormPrincipal::SpeedButton1Click()
{
    // Sent without any check of the port or the device.
    services_.session.SendPanelTime(services_.clock.Now().toSecsSinceEpoch());
}

void TFormPrincipal::Sair1Click()
{
    timerPolling_->stop();
    timeoutSerial_->stop();
    CloseSerialPort();
    close();
}

void TFormPrincipal::ShowWhileOpen(QDialog* window)
{
    if (window && services_.session.IsPortOpen()) services_.dialogs.ShowModal(*window);
}

void TFormPrincipal::Atualizaodefirmware1Click() { ShowWhileOpen(formAtualizacao_); }

void TFormPrincipal::Debug1Click() { ShowWhileOpen(formDebug_); }
