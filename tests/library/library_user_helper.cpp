// One step of a library's life in a process of its own, run by
// library_files_test as an unprivileged user (root ignores file modes):
//   library_user_helper store PATH   opens the library and keeps a snapshot
//   library_user_helper list PATH    opens it, counts its panels, asks whether it can be written
// What happened is printed on standard output, one line each.

#include <QCoreApplication>
#include <QTextStream>

#include "library/panel_library.h"
#include "sample_backup.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) return 2;
    QTextStream out(stdout);
    auto opened = PanelLibrary::Open(*ParseLibraryLocation(arguments[2]).location);
    if (!opened.Ok()) {
        out << "not opened: " << opened.error << '\n';
        return 1;
    }
    PanelLibrary& library = **opened.value;
    if (arguments[1] == QLatin1String("store")) {
        const auto stored = library.StoreSnapshot(MakeBackup(31, 0x12, At(1)), {"ana", SnapshotReason::Manual, {}, "1.08", TestNow()});
        out << (stored.Ok() ? QStringLiteral("stored @%1").arg(stored.value->number) : "not stored: " + stored.error) << '\n';
        return stored.Ok() ? 0 : 1;
    }
    const auto panels = library.Panels();
    const auto writable = library.CheckWritable();
    out << (panels.Ok() ? QStringLiteral("panels %1").arg(panels.value->size()) : "not listed: " + panels.error) << '\n'
        << (writable.Ok() ? QStringLiteral("writable") : "not writable: " + writable.error) << '\n';
    return panels.Ok() ? 0 : 1;
}
