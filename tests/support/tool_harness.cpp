#include "support/tool_harness.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QTest>

#include "ui/firmware/form_atualizacao.h"
#include "ui/rf/form_cadastro.h"
#include "ui/diagnostics/form_debug.h"
#include "ui/main/form_principal.h"

ToolHarness::ToolHarness()
{
    const std::filesystem::path root = dir_.path().toStdString();
    std::filesystem::create_directories(root / "dev");
    ports_ = std::make_unique<SystemPortCatalogue>(SystemPortCatalogue::Options{root / "ports", root / "dev"});
}

ToolHarness::~ToolHarness()
{
    // The secondary windows are children of the main window's; drop them first.
    cadastro_.reset();
    debug_.reset();
    atualizacao_.reset();
    window_.reset();
    panels_.clear();
}

PanelHost& ToolHarness::AddPanel(int comNumber, const VirtualPanel::Options& options)
{
    panels_.push_back(std::make_unique<PanelHost>(options, PortFolder(), comNumber));
    PanelHost& panel = *panels_.back();
    if (!panel.Ok()) QTest::qFail(qPrintable(QStringLiteral("panel not started: %1").arg(panel.Error())), __FILE__, __LINE__);
    return panel;
}

void ToolHarness::AddBogusPort(int comNumber)
{
    const std::filesystem::path file = std::filesystem::path(dir_.path().toStdString()) / ("bogus" + std::to_string(comNumber));
    QFile f(QString::fromStdString(file.string()));
    f.open(QIODevice::WriteOnly);
    RegisterPort(PortFolder(), comNumber, file.string());
}

PanelHost& ToolHarness::StartConnected(const VirtualPanel::Options& options)
{
    PanelHost& panel = AddPanel(3, options);
    Start();
    if (!OpenPort()) QTest::qFail("port not opened", __FILE__, __LINE__);
    StopPollingTimer();
    if (!QTest::qWaitFor([this] { return window_->IsEquipmentConnected(); }, 3000)) {
        QTest::qFail("panel not identified", __FILE__, __LINE__);
    }
    return panel;
}

void ToolHarness::Click(const QString& objectName) const
{
    if (auto* button = Find<QAbstractButton>(objectName)) button->click();
}

bool ToolHarness::WaitForStatus(const QString& text, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return StatusLine()->text() == text; }, timeoutMs);
}

QString ToolHarness::StatusPanel(int index) const
{
    auto* panel = window_->statusBar()->findChild<QLabel*>(QStringLiteral("StatusBarPanel%1").arg(index));
    return panel ? panel->text() : QStringLiteral("<no panel>");
}

QLabel* ToolHarness::StatusLine() const { return window_->findChild<QLabel*>(QStringLiteral("LabelStatusCmd")); }

bool ToolHarness::OpenPort()
{
    Trigger("MenuSerialAbrir");
    return window_->IsPortOpen();
}

void ToolHarness::StopPollingTimer()
{
    if (auto* timer = window_->findChild<QTimer*>(QStringLiteral("TimerPolling"))) timer->stop();
}

void DrainEvents(int rounds)
{
    for (int i = 0; i < rounds; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool WaitForCommand(const VirtualPanel& panel, std::uint8_t command, std::size_t count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return panel.CommandCount(command) >= count; }, timeoutMs);
}

std::filesystem::path ToolHarness::PortFolder() const { return std::filesystem::path(dir_.path().toStdString()) / "ports"; }

TFormPrincipal& ToolHarness::Start()
{
    window_ = std::make_unique<TFormPrincipal>(TFormPrincipal::Services{dialogs, *ports_, clock});
    atualizacao_ = std::make_unique<TFormAtualizacao>(window_.get());
    debug_ = std::make_unique<TFormDebug>(window_.get());
    TFormPrincipal* principal = window_.get();
    cadastro_ = std::make_unique<TFormCadastro>(
        [principal](const std::uint8_t* payload, std::uint8_t length, std::uint8_t command) {
            principal->SendCommand(payload, length, command);
        },
        principal->Receivers(), principal);
    window_->AttachWindows(atualizacao_.get(), debug_.get(), cadastro_.get());
    return *window_;
}

QAction* ToolHarness::Action(const char* objectName) const
{
    auto* action = window_->findChild<QAction*>(QString::fromLatin1(objectName));
    if (!action) QTest::qFail(qPrintable(QStringLiteral("no menu item %1").arg(objectName)), __FILE__, __LINE__);
    return action;
}

void ToolHarness::Trigger(const char* objectName) const
{
    if (QAction* action = Action(objectName)) action->trigger();
}
