#pragma once
// A library file that refuses every new snapshot from now on, as a full
// disk or a broken database would: what each front-end does when keeping
// the panel fails after it was read.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// False when the library at path (SQLite, opened once already) could not be changed.
inline bool RefuseNewSnapshots(const QString& path)
{
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("refusing"));
        db.setDatabaseName(path);
        done = db.open() && QSqlQuery(db).exec(QStringLiteral(
                                "CREATE TRIGGER refuse BEFORE INSERT ON snapshots BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("refusing"));
    return done;
}
