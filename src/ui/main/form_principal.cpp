#include "ui/main/form_principal.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <array>

#include "ui/firmware/form_atualizacao.h"
#include "ui/rf/form_cadastro.h"
#include "ui/diagnostics/form_debug.h"
#include "core/link/big_endian.h"
#include "core/link/commands.h"
#include "core/link/frame.h"
#include "session/clock.h"
#include "ui/common/dialogs.h"
#include "ports/port_catalogue.h"
#include "session/serial_link.h"

namespace {

// Bytes read from the port per block; more waiting bytes take several blocks.
constexpr qint64 kReadBlockSize = 4096;

}  // namespace

TFormPrincipal::TFormPrincipal(Services services, QWidget* parent)
    : QMainWindow(parent), services_(services), link_(new SerialLink(services.ports, this))
{
    dispatcher_.receivers().link = this;
    BuildLayout();

    connect(link_, &SerialLink::PortOpened, this, &TFormPrincipal::ApdComPortPortOpen);
    connect(link_, &SerialLink::PortClosed, this, &TFormPrincipal::ApdComPortPortClose);
    connect(link_, &SerialLink::DataAvailable, this, &TFormPrincipal::ApdComPortTriggerAvail);
    connect(link_, &SerialLink::Failed, this, &TFormPrincipal::OnPortFailure);

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

TFormPrincipal::~TFormPrincipal() = default;

void TFormPrincipal::AttachWindows(TFormAtualizacao* atualizacao, TFormDebug* debug, TFormCadastro* cadastro)
{
    formAtualizacao_ = atualizacao;
    formDebug_ = debug;
    formCadastro_ = cadastro;
}

bool TFormPrincipal::IsPortOpen() const { return link_->IsOpen(); }

// ---- Port menu and lifecycle ------------------------------------------------

void TFormPrincipal::BuildPortMenu()
{
    const bool rebuild = !portGroup_->actions().isEmpty();
    for (QAction* action : portGroup_->actions()) {
        portGroup_->removeAction(action);
        menuNumPorta_->removeAction(action);
        delete action;
    }

    bool matched = false;
    for (const PortEntry& entry : services_.ports.Scan()) {
        const QString name = QStringLiteral("COM%1").arg(entry.number);
        auto* action = new QAction(name, menuNumPorta_);
        action->setObjectName(name);
        action->setCheckable(true);
        action->setData(entry.number);
        action->setStatusTip(QString::fromStdString(entry.devicePath));
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
    link_->SetBaud(SelectedBaud());
    statusPanels_[1]->clear();
    statusPanels_[2]->clear();
    supervision_.OnOpenRequested();

    if (selectedPortNumber_ == 0) {
        services_.dialogs.Error(this, QStringLiteral("Número da porta serial inválido."));
        return;
    }
    link_->SetComNumber(selectedPortNumber_);
    if (!link_->Open()) {
        CloseSerialPort();
        BuildPortMenu();
        services_.dialogs.Error(this, QStringLiteral("Erro ao tentar abrir a porta."));
    }
}

void TFormPrincipal::CloseSerialPort()
{
    if (!link_->IsOpen()) return;
    timeoutSerial_->stop();
    SetClosedMenuState();
    statusPanels_[1]->clear();
    statusPanels_[2]->clear();
    if (!link_->Close()) services_.dialogs.Error(this, QStringLiteral("Erro ao tentar fechar a porta."));
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
    const bool identify = supervision_.OnPortOpened();
    statusPanels_[2]->setText(QStringLiteral("Porta: COM%1").arg(link_->ComNumber()));
    if (identify) SendCommand(nullptr, 0, CommandByte(CommandCode::IdentifyCommand));
}

void TFormPrincipal::ApdComPortPortClose() { supervision_.OnPortClosed(); }

void TFormPrincipal::OnPortFailure(bool writing)
{
    FailPort(writing ? QStringLiteral("Erro ao tentar escrever na porta.")
                     : QStringLiteral("Erro ao tentar ler da porta."));
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

// ---- Send and receive -------------------------------------------------------

void TFormPrincipal::SendCommand(const std::uint8_t* payload, std::uint8_t payloadLength, std::uint8_t command)
{
    std::array<std::uint8_t, kMaxSendFrame> frame;
    const std::size_t size = BuildFrame(command, payload, payloadLength, frame.data());
    if (size == 0) return;
    if (!link_->IsOpen() || !supervision_.LinkOpen()) return;
    if (!link_->PutBlock(frame.data(), size)) FailPort(QStringLiteral("Erro ao tentar escrever na porta."));
}

void TFormPrincipal::ApdComPortTriggerAvail()
{
    // A receiver may run the event loop (a modal box); bytes that arrive
    // meanwhile are drained by the outer loop, in order.
    if (receiving_) return;
    receiving_ = true;
    std::array<std::uint8_t, kReadBlockSize> block;
    while (link_->IsOpen() && link_->BytesWaiting() > 0) {
        const qint64 count = link_->GetBlock(block.data(), std::min(link_->BytesWaiting(), kReadBlockSize));
        if (count < 0) {
            receiving_ = false;
            FailPort(QStringLiteral("Erro ao tentar ler da porta."));
            return;
        }
        if (count == 0) break;
        assembler_.Feed(block.data(), static_cast<std::size_t>(count), dispatcher_);
    }
    receiving_ = false;
}

// ---- Menu items -------------------------------------------------------------

void TFormPrincipal::SpeedButton1Click()
{
    // Sent without any check of the port or the device.
    std::uint8_t payload[4];
    PutBigEndian32(payload, static_cast<std::uint32_t>(services_.clock.Now().toSecsSinceEpoch()));
    SendCommand(payload, sizeof payload, CommandByte(CommandCode::SetTimeCommand));
}

void TFormPrincipal::Sair1Click()
{
    timerPolling_->stop();
    timeoutSerial_->stop();
    if (link_->IsOpen()) CloseSerialPort();
    close();
}

void TFormPrincipal::Atualizaodefirmware1Click()
{
    if (link_->IsOpen() && formAtualizacao_) formAtualizacao_->exec();
}

void TFormPrincipal::Debug1Click()
{
    if (link_->IsOpen() && formDebug_) formDebug_->exec();
}
