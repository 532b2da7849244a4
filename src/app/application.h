#pragma once
// The composition root: given the seams (dialogs, ports, clock), it builds
// the panel session and the five windows and wires them to one another; in
// demo mode it adds a software panel on a free port and opens it. main()
// and the tests build the program this same way.

#include <QString>
#include <functional>
#include <map>
#include <memory>

#include "ports/network_address.h"

class Clock;
class Dialogs;
class PanelHost;
class FrameTraceFile;
class PanelSession;
class SystemPortCatalogue;
class TFormAtualizacao;
class TFormBiblioteca;
class TFormCadastro;
class TFormDebug;
class TFormPortasRede;
class TFormPrincipal;

class Application {
public:
    struct Seams {
        Dialogs& dialogs;
        SystemPortCatalogue& ports;
        const Clock& clock;
    };
    struct Options {
        bool demo = false;
        // The demo's panel answers at the pace of the link speed, as a real
        // one; the tests keep it fast.
        bool pacedDemo = true;
        // Where every frame is traced from the first one on; must outlive
        // the application.
        FrameTraceFile* trace = nullptr;
        // The panel library's location (a SQLite path or a PostgreSQL URL;
        // empty: the user's own), opened when its window is first shown.
        QString library{};
        // Told when the user chooses another library, to remember it.
        std::function<void(const QString&)> rememberLibrary{};
        // Told when the user changes the network ports, to remember them
        // (the catalogue of the seams holds those of the last run already).
        std::function<void(const std::map<int, NetworkAddress>&)> rememberNetworkPorts{};
        // The language spoken ("pt_BR", "es", "en"), checked in "Idioma";
        // told the user's choice there, to remember for the next start.
        QString language = QStringLiteral("pt_BR");
        std::function<void(const QString&)> rememberLanguage{};
    };

    Application(Seams seams, Options options);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    PanelSession& Session() { return *session_; }
    TFormPrincipal& MainWindow() { return *formPrincipal_; }
    // The secondary windows belong to the main window (Qt children).
    TFormAtualizacao& FirmwareWindow() { return *formAtualizacao_; }
    TFormDebug& DiagnosticWindow() { return *formDebug_; }
    TFormCadastro& EnrolmentWindow() { return *formCadastro_; }
    TFormBiblioteca& LibraryWindow() { return *formBiblioteca_; }
    TFormPortasRede& NetworkPortsWindow() { return *formPortasRede_; }
    // The demo panel, or nullptr (not in demo mode, or it could not start).
    PanelHost* DemoPanel() { return demoPanel_.get(); }
    int DemoPortNumber() const { return demoPortNumber_; }

private:
    void StartDemoPanel(bool paced);
    // Opens the panel library, once, when it is first needed.
    void OpenLibrary(const QString& location);

    Seams seams_;
    std::unique_ptr<PanelHost> demoPanel_;
    int demoPortNumber_ = 0;
    std::unique_ptr<PanelSession> session_;
    std::unique_ptr<TFormPrincipal> formPrincipal_;
    TFormAtualizacao* formAtualizacao_ = nullptr;
    TFormDebug* formDebug_ = nullptr;
    TFormCadastro* formCadastro_ = nullptr;
    TFormBiblioteca* formBiblioteca_ = nullptr;
    TFormPortasRede* formPortasRede_ = nullptr;
};
