#pragma once
// What the library's code shares to speak SQL: one statement with its values
// bound, a transaction that owns its statements, and a database error turned
// into what an installer can do about it.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <vector>

#include "library/library_schema.h"

// One statement with its values bound in order; the error is kept.
class Statement {
public:
    Statement(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) : query_(db)
    {
        // PostgreSQL prepares only queries: a statement without values
        // (BEGIN, CREATE TABLE) runs as it is.
        if (values.isEmpty()) {
            ok_ = query_.exec(sql);
            return;
        }
        ok_ = query_.prepare(sql) && Again(values);
    }
    // Runs the prepared statement again with other values.
    bool Again(const QVariantList& values)
    {
        // A null text binds as NULL; the library's texts are never NULL.
        for (int i = 0; i < values.size(); ++i) {
            const QVariant& value = values[i];
            const bool nullText = value.typeId() == QMetaType::QString && value.toString().isNull();
            query_.bindValue(i, nullText ? QVariant(QStringLiteral("")) : value);
        }
        ok_ = query_.exec();
        return ok_;
    }
    bool Ok() const { return ok_; }
    QSqlError Error() const { return query_.lastError(); }
    QSqlQuery& Query() { return query_; }

private:
    QSqlQuery query_;
    bool ok_ = false;
};

// One transaction (SQLite: BEGIN IMMEDIATE, so the write lock is taken at
// once and a writer waits for another at the start, not halfway). Its
// statements live until it ends: PostgreSQL cannot release a prepared
// statement inside a failed transaction, and the driver would say so on
// standard error, so they are released after the rollback.
class Transaction {
public:
    Transaction(const QSqlDatabase& db, SqlDialect dialect);
    ~Transaction();  // rolls back unless committed
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool Began() const { return open_; }
    // Runs a statement in the transaction; its error, when it fails, is
    // also the transaction's.
    Statement& Run(const QString& sql, const QVariantList& values = {});
    // Runs a statement of this transaction again with other values.
    bool Again(Statement& statement, const QVariantList& values);
    bool Commit();
    QSqlError Error() const { return error_; }

private:
    QSqlDatabase db_;
    std::vector<std::unique_ptr<Statement>> statements_;
    bool open_ = false;
    QSqlError error_;
};

// The SQLite result code without its extended part (the driver reports
// extended codes: 1555 is a constraint, 4874 an I/O error).
int SqlitePrimaryCode(const QSqlError& error);
// SQLITE_BUSY: another connection holds the lock.
inline constexpr int kSqliteBusyCode = 5;

// Whether a snapshot's number was taken by another writer meanwhile: the
// one failure worth trying again.
bool IsNumberTaken(const QSqlError& error, SqlDialect dialect);

// What to do about a database error, in words an installer can act on.
// folder: a SQLite library's folder, to tell a full disk from another
// failure of it.
QString Advice(const QSqlError& error, SqlDialect dialect, const QString& folder = QString());
