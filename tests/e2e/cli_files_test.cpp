// quorvel-cli at the edge with the system, run in-process against software
// panels: where a backup may be written and what is left when it cannot be,
// special files given where a file is read, Ctrl-C in the middle of a
// backup or a restore, and a trace that cannot be written.

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <csignal>
#include <filesystem>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "cli/terminal_text.h"
#include "library/backup_file.h"
#include "cli_test_bench.h"
#include "core/bytes/hex_text.h"
#include "core/bytes/text_controls.h"
#include "core/link/commands.h"
#include "support/file_size_limit.h"
#include "support/planted_password.h"

using namespace cli_test;
namespace fs = std::filesystem;

namespace {

const std::uint8_t kWriteBlock = CommandByte(CommandCode::WriteBlockCommand);
const std::uint8_t kReadBlock = CommandByte(CommandCode::ReadBlockCommand);
const QByteArray kOldBackup = "the installer's good backup";

fs::perms Mode(const QString& path) { return fs::status(path.toStdString()).permissions(); }

// The backup of the panel on COM3 as a file with its Wi-Fi block replaced
// by these bytes, as a crafted panel or an edited file could hold it.
QString BackupWithWifi(CliBench& bench, const QString& name, const std::vector<std::uint8_t>& wifi)
{
    const QString file = bench.Path(name);
    if (bench.Run({"backup", "--port", "COM3", file, "--no-library"}) != kDone) qFatal("backup failed: %s", qPrintable(bench.err));
    QJsonObject root = QJsonDocument::fromJson(ReadAll(file)).object();
    QJsonArray blocks = root.value("blocks").toArray();
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        if (blocks[i].toObject().value("id").toInt() != 6) continue;
        blocks[i] = QJsonObject{{"id", 6}, {"bytes", QString::fromStdString(HexBytes(wifi))}};
    }
    root.insert("blocks", blocks);
    WriteAll(file, QJsonDocument(root).toJson());
    return file;
}

}  // namespace

class CliFilesTest : public QObject {
    Q_OBJECT
private slots:
    void backupDestinations_data();
    void backupDestinations();
    void aBackupCutShortLeavesTheOldFile();
    void specialFilesAreRefusedAtOnce_data();
    void specialFilesAreRefusedAtOnce();
    void ctrlCMidBackupStopsBeforeTheNextBlock();
    void ctrlCMidRestoreSaysWhatWasWritten();
    void aTraceThatCannotBeWrittenSaysSoOnce();
    void aPortThatIsNoPortSaysWhy_data();
    void aPortThatIsNoPortSaysWhy();
    void controlCharactersNeverReachTheTerminal();
    void diffMasksTheWifiPassword();
    void terminalText_data();
    void terminalText();
};

void CliFilesTest::backupDestinations_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("absent") << "absent" << kDone << "Saved 15 blocks";
    QTest::newRow("existing file") << "existing" << kDone << "Saved 15 blocks";
    QTest::newRow("link to a file") << "link" << kDone << "Saved 15 blocks";
    QTest::newRow("missing folder") << "missing/panel.json" << kBadFile << "does not exist";
    QTest::newRow("a folder") << "folder" << kBadFile << "it is a folder, not a regular file";
    QTest::newRow("FIFO") << "fifo" << kBadFile << "it is a FIFO, not a regular file";
    QTest::newRow("device") << "device" << kBadFile << "it is a character device, not a regular file";
    QTest::newRow("read-only folder") << "/proc/self/panel.json" << kBadFile << "cannot write /proc/self/panel.json";
}

