#pragma once
// The composition root: the seams (dialogs, ports, clock), the four windows
// wired to one another, and in demo mode a software panel on a free port.
// main() and the start-up benchmark build the program the same way.

#include <memory>

class PanelHost;
class QtDialogs;
class SystemClock;
class SystemPortCatalogue;
class TFormAtualizacao;
class TFormCadastro;
class TFormDebug;
class TFormPrincipal;

class Application {
public:
    struct Options {
        bool demo = false;
    };

    explicit Application(Options options);
    ~Application();

    TFormPrincipal& MainWindow() { return *formPrincipal_; }
    // The demo panel, or nullptr (not in demo mode, or it could not start).
    PanelHost* DemoPanel() { return demoPanel_.get(); }

private:
    std::unique_ptr<QtDialogs> dialogs_;
    std::unique_ptr<SystemPortCatalogue> ports_;
    std::unique_ptr<SystemClock> clock_;
    std::unique_ptr<PanelHost> demoPanel_;
    std::unique_ptr<TFormPrincipal> formPrincipal_;
    std::unique_ptr<TFormAtualizacao> formAtualizacao_;
    std::unique_ptr<TFormDebug> formDebug_;
    std::unique_ptr<TFormCadastro> formCadastro_;
};
