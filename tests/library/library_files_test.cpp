// A SQLite library's files on disk: private whatever the umask, planted or
// foreign files refused or made private, a read-only spell that ends when
// the mode is mended (as an unprivileged user: root ignores modes), and a
// full disk called by its name.

#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "library/panel_library.h"
#include "sample_backup.h"

namespace {

int Mode(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

bool IsRoot() { return ::geteuid() == 0; }

// Gives the file to the user nobody (root only).
void GiveToNobody(const QString& path)
{
    const struct passwd* nobody = ::getpwnam("nobody");
    QVERIFY(nobody);
    QVERIFY(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
}

LibraryResult<SnapshotInfo> Store(PanelLibrary& library, int minute)
{
    return library.StoreSnapshot(MakeBackup(31, 0x12, At(minute)), {"ana", SnapshotReason::Manual, {}, "1.08", TestNow()});
}

}  // namespace

class LibraryFilesTest : public QObject {
    Q_OBJECT
private slots:
    void foldersAndFilesArePrivateWhateverTheUmask();
    void aFolderThatWasThereIsLeftAsItIs_data();
    void aFolderThatWasThereIsLeftAsItIs();
    void plantedAndForeignFiles_data();
    void plantedAndForeignFiles();
    void aReadOnlySpellEndsWhenTheModeIsMended();
    void aFullDiskIsCalledFull_data();
    void aFullDiskIsCalledFull();

private:
    QTemporaryDir dir_;
    int files_ = 0;
};

void LibraryFilesTest::foldersAndFilesArePrivateWhateverTheUmask()
{
    const mode_t umaskBefore = ::umask(0);
    const auto restore = qScopeGuard([&] { ::umask(umaskBefore); });
    const QString path = dir_.filePath(QStringLiteral("made/by/us/library.sqlite"));
    auto opened = PanelLibrary::Open(*ParseLibraryLocation(path).location);
    QVERIFY2(opened.Ok(), qPrintable(opened.error));
    QVERIFY(Store(**opened.value, 1).Ok());
    for (const char* folder : {"made", "made/by", "made/by/us"}) QCOMPARE(Mode(dir_.filePath(folder)), 0700);
    for (const char* suffix : {"", "-wal", "-shm"}) QCOMPARE(Mode(path + suffix), 0600);
    QCOMPARE((*opened.value)->Notices(), QStringList());
}

void LibraryFilesTest::aFolderThatWasThereIsLeftAsItIs_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("notice");
    QTest::newRow("readable by others") << 0755 << "";
    QTest::newRow("writable by others") << 0777 << "may be changed by other users (mode 0777)";
    QTest::newRow("shared, sticky") << 01777 << "";
}

void LibraryFilesTest::aFolderThatWasThereIsLeftAsItIs()
{
    QFETCH(int, mode);
    QFETCH(QString, notice);
    const QString folder = dir_.filePath(QStringLiteral("there-%1").arg(++files_));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), static_cast<mode_t>(mode)) == 0);
    auto opened = PanelLibrary::Open(*ParseLibraryLocation(folder + "/library.sqlite").location);
    QVERIFY2(opened.Ok(), qPrintable(opened.error));
    QCOMPARE(Mode(folder), mode);
    const QString notices = (*opened.value)->Notices().join('\n');
    QVERIFY2(notice.isEmpty() ? notices.isEmpty() : notices.contains(notice), qPrintable(notices));
}

