#include "library/panel_library.h"

#include <QAtomicInteger>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include "library/library_file.h"
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

// Puts a SQLite library in write-ahead mode (a no-op once it is). A new
// library is switched by the first program to get it alone; programs
// switching the same new file at once can stand in each other's way, and
// SQLite then answers "locked" at once instead of waiting (both waiting
// would wait for ever): the one told so tries again, within the usual bound.
QSqlError UseWriteAheadLog(const QSqlDatabase& db)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        Statement wal(db, QStringLiteral("PRAGMA journal_mode=WAL"));
        if (wal.Ok()) return {};
        if (SqlitePrimaryCode(wal.Error()) != kSqliteBusyCode || waited.hasExpired(kSqliteBusyMs)) return wal.Error();
        QThread::msleep(static_cast<unsigned long>(QRandomGenerator::global()->bounded(5, 25)));
    }
}

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

QString PanelLibrary::Why(const QSqlError& error) const
{
    const bool sqlite = location_.kind == LibraryLocation::Kind::Sqlite;
    return error.text().trimmed() + QStringLiteral("; ") +
           Advice(error, DialectOf(location_), sqlite ? QFileInfo(location_.sqlitePath).absolutePath() : QString());
}

std::optional<QString> PanelLibrary::ReadOnlyProblem(const QString& what) const
{
    if (readOnly_.isEmpty()) return std::nullopt;
    return Failure(what, readOnly_);
}

LibraryResult<std::unique_ptr<PanelLibrary>> PanelLibrary::Open(const LibraryLocation& location)
{
    using Result = LibraryResult<std::unique_ptr<PanelLibrary>>;
    const SqlDialect dialect = DialectOf(location);
    const QString connection = QStringLiteral("quorvel-library-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    std::unique_ptr<PanelLibrary> library(new PanelLibrary(location, connection));

    SqliteLibraryFile file;
    if (dialect == SqlDialect::Sqlite) {
        file = PrepareSqliteLibraryFile(location.sqlitePath);
        if (!file.problem.isEmpty()) return Result{{}, file.problem};
        library->readOnly_ = file.readOnly;
        library->notices_ = file.notices;
    }
    QSqlDatabase db = AddLibraryConnection(location, connection);
    if (!db.isValid()) {
        return Result{{}, QStringLiteral("this installation has no %1 database driver; install the package %2")
                              .arg(dialect == SqlDialect::Sqlite ? "SQLite" : "PostgreSQL",
                                   dialect == SqlDialect::Sqlite ? "libqt6sql6-sqlite" : "libqt6sql6-psql")};
    }
    if (dialect == SqlDialect::Sqlite) {
        // Two instances writing at once wait for each other, within bounds.
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kSqliteBusyMs);
        // Read without writing anything, not even the journals beside it.
        if (!file.readOnly.isEmpty()) {
            db.setDatabaseName(SqliteReadOnlyName(location.sqlitePath, file.immutable));
            options += QStringLiteral(";QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");
        }
        db.setConnectOptions(options);
    }
    if (!db.open()) {
        const QSqlError error = db.lastError();
        return Result{{}, dialect == SqlDialect::Sqlite
                              ? QStringLiteral("cannot open the library %1: %2").arg(location.text, library->Why(error))
                              : QStringLiteral("cannot reach the team library %1: %2; check the URL, that the server "
                                               "runs, and your password in ~/.pgpass")
                                    .arg(location.text, error.databaseText().trimmed())};
    }
    // SQLite: readers do not wait for a writer, and a crash loses no
    // committed snapshot. PostgreSQL: the server's notices (a rollback with
    // nothing to roll back) would reach standard error through the driver;
    // the library reports its failures itself.
    QStringList settings;
    if (dialect == SqlDialect::Postgres) settings << QStringLiteral("SET client_min_messages TO error");
    if (dialect == SqlDialect::Sqlite) settings << QStringLiteral("PRAGMA foreign_keys=ON") << QStringLiteral("PRAGMA synchronous=FULL");
    for (const QString& setting : settings) {
        if (Statement statement(db, setting); !statement.Ok()) {
            return Result{{}, QStringLiteral("cannot open the library %1: %2").arg(location.text, library->Why(statement.Error()))};
        }
    }
    if (dialect == SqlDialect::Sqlite && file.readOnly.isEmpty()) {
        if (const QSqlError error = UseWriteAheadLog(db); error.type() != QSqlError::NoError) {
            return Result{{}, QStringLiteral("cannot open the library %1: %2").arg(location.text, library->Why(error))};
        }
    }
    const SchemaTarget target{dialect, location.text,
                              dialect == SqlDialect::Sqlite ? QFileInfo(location.sqlitePath).absolutePath() : QString(),
                              !file.readOnly.isEmpty()};
    if (const QString problem = PrepareSchema(db, target); !problem.isEmpty()) return Result{{}, problem};
    return Result{std::move(library), {}};
}

