// status: the diagnostic window's pages, field by field under the window's
// captions. Once, every page of the chosen tabs is asked for and awaited;
// with --watch, the polling driver asks for the chosen tab's pages at the
// window's pace and every change is printed as it comes, until Ctrl-C.

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <map>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/terminal_text.h"
#include "cli/interrupt_watch.h"
#include "core/diagnostics/status_pages.h"
#include "core/diagnostics/status_polling.h"
#include "core/diagnostics/status_tabs.h"
#include "session/panel_exchange.h"
#include "session/panel_session.h"
#include "session/status_polling_driver.h"

namespace {

// The signal bars' row has no label; it is kept under this name.
const std::string kSignalBars = "signalBars";

// "Partições teclado", "particoes-teclado" and "PARTIÇÕES TECLADO" are one tab.
QString TabKey(const QString& text)
{
    QString key;
    for (const QChar c : text.normalized(QString::NormalizationForm_D).toLower()) {
        if (c.category() == QChar::Mark_NonSpacing) continue;
        key += c.isSpace() || c == QLatin1Char('_') ? QLatin1Char('-') : c;
    }
    return key;
}

std::vector<int> TabsWithValues()
{
    std::vector<int> tabs;
    for (int tab = 0; tab < kDebugTabCount; ++tab) {
        if (!StatusTabs()[static_cast<std::size_t>(tab)].fields.empty()) tabs.push_back(tab);
    }
    return tabs;
}

// What the window's labels show: every label's text as the pages set it.
class StatusValues {
public:
    void Apply(const LabelUpdates& updates)
    {
        for (const LabelUpdate& update : updates) {
            if (update.text) texts_[update.name] = *update.text;
            if (const int bars = ShownSignalBars(update); bars >= 0) texts_[kSignalBars] = std::to_string(bars);
        }
    }
    QString Value(const StatusField& field) const
    {
        const auto found = texts_.find(field.name.empty() ? kSignalBars : field.name);
        // The date ends its line itself.
        return found == texts_.end() ? QString::fromUtf8(kNoInformation)
                                     : QString::fromStdString(found->second).trimmed();
    }

private:
    std::map<std::string, std::string> texts_;
};

QJsonObject FieldJson(const StatusField& field, const QString& value)
{
    QJsonObject object{{"caption", QString::fromStdString(field.caption)}, {"value", value}};
    object.insert("name", QString::fromStdString(field.name.empty() ? kSignalBars : field.name));
    return object;
}

QString FieldLine(const StatusField& field, const QString& value)
{
    // The value may hold a panel's own text (a keypad's message, a name).
    const QString shown = PrintableText(value);
    return field.caption.empty() ? shown : QString::fromStdString(field.caption) + QLatin1Char(' ') + shown;
}

class Status {
public:
    explicit Status(CliContext& cli) : cli_(cli) {}
    int Run();

private:
    std::optional<int> ChooseTabs();
    int Once();
    int Watch();

