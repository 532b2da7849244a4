// quorvel-cli flash against a software panel on a pseudo-terminal, run
// in-process: an image made by the tool's own builder reaches the panel's
// bootloader; a bad image is refused before anything is sent; a panel that
// does not finish the update is reported with where it stopped.

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimer>
#include <csignal>

#include "cli_test_bench.h"
#include "core/firmware/image_builder.h"
#include "core/link/commands.h"
#include "library/panel_library.h"
#include "support/refusing_library.h"

using namespace cli_test;

namespace {

ImagePlan FlashPlan(std::uint8_t model = 51)
{
    ImagePlan plan;
    plan.modelCode = model;
    plan.firmwareId = 0x22;
    plan.packetCount = 20;
    return plan;
}

QString WriteImage(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    WriteAll(path, QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    return path;
}

}  // namespace

class CliFlashTest : public QObject {
    Q_OBJECT
private slots:
    void flashesAnImageThePanelThenRuns();
    void refusesABadImageBeforeSendingAnything_data();
    void refusesABadImageBeforeSendingAnything();
    void aFlashThePanelDoesNotFinishSaysWhereItStopped_data();
    void aFlashThePanelDoesNotFinishSaysWhereItStopped();
    void anAdapterUnpluggedMidFlashIsAPortError();
    void aDryRunChecksTheImageAndThePanelOnly();
    void aSnapshotTheLibraryRefusesStopsTheFlash();
};

void CliFlashTest::flashesAnImageThePanelThenRuns()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const std::vector<std::uint8_t> bytes = ImageFileBytes(FlashPlan());
    panel.Bootloader().ExpectImage(*sim::ReadExpectedImage(bytes, nullptr));
    const QString image = WriteImage(bench.Path("nova.bin"), bytes);
    QCOMPARE(bench.Run({"flash", "--port", "COM3", image}), kDone);
    QCOMPARE(panel.Bootloader().PacketsReceived(), std::size_t{20});
    QCOMPARE(panel.Bootloader().LastResult(), 5);
    QCOMPARE(panel.Version(), 0x22);
    // The window's texts, in the window's order, then the new version.
    const QStringList lines = bench.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.contains(QStringLiteral("Versão: V2.02 - (oficial)")) && lines.contains("Pacotes: 20"),
             qPrintable(bench.out));
    const QStringList states = {"Inicializando bootloader", "Solicitando informação do equipamento",
                                "Iniciando processo de atualização", "Em processo de atualização",
                                "Versão nova OK", "Versão nova OK."};
    qsizetype at = 0;
    for (const QString& state : states) {
        at = lines.indexOf(state, at);
        QVERIFY2(at >= 0, qPrintable(state + " missing or out of order in\n" + bench.out));
    }
    QVERIFY2(lines.last().contains("now reports model 51") && lines.last().contains("version V2.02 - (oficial)"),
             qPrintable(bench.out));
    QVERIFY(bench.err.isEmpty());
}

void CliFlashTest::refusesABadImageBeforeSendingAnything_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("signature") << "signature" << kBadFile << "Erro na assinatura do arquivo.";
    QTest::newRow("cut short") << "cut" << kBadFile
                               << "Erro ao ler os pacotes de dados. Modelo de Hardware não suportado.";
    QTest::newRow("missing") << "missing" << kBadFile << "Erro ao tentar abrir o arquivo.";
    QTest::newRow("another model") << "model" << kBadFile << "Modelo de equipamento diferente da versão de firmware.";
    QTest::newRow("no port") << "no port" << kUsage << "give the panel's port with --port";
    QTest::newRow("no packets") << "empty" << kBadFile << "it holds no packets, so there is no firmware in it";
}

void CliFlashTest::refusesABadImageBeforeSendingAnything()
{
    QFETCH(QString, damage);
    QFETCH(int, code);
    QFETCH(QString, message);
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    ImagePlan plan = FlashPlan(damage == "model" ? 56 : 51);
    if (damage == "empty") plan.packetCount = 0;
    std::vector<std::uint8_t> bytes = ImageFileBytes(plan);
    if (damage == "signature") bytes[24] ^= 0xFF;
    if (damage == "cut") bytes.pop_back();
    const QString image = damage == "missing" ? bench.Path("nada.bin") : WriteImage(bench.Path("nova.bin"), bytes);
    const QStringList port = damage == "no port" ? QStringList{} : QStringList{"--port", "COM3"};
    QCOMPARE(bench.Run(QStringList{"flash", image} + port), code);
    QVERIFY2(bench.err.contains(message), qPrintable(bench.err));
    // Only the model check needs the panel, and asks it no more than who it is.
    QCOMPARE(panel.ReceivedFrames().size(), panel.CommandCount(CommandByte(CommandCode::IdentifyCommand)));
    QCOMPARE(panel.CommandCount(CommandByte(CommandCode::BootloaderCommand)), 0u);
}

