// quorvel-cli against a real ser2net, in front of software panels that pace
// their bytes at the line speed as real panels do. scripts/test.sh starts
// the server and names it in the environment:
//   QUORVEL_TEST_SER2NET_RFC2217         rfc2217://127.0.0.1:PORT (telnet(rfc2217) accepter)
//   QUORVEL_TEST_SER2NET_TCP             socket://127.0.0.1:PORT (raw tcp accepter)
//   QUORVEL_TEST_SER2NET_RFC2217_DEVICE  the pseudo-terminal behind the first
//   QUORVEL_TEST_SER2NET_PROGRAM         ser2net itself, for a server of a test's own
// Without them every test is skipped, saying so; once announced, a server
// that is not there fails them. Each test leaves the panels as it found them:
// both passes of the suite share one server.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include "cli_test_bench.h"
#include "core/link/commands.h"

using namespace cli_test;

namespace {

QString Announced(const char* name)
{
    return qEnvironmentVariable(name);
}

// The bytes the panel sends for a backup: the identification (12 bytes)
// and each block in a frame of its own (6 bytes more than the block), less
// the two bytes' worth a paced panel may save up before each answer. Their
// wire time is a lower bound of the backup's.
int PanelBytes(const QByteArray& backup)
{
    constexpr int kIdentification = 12, kFrame = 6, kSavedUp = 2;
    int bytes = kIdentification - kSavedUp;
    for (const QJsonValue& block : QJsonDocument::fromJson(backup).object().value("blocks").toArray()) {
        bytes += static_cast<int>(block.toObject().value("bytes").toString().split(' ').size()) + kFrame - kSavedUp;
    }
    return bytes;
}

}  // namespace

class CliSer2netTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void identifiesAndShowsTheStatusOverBothSchemes();
    void aBackupOverTheServerEqualsOneOverTheLocalPort();
    void restoresOverTheServer();
    void updatesTheFirmwareOverTheServer();
    void theSpeedChosenReachesTheLine();
    void aServerKilledMidBackupIsALostPortAndTheFileStays();

private:
    QString rfc2217_, tcp_, device_, program_;
};

void CliSer2netTest::init()
{
    rfc2217_ = Announced("QUORVEL_TEST_SER2NET_RFC2217");
    if (rfc2217_.isEmpty()) QSKIP("ser2net was not announced (QUORVEL_TEST_SER2NET_RFC2217; scripts/test.sh starts one)");
    tcp_ = Announced("QUORVEL_TEST_SER2NET_TCP");
    device_ = Announced("QUORVEL_TEST_SER2NET_RFC2217_DEVICE");
    program_ = Announced("QUORVEL_TEST_SER2NET_PROGRAM");
    QVERIFY2(!tcp_.isEmpty() && !device_.isEmpty() && !program_.isEmpty(),
             "QUORVEL_TEST_SER2NET_TCP, _RFC2217_DEVICE and _PROGRAM must be set with QUORVEL_TEST_SER2NET_RFC2217");
}

void CliSer2netTest::identifiesAndShowsTheStatusOverBothSchemes()
{
    CliBench bench;
    for (const QString& port : {rfc2217_, tcp_}) {
        QCOMPARE(bench.Run({"identify", "--json", "--port", port}), kDone);
        const QJsonObject identity = QJsonDocument::fromJson(bench.out.toUtf8()).object();
        QCOMPARE(identity.value("port").toString(), port);
        QCOMPARE(identity.value("panel").toObject().value("model").toInt(), 51);
        QCOMPARE(bench.Run({"status", "--page", "central-alarme", "--port", port}), kDone);
        QVERIFY2(bench.out.contains("Número serial: 2024011501"), qPrintable(bench.out + bench.err));
    }
}

void CliSer2netTest::aBackupOverTheServerEqualsOneOverTheLocalPort()
{
    CliBench bench;
    QCOMPARE(bench.Run({"backup", "--no-library", "--rf", "--port", rfc2217_, bench.Path("network.json")}), kDone);
    QCOMPARE(bench.Run({"backup", "--no-library", "--rf", "--port", device_, bench.Path("local.json")}), kDone);
    const QByteArray network = ReadAll(bench.Path("network.json"));
    QCOMPARE(QJsonDocument::fromJson(network).object().value("blocks").toArray().size(), 15);
    QCOMPARE(network, ReadAll(bench.Path("local.json")));
}

