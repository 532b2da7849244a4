#pragma once
// The command-line tool run in-process against software panels on
// pseudo-terminals: ports in a temporary folder, panels pinned in memory,
// a fixed clock, the tool's output captured.

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/panel_host.h"
#include "cli/cli_tool.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"

namespace cli_test {

class FixedClock final : public Clock {
public:
    QDateTime Now() const override { return QDateTime(QDate(2026, 12, 10), QTime(4, 5, 6, 789)); }
};

class CliBench {
public:
    CliBench()
    {
        const std::filesystem::path root = dir_.path().toStdString();
        std::filesystem::create_directories(root / "dev");
        ports_ = std::make_unique<SystemPortCatalogue>(SystemPortCatalogue::Options{root / "ports", root / "dev"});
    }
    ~CliBench() { panels_.clear(); }

    VirtualPanel& AddPanel(int comNumber, std::uint8_t model = 51)
    {
        panels_.push_back(std::make_unique<PanelHost>(VirtualPanel::Options{.model = model}));
        ports_->PinInMemory(comNumber, panels_.back()->DevicePath().toStdString());
        return panels_.back()->Panel();
    }
    // The host of the panel added last, to unplug it.
    PanelHost& LastHost() { return *panels_.back(); }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    // The panel library the tool uses, in a folder of its own so that the
    // files a command writes stand alone in Path().
    QString LibraryPath() const { return libraryDir_.filePath("library.sqlite"); }

    int Run(const QStringList& arguments, int answerTimeoutMs = 1000)
    {
        out.clear();
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        // The update's second is short, and its stall limit outlasts the
        // panel's own second, which paces its first packet request. The
        // enrolment's and the status polling's ticks are short too.
        CliEnvironment environment{*ports_, clock_, outStream, errStream, false, answerTimeoutMs, 100, 2500,
                                    LibraryPath(), 5, 20};
        return RunCli(arguments, environment);
    }

    QString out;
    QString err;

private:
    QTemporaryDir dir_;
    QTemporaryDir libraryDir_;
    FixedClock clock_;
    std::unique_ptr<SystemPortCatalogue> ports_;
    std::vector<std::unique_ptr<PanelHost>> panels_;
};

inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

inline void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

// Three writable blocks of a model 51 panel set apart from its defaults, so
// a restore of a backup taken before writes blocks 2, 26 and 42, in order.
inline void DivergeThreeBlocks(VirtualPanel& panel)
{
    panel.SetBlock({2, 0x00, 0x3C, 0x00, 0x3C});
    panel.SetBlock({26, 1});
    panel.SetBlock({42, 0x7F, 0x3A});
}

constexpr int kDone = 0, kPanelFailed = 1, kUsage = 2, kPortError = 3, kBadFile = 4;

}  // namespace cli_test
