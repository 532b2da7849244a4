#include "library/panel_library.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "core/files/safe_file.h"
#include "library/library_schema.h"
#include "library/library_sql.h"

namespace {

// How often a snapshot is tried again when another writer took its number.
constexpr int kStoreAttempts = 8;
constexpr int kSqliteBusyMs = 5000;

QAtomicInteger<int> connectionCounter;

QString TimeText(const QDateTime& time) { return time.toUTC().toString(Qt::ISODateWithMs); }
QDateTime TimeFrom(const QVariant& text) { return QDateTime::fromString(text.toString(), Qt::ISODateWithMs); }

SqlDialect DialectOf(const LibraryLocation& location)
{
    return location.kind == LibraryLocation::Kind::Sqlite ? SqlDialect::Sqlite : SqlDialect::Postgres;
}

template <typename T>
LibraryResult<T> Fail(const QString& message)
{
    return {std::nullopt, message};
}

PanelRecord PanelFrom(const QSqlQuery& query)
{
    PanelRecord panel;
    panel.serial = query.value(0).toUInt();
    panel.model = query.value(1).toInt();
    panel.version = query.value(2).toInt();
    panel.firstSeen = TimeFrom(query.value(3));
    panel.lastSeen = TimeFrom(query.value(4));
    panel.customer = query.value(5).toString();
    panel.address = query.value(6).toString();
    panel.notes = query.value(7).toString();
    panel.snapshots = query.value(8).toInt();
    return panel;
}

const char* const kPanelColumns =
    "p.serial, p.model, p.version, p.first_seen, p.last_seen, p.customer, p.address, p.notes,"
    " (SELECT COUNT(*) FROM snapshots s WHERE s.serial = p.serial)";

}  // namespace

QString SnapshotReasonText(SnapshotReason reason)
{
    switch (reason) {
    case SnapshotReason::Manual: return QStringLiteral("manual");
    case SnapshotReason::BeforeRestore: return QStringLiteral("before restore");
    case SnapshotReason::BeforeFirmwareUpdate: return QStringLiteral("before firmware update");
    case SnapshotReason::Imported: return QStringLiteral("imported");
    }
    return {};
}

std::optional<QString> CheckInstallerFields(const InstallerFields& fields)
{
    const auto tooLong = [](const QString& what, const QString& text, int max) -> std::optional<QString> {
        if (text.size() <= max) return std::nullopt;
        return QStringLiteral("the %1 is %2 characters long; at most %3 are kept").arg(what).arg(text.size()).arg(max);
    };
    if (auto problem = tooLong(QStringLiteral("customer"), fields.customer, kMaxCustomerLength)) return problem;
    if (auto problem = tooLong(QStringLiteral("address"), fields.address, kMaxAddressLength)) return problem;
    return tooLong(QStringLiteral("notes"), fields.notes, kMaxNotesLength);
}

QString SystemUserName()
{
    const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    return user.isEmpty() ? QStringLiteral("unknown") : user;
}

PanelLibrary::PanelLibrary(LibraryLocation location, QString connection)
    : location_(std::move(location)), connection_(std::move(connection))
{
}

