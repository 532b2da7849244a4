#pragma once
// The tool built by its own composition root, but on other seams: a
// temporary port folder, an empty device root, a fixed clock and recorded
// dialogs, so nothing of the machine's own serial ports can leak into a test.

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/application.h"
#include "app/panel_host.h"
#include "core/link/commands.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"
#include "session/panel_session.h"
#include "support/fake_dialogs.h"
#include "ui/main/form_principal.h"
#include "ui/pages/config_page.h"

class QAction;
class QLabel;

// What the end-to-end tests look for on the wire and in the status line.
inline const std::uint8_t kIdentify = CommandByte(CommandCode::IdentifyCommand);
inline const std::uint8_t kRead = CommandByte(CommandCode::ReadBlockCommand);
inline const std::uint8_t kWrite = CommandByte(CommandCode::WriteBlockCommand);
inline const QString kWritten = QStringLiteral("COMANDO RECEBIDO COM SUCESSO");

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
    // A software panel on a pseudo-terminal, pinned as COM comNumber. Add it
    // before Start() to be listed at start.
    PanelHost& AddPanel(int comNumber, const VirtualPanel::Options& options = {});
    // Registers COM comNumber as a character device that is no serial port
    // (/dev/null): listed, but it will not open as a port.
    void AddBogusPort(int comNumber);
    // Builds the tool (session and four windows); call after registering
    // the ports that must be listed at start.
    TFormPrincipal& Start(Application::Options options = {});
    Application& App() { return *app_; }
    TFormPrincipal& Window() { return app_->MainWindow(); }
    PanelSession& Session() { return app_->Session(); }
    // The usual start of an end-to-end test: a panel on COM3, the tool
    // started, the port opened and the panel identified. The polling timer
    // is stopped so the identification stays valid until the test ticks.
    PanelHost& StartConnected(const VirtualPanel::Options& options = {});
    // A control of the main window by object name (fails the test if absent).
    template <typename T>
    T* Find(const QString& objectName) const
    {
        T* control = app_->MainWindow().findChild<T*>(objectName);
        if (!control) QTest::qFail(qPrintable(QStringLiteral("no control %1").arg(objectName)), __FILE__, __LINE__);
        return control;
    }
    // Clicks a button of the main window by object name.
    void Click(const QString& objectName) const;
    // Waits, bounded, until the status line shows text.
    bool WaitForStatus(const QString& text, int timeoutMs = 3000) const;

    // A menu item of the main window by object name (fails the test if absent).
    QAction* Action(const char* objectName) const;
    void Trigger(const char* objectName) const;
    QString StatusPanel(int index) const;
    QLabel* StatusLine() const;
    // Opens the selected port through the menu; true when it is open.
    bool OpenPort();
    // Stops the one-second timer so a test drives ticks by hand.
    void StopPollingTimer();
    // Whether tab N is in edit state: its "Gravar Config" is enabled (and
    // then its "Editar Config" is not; the test fails if both agree).
    bool InEditState(int tab) const;

    FakeDialogs dialogs;
    FixedClock clock;

private:
    QTemporaryDir dir_;
    std::unique_ptr<SystemPortCatalogue> ports_;
    std::vector<std::unique_ptr<PanelHost>> panels_;
    std::unique_ptr<Application> app_;
};

// Lets queued events run (socket notifiers, queued signals) without waiting
// for real time: enough for bytes already written to be read and answered.
void DrainEvents(int rounds = 20);

// Waits, bounded, until the panel has received count frames with command.
bool WaitForCommand(const VirtualPanel& panel, std::uint8_t command, std::size_t count, int timeoutMs = 3000);

// Opens the firmware window and chooses in it a 3-packet image for model 51
// written to path, so "Iniciar" would start an update; false when the file
// could not be written.
bool LoadFirmwareImage(ToolHarness& tool, const QString& path);
