#pragma once
// The library's tables, as numbered steps: a new library runs them all, an
// older one the steps past its version, in one transaction with the
// version's update. The few words where SQLite and PostgreSQL differ are
// chosen by dialect.

#include <QString>
#include <QStringList>

class QSqlDatabase;

enum class SqlDialect { Sqlite, Postgres };

// The schema this code writes; a library of a newer one is refused, an
// older one brought up to date in one transaction.
inline constexpr int kLibrarySchemaVersion = 2;

// The statements of step n (1 to kLibrarySchemaVersion) that SQL alone can do.
QStringList SchemaStep(int step, SqlDialect dialect);

// The search text of a panel: serial, customer and address, case-folded,
// so a search finds "João" as "joão" on either database.
QString PanelSearchText(quint32 serial, const QString& customer, const QString& address);

// Which library a schema is prepared for, as messages name it.
struct SchemaTarget {
    SqlDialect dialect = SqlDialect::Sqlite;
    QString where;          // the library, for messages
    QString folder;         // a SQLite library's folder, to tell a full disk
    bool readOnly = false;  // read as it is; a library to bring up to date is refused
};

// Brings the schema of the open database db to this code's version in one
// transaction; the reason when it cannot (a newer schema, not a library, a
// damaged schema table, a failed step), nothing when it is ready. Two
// programs preparing a new library at once both find it made: the second
// waits for the first's transaction and then reads the version again.
QString PrepareSchema(QSqlDatabase& db, const SchemaTarget& target);
