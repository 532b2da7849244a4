#include "library/library_sql.h"

QString Advice(const QSqlError& error, SqlDialect dialect)
{
    const QString code = error.nativeErrorCode();
    if (dialect == SqlDialect::Sqlite) {
        if (code == "5" || code == "6") return QStringLiteral("another program is writing to the library; try again");
        if (code == "8") return QStringLiteral("the library file cannot be written; check its permissions");
        if (code == "13") return QStringLiteral("the disk is full; free some space and try again");
        if (code == "11" || code == "26") {
            return QStringLiteral("the library file is damaged or is not a library; move it aside and restore it "
                                  "from a copy");
        }
        return QStringLiteral("check the library file and try again");
    }
    if (error.type() == QSqlError::ConnectionError || code.startsWith("08") || code.startsWith("57P")) {
        return QStringLiteral("the team library's server cannot be reached; check the network and try again");
    }
    if (code.startsWith("42501")) return QStringLiteral("your database user may not do this; ask the library's administrator");
    return QStringLiteral("try again; if it goes on, ask the library's administrator");
}