PanelLibrary::~PanelLibrary()
{
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

QString PanelLibrary::Failure(const QString& what, const QString& databaseWords) const
{
    return QStringLiteral("%1 (library %2): %3").arg(what, location_.text, databaseWords);
}

namespace {

// A SQLite library file: a regular file that is a database, or absent (then
// made, private, in a folder of its own).
QString PrepareSqliteFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        if (!QDir().mkpath(info.absolutePath())) {
            return QStringLiteral("cannot create the folder %1 for the library").arg(info.absolutePath());
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            return QStringLiteral("cannot create the library %1: %2").arg(path, file.errorString());
        }
        return {};
    }
    OpenedFile opened = OpenRegularFileForReading(path.toStdString(), UINT64_MAX);
    if (!opened.file) return QStringLiteral("cannot open the library %1: %2").arg(path, QString::fromStdString(opened.error));
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

LibraryResult<std::unique_ptr<PanelLibrary>> PanelLibrary::Open(const LibraryLocation& location)
{
    using Result = LibraryResult<std::unique_ptr<PanelLibrary>>;
    const SqlDialect dialect = DialectOf(location);
    const QString connection = QStringLiteral("quorvel-library-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    std::unique_ptr<PanelLibrary> library(new PanelLibrary(location, connection));

    if (dialect == SqlDialect::Sqlite) {
        if (const QString problem = PrepareSqliteFile(location.sqlitePath); !problem.isEmpty()) return Result{{}, problem};
    }
    QSqlDatabase db = AddLibraryConnection(location, connection);
    if (!db.isValid()) {
        return Result{{}, QStringLiteral("this installation has no %1 database driver; install the package %2")
                              .arg(dialect == SqlDialect::Sqlite ? "SQLite" : "PostgreSQL",
                                   dialect == SqlDialect::Sqlite ? "libqt6sql6-sqlite" : "libqt6sql6-psql")};
    }
    // Two instances writing at once wait for each other, within bounds.
    if (dialect == SqlDialect::Sqlite) db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kSqliteBusyMs));
    if (!db.open()) {
        const QSqlError error = db.lastError();
        return Result{{}, dialect == SqlDialect::Sqlite
                              ? QStringLiteral("cannot open the library %1: %2; %3")
                                    .arg(location.text, error.text(), Advice(error, dialect))
                              : QStringLiteral("cannot reach the team library %1: %2; check the URL, that the server "
                                               "runs, and your password in ~/.pgpass")
                                    .arg(location.text, error.databaseText().trimmed())};
    }
    if (dialect == SqlDialect::Sqlite) {
        // Readers do not wait for a writer, and a crash loses no committed snapshot.
        for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA foreign_keys=ON", "PRAGMA synchronous=FULL"}) {
            if (Statement statement(db, QString::fromLatin1(pragma)); !statement.Ok()) {
                return Result{{}, QStringLiteral("cannot open the library %1: %2; %3")
                                      .arg(location.text, statement.Error().text(), Advice(statement.Error(), dialect))};
            }
        }
    }
    if (const QString problem = PrepareSchema(db, dialect, location.text); !problem.isEmpty()) return Result{{}, problem};
    return Result{std::move(library), {}};
}

namespace {

// The panel as seen at that time: made, or brought up to date (never back in time).
bool UpsertPanel(QSqlDatabase& db, const Identification& panel, const QDateTime& when, QSqlError& error)
{
    const QString time = TimeText(when);
    Statement upsert(
        db,
        QStringLiteral("INSERT INTO panels (serial, model, version, first_seen, last_seen, search_text)"
                       " VALUES (?, ?, ?, ?, ?, ?)"
                       " ON CONFLICT (serial) DO UPDATE SET"
                       " model = CASE WHEN excluded.last_seen >= panels.last_seen THEN excluded.model ELSE panels.model END,"
                       " version = CASE WHEN excluded.last_seen >= panels.last_seen THEN excluded.version ELSE panels.version END,"
                       " first_seen = CASE WHEN excluded.first_seen < panels.first_seen THEN excluded.first_seen ELSE panels.first_seen END,"
                       " last_seen = CASE WHEN excluded.last_seen > panels.last_seen THEN excluded.last_seen ELSE panels.last_seen END"),
        {static_cast<qint64>(panel.serial), panel.model, panel.version, time, time,
         PanelSearchText(panel.serial, QString(), QString())});
    if (!upsert.Ok()) error = upsert.Error();
    return upsert.Ok();
}

}  // namespace

LibraryResult<Done> PanelLibrary::RecordSeen(const Identification& panel, const QDateTime& when)
{
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QSqlError error;
    if (!UpsertPanel(db, panel, when, error)) {
        return Fail<Done>(Failure(QStringLiteral("cannot record panel %1").arg(panel.serial),
                                  error.text() + QStringLiteral("; ") + Advice(error, DialectOf(location_))));
    }
    return {Done{}, {}};
}

