// quorvel-cli and the panel library, in-process against software panels:
// backups kept as snapshots, a restore from a snapshot, the snapshot kept
// before a restore and before a firmware update, export and import, and a
// library that cannot be used stopping what would change a panel.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include "cli_test_bench.h"
#include "core/firmware/image_builder.h"
#include "core/link/commands.h"
#include "library/backup_file.h"
#include "library/panel_library.h"

#include <QDir>
#include <unistd.h>

using namespace cli_test;

namespace {

const std::uint8_t kWriteBlock = CommandByte(CommandCode::WriteBlockCommand);
const std::uint8_t kReadBlock = CommandByte(CommandCode::ReadBlockCommand);

QJsonObject Json(const QString& text) { return QJsonDocument::fromJson(text.toUtf8()).object(); }

QStringList Reasons(CliBench& bench)
{
    bench.Run({"library", "show", "2024011501", "--json"});
    QStringList reasons;
    for (const QJsonValue& snapshot : Json(bench.out).value("history").toArray()) {
        reasons << snapshot.toObject().value("reason").toString();
    }
    return reasons;
}

}  // namespace

class CliLibraryTest : public QObject {
    Q_OBJECT
private slots:
    void keepsBackupsAndRestoresASnapshot();
    void keepsThePanelBeforeAFirmwareUpdate();
    void exportsAndImportsBackupFiles();
    void aLibraryThatCannotBeUsedStopsARestore();
    void writesAReportOfASnapshot();
    void aBackupThatCannotBeKeptChangesNothing();
    void noCommandWritesOverItsLibrary_data();
    void noCommandWritesOverItsLibrary();
    void oneReadingOfASnapshotReference_data();
    void oneReadingOfASnapshotReference();
    void editsTheCustomerFields();
};

void CliLibraryTest::keepsBackupsAndRestoresASnapshot()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    QCOMPARE(bench.Run({"backup", "--port", "COM3", bench.Path("a.json")}), kDone);
    panel.SetBlock({2, 0x00, 0x3C, 0x00, 0x3C});
    QCOMPARE(bench.Run({"backup", "--port", "COM3", bench.Path("b.json"), "--no-library"}), kDone);
    QCOMPARE(Reasons(bench), QStringList{"manual"});

    QCOMPARE(bench.Run({"library", "list", "--search", "0115", "--json"}), kDone);
    const QJsonArray panels = Json(bench.out).value("panels").toArray();
    QCOMPARE(panels.size(), 1);
    QCOMPARE(panels[0].toObject().value("snapshots").toInt(), 1);
    QCOMPARE(bench.Run({"library", "list", "--search", "nothing like it"}), kDone);
    QCOMPARE(bench.out, QString());

    // The panel changed since: the snapshot is written back, and what the
    // panel held before is kept first.
    QCOMPARE(bench.Run({"restore", "--port", "COM3", "2024011501@1"}), kDone);
    QVERIFY2(bench.out.contains("Written Intervalo de polling (block 2)"), qPrintable(bench.out));
    QCOMPARE(panel.Block(2), (std::optional<std::vector<std::uint8_t>>{{2, 0x01, 0x2C, 0x00, 0x3C}}));
    QCOMPARE(Reasons(bench), (QStringList{"manual", "before restore"}));
    QCOMPARE(bench.Run({"restore", "--port", "COM3", "2024011501@9"}), kBadFile);
    QVERIFY2(bench.err.contains("holds no snapshot 2024011501@9"), qPrintable(bench.err));
}