namespace {

enum class Sighting { Real, Imported };

// The panel as met at that time. A real sighting makes its record or brings
// it up to date (never back in time); an imported backup makes it when absent
// and otherwise only moves its first sighting back.
Statement& UpsertPanel(Transaction& transaction, const Identification& panel, const QDateTime& when, Sighting sighting)
{
    const QString update =
        sighting == Sighting::Real
            ? QStringLiteral("model = CASE WHEN excluded.last_seen >= panels.last_seen THEN excluded.model ELSE panels.model END,"
                             " version = CASE WHEN excluded.last_seen >= panels.last_seen THEN excluded.version ELSE panels.version END,"
                             " first_seen = CASE WHEN excluded.first_seen < panels.first_seen THEN excluded.first_seen ELSE panels.first_seen END,"
                             " last_seen = CASE WHEN excluded.last_seen > panels.last_seen THEN excluded.last_seen ELSE panels.last_seen END")
            : QStringLiteral("first_seen = CASE WHEN excluded.first_seen < panels.first_seen THEN excluded.first_seen ELSE panels.first_seen END");
    const QString time = TimeText(when);
    return transaction.Run(QStringLiteral("INSERT INTO panels (serial, model, version, first_seen, last_seen, search_text)"
                                          " VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (serial) DO UPDATE SET %1")
                               .arg(update),
                           {static_cast<qint64>(panel.serial), panel.model, panel.version, time, time,
                            PanelSearchText(panel.serial, QString(), QString())});
}

// Why a snapshot's time or texts cannot be kept, or nothing.
std::optional<QString> SnapshotProblem(const PanelBackup& backup, const SnapshotMeta& meta, const QDateTime& now)
{
    const QDateTime takenTime = TakenTime(backup);
    const QString taken = TimeText(takenTime);
    if (!takenTime.isValid() || takenTime < EarliestSnapshotTime()) {
        return QStringLiteral("its time (%1) is before %2: check the backup's time (\"taken\") and the clock of the "
                              "computer that took it")
            .arg(takenTime.isValid() ? taken : QStringLiteral("none"), TimeText(EarliestSnapshotTime()));
    }
    if (takenTime > now.addDays(1)) {
        return QStringLiteral("its time (%1) is more than a day after this computer's clock (%2): check the backup's "
                              "time (\"taken\") and the clocks of both computers")
            .arg(taken, TimeText(now));
    }
    if (meta.takenBy.size() > kMaxCustomerLength) {
        return QStringLiteral("the name of who took it is %1 characters long; at most %2 are kept")
            .arg(meta.takenBy.size())
            .arg(kMaxCustomerLength);
    }
    if (meta.note.size() > kMaxNotesLength) {
        return QStringLiteral("its note is %1 characters long; at most %2 are kept").arg(meta.note.size()).arg(kMaxNotesLength);
    }
    return std::nullopt;
}

}  // namespace

QDateTime EarliestSnapshotTime() { return QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC); }

LibraryResult<Done> PanelLibrary::RecordSeen(const Identification& panel, const QDateTime& when)
{
    const QString what = QStringLiteral("cannot record panel %1").arg(panel.serial);
    if (const auto problem = ReadOnlyProblem(what)) return Fail<Done>(*problem);
    Transaction transaction(QSqlDatabase::database(connection_), DialectOf(location_));
    if (!transaction.Began() || !UpsertPanel(transaction, panel, when, Sighting::Real).Ok() || !transaction.Commit()) {
        return Fail<Done>(Failure(what, Why(transaction.Error())));
    }
    return {Done{}, {}};
}

