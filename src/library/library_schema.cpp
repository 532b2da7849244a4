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

// Brings the schema to this code's version in one transaction; the reason
// when it cannot (a newer schema, not a library, a failed step).
QString PrepareSchema(QSqlDatabase& db, SqlDialect dialect, const QString& where)
{
    const QStringList tables = db.tables();
    int version = 0;
    if (tables.contains(QStringLiteral("library_schema"))) {
        Statement read(db, QStringLiteral("SELECT version FROM library_schema"));
        if (!read.Ok() || !read.Query().next()) {
            return QStringLiteral("the library %1 has no readable schema version (%2); it was not changed")
                .arg(where, read.Error().text());
        }
        version = read.Query().value(0).toInt();
        if (version > kLibrarySchemaVersion) {
            return QStringLiteral("the library %1 was made by a newer version of this tool (schema %2; this tool "
                                  "knows %3): update the tool; the library was not changed")
                .arg(where)
                .arg(version)
                .arg(kLibrarySchemaVersion);
        }
        if (version == kLibrarySchemaVersion) return {};
    } else if (!tables.isEmpty()) {
        return QStringLiteral("%1 holds other tables and is not a panel library; it was not changed").arg(where);
    }

    const QString begin = dialect == SqlDialect::Sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
    if (Statement start(db, begin); !start.Ok()) {
        return QStringLiteral("cannot prepare the library %1: %2; %3").arg(where, start.Error().text(), Advice(start.Error(), dialect));
    }
    const auto rollBack = [&](const QSqlError& error) {
        Statement(db, QStringLiteral("ROLLBACK"));
        return QStringLiteral("cannot bring the library %1 up to date (schema %2 to %3): %4; %5; it was not changed")
            .arg(where)
            .arg(version)
            .arg(kLibrarySchemaVersion)
            .arg(error.text(), Advice(error, dialect));
    };
    // Another instance may have prepared it meanwhile.
    if (db.tables().contains(QStringLiteral("library_schema"))) {
        Statement read(db, QStringLiteral("SELECT version FROM library_schema"));
        if (read.Ok() && read.Query().next() && read.Query().value(0).toInt() >= kLibrarySchemaVersion) {
            Statement(db, QStringLiteral("ROLLBACK"));
            return {};
        }
    }
    for (int step = version + 1; step <= kLibrarySchemaVersion; ++step) {
        for (const QString& sql : SchemaStep(step, dialect)) {
            if (Statement statement(db, sql); !statement.Ok()) return rollBack(statement.Error());
        }
        if (step == 2) {
            Statement panels(db, QStringLiteral("SELECT serial, customer, address FROM panels"));
            if (!panels.Ok()) return rollBack(panels.Error());
            while (panels.Query().next()) {
                const quint32 serial = panels.Query().value(0).toUInt();
                Statement update(db, QStringLiteral("UPDATE panels SET search_text = ? WHERE serial = ?"),
                                 {PanelSearchText(serial, panels.Query().value(1).toString(),
                                                  panels.Query().value(2).toString()),
                                  static_cast<qint64>(serial)});
                if (!update.Ok()) return rollBack(update.Error());
            }
        }
    }
    if (Statement set(db, QStringLiteral("UPDATE library_schema SET version = ?"), {kLibrarySchemaVersion}); !set.Ok()) {
        return rollBack(set.Error());
    }
    if (Statement commit(db, QStringLiteral("COMMIT")); !commit.Ok()) return rollBack(commit.Error());
    return {};
}