void CliLibraryTest::keepsThePanelBeforeAFirmwareUpdate()
{
    CliBench bench;
    bench.AddPanel(3);
    ImagePlan plan;
    plan.modelCode = 51;
    plan.firmwareId = 0x22;
    plan.packetCount = 3;
    const std::vector<std::uint8_t> bytes = ImageFileBytes(plan);
    WriteAll(bench.Path("nova.bin"), QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    QCOMPARE(bench.Run({"flash", "--port", "COM3", bench.Path("nova.bin"), "--dry-run"}), kDone);
    QCOMPARE(Reasons(bench), QStringList{});
    QCOMPARE(bench.Run({"flash", "--port", "COM3", bench.Path("nova.bin")}), kDone);
    QCOMPARE(Reasons(bench), QStringList{"before firmware update"});
}

void CliLibraryTest::exportsAndImportsBackupFiles()
{
    CliBench bench;
    bench.AddPanel(3);
    const QString original = bench.Path("panel.json");
    QCOMPARE(bench.Run({"backup", "--port", "COM3", original, "--no-library"}), kDone);
    QCOMPARE(bench.Run({"library", "import", original}), kDone);
    QCOMPARE(bench.out, QStringLiteral("Imported %1 as 2024011501@1\n").arg(original));

    // A file the reader refuses is never imported.
    QByteArray damaged = ReadAll(original);
    damaged.replace("\"02 01 2C 00 3C\"", "\"02 01 2C 00 +C\"");
    WriteAll(bench.Path("damaged.json"), damaged);
    QCOMPARE(bench.Run({"library", "import", bench.Path("damaged.json")}), kBadFile);
    QCOMPARE(Reasons(bench), QStringList{"imported"});

    const QString exported = bench.Path("exported.json");
    QCOMPARE(bench.Run({"library", "export", "2024011501", exported}), kDone);
    QCOMPARE(ReadAll(exported), ReadAll(original));
    QCOMPARE(bench.Run({"library", "export", "2024011501@x", exported}), kUsage);
}

void CliLibraryTest::aLibraryThatCannotBeUsedStopsARestore()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const QString file = bench.Path("panel.json");
    QCOMPARE(bench.Run({"backup", "--port", "COM3", file, "--no-library"}), kDone);
    panel.SetBlock({2, 0x00, 0x3C, 0x00, 0x3C});
    const QString damaged = bench.Path("damaged.sqlite");
    WriteAll(damaged, QByteArray(4096, 'x'));
    QCOMPARE(bench.Run({"restore", "--port", "COM3", file, "--library", damaged}), kBadFile);
    QVERIFY2(bench.err.contains("damaged or is not a library") && bench.err.contains("--no-library") &&
                 bench.err.contains("nothing was written"),
             qPrintable(bench.err));
    QCOMPARE(panel.CommandCount(kWriteBlock), 0u);
    QCOMPARE(ReadAll(damaged), QByteArray(4096, 'x'));
    QCOMPARE(bench.Run({"restore", "--port", "COM3", file, "--library", damaged, "--no-library"}), kDone);
    QCOMPARE(panel.CommandCount(kWriteBlock), 1u);
}

void CliLibraryTest::writesAReportOfASnapshot()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    QCOMPARE(bench.Run({"backup", "--port", "COM3", bench.Path("a.json"), "--rf"}), kDone);
    const QString pdf = bench.Path("relatorio.pdf");
    QCOMPARE(bench.Run({"report", "2024011501", "-o", pdf}), kDone);
    QVERIFY2(bench.out.startsWith("Report of 2024011501@1 written to " + pdf), qPrintable(bench.out));
    QVERIFY2(bench.out.contains("2024011501@1 is the panel's newest snapshot, taken "), qPrintable(bench.out));
    QVERIFY(ReadAll(pdf).startsWith("%PDF-"));
    QCOMPARE(QFile::permissions(pdf) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions{});
    const QString html = bench.Path("relatorio.html");
    QCOMPARE(bench.Run({"report", "2024011501@1", "--output", html, "--html", "--show-secrets"}), kDone);
    QVERIFY(ReadAll(html).contains("Sensores RF"));
    QCOMPARE(bench.Run({"report", "2024011501@7", "-o", pdf}), kBadFile);
    QCOMPARE(bench.Run({"report", "2024011501"}), kUsage);

    // A restore keeps what the panel held first, without its sensors: the
    // report of the panel names the older snapshot that has them.
    panel.SetBlock({2, 0x00, 0x3C, 0x00, 0x3C});
    QCOMPARE(bench.Run({"restore", "--port", "COM3", bench.Path("a.json")}), kDone);
    QCOMPARE(bench.Run({"report", "2024011501", "-o", html, "--html"}), kDone);
    QVERIFY2(bench.out.contains("2024011501@2 is the panel's newest snapshot") &&
                 bench.out.contains("It holds no RF sensors; 2024011501@1, taken "),
             qPrintable(bench.out));
    QVERIFY(ReadAll(html).contains("A configuração 2024011501@1, lida em "));
}

// The library is checked before the panel is read, as the destination is:
// a backup that could not be kept leaves the old file as it was.
void CliLibraryTest::aBackupThatCannotBeKeptChangesNothing()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const QString file = bench.Path("panel.json");
    WriteAll(file, "old backup");
    const QString damaged = bench.Path("damaged.sqlite");
    WriteAll(damaged, QByteArray(4096, 'x'));
    QCOMPARE(bench.Run({"backup", "--port", "COM3", file, "--library", damaged}), kBadFile);
    QVERIFY2(bench.err.contains("the panel was not read, nothing was written"), qPrintable(bench.err));
    QCOMPARE(ReadAll(file), QByteArray("old backup"));
    QCOMPARE(panel.CommandCount(kReadBlock), 0u);
}

void CliLibraryTest::noCommandWritesOverItsLibrary_data()
{
    QTest::addColumn<QStringList>("command");  // FILE stands for the file written
    QTest::addColumn<QString>("name");         // how the library's file is named
    for (const char* name : {"library.sqlite", "link.sqlite", "second.sqlite"}) {
        QTest::addRow("report, %s", name) << QStringList{"report", "2024011501", "-o", "FILE", "--html"} << name;
        QTest::addRow("export, %s", name) << QStringList{"library", "export", "2024011501", "FILE"} << name;
        QTest::addRow("backup, %s", name) << QStringList{"backup", "--port", "COM3", "FILE"} << name;
        QTest::addRow("trace, %s", name) << QStringList{"identify", "--port", "COM3", "--trace", "FILE"} << name;
    }
}

