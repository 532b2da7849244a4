// What a snapshot's store accepts and how: many programs opening a new
// library at once, a role without rights told once and quietly, times that
// keep their instant in any zone, times no clock could give, the sightings
// that move a panel's record, and the bounds of a snapshot's texts.

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "library/panel_library.h"
#include "library_backends.h"
#include "sample_backup.h"

namespace {

SnapshotMeta Meta(SnapshotReason reason = SnapshotReason::Manual)
{
    return {QStringLiteral("ana"), reason, {}, QStringLiteral("1.08"), TestNow()};
}

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

class SnapshotRulesTest : public QObject {
    Q_OBJECT
private slots:
    void manyProgramsOpenANewLibraryAtOnce_data() { LibraryBackends::AddRows(); }
    void manyProgramsOpenANewLibraryAtOnce();
    void aRoleWithoutRightsIsToldOnceAndQuietly();
    void timesKeepTheirInstantInAnyZone_data() { LibraryBackends::AddRows(); }
    void timesKeepTheirInstantInAnyZone();
    void snapshotTimesAndSightings_data();
    void snapshotTimesAndSightings();
    void aSnapshotsTextsAreBounded_data();
    void aSnapshotsTextsAreBounded();
    void cleanup() { backends_.DropDatabases(); }

private:
    LibraryBackends backends_;
};

// Each thread is a program of its own: its own connection, opening a library
// that does not exist yet (its folders neither), then importing a backup.
void SnapshotRulesTest::manyProgramsOpenANewLibraryAtOnce()
{
    QFETCH(QString, backend);
    const LibraryLocation location =
        backend == "sqlite" ? *ParseLibraryLocation(backends_.Path(QStringLiteral("new/first/library.sqlite"))).location
                            : backends_.NewDatabase();
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


// A role that may read the library but not add to it: told once, in words,
// with nothing from the driver on standard error.
void SnapshotRulesTest::aRoleWithoutRightsIsToldOnceAndQuietly()
{
    if (!LibraryBackends::HasPostgres()) QSKIP("PostgreSQL was not announced (QUORVEL_TEST_POSTGRES_URL)");
    const LibraryLocation location = backends_.NewDatabase();
    QVERIFY(PanelLibrary::Open(location).Ok());
    LibraryBackends::Raw(location, {"DO $$BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'quorvel_reader') THEN"
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
void SnapshotRulesTest::timesKeepTheirInstantInAnyZone()
{
    const QByteArray zoneBefore = qgetenv("TZ");
    const auto inZone = [](const QByteArray& zone) {
        if (zone.isNull()) qunsetenv("TZ"); else qputenv("TZ", zone);
        ::tzset();
    };
    const auto restore = qScopeGuard([&] { inZone(zoneBefore); });
    const LibraryLocation location = backends_.Fresh();

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
    QCOMPARE(TakenTime(*BackupFromJson(older).backup), QDateTime(QDate(2026, 12, 9), QTime(16, 27, 20, 938), Qt::UTC));
    const BackupParse parse = BackupFromJson(file);
    QCOMPARE(TakenTime(*parse.backup), taken);
    {
        auto opened = PanelLibrary::Open(location);
        QVERIFY2(opened.Ok(), qPrintable(opened.error));
        const auto stored = (*opened.value)->StoreSnapshot(*parse.backup, Meta(SnapshotReason::Imported));
        QVERIFY2(stored.Ok(), qPrintable(stored.error));
    }
    // As an older version kept it: the snapshot's content without a zone.
    LibraryBackends::Raw(location, {location.kind == LibraryLocation::Kind::Sqlite
                       ? "UPDATE snapshots SET content = CAST(replace(CAST(content AS TEXT), '.938Z\"', '.938\"') AS BLOB)"
                       : "UPDATE snapshots SET content = convert_to(replace(convert_from(content, 'UTF8'), '.938Z\"',"
                         " '.938\"'), 'UTF8')"});

    inZone("America/Sao_Paulo");
    auto opened = PanelLibrary::Open(location);
    PanelLibrary& library = **opened.value;
    QCOMPARE(library.History(99).value->at(0).taken, taken);
    QCOMPARE(TakenTime(*library.Snapshot(99).value), taken);
    const PanelRecord panel = library.Panel(99).value->value();
    QCOMPARE(panel.firstSeen, taken);
    QCOMPARE(panel.lastSeen, taken);
}

void SnapshotRulesTest::snapshotTimesAndSightings_data()
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
    for (const QString& backend : LibraryBackends::Names()) {
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
void SnapshotRulesTest::snapshotTimesAndSightings()
{
    QFETCH(bool, imported);
    QFETCH(QDateTime, taken);
    QFETCH(bool, seenBefore);
    QFETCH(QString, refusal);
    QFETCH(int, version);
    QFETCH(QDateTime, lastSeen);
    auto opened = PanelLibrary::Open(backends_.Fresh());
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

void SnapshotRulesTest::aSnapshotsTextsAreBounded_data()
{
    QTest::addColumn<QString>("takenBy");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("refusal");
    const QString name(kMaxCustomerLength, QLatin1Char('a'));
    const QString note(kMaxNotesLength, QLatin1Char('n'));
    QTest::newRow("at the bounds") << name << note << "";
    QTest::newRow("a name too long") << name + "a" << note << "the name of who took it is 201 characters long";
    QTest::newRow("a note too long") << name << note + "n" << "its note is 4001 characters long";
}

// The report prints who took a snapshot and its note: they are bounded as
// the customer's fields are.
void SnapshotRulesTest::aSnapshotsTextsAreBounded()
{
    QFETCH(QString, takenBy);
    QFETCH(QString, note);
    QFETCH(QString, refusal);
    const QString path = backends_.Path(QStringLiteral("texts-%1.sqlite").arg(backends_.Next()));
    auto opened = PanelLibrary::Open(*ParseLibraryLocation(path).location);
    QVERIFY2(opened.Ok(), qPrintable(opened.error));
    const auto stored =
        (*opened.value)->StoreSnapshot(MakeBackup(5, 0x12, At(1)), {takenBy, SnapshotReason::Manual, note, "1.08", TestNow()});
    QVERIFY2(refusal.isEmpty() ? stored.Ok() : stored.error.contains(refusal), qPrintable(stored.error));
}

QTEST_GUILESS_MAIN(SnapshotRulesTest)
#include "snapshot_rules_test.moc"
