#include "cli/cli_library_access.h"

#include "cli/cli_output.h"
#include "cli/terminal_text.h"
#include "jobs/seen_recorder.h"
#include "library/panel_library.h"
#include "session/clock.h"

CliLibraryAccess::CliLibraryAccess(CliOutput& output) : output_(output) {}

CliLibraryAccess::~CliLibraryAccess() = default;

bool CliLibraryAccess::LibraryWanted() const { return !output_.IsSet("no-library"); }

void CliLibraryAccess::Sighted(const Identification& panel)
{
    sighted_ = panel;
    if (seen_) seen_->Record(panel);
    else if (LibraryWanted() && libraryError_.isEmpty()) Library();
}

LocationParse CliLibraryAccess::ChosenLibrary() const
{
    const QString given = output_.IsSet("library") ? output_.Value("library") : output_.Env().defaultLibrary;
    return ChooseLibraryLocation(given);
}

PanelLibrary* CliLibraryAccess::Library()
{
    if (library_ || !libraryError_.isEmpty() || !LibraryWanted()) return library_.get();
    const LocationParse location = ChosenLibrary();
    if (!location.location) {
        libraryError_ = location.error;
        return nullptr;
    }
    auto opened = PanelLibrary::Open(*location.location);
    if (!opened.Ok()) {
        libraryError_ = opened.error;
        return nullptr;
    }
    library_ = std::move(*opened.value);
    QTextStream& err = output_.Env().err;
    for (const QString& notice : library_->Notices()) err << "quorvel-cli: " << PrintableText(notice) << '\n';
    err.flush();
    seen_ = std::make_unique<SeenRecorder>(*library_, output_.Env().clock);
    // A panel identified before the library was wanted is recorded now.
    if (sighted_) seen_->Record(*sighted_);
    return library_.get();
}

int CliLibraryAccess::LibraryFailure()
{
    return output_.Fail(ExitCode::BadFile, libraryError_.isEmpty() ? QStringLiteral("the panel library is turned off (--no-library)")
                                                           : libraryError_);
}

std::optional<int> CliLibraryAccess::CheckLibraryCanKeep()
{
    if (!LibraryWanted()) return std::nullopt;
    PanelLibrary* library = Library();
    const auto writable = library ? library->CheckWritable() : LibraryResult<Done>{std::nullopt, libraryError_};
    if (writable.Ok()) return std::nullopt;
    return output_.Fail(ExitCode::BadFile, QStringLiteral("%1; the panel was not read, nothing was written; run with "
                                                  "--no-library to go on without keeping the panel's configuration in "
                                                  "the library")
                                       .arg(writable.error));
}

std::optional<int> CliLibraryAccess::RefuseLibraryFile(const QString& file)
{
    if (!LibraryWanted()) return std::nullopt;
    const LocationParse chosen = library_ ? LocationParse{library_->Location(), {}} : ChosenLibrary();
    if (!chosen.location || !WouldWriteOverLibrary(*chosen.location, file)) return std::nullopt;
    return output_.Fail(ExitCode::BadFile, QStringLiteral("%1 is the panel library's own file; writing there would destroy the "
                                                  "library: choose another file")
                                       .arg(file));
}

std::optional<int> CliLibraryAccess::KeepSnapshot(const PanelBackup& backup, SnapshotReason reason, const QString& savedFile)
{
    if (!LibraryWanted()) return std::nullopt;
    PanelLibrary* library = Library();
    const auto stored = library ? library->StoreSnapshot(backup, SnapshotOrigin(reason))
                                : LibraryResult<SnapshotInfo>{std::nullopt, libraryError_};
    if (stored.Ok()) return std::nullopt;
    if (!savedFile.isEmpty()) {
        return output_.Fail(ExitCode::BadFile, QStringLiteral("%1 was saved, but the library kept no snapshot of it: %2")
                                           .arg(savedFile, stored.error));
    }
    return output_.Fail(ExitCode::BadFile, KeepFailureText(stored.error));
}

QString CliLibraryAccess::KeepFailureText(const QString& error) const
{
    return QStringLiteral("%1; run with --no-library to go on without keeping the panel's configuration in the library")
        .arg(error);
}

SnapshotMeta CliLibraryAccess::SnapshotOrigin(SnapshotReason reason, const QString& note) const
{
    return MakeSnapshotMeta(QString(), reason, note, output_.Env().clock.Now());
}
