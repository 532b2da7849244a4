#include "app/application.h"

#include "ui/firmware/form_atualizacao.h"
#include "ui/rf/form_cadastro.h"
#include "ui/diagnostics/form_debug.h"
#include "session/clock.h"
#include "ui/common/dialogs.h"
#include "ui/main/form_principal.h"
#include "app/panel_host.h"
#include "ports/port_catalogue.h"

namespace {

// The demo panel takes the lowest number that no device and no user's
// registration holds.
std::unique_ptr<PanelHost> StartDemoPanel(const SystemPortCatalogue& ports)
{
    const std::filesystem::path folder = DefaultPortFolder();
    std::vector<int> taken = RegisteredPortNumbers(folder);
    for (const PortEntry& entry : ports.Scan()) taken.push_back(entry.number);
    const int number = LowestFreeComNumber(taken);
    if (number == 0) return nullptr;
    VirtualPanel::Options options;
    options.autoTriggerRf = true;  // a sensor to enrol without hardware
    auto panel = std::make_unique<PanelHost>(options, folder, number);
    if (!panel->Ok()) return nullptr;
    return panel;
}

}  // namespace

Application::Application(Options options)
    : dialogs_(std::make_unique<QtDialogs>()),
      ports_(std::make_unique<SystemPortCatalogue>()),
      clock_(std::make_unique<SystemClock>())
{
    // The panel registers before the main window scans the ports.
    if (options.demo) {
        demoPanel_ = StartDemoPanel(*ports_);
        if (!demoPanel_) {
            dialogs_->Error(nullptr, QStringLiteral("O painel de demonstração não pôde ser iniciado."));
        }
    }
    formPrincipal_ = std::make_unique<TFormPrincipal>(TFormPrincipal::Services{*dialogs_, *ports_, *clock_});
    formAtualizacao_ = std::make_unique<TFormAtualizacao>(formPrincipal_.get());
    formDebug_ = std::make_unique<TFormDebug>(formPrincipal_.get());
    TFormPrincipal* principal = formPrincipal_.get();
    formCadastro_ = std::make_unique<TFormCadastro>(
        [principal](const std::uint8_t* payload, std::uint8_t length, std::uint8_t command) {
            principal->SendCommand(payload, length, command);
        },
        principal->Receivers(), principal);
    formPrincipal_->AttachWindows(formAtualizacao_.get(), formDebug_.get(), formCadastro_.get());
    if (demoPanel_) formPrincipal_->SelectPort(demoPanel_->ComNumber());
}

Application::~Application()
{
    // The secondary windows are children of the main one: they go first.
    formCadastro_.reset();
    formDebug_.reset();
    formAtualizacao_.reset();
    formPrincipal_.reset();
    demoPanel_.reset();
}
