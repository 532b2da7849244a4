#include "library/library_schema.h"

#include <QSqlDatabase>

#include "library/library_sql.h"

QStringList SchemaStep(int step, SqlDialect dialect)
{
    const QString blob = dialect == SqlDialect::Sqlite ? QStringLiteral("BLOB") : QStringLiteral("BYTEA");
    switch (step) {
    case 1:
        // Times are ISO 8601 in UTC with milliseconds: they sort as text.
        return {
            QStringLiteral("CREATE TABLE library_schema (version INTEGER NOT NULL)"),
            QStringLiteral("CREATE TABLE panels ("
                           " serial BIGINT PRIMARY KEY,"
                           " model INTEGER NOT NULL,"
                           " version INTEGER NOT NULL,"
                           " first_seen TEXT NOT NULL,"
                           " last_seen TEXT NOT NULL,"
                           " customer TEXT NOT NULL DEFAULT '',"
                           " address TEXT NOT NULL DEFAULT '',"
                           " notes TEXT NOT NULL DEFAULT '')"),
            QStringLiteral("CREATE TABLE snapshots ("
                           " serial BIGINT NOT NULL REFERENCES panels (serial),"
                           " number INTEGER NOT NULL,"
                           " taken TEXT NOT NULL,"
                           " tool_version TEXT NOT NULL,"
                           " panel_model INTEGER NOT NULL,"
                           " panel_version INTEGER NOT NULL,"
                           " taken_by TEXT NOT NULL,"
                           " reason TEXT NOT NULL,"
                           " note TEXT NOT NULL,"
                           " has_rf INTEGER NOT NULL,"
                           " content %1 NOT NULL,"
                           " PRIMARY KEY (serial, number))")
                .arg(blob),
            QStringLiteral("INSERT INTO library_schema (version) VALUES (1)"),
        };
    case 2:
        // Search by any part of serial, customer or address, in any case;
        // the list shows the panels met last first. The column is filled
        // for existing panels by the code that runs this step.
        return {
            QStringLiteral("ALTER TABLE panels ADD COLUMN search_text TEXT NOT NULL DEFAULT ''"),
            QStringLiteral("CREATE INDEX panels_by_last_seen ON panels (last_seen)"),
        };
    default:
        return {};
    }
}

QString PanelSearchText(quint32 serial, const QString& customer, const QString& address)
{
    return QStringLiteral("%1\n%2\n%3").arg(serial).arg(customer, address).toCaseFolded();
}

namespace {

// Held by the transaction that prepares a PostgreSQL library, so that two
// programs making a new library at once do not both create its tables (the
// second would fail on PostgreSQL's own catalogue of type names). Any number
// of this tool's own will do.
constexpr qint64 kSchemaLockKey = 0x51564C53;

// What the database holds: a library of some schema version, nothing yet
// (version 0), or the reason it is neither.
struct SchemaState {
    int version = 0;
    QString problem;
};

SchemaState ReadSchemaState(QSqlDatabase& db, const SchemaTarget& target)
{
    const auto failed = [&](const QString& what, const QSqlError& error) {
        return SchemaState{0, QStringLiteral("%1 %2: %3; %4")
                                  .arg(what, target.where, error.text(), Advice(error, target.dialect, target.folder))};
    };
    Statement tables(db, target.dialect == SqlDialect::Sqlite
                             ? QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"
                                              " AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'")
                             : QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = current_schema()"));
    if (!tables.Ok()) return failed(QStringLiteral("cannot read the library"), tables.Error());
    QStringList names;
    while (tables.Query().next()) names << tables.Query().value(0).toString();
    if (!names.contains(QStringLiteral("library_schema"))) {
        if (names.isEmpty()) return {};
        return {0, QStringLiteral("%1 holds other tables and is not a panel library; it was not changed").arg(target.where)};
    }
    Statement read(db, QStringLiteral("SELECT version FROM library_schema"));
    if (!read.Ok()) return failed(QStringLiteral("cannot read the schema version of the library"), read.Error());
    if (!read.Query().next()) {
        return {0, QStringLiteral("the library %1 is damaged: its table of versions is empty, so it is not known which "
                                  "version of this tool made it; it was not changed: restore it from a copy, or choose "
                                  "another library")
                       .arg(target.where)};
    }
    const int version = read.Query().value(0).toInt();
    if (version > kLibrarySchemaVersion) {
        return {version, QStringLiteral("the library %1 was made by a newer version of this tool (schema %2; this tool "
                                        "knows %3): update the tool; the library was not changed")
                             .arg(target.where)
                             .arg(version)
                             .arg(kLibrarySchemaVersion)};
    }
    if (version < 1) {
        return {version, QStringLiteral("the library %1 is damaged: its table of versions says %2; it was not changed: "
                                        "restore it from a copy, or choose another library")
                             .arg(target.where, read.Query().value(0).toString())};
    }
    return {version, {}};
}

}  // namespace

QString PrepareSchema(QSqlDatabase& db, const SchemaTarget& target)
{
    SchemaState state = ReadSchemaState(db, target);
    if (!state.problem.isEmpty() || state.version == kLibrarySchemaVersion) return state.problem;
    if (target.readOnly) {
        return state.version == 0
                   ? QStringLiteral("the library %1 is empty and cannot be written, so it cannot be made a library: "
                                    "make it writable, or choose another library")
                         .arg(target.where)
                   : QStringLiteral("the library %1 was made by an older version of this tool and must be brought up "
                                    "to date (schema %2 to %3), but it cannot be written: make it writable and open it "
                                    "again; it was not changed")
                         .arg(target.where)
                         .arg(state.version)
                         .arg(kLibrarySchemaVersion);
    }

    Transaction transaction(db, target.dialect);
    const auto failed = [&]() {
        const QSqlError error = transaction.Error();
        return QStringLiteral("cannot bring the library %1 up to date (schema %2 to %3): %4; %5; it was not changed")
            .arg(target.where)
            .arg(state.version)
            .arg(kLibrarySchemaVersion)
            .arg(error.text(), Advice(error, target.dialect, target.folder));
    };
    if (!transaction.Began()) return failed();
    if (target.dialect == SqlDialect::Postgres &&
        !transaction.Run(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSchemaLockKey)).Ok()) {
        return failed();
    }
    // Another program may have prepared it meanwhile: read again, holding the lock.
    state = ReadSchemaState(db, target);
    if (!state.problem.isEmpty() || state.version == kLibrarySchemaVersion) return state.problem;
    for (int step = state.version + 1; step <= kLibrarySchemaVersion; ++step) {
        for (const QString& sql : SchemaStep(step, target.dialect)) {
            if (!transaction.Run(sql).Ok()) return failed();
        }
        if (step == 2) {
            Statement& panels = transaction.Run(QStringLiteral("SELECT serial, customer, address FROM panels"));
            if (!panels.Ok()) return failed();
            Statement* update = nullptr;
            while (panels.Query().next()) {
                const quint32 serial = panels.Query().value(0).toUInt();
                const QVariantList values{PanelSearchText(serial, panels.Query().value(1).toString(),
                                                          panels.Query().value(2).toString()),
                                          static_cast<qint64>(serial)};
                if (update) {
                    if (!transaction.Again(*update, values)) return failed();
                    continue;
                }
                update = &transaction.Run(QStringLiteral("UPDATE panels SET search_text = ? WHERE serial = ?"), values);
                if (!update->Ok()) return failed();
            }
        }
    }
    if (!transaction.Run(QStringLiteral("UPDATE library_schema SET version = ?"), {kLibrarySchemaVersion}).Ok() ||
        !transaction.Commit()) {
        return failed();
    }
    return {};
}
