#include "library_backends.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <utility>

namespace {

constexpr const char* kPostgresVariable = "QUORVEL_TEST_POSTGRES_URL";

}  // namespace

bool LibraryBackends::HasPostgres() { return qEnvironmentVariableIsSet(kPostgresVariable); }

LibraryLocation LibraryBackends::Server()
{
    const LocationParse parse = ParseLibraryLocation(qEnvironmentVariable(kPostgresVariable));
    if (!parse.location) qFatal("%s", qPrintable(parse.error));
    return *parse.location;
}

QStringList LibraryBackends::Names() { return HasPostgres() ? QStringList{"sqlite", "postgres"} : QStringList{"sqlite"}; }

void LibraryBackends::AddRows()
{
    QTest::addColumn<QString>("backend");
    for (const QString& name : Names()) QTest::newRow(qPrintable(name)) << name;
}

LibraryLocation LibraryBackends::Fresh()
{
    QFETCH(QString, backend);
    if (backend == "sqlite") return *ParseLibraryLocation(Path(QStringLiteral("sub/library-%1.sqlite").arg(Next()))).location;
    const LibraryLocation server = Server();
    Raw(server, {"DROP TABLE IF EXISTS snapshots", "DROP TABLE IF EXISTS panels", "DROP TABLE IF EXISTS library_schema"});
    return server;
}

LibraryLocation LibraryBackends::NewDatabase()
{
    LibraryLocation location = Server();
    const QString name = QStringLiteral("quorvel_new_%1_%2").arg(QCoreApplication::applicationPid()).arg(Next());
    Raw(location, {"CREATE DATABASE " + name});
    databases_ << name;
    location.database = name;
    location.text = name;
    return location;
}

void LibraryBackends::DropDatabases()
{
    for (const QString& name : std::exchange(databases_, {})) Raw(Server(), {"DROP DATABASE IF EXISTS " + name + " WITH (FORCE)"});
}

void LibraryBackends::Raw(const LibraryLocation& location, const QStringList& statements)
{
    const QString name = QStringLiteral("raw");
    {
        QSqlDatabase db = AddLibraryConnection(location, name);
        // An announced server that does not answer fails here, loudly.
        QVERIFY2(db.open(), qPrintable(location.text + ": " + db.lastError().text()));
        for (const QString& sql : statements) {
            QSqlQuery query(db);
            QVERIFY2(query.exec(sql), qPrintable(sql + ": " + query.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(name);
}