    CliContext& cli_;
    std::vector<int> tabs_;
    StatusValues values_;
};

std::optional<int> Status::ChooseTabs()
{
    if (!cli_.IsSet("page")) {
        // Once: every tab with live values; watched: the window's first tab.
        tabs_ = TabsWithValues();
        if (cli_.IsSet("watch")) tabs_.resize(1);
        return std::nullopt;
    }
    const QString wanted = TabKey(cli_.Value("page"));
    QStringList names;
    for (int tab : TabsWithValues()) {
        const QString key = TabKey(QString::fromStdString(StatusTabs()[static_cast<std::size_t>(tab)].caption));
        if (key == wanted) {
            tabs_ = {tab};
            return std::nullopt;
        }
        names << key;
    }
    return cli_.Fail(ExitCode::Usage, QStringLiteral("no status page \"%1\" with live values; choose one of %2")
                                          .arg(cli_.Value("page"), names.join(QStringLiteral(", "))));
}

int Status::Run()
{
    if (const auto failed = ChooseTabs()) return *failed;
    if (const auto failed = cli_.CheckConnectionOptions()) return *failed;
    if (const auto failed = cli_.Connect()) return *failed;
    return cli_.IsSet("watch") ? Watch() : Once();
}

int Status::Once()
{
    QJsonArray tabsJson;
    QTextStream& out = cli_.Env().out;
    for (int tab : tabs_) {
        const StatusTab& contents = StatusTabs()[static_cast<std::size_t>(tab)];
        for (std::uint8_t page : TabPages(tab)) {
            const PanelExchange::Read read = cli_.Exchange().ReadStatusPage(page);
            if (read.outcome != PanelExchange::Outcome::Done) {
                return cli_.Fail(ExitCode::PanelFailed,
                                 QStringLiteral("the panel did not answer status page %1 (%2); check the cable and "
                                                "run the command again")
                                     .arg(page)
                                     .arg(QString::fromStdString(contents.caption)));
            }
            values_.Apply(DecodeStatusFrame(read.block.data(), read.block.size()).updates);
        }
        QJsonArray fields;
        if (!cli_.Json()) out << QString::fromStdString(contents.caption) << '\n';
        for (const StatusField& field : contents.fields) {
            fields.append(FieldJson(field, values_.Value(field)));
            if (!cli_.Json()) out << "  " << FieldLine(field, values_.Value(field)) << '\n';
        }
        tabsJson.append(QJsonObject{{"tab", QString::fromStdString(contents.caption)}, {"fields", fields}});
    }
    if (cli_.Json()) {
        cli_.PrintJson({{"port", cli_.PortName()}, {"panel", PanelJson(cli_.Panel())}, {"tabs", tabsJson}});
    }
    out.flush();
    return Code(ExitCode::Done);
}

int Status::Watch()
{
    const int tab = tabs_.front();
    const StatusTab& contents = StatusTabs()[static_cast<std::size_t>(tab)];
    CliEnvironment& env = cli_.Env();
    env.err << "Watching \"" << QString::fromStdString(contents.caption) << "\" of " << PanelText(cli_.Panel())
            << " on " << cli_.PortName() << "; Ctrl-C stops\n";
    env.err.flush();

    PanelSession& session = cli_.Session();
    StatusPollingDriver driver(session, env.clock, {.tickMs = env.statusPollMs});
    driver.SelectTab(tab);
    std::map<std::string, QString> shown;
    QEventLoop loop;
    QObject::connect(&driver, &StatusPollingDriver::PageDecoded, &loop, [&](const LabelUpdates& updates) {
        values_.Apply(updates);
        for (const StatusField& field : contents.fields) {
            const QString value = values_.Value(field);
            const std::string key = field.name.empty() ? kSignalBars : field.name;
            const auto before = shown.find(key);
            // The first page of a field shows it, as the window's label shows
            // its first value; after that only a change does.
            if (before != shown.end() ? before->second == value : value == QString::fromUtf8(kNoInformation)) continue;
            shown[key] = value;
            if (cli_.Json()) {
                QJsonObject change = FieldJson(field, value);
                change.insert("tab", QString::fromStdString(contents.caption));
                env.out << PrintableJson(QJsonDocument(change).toJson(QJsonDocument::Compact)) << '\n';
            } else {
                env.out << FieldLine(field, value) << '\n';
            }
        }
        env.out.flush();
    });
    bool portLost = false;
    cli_.EndOnPortLoss(loop, portLost);
    // The first Ctrl-C ends the watch; a second one quits at once.
    const InterruptWatch interrupt([&loop] { loop.quit(); });
    loop.exec();
    if (portLost) {
        return cli_.Fail(ExitCode::PortError, QStringLiteral("the port %1 failed while watching; reconnect the cable and "
                                                             "run the command again")
                                                  .arg(cli_.PortName()));
    }
    return Code(ExitCode::Done);
}

}  // namespace

int RunStatus(CliContext& cli)
{
    Status status(cli);
    return status.Run();
}
