#include "library/library_location.h"

#include <QDir>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

LocationParse ParseLibraryLocation(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return {std::nullopt, QStringLiteral("no library given")};
    if (!trimmed.startsWith(QLatin1String("postgresql://")) && !trimmed.startsWith(QLatin1String("postgres://"))) {
        LibraryLocation location;
        location.sqlitePath = trimmed;
        location.text = trimmed;
        return {location, {}};
    }
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid()) {
        return {std::nullopt, QStringLiteral("%1 is not a PostgreSQL URL (%2)").arg(trimmed, url.errorString())};
    }
    if (!url.password().isEmpty()) {
        return {std::nullopt, QStringLiteral("the library's URL carries a password; put it in ~/.pgpass (or the file "
                                             "PGPASSFILE names) instead")};
    }
    LibraryLocation location;
    location.kind = LibraryLocation::Kind::Postgres;
    location.host = url.host();
    location.port = url.port(-1);
    location.database = url.path().mid(1);
    location.user = url.userName();
    QStringList options;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("password")) {
            return {std::nullopt, QStringLiteral("the library's URL carries a password; put it in ~/.pgpass (or the "
                                                 "file PGPASSFILE names) instead")};
        }
        options << key + QLatin1Char('=') + value;
    }
    location.options = options.join(QLatin1Char(';'));
    location.text = trimmed;
    return {location, {}};
}

LibraryLocation DefaultLibraryLocation()
{
    LibraryLocation location;
    // One library for the window and the command-line tool, whatever each
    // program calls itself: the data folder's "quorvel".
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    location.sqlitePath = QDir(folder).filePath(QStringLiteral("quorvel/library.sqlite"));
    location.text = location.sqlitePath;
    return location;
}

LocationParse ChooseLibraryLocation(const QString& option)
{
    if (!option.isEmpty()) return ParseLibraryLocation(option);
    const QString environment = qEnvironmentVariable(kLibraryEnvironmentVariable);
    if (!environment.isEmpty()) return ParseLibraryLocation(environment);
    return {DefaultLibraryLocation(), {}};
}

QSqlDatabase AddLibraryConnection(const LibraryLocation& location, const QString& connectionName)
{
    const bool sqlite = location.kind == LibraryLocation::Kind::Sqlite;
    QSqlDatabase db = QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), connectionName);
    if (!db.isValid()) return db;
    if (sqlite) {
        db.setDatabaseName(location.sqlitePath);
    } else {
        db.setHostName(location.host);
        if (location.port > 0) db.setPort(location.port);
        db.setDatabaseName(location.database);
        db.setUserName(location.user);
        db.setConnectOptions(location.options);
    }
    return db;
}
