#pragma once
// A SQLite library's file on disk, made ready before the database opens it.
//
// Its folder, when this tool makes it, is private (0700) whatever the umask.
// A new file is made once: two programs opening a new library at once both
// use the one that was made. A file (or a journal beside it) that another
// user owns is refused: what goes into it would be theirs to read, and what
// this tool leaves beside it would lock them out. A file that others may
// read or write is made private (0600) before any panel data goes in, and
// the caller is told once. A library that cannot be written (its mode, its
// folder, a read-only disk) is opened to be read, and becomes writable again
// as soon as its mode is: journals left read-only by a read-only spell are
// given back the library's mode.

#include <QString>
#include <QStringList>

struct SqliteLibraryFile {
    QString problem;       // why it cannot be used; nothing else holds then
    QString readOnly;      // why it cannot be written; empty when it can
    bool immutable = false;  // read-only, with no journal to read or make: opened as a fixed file
    QStringList notices;   // what was changed, or should be, to keep it private
};

SqliteLibraryFile PrepareSqliteLibraryFile(const QString& path);

// The database name to give the SQLite driver to read the file without
// writing anything (with QSQLITE_OPEN_URI and QSQLITE_OPEN_READONLY).
QString SqliteReadOnlyName(const QString& path, bool immutable);
