// The panel library at a company's size: 10,000 panels and 100,000
// snapshots. Fills a fresh library in one transaction (outside the
// library's code, which stores one snapshot a transaction), then times,
// through the library, what an installer does: open it, search by serial
// and by customer, list one panel's history, store a snapshot, and make a
// report. Prints the median and the worst of each.
//   library_bench [LIBRARY]   a SQLite path (default: a temporary file) or a
//                             postgresql:// URL (its tables are replaced)

#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "core/config/panel_backup.h"
#include "library/installation_report.h"
#include "library/library_schema.h"
#include "library/panel_library.h"
#include "core/rf/rf_sensor_record.h"
#include "sim/virtual_panel.h"

namespace {

constexpr int kPanels = 10000;
constexpr int kSnapshotsPerPanel = 10;
constexpr int kRuns = 25;

PanelBackup Backup(quint32 serial, int minute)
{
    static const PanelBackup model = [] {
        VirtualPanel panel(VirtualPanel::Options{.model = 51});
        PanelBackup backup{{51, 0x12, 0}, {}, {}, std::nullopt};
        for (std::uint8_t id : ConfigurationBlockIds()) backup.blocks[id] = *panel.Block(id);
        return backup;
    }();
    PanelBackup backup = model;
    backup.panel.serial = serial;
    backup.takenMs = TakenMs(QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC).addSecs(60LL * minute));
    return backup;
}

void Check(bool ok, const QSqlQuery& query)
{
    if (!ok) qFatal("%s", qPrintable(query.lastError().text()));
}

// Panels and snapshots written straight into the tables, in one transaction.
void Fill(const LibraryLocation& location)
{
    {
        QSqlDatabase db = AddLibraryConnection(location, "fill");
        if (!db.open()) qFatal("%s", qPrintable(db.lastError().text()));
        QSqlQuery query(db);
        for (const char* sql : {"DROP TABLE IF EXISTS snapshots", "DROP TABLE IF EXISTS panels", "DROP TABLE IF EXISTS library_schema"}) {
            query.exec(sql);
        }
        const SqlDialect dialect = location.kind == LibraryLocation::Kind::Sqlite ? SqlDialect::Sqlite : SqlDialect::Postgres;
        db.transaction();
        for (int step = 1; step <= kLibrarySchemaVersion; ++step) {
            for (const QString& sql : SchemaStep(step, dialect)) Check(query.exec(sql), query);
        }
        Check(query.exec(QStringLiteral("UPDATE library_schema SET version = %1").arg(kLibrarySchemaVersion)), query);
        QSqlQuery panel(db);
        panel.prepare("INSERT INTO panels (serial, model, version, first_seen, last_seen, customer, address, notes, search_text)"
                      " VALUES (?, 51, 18, ?, ?, ?, ?, '', ?)");
        QSqlQuery snapshot(db);
        snapshot.prepare("INSERT INTO snapshots (serial, number, taken, tool_version, panel_model, panel_version, taken_by,"
                         " reason, note, has_rf, content) VALUES (?, ?, ?, '1.08', 51, 18, 'ana', 'manual', '', 0, ?)");
        for (int i = 0; i < kPanels; ++i) {
            const quint32 serial = 2024000000u + static_cast<quint32>(i);
            const QString customer = QStringLiteral("Cliente %1 Ltda").arg(i);
            const QString address = QStringLiteral("Rua %1, %2").arg(i % 500).arg(i);
            const QString time = TakenTime(Backup(serial, i)).toString(Qt::ISODateWithMs);
            panel.addBindValue(static_cast<qint64>(serial));
            panel.addBindValue(time);
            panel.addBindValue(time);
            panel.addBindValue(customer);
            panel.addBindValue(address);
            panel.addBindValue(PanelSearchText(serial, customer, address));
            Check(panel.exec(), panel);
            for (int n = 1; n <= kSnapshotsPerPanel; ++n) {
                const PanelBackup backup = Backup(serial, i * kSnapshotsPerPanel + n);
                snapshot.addBindValue(static_cast<qint64>(serial));
                snapshot.addBindValue(n);
                snapshot.addBindValue(TakenTime(backup).toString(Qt::ISODateWithMs));
                snapshot.addBindValue(BackupToJson(backup, BackupStyle::Compact));
                Check(snapshot.exec(), snapshot);
            }
        }
        if (!db.commit()) qFatal("%s", qPrintable(db.lastError().text()));
        if (dialect == SqlDialect::Postgres) query.exec("ANALYZE");
    }
    QSqlDatabase::removeDatabase("fill");
}