// A destination that cannot take a backup is refused before the panel is
// asked anything, and nothing at the destination changes; a written backup
// is private when new and keeps its mode when it replaces one.
void CliFilesTest::backupDestinations()
{
    QFETCH(QString, destination);
    QFETCH(int, code);
    QFETCH(QString, message);
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const QString old = bench.Path("old.json");
    WriteAll(old, kOldBackup);
    QFile::setPermissions(old, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    QString path = destination.startsWith('/') ? destination : bench.Path(destination);
    if (destination == "existing") path = old;
    if (destination == "link") QVERIFY(QFile::link(old, path));
    if (destination == "folder") QVERIFY(QDir().mkdir(path));
    if (destination == "fifo") QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
    if (destination == "device") {
        // A device of the test's own where it may make one; the null device
        // otherwise, which a non-root process cannot replace anyway.
        if (::geteuid() != 0 || ::mknod(path.toLocal8Bit().constData(), S_IFCHR | 0600, makedev(1, 3)) != 0) {
            path = "/dev/null";
        }
    }
    const fs::file_type typeBefore = fs::symlink_status(path.toStdString()).type();
    const QStringList entriesBefore = QDir(bench.Path(".")).entryList(QDir::AllEntries | QDir::System | QDir::Hidden);

    const mode_t mask = ::umask(022);
    const int exit = bench.Run({"backup", "--port", "COM3", path});
    ::umask(mask);
    QCOMPARE(exit, code);
    QVERIFY2((code == kDone ? bench.out : bench.err).contains(message), qPrintable(bench.out + bench.err));
    if (code == kDone) {
        QVERIFY(BackupFromJson(ReadAll(path)).backup.has_value());
        QCOMPARE(Mode(path), destination == "absent" ? fs::perms(0600) : fs::perms(0640));
        QCOMPARE(fs::symlink_status(path.toStdString()).type(), typeBefore == fs::file_type::not_found
                                                                    ? fs::file_type::regular
                                                                    : typeBefore);
        return;
    }
    QCOMPARE(fs::symlink_status(path.toStdString()).type(), typeBefore);
    QCOMPARE(ReadAll(old), kOldBackup);
    // Refused at once, except where only the system's refusal of the file
    // itself tells (root may write to any folder).
    if (::geteuid() != 0 || !destination.startsWith("/proc")) QCOMPARE(panel.ReceivedFrames().size(), std::size_t{0});
    QCOMPARE(QDir(bench.Path(".")).entryList(QDir::AllEntries | QDir::System | QDir::Hidden), entriesBefore);
}

void CliFilesTest::aBackupCutShortLeavesTheOldFile()
{
    CliBench bench;
    bench.AddPanel(3);
    const QString file = bench.Path("panel.json");
    WriteAll(file, kOldBackup);
    int exit = 0;
    {
        // As a full disk would: the new file is cut after 1 KiB (a backup
        // is larger; the serial port's lock file is smaller).
        const FileSizeLimit limit(1024);
        // The library's own files are larger than the limit: it stays out.
        exit = bench.Run({"backup", "--port", "COM3", file, "--no-library"});
    }
    QCOMPARE(exit, kBadFile);
    QVERIFY2(bench.err.contains("cannot write " + file + ": File too large; the file was left as it was"),
             qPrintable(bench.err));
    QCOMPARE(ReadAll(file), kOldBackup);
    QCOMPARE(QDir(bench.Path(".")).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void CliFilesTest::specialFilesAreRefusedAtOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("restore from a FIFO") << "restore" << "fifo" << "it is a FIFO, not a regular file";
    QTest::newRow("diff of a FIFO") << "diff" << "fifo" << "it is a FIFO, not a regular file";
    QTest::newRow("flash of a FIFO") << "flash" << "fifo" << "Erro ao tentar abrir o arquivo.";
    QTest::newRow("log of a FIFO") << "log" << "fifo" << "cannot read";
    QTest::newRow("log of a device") << "log" << "/dev/zero" << "it is a character device";
    QTest::newRow("restore from a device") << "restore" << "/dev/zero" << "it is a character device";
    QTest::newRow("restore from a folder") << "restore" << "." << "it is a folder";
    QTest::newRow("restore from a huge file") << "restore" << "huge" << "more than the 16777216";
}

void CliFilesTest::specialFilesAreRefusedAtOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, file);
    QFETCH(QString, message);
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    QString path = file.startsWith('/') ? file : bench.Path(file);
    if (file == "fifo") QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
    if (file == "huge") fs::resize_file((WriteAll(path, "{"), path.toStdString()), kMaxBackupFileSize + 1);
    const QStringList port = command == "log" ? QStringList{} : QStringList{"--port", "COM3"};
    QCOMPARE(bench.Run(QStringList{command, path} + port), kBadFile);
    QVERIFY2(bench.err.contains(message), qPrintable(bench.err));
    QCOMPARE(panel.CommandCount(kWriteBlock), 0u);
}