void LibraryFilesTest::plantedAndForeignFiles_data()
{
    QTest::addColumn<bool>("empty");     // a file put there, not a library made by the tool
    QTest::addColumn<QString>("which");  // the library, or a journal beside it
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("foreign");   // owned by the user nobody
    QTest::addColumn<QString>("outcome");  // the refusal, or the notice ("" for none)
    QTest::addColumn<int>("modeAfter");
    const QString madePrivate = QStringLiteral("could be read or written by other users (mode %1); it is now private to "
                                               "you (mode 0600)");
    QTest::newRow("an empty file open to all") << true << "" << 0666 << false << madePrivate.arg("0666") << 0600;
    QTest::newRow("a library its group may read") << false << "" << 0640 << false << madePrivate.arg("0640") << 0600;
    QTest::newRow("a journal others may read") << false << "-shm" << 0644 << false << madePrivate.arg("0644") << 0600;
    QTest::newRow("a journal left read-only") << false << "-shm" << 0400 << false << "" << 0600;
    QTest::newRow("another user's library") << false << "" << 0600 << true << "belongs to another user (nobody)" << 0600;
    QTest::newRow("another user's empty file open to all") << true << "" << 0666 << true << "belongs to another user"
                                                           << 0666;
    QTest::newRow("another user's log beside it") << false << "-wal" << 0600 << true << "-wal beside the library is not yours"
                                                  << 0600;
}