void CliSer2netTest::restoresOverTheServer()
{
    // What to write comes from a panel of the test's own set apart in three
    // blocks; the server's panel gets it, then its own configuration back.
    CliBench bench;
    VirtualPanel& source = bench.AddPanel(3);
    DivergeThreeBlocks(source);
    QCOMPARE(bench.Run({"backup", "--no-library", "--port", "COM3", bench.Path("diverged.json")}), kDone);
    QCOMPARE(bench.Run({"backup", "--no-library", "--port", tcp_, bench.Path("before.json")}), kDone);

    QCOMPARE(bench.Run({"restore", "--no-library", "--port", tcp_, bench.Path("diverged.json")}), kDone);
    QVERIFY2(bench.out.contains("block 2") && bench.out.contains("block 26") && bench.out.contains("block 42"),
             qPrintable(bench.out));
    QCOMPARE(bench.Run({"diff", bench.Path("diverged.json"), "--port", tcp_}), kDone);
    QVERIFY2(bench.out.contains("No differences"), qPrintable(bench.out));

    QCOMPARE(bench.Run({"restore", "--no-library", "--port", tcp_, bench.Path("before.json")}), kDone);
    QCOMPARE(bench.Run({"diff", bench.Path("before.json"), "--port", tcp_}), kDone);
    QVERIFY2(bench.out.contains("No differences"), qPrintable(bench.out));
}

void CliSer2netTest::updatesTheFirmwareOverTheServer()
{
    CliBench bench;
    QCOMPARE(bench.Run({"flash", "--no-library", "--json", "--port", rfc2217_, QStringLiteral(QUORVEL_DEMO_IMAGE)}), kDone);
    const QJsonObject result = QJsonDocument::fromJson(bench.out.toUtf8()).object();
    QVERIFY2(result.value("succeeded").toBool(), qPrintable(bench.out + bench.err));
    QCOMPARE(result.value("lastPacket").toInt(), 400);
    QCOMPARE(bench.Run({"identify", "--port", rfc2217_}), kDone);
    QVERIFY2(bench.out.contains("V1.03 - (teste)"), qPrintable(bench.out));
}

void CliSer2netTest::theSpeedChosenReachesTheLine()
{
    // The panel sends ten bits a byte at the speed the server set on its
    // line: at 9600 bit/s a backup cannot be quicker than the panel's bytes
    // take on the wire, and at 115200 it is well within that time.
    CliBench bench;
    QElapsedTimer elapsed;
    qint64 took[2] = {};
    const char* speeds[2] = {"9600", "115200"};
    for (int i = 0; i < 2; ++i) {
        elapsed.start();
        QCOMPARE(bench.Run({"backup", "--no-library", "--speed", speeds[i], "--port", rfc2217_, bench.Path("b.json")}), kDone);
        took[i] = elapsed.elapsed();
    }
    const double wireMs = PanelBytes(ReadAll(bench.Path("b.json"))) * 10 * 1000.0 / 9600;
    QVERIFY2(wireMs > 150, qPrintable(QString::number(wireMs)));
    QVERIFY2(took[0] >= wireMs, qPrintable(QStringLiteral("9600: %1 ms, wire time %2 ms").arg(took[0]).arg(wireMs)));
    QVERIFY2(took[1] < wireMs, qPrintable(QStringLiteral("115200: %1 ms, wire time at 9600 %2 ms").arg(took[1]).arg(wireMs)));
}

void CliSer2netTest::aServerKilledMidBackupIsALostPortAndTheFileStays()
{
    // A server of this test's own, in front of a panel of its own, killed
    // outright when the panel has answered a few reads.
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const QString device = bench.LastHost().DevicePath();
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    QFile config(bench.Path("ser2net.yaml"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("connection: &panel\n"
                                "    accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                                "    connector: serialdev,%2,115200n81,local\n")
                     .arg(port)
                     .arg(device)
                     .toUtf8());
    config.close();
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(program_, {"-n", "-c", config.fileName()});
    QVERIFY2(server.waitForStarted(5000), qPrintable(server.errorString()));
    QTcpSocket ready;
    bool listening = false;
    for (int i = 0; i < 50 && !listening; ++i) {
        ready.connectToHost(QHostAddress::LocalHost, port);
        listening = ready.waitForConnected(100);
        ready.abort();
        if (!listening) QTest::qWait(100);
    }
    QVERIFY2(listening, server.readAll().constData());

    int reads = 0;
    panel.SetFrameObserver([&](VirtualPanel::Direction direction, const std::vector<std::uint8_t>& frame) {
        if (direction == VirtualPanel::Direction::FromTool && frame.size() > 2 &&
            frame[2] == CommandByte(CommandCode::ReadBlockCommand) && ++reads == 4) {
            QTimer::singleShot(0, &server, [&server] { server.kill(); });
        }
    });
    const QString file = bench.Path("site.json");
    WriteAll(file, "the backup of last week");
    QCOMPARE(bench.Run({"backup", "--no-library", "--port", QStringLiteral("rfc2217://127.0.0.1:%1").arg(port), file}),
             kPortError);
    panel.SetFrameObserver(nullptr);
    QVERIFY2(bench.err.contains(QStringLiteral("the port rfc2217://127.0.0.1:%1 was lost").arg(port)), qPrintable(bench.err));
    QCOMPARE(ReadAll(file), QByteArray("the backup of last week"));
    server.waitForFinished(5000);
}

QTEST_MAIN(CliSer2netTest)
#include "cli_ser2net_test.moc"
