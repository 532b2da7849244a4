#pragma once
// What the library's code shares to speak SQL: one statement with its values
// bound, and a database error turned into what an installer can do about it.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

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
        ok_ = query_.prepare(sql);
        // A null text binds as NULL; the library's texts are never NULL.
        for (const QVariant& value : values) {
            const bool nullText = value.typeId() == QMetaType::QString && value.toString().isNull();
            query_.addBindValue(nullText ? QVariant(QStringLiteral("")) : value);
        }
        if (ok_) ok_ = query_.exec();
    }
    bool Ok() const { return ok_; }
    QSqlError Error() const { return query_.lastError(); }
    QSqlQuery& Query() { return query_; }

private:
    QSqlQuery query_;
    bool ok_ = false;
};

// What to do about a database error, in words an installer can act on.
QString Advice(const QSqlError& error, SqlDialect dialect);
