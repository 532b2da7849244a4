// "quorvel --demo": the tool starts with a software panel on the lowest free
// COM number, opens it at once, and leaves no port entry behind on disk.

#include <QAction>
#include <QTest>

#include "support/tool_harness.h"

class DemoModeTest : public QObject {
    Q_OBJECT
private slots:
    void opensItsPanelAtStartAndLeavesNothingOnDisk();
};

void DemoModeTest::opensItsPanelAtStartAndLeavesNothingOnDisk()
{
    const std::vector<int> pinned{1};
    ToolHarness tool;
    const std::filesystem::path folder = tool.PortFolder();
    // A user's pinned adapter, unplugged for now, keeps its number.
    QVERIFY(RegisterPort(folder, 1, "/nonexistent/adapter"));
    TFormPrincipal& window = tool.Start({.demo = true});
    QVERIFY(tool.App().DemoPanel());
    QCOMPARE(tool.App().DemoPortNumber(), 2);
    QCOMPARE(window.SelectedPortNumber(), 2);
    auto* entry = window.findChild<QAction*>(QStringLiteral("COM2"));
    QVERIFY(entry && entry->isChecked());

    // Opened as if "Abrir" had been chosen; the panel answers at once.
    QVERIFY(tool.Session().IsPortOpen());
    QCOMPARE(tool.StatusPanel(2), QStringLiteral("Porta: COM2"));
    QTRY_VERIFY_WITH_TIMEOUT(tool.Session().IsEquipmentConnected(), 3000);
    // The demo's port lives in the tool's memory only.
    QCOMPARE(RegisteredPortNumbers(folder), pinned);
}

QTEST_MAIN(DemoModeTest)
#include "demo_mode_test.moc"
