// The firmware update window against the software panel on a pseudo-terminal:
// images made by the tool's own builder, loaded through the file dialog seam,
// sent to the panel's bootloader. The one-second timer is driven by hand; the
// 50 ms machine timer and the panel run for real, waited for with bounds.

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "core/firmware/image_builder.h"
#include "sim/panel_bootloader.h"
#include "support/refusing_library.h"
#include "support/tool_harness.h"
#include "ui/firmware/form_atualizacao.h"
#include "ui/library/form_biblioteca.h"

namespace {

const QString kEmptyField = QStringLiteral("Sem informação");

QString WriteImage(const QTemporaryDir& dir, const QString& name, const std::vector<std::uint8_t>& bytes)
{
    const QString path = dir.filePath(name);
    std::ofstream file(path.toStdString(), std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

ImagePlan Plan()
{
    ImagePlan plan;
    plan.modelCode = 56;
    plan.firmwareId = 0x22;
    plan.packetCount = 40;
    return plan;
}

}  // namespace

class FirmwareUpdateTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loadingShowsTheImageAndReportsBadFiles();
    void wholeUpdateReachesThePanelByteExact();
    void cancelWhilePacketsFlow();
    void errorResultEndsTheRun();
    void needsTheOpenPort();
    void aSnapshotTheLibraryRefusesIsToldThenAsked();

private:
    // Accessors of the window's controls.
    template <typename T>
    T* Control(const char* name)
    {
        T* control = form_->findChild<T*>(QString::fromLatin1(name));
        if (!control) QTest::qFail(name, __FILE__, __LINE__);
        return control;
    }
    QString Text(const char* label) { return Control<QLabel>(label)->text(); }
    void Click(const char* button) { Control<QPushButton>(button)->click(); }
    // Loads the plan's image, shows the window and presses Iniciar.
    void LoadAndStart(const ImagePlan& plan);
    // Whole seconds of the time-out timer.
    void Seconds(int count)
    {
        for (int i = 0; i < count; ++i) form_->findChild<FirmwareUpdateDriver*>()->TimeoutTick();
    }
    // Through wake-up, identification and start, until packets are asked for.
    bool RunToPackets();
    bool WaitForBox(const QString& text, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return harness_->dialogs.Texts().contains(text); }, timeoutMs);
    }

    std::unique_ptr<ToolHarness> harness_;
    PanelHost* panel_ = nullptr;
    TFormAtualizacao* form_ = nullptr;
    QTemporaryDir files_;
};

void FirmwareUpdateTest::init()
{
    harness_ = std::make_unique<ToolHarness>();
    VirtualPanel::Options options;
    options.model = 56;
    panel_ = &harness_->StartConnected(options);
    form_ = &harness_->App().FirmwareWindow();
    // Seconds are ticked by hand.
    Control<QTimer>("TimerTimeout")->stop();
}

void FirmwareUpdateTest::cleanup()
{
    form_ = nullptr;
    panel_ = nullptr;
    harness_.reset();
}

void FirmwareUpdateTest::LoadAndStart(const ImagePlan& plan)
{
    const std::vector<std::uint8_t> bytes = ImageFileBytes(plan);
    std::string error;
    panel_->Panel().Bootloader().ExpectImage(*sim::ReadExpectedImage(bytes, &error));
    harness_->dialogs.files.push_back(WriteImage(files_, QStringLiteral("nova.bin"), bytes));
    harness_->Trigger("Atualizaodefirmware1");
    QCOMPARE(harness_->dialogs.WindowsShown().last(), QStringLiteral("FormAtualizacao"));
    Click("Button4");
    QVERIFY(Control<QPushButton>("Button3")->isEnabled());
    Click("Button3");
    // The panel is kept in the library first, on the event loop.
    QTRY_COMPARE_WITH_TIMEOUT(Text("Label8"), QStringLiteral("Pacote 1 de %1").arg(plan.packetCount), 5000);
}

