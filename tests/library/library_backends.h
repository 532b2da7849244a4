#pragma once
// The databases the library's tests run on: SQLite always and, when the
// suite is told of one (QUORVEL_TEST_POSTGRES_URL), a real PostgreSQL
// server. A server that was announced and does not answer fails the test;
// it is never skipped.

#include <QStringList>
#include <QTemporaryDir>

#include "library/library_location.h"

class LibraryBackends {
public:
    ~LibraryBackends() { DropDatabases(); }

    static bool HasPostgres();
    static LibraryLocation Server();
    // The backends at hand, as a column "backend" of the current test's data.
    static QStringList Names();
    static void AddRows();

    // A fresh, empty library of the current row's backend.
    LibraryLocation Fresh();
    // A new database of its own on the server (dropped by DropDatabases()).
    LibraryLocation NewDatabase();
    void DropDatabases();
    // Runs SQL on a library's database outside the library code.
    static void Raw(const LibraryLocation& location, const QStringList& statements);

    QString Path(const QString& name) const { return dir_.filePath(name); }
    int Next() { return ++files_; }

private:
    QTemporaryDir dir_;
    int files_ = 0;
    QStringList databases_;
};
