// The main window's side of the link against a software panel: the clock,
// identification, its expiry when the panel falls silent, and the status
// line of configuration answers and acknowledgements.

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "core/link/commands.h"
#include "support/tool_harness.h"
#include "ui/firmware/form_atualizacao.h"
#include "ui/main/form_principal.h"

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

QColor LabelTextColour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }

}  // namespace

class LinkSupervisionTest : public QObject {
    Q_OBJECT
private slots:
    void tickShowsTheClockWithThePortClosed();
    void identificationIsShownAndHandedOn();
    void identificationExpiresWhenThePanelFallsSilent();
    void unsupportedModelIsShownButNeverConnected();
    void noisyPiecewiseDeliveryStillIdentifies();
    void configAnswersAndAcknowledgementsReachTheStatusLine();
    void setTimeButtonSendsTheClock();
};

void LinkSupervisionTest::tickShowsTheClockWithThePortClosed()
{
    ToolHarness tool;
    tool.Start();
    tool.StopPollingTimer();
    tool.Window().TimerPollingTimer();
    QCOMPARE(tool.StatusPanel(0), QStringLiteral("Quinta 10 de Dezembro de 2026  -  04:05:06\n"));
}

void LinkSupervisionTest::identificationIsShownAndHandedOn()
{
    ToolHarness tool;
    PanelHost& panel = tool.AddPanel(3, {.model = 51, .version = 0x13, .serial = 0x80000001u});
    TFormPrincipal& window = tool.Start();
    QSignalSpy models(&tool.Session(), &PanelSession::Identified);

    QVERIFY(tool.OpenPort());
    QTRY_VERIFY_WITH_TIMEOUT(tool.Session().IsEquipmentConnected(), 3000);
    // The serial is a number, never negative: its top bit set shows as 2147483649.
    QCOMPARE(tool.StatusPanel(1),
             QStringLiteral("Modelo: QV-CENTRAL 6  -  Versão: V1.03 - (teste)  -  Serial: 2147483649"));
    QCOMPARE(tool.Session().ModelCode(), 51);
    QCOMPARE(models.size(), 1);
    QCOMPARE(models.front().front().value<Identification>().model, 51);
    auto* update = window.findChild<TFormAtualizacao*>(QStringLiteral("FormAtualizacao"));
    QVERIFY(update && update->IdentReceived());
    QCOMPARE(update->DeviceModel(), 51);
    QCOMPARE(update->DeviceVersion(), 0x13);
    Q_UNUSED(panel);
}

void LinkSupervisionTest::identificationExpiresWhenThePanelFallsSilent()
{
    ToolHarness tool;
    PanelHost& panel = tool.AddPanel(3);
    TFormPrincipal& window = tool.Start();
    QVERIFY(tool.OpenPort());
    tool.StopPollingTimer();
    QTRY_VERIFY_WITH_TIMEOUT(tool.Session().IsEquipmentConnected(), 3000);

    panel.Panel().SetSilent(true);
    for (int tick = 1; tick <= 4; ++tick) {
        window.TimerPollingTimer();
        QVERIFY2(tool.Session().IsEquipmentConnected(), qPrintable(QString::number(tick)));
    }
    window.TimerPollingTimer();
    QVERIFY(!tool.Session().IsEquipmentConnected());
    QVERIFY(tool.StatusPanel(1).isEmpty());
    QCOMPARE(tool.Session().ModelCode(), 0);
    // The fifth tick also asks again, as every fifth tick does.
    QVERIFY(WaitForCommand(panel.Panel(), kIdentify, 2));

    panel.Panel().SetSilent(false);
    for (int tick = 0; tick < 5; ++tick) window.TimerPollingTimer();
    QTRY_VERIFY_WITH_TIMEOUT(tool.Session().IsEquipmentConnected(), 3000);
    QVERIFY(tool.StatusPanel(1).startsWith(QStringLiteral("Modelo: ")));
}

void LinkSupervisionTest::unsupportedModelIsShownButNeverConnected()
{
    ToolHarness tool;
    PanelHost& panel = tool.AddPanel(3, {.model = 9});
    TFormPrincipal& window = tool.Start();
    QVERIFY(tool.OpenPort());
    tool.StopPollingTimer();
    QTRY_VERIFY_WITH_TIMEOUT(!tool.StatusPanel(1).isEmpty(), 3000);
    QVERIFY(tool.StatusPanel(1).startsWith(QStringLiteral("Modelo: Erro Modelo  -  ")));
    QVERIFY(!tool.Session().IsEquipmentConnected());
    panel.Panel().SetSilent(true);
    for (int tick = 0; tick < 6; ++tick) window.TimerPollingTimer();
    // Never live, so never blanked by the expiry either.
    QVERIFY(!tool.StatusPanel(1).isEmpty());
}