// Ctrl-C during a backup stops the reading before the next block: no file,
// no snapshot.
void CliFilesTest::ctrlCMidBackupStopsBeforeTheNextBlock()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    // Pressed as the third block is asked for (the count is taken after the observer).
    panel.SetFrameObserver([&panel](VirtualPanel::Direction direction, const std::vector<uint8_t>& frame) {
        if (direction == VirtualPanel::Direction::FromTool && frame.size() > 2 && frame[2] == kReadBlock &&
            panel.CommandCount(kReadBlock) == 2) {
            std::raise(SIGINT);
        }
    });
    const QString file = bench.Path("cut.json");
    QCOMPARE(bench.Run({"backup", "--port", "COM3", file}), kPanelFailed);
    QVERIFY2(bench.err.contains("cancelled (Ctrl-C) before block"), qPrintable(bench.err));
    QCOMPARE(panel.CommandCount(kReadBlock), 3u);
    QVERIFY(!QFileInfo::exists(file));
    panel.SetFrameObserver(nullptr);
    QCOMPARE(bench.Run({"library", "list", "--json"}), kDone);
    QVERIFY2(bench.out.contains("\"snapshots\": 0"), qPrintable(bench.out));
}

// The first Ctrl-C lets the write under way finish and stops; what was and
// was not written is listed, and a second restore writes the rest.
void CliFilesTest::ctrlCMidRestoreSaysWhatWasWritten()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const QString file = bench.Path("panel.json");
    QCOMPARE(bench.Run({"backup", "--port", "COM3", file}), kDone);
    DivergeThreeBlocks(panel);
    // Pressed as the second block's write reaches the panel (the count is
    // taken after the observer).
    panel.SetFrameObserver([&panel](VirtualPanel::Direction direction, const std::vector<uint8_t>& frame) {
        if (direction == VirtualPanel::Direction::FromTool && frame.size() > 2 && frame[2] == kWriteBlock &&
            panel.CommandCount(kWriteBlock) == 1) {
            std::raise(SIGINT);
        }
    });
    QCOMPARE(bench.Run({"restore", "--port", "COM3", file}), kPanelFailed);
    QCOMPARE(bench.out, QStringLiteral("Written Intervalo de polling (block 2)\n"
                                       "Written Atuadores / Buzzer (block 26)\n"
                                       "Not written Função alarme (block 42)\n"));
    QVERIFY2(bench.err.contains("cancelled (Ctrl-C) before block 42") && bench.err.contains("run the restore again"),
             qPrintable(bench.err));
    QCOMPARE(panel.CommandCount(kWriteBlock), 2u);

    panel.SetFrameObserver(nullptr);
    QCOMPARE(bench.Run({"restore", "--port", "COM3", file}), kDone);
    QCOMPARE(panel.CommandCount(kWriteBlock), 3u);
}

void CliFilesTest::aTraceThatCannotBeWrittenSaysSoOnce()
{
    CliBench bench;
    bench.AddPanel(3);
    const QString fifo = bench.Path("fifo");
    QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QCOMPARE(bench.Run({"identify", "--port", "COM3", "--trace", fifo}), kBadFile);
    QVERIFY2(bench.err.contains("it is a FIFO"), qPrintable(bench.err));

    const QString backup = bench.Path("panel.json");
    QCOMPARE(bench.Run({"backup", "--port", "COM3", backup}), kDone);
    const QString trace = bench.Path("trace.txt");
    int exit = 0;
    {
        // Room for a few of the comparison's frames.
        const FileSizeLimit limit(1024);
        exit = bench.Run({"diff", backup, "--port", "COM3", "--trace", trace});
    }
    QCOMPARE(exit, kDone);
    QCOMPARE(bench.err.count("tracing stopped"), 1);
    QVERIFY2(bench.err.contains("tracing stopped: cannot write " + trace + ": File too large"), qPrintable(bench.err));
    QCOMPARE(Mode(trace), fs::perms(0600));
}