void Time(const char* what, const std::function<void(int)>& run)
{
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        run(i);
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %7.2f ms   worst %7.2f ms\n", what, ms[ms.size() / 2], ms.back());
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QString given = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath("library.sqlite");
    const LibraryLocation location = *ParseLibraryLocation(given).location;
    QElapsedTimer fill;
    fill.start();
    Fill(location);
    std::printf("library %s: %d panels, %d snapshots, filled in %.1f s\n", qPrintable(location.text), kPanels,
                kPanels * kSnapshotsPerPanel, static_cast<double>(fill.elapsed()) / 1000);

    Time("open", [&](int) {
        if (!PanelLibrary::Open(location).Ok()) qFatal("open failed");
    });
    auto library = std::move(*PanelLibrary::Open(location).value);
    Time("search by serial", [&](int i) {
        if (library->Panels(QString::number(2024000000 + i * 397)).value->size() != 1) qFatal("search by serial");
    });
    Time("search by customer", [&](int i) {
        if (library->Panels(QStringLiteral("cliente %1 ltda").arg(i * 397)).value->size() != 1) qFatal("search by customer");
    });
    Time("one panel's history", [&](int i) {
        if (library->History(2024000000u + static_cast<quint32>(i) * 397).value->size() != kSnapshotsPerPanel) qFatal("history");
    });
    Time("store a snapshot", [&](int i) {
        const PanelBackup backup = Backup(2024000000u + static_cast<quint32>(i) * 397, 9999999);
        if (!library->StoreSnapshot(backup, {"bia", SnapshotReason::Manual, {}, "1.08", TakenTime(backup)}).Ok()) {
            qFatal("store");
        }
    });
    Time("report of a snapshot (PDF)", [&](int i) {
        const quint32 serial = 2024000000u + static_cast<quint32>(i) * 397;
        ReportInput input;
        input.snapshot = *library->Snapshot(serial).value;
        input.panel = **library->Panel(serial).value;
        input.toolVersion = "1.08";
        if (ReportToPdf(input).pages < 1) qFatal("report");
    });

    // The largest report: a model 56 with every RF slot enrolled.
    VirtualPanel panel56(VirtualPanel::Options{.model = 56});
    ReportInput large;
    large.snapshot = PanelBackup{{56, 0x12, 777}, TakenMs(QDateTime::currentDateTimeUtc()), {}, RfSensorTable{}};
    for (std::uint8_t id : ConfigurationBlockIds()) large.snapshot.blocks[id] = *panel56.Block(id);
    for (int slot = 1; slot <= kRfSensorTableSize; ++slot) {
        RfSensorRecord record{};
        record.serial = 100000 + static_cast<std::uint32_t>(slot);
        record.kind = static_cast<std::uint8_t>(1 + slot % 3);
        record.zone = static_cast<std::uint16_t>(slot % 64);
        record.user = 1;
        const auto bytes = PackRfSensorRecord(record);
        large.snapshot.rf->emplace(slot, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    large.toolVersion = "1.08";
    QElapsedTimer timer;
    timer.start();
    const ReportPdf pdf = ReportToPdf(large);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("report of a model 56 with 2048 RF sensors: %d pages, %lld bytes, %.2f s; peak memory of the run %ld MB\n",
                pdf.pages, static_cast<long long>(pdf.bytes.size()), static_cast<double>(timer.elapsed()) / 1000,
                usage.ru_maxrss / 1024);
    return 0;
}