void CliLibraryTest::noCommandWritesOverItsLibrary()
{
    QFETCH(QStringList, command);
    QFETCH(QString, name);
    CliBench bench;
    bench.AddPanel(3);
    const QString library = bench.Path("library.sqlite");
    QCOMPARE(bench.Run({"backup", "--port", "COM3", bench.Path("a.json"), "--library", library}), kDone);
    QVERIFY(QFile::link(library, bench.Path("link.sqlite")));
    QCOMPARE(::link(QFile::encodeName(library).constData(), QFile::encodeName(bench.Path("second.sqlite")).constData()), 0);
    const QByteArray before = ReadAll(library);
    command.replaceInStrings(QStringLiteral("FILE"), bench.Path(name));
    QCOMPARE(bench.Run(command + QStringList{"--library", library}), kBadFile);
    QVERIFY2(bench.err.contains("is the panel library's own file"), qPrintable(bench.err));
    QCOMPARE(ReadAll(library), before);
    QCOMPARE(bench.Run({"library", "show", "2024011501", "--library", library}), kDone);
}

void CliLibraryTest::oneReadingOfASnapshotReference_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    const QString afterAt = QStringLiteral("after @ comes a snapshot's number");
    for (const char* reference : {"2024011501@0", "2024011501@-1", "2024011501@abc", "2024011501@"}) {
        QTest::addRow("restore %s", reference) << QStringList{"restore", "--port", "COM3", reference} << kUsage << afterAt;
        QTest::addRow("report %s", reference) << QStringList{"report", reference, "-o", "r.html", "--html"} << kUsage << afterAt;
        QTest::addRow("export %s", reference) << QStringList{"library", "export", reference, "e.json"} << kUsage << afterAt;
    }
    QTest::newRow("show with @N") << QStringList{"library", "show", "2024011501@1"} << kUsage << "without @N";
    QTest::newRow("a serial too large") << QStringList{"report", "4294967296", "-o", "r.html", "--html"} << kUsage
                                        << "0 to 4294967295";
    QTest::newRow("restore of a file that is not there") << QStringList{"restore", "--port", "COM3", "absent.json"}
                                                         << kBadFile << "cannot read absent.json";
    QTest::newRow("report of a panel never met") << QStringList{"report", "999", "-o", "r.html", "--html"} << kBadFile
                                                 << "no panel with serial 999 in the library";
}

void CliLibraryTest::oneReadingOfASnapshotReference()
{
    QFETCH(QStringList, command);
    QFETCH(int, code);
    QFETCH(QString, message);
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    QCOMPARE(bench.Run({"backup", "--port", "COM3", bench.Path("a.json")}), kDone);
    QDir::setCurrent(bench.Path("."));
    QCOMPARE(bench.Run(command), code);
    QVERIFY2(bench.err.contains(message), qPrintable(bench.err));
    QCOMPARE(panel.CommandCount(kWriteBlock), 0u);
}

void CliLibraryTest::editsTheCustomerFields()
{
    CliBench bench;
    bench.AddPanel(3);
    QCOMPARE(bench.Run({"backup", "--port", "COM3", bench.Path("a.json")}), kDone);
    QCOMPARE(bench.Run({"library", "edit", "2024011501", "--customer", "Padaria\u202e Sol\x1b]0;x\x07", "--notes",
                        "portão lateral"}),
             kDone);
    QCOMPARE(bench.Run({"library", "edit", "2024011501", "--address", "Rua A, 10", "--json"}), kDone);
    const QJsonObject edited = Json(bench.out);
    QCOMPARE(edited.value("customer").toString(), QStringLiteral("Padaria\u202e Sol\x1b]0;x\x07"));
    QCOMPARE(edited.value("address").toString(), QStringLiteral("Rua A, 10"));
    QCOMPARE(edited.value("notes").toString(), QStringLiteral("portão lateral"));
    // Shown to a person, the customer's control characters are escapes.
    QCOMPARE(bench.Run({"library", "show", "2024011501"}), kDone);
    QVERIFY2(bench.out.contains("Customer:  Padaria") && !bench.out.contains(QChar(0x1b)), qPrintable(bench.out));

    QCOMPARE(bench.Run({"library", "edit", "2024011501", "--customer", QString(kMaxCustomerLength + 1, 'x')}), kUsage);
    QVERIFY2(bench.err.contains("at most 200 are kept; nothing was changed"), qPrintable(bench.err));
    QCOMPARE(bench.Run({"library", "edit", "2024011501", "--notes", QString(kMaxNotesLength, 'n'), "--json"}), kDone);
    QCOMPARE(Json(bench.out).value("customer").toString(), QStringLiteral("Padaria\u202e Sol\x1b]0;x\x07"));
    QCOMPARE(bench.Run({"library", "edit", "999", "--customer", "x"}), kBadFile);
    QCOMPARE(bench.Run({"library", "edit", "2024011501"}), kUsage);
}

QTEST_MAIN(CliLibraryTest)
#include "cli_library_test.moc"
