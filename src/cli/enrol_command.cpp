// enrol: the enrolment window's process, headless. The same driver runs it,
// so the sequence and the texts are the window's; this file turns the
// options into the window's settings, prints each text the window's status
// shows, and turns the end of the process into an exit code and advice.

#include <QEventLoop>
#include <QJsonArray>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/terminal_text.h"
#include "cli/interrupt_watch.h"
#include "core/config/field_ranges.h"
#include "core/config/integer_text.h"
#include "core/rf/rf_sensor_record.h"
#include "session/enrolment_driver.h"
#include "session/panel_session.h"

namespace {

// The window's last text once a sensor is enrolled.
const QString kEnrolled = QStringLiteral("Cadastro efetuado com sucesso");

// What to do after a process that ended with this text.
QString Advice(const QString& last)
{
    if (last == QStringLiteral("Sem resposta do rastreador")) {
        return QStringLiteral("the panel did not start listening; check the cable and the panel, then run enrol again");
    }
    if (last == QStringLiteral("Não leu nenhum sensor RF")) {
        return QStringLiteral("no sensor transmitted within 60 seconds; run enrol again and trigger the sensor twice "
                              "once the panel listens");
    }
    if (last == QStringLiteral("Erro no numero serial lido")) {
        return QStringLiteral("two different sensors transmitted; run enrol again and trigger the same sensor twice");
    }
    return QStringLiteral("the panel did not take the sensor's record; check that its table has a free slot and run "
                          "enrol again");
}

// A key-fob button's function: its name in the window's list, in any case,
// or its place in that list from 1.
std::optional<int> ButtonItem(const QString& text)
{
    bool number = false;
    const int place = text.toInt(&number);
    if (number) return place >= 1 && place <= kButtonFunctionCount ? std::optional(place - 1) : std::nullopt;
    for (int item = 0; item < kButtonFunctionCount; ++item) {
        if (text.trimmed().compare(QString::fromUtf8(kButtonFunctionItems[item]), Qt::CaseInsensitive) == 0) return item;
    }
    return std::nullopt;
}

class Enrol {
public:
    explicit Enrol(CliContext& cli) : cli_(cli) {}
    int Run();

private:
    std::optional<int> ReadSettings();
    void Line(const QString& text);