LibraryResult<SnapshotInfo> PanelLibrary::StoreSnapshot(const PanelBackup& backup, const SnapshotMeta& meta)
{
    const SqlDialect dialect = DialectOf(location_);
    QSqlDatabase db = QSqlDatabase::database(connection_);
    const QByteArray content = BackupToJson(backup, BackupStyle::Compact);
    SnapshotInfo info{backup.panel.serial, 0,           backup.taken,           meta.toolVersion,  backup.panel.model,
                      backup.panel.version, meta.takenBy, SnapshotReasonText(meta.reason), meta.note, backup.rf.has_value()};
    QSqlError error;
    for (int attempt = 0; attempt < kStoreAttempts; ++attempt) {
        // A lost connection is not tried again within this store: what the
        // server held of it was rolled back, and the caller is told.
        if (!db.isOpen()) break;
        const QString begin = dialect == SqlDialect::Sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
        if (Statement start(db, begin); !start.Ok()) {
            error = start.Error();
            continue;
        }
        const auto abandon = [&](const QSqlError& why) {
            error = why;
            Statement(db, QStringLiteral("ROLLBACK"));
        };
        if (!UpsertPanel(db, backup.panel, backup.taken, error)) {
            abandon(error);
            continue;
        }
        Statement next(db, QStringLiteral("SELECT COALESCE(MAX(number), 0) + 1 FROM snapshots WHERE serial = ?"),
                       {static_cast<qint64>(backup.panel.serial)});
        if (!next.Ok() || !next.Query().next()) {
            abandon(next.Error());
            continue;
        }
        info.number = next.Query().value(0).toInt();
        next.Query().finish();
        // A writer that took the same number first makes this insert fail;
        // the next attempt takes the number after it.
        Statement insert(db,
                         QStringLiteral("INSERT INTO snapshots (serial, number, taken, tool_version, panel_model,"
                                        " panel_version, taken_by, reason, note, has_rf, content)"
                                        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                         {static_cast<qint64>(info.serial), info.number, TimeText(info.taken), info.toolVersion,
                          info.panelModel, info.panelVersion, info.takenBy, info.reason, info.note, info.hasRf ? 1 : 0,
                          content});
        if (!insert.Ok()) {
            abandon(insert.Error());
            continue;
        }
        if (Statement commit(db, QStringLiteral("COMMIT")); !commit.Ok()) {
            abandon(commit.Error());
            continue;
        }
        return {info, {}};
    }
    const QString what = QStringLiteral("the snapshot of panel %1 was not stored").arg(backup.panel.serial);
    if (!db.isOpen()) {
        return Fail<SnapshotInfo>(Failure(what, QStringLiteral("the connection to the library was lost (%1); the team "
                                                               "library's server cannot be reached: check the network "
                                                               "and save again")
                                                    .arg(error.text().trimmed())));
    }
    return Fail<SnapshotInfo>(Failure(what, error.text() + QStringLiteral("; ") + Advice(error, dialect)));
}

LibraryResult<std::vector<PanelRecord>> PanelLibrary::Panels(const QString& search)
{
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QString sql = QStringLiteral("SELECT %1 FROM panels p").arg(QLatin1String(kPanelColumns));
    QVariantList values;
    if (!search.trimmed().isEmpty()) {
        // The search text is matched as it is: % and _ mean themselves.
        QString pattern = search.trimmed().toCaseFolded();
        pattern.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('%'), QLatin1String("\\%"))
            .replace(QLatin1Char('_'), QLatin1String("\\_"));
        sql += QStringLiteral(" WHERE p.search_text LIKE ? ESCAPE '\\'");
        values << QStringLiteral("%%1%").arg(pattern);
    }
    sql += QStringLiteral(" ORDER BY p.last_seen DESC, p.serial");
    Statement select(db, sql, values);
    if (!select.Ok()) {
        return Fail<std::vector<PanelRecord>>(Failure(QStringLiteral("cannot list the panels"), select.Error().text()));
    }
    std::vector<PanelRecord> panels;
    while (select.Query().next()) panels.push_back(PanelFrom(select.Query()));
    return {std::move(panels), {}};
}

LibraryResult<std::optional<PanelRecord>> PanelLibrary::Panel(quint32 serial)
{
    QSqlDatabase db = QSqlDatabase::database(connection_);
    Statement select(db, QStringLiteral("SELECT %1 FROM panels p WHERE p.serial = ?").arg(QLatin1String(kPanelColumns)),
                     {static_cast<qint64>(serial)});
    if (!select.Ok()) {
        return Fail<std::optional<PanelRecord>>(
            Failure(QStringLiteral("cannot read panel %1").arg(serial), select.Error().text()));
    }
    if (!select.Query().next()) return {std::optional<PanelRecord>{}, {}};
    return {PanelFrom(select.Query()), {}};
}