void CliFilesTest::aPortThatIsNoPortSaysWhy_data()
{
    QTest::addColumn<QString>("target");   // what the port leads to: file, fifo, folder or absent
    QTest::addColumn<bool>("asEntry");     // through the port folder's COM2, else given as the path
    QTest::addColumn<QString>("message");  // the whole of standard error
    const QString ignored = "quorvel-cli: Entrada COM2 da pasta de portas ignorada: leva a {kind} ({target}), não a um "
                            "dispositivo.\nquorvel-cli: COM2 cannot be used while its entry {entry} is ignored; link it "
                            "to the panel's serial device, or remove it\n";
    QTest::newRow("entry to a file") << "file" << true << QString(ignored).replace("{kind}", "um arquivo comum");
    QTest::newRow("entry to a FIFO") << "fifo" << true << QString(ignored).replace("{kind}", "um FIFO");
    QTest::newRow("entry to a folder") << "folder" << true << QString(ignored).replace("{kind}", "uma pasta");
    // An unplugged adapter keeps its number: not ignored, only absent.
    QTest::newRow("entry to nothing") << "absent" << true
                                      << "quorvel-cli: port COM2 ({target}) not found; plug the panel's cable in, or "
                                         "list the ports with \"quorvel-cli ports\"\n";
    const QString notAPort = "quorvel-cli: {target} is not a serial port (it is %1); give the panel's port\n";
    QTest::newRow("a file") << "file" << false << notAPort.arg("a regular file");
    QTest::newRow("a FIFO") << "fifo" << false << notAPort.arg("a FIFO");
    QTest::newRow("a folder") << "folder" << false << notAPort.arg("a folder");
}

// An entry of the port folder that leads where no port can be is ignored,
// and says why once; a path that is no serial port says so. Neither names
// a COM number the user did not give.
void CliFilesTest::aPortThatIsNoPortSaysWhy()
{
    QFETCH(QString, target);
    QFETCH(bool, asEntry);
    QFETCH(QString, message);
    CliBench bench;
    const QString folder = bench.Path("ports");
    QVERIFY(QDir().mkdir(folder));
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString path = bench.Path(target);
    if (target == "file") WriteAll(path, "not a port");
    if (target == "fifo") QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
    if (target == "folder") QVERIFY(QDir().mkdir(path));
    if (asEntry) QVERIFY(QFile::link(path, folder + "/COM2"));
    QCOMPARE(bench.Run({"identify", "--port", asEntry ? QStringLiteral("COM2") : path}), kPortError);
    QCOMPARE(bench.err, QString(message).replace("{target}", path).replace("{entry}", folder + "/COM2"));
}

// A network name holding an escape sequence, a bell and a C1 control, as a
// crafted panel or file could: printed escaped, in text and in JSON.
void CliFilesTest::controlCharactersNeverReachTheTerminal()
{
    CliBench bench;
    bench.AddPanel(3);
    const QString clean = bench.Path("clean.json");
    QCOMPARE(bench.Run({"backup", "--port", "COM3", clean}), kDone);
    // name "\x1b[2J\x07\x81", password "x"
    const QString crafted = BackupWithWifi(bench, "crafted.json", {6, 6, 0x1B, '[', '2', 'J', 0x07, 0x81, 1, 'x'});
    QCOMPARE(bench.Run({"diff", clean, crafted}), kDone);
    QVERIFY2(bench.out.contains("\\x1b[2J\\x07\\x81"), qPrintable(bench.out));
    QCOMPARE(bench.Run({"diff", clean, crafted, "--json"}), kDone);
    QVERIFY2(bench.out.contains("\\u001b[2J\\u0007\\u0081"), qPrintable(bench.out));
    QVERIFY(QJsonDocument::fromJson(bench.out.toUtf8()).isObject());
    for (const QChar c : bench.out) QVERIFY(c == '\n' || c.category() != QChar::Other_Control);

    // A message that quotes the file: the sequence that retitles a terminal.
    QJsonObject root = QJsonDocument::fromJson(ReadAll(crafted)).object();
    root.insert("version", "\x1b]0;pwned\x07");
    WriteAll(crafted, QJsonDocument(root).toJson());
    QCOMPARE(bench.Run({"diff", crafted, clean}), kBadFile);
    QVERIFY2(bench.err.contains("backup format version \\x1b]0;pwned\\x07 is not supported"), qPrintable(bench.err));
    for (const QChar c : bench.err) QVERIFY(c == '\n' || c.category() != QChar::Other_Control);
}

