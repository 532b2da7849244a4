// The panel library against SQLite and, when the suite is told of one
// (QUORVEL_TEST_POSTGRES_URL), against a real PostgreSQL server: one table
// of cases for both. A server that was announced and does not answer fails
// the test; it is never skipped.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "library/library_schema.h"
#include "library/panel_library.h"
#include "sample_backup.h"

namespace {

constexpr const char* kPostgresVariable = "QUORVEL_TEST_POSTGRES_URL";

SnapshotMeta Meta(SnapshotReason reason = SnapshotReason::Manual, const QString& note = {})
{
    return {QStringLiteral("ana"), reason, note, QStringLiteral("1.08"), TestNow()};
}

}  // namespace

class PanelLibraryTest : public QObject {
    Q_OBJECT
private slots:
    void locations_data();
    void locations();

    void storesHistoryAndFindsPanels_data() { Backends(); }
    void storesHistoryAndFindsPanels();
    void recordsPanelsSeenWithoutGoingBackInTime_data() { Backends(); }
    void recordsPanelsSeenWithoutGoingBackInTime();
    void refusesANewerSchemaAndWritesNothing_data() { Backends(); }
    void refusesANewerSchemaAndWritesNothing();
    void migratesAnOlderSchema_data() { Backends(); }
    void migratesAnOlderSchema();
    void concurrentWritersBothKeepTheirSnapshots_data() { Backends(); }
    void concurrentWritersBothKeepTheirSnapshots();
    void aServerGoneMidWriteStoresNothing();
    void aDamagedFileIsReportedAndNeverOverwritten();
    void aServerThatDoesNotAnswerIsNamed();
    void anEmptySchemaTableIsCalledDamaged_data() { Backends(); }
    void anEmptySchemaTableIsCalledDamaged();
    void manyProgramsOpenANewLibraryAtOnce_data() { Backends(); }
    void manyProgramsOpenANewLibraryAtOnce();
    void aRoleWithoutRightsIsToldOnceAndQuietly();
    void timesKeepTheirInstantInAnyZone_data() { Backends(); }
    void timesKeepTheirInstantInAnyZone();
    void snapshotTimesAndSightings_data();
    void snapshotTimesAndSightings();

private:
    void Backends();
    // A fresh, empty library of the row's kind.
    LibraryLocation Fresh();
    // Runs SQL on the library's database outside the library code.
    void Raw(const LibraryLocation& location, const QStringList& statements);
    // A new database of its own on the test server (dropped by cleanup()).
    LibraryLocation NewDatabase();

    void cleanup();

    QTemporaryDir dir_;
    int files_ = 0;
    QStringList databases_;
};

void PanelLibraryTest::Backends()
{
    QTest::addColumn<QString>("backend");
    QTest::newRow("sqlite") << "sqlite";
    if (qEnvironmentVariableIsSet(kPostgresVariable)) QTest::newRow("postgres") << "postgres";
}

LibraryLocation PanelLibraryTest::Fresh()
{
    QFETCH(QString, backend);
    if (backend == "sqlite") {
        return *ParseLibraryLocation(dir_.filePath(QStringLiteral("sub/library-%1.sqlite").arg(++files_))).location;
    }
    const LocationParse parse = ParseLibraryLocation(qEnvironmentVariable(kPostgresVariable));
    if (!parse.location) qFatal("%s", qPrintable(parse.error));
    Raw(*parse.location, {"DROP TABLE IF EXISTS snapshots", "DROP TABLE IF EXISTS panels",
                          "DROP TABLE IF EXISTS library_schema"});
    return *parse.location;
}

