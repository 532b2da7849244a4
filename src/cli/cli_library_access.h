#pragma once
// The panel library as the command-line tool uses it: the one of --library
// (else the environment's, else the user's own), opened on first use, or
// none with --no-library; the checks made before a panel is read, the
// snapshots the commands keep, and the panels seen.

#include <QString>
#include <memory>
#include <optional>

#include "core/panel/device_identity.h"
#include "library/library_location.h"

class CliOutput;
class PanelLibrary;
class SeenRecorder;
struct PanelBackup;
struct SnapshotMeta;
enum class SnapshotReason;

class CliLibraryAccess {
public:
    explicit CliLibraryAccess(CliOutput& output);
    ~CliLibraryAccess();

    // Opened on first use; null when it cannot be, with the reason for
    // LibraryFailure(). Null too with --no-library.
    PanelLibrary* Library();
    int LibraryFailure();
    bool LibraryWanted() const;
    // Before a panel is read by a command that keeps a snapshot: the library
    // opens and could keep one, so the command fails before it changes
    // anything. Nothing with --no-library.
    std::optional<int> CheckLibraryCanKeep();
    // No command writes over the library it uses (the file itself, a link
    // to it or a second name of it): an exit code for such a file.
    std::optional<int> RefuseLibraryFile(const QString& file);
    // Stores what the panel holds as a snapshot, unless --no-library; an
    // exit code when it cannot be kept. A backup names the file it already
    // saved, so the message says that the file is safe and the library is not.
    std::optional<int> KeepSnapshot(const PanelBackup& backup, SnapshotReason reason, const QString& savedFile = {});
    // Who keeps a snapshot now (the system user), why, with what note.
    SnapshotMeta SnapshotOrigin(SnapshotReason reason, const QString& note = {}) const;
    // A snapshot the library could not keep: why, and how to go on without.
    QString KeepFailureText(const QString& error) const;
    // A panel identified on the port: the library remembers every panel met
    // (opened now when wanted; one that cannot be opened stops nothing here,
    // the commands that store say so).
    void Sighted(const Identification& panel);

private:
    LocationParse ChosenLibrary() const;

    CliOutput& output_;
    std::unique_ptr<PanelLibrary> library_;
    std::unique_ptr<SeenRecorder> seen_;  // of library_, gone before it
    QString libraryError_;
    std::optional<Identification> sighted_;
};
