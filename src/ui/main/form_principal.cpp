#include "ui/main/form_principal.h"

#include <QDialog>
#include <QFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "core/panel/device_identity.h"
#include "core/tool_version.h"
#include "session/clock.h"
#include "session/panel_session.h"
#include "ui/common/dialogs.h"
#include "ui/common/local_time.h"
#include "ui/common/messages.h"
#include "ui/main/config_notebook.h"
#include "ui/main/named_action.h"
#include "ui/main/port_menu.h"
#include "ui/main/status_line.h"
#include "ui/main/status_panels.h"

namespace {

constexpr int kClientWidth = 738;
constexpr int kClientHeight = 629;

}  // namespace

TFormPrincipal::TFormPrincipal(Services services, QWidget* parent) : QMainWindow(parent), services_(services)
{
    BuildLayout();

    PanelSession& session = services_.session;
    connect(&session, &PanelSession::PortOpened, this, &TFormPrincipal::ApdComPortPortOpen);
    connect(&session, &PanelSession::PortOpenFailed, this, &TFormPrincipal::OnPortOpenFailed);
    connect(&session, &PanelSession::PortFailed, this, &TFormPrincipal::OnPortFailure);
    connect(&session, &PanelSession::Identified, this, &TFormPrincipal::OnIdentified);
    connect(&session, &PanelSession::IdentificationLapsed, statusPanels_, &StatusPanels::ClearIdentification);

    // Runs while the port is open and does nothing when it fires, as the
    // window's timer always has: the session bounds every wait itself.
    timeoutSerial_ = new QTimer(this);
    timeoutSerial_->setObjectName(QStringLiteral("TimeoutSerial"));
    timeoutSerial_->setInterval(1000);

    timerPolling_ = new QTimer(this);
    timerPolling_->setObjectName(QStringLiteral("TimerPolling"));
    timerPolling_->setInterval(1000);
    connect(timerPolling_, &QTimer::timeout, this, &TFormPrincipal::TimerPollingTimer);

    // FormCreate: the status line starts empty; the first scan of the ports.
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

// ---- Layout -------------------------------------------------------------------

void TFormPrincipal::BuildLayout()
{
    setObjectName(QStringLiteral("FormPrincipal"));
    setWindowTitle(QStringLiteral("Quorvel - V%1").arg(QLatin1String(kToolVersion)));
    // Fixed single border: title, system menu and minimise box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    setFont(font);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* statusRow = new QHBoxLayout;
    statusLine_ = new StatusLine(services_.session, central);
    statusRow->addWidget(statusLine_, 1);
    // Never visible: a hidden hook that sets the panel's clock.
    setClockButton_ = new QPushButton(central);
    setClockButton_->setObjectName(QStringLiteral("SpeedButton1"));
    setClockButton_->setVisible(false);
    connect(setClockButton_, &QPushButton::clicked, this, &TFormPrincipal::SpeedButton1Click);
    statusRow->addWidget(setClockButton_);
    layout->addLayout(statusRow);

    notebook_ = new ConfigNotebook(services_.session, services_.dialogs, central);
    connect(notebook_, &ConfigNotebook::StatusText, statusLine_, &StatusLine::ShowText);
    connect(notebook_, &ConfigNotebook::EnrolmentRequested, this, [this] { ShowWhileOpen(formCadastro_); });
    layout->addWidget(notebook_, 1);
    setCentralWidget(central);

    BuildMenus();
    statusPanels_ = new StatusPanels(*statusBar());
    // The client area (below the menu bar) is fixed.
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TFormPrincipal::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QAction* sair = NamedAction(QStringLiteral("Sair1"), QStringLiteral("Sair"), this);
    connect(sair, &QAction::triggered, this, &TFormPrincipal::Sair1Click);
    bar->addAction(sair);

    portMenu_ = new PortMenu(*bar, services_.ports, this);
    connect(portMenu_, &PortMenu::OpenRequested, this, &TFormPrincipal::OpenSerialPort);
    connect(portMenu_, &PortMenu::CloseRequested, this, &TFormPrincipal::MenuSerialFecharClick);
    connect(portMenu_, &PortMenu::NetworkPortsRequested, this, &TFormPrincipal::NetworkPortsRequested);

    atualizacaoAction_ = NamedAction(QStringLiteral("Atualizaodefirmware1"), QStringLiteral("Atualização de firmware"), this);
    connect(atualizacaoAction_, &QAction::triggered, this, &TFormPrincipal::Atualizaodefirmware1Click);
    bar->addAction(atualizacaoAction_);

    debugAction_ = NamedAction(QStringLiteral("Debug1"), QStringLiteral("Debug"), this);
    connect(debugAction_, &QAction::triggered, this, &TFormPrincipal::Debug1Click);
    bar->addAction(debugAction_);

    // The library works with or without a panel: never disabled.
    QAction* biblioteca = NamedAction(QStringLiteral("Biblioteca1"), QStringLiteral("Biblioteca"), this);
    connect(biblioteca, &QAction::triggered, this, &TFormPrincipal::LibraryRequested);
    bar->addAction(biblioteca);

    ShowPortOpen(false);
}

void TFormPrincipal::ShowPortOpen(bool open)
{
    portMenu_->ShowPortOpen(open);
    atualizacaoAction_->setEnabled(open);
    debugAction_->setEnabled(open);
}

// ---- Status -------------------------------------------------------------------

void TFormPrincipal::TimerPollingTimer()
{
    statusPanels_->ShowClock(QString::fromStdString(FormatClockText(ToLocalDateTime(services_.clock.Now()))));
    services_.session.Tick();
}

void TFormPrincipal::OnIdentified(const Identification& identity)
{
    statusPanels_->ShowIdentification(QString::fromStdString(IdentificationText(identity)));
}

void TFormPrincipal::ShowTraceStopped(const QString& reason) { statusPanels_->ShowTraceStopped(reason); }

// ---- Port lifecycle -------------------------------------------------------------

int TFormPrincipal::SelectedPortNumber() const { return portMenu_->SelectedPortNumber(); }

void TFormPrincipal::BuildPortMenu() { portMenu_->Rebuild(); }

bool TFormPrincipal::SelectPort(int number) { return portMenu_->SelectPort(number); }

void TFormPrincipal::OpenSerialPort()
{
    PanelSession& session = services_.session;
    if (session.IsPortOpen() || session.IsPortOpening()) return;
    statusPanels_->ClearPanel();
    const int number = portMenu_->SelectedPortNumber();
    // A local port has opened or failed on return; a network port connects
    // and agrees its line meanwhile, and the window stays live.
    if (!session.StartOpeningPort(number, portMenu_->SelectedBaud())) {
        services_.dialogs.Error(this, QStringLiteral("Número da porta serial inválido."));
        return;
    }
    if (!session.IsPortOpening()) return;
    // "Fechar" gives the open up; nothing else may start meanwhile.
    portMenu_->ShowPortOpen(true);
    statusPanels_->ShowPortOpening(number);
}

void TFormPrincipal::OnPortOpenFailed()
{
    ShowPortOpen(false);
    statusPanels_->ClearPanel();
    BuildPortMenu();
    services_.dialogs.Error(this, QStringLiteral("Erro ao tentar abrir a porta."));
}

void TFormPrincipal::CloseSerialPort()
{
    if (!services_.session.IsPortOpen() && !services_.session.IsPortOpening()) return;
    timeoutSerial_->stop();
    ShowPortOpen(false);
    statusPanels_->ClearPanel();
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
    ShowPortOpen(true);
    statusPanels_->ShowPort(services_.session.ComNumber());
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

// ---- Menu items -------------------------------------------------------------------

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
