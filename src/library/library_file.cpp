#include "library/library_file.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/files/safe_file.h"

namespace {

constexpr mode_t kPrivate = S_IRUSR | S_IWUSR;
constexpr mode_t kOthers = S_IRWXG | S_IRWXO;

// The files SQLite keeps beside a library: its write-ahead log, the memory
// it shares between programs, and the journal of a library not yet in WAL mode.
const char* const kJournals[] = {"-wal", "-shm", "-journal"};

QString SystemWords(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
QByteArray Native(const QString& path) { return QFile::encodeName(path); }
QString ModeText(mode_t mode) { return QStringLiteral("%1").arg(mode & 07777, 4, 8, QLatin1Char('0')); }

QString UserName(uid_t uid)
{
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[2048];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found) {
        return QString::fromLocal8Bit(found->pw_name);
    }
    return QStringLiteral("user id %1").arg(uid);
}

// Makes the folder, and those above it that are missing, private to this
// user; a folder another program made meanwhile counts as made. A folder
// that was there is left as it is, but a folder others may change is told:
// they could move the library away or put another in its place.
QString MakeFolder(const QString& folder, QStringList& notices)
{
    QStringList missing;
    QString at = folder;
    struct stat info {};
    while (::stat(Native(at).constData(), &info) != 0) {
        if (errno != ENOENT) return QStringLiteral("cannot reach the folder %1 of the library: %2").arg(at, SystemWords(errno));
        missing.prepend(at);
        at = QFileInfo(at).path();
    }
    if (!S_ISDIR(info.st_mode)) return QStringLiteral("cannot make the folder of the library: %1 is not a folder").arg(at);
    if (missing.isEmpty()) {
        if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0) {
            notices << QStringLiteral("the folder %1 of the library may be changed by other users (mode %2): they could "
                                      "move the library away; make it yours alone (chmod 700)")
                           .arg(folder, ModeText(info.st_mode));
        }
        return {};
    }
    for (const QString& one : missing) {
        if (::mkdir(Native(one).constData(), S_IRWXU) == 0) {
            // The umask may have taken some of the owner's rights.
            ::chmod(Native(one).constData(), S_IRWXU);
        } else if (errno != EEXIST) {
            return QStringLiteral("cannot create the folder %1 for the library: %2").arg(one, SystemWords(errno));
        }
    }
    return {};
}

// A file of this user's own that others may read or write is made private.
// Empty when it was done or not needed, else why not.
QString MakePrivate(const QString& path, mode_t& mode, const QString& what, QStringList& notices)
{
    if ((mode & kOthers) == 0) return {};
    const mode_t wanted = mode & kPrivate;
    if (::chmod(Native(path).constData(), wanted) != 0) {
        return QStringLiteral("%1 %2 may be read by other users (mode %3) and could not be made private: %4; it was "
                              "not used")
            .arg(what, path, ModeText(mode), SystemWords(errno));
    }
    notices << QStringLiteral("%1 %2 could be read or written by other users (mode %3); it is now private to you "
                              "(mode %4)")
                   .arg(what, path, ModeText(mode), ModeText(wanted));
    mode = wanted;
    return {};
}

QString SqliteHeaderProblem(const QString& path)
{
    OpenedFile opened = OpenRegularFileForReading(path.toStdString(), UINT64_MAX);
    if (!opened.file) return QStringLiteral("cannot open the library %1: %2").arg(path, QString::fromStdString(opened.error));
    // Empty: a new library, perhaps just made by another program.
    if (opened.size == 0) return {};
    char header[16] = {};
    if (opened.size < sizeof header || std::fread(header, 1, sizeof header, opened.file.get()) != sizeof header ||
        QByteArray(header, sizeof header) != QByteArray("SQLite format 3\0", 16)) {
        return QStringLiteral("the library %1 is damaged or is not a library; it was not changed: move it aside and "
                              "restore it from a copy, or choose another library")
            .arg(path);
    }
    return {};
}

}  // namespace

