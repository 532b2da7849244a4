// "quorvel --demo": the tool starts with a software panel registered under
// the lowest free COM number, selected in the port menu, ready to open.

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

#include "app/application.h"
#include "ui/main/form_principal.h"
#include "app/panel_host.h"
#include "ports/port_catalogue.h"

class DemoModeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startsWithItsPanelSelectedAndRemovesItAtExit();

private:
    QTemporaryDir runtime_;
};

void DemoModeTest::initTestCase()
{
    // The user's port folder lives under XDG_RUNTIME_DIR: keep it private to the test.
    QVERIFY(runtime_.isValid());
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
}

void DemoModeTest::startsWithItsPanelSelectedAndRemovesItAtExit()
{
    // A user's pinned adapter, unplugged for now, keeps its number.
    const std::filesystem::path folder = DefaultPortFolder();
    QVERIFY(folder.string().starts_with(runtime_.path().toStdString()));
    int lowestFree = 0;
    {
        std::vector<int> taken;
        for (const PortEntry& entry : SystemPortCatalogue().Scan()) taken.push_back(entry.number);
        QVERIFY(RegisterPort(folder, 1, "/nonexistent/adapter"));
        taken.push_back(1);
        lowestFree = LowestFreeComNumber(taken);
    }

    int demoNumber = 0;
    {
        Application application({.demo = true});
        PanelHost* panel = application.DemoPanel();
        QVERIFY(panel);
        demoNumber = panel->ComNumber();
        QCOMPARE(demoNumber, lowestFree);
        TFormPrincipal& window = application.MainWindow();
        QCOMPARE(window.SelectedPortNumber(), demoNumber);
        auto* entry = window.findChild<QAction*>(QStringLiteral("COM%1").arg(demoNumber));
        QVERIFY(entry && entry->isChecked());

        window.findChild<QAction*>(QStringLiteral("MenuSerialAbrir"))->trigger();
        QVERIFY(window.IsPortOpen());
        QTRY_VERIFY_WITH_TIMEOUT(window.IsEquipmentConnected(), 3000);
        window.CloseSerialPort();
    }
    const std::vector<int> left = RegisteredPortNumbers(folder);
    QCOMPARE(left, std::vector<int>{1});
}

QTEST_MAIN(DemoModeTest)
#include "demo_mode_test.moc"