bool FirmwareUpdateTest::RunToPackets()
{
    const VirtualPanel& panel = panel_->Panel();
    const std::size_t identifies = panel.CommandCount(kIdentify);
    Seconds(1);  // the countdown of 1 set by Iniciar
    if (!WaitForCommand(panel, CommandByte(CommandCode::BootloaderCommand), 1)) return false;
    Seconds(3);  // no identification came by itself: ask for one
    if (!WaitForCommand(panel, kIdentify, identifies + 1)) return false;
    if (!QTest::qWaitFor([&] { return form_->Machine().State() == UpdateState::StartUpdate; }, 3000)) return false;
    Seconds(1);
    return QTest::qWaitFor([&] { return form_->Machine().State() == UpdateState::SendingPackets; }, 3000);
}

void FirmwareUpdateTest::loadingShowsTheImageAndReportsBadFiles()
{
    harness_->Trigger("Atualizaodefirmware1");
    QCOMPARE(harness_->dialogs.WindowsShown().last(), QStringLiteral("FormAtualizacao"));
    QVERIFY(!Control<QLineEdit>("Edit1")->isEnabled());
    QCOMPARE(Text("Label6"), kEmptyField);
    QVERIFY(!Control<QPushButton>("Button3")->isEnabled());

    // Cancelling the dialog changes nothing.
    Click("Button4");
    QCOMPARE(harness_->dialogs.openFilters, QStringList{QStringLiteral("Arquivo BIN (*.bin)")});
    QCOMPARE(Text("Label11"), kEmptyField);

    const QString good = WriteImage(files_, QStringLiteral("boa.bin"), ImageFileBytes(Plan()));
    harness_->dialogs.files.push_back(good);
    Click("Button4");
    QCOMPARE(Control<QLineEdit>("Edit1")->text(), good);
    QCOMPARE(Text("Label6"), QString::fromStdString(ModelDisplayName(56)));
    QCOMPARE(Text("Label7"), QStringLiteral("V2.02 - (oficial)"));
    // Local time: the day and hour depend on the zone, the month and the line feed do not.
    QVERIFY(Text("Label10").contains(QStringLiteral(" de Dezembro de 2025  -  ")));
    QVERIFY(Text("Label10").endsWith(QLatin1Char('\n')));
    QCOMPARE(Text("Label11"), QStringLiteral("Pacotes: 40"));
    QVERIFY(Control<QPushButton>("Button3")->isEnabled());
    QVERIFY(harness_->dialogs.Boxes().empty());

    // A wrong header after a good image: Iniciar stays enabled but refuses.
    ImageHeader header = MakeImageHeader(Plan());
    header.trailerMagic = 0;
    harness_->dialogs.files.push_back(WriteImage(files_, QStringLiteral("assinatura.bin"), ImageFileBytes(header, {})));
    Click("Button4");
    QCOMPARE(harness_->dialogs.Texts(), QStringList{QStringLiteral("Erro na assinatura do arquivo.")});
    QCOMPARE(Text("Label6"), QString());
    QCOMPARE(Control<QLineEdit>("Edit1")->text(), QString());
    QVERIFY(Control<QPushButton>("Button3")->isEnabled());
    Click("Button3");
    QCOMPARE(harness_->dialogs.Texts().last(),
             QStringLiteral("Arquivo de atualização não é valido, tente abrir novamente."));

    // A packet cut short: both packet messages, Iniciar disabled.
    harness_->dialogs.Clear();
    std::vector<std::uint8_t> cut = ImageFileBytes(Plan());
    cut.resize(cut.size() - 1);
    harness_->dialogs.files.push_back(WriteImage(files_, QStringLiteral("curta.bin"), cut));
    Click("Button4");
    QCOMPARE(harness_->dialogs.Texts(), (QStringList{QStringLiteral("Erro ao ler os pacotes de dados."),
                                                     QStringLiteral("Modelo de Hardware não suportado.")}));
    QVERIFY(!Control<QPushButton>("Button3")->isEnabled());
    QCOMPARE(Text("Label11"), QString());

    harness_->dialogs.Clear();
    harness_->dialogs.files.push_back(files_.filePath(QStringLiteral("nada.bin")));
    Click("Button4");
    QCOMPARE(harness_->dialogs.Texts(), QStringList{QStringLiteral("Erro ao tentar abrir o arquivo.")});
    for (const auto& box : harness_->dialogs.Boxes()) QCOMPARE(box.kind, QStringLiteral("Erro"));

    // Closing forgets everything.
    form_->close();
    QVERIFY(!form_->isVisible());
    QCOMPARE(Text("Label6"), kEmptyField);
    QCOMPARE(Text("Label10"), kEmptyField);
    QVERIFY(!form_->Image().ImageValid());
}

