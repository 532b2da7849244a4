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
#include <memory>
#include <optional>
#include <vector>

#include "library/backup_file.h"
#include "library/library_location.h"

enum class SnapshotReason { Manual, BeforeRestore, BeforeFirmwareUpdate, Imported };
// "manual", "before restore", ...: as stored and shown.
QString SnapshotReasonText(SnapshotReason reason);

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
    QString reason;
    QString note;
    bool hasRf = false;
};

struct SnapshotMeta {
    QString takenBy;
    SnapshotReason reason = SnapshotReason::Manual;
    QString note;
    QString toolVersion;
};

struct InstallerFields {
    QString customer;
    QString address;
    QString notes;
};
// The longest customer fields kept, in characters: a name and an address fit
// a report's line or two, the notes a page. The window, the command line and
// the library refuse longer ones.
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

    // Opens (creating a new SQLite file, private, when absent) and checks the
    // schema. A damaged file, a newer schema or a server that does not
    // answer is refused with the reason; nothing is written then.
    static LibraryResult<std::unique_ptr<PanelLibrary>> Open(const LibraryLocation& location);

    const LibraryLocation& Location() const { return location_; }

    // Whether a snapshot could be stored now (the file or the role may be
    // written): checked before a panel is read, so a command that cannot keep
    // its snapshot fails before it changes anything.
    LibraryResult<Done> CheckWritable();

    // A panel identified on a port: created, or its last seen time and
    // version brought up to date.
    LibraryResult<Done> RecordSeen(const Identification& panel, const QDateTime& when);
    // Appends a snapshot of a backup (numbered after the panel's last one),
    // recording the panel as seen. Two writers at once both keep theirs.
    LibraryResult<SnapshotInfo> StoreSnapshot(const PanelBackup& backup, const SnapshotMeta& meta);

    // Panels whose serial, customer or address holds the text (all when
    // empty), by last seen, newest first.
    LibraryResult<std::vector<PanelRecord>> Panels(const QString& search = QString());
    LibraryResult<std::optional<PanelRecord>> Panel(quint32 serial);
    LibraryResult<Done> SetInstallerFields(quint32 serial, const InstallerFields& fields);
    // The panel's snapshots, oldest first.
    LibraryResult<std::vector<SnapshotInfo>> History(quint32 serial);
    // Snapshot number of the panel (0: the latest) as a backup.
    LibraryResult<PanelBackup> Snapshot(quint32 serial, int number = 0);

private:
    explicit PanelLibrary(LibraryLocation location, QString connection);
    QString Failure(const QString& what, const QString& databaseWords) const;

    LibraryLocation location_;
    QString connection_;
};

// Who takes a snapshot unless a name is given: the system user's name.
QString SystemUserName();
