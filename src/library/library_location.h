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
    // Postgres: the URL's parts. The options are the query's pairs, each
    // value quoted for libpq, so no value can start a keyword of its own.
    QString host;
    int port = -1;
    QString database;
    QString user;
    QString options;
    // For messages: a SQLite path, or the URL without its user and options
    // (postgresql://host:port/db), so nothing of a connection's secrets or
    // settings reaches a terminal or a box.
    QString text;
    // As given, to be given again (the window's field, its settings); it
    // holds no password, since a location with one is refused.
    QString given;
};

// The environment variable that names the library when no option does.
inline constexpr const char* kLibraryEnvironmentVariable = "QUORVEL_LIBRARY";

// The URL options the library passes to libpq; any other is refused, so a
// location cannot carry a password or change how the connection is made in
// ways the README does not describe.
inline constexpr const char* kLibraryUrlOptions[] = {
    "host", "hostaddr", "connect_timeout", "application_name", "sslmode", "sslrootcert", "sslcert", "sslkey",
    "sslcrl", "service", "passfile", "target_session_attrs",
};

struct LocationParse {
    std::optional<LibraryLocation> location;
    QString error;  // never repeats the location's user, password or options
};
// A postgresql:// or postgres:// URL, or else a SQLite file's path. A URL
// that carries a password, in any spelling, is refused: it would sit in
// shell histories and process lists.
LocationParse ParseLibraryLocation(const QString& text);

// The SQLite file in the user's data folder (~/.local/share/quorvel/).
LibraryLocation DefaultLibraryLocation();

// A database connection to the location, named, configured and not yet
// opened (invalid when Qt has no driver for it). Remove it by name after.
QSqlDatabase AddLibraryConnection(const LibraryLocation& location, const QString& connectionName);

// The option's value when given, else the environment's, else the default.
LocationParse ChooseLibraryLocation(const QString& option);

// Whether writing path would write over the library's own file (the file
// itself, through a link or a second name, or one of SQLite's side files).
bool WouldWriteOverLibrary(const LibraryLocation& location, const QString& path);