LibraryResult<SnapshotInfo> PanelLibrary::StoreSnapshot(const PanelBackup& backup, const SnapshotMeta& meta)
{
    const QString what = QStringLiteral("the snapshot of panel %1 was not stored").arg(backup.panel.serial);
    const QDateTime now = meta.now.isValid() ? meta.now.toUTC() : QDateTime::currentDateTimeUtc();
    if (const auto problem = SnapshotProblem(backup, meta, now)) return Fail<SnapshotInfo>(what + QStringLiteral(": ") + *problem);
    if (const auto problem = ReadOnlyProblem(what)) return Fail<SnapshotInfo>(*problem);
    const SqlDialect dialect = DialectOf(location_);
    QSqlDatabase db = QSqlDatabase::database(connection_);
    const QByteArray content = BackupToJson(backup, BackupStyle::Compact);
    SnapshotInfo info{backup.panel.serial, 0,           TakenTime(backup),           meta.toolVersion,  backup.panel.model,
                      backup.panel.version, meta.takenBy, SnapshotReasonText(meta.reason), meta.note, backup.rf.has_value()};
    const bool imported = meta.reason == SnapshotReason::Imported;
    // An imported backup that says it was taken ahead of the clock makes a
    // record no later than now, so that the panel's next real sighting is newer.
    const QDateTime seen = imported ? std::min(TakenTime(backup), now) : TakenTime(backup);
    QSqlError error;
    for (int attempt = 0; attempt < kStoreAttempts; ++attempt) {
        // A lost connection is not tried again within this store: what the
        // server held of it was rolled back, and the caller is told.
        if (!db.isOpen()) break;
        Transaction transaction(db, dialect);
        if (transaction.Began() &&
            UpsertPanel(transaction, backup.panel, seen, imported ? Sighting::Imported : Sighting::Real).Ok()) {
            Statement& next =
                transaction.Run(QStringLiteral("SELECT COALESCE(MAX(number), 0) + 1 FROM snapshots WHERE serial = ?"),
                                {static_cast<qint64>(backup.panel.serial)});
            if (next.Ok() && next.Query().next()) {
                info.number = next.Query().value(0).toInt();
                next.Query().finish();
                transaction.Run(QStringLiteral("INSERT INTO snapshots (serial, number, taken, tool_version, panel_model,"
                                               " panel_version, taken_by, reason, note, has_rf, content)"
                                               " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                                {static_cast<qint64>(info.serial), info.number, TimeText(info.taken), info.toolVersion,
                                 info.panelModel, info.panelVersion, info.takenBy, info.reason, info.note,
                                 info.hasRf ? 1 : 0, content});
                if (transaction.Error().type() == QSqlError::NoError && transaction.Commit()) return {info, {}};
            }
        }
        error = transaction.Error();
        // A writer that took the same number first makes the insert fail; the
        // next attempt takes the number after it. Nothing else is tried again:
        // a refusal (rights, a full disk) would only be said eight times.
        if (!IsNumberTaken(error, dialect)) break;
    }
    if (!db.isOpen()) {
        return Fail<SnapshotInfo>(Failure(what, QStringLiteral("the connection to the library was lost (%1); the team "
                                                               "library's server cannot be reached: check the network "
                                                               "and save again")
                                                    .arg(error.text().trimmed())));
    }
    return Fail<SnapshotInfo>(Failure(what, Why(error)));
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
    const QString what = QStringLiteral("the library cannot keep a snapshot");
    if (const auto problem = ReadOnlyProblem(what)) return Fail<Done>(*problem);
    const SqlDialect dialect = DialectOf(location_);
    QSqlDatabase db = QSqlDatabase::database(connection_);
    if (dialect == SqlDialect::Sqlite) {
        // Taking the write lock is what a store does first; nothing is written.
        const Transaction transaction(db, dialect);
        if (!transaction.Began()) return Fail<Done>(Failure(what, Why(transaction.Error())));
        return {Done{}, {}};
    }
    Statement rights(db, QStringLiteral("SELECT has_table_privilege('snapshots', 'INSERT')"
                                        " AND has_table_privilege('panels', 'INSERT')"
                                        " AND has_table_privilege('panels', 'UPDATE')"));
    if (!rights.Ok() || !rights.Query().next()) return Fail<Done>(Failure(what, Why(rights.Error())));
    if (!rights.Query().value(0).toBool()) {
        return Fail<Done>(Failure(what, QStringLiteral("your database user may not add snapshots; ask the library's "
                                                       "administrator")));
    }
    return {Done{}, {}};
}

LibraryResult<Done> PanelLibrary::SetInstallerFields(quint32 serial, const InstallerFields& fields)
{
    if (const auto problem = CheckInstallerFields(fields)) {
        return Fail<Done>(QStringLiteral("the fields of panel %1 were not saved: %2").arg(serial).arg(*problem));
    }
    const QString what = QStringLiteral("cannot save the fields of panel %1").arg(serial);
    if (const auto problem = ReadOnlyProblem(what)) return Fail<Done>(*problem);
    QSqlDatabase db = QSqlDatabase::database(connection_);
    Statement update(db,
                     QStringLiteral("UPDATE panels SET customer = ?, address = ?, notes = ?, search_text = ? WHERE serial = ?"),
                     {fields.customer, fields.address, fields.notes, PanelSearchText(serial, fields.customer, fields.address),
                      static_cast<qint64>(serial)});
    if (!update.Ok()) return Fail<Done>(Failure(what, Why(update.Error())));
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
                     number > 0 ? QStringLiteral("SELECT number, content, taken FROM snapshots WHERE serial = ? AND number = ?")
                                : QStringLiteral("SELECT number, content, taken FROM snapshots WHERE serial = ?"
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
    BackupParse parse = BackupFromJson(select.Query().value(1).toByteArray());
    if (!parse.backup) {
        return Fail<PanelBackup>(QStringLiteral("snapshot %1@%2 in the library %3 is damaged: %4")
                                     .arg(serial)
                                     .arg(select.Query().value(0).toInt())
                                     .arg(location_.text, parse.error));
    }
    // The stored time is in UTC; the content's own may have no zone (kept
    // by an older version), which would read as this computer's time.
    const QDateTime taken = TimeFrom(select.Query().value(2));
    if (taken.isValid()) parse.backup->takenMs = TakenMs(taken);
    return {std::move(*parse.backup), {}};
}