void FirmwareUpdateTest::wholeUpdateReachesThePanelByteExact()
{
    const ImagePlan plan = Plan();
    LoadAndStart(plan);
    QVERIFY(!Control<QPushButton>("Button1")->isEnabled());
    QVERIFY(!Control<QPushButton>("Button4")->isEnabled());
    QCOMPARE(Control<QPushButton>("Button3")->text(), QStringLiteral("Cancelar"));

    QVERIFY(RunToPackets());
    // The panel asks for packet 1 at its next second.
    QVERIFY(WaitForBox(QStringLiteral("Versão nova OK.")));
    QCOMPARE(harness_->dialogs.Boxes().back().kind, QStringLiteral("Informação"));
    QCOMPARE(Text("Label3"), QStringLiteral("Versão nova OK"));
    QCOMPARE(Control<QLabel>("Label3")->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    // However fast the last packets went, a good end shows them all.
    QCOMPARE(Text("Label8"), QStringLiteral("Pacote 40 de 40"));
    QCOMPARE(Control<QProgressBar>("GaugeProg")->value(), 40);
    QCOMPARE(Control<QProgressBar>("GaugeProg")->maximum(), 40);

    const sim::PanelBootloader& bootloader = panel_->Panel().Bootloader();
    QCOMPARE(bootloader.PacketsReceived(), std::size_t{40});
    QCOMPARE(bootloader.AnnouncedImageWord(), plan.imageWord);
    const std::vector<ImagePacket> packets = MakeImagePackets(plan);
    for (std::size_t n = 0; n < packets.size(); ++n) {
        QCOMPARE(bootloader.Received()[n].tag, packets[n].packetTag);
        QVERIFY(std::equal(bootloader.Received()[n].data.begin(), bootloader.Received()[n].data.end(),
                           packets[n].packetData.begin(), packets[n].packetData.begin() + packets[n].dataLength));
    }

    // The run has ended: Sair back, Abrir Arquivo still off until closed.
    QCOMPARE(Control<QPushButton>("Button3")->text(), QStringLiteral("Iniciar"));
    QVERIFY(Control<QPushButton>("Button1")->isEnabled());
    QVERIFY(!Control<QPushButton>("Button4")->isEnabled());

    // The next identification shows the new version in the status bar.
    for (int tick = 0; tick < 5; ++tick) harness_->Window().TimerPollingTimer();
    QTRY_VERIFY_WITH_TIMEOUT(harness_->StatusPanel(1).contains(QStringLiteral("Versão: V2.02 - (oficial)")), 3000);

    Click("Button1");
    QVERIFY(!form_->isVisible());
    QVERIFY(Control<QPushButton>("Button4")->isEnabled());
}

void FirmwareUpdateTest::cancelWhilePacketsFlow()
{
    panel_->Panel().Bootloader().StopAskingAfter(5);
    LoadAndStart(Plan());
    QVERIFY(RunToPackets());
    QTRY_COMPARE_WITH_TIMEOUT(Text("Label8"), QStringLiteral("Pacote 5 de 40"), 4000);

    // No way out while packets flow.
    form_->close();
    QVERIFY(form_->isVisible());
    QCOMPARE(harness_->dialogs.Texts().last(), QStringLiteral("Atualização em progresso, cancelar para sair."));

    const std::size_t wakes = panel_->Panel().CommandCount(CommandByte(CommandCode::BootloaderCommand));
    Click("Button3");
    QVERIFY(WaitForBox(QStringLiteral("Atualização cancelada.")));
    QCOMPARE(panel_->Panel().CommandCount(CommandByte(CommandCode::BootloaderCommand)), wakes + 1);
    QCOMPARE(Text("Label3"), QStringLiteral("Atualização cancelada"));
    QCOMPARE(Text("Label8"), QString());
    QCOMPARE(Control<QProgressBar>("GaugeProg")->value(), 0);
    QCOMPARE(Control<QPushButton>("Button3")->text(), QStringLiteral("Iniciar"));
    QVERIFY(!panel_->Panel().Bootloader().Transferring());
}

void FirmwareUpdateTest::errorResultEndsTheRun()
{
    panel_->Panel().Bootloader().SetFinalResult(4);
    LoadAndStart(Plan());
    QVERIFY(RunToPackets());
    QVERIFY(WaitForBox(QStringLiteral("Erro gravação versão nova (CRC).")));
    QCOMPARE(harness_->dialogs.Boxes().back().kind, QStringLiteral("Erro"));
    QCOMPARE(Text("Label3"), QStringLiteral("Erro gravação versão nova (CRC)"));
    QCOMPARE(Control<QLabel>("Label3")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(Control<QPushButton>("Button1")->isEnabled());
    QCOMPARE(panel_->Panel().Version(), VirtualPanel::kDefaultVersion);

    // The same image starts again at once.
    Click("Button3");
    QCOMPARE(Control<QPushButton>("Button3")->text(), QStringLiteral("Cancelar"));
    QVERIFY(form_->Machine().State() == UpdateState::StartBootloader);
}

void FirmwareUpdateTest::needsTheOpenPort()
{
    harness_->Trigger("Atualizaodefirmware1");
    harness_->dialogs.files.push_back(WriteImage(files_, QStringLiteral("boa.bin"), ImageFileBytes(Plan())));
    Click("Button4");
    harness_->Window().CloseSerialPort();
    Click("Button3");
    QCOMPARE(harness_->dialogs.Texts(), QStringList{QStringLiteral("Porta serial não está aberta.")});
    QVERIFY(!form_->Machine().UpdateRunning());
    QCOMPARE(Control<QPushButton>("Button3")->text(), QStringLiteral("Iniciar"));

    form_->close();
    const qsizetype shown = harness_->dialogs.WindowsShown().size();
    harness_->Trigger("Atualizaodefirmware1");
    QCOMPARE(harness_->dialogs.WindowsShown().size(), shown);
}

// The library refuses the snapshot before the update: the installer is told
// why, then asked; declined, nothing is sent; accepted, the update runs.
void FirmwareUpdateTest::aSnapshotTheLibraryRefusesIsToldThenAsked()
{
    QVERIFY(RefuseNewSnapshots(harness_->App().LibraryWindow().Library()->Location().sqlitePath));
    harness_->dialogs.files.push_back(WriteImage(files_, QStringLiteral("nova.bin"), ImageFileBytes(Plan())));
    harness_->Trigger("Atualizaodefirmware1");
    Click("Button4");
    const QString question = QStringLiteral("A configuração da central não foi guardada na biblioteca. Atualizar o "
                                            "firmware mesmo assim?");
    for (const bool answer : {false, true}) {
        harness_->dialogs.Clear();
        harness_->dialogs.answers.push_back(answer);
        Click("Button3");
        QTRY_COMPARE_WITH_TIMEOUT(harness_->dialogs.Boxes().size(), std::size_t{2}, 5000);
        const QStringList boxes = harness_->dialogs.Texts();
        QCOMPARE(boxes.size(), 2);
        QVERIFY2(boxes[0].startsWith("A configuração da central não foi guardada na biblioteca: ") &&
                     boxes[0].contains("disk full"),
                 qPrintable(boxes[0]));
        QCOMPARE(boxes[1], question);
        QCOMPARE(form_->Machine().UpdateRunning(), answer);
        QCOMPARE(Control<QPushButton>("Button3")->text(), answer ? QStringLiteral("Cancelar") : QStringLiteral("Iniciar"));
    }
}

QTEST_MAIN(FirmwareUpdateTest)
#include "firmware_update_test.moc"