void LinkSupervisionTest::noisyPiecewiseDeliveryStillIdentifies()
{
    ToolHarness tool;
    PanelHost& panel = tool.AddPanel(3);
    panel.Panel().SetNoise(7);
    panel.Panel().SetChunking(2);
    TFormPrincipal& window = tool.Start();
    QVERIFY(tool.OpenPort());
    QTRY_VERIFY_WITH_TIMEOUT(tool.Session().IsEquipmentConnected(), 3000);

    // A corrupted answer is dropped; the next one identifies again.
    tool.StopPollingTimer();
    panel.Panel().CorruptNextCrc();
    for (int tick = 0; tick < 5; ++tick) window.TimerPollingTimer();
    QVERIFY(!tool.Session().IsEquipmentConnected());
    QVERIFY(WaitForCommand(panel.Panel(), kIdentify, 2));
    DrainEvents();
    QVERIFY(!tool.Session().IsEquipmentConnected());
    for (int tick = 0; tick < 5; ++tick) window.TimerPollingTimer();
    QTRY_VERIFY_WITH_TIMEOUT(tool.Session().IsEquipmentConnected(), 3000);
}

void LinkSupervisionTest::configAnswersAndAcknowledgementsReachTheStatusLine()
{
    ToolHarness tool;
    PanelHost& panel = tool.AddPanel(3);
    tool.Start();
    QVERIFY(tool.OpenPort());
    std::vector<std::uint8_t> filled;
    QObject::connect(&tool.Session(), &PanelSession::BlockRead, [&](const std::vector<std::uint8_t>& block) {
        if (block.front() == 2) filled = block;
    });

    tool.Session().ReadBlock(2);
    QTRY_VERIFY_WITH_TIMEOUT(!filled.empty(), 3000);
    QCOMPARE(filled, *panel.Panel().Block(2));
    QCOMPARE(tool.StatusLine()->text(), QStringLiteral("CONFIGURAÇÃO INTERVALO DE POLLING"));
    QCOMPARE(LabelTextColour(tool.StatusLine()), kGreen);

    // A write of the wrong length is refused by the panel.
    tool.Session().WriteBlock({2, 0, 30});
    QTRY_COMPARE_WITH_TIMEOUT(tool.StatusLine()->text(), QStringLiteral("ERRO AO GRAVAR OS DADOS"), 3000);
    QCOMPARE(LabelTextColour(tool.StatusLine()), kRed);
    QVERIFY(!tool.Session().WritePending());

    tool.Session().WriteBlock({2, 0, 30, 0, 40});
    QTRY_COMPARE_WITH_TIMEOUT(tool.StatusLine()->text(), QStringLiteral("COMANDO RECEBIDO COM SUCESSO"), 3000);
    QCOMPARE(LabelTextColour(tool.StatusLine()), kGreen);
    QCOMPARE(*panel.Panel().Block(2), (std::vector<std::uint8_t>{2, 0, 30, 0, 40}));

    // A read of a block the panel refuses, with no write pending.
    tool.Session().ReadBlock(99);
    QTRY_COMPARE_WITH_TIMEOUT(tool.StatusLine()->text(), QStringLiteral("ERRO AO LER A CONFIGURAÇÃO"), 3000);
    QCOMPARE(LabelTextColour(tool.StatusLine()), kRed);
}

void LinkSupervisionTest::setTimeButtonSendsTheClock()
{
    ToolHarness tool;
    PanelHost& panel = tool.AddPanel(3);
    TFormPrincipal& window = tool.Start();
    QVERIFY(tool.OpenPort());
    window.findChild<QPushButton*>(QStringLiteral("SpeedButton1"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(panel.Panel().ClockWasSet(), 3000);
    QCOMPARE(panel.Panel().ClockSeconds(), static_cast<std::uint32_t>(tool.clock.now.toSecsSinceEpoch()));
}

QTEST_MAIN(LinkSupervisionTest)
#include "link_supervision_test.moc"
