// The composition root: creates the four windows, hands each what it needs,
// and runs the event loop. "quorvel --demo" also starts a software panel in
// the same process and selects its port, so the tool can be tried without
// hardware.

#include <QApplication>
#include <QMessageBox>
#include <algorithm>
#include <exception>
#include <memory>

#include "atualizacao/form_atualizacao.h"
#include "cadastrosensor/form_cadastro.h"
#include "debug/form_debug.h"
#include "shell/clock.h"
#include "shell/dialogs.h"
#include "shell/form_principal.h"
#include "shell/panel_host.h"
#include "shell/port_catalogue.h"

namespace {

void ShowEscapedError(const QString& message)
{
    QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), message);
}

// The demo panel takes the lowest number that no device and no user's
// registration holds.
std::unique_ptr<PanelHost> StartDemoPanel(const SystemPortCatalogue& ports)
{
    const std::filesystem::path folder = DefaultPortFolder();
    std::vector<int> taken = RegisteredPortNumbers(folder);
    for (const PortEntry& entry : ports.Scan()) taken.push_back(entry.number);
    const int number = LowestFreeComNumber(taken);
    if (number == 0) return nullptr;
    auto panel = std::make_unique<PanelHost>(VirtualPanel::Options{}, folder, number);
    if (!panel->Ok()) return nullptr;
    return panel;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvel"));
    const QStringList arguments = QApplication::arguments();
    const bool demo = arguments.contains(QStringLiteral("--demo"));

    try {
        QtDialogs dialogs;
        SystemPortCatalogue ports;
        SystemClock clock;
        std::unique_ptr<PanelHost> demoPanel;
        if (demo) {
            demoPanel = StartDemoPanel(ports);
            if (!demoPanel) dialogs.Error(nullptr, QStringLiteral("O painel de demonstração não pôde ser iniciado."));
        }

        TFormPrincipal formPrincipal({dialogs, ports, clock});
        TFormAtualizacao formAtualizacao(&formPrincipal);
        TFormDebug formDebug(&formPrincipal);
        TFormCadastro formCadastro(&formPrincipal);
        formPrincipal.AttachWindows(&formAtualizacao, &formDebug, &formCadastro);
        if (demoPanel) formPrincipal.SelectPort(demoPanel->ComNumber());

        formPrincipal.show();
        QApplication::exec();
    } catch (const std::exception& e) {
        ShowEscapedError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowEscapedError(QString());
    }
    return 0;
}
