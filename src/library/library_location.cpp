#include "library/library_location.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

#include "core/files/safe_file.h"

namespace {

LocationParse Refuse(const QString& why) { return {std::nullopt, why}; }

LocationParse RefusePassword()
{
    return Refuse(QStringLiteral("the library's URL carries a password; put it in ~/.pgpass (or the file PGPASSFILE "
                                 "names) instead"));
}

LocationParse Malformed(const QString& why)
{
    return Refuse(QStringLiteral("the library's URL is not a valid PostgreSQL URL: %1").arg(why));
}

// Whether the text, in any spelling (percent-encoded, any case), says
// "password": a location never needs the word, and one that holds it is
// most likely handing a password to the driver.
bool MentionsPassword(const QString& text)
{
    QString decoded = text;
    // Twice: %2570 decodes to %70, which decodes to p.
    for (int round = 0; round < 2; ++round) decoded = QUrl::fromPercentEncoding(decoded.toUtf8());
    return decoded.contains(QLatin1String("password"), Qt::CaseInsensitive) ||
           decoded.contains(QLatin1String("passwd"), Qt::CaseInsensitive);
}

// A value as libpq reads it between single quotes: a space, '=' or quote
// inside it stays part of the value.
QString QuotedForLibpq(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

bool HasControl(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) return true;
    }
    return false;
}

bool HasControlOrSpace(const QString& text)
{
    for (const QChar c : text) {
        if (c.isSpace()) return true;
    }
    return HasControl(text);
}

bool IsKnownOption(const QString& key)
{
    for (const char* known : kLibraryUrlOptions) {
        if (key == QLatin1String(known)) return true;
    }
    return false;
}

// The authority's own checks, done on the text as given so that no parser's
// message (which would quote the whole URL) is ever shown: a host in
// brackets must be closed, a port must be 1 to 65535.
std::optional<QString> AuthorityProblem(const QString& authority)
{
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    const QString hostAndPort = authority.mid(at + 1);
    QString portText;
    if (hostAndPort.startsWith(QLatin1Char('['))) {
        const qsizetype close = hostAndPort.indexOf(QLatin1Char(']'));
        if (close < 0) return QStringLiteral("its IPv6 address has no closing ]");
        const QString rest = hostAndPort.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':'))) return QStringLiteral("text follows its IPv6 address");
        portText = rest.mid(1);
        if (rest.isEmpty()) return std::nullopt;
    } else {
        const qsizetype colon = hostAndPort.indexOf(QLatin1Char(':'));
        if (colon < 0) return std::nullopt;
        portText = hostAndPort.mid(colon + 1);
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(portText).hasMatch() || portText.toInt() < 1 || portText.toInt() > 65535) {
        return QStringLiteral("its port is not a number from 1 to 65535");
    }
    return std::nullopt;
}

LocationParse ParsePostgresUrl(const QString& text, qsizetype schemeEnd)
{
    const qsizetype authorityStart = schemeEnd + 3;
    qsizetype authorityEnd = text.size();
    for (const QChar end : {QLatin1Char('/'), QLatin1Char('?'), QLatin1Char('#')}) {
        const qsizetype found = text.indexOf(end, authorityStart);
        if (found >= 0) authorityEnd = std::min(authorityEnd, found);
    }
    const QString authority = text.mid(authorityStart, authorityEnd - authorityStart);
    // The password first, before anything could echo the text.
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0 && authority.left(at).contains(QLatin1Char(':'))) return RefusePassword();
    if (MentionsPassword(text)) return RefusePassword();
    if (HasControlOrSpace(text)) return Malformed(QStringLiteral("it holds a space or a control character"));
    if (const auto problem = AuthorityProblem(authority)) return Malformed(*problem);
    if (text.indexOf(QLatin1Char('#')) >= 0) return Malformed(QStringLiteral("it holds a fragment (#)"));

    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) return Malformed(QStringLiteral("check its host, port and database name"));
    LibraryLocation location;
    location.kind = LibraryLocation::Kind::Postgres;
    location.host = url.host();
    location.port = url.port(-1);
    location.database = url.path(QUrl::FullyDecoded).mid(1);
    location.user = url.userName(QUrl::FullyDecoded);
    if (location.database.contains(QLatin1Char('/'))) return Malformed(QStringLiteral("its database name holds a /"));
    QStringList options;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (!IsKnownOption(key)) {
            // Its name is not repeated: it could be anything, a secret too.
            return Malformed(QStringLiteral("it holds an option the library does not pass on (it takes: %1)")
                                 .arg(QStringList(std::begin(kLibraryUrlOptions), std::end(kLibraryUrlOptions))
                                          .join(QStringLiteral(", "))));
        }
        // Qt's driver turns ';' into the separator between options.
        if (value.contains(QLatin1Char(';')) || HasControl(value)) {
            return Malformed(QStringLiteral("the value of the option \"%1\" holds a ; or a control character").arg(key));
        }
        options << key + QLatin1Char('=') + QuotedForLibpq(value);
    }
    location.options = options.join(QLatin1Char(';'));
    location.text = QStringLiteral("postgresql://%1%2/%3")
                        .arg(location.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + location.host + QLatin1Char(']')
                                                                      : location.host,
                             location.port > 0 ? QStringLiteral(":%1").arg(location.port) : QString(),
                             location.database);
    location.given = text;
    return {location, {}};
}

}  // namespace

LocationParse ParseLibraryLocation(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return Refuse(QStringLiteral("no library given"));
    // Anything that starts as a URL is one: a SQLite path never does, and a
    // mistyped scheme must not become a file of that name.
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://"));
    const QRegularExpressionMatch match = scheme.match(trimmed);
    if (!match.hasMatch()) {
        LibraryLocation location;
        location.sqlitePath = trimmed;
        location.text = trimmed;
        location.given = trimmed;
        return {location, {}};
    }
    const QString name = match.captured(1).toLower();
    if (name != QLatin1String("postgresql") && name != QLatin1String("postgres")) {
        if (MentionsPassword(trimmed)) return RefusePassword();
        return Refuse(QStringLiteral("the library's location starts with an unknown scheme \"%1://\"; give a file's "
                                     "path or a postgresql:// URL")
                          .arg(match.captured(1).left(20)));
    }
    return ParsePostgresUrl(trimmed, match.capturedLength(1));
}

LibraryLocation DefaultLibraryLocation()
{
    LibraryLocation location;
    // One library for the window and the command-line tool, whatever each
    // program calls itself: the data folder's "quorvel".
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    location.sqlitePath = QDir(folder).filePath(QStringLiteral("quorvel/library.sqlite"));
    location.text = location.sqlitePath;
    location.given = location.sqlitePath;
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

bool WouldWriteOverLibrary(const LibraryLocation& location, const QString& path)
{
    if (location.kind != LibraryLocation::Kind::Sqlite || path.isEmpty()) return false;
    const std::string target = path.toStdString();
    for (const char* side : {"", "-wal", "-shm", "-journal"}) {
        const QString file = location.sqlitePath + QLatin1String(side);
        if (IsSameFile(target, file.toStdString())) return true;
        // Neither may exist yet: the same name is still the same file.
        if (QFileInfo(path).absoluteFilePath() == QFileInfo(file).absoluteFilePath()) return true;
    }
    return false;
}
