#pragma once
// What every command of the command-line tool shares, inside the tool only:
// the parsed options, how a failure is told (one line naming what failed and
// what to do, and its exit code), JSON output, the progress bar, and the
// connection to the panel of --port.

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "cli/cli_tool.h"
#include "core/panel/device_identity.h"
#include "library/library_location.h"

class FrameTraceFile;
class PanelLibrary;
struct PanelBackup;
struct SnapshotMeta;
enum class SnapshotReason;
class InterruptWatch;
class PanelExchange;
class PanelSession;
class QCommandLineParser;
class QEventLoop;
class SeenRecorder;

inline int Code(ExitCode code) { return static_cast<int>(code); }

// "block 2 (CONFIGURAÇÃO INTERVALO DE POLLING)" and its title alone.
QString BlockTitle(std::uint8_t id);
QString BlockName(std::uint8_t id);
// "Wifi (block 6)": where the window shows the block, for what a restore wrote.
QString BlockPlaceName(std::uint8_t id);
// "model 51 (...), version V1.02 - (oficial), serial 2024011501".
QString PanelText(const Identification& panel);
QJsonObject PanelJson(const Identification& panel);

// A bar on the terminal, redrawn in place; nothing when err is not a terminal.
class Progress {
public:
    Progress(CliEnvironment& env, bool enabled, QString what, int total);
    ~Progress() { Done(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    void Step(int done);
    // Ends the bar's line, so a message starts on a line of its own.
    void Done();

private:
    CliEnvironment& env_;
    bool enabled_;
    QString what_;
    int total_;
    bool drawn_ = false;
};

class CliContext {
public:
    CliContext(CliEnvironment& env, const QCommandLineParser& parser);
    ~CliContext();

    CliEnvironment& Env() { return env_; }
    bool IsSet(const char* option) const;
    QString Value(const char* option) const;
    bool Json() const { return IsSet("json"); }

    // Says "quorvel-cli: message" on err, its control characters escaped
    // (see terminal_text.h); returns the code's number.
    int Fail(ExitCode code, const QString& message);
    void PrintJson(const QJsonObject& object);
    // A progress bar, shown on a terminal when the output is not JSON.
    std::unique_ptr<Progress> MakeProgress(const QString& what, int total);

    // Opens the trace file of --trace, when given; an exit code on failure.
    std::optional<int> OpenTrace();
    // Checks --speed and finds the port of --port; a usage error's exit code
    // when either is wrong. Connect() checks them first when this was not called.
    std::optional<int> CheckConnectionOptions();
    // Opens the port of --port at --speed and identifies the panel; an exit
    // code on failure.
    std::optional<int> Connect();
    // The session of --port, made on first use: a command may listen to it
    // before the port opens.
    PanelSession& Session();
    PanelExchange& Exchange();
    // While a long process runs in loop: the port failing or closing under
    // it closes the session, sets lost and ends the loop.
    void EndOnPortLoss(QEventLoop& loop, bool& lost);
    const Identification& Panel() const { return panel_; }
    // "No panel answered on PORT at SPEED bit/s", with what to check.
    int NoPanelAnswered();

    // The panel library of --library (else the environment's, else the
    // user's own), opened on first use; null when it cannot be, with the
    // reason for LibraryFailure(). Null too with --no-library.
    PanelLibrary* Library();
    int LibraryFailure();
    bool LibraryWanted() const { return !IsSet("no-library"); }
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
    // Who keeps a snapshot now, why, with what note and tool version.
    SnapshotMeta SnapshotOrigin(SnapshotReason reason, const QString& note = {}) const;
    // A snapshot the library could not keep: why, and how to go on without.
    QString KeepFailureText(const QString& error) const;

    // From here on, the first Ctrl-C only sets Interrupted(): the command
    // ends its current exchange and stops cleanly. A second one quits.
    void CatchInterrupt();
    bool Interrupted();
    QString PortName() const;
    qint32 Speed() const { return speed_; }

private:
    LocationParse ChosenLibrary() const;
    std::optional<int> ResolvePort();
    std::optional<int> ResolveNetworkPort(const QString& given);
    int PortOpenFailure();
    int NetworkOpenFailure();
    bool optionsChecked_ = false;
    bool interrupted_ = false;
    std::unique_ptr<InterruptWatch> interrupt_;
    std::unique_ptr<PanelLibrary> library_;
    std::unique_ptr<SeenRecorder> seen_;  // of library_, gone before it
    QString libraryError_;

    CliEnvironment& env_;
    const QCommandLineParser& parser_;
    // In this order: the session traces until it goes, the exchange listens to it.
    std::unique_ptr<FrameTraceFile> trace_;
    std::unique_ptr<PanelSession> session_;
    std::unique_ptr<PanelExchange> exchange_;
    Identification panel_;
    qint32 speed_ = 115200;
    int number_ = 0;
    QString device_;
    bool byPath_ = false;  // the port was given as a device path or an address
    bool network_ = false;  // ... as an address
    bool portLost_ = false;  // the port failed while open
};
