#pragma once
// The tool's windows wired as the composition root wires them, but against
// a temporary port folder, an empty device root, a fixed clock and recorded
// dialogs: nothing of the machine's own serial ports can leak into a test.

#include <QDateTime>
#include <QTemporaryDir>
#include <memory>

#include "shell/clock.h"
#include "shell/port_catalogue.h"
#include "support/fake_dialogs.h"

class QAction;
class TFormAtualizacao;
class TFormCadastro;
class TFormDebug;
class TFormPrincipal;

class FixedClock final : public Clock {
public:
    QDateTime Now() const override { return now; }
    QDateTime now = QDateTime(QDate(2026, 12, 10), QTime(4, 5, 6));
};

class ToolHarness {
public:
    ToolHarness();
    ~ToolHarness();

    std::filesystem::path PortFolder() const;
    // Creates the main window (and the three others); call after registering
    // the ports that must be listed at start.
    TFormPrincipal& Start();
    TFormPrincipal& Window() { return *window_; }

    // A menu item of the main window by object name (fails the test if absent).
    QAction* Action(const char* objectName) const;
    void Trigger(const char* objectName) const;

    FakeDialogs dialogs;
    FixedClock clock;

private:
    QTemporaryDir dir_;
    std::unique_ptr<SystemPortCatalogue> ports_;
    std::unique_ptr<TFormPrincipal> window_;
    std::unique_ptr<TFormAtualizacao> atualizacao_;
    std::unique_ptr<TFormDebug> debug_;
    std::unique_ptr<TFormCadastro> cadastro_;
};