LibraryResult<Done> PanelLibrary::CheckWritable()
{
    const SqlDialect dialect = DialectOf(location_);
    QSqlDatabase db = QSqlDatabase::database(connection_);
    if (dialect == SqlDialect::Sqlite) {
        // Taking the write lock is what a store does first; nothing is written.
        Statement begin(db, QStringLiteral("BEGIN IMMEDIATE"));
        if (!begin.Ok()) {
            return Fail<Done>(Failure(QStringLiteral("the library cannot keep a snapshot"),
                                      begin.Error().text() + QStringLiteral("; ") + Advice(begin.Error(), dialect)));
        }
        Statement(db, QStringLiteral("ROLLBACK"));
        return {Done{}, {}};
    }
    Statement rights(db, QStringLiteral("SELECT has_table_privilege('snapshots', 'INSERT')"
                                        " AND has_table_privilege('panels', 'INSERT')"
                                        " AND has_table_privilege('panels', 'UPDATE')"));
    if (!rights.Ok() || !rights.Query().next()) {
        return Fail<Done>(Failure(QStringLiteral("the library cannot keep a snapshot"),
                                  rights.Error().text() + QStringLiteral("; ") + Advice(rights.Error(), dialect)));
    }
    if (!rights.Query().value(0).toBool()) {
        return Fail<Done>(Failure(QStringLiteral("the library cannot keep a snapshot"),
                                  QStringLiteral("your database user may not add snapshots; ask the library's "
                                                 "administrator")));
    }
    return {Done{}, {}};
}

LibraryResult<Done> PanelLibrary::SetInstallerFields(quint32 serial, const InstallerFields& fields)
{
    if (const auto problem = CheckInstallerFields(fields)) {
        return Fail<Done>(QStringLiteral("the fields of panel %1 were not saved: %2").arg(serial).arg(*problem));
    }
    QSqlDatabase db = QSqlDatabase::database(connection_);
    Statement update(db,
                     QStringLiteral("UPDATE panels SET customer = ?, address = ?, notes = ?, search_text = ? WHERE serial = ?"),
                     {fields.customer, fields.address, fields.notes, PanelSearchText(serial, fields.customer, fields.address),
                      static_cast<qint64>(serial)});
    if (!update.Ok()) {
        return Fail<Done>(Failure(QStringLiteral("cannot save the fields of panel %1").arg(serial),
                                  update.Error().text() + QStringLiteral("; ") +
                                      Advice(update.Error(), DialectOf(location_))));
    }
    if (update.Query().numRowsAffected() == 0) {
        return Fail<Done>(QStringLiteral("panel %1 is not in the library %2").arg(serial).arg(location_.text));
    }
    return {Done{}, {}};
}

LibraryResult<std::vector<SnapshotInfo>> PanelLibrary::History(quint32 serial)
{
    QSqlDatabase db = QSqlDatabase::database(connection_);
    Statement select(db,
                     QStringLiteral("SELECT number, taken, tool_version, panel_model, panel_version, taken_by, reason, note,"
                                    " has_rf FROM snapshots WHERE serial = ? ORDER BY number"),
                     {static_cast<qint64>(serial)});
    if (!select.Ok()) {
        return Fail<std::vector<SnapshotInfo>>(
            Failure(QStringLiteral("cannot read the history of panel %1").arg(serial), select.Error().text()));
    }
    std::vector<SnapshotInfo> history;
    QSqlQuery& query = select.Query();
    while (query.next()) {
        history.push_back({serial, query.value(0).toInt(), TimeFrom(query.value(1)), query.value(2).toString(),
                           query.value(3).toInt(), query.value(4).toInt(), query.value(5).toString(),
                           query.value(6).toString(), query.value(7).toString(), query.value(8).toInt() != 0});
    }
    return {std::move(history), {}};
}

LibraryResult<PanelBackup> PanelLibrary::Snapshot(quint32 serial, int number)
{
    QSqlDatabase db = QSqlDatabase::database(connection_);
    Statement select(db,
                     number > 0 ? QStringLiteral("SELECT number, content FROM snapshots WHERE serial = ? AND number = ?")
                                : QStringLiteral("SELECT number, content FROM snapshots WHERE serial = ?"
                                                 " ORDER BY number DESC LIMIT 1"),
                     number > 0 ? QVariantList{static_cast<qint64>(serial), number}
                                : QVariantList{static_cast<qint64>(serial)});
    const QString name = number > 0 ? QStringLiteral("%1@%2").arg(serial).arg(number) : QString::number(serial);
    if (!select.Ok()) {
        return Fail<PanelBackup>(Failure(QStringLiteral("cannot read snapshot %1").arg(name), select.Error().text()));
    }
    if (!select.Query().next()) {
        return Fail<PanelBackup>(QStringLiteral("the library %1 holds no snapshot %2").arg(location_.text, name));
    }
    const BackupParse parse = BackupFromJson(select.Query().value(1).toByteArray());
    if (!parse.backup) {
        return Fail<PanelBackup>(QStringLiteral("snapshot %1@%2 in the library %3 is damaged: %4")
                                     .arg(serial)
                                     .arg(select.Query().value(0).toInt())
                                     .arg(location_.text, parse.error));
    }
    return {*parse.backup, {}};
}