SqliteLibraryFile PrepareSqliteLibraryFile(const QString& path)
{
    SqliteLibraryFile file;
    const QString folder = QFileInfo(path).absolutePath();
    if (QString problem = MakeFolder(folder, file.notices); !problem.isEmpty()) {
        file.problem = problem;
        return file;
    }
    const QByteArray name = Native(path);
    const int made = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivate);
    if (made >= 0) {
        ::fchmod(made, kPrivate);  // whatever the umask left
        ::close(made);
        return file;
    }
    if (errno != EEXIST) {
        file.problem = QStringLiteral("cannot create the library %1: %2").arg(path, SystemWords(errno));
        return file;
    }

    // There already: made before, made by another program a moment ago, or put there.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        file.problem = QStringLiteral("cannot open the library %1: %2").arg(path, SystemWords(errno));
        return file;
    }
    const uid_t me = ::geteuid();
    if (S_ISREG(info.st_mode) && info.st_uid != me) {
        file.problem = QStringLiteral("the library %1 belongs to another user (%2); it was not used, so that nothing "
                                      "of yours goes into a file someone else controls: choose a library of your own")
                           .arg(path, UserName(info.st_uid));
        return file;
    }
    if (file.problem = SqliteHeaderProblem(path); !file.problem.isEmpty()) return file;
    mode_t mode = info.st_mode & 07777;
    if (file.problem = MakePrivate(path, mode, QStringLiteral("the library"), file.notices); !file.problem.isEmpty()) {
        return file;
    }

    const bool writable = ::access(name.constData(), W_OK) == 0;
    const int whyNot = errno;
    const bool folderWritable = ::access(Native(folder).constData(), W_OK | X_OK) == 0;
    bool logWithContent = false;
    for (const char* suffix : kJournals) {
        const QString journal = path + QLatin1String(suffix);
        struct stat journalInfo {};
        if (::lstat(Native(journal).constData(), &journalInfo) != 0) {
            if (errno == ENOENT) continue;
            file.problem = QStringLiteral("cannot check %1 beside the library: %2").arg(journal, SystemWords(errno));
            return file;
        }
        if (!S_ISREG(journalInfo.st_mode) || journalInfo.st_uid != me) {
            file.problem = QStringLiteral("the file %1 beside the library is not yours (or not a plain file), and SQLite "
                                          "would read it as part of the library; the library was not used: find out "
                                          "who made it before you move it aside")
                               .arg(journal);
            return file;
        }
        if (QLatin1String(suffix) == QLatin1String("-wal") && journalInfo.st_size > 0) logWithContent = true;
        mode_t journalMode = journalInfo.st_mode & 07777;
        file.problem = MakePrivate(journal, journalMode, QStringLiteral("the library's journal"), file.notices);
        if (!file.problem.isEmpty()) return file;
        // Left read-only by a read-only spell: writable again with the library.
        if (writable && (journalMode & kPrivate) != kPrivate && ::chmod(Native(journal).constData(), kPrivate) != 0) {
            file.problem = QStringLiteral("the library's journal %1 is read-only (mode %2) and could not be made "
                                          "writable again: %3")
                               .arg(journal, ModeText(journalMode), SystemWords(errno));
            return file;
        }
    }

    if (!writable) {
        file.readOnly = whyNot == EROFS
                            ? QStringLiteral("the disk that holds the library %1 is read-only").arg(path)
                            : QStringLiteral("the library file %1 is read-only (mode %2): make it writable (chmod u+w) "
                                             "to keep snapshots in it")
                                  .arg(path, ModeText(mode));
    } else if (!folderWritable) {
        file.readOnly = QStringLiteral("the folder %1 of the library cannot be written, and the library keeps its "
                                       "journal there: make it writable to keep snapshots in the library")
                            .arg(folder);
    }
    // With no log to read and none that could be made, nothing else writes
    // the library either: it is read as a fixed file.
    file.immutable = !file.readOnly.isEmpty() && !folderWritable && !logWithContent;
    return file;
}

QString SqliteReadOnlyName(const QString& path, bool immutable)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(immutable ? QStringLiteral("immutable=1") : QStringLiteral("mode=ro"));
    return url.toString(QUrl::FullyEncoded);
}