void LibraryFilesTest::plantedAndForeignFiles()
{
    QFETCH(bool, empty);
    QFETCH(QString, which);
    QFETCH(int, mode);
    QFETCH(bool, foreign);
    QFETCH(QString, outcome);
    QFETCH(int, modeAfter);
    if (foreign && !IsRoot()) QSKIP("giving a file to another user needs root (CI runs the tests as root)");
    const QString path = dir_.filePath(QStringLiteral("planted-%1/library.sqlite").arg(++files_));
    const LibraryLocation location = *ParseLibraryLocation(path).location;
    if (empty) {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else {
        auto made = PanelLibrary::Open(location);
        QVERIFY2(made.Ok() && Store(**made.value, 1).Ok(), qPrintable(made.error));
    }
    const QString planted = path + which;
    if (!QFile::exists(planted)) {
        QFile file(planted);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(::chmod(QFile::encodeName(planted).constData(), static_cast<mode_t>(mode)) == 0);
    if (foreign) GiveToNobody(planted);

    auto opened = PanelLibrary::Open(location);
    QCOMPARE(Mode(planted), modeAfter);
    if (foreign) {
        QVERIFY(!opened.Ok());
        QVERIFY2(opened.error.contains(outcome) && opened.error.contains("not used"), qPrintable(opened.error));
        return;
    }
    QVERIFY2(opened.Ok(), qPrintable(opened.error));
    const QString notices = (*opened.value)->Notices().join('\n');
    QVERIFY2(outcome.isEmpty() ? notices.isEmpty() : notices.contains(planted + " " + outcome), qPrintable(notices));
    const auto stored = Store(**opened.value, 2);
    QVERIFY2(stored.Ok(), qPrintable(stored.error));
    opened.value->reset();
    // Said once: the next opening has nothing to tell.
    QCOMPARE((*PanelLibrary::Open(location).value)->Notices(), QStringList());
}

// Each step runs in a process of its own, as the user nobody when the test
// runs as root; between steps the library's modes change as a user would
// change them.
void LibraryFilesTest::aReadOnlySpellEndsWhenTheModeIsMended()
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (IsRoot() && setpriv.isEmpty()) QSKIP("setpriv (util-linux) is needed to run a step as another user");
    QVERIFY(::chmod(QFile::encodeName(dir_.path()).constData(), 0711) == 0);
    const QString folder = dir_.filePath(QStringLiteral("spell"));
    QVERIFY(QDir().mkdir(folder));
    if (IsRoot()) GiveToNobody(folder);
    const QString path = folder + "/library.sqlite";

    struct Step {
        const char* change;  // what the user does first: "PATH MODE"
        const char* action;
        QStringList output;  // the lines it prints start with these
    };
    const std::vector<Step> steps{
        {"", "store", {"stored @1"}},
        {"library 0400", "list", {"panels 1", "not writable: the library cannot keep a snapshot"}},
        {"", "store", {"not stored: the snapshot of panel 31 was not stored"}},
        {"library 0600", "store", {"stored @2"}},
        {"folder 0500", "list", {"panels 1", "not writable: the library cannot keep a snapshot"}},
        {"folder 0700", "store", {"stored @3"}},
        // An empty file cannot become a library while it cannot be written.
        {"empty 0400", "list", {"not opened: the library"}},
    };
    for (const Step& step : steps) {
        const QStringList change = QString::fromLatin1(step.change).split(' ', Qt::SkipEmptyParts);
        const QString library = change.value(0) == "empty" ? folder + "/empty.sqlite" : path;
        if (change.value(0) == "empty") {
            QFile file(library);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (IsRoot()) GiveToNobody(library);
        }
        if (!change.isEmpty()) {
            const QString target = change[0] == "folder" ? folder : library;
            QVERIFY(::chmod(QFile::encodeName(target).constData(), static_cast<mode_t>(change[1].toInt(nullptr, 8))) == 0);
        }
        QProcess helper;
        const QStringList arguments{QStringLiteral(LIBRARY_USER_HELPER), QString::fromLatin1(step.action), library};
        if (IsRoot()) {
            helper.start(setpriv, QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups"} + arguments);
        } else {
            helper.start(arguments[0], arguments.mid(1));
        }
        QVERIFY(helper.waitForFinished(60000));
        const QStringList lines = QString::fromUtf8(helper.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        const QString said = QStringLiteral("after \"%1\", %2: %3%4")
                                 .arg(step.change, step.action, lines.join(" | "), QString::fromUtf8(helper.readAllStandardError()));
        QVERIFY2(lines.size() == step.output.size(), qPrintable(said));
        for (qsizetype i = 0; i < lines.size(); ++i) QVERIFY2(lines[i].startsWith(step.output[i]), qPrintable(said));
        if (QString::fromLatin1(step.change).startsWith("library 04")) {
            QVERIFY2(lines.last().contains("is read-only (mode 0400)"), qPrintable(said));
        }
        if (QString::fromLatin1(step.change).startsWith("empty")) {
            QVERIFY2(lines.last().contains("is empty and cannot be written"), qPrintable(said));
        }
        if (QString::fromLatin1(step.change).startsWith("folder 05")) {
            QVERIFY2(lines.last().contains("the folder " + folder + " of the library cannot be written"), qPrintable(said));
        }
    }
}

void LibraryFilesTest::aFullDiskIsCalledFull_data()
{
    QTest::addColumn<qint64>("left");  // bytes left free on the disk
    QTest::addColumn<bool>("openedBefore");  // filled up while the library is open
    QTest::newRow("no room at all") << qint64{0} << false;
    QTest::newRow("room for the file, not its shared memory") << qint64{32 * 1024} << false;
    QTest::newRow("filled up while open") << qint64{0} << true;
}

// A small memory disk, filled up: needs root and the right to mount.
void LibraryFilesTest::aFullDiskIsCalledFull()
{
    QFETCH(qint64, left);
    QFETCH(bool, openedBefore);
    if (!IsRoot()) QSKIP("mounting a small disk needs root (CI runs the tests as root)");
    const QString disk = dir_.filePath(QStringLiteral("disk-%1").arg(++files_));
    QVERIFY(QDir().mkdir(disk));
    const QByteArray where = QFile::encodeName(disk);
    if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=256k") != 0) {
        QSKIP(qPrintable(QStringLiteral("cannot mount a small disk here: %1").arg(std::strerror(errno))));
    }
    const auto unmount = qScopeGuard([&] { ::umount2(where.constData(), MNT_DETACH); });
    const LibraryLocation location = *ParseLibraryLocation(disk + "/library.sqlite").location;
    auto before = openedBefore ? PanelLibrary::Open(location) : LibraryResult<std::unique_ptr<PanelLibrary>>{};
    QVERIFY2(!openedBefore || before.Ok(), qPrintable(before.error));
    struct statvfs space {};
    QVERIFY(::statvfs(where.constData(), &space) == 0);
    const qint64 free = static_cast<qint64>(space.f_bavail) * static_cast<qint64>(space.f_frsize);
    {
        QFile filler(disk + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        filler.write(QByteArray(free - left, '\0'));
    }
    const QString error = openedBefore ? Store(**before.value, 1).error : PanelLibrary::Open(location).error;
    QVERIFY2(error.contains("disk") && error.contains("is full") && error.contains("free some space"), qPrintable(error));
}

QTEST_GUILESS_MAIN(LibraryFilesTest)
#include "library_files_test.moc"
