#include "app/application.h"

#include <QCoreApplication>
#include <QMenuBar>

#include "app/panel_host.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"
#include "session/frame_trace_file.h"
#include "session/panel_session.h"
#include "ui/common/dialogs.h"
#include "ui/common/readable_palette.h"
#include "ui/diagnostics/form_debug.h"
#include "library/library_location.h"
#include "ui/firmware/form_atualizacao.h"
#include "ui/library/form_biblioteca.h"
#include "ui/main/form_portas_rede.h"
#include "ui/main/language_menu.h"
#include "ui/main/form_principal.h"
#include "ui/rf/form_cadastro.h"

Application::Application(Seams seams, Options options) : seams_(seams)
{
    // The demo panel is pinned before the main window's first scan.
    if (options.demo) StartDemoPanel(options.pacedDemo);

    session_ = std::make_unique<PanelSession>(seams_.ports);
    session_->SetTrace(options.trace);
    formPrincipal_ = std::make_unique<TFormPrincipal>(
        TFormPrincipal::Services{*session_, seams_.dialogs, seams_.ports, seams_.clock});
    QWidget* owner = formPrincipal_.get();
    formAtualizacao_ = new TFormAtualizacao(*session_, seams_.dialogs, seams_.clock, owner);
    formDebug_ = new TFormDebug(*session_, seams_.dialogs, seams_.clock, owner);
    formCadastro_ = new TFormCadastro(*session_, seams_.dialogs, owner);
    formPrincipal_->AttachWindows(formAtualizacao_, formDebug_, formCadastro_);
    formBiblioteca_ = new TFormBiblioteca(*session_, seams_.dialogs, seams_.clock, owner);
    // A library on this PC opens at start, so every panel identified is
    // recorded; a team's waits until it is needed (its server may be slow
    // to answer, and a box at start would greet the installer). A library
    // that will not open says so when its window is opened.
    if (const LocationParse parse = ChooseLibraryLocation(options.library);
        parse.location && parse.location->kind == LibraryLocation::Kind::Sqlite) {
        formBiblioteca_->UseLibrary(*parse.location, /*quiet=*/true);
    }
    // Every panel identified is recorded in the library, when it is open.
    QObject::connect(session_.get(), &PanelSession::Identified, formBiblioteca_, &TFormBiblioteca::RecordSeen);
    // What the panel holds is kept in the library before its firmware changes.
    formAtualizacao_->SetKeeping(TFormAtualizacao::Keeping{
        [this, location = options.library] {
            OpenLibrary(location);
            return formBiblioteca_->Library();
        },
        [this](SnapshotReason reason) { return formBiblioteca_->Origin(reason, QString()); }});
    QObject::connect(formAtualizacao_, &TFormAtualizacao::PanelKept, formBiblioteca_,
                     [this](const SnapshotInfo& kept) { formBiblioteca_->ShowStored(kept.serial); });
    QObject::connect(formPrincipal_.get(), &TFormPrincipal::LibraryRequested, formBiblioteca_,
                     [this, location = options.library] {
                         OpenLibrary(location);
                         seams_.dialogs.Show(*formBiblioteca_);
                     });
    // Network ports: the catalogue takes the new list, the menu lists it.
    formPortasRede_ = new TFormPortasRede(seams_.ports, seams_.dialogs, owner);
    QObject::connect(formPrincipal_.get(), &TFormPrincipal::NetworkPortsRequested, formPortasRede_, [this] {
        formPortasRede_->ShowPorts(seams_.ports.NetworkPorts());
        seams_.dialogs.ShowModal(*formPortasRede_);
    });
    QObject::connect(formPortasRede_, &TFormPortasRede::PortsChanged, formPortasRede_,
                     [this, remember = options.rememberNetworkPorts](const std::map<int, NetworkAddress>& ports) {
                         seams_.ports.SetNetworkPorts(ports);
                         formPrincipal_->BuildPortMenu();
                         if (remember) remember(ports);
                     });
    // A language chosen is spoken from the next start: every window, box and
    // text would otherwise have to be made again in place.
    auto* languageMenu = new LanguageMenu(*formPrincipal_->menuBar(), options.language, formPrincipal_.get());
    QObject::connect(languageMenu, &LanguageMenu::LanguageChosen, formPrincipal_.get(),
                     [this, remember = options.rememberLanguage](const QString& code) {
                         if (remember) remember(code);
                         seams_.dialogs.Information(
                             formPrincipal_.get(),
                             QCoreApplication::translate("Application", "O idioma escolhido vale a partir da próxima vez "
                                                                        "que o Quorvel for aberto."));
                     });
    if (options.rememberLibrary) {
        QObject::connect(formBiblioteca_, &TFormBiblioteca::LibraryChosen, formBiblioteca_, options.rememberLibrary);
    }
    if (options.trace) {
        QObject::connect(options.trace, &FrameTraceFile::Stopped, formPrincipal_.get(),
                         &TFormPrincipal::ShowTraceStopped);
    }
    for (QWidget* window : std::initializer_list<QWidget*>{formPrincipal_.get(), formAtualizacao_, formDebug_,
                                                           formCadastro_, formBiblioteca_, formPortasRede_}) {
        ApplyReadablePalette(*window);
    }

    if (demoPanel_) {
        // As if the user had chosen the port and "Abrir": the panel shows
        // itself within a second.
        formPrincipal_->SelectPort(demoPortNumber_);
        formPrincipal_->OpenSerialPort();
    } else if (options.demo) {
        seams_.dialogs.Error(nullptr, QStringLiteral("O painel de demonstração não pôde ser iniciado."));
    }
}

Application::~Application()
{
    // Windows first (they hold the session), then the session and its port,
    // then the panel at the other end.
    formPrincipal_.reset();
    session_.reset();
    if (demoPortNumber_ != 0) seams_.ports.Unpin(demoPortNumber_);
    demoPanel_.reset();
}

void Application::OpenLibrary(const QString& location)
{
    if (formBiblioteca_->Library()) return;
    const LocationParse parse = ChooseLibraryLocation(location);
    if (parse.location) {
        formBiblioteca_->UseLibrary(*parse.location);
    } else {
        seams_.dialogs.Error(formPrincipal_.get(), parse.error);
    }
}

void Application::StartDemoPanel(bool paced)
{
    // The lowest number that no present device and no entry of the user's
    // port folder holds: a pinned but unplugged adapter keeps its number.
    std::vector<int> taken = RegisteredPortNumbers(seams_.ports.PortFolder());
    for (const PortEntry& entry : seams_.ports.Scan()) taken.push_back(entry.number);
    const int number = LowestFreeComNumber(taken);
    if (number == 0) return;
    // Its clock runs from the computer's, as a panel's battery-backed one would.
    VirtualPanel::Options panelOptions;
    panelOptions.clock = static_cast<std::uint32_t>(seams_.clock.Now().toSecsSinceEpoch());
    panelOptions.autoTriggerRf = true;  // a sensor to enrol without hardware
    auto panel = std::make_unique<PanelHost>(panelOptions);
    if (!panel->Ok()) return;
    // What a new user sees is what a real panel does: a gauge that moves.
    panel->SetPaced(paced);
    seams_.ports.PinInMemory(number, panel->DevicePath().toStdString());
    demoPanel_ = std::move(panel);
    demoPortNumber_ = number;
}
