#pragma once
// Where the panel library lives: a SQLite file on this PC (the default, in
// the user's data folder), or a team's PostgreSQL database named by a URL
// (postgresql://user@host:port/db?options). A password never travels in the
// URL: libpq finds it in ~/.pgpass, PGPASSFILE or a service file.

#include <QString>
#include <optional>

class QSqlDatabase;

struct LibraryLocation {
    enum class Kind { Sqlite, Postgres };
    Kind kind = Kind::Sqlite;
    QString sqlitePath;  // Sqlite
    // Postgres: the URL's parts; the query's key=value pairs are passed to
    // libpq as they are (host=/run/postgresql, sslmode=require, service=...).
    QString host;
    int port = -1;
    QString database;
    QString user;
    QString options;
    QString text;  // as given, for messages (a SQLite path or the URL)
};

// The environment variable that names the library when no option does.
inline constexpr const char* kLibraryEnvironmentVariable = "QUORVEL_LIBRARY";

struct LocationParse {
    std::optional<LibraryLocation> location;
    QString error;
};
// A postgresql:// or postgres:// URL, or else a SQLite file's path. A URL
// that carries a password is refused: it would sit in shell histories and
// process lists.
LocationParse ParseLibraryLocation(const QString& text);

// The SQLite file in the user's data folder (~/.local/share/quorvel/).
LibraryLocation DefaultLibraryLocation();

// A database connection to the location, named, configured and not yet
// opened (invalid when Qt has no driver for it). Remove it by name after.
QSqlDatabase AddLibraryConnection(const LibraryLocation& location, const QString& connectionName);

// The option's value when given, else the environment's, else the default.
LocationParse ChooseLibraryLocation(const QString& option);