    CliContext& cli_;
    EnrolmentSettings settings_;
    QStringList texts_;
    std::optional<std::uint32_t> serial_;
};

std::optional<int> Enrol::ReadSettings()
{
    const QString kind = cli_.Value("kind");
    if (kind == QStringLiteral("pir")) {
        settings_.kind = SensorKind::Pir;
    } else if (kind == QStringLiteral("door")) {
        settings_.kind = SensorKind::Door;
    } else if (kind == QStringLiteral("fob")) {
        settings_.kind = SensorKind::KeyFob;
    } else {
        return cli_.Fail(ExitCode::Usage, QStringLiteral("give the sensor's kind with --kind pir, door or fob"));
    }
    if (!cli_.IsSet("zone")) return cli_.Fail(ExitCode::Usage, QStringLiteral("give the sensor's zone with --zone (5 to 65535)"));
    // The texts go to the machine as the window's fields would; the ranges
    // are the RF sensors tab's.
    settings_.zoneText = cli_.Value("zone").toStdString();
    settings_.userText = cli_.IsSet("user") ? cli_.Value("user").toStdString() : std::string("1");
    const std::optional<std::int32_t> zone = ParseInteger(settings_.zoneText);
    if (!zone || !InRange(NumericField::RfZone, *zone)) {
        return cli_.Fail(ExitCode::Usage, QStringLiteral("zone %1 is not a number from 5 to 65535").arg(cli_.Value("zone")));
    }
    const std::optional<std::int32_t> user = ParseInteger(settings_.userText);
    if (!user || *user < 1 || *user > 65535) {
        return cli_.Fail(ExitCode::Usage, QStringLiteral("user %1 is not a number from 1 to 65535").arg(cli_.Value("user")));
    }
    if (!cli_.IsSet("buttons")) return std::nullopt;
    if (settings_.kind != SensorKind::KeyFob) {
        return cli_.Fail(ExitCode::Usage, QStringLiteral("only a key fob (--kind fob) has buttons"));
    }
    const QStringList functions = cli_.Value("buttons").split(QLatin1Char(','));
    if (functions.size() > 3) return cli_.Fail(ExitCode::Usage, QStringLiteral("a key fob has three buttons"));
    for (qsizetype i = 0; i < functions.size(); ++i) {
        const std::optional<int> item = ButtonItem(functions[i]);
        if (!item) {
            QStringList names;
            for (const char* name : kButtonFunctionItems) names << QString::fromUtf8(name);
            return cli_.Fail(ExitCode::Usage, QStringLiteral("button %1: \"%2\" is not one of %3")
                                                  .arg(i + 1)
                                                  .arg(functions[i], names.join(QStringLiteral(", "))));
        }
        settings_.buttonItems[static_cast<std::size_t>(i)] = *item;
    }
    return std::nullopt;
}

void Enrol::Line(const QString& text)
{
    texts_ << text;
    if (cli_.Json()) return;
    cli_.Env().out << PrintableText(text) << '\n';
    cli_.Env().out.flush();
}

int Enrol::Run()
{
    if (const auto failed = ReadSettings()) return *failed;
    if (const auto failed = cli_.CheckConnectionOptions()) return *failed;
    if (const auto failed = cli_.Connect()) return *failed;

    PanelSession& session = cli_.Session();
    EnrolmentDriver driver(session, [this] { return settings_; }, {.tickMs = cli_.Env().enrolTickMs});
    QEventLoop loop;
    bool started = false;
    QObject::connect(&driver, &EnrolmentDriver::Effects, &loop, [&](const EnrolmentEffects& effects) {
        if (effects.status) Line(QString::fromStdString(effects.status->text));
        if (effects.started) started = true;
        if (effects.ended) loop.quit();
        if (driver.Machine().CurrentState() >= EnrolmentMachine::Compare) serial_ = driver.Machine().FirstSerial();
    });
    bool portLost = false;
    cli_.EndOnPortLoss(loop, portLost);
    driver.Start();
    // Refused before anything was sent: the window's red text says why.
    if (!started) return cli_.Fail(ExitCode::Usage, texts_.value(0));
    // The first Ctrl-C stops as "Parar" does, telling the panel; a second
    // one quits at once.
    bool interrupted = false;
    const InterruptWatch interrupt([&] {
        if (interrupted || !driver.Machine().Busy()) return;
        interrupted = true;
        driver.Stop();
    });
    if (driver.Machine().Busy()) loop.exec();
    // The panel is told to stop listening as the process ends: let that go.
    session.FlushWrites();

    const bool enrolled = !portLost && !interrupted && texts_.value(texts_.size() - 1) == kEnrolled;
    if (cli_.Json()) {
        QJsonObject result{{"port", cli_.PortName()}, {"panel", PanelJson(cli_.Panel())}, {"enrolled", enrolled},
                           {"messages", QJsonArray::fromStringList(texts_)}};
        if (serial_) result.insert("serial", static_cast<qint64>(*serial_));
        cli_.PrintJson(result);
    }
    if (portLost) {
        return cli_.Fail(ExitCode::PortError, QStringLiteral("the port %1 failed during the enrolment; reconnect the "
                                                             "cable and run enrol again")
                                                  .arg(cli_.PortName()));
    }
    if (interrupted) {
        return cli_.Fail(ExitCode::PanelFailed, QStringLiteral("cancelled (Ctrl-C); the panel stopped listening and no "
                                                               "sensor was enrolled"));
    }
    if (!enrolled) return cli_.Fail(ExitCode::PanelFailed, Advice(texts_.value(texts_.size() - 1)));
    return Code(ExitCode::Done);
}

}  // namespace

int RunEnrol(CliContext& cli)
{
    Enrol enrol(cli);
    return enrol.Run();
}