// A panel with no network against one set up since: the Wi-Fi block does
// not decode on one side, so it compares as bytes, which hold the password.
// Neither text nor JSON shows it in any spelling unless --show-secrets.
void CliFilesTest::diffMasksTheWifiPassword()
{
    CliBench bench;
    bench.AddPanel(3);
    const QString unset = BackupWithWifi(bench, "unset.json", {6, 0, 0});
    const QString set = BackupWithWifi(bench, "set.json", WifiBlockWithPassword());
    for (const QStringList& json : {QStringList{}, QStringList{"--json"}}) {
        QCOMPARE(bench.Run(QStringList{"diff", unset, set} + json), kDone);
        QVERIFY2(!HoldsPlantedPassword(bench.out) && bench.out.contains("(oculto)"), qPrintable(bench.out));
        QCOMPARE(bench.Run(QStringList{"diff", unset, set, "--show-secrets"} + json), kDone);
        QVERIFY2(ShowsPlantedPassword(bench.out), qPrintable(bench.out));
    }
    QCOMPARE(bench.Run({"diff", unset, set, "--json"}), kDone);
    const QJsonObject change =
        QJsonDocument::fromJson(bench.out.toUtf8()).object()["blocks"][0]["fields"][0].toObject();
    QCOMPARE(change, (QJsonObject{{"caption", "Bytes"}, {"before", "(oculto)"}, {"after", "(oculto)"}, {"secret", true}}));
}

void CliFilesTest::terminalText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("printable");  // one line
    QTest::addColumn<QString>("lines");      // a message whose line breaks stay
    QTest::newRow("plain, accents and symbols") << "Configuração 100€ «ok»" << "Configuração 100€ «ok»"
                                                << "Configuração 100€ «ok»";
    QTest::newRow("escape sequence") << "\x1b[2J" << "\\x1b[2J" << "\\x1b[2J";
    QTest::newRow("bell, return, tab") << "a\x07" "b\rc\td" << "a\\x07b\\x0dc\\x09d" << "a\\x07b\\x0dc\\x09d";
    QTest::newRow("line break") << "a\nb" << "a\\x0ab" << "a\nb";
    QTest::newRow("NUL") << QString(QChar(0)) << "\\x00" << "\\x00";
    QTest::newRow("DEL and C1") << QString("\x7f") + QChar(0x9B) + QChar(0x85) << "\\x7f\\x9b\\x85"
                                << "\\x7f\\x9b\\x85";
    // Marks that reorder or break a line, as a crafted customer or file
    // could hold: after an override, "fdp.exe" reads as "exe.pdf".
    QTest::newRow("right-to-left override") << QStringLiteral("nota\u202Efdp.exe\u202C") << "nota\\u202efdp.exe\\u202c"
                                            << "nota\\u202efdp.exe\\u202c";
    QTest::newRow("embeddings and isolates") << QStringLiteral("\u202A\u202B\u202D\u2066\u2067\u2068\u2069")
                                             << "\\u202a\\u202b\\u202d\\u2066\\u2067\\u2068\\u2069"
                                             << "\\u202a\\u202b\\u202d\\u2066\\u2067\\u2068\\u2069";
    QTest::newRow("direction marks") << QStringLiteral("a\u200Eb\u200Fc\u061Cd") << "a\\u200eb\\u200fc\\u061cd"
                                     << "a\\u200eb\\u200fc\\u061cd";
    QTest::newRow("line and paragraph separators") << QStringLiteral("a\u2028b\u2029c") << "a\\u2028b\\u2029c"
                                                   << "a\\u2028b\\u2029c";
    QTest::newRow("joiners and marks that only shape stay") << QStringLiteral("a\u200Db\u200Cc\u00ADd")
                                                             << QStringLiteral("a\u200Db\u200Cc\u00ADd")
                                                             << QStringLiteral("a\u200Db\u200Cc\u00ADd");
}

// The one escaping every command prints panel and file text through; JSON
// keeps its meaning and holds no raw control character.
void CliFilesTest::terminalText()
{
    QFETCH(QString, text);
    QFETCH(QString, printable);
    QFETCH(QString, lines);
    QCOMPARE(PrintableText(text), printable);
    QCOMPARE(PrintableLines(text), lines);
    const QJsonObject object{{"name", text}};
    const QString json = PrintableJson(QJsonDocument(object).toJson(QJsonDocument::Indented));
    for (const QChar c : json) QVERIFY(c == '\n' || !(IsControlCharacter(c.unicode()) || IsLayoutControl(c.unicode())));
    QCOMPARE(QJsonDocument::fromJson(json.toUtf8()).object(), object);
}

QTEST_MAIN(CliFilesTest)
#include "cli_files_test.moc"
