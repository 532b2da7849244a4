#pragma once
// What every command of the command-line tool says, inside the tool only:
// the parsed options, how a failure is told (one line naming what failed
// and what to do, and its exit code), JSON output and the progress bar;
// and blocks and panels named as the commands print them.

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <memory>

#include "cli/cli_tool.h"
#include "core/panel/device_identity.h"

class QCommandLineParser;

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

class CliOutput {
public:
    CliOutput(CliEnvironment& env, const QCommandLineParser& parser) : env_(env), parser_(parser) {}

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
    // The port failed while open: from here on a panel that stopped
    // answering (a cable pulled, a serial server gone) is told as a port error.
    void PortLost(const QString& port) { lostPort_ = port; }

private:
    CliEnvironment& env_;
    const QCommandLineParser& parser_;
    QString lostPort_;
};
