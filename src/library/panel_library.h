#pragma once
// The panel library: every panel an installer has met, keyed by its serial
// number, and the history of its configuration as snapshots. A snapshot is
// appended, never changed: the blocks' bytes (and the RF sensors when they
// were read) with when, by whom, why and from which versions. One code for
// SQLite (one PC) and PostgreSQL (a team); every write is one transaction,
// so a snapshot is stored whole or not at all.
//
// Every failure is told as what failed and what to do, with the database's
// own words after it; nothing here talks to a panel.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "library/backup_file.h"
#include "library/library_location.h"

class QSqlError;

// Unknown: a text no reason of this tool stores (read back as it is not).
enum class SnapshotReason { Manual, BeforeRestore, BeforeFirmwareUpdate, Imported, Unknown };
// "manual", "before restore", ...: as stored and shown.
QString SnapshotReasonText(SnapshotReason reason);
// The reason of a stored text, as every version of the tool stored it.
SnapshotReason SnapshotReasonOf(const QString& text);

struct PanelRecord {
    quint32 serial = 0;
    int model = 0;
    int version = 0;  // last seen
    QDateTime firstSeen;
    QDateTime lastSeen;
    QString customer;
    QString address;
    QString notes;
    int snapshots = 0;
};

struct SnapshotInfo {
    quint32 serial = 0;
    int number = 0;  // 1, 2, ... per panel: SERIAL@N
    QDateTime taken;
    QString toolVersion;
    int panelModel = 0;
    int panelVersion = 0;
    QString takenBy;
    SnapshotReason reason = SnapshotReason::Manual;
    QString note;
    bool hasRf = false;
};

struct SnapshotMeta {
    QString takenBy;
    SnapshotReason reason = SnapshotReason::Manual;
    QString note;
    QString toolVersion;
    // The caller's clock, against which the backup's time is checked; the
    // current time when not given.
    QDateTime now;
};
// Who keeps a snapshot (takenBy, else the system user's name), why, with
// what note, at now by the caller's clock, with this tool's version.
SnapshotMeta MakeSnapshotMeta(const QString& takenBy, SnapshotReason reason, const QString& note, const QDateTime& now);

// The earliest time a snapshot may carry; the latest is a day past the clock.
// A backup's time outside them is a wrong clock or an edited file, and would
// put the panel's history out of order.
QDateTime EarliestSnapshotTime();

struct InstallerFields {
    QString customer;
    QString address;
    QString notes;
};
// The longest customer fields kept, in characters: a name and an address fit
// a report's line or two, the notes a page. The window, the command line and
// the library refuse longer ones. A snapshot's note and the name of who
// took it are held to the notes' and the customer's bounds.
inline constexpr int kMaxCustomerLength = 200;
inline constexpr int kMaxAddressLength = 300;
inline constexpr int kMaxNotesLength = 4000;
// Why the fields cannot be kept (a field too long), or nothing.
std::optional<QString> CheckInstallerFields(const InstallerFields& fields);

// A library answer: the value, or the message that says what failed.
template <typename T>
struct LibraryResult {
    std::optional<T> value;
    QString error;
    bool Ok() const { return value.has_value(); }
};
struct Done {};

class PanelLibrary {
public:
    ~PanelLibrary();
    PanelLibrary(const PanelLibrary&) = delete;
    PanelLibrary& operator=(const PanelLibrary&) = delete;

    // Opens (creating a new SQLite file, private, in a private folder, when
    // absent; see library_file.h) and checks the schema, creating it for a
    // new library. A damaged file, a file of another user, a newer schema or
    // a server that does not answer is refused with the reason; nothing is
    // written then. A SQLite library that cannot be written is opened to be
    // read. Programs opening a new library at once all succeed.
    static LibraryResult<std::unique_ptr<PanelLibrary>> Open(const LibraryLocation& location);

    const LibraryLocation& Location() const { return location_; }
    // What Open changed or found that the user should know (a file made
    // private, a folder others may change), to be said once.
    const QStringList& Notices() const { return notices_; }

    // Whether a snapshot could be stored now (the file, its folder and the
    // role may be written): checked before a panel is read, so a command
    // that cannot keep its snapshot fails before it changes anything.
    LibraryResult<Done> CheckWritable();

    // A panel identified on a port: created, or its model, version and last
    // seen time brought up to date (never back in time).
    LibraryResult<Done> RecordSeen(const Identification& panel, const QDateTime& when);
    // Appends a snapshot of a backup (numbered after the panel's last one).
    // One taken from the panel counts as a sighting of it (RecordSeen); an
    // imported one makes the panel's record when absent but leaves its
    // model, version and last seen time to real sightings. A time outside
    // EarliestSnapshotTime() and a day past the clock is refused with the
    // reason. Two writers at once both keep theirs.
    LibraryResult<SnapshotInfo> StoreSnapshot(const PanelBackup& backup, const SnapshotMeta& meta);

    // Panels whose serial, customer or address holds the text (all when
    // empty), by last seen, newest first.
    LibraryResult<std::vector<PanelRecord>> Panels(const QString& search = QString());
    LibraryResult<std::optional<PanelRecord>> Panel(quint32 serial);
    LibraryResult<Done> SetInstallerFields(quint32 serial, const InstallerFields& fields);
    // The panel's snapshots, oldest first.
    LibraryResult<std::vector<SnapshotInfo>> History(quint32 serial);
    // Snapshot number of the panel (0: the latest) as a backup, with the
    // time it was stored with.
    LibraryResult<PanelBackup> Snapshot(quint32 serial, int number = 0);

private:
    explicit PanelLibrary(LibraryLocation location, QString connection);
    QString Failure(const QString& what, const QString& databaseWords) const;
    // The database's words and what to do about them.
    QString Why(const QSqlError& error) const;
    // Refuses a write to a library opened to be read.
    std::optional<QString> ReadOnlyProblem(const QString& what) const;

    LibraryLocation location_;
    QString connection_;
    QString readOnly_;  // why a SQLite library cannot be written
    QStringList notices_;
};

// Who takes a snapshot unless a name is given: the system user's name.
QString SystemUserName();