void PanelLibraryTest::Raw(const LibraryLocation& location, const QStringList& statements)
{
    const QString name = QStringLiteral("raw");
    {
        QSqlDatabase db = AddLibraryConnection(location, name);
        // An announced server that does not answer fails here, loudly.
        QVERIFY2(db.open(), qPrintable(location.text + ": " + db.lastError().text()));
        for (const QString& sql : statements) {
            QSqlQuery query(db);
            QVERIFY2(query.exec(sql), qPrintable(sql + ": " + query.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(name);
}

void PanelLibraryTest::locations_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");  // kind|host|port|database|user|options, or the error's start
    QTest::newRow("a file") << "/home/ana/panels.sqlite" << "sqlite|/home/ana/panels.sqlite";
    QTest::newRow("a server") << "postgresql://ana@db.example:5433/panels" << "postgres|db.example|5433|panels|ana|";
    QTest::newRow("a socket") << "postgres:///panels?host=/run/pg&sslmode=disable"
                              << "postgres||-1|panels||host=/run/pg;sslmode=disable";
    QTest::newRow("a password") << "postgresql://ana:secret@db/panels" << "the library's URL carries a password";
    QTest::newRow("a password option") << "postgresql://db/panels?password=x" << "the library's URL carries a password";
}

void PanelLibraryTest::locations()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const LocationParse parse = ParseLibraryLocation(text);
    if (!parse.location) {
        QVERIFY2(parse.error.startsWith(expected), qPrintable(parse.error));
        return;
    }
    const LibraryLocation& l = *parse.location;
    const QString got = l.kind == LibraryLocation::Kind::Sqlite
                            ? "sqlite|" + l.sqlitePath
                            : QStringLiteral("postgres|%1|%2|%3|%4|%5").arg(l.host).arg(l.port).arg(l.database, l.user, l.options);
    QCOMPARE(got, expected);
}

void PanelLibraryTest::storesHistoryAndFindsPanels()
{
    const LibraryLocation location = Fresh();
    auto opened = PanelLibrary::Open(location);
    QVERIFY2(opened.Ok(), qPrintable(opened.error));
    PanelLibrary& library = **opened.value;
    if (location.kind == LibraryLocation::Kind::Sqlite) {
        QCOMPARE(std::filesystem::status(location.sqlitePath.toStdString()).permissions(), std::filesystem::perms(0600));
    }

    PanelBackup first = MakeBackup(2024011501, 0x12, At(1));
    first.rf = RfSensorTable{{7, {0x00, 0x00, 0x2A, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x05, 0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF}}};
    const auto one = library.StoreSnapshot(first, Meta());
    QVERIFY2(one.Ok(), qPrintable(one.error));
    QCOMPARE(one.value->number, 1);
    const PanelBackup second = MakeBackup(2024011501, 0x13, At(2), 0x2D);
    QVERIFY(library.StoreSnapshot(second, Meta(SnapshotReason::BeforeRestore, "antes")).Ok());
    QVERIFY(library.StoreSnapshot(MakeBackup(777, 0x12, At(3)), Meta(SnapshotReason::Imported)).Ok());

    const auto history = library.History(2024011501);
    QVERIFY(history.Ok());
    QCOMPARE(history.value->size(), std::size_t{2});
    const SnapshotInfo& later = history.value->at(1);
    QCOMPARE(later.number, 2);
    QCOMPARE(later.reason, QStringLiteral("before restore"));
    QCOMPARE(later.note, QStringLiteral("antes"));
    QCOMPARE(later.takenBy, QStringLiteral("ana"));
    QCOMPARE(later.taken, At(2));
    QCOMPARE(later.panelModel, 51);
    QCOMPARE(later.panelVersion, 0x13);
    QVERIFY(history.value->at(0).hasRf && !later.hasRf);

    // A snapshot reads back as the backup it was made from.
    const auto back = library.Snapshot(2024011501, 1);
    QVERIFY2(back.Ok(), qPrintable(back.error));
    QCOMPARE(back.value->blocks, first.blocks);
    QCOMPARE(back.value->rf, first.rf);
    QCOMPARE(library.Snapshot(2024011501).value->blocks, second.blocks);
    QVERIFY(library.Snapshot(2024011501, 3).error.contains("holds no snapshot 2024011501@3"));

    QVERIFY(library.SetInstallerFields(777, {QStringLiteral("João da Silva"), QStringLiteral("Rua 100%, 5"), {}}).Ok());
    const auto serials = [&](const QString& search) {
        QList<quint32> found;
        const auto panels = library.Panels(search);
        for (const PanelRecord& panel : *panels.value) found << panel.serial;
        return found;
    };
    QCOMPARE(serials({}), (QList<quint32>{777, 2024011501}));  // met last first
    QCOMPARE(serials("0115"), QList<quint32>{2024011501});
    QCOMPARE(serials("JOÃO"), QList<quint32>{777});
    QCOMPARE(serials("100%"), QList<quint32>{777});
    QCOMPARE(serials("10_%"), QList<quint32>{});
    const auto panel = library.Panel(2024011501);
    QCOMPARE(panel.value->value().snapshots, 2);
    QCOMPARE(panel.value->value().version, 0x13);
    QVERIFY(!library.Panel(5).value->has_value());
}

void PanelLibraryTest::recordsPanelsSeenWithoutGoingBackInTime()
{
    auto opened = PanelLibrary::Open(Fresh());
    QVERIFY2(opened.Ok(), qPrintable(opened.error));
    PanelLibrary& library = **opened.value;
    QVERIFY(library.RecordSeen({51, 0x12, 42}, At(10)).Ok());
    QVERIFY(library.RecordSeen({51, 0x13, 42}, At(20)).Ok());
    // An old backup imported later leaves the panel as last seen.
    const auto imported = library.StoreSnapshot(MakeBackup(42, 0x11, At(5)), Meta(SnapshotReason::Imported));
    QVERIFY2(imported.Ok(), qPrintable(imported.error));
    const PanelRecord panel = library.Panel(42).value->value();
    QCOMPARE(panel.version, 0x13);
    QCOMPARE(panel.firstSeen, At(5));
    QCOMPARE(panel.lastSeen, At(20));
    QCOMPARE(panel.snapshots, 1);
}

void PanelLibraryTest::refusesANewerSchemaAndWritesNothing()
{
    const LibraryLocation location = Fresh();
    QVERIFY(PanelLibrary::Open(location).Ok());
    Raw(location, {"UPDATE library_schema SET version = 99"});
    QByteArray before;
    if (location.kind == LibraryLocation::Kind::Sqlite) {
        QFile file(location.sqlitePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        before = file.readAll();
    }
    const auto opened = PanelLibrary::Open(location);
    QVERIFY(!opened.Ok());
    QVERIFY2(opened.error.contains("made by a newer version of this tool (schema 99") &&
                 opened.error.contains("was not changed"),
             qPrintable(opened.error));
    if (location.kind == LibraryLocation::Kind::Sqlite) {
        QFile file(location.sqlitePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
}

void PanelLibraryTest::migratesAnOlderSchema()
{
    const LibraryLocation location = Fresh();
    const SqlDialect dialect = location.kind == LibraryLocation::Kind::Sqlite ? SqlDialect::Sqlite : SqlDialect::Postgres;
    if (location.kind == LibraryLocation::Kind::Sqlite) QVERIFY(QDir().mkpath(QFileInfo(location.sqlitePath).absolutePath()));
    // A library of the first schema, with a panel in it.
    Raw(location, SchemaStep(1, dialect) + QStringList{"INSERT INTO panels (serial, model, version, first_seen, last_seen,"
                                                       " customer) VALUES (9, 51, 18, '2026-01-01T00:00:00.000Z',"
                                                       " '2026-01-01T00:00:00.000Z', 'Padaria Estrela')"});
    auto opened = PanelLibrary::Open(location);
    QVERIFY2(opened.Ok(), qPrintable(opened.error));
    const auto found = (*opened.value)->Panels(QStringLiteral("estrela"));
    QVERIFY2(found.Ok(), qPrintable(found.error));
    QCOMPARE(found.value->size(), std::size_t{1});
    QCOMPARE(found.value->front().customer, QStringLiteral("Padaria Estrela"));
    opened.value->reset();
    Raw(location, {"SELECT search_text FROM panels"});
}

void PanelLibraryTest::concurrentWritersBothKeepTheirSnapshots()
{
    const LibraryLocation location = Fresh();
    QVERIFY(PanelLibrary::Open(location).Ok());
    constexpr int kEach = 15;
    std::atomic<int> failures{0};
    QStringList errors;
    const auto writer = [&](const QString& who) {
        auto opened = PanelLibrary::Open(location);
        if (!opened.Ok()) {
            ++failures;
            return;
        }
        for (int i = 0; i < kEach; ++i) {
            const auto stored = (*opened.value)->StoreSnapshot(MakeBackup(55, 0x12, At(i)), {who, SnapshotReason::Manual, {}, "1.08", TestNow()});
            if (!stored.Ok() && failures++ == 0) qWarning("%s", qPrintable(stored.error));
        }
    };
    std::thread ana(writer, QStringLiteral("ana"));
    std::thread bia(writer, QStringLiteral("bia"));
    ana.join();
    bia.join();
    QCOMPARE(failures.load(), 0);
    auto opened = PanelLibrary::Open(location);
    const auto history = (*opened.value)->History(55);
    QCOMPARE(history.value->size(), std::size_t{2 * kEach});
    int ana_count = 0;
    for (std::size_t i = 0; i < history.value->size(); ++i) {
        QCOMPARE(history.value->at(i).number, static_cast<int>(i) + 1);
        if (history.value->at(i).takenBy == "ana") ++ana_count;
    }
    QCOMPARE(ana_count, kEach);
}

// The server ends the library's connection; the snapshot is not half there.
void PanelLibraryTest::aServerGoneMidWriteStoresNothing()
{
    if (!qEnvironmentVariableIsSet(kPostgresVariable)) QSKIP("PostgreSQL was not announced (QUORVEL_TEST_POSTGRES_URL)");
    const LocationParse parse = ParseLibraryLocation(qEnvironmentVariable(kPostgresVariable));
    const LibraryLocation& location = *parse.location;
    Raw(location, {"DROP TABLE IF EXISTS snapshots", "DROP TABLE IF EXISTS panels", "DROP TABLE IF EXISTS library_schema"});
    auto opened = PanelLibrary::Open(location);
    QVERIFY2(opened.Ok(), qPrintable(opened.error));
    Raw(location, {"SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE pid <> pg_backend_pid()"
                   " AND datname = current_database()"});
    const auto stored = (*opened.value)->StoreSnapshot(MakeBackup(66, 0x12, At(1)), Meta());
    QVERIFY(!stored.Ok());
    QVERIFY2(stored.error.contains("was not stored") && stored.error.contains("cannot be reached"), qPrintable(stored.error));
    opened.value->reset();
    auto again = PanelLibrary::Open(location);
    QVERIFY2(again.Ok(), qPrintable(again.error));
    QCOMPARE((*again.value)->History(66).value->size(), std::size_t{0});
}

void PanelLibraryTest::aDamagedFileIsReportedAndNeverOverwritten()
{
    const QString path = dir_.filePath(QStringLiteral("damaged.sqlite"));
    const QByteArray garbage(4096, 'x');
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    const auto opened = PanelLibrary::Open(*ParseLibraryLocation(path).location);
    QVERIFY(!opened.Ok());
    QVERIFY2(opened.error.contains(path) && opened.error.contains("damaged or is not a library"), qPrintable(opened.error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), garbage);
}

LibraryLocation PanelLibraryTest::NewDatabase()
{
    LibraryLocation location = *ParseLibraryLocation(qEnvironmentVariable(kPostgresVariable)).location;
    const QString name = QStringLiteral("quorvel_new_%1_%2").arg(QCoreApplication::applicationPid()).arg(databases_.size());
    Raw(location, {"CREATE DATABASE " + name});
    databases_ << name;
    location.database = name;
    location.text = name;
    return location;
}

void PanelLibraryTest::cleanup()
{
    if (databases_.isEmpty()) return;
    const LibraryLocation server = *ParseLibraryLocation(qEnvironmentVariable(kPostgresVariable)).location;
    for (const QString& name : std::exchange(databases_, {})) Raw(server, {"DROP DATABASE IF EXISTS " + name + " WITH (FORCE)"});
}

void PanelLibraryTest::anEmptySchemaTableIsCalledDamaged()
{
    const LibraryLocation location = Fresh();
    QVERIFY(PanelLibrary::Open(location).Ok());
    Raw(location, {"DELETE FROM library_schema"});
    const auto opened = PanelLibrary::Open(location);
    QVERIFY(!opened.Ok());
    QVERIFY2(opened.error.contains("is damaged: its table of versions is empty") && opened.error.contains("was not changed"),
             qPrintable(opened.error));
}

// Each thread is a program of its own: its own connection, opening a library
// that does not exist yet (its folders neither), then importing a backup.
void PanelLibraryTest::manyProgramsOpenANewLibraryAtOnce()
{
    QFETCH(QString, backend);
    const LibraryLocation location =
        backend == "sqlite" ? *ParseLibraryLocation(dir_.filePath(QStringLiteral("new/first/library.sqlite"))).location
                            : NewDatabase();
    constexpr int kPrograms = 20;
    std::mutex mutex;
    QStringList errors;
    std::vector<std::thread> programs;
    for (int i = 0; i < kPrograms; ++i) {
        programs.emplace_back([&, i] {
            auto opened = PanelLibrary::Open(location);
            const QString error =
                opened.Ok() ? (*opened.value)->StoreSnapshot(MakeBackup(88, 0x12, At(i)), Meta(SnapshotReason::Imported)).error
                            : opened.error;
            const std::lock_guard lock(mutex);
            if (!error.isEmpty()) errors << error;
        });
    }
    for (std::thread& program : programs) program.join();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    auto opened = PanelLibrary::Open(location);
    QVERIFY2(opened.Ok(), qPrintable(opened.error));
    const auto history = (*opened.value)->History(88);
    QCOMPARE(history.value->size(), std::size_t{kPrograms});
    QCOMPARE(history.value->back().number, kPrograms);
}

namespace {

// What a piece of work writes to standard error (the driver's own output
// goes there, not through Qt's messages).
QByteArray StandardErrorOf(const std::function<void()>& work)
{
    std::fflush(stderr);
    const int saved = ::dup(2);
    std::FILE* capture = std::tmpfile();
    ::dup2(::fileno(capture), 2);
    work();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    QFile file;
    file.open(capture, QIODevice::ReadOnly);
    file.seek(0);
    const QByteArray written = file.readAll();
    file.close();
    std::fclose(capture);
    return written;
}

}  // namespace

// A role that may read the library but not add to it: told once, in words,
// with nothing from the driver on standard error.
void PanelLibraryTest::aRoleWithoutRightsIsToldOnceAndQuietly()
{
    if (!qEnvironmentVariableIsSet(kPostgresVariable)) QSKIP("PostgreSQL was not announced (QUORVEL_TEST_POSTGRES_URL)");
    const LibraryLocation location = NewDatabase();
    QVERIFY(PanelLibrary::Open(location).Ok());
    Raw(location, {"DO $$BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'quorvel_reader') THEN"
                   " CREATE ROLE quorvel_reader LOGIN; END IF; END$$",
                   "GRANT SELECT ON ALL TABLES IN SCHEMA public TO quorvel_reader"});
    LibraryLocation reader = location;
    reader.user = QStringLiteral("quorvel_reader");
    auto opened = PanelLibrary::Open(reader);
    QVERIFY2(opened.Ok(), qPrintable(opened.error));
    PanelLibrary& library = **opened.value;
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    LibraryResult<Done> writable;
    LibraryResult<SnapshotInfo> stored;
    const QByteArray noise = StandardErrorOf([&] {
        writable = library.CheckWritable();
        stored = library.StoreSnapshot(MakeBackup(77, 0x12, At(1)), Meta());
    });
    QCOMPARE(noise, QByteArray());
    QVERIFY2(!writable.Ok() && writable.error.contains("may not add snapshots"), qPrintable(writable.error));
    QVERIFY(!stored.Ok());
    QVERIFY2(stored.error.contains("permission denied") && stored.error.contains("your database user may not do this"),
             qPrintable(stored.error));
    QCOMPARE(library.Panels().value->size(), std::size_t{0});
}

// A backup taken in São Paulo, imported in Tokyo and read back in São Paulo
// keeps its instant everywhere; a file of an older version (no zone) is read
// as the time of the computer that reads it, as before.
void PanelLibraryTest::timesKeepTheirInstantInAnyZone()
{
    const QByteArray zoneBefore = qgetenv("TZ");
    const auto inZone = [](const QByteArray& zone) {
        if (zone.isNull()) qunsetenv("TZ"); else qputenv("TZ", zone);
        ::tzset();
    };
    const auto restore = qScopeGuard([&] { inZone(zoneBefore); });
    const LibraryLocation location = Fresh();

    inZone("America/Sao_Paulo");
    // A local time keeps its wall-clock reading across zones: the instant is
    // compared in UTC.
    const QDateTime taken(QDate(2026, 12, 10), QTime(4, 27, 20, 938), Qt::UTC);
    const QDateTime local(QDate(2026, 12, 10), QTime(1, 27, 20, 938));
    QCOMPARE(local, taken);
    const QByteArray file = BackupToJson(MakeBackup(99, 0x12, local));
    QVERIFY2(file.contains("\"taken\": \"2026-12-10T04:27:20.938Z\""), file.constData());
    QByteArray older = file;
    older.replace("04:27:20.938Z", "01:27:20.938");

    inZone("Asia/Tokyo");
    QCOMPARE(BackupFromJson(older).backup->taken, QDateTime(QDate(2026, 12, 9), QTime(16, 27, 20, 938), Qt::UTC));
    const BackupParse parse = BackupFromJson(file);
    QCOMPARE(parse.backup->taken, taken);
    {
        auto opened = PanelLibrary::Open(location);
        QVERIFY2(opened.Ok(), qPrintable(opened.error));
        const auto stored = (*opened.value)->StoreSnapshot(*parse.backup, Meta(SnapshotReason::Imported));
        QVERIFY2(stored.Ok(), qPrintable(stored.error));
    }
    // As an older version kept it: the snapshot's content without a zone.
    Raw(location, {location.kind == LibraryLocation::Kind::Sqlite
                       ? "UPDATE snapshots SET content = CAST(replace(CAST(content AS TEXT), '.938Z\"', '.938\"') AS BLOB)"
                       : "UPDATE snapshots SET content = convert_to(replace(convert_from(content, 'UTF8'), '.938Z\"',"
                         " '.938\"'), 'UTF8')"});

    inZone("America/Sao_Paulo");
    auto opened = PanelLibrary::Open(location);
    PanelLibrary& library = **opened.value;
    QCOMPARE(library.History(99).value->at(0).taken, taken);
    QCOMPARE(library.Snapshot(99).value->taken, taken);
    const PanelRecord panel = library.Panel(99).value->value();
    QCOMPARE(panel.firstSeen, taken);
    QCOMPARE(panel.lastSeen, taken);
}

void PanelLibraryTest::snapshotTimesAndSightings_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<bool>("imported");
    QTest::addColumn<QDateTime>("taken");
    QTest::addColumn<bool>("seenBefore");  // at At(10), version 0x12
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<int>("version");  // the record's after a stored 0x13
    QTest::addColumn<QDateTime>("lastSeen");
    const QDateTime utc2000(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
    const QString ahead = QStringLiteral("more than a day after this computer's clock (2026-12-10T05:00:00.000Z)");
    QStringList backends{"sqlite"};
    if (qEnvironmentVariableIsSet(kPostgresVariable)) backends << "postgres";
    for (const QString& backend : backends) {
        const auto row = [&](const char* name) { return &(QTest::newRow(qPrintable(backend + ": " + name)) << backend); };
        *row("imported from year 9999") << true << QDateTime(QDate(9999, 12, 31), QTime(0, 0), Qt::UTC) << true << ahead
                                        << 0 << QDateTime();
        *row("imported from year 1") << true << QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC) << true
                                     << "is before 2000-01-01T00:00:00.000Z" << 0 << QDateTime();
        *row("a day and a minute ahead") << true << TestNow().addSecs(86460) << false << ahead << 0 << QDateTime();
        *row("from the panel, a minute before 2000") << false << utc2000.addSecs(-60) << true << "is before 2000" << 0
                                                     << QDateTime();
        *row("from the panel, at 2000, older than seen") << false << utc2000 << true << "" << 0x12 << At(10);
        *row("from the panel, newer") << false << At(20) << true << "" << 0x13 << At(20);
        *row("imported, newer than seen") << true << At(20) << true << "" << 0x12 << At(10);
        *row("imported, panel never seen") << true << At(20) << false << "" << 0x13 << At(20);
        *row("imported, ahead of the clock, never seen") << true << TestNow().addSecs(23 * 3600) << false << "" << 0x13
                                                         << TestNow();
    }
}

// The panel's record follows its newest real sighting: an imported backup
// only makes it, and a time no clock could give is refused.
void PanelLibraryTest::snapshotTimesAndSightings()
{
    QFETCH(bool, imported);
    QFETCH(QDateTime, taken);
    QFETCH(bool, seenBefore);
    QFETCH(QString, refusal);
    QFETCH(int, version);
    QFETCH(QDateTime, lastSeen);
    auto opened = PanelLibrary::Open(Fresh());
    QVERIFY2(opened.Ok(), qPrintable(opened.error));
    PanelLibrary& library = **opened.value;
    if (seenBefore) QVERIFY(library.RecordSeen({51, 0x12, 42}, At(10)).Ok());

    const auto stored =
        library.StoreSnapshot(MakeBackup(42, 0x13, taken), Meta(imported ? SnapshotReason::Imported : SnapshotReason::Manual));
    if (!refusal.isEmpty()) {
        QVERIFY2(!stored.Ok() && stored.error.contains("the snapshot of panel 42 was not stored") &&
                     stored.error.contains(refusal),
                 qPrintable(stored.error));
        QCOMPARE(library.History(42).value->size(), std::size_t{0});
        QCOMPARE(library.Panel(42).value->has_value(), seenBefore);
        return;
    }
    QVERIFY2(stored.Ok(), qPrintable(stored.error));
    QCOMPARE(library.History(42).value->at(0).taken, taken);
    PanelRecord panel = library.Panel(42).value->value();
    QCOMPARE(panel.version, version);
    QCOMPARE(panel.lastSeen, lastSeen);
    // The next real sighting brings it up to date, whatever was imported.
    QVERIFY(library.RecordSeen({51, 0x14, 42}, TestNow().addSecs(60)).Ok());
    panel = library.Panel(42).value->value();
    QCOMPARE(panel.version, 0x14);
    QCOMPARE(panel.lastSeen, TestNow().addSecs(60));
}

void PanelLibraryTest::aServerThatDoesNotAnswerIsNamed()
{
    const LibraryLocation location =
        *ParseLibraryLocation("postgresql://ana@/paineis?host=" + dir_.filePath(QStringLiteral("no-server"))).location;
    const auto opened = PanelLibrary::Open(location);
    QVERIFY(!opened.Ok());
    QVERIFY2(opened.error.startsWith("cannot reach the team library") && opened.error.contains("~/.pgpass"),
             qPrintable(opened.error));
}

QTEST_GUILESS_MAIN(PanelLibraryTest)
#include "panel_library_test.moc"
