#include "library/library_sql.h"

#include <QLocale>
#include <QStorageInfo>

namespace {

// Below this much free space, a failing SQLite write is a full disk: its
// shared-memory file and its journal need room before anything is stored,
// and SQLite reports a failure to grow them as a plain I/O error.
constexpr qint64 kFullDiskBytes = 1 << 20;

enum SqliteCode { kBusy = kSqliteBusyCode, kLocked = 6, kReadOnly = 8, kIoError = 10, kCorrupt = 11, kFull = 13, kNotADatabase = 26 };

}  // namespace

Transaction::Transaction(const QSqlDatabase& db, SqlDialect dialect) : db_(db)
{
    QSqlQuery begin(db_);
    open_ = begin.exec(dialect == SqlDialect::Sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
    if (!open_) error_ = begin.lastError();
}

Transaction::~Transaction()
{
    if (open_) QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
    statements_.clear();
}

Statement& Transaction::Run(const QString& sql, const QVariantList& values)
{
    statements_.push_back(std::make_unique<Statement>(db_, sql, values));
    Statement& statement = *statements_.back();
    if (!statement.Ok() && error_.type() == QSqlError::NoError) error_ = statement.Error();
    return statement;
}

bool Transaction::Again(Statement& statement, const QVariantList& values)
{
    if (statement.Again(values)) return true;
    if (error_.type() == QSqlError::NoError) error_ = statement.Error();
    return false;
}

bool Transaction::Commit()
{
    QSqlQuery commit(db_);
    if (!commit.exec(QStringLiteral("COMMIT"))) {
        error_ = commit.lastError();
        return false;  // rolled back by the destructor
    }
    open_ = false;
    return true;
}

int SqlitePrimaryCode(const QSqlError& error) { return error.nativeErrorCode().toInt() & 0xFF; }

bool IsNumberTaken(const QSqlError& error, SqlDialect dialect)
{
    const QString code = error.nativeErrorCode();
    // SQLITE_CONSTRAINT_PRIMARYKEY and _UNIQUE; PostgreSQL's unique_violation.
    return dialect == SqlDialect::Sqlite ? code == "1555" || code == "2067" : code == "23505";
}

QString Advice(const QSqlError& error, SqlDialect dialect, const QString& folder)
{
    const QString code = error.nativeErrorCode();
    if (dialect == SqlDialect::Sqlite) {
        const int primary = SqlitePrimaryCode(error);
        if (primary == kFull) return QStringLiteral("the disk is full; free some space and try again");
        if (primary == kIoError && !folder.isEmpty()) {
            const QStorageInfo disk(folder);
            if (disk.isValid() && disk.bytesAvailable() < kFullDiskBytes) {
                return QStringLiteral("the disk that holds the library is full (%1 free); free some space and try again")
                    .arg(QLocale::c().formattedDataSize(disk.bytesAvailable()));
            }
        }
        if (primary == kBusy || primary == kLocked) return QStringLiteral("another program is writing to the library; try again");
        if (primary == kReadOnly) return QStringLiteral("the library file cannot be written; check its permissions");
        if (primary == kCorrupt || primary == kNotADatabase) {
            return QStringLiteral("the library file is damaged or is not a library; move it aside and restore it "
                                  "from a copy");
        }
        if (primary == kIoError) return QStringLiteral("the disk could not be read or written; check the disk and try again");
        return QStringLiteral("check the library file and try again");
    }
    if (error.type() == QSqlError::ConnectionError || code.startsWith("08") || code.startsWith("57P")) {
        return QStringLiteral("the team library's server cannot be reached; check the network and try again");
    }
    if (code == "42501") return QStringLiteral("your database user may not do this; ask the library's administrator");
    if (code == "53100") return QStringLiteral("the server's disk is full; ask the library's administrator");
    return QStringLiteral("try again; if it goes on, ask the library's administrator");
}
