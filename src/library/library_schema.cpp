#include "library/library_schema.h"

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