void CliFlashTest::aFlashThePanelDoesNotFinishSaysWhereItStopped_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("falls silent") << "silent" << "Erro sem resposta do equipamento. The panel asked for no new packet "
                                                 "for 2.5 s at packet 6 of 20, so the update was cancelled and the "
                                                 "panel did not answer the cancel.";
    QTest::newRow("stops asking") << "stop" << "Atualização cancelada. The panel asked for no new packet for 2.5 s at "
                                               "packet 5 of 20, so the update was cancelled.";
    QTest::newRow("Ctrl-C") << "interrupt" << "Atualização cancelada. You cancelled the update (Ctrl-C) at packet";
    QTest::newRow("reports an error") << "result" << "Erro gravação versão nova (CRC). The panel's bootloader ended "
                                                     "the update at packet 20 of 20.";
}

void CliFlashTest::aFlashThePanelDoesNotFinishSaysWhereItStopped()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const std::uint8_t packet = CommandByte(CommandCode::UpdatePacketCommand);
    if (fault == "silent") {
        // Five packets taken, the sixth asked for and never taken.
        panel.SetFrameObserver([&panel, packet](VirtualPanel::Direction direction, const std::vector<uint8_t>& frame) {
            if (direction == VirtualPanel::Direction::FromTool && frame.size() > 2 && frame[2] == packet &&
                panel.CommandCount(packet) == 5) {
                panel.SetSilent(true);
            }
        });
    }
    if (fault == "interrupt") {
        // The installer presses Ctrl-C once five packets are taken.
        panel.SetFrameObserver([&panel, packet](VirtualPanel::Direction direction, const std::vector<uint8_t>& frame) {
            if (direction == VirtualPanel::Direction::FromTool && frame.size() > 2 && frame[2] == packet &&
                panel.CommandCount(packet) == 5) {
                std::raise(SIGINT);
            }
        });
    }
    if (fault == "stop") panel.Bootloader().StopAskingAfter(5);
    if (fault == "result") panel.Bootloader().SetFinalResult(4);
    const QString image = WriteImage(bench.Path("nova.bin"), ImageFileBytes(FlashPlan()));
    QCOMPARE(bench.Run({"flash", "--port", "COM3", image, "--json"}), kPanelFailed);
    QVERIFY2(bench.err.contains(message) && bench.err.contains("run flash again"), qPrintable(bench.err));
    const QJsonObject result = QJsonDocument::fromJson(bench.out.toUtf8()).object();
    QCOMPARE(result.value("succeeded").toBool(true), false);
    QCOMPARE(panel.Version(), VirtualPanel::kDefaultVersion);
}

void CliFlashTest::anAdapterUnpluggedMidFlashIsAPortError()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    PanelHost& host = bench.LastHost();
    const std::uint8_t packet = CommandByte(CommandCode::UpdatePacketCommand);
    // Unplugged once five packets are taken; not from inside the panel's own pump.
    panel.SetFrameObserver([&panel, &host, packet](VirtualPanel::Direction direction, const std::vector<uint8_t>& frame) {
        if (direction == VirtualPanel::Direction::FromTool && frame.size() > 2 && frame[2] == packet &&
            panel.CommandCount(packet) == 5) {
            QTimer::singleShot(0, &host, [&host] { host.Vanish(); });
        }
    });
    const QString image = WriteImage(bench.Path("nova.bin"), ImageFileBytes(FlashPlan()));
    QCOMPARE(bench.Run({"flash", "--port", "COM3", image}), kPortError);
    QVERIFY2(bench.err.contains("the port COM3 failed during the update") && bench.err.contains("run flash again"),
             qPrintable(bench.err));
    QCOMPARE(panel.Version(), VirtualPanel::kDefaultVersion);
}

void CliFlashTest::aDryRunChecksTheImageAndThePanelOnly()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const QString image = WriteImage(bench.Path("nova.bin"), ImageFileBytes(FlashPlan()));
    QCOMPARE(bench.Run({"flash", "--port", "COM3", image, "--dry-run"}), kDone);
    QVERIFY2(bench.out.contains("Would update the panel on COM3, model 51") && bench.out.contains("with 20 packets"),
             qPrintable(bench.out));
    QCOMPARE(panel.ReceivedFrames().size(), panel.CommandCount(CommandByte(CommandCode::IdentifyCommand)));
    QCOMPARE(panel.Version(), VirtualPanel::kDefaultVersion);
}

// The panel is read, the library refuses to keep it: nothing is sent to the
// bootloader, and the way on without the library is named.
void CliFlashTest::aSnapshotTheLibraryRefusesStopsTheFlash()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    QVERIFY(PanelLibrary::Open(*ParseLibraryLocation(bench.LibraryPath()).location).Ok());
    QVERIFY(RefuseNewSnapshots(bench.LibraryPath()));
    const QString image = WriteImage(bench.Path("nova.bin"), ImageFileBytes(FlashPlan()));
    QCOMPARE(bench.Run({"flash", "--port", "COM3", image}), kBadFile);
    QVERIFY2(bench.err.contains("disk full") && bench.err.contains("run with --no-library to go on without keeping") &&
                 !bench.err.contains("the panel was not read"),
             qPrintable(bench.err));
    QVERIFY(panel.CommandCount(CommandByte(CommandCode::ReadBlockCommand)) > 0);
    QCOMPARE(panel.CommandCount(CommandByte(CommandCode::BootloaderCommand)), 0u);
}

QTEST_MAIN(CliFlashTest)
#include "cli_flash_test.moc"
