#include "support/tool_harness.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTest>

#include "core/firmware/image_builder.h"
#include "ui/firmware/form_atualizacao.h"

ToolHarness::ToolHarness()
{
    const std::filesystem::path root = dir_.path().toStdString();
    std::filesystem::create_directories(root / "dev");
    ports_ = std::make_unique<SystemPortCatalogue>(SystemPortCatalogue::Options{root / "ports", root / "dev"});
}

ToolHarness::~ToolHarness()
{
    // The tool first (its port is open on a panel's terminal), then the panels.
    app_.reset();
    panels_.clear();
    dialogs.FailOnUnseenBoxes();
}

PanelHost& ToolHarness::AddPanel(int comNumber, const VirtualPanel::Options& options)
{
    panels_.push_back(std::make_unique<PanelHost>(options));
    PanelHost& panel = *panels_.back();
    if (!panel.Ok()) {
        QTest::qFail(qPrintable(QStringLiteral("panel not started: %1").arg(panel.Error())), __FILE__, __LINE__);
        return panel;
    }
    ports_->PinInMemory(comNumber, panel.DevicePath().toStdString());
    return panel;
}

void ToolHarness::AddBogusPort(int comNumber)
{
    if (!RegisterPort(PortFolder(), comNumber, "/dev/null")) {
        QTest::qFail("bogus port not registered", __FILE__, __LINE__);
    }
}

TFormPrincipal& ToolHarness::Start(Application::Options options)
{
    // Tests keep the software panel fast, and never use the user's own library.
    options.pacedDemo = false;
    if (options.library.isEmpty()) options.library = QString::fromStdString((std::filesystem::path(dir_.path().toStdString()) / "library.sqlite").string());
    app_ = std::make_unique<Application>(Application::Seams{dialogs, *ports_, clock}, options);
    return app_->MainWindow();
}

PanelHost& ToolHarness::StartConnected(const VirtualPanel::Options& options)
{
    PanelHost& panel = AddPanel(3, options);
    Start();
    if (!OpenPort()) QTest::qFail("port not opened", __FILE__, __LINE__);
    StopPollingTimer();
    if (!QTest::qWaitFor([this] { return Session().IsEquipmentConnected(); }, 3000)) {
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

bool ToolHarness::InEditState(int tab) const
{
    const bool write = Find<QPushButton>(QStringLiteral("BtnGravar%1").arg(tab))->isEnabled();
    const bool edit = Find<QPushButton>(QStringLiteral("BtnEditar%1").arg(tab))->isEnabled();
    if (write == edit) QTest::qFail("edit and write buttons enabled alike", __FILE__, __LINE__);
    return write;
}

QString ToolHarness::StatusPanel(int index) const
{
    auto* panel = app_->MainWindow().statusBar()->findChild<QLabel*>(QStringLiteral("StatusBarPanel%1").arg(index));
    return panel ? panel->text() : QStringLiteral("<no panel>");
}

QLabel* ToolHarness::StatusLine() const { return Find<QLabel>(QStringLiteral("LabelStatusCmd")); }

bool ToolHarness::OpenPort()
{
    Trigger("MenuSerialAbrir");
    // A network port opens on later turns of the event loop.
    if (!QTest::qWaitFor([this] { return !app_->Session().IsPortOpening(); }, 10000)) return false;
    return app_->Session().IsPortOpen();
}

void ToolHarness::StopPollingTimer()
{
    if (auto* timer = app_->MainWindow().findChild<QTimer*>(QStringLiteral("TimerPolling"))) timer->stop();
}

std::filesystem::path ToolHarness::PortFolder() const { return std::filesystem::path(dir_.path().toStdString()) / "ports"; }

QAction* ToolHarness::Action(const char* objectName) const
{
    auto* action = app_->MainWindow().findChild<QAction*>(QString::fromLatin1(objectName));
    if (!action) QTest::qFail(qPrintable(QStringLiteral("no menu item %1").arg(objectName)), __FILE__, __LINE__);
    return action;
}

void ToolHarness::Trigger(const char* objectName) const
{
    if (QAction* action = Action(objectName)) action->trigger();
}

void DrainEvents(int rounds)
{
    for (int i = 0; i < rounds; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool WaitForCommand(const VirtualPanel& panel, std::uint8_t command, std::size_t count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return panel.CommandCount(command) >= count; }, timeoutMs);
}

bool LoadFirmwareImage(ToolHarness& tool, const QString& path)
{
    tool.Trigger("Atualizaodefirmware1");
    ImagePlan plan;
    plan.modelCode = 51;
    plan.firmwareId = 0x22;
    plan.packetCount = 3;
    const std::vector<std::uint8_t> bytes = ImageFileBytes(plan);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
        return false;
    }
    file.close();
    tool.dialogs.files.push_back(path);
    tool.App().FirmwareWindow().findChild<QPushButton*>("Button4")->click();
    return true;
}
