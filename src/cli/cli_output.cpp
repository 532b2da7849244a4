#include "cli/cli_output.h"

#include <QCommandLineParser>
#include <QJsonDocument>
#include <algorithm>

#include "cli/terminal_text.h"
#include "core/config/panel_backup.h"
#include "core/panel/block_table.h"
#include "core/panel/model_capabilities.h"

namespace {

constexpr int kProgressWidth = 30;

}  // namespace

QString BlockTitle(std::uint8_t id)
{
    const BlockEntry* entry = FindBlock(id);
    return entry ? QString::fromUtf8(entry->title) : QStringLiteral("block %1").arg(id);
}

QString BlockName(std::uint8_t id) { return QStringLiteral("block %1 (%2)").arg(id).arg(BlockTitle(id)); }

QString BlockPlaceName(std::uint8_t id)
{
    const QString place = QString::fromStdString(BlockPlace(id));
    return place.isEmpty() ? QStringLiteral("block %1").arg(id) : QStringLiteral("%1 (block %2)").arg(place).arg(id);
}

QString PanelText(const Identification& panel)
{
    return QStringLiteral("model %1 (%2), version %3, serial %4")
        .arg(panel.model)
        .arg(QString::fromStdString(ModelDisplayName(panel.model)))
        .arg(QString::fromStdString(VersionText(panel.version)))
        .arg(panel.serial);
}

QJsonObject PanelJson(const Identification& panel)
{
    return {{"model", panel.model},
            {"modelName", QString::fromStdString(ModelDisplayName(panel.model))},
            {"version", panel.version},
            {"versionText", QString::fromStdString(VersionText(panel.version))},
            {"serial", static_cast<qint64>(panel.serial)}};
}

// ---- Progress ------------------------------------------------------------------

Progress::Progress(CliEnvironment& env, bool enabled, QString what, int total)
    : env_(env), enabled_(enabled && env.terminal), what_(std::move(what)), total_(total)
{
}

void Progress::Step(int done)
{
    if (!enabled_ || total_ <= 0) return;
    const int filled = std::clamp(done, 0, total_) * kProgressWidth / total_;
    env_.err << '\r' << what_ << " [" << QString(filled, QLatin1Char('#'))
             << QString(kProgressWidth - filled, QLatin1Char(' ')) << "] " << done << '/' << total_;
    env_.err.flush();
    drawn_ = true;
}

void Progress::Done()
{
    if (drawn_) env_.err << '\n';
    env_.err.flush();
    drawn_ = false;
}

// ---- Output ----------------------------------------------------------------------

bool CliOutput::IsSet(const char* option) const { return parser_.isSet(QLatin1String(option)); }

QString CliOutput::Value(const char* option) const { return parser_.value(QLatin1String(option)); }

int CliOutput::Fail(ExitCode code, const QString& message)
{
    if (code == ExitCode::PanelFailed && !lostPort_.isEmpty()) {
        return Fail(ExitCode::PortError, QStringLiteral("the port %1 was lost: %2").arg(lostPort_, message));
    }
    env_.err << "quorvel-cli: " << PrintableLines(message) << '\n';
    env_.err.flush();
    return Code(code);
}

void CliOutput::PrintJson(const QJsonObject& object)
{
    env_.out << PrintableJson(QJsonDocument(object).toJson(QJsonDocument::Indented));
    env_.out.flush();
}

std::unique_ptr<Progress> CliOutput::MakeProgress(const QString& what, int total)
{
    return std::make_unique<Progress>(env_, !Json(), what, total);
}
