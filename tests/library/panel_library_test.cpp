// The panel library against SQLite and, when the suite is told of one, a
// real PostgreSQL server (library_backends.h): one table of cases for both.

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <thread>

#include "library/library_schema.h"
#include "library/panel_library.h"
#include "library_backends.h"
#include "sample_backup.h"

namespace {

SnapshotMeta Meta(SnapshotReason reason = SnapshotReason::Manual, const QString& note = {})
{
    return {QStringLiteral("ana"), reason, note, QStringLiteral("1.08"), TestNow()};
}

}  // namespace

class PanelLibraryTest : public QObject {
    Q_OBJECT
private slots:

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

private:
    static void Backends() { LibraryBackends::AddRows(); }
    LibraryLocation Fresh() { return backends_.Fresh(); }
    static void Raw(const LibraryLocation& location, const QStringList& statements)
    {
        LibraryBackends::Raw(location, statements);
    }

    LibraryBackends backends_;
};

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
    QCOMPARE(later.reason, SnapshotReason::BeforeRestore);
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
    if (!LibraryBackends::HasPostgres()) QSKIP("PostgreSQL was not announced (QUORVEL_TEST_POSTGRES_URL)");
    const LibraryLocation location = LibraryBackends::Server();
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
    const QString path = backends_.Path(QStringLiteral("damaged.sqlite"));
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

void PanelLibraryTest::aServerThatDoesNotAnswerIsNamed()
{
    const LibraryLocation location =
        *ParseLibraryLocation("postgresql://ana@/paineis?host=" + backends_.Path(QStringLiteral("no-server"))).location;
    const auto opened = PanelLibrary::Open(location);
    QVERIFY(!opened.Ok());
    QVERIFY2(opened.error.startsWith("cannot reach the team library") && opened.error.contains("~/.pgpass"),
             qPrintable(opened.error));
}

QTEST_GUILESS_MAIN(PanelLibraryTest)
#include "panel_library_test.moc"
