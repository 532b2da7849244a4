#include "core/rf/enrolment_machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/link/commands.h"

namespace {

using State = EnrolmentMachine::State;
using Colour = TextColour;

enum class Ev { Start, Tick, Report, Ack, Nack, Stop };

// One row: an event, how many times it happens, and what follows: the state,
// the last status shown during the row (nullptr: none), and the commands sent
// ("L7", "L8" for listening on and off, "W" for a record write).
struct Step {
    Ev event;
    int times;
    std::uint32_t code;  // the 24-bit code of a report
    State state;
    const char* status;
    Colour colour;
    const char* sent;
};

Step Do(Ev event, State state, const char* sent = "", const char* status = nullptr, Colour colour = Colour::Blue)
{
    return {event, 1, 0, state, status, colour, sent};
}
Step Ticks(int times, State state, const char* sent = "", const char* status = nullptr, Colour colour = Colour::Blue)
{
    return {Ev::Tick, times, 0, state, status, colour, sent};
}
Step Report(std::uint32_t code, State state)
{
    return {Ev::Report, 1, code, state, nullptr, Colour::Blue, ""};
}

EnrolmentSettings Pir()
{
    return {SensorKind::Pir, {-1, -1, -1}, "5", "1"};
}

std::string Summary(const std::vector<Outgoing>& sent, std::vector<std::vector<std::uint8_t>>* records)
{
    std::string text;
    for (const Outgoing& c : sent) {
        if (c.command == CommandByte(CommandCode::RfLearnCommand) && c.payload.size() == 1) {
            text += "L" + std::to_string(c.payload[0]);
        } else if (c.command == CommandByte(CommandCode::RfSensorCommand)) {
            text += "W";
            if (records) records->push_back(c.payload);
        } else {
            text += "?";
        }
    }
    return text;
}

// Runs the rows on one machine and checks each; returns the records written.
std::vector<std::vector<std::uint8_t>> RunSteps(EnrolmentMachine& machine, const std::vector<Step>& steps,
                                           const char* scenario, const EnrolmentSettings& settings = Pir())
{
    std::vector<std::vector<std::uint8_t>> records;
    int row = 0;
    for (const Step& step : steps) {
        ++row;
        std::string sent;
        std::optional<EnrolmentStatus> status;
        for (int i = 0; i < step.times; ++i) {
            EnrolmentEffects fx;
            switch (step.event) {
            case Ev::Start: fx = machine.Start(settings); break;
            case Ev::Tick: fx = machine.Tick(settings); break;
            case Ev::Stop: fx = machine.Stop(); break;
            case Ev::Ack: machine.OnAck(); break;
            case Ev::Nack: machine.OnNack(); break;
            case Ev::Report: {
                const std::uint8_t code[3] = {static_cast<std::uint8_t>(step.code >> 16),
                                              static_cast<std::uint8_t>(step.code >> 8),
                                              static_cast<std::uint8_t>(step.code)};
                machine.OnRfCodeReport(code, 3);
                break;
            }
            }
            sent += Summary(fx.send, &records);
            if (fx.status) status = fx.status;
        }
        SCOPED_TRACE(std::string(scenario) + ", row " + std::to_string(row));
        EXPECT_EQ(machine.CurrentState(), step.state);
        EXPECT_EQ(sent, step.sent);
        if (step.status == nullptr) {
            EXPECT_FALSE(status) << status->text;
        } else if (status) {
            EXPECT_EQ(status->text, step.status);
            EXPECT_EQ(status->colour, step.colour);
        } else {
            ADD_FAILURE() << "no status, expected " << step.status;
        }
    }
    return records;
}

// From "Iniciar" to the first report awaited.
std::vector<Step> ListeningSteps()
{
    return {
        Do(Ev::Start, State::StartListening, "", "Iniciando o processo de cadastro"),
        Do(Ev::Tick, State::AwaitListening, "L7"),
        Do(Ev::Ack, State::AwaitListening),
        Do(Ev::Tick, State::AwaitFirst, "", "Acione o sensor que deseja cadastrar"),
    };
}

std::vector<Step> Then(std::vector<Step> head, const std::vector<Step>& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const char* const kSecondPrompt = "Sensor lido, acione novamente o mesmo sensor que deseja cadastrar";

TEST(EnrolmentMachine, SuccessWritesTheRecordOnce)
{
    EnrolmentMachine machine;
    const auto records = RunSteps(machine, Then(ListeningSteps(), {
        Report(0x12345A, State::AwaitFirst),
        Do(Ev::Tick, State::AwaitSecond, "", kSecondPrompt),
        Report(0x123451, State::AwaitSecond),  // only the low 4 bits differ
        Do(Ev::Tick, State::Compare),
        Do(Ev::Tick, State::WriteRecord, "", "Serial lido: 74565"),
        Do(Ev::Tick, State::AwaitWritten, "W"),
        Ticks(3, State::AwaitWritten),
        Do(Ev::Ack, State::AwaitWritten),
        Do(Ev::Tick, State::StartListening, "L8", "Cadastro efetuado com sucesso", Colour::Green),
        Ticks(5, State::StartListening),  // a stray tick after the end does nothing
    }), "success");
    EXPECT_FALSE(machine.Busy());
    EXPECT_TRUE(machine.CanClose());
    ASSERT_EQ(records.size(), 1u);
    const std::vector<std::uint8_t> expected = {1, 0x01, 0x23, 0x45, 1, 255, 255, 255, 255,
                                                0x00, 0x05, 0x00, 0x01, 255, 255, 255, 255};
    EXPECT_EQ(records[0], expected);
}

TEST(EnrolmentMachine, FailuresEndTheProcessWithStopListening)
{
    {
        EnrolmentMachine machine;
        RunSteps(machine, Then(ListeningSteps(), {
            Report(0x12345A, State::AwaitFirst),
            Do(Ev::Tick, State::AwaitSecond, "", kSecondPrompt),
            Report(0x12346A, State::AwaitSecond),
            Do(Ev::Tick, State::Compare),
            Do(Ev::Tick, State::StartListening, "L8", "Erro no numero serial lido", Colour::Red),
        }), "different serials");
    }
    {
        // Ten ticks per try, the counter decreased before it is tested.
        EnrolmentMachine machine;
        RunSteps(machine, {
            Do(Ev::Start, State::StartListening, "", "Iniciando o processo de cadastro"),
            Ticks(11, State::StartListening, "L7"),
            Ticks(11, State::StartListening, "L7"),
            Ticks(10, State::AwaitListening, "L7"),
            Do(Ev::Tick, State::StartListening, "L8", "Sem resposta do rastreador", Colour::Red),
        }, "no acknowledgement of listening");
        EXPECT_FALSE(machine.Busy());
    }
    {
        EnrolmentMachine machine;
        RunSteps(machine, {
            Do(Ev::Start, State::StartListening, "", "Iniciando o processo de cadastro"),
            Do(Ev::Tick, State::AwaitListening, "L7"),
            Do(Ev::Nack, State::AwaitListening),
            Do(Ev::Tick, State::StartListening),  // an error frame retries at once
            Do(Ev::Tick, State::AwaitListening, "L7"),
        }, "error frame while waiting to listen");
        EXPECT_EQ(machine.Retries(), 2);
    }
    {
        EnrolmentMachine machine;
        RunSteps(machine, Then(ListeningSteps(), {
            Ticks(119, State::AwaitFirst),
            Do(Ev::Tick, State::StartListening, "L8", "Não leu nenhum sensor RF", Colour::Red),
        }), "no sensor triggered");
    }
    {
        EnrolmentMachine machine;
        const auto records = RunSteps(machine, Then(ListeningSteps(), {
            Report(0x0000A1, State::AwaitFirst),
            Do(Ev::Tick, State::AwaitSecond, "", kSecondPrompt),
            Report(0x0000A2, State::AwaitSecond),
            Ticks(2, State::WriteRecord, "", "Serial lido: 10"),
            Ticks(11, State::WriteRecord, "W"),
            Do(Ev::Tick, State::AwaitWritten, "W"),
            Do(Ev::Nack, State::AwaitWritten),
            Do(Ev::Tick, State::WriteRecord),
            Ticks(11, State::WriteRecord, "W"),
            Ticks(11, State::StartListening, "WL8", "Erro ao cadastrar o sensor", Colour::Red),
        }), "no acknowledgement of the record");
        EXPECT_EQ(records.size(), 4u);
    }
    {
        // The tries are counted per step: one lost while starting to listen
        // still leaves the record its four.
        EnrolmentMachine machine;
        const auto records = RunSteps(machine, {
            Do(Ev::Start, State::StartListening, "", "Iniciando o processo de cadastro"),
            Ticks(11, State::StartListening, "L7"),
            Do(Ev::Tick, State::AwaitListening, "L7"),
            Do(Ev::Ack, State::AwaitListening),
            Do(Ev::Tick, State::AwaitFirst, "", "Acione o sensor que deseja cadastrar"),
            Report(0x0000A1, State::AwaitFirst),
            Do(Ev::Tick, State::AwaitSecond, "", kSecondPrompt),
            Report(0x0000A2, State::AwaitSecond),
            Ticks(2, State::WriteRecord, "", "Serial lido: 10"),
            Ticks(11, State::WriteRecord, "W"),
            Ticks(11, State::WriteRecord, "W"),
            Ticks(11, State::WriteRecord, "W"),
            Ticks(11, State::StartListening, "WL8", "Erro ao cadastrar o sensor", Colour::Red),
        }, "a listening try lost, then the record's own tries");
        EXPECT_EQ(records.size(), 4u);
    }
}

TEST(EnrolmentMachine, AcknowledgementCountsAsAReportKeepingTheOldSerial)
{
    EnrolmentMachine machine;
    RunSteps(machine, Then(ListeningSteps(), {
        Report(0x12345A, State::AwaitFirst),
        Do(Ev::Tick, State::AwaitSecond, "", kSecondPrompt),
        Do(Ev::Stop, State::StartListening, "L8"),
    }), "first process, stopped");
    // Neither serial is reported this time: the first stays 74565, the
    // second is the 0 it was, so the comparison fails.
    RunSteps(machine, Then(ListeningSteps(), {
        Do(Ev::Ack, State::AwaitFirst),
        Do(Ev::Tick, State::AwaitSecond, "", kSecondPrompt),
        Do(Ev::Ack, State::AwaitSecond),
        Do(Ev::Tick, State::Compare),
        Do(Ev::Tick, State::StartListening, "L8", "Erro no numero serial lido", Colour::Red),
    }), "acknowledgements only");
    EXPECT_EQ(machine.FirstSerial(), 74565u);
    EXPECT_EQ(machine.SecondSerial(), 0u);

    RunSteps(machine, Then(ListeningSteps(), {
        Do(Ev::Ack, State::AwaitFirst),
        Do(Ev::Tick, State::AwaitSecond, "", kSecondPrompt),
        Report(0x123450, State::AwaitSecond),
        Do(Ev::Tick, State::Compare),
        Do(Ev::Tick, State::WriteRecord, "", "Serial lido: 74565"),
    }), "acknowledgement then a report");
}

TEST(EnrolmentMachine, ReportsCountOnlyWhenAwaitedAndThreeBytesLong)
{
    EnrolmentMachine machine;
    const std::uint8_t code[4] = {0x12, 0x34, 0x5A, 0};
    machine.OnRfCodeReport(code, 3);  // not listening
    EXPECT_FALSE(machine.AckPending());
    RunSteps(machine, ListeningSteps(), "listening");
    machine.OnRfCodeReport(code, 2);
    machine.OnRfCodeReport(code, 4);
    machine.OnRfCodeReport(nullptr, 3);
    EXPECT_FALSE(machine.AckPending());
    machine.OnRfCodeReport(code, 3);
    EXPECT_TRUE(machine.AckPending());
    EXPECT_EQ(machine.FirstSerial(), 74565u);
}

TEST(EnrolmentMachine, StartRefusesWhatCannotBeWritten)
{
    const struct {
        EnrolmentSettings settings;
        const char* status;
    } cases[] = {
        {{std::nullopt, {}, "5", "1"}, "Nenhum tipo de sensor selecionado"},
        {{SensorKind::Door, {}, "", "1"}, "Nenhuma zona configurada"},
        {{SensorKind::Door, {}, "5a", "1"}, "'5a' is not a valid integer value"},
        {{SensorKind::Door, {}, " ", "1"}, "' ' is not a valid integer value"},
        {{SensorKind::KeyFob, {}, "5", "um"}, "'um' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        EnrolmentMachine machine;
        const EnrolmentEffects fx = machine.Start(c.settings);
        EXPECT_FALSE(fx.started) << c.status;
        EXPECT_TRUE(fx.send.empty()) << c.status;
        ASSERT_TRUE(fx.status) << c.status;
        EXPECT_EQ(fx.status->text, c.status);
        EXPECT_EQ(fx.status->colour, Colour::Red);
        EXPECT_FALSE(machine.Busy());
        EXPECT_TRUE(machine.Tick(c.settings).send.empty());
    }

    // A zone is not range-checked and an empty user means 1; a second
    // "Iniciar" while running does nothing.
    EnrolmentMachine machine;
    EXPECT_TRUE(machine.Start({SensorKind::Pir, {}, "99999", ""}).started);
    EXPECT_FALSE(machine.CanClose());
    const EnrolmentEffects again = machine.Start(Pir());
    EXPECT_FALSE(again.started);
    EXPECT_FALSE(again.status);
}

TEST(EnrolmentMachine, TheRecordIsBuiltFromTheSettingsAtWriteTime)
{
    const struct {
        const char* name;
        EnrolmentSettings settings;
        std::vector<std::uint8_t> record;  // payload bytes 4 to 12
    } cases[] = {
        {"key fob, item 13 and no selection give 255", {SensorKind::KeyFob, {13, 4, -1}, "99999", ""},
         {3, 255, 4, 255, 255, 0x86, 0x9F, 0x00, 0x01}},
        {"key fob", {SensorKind::KeyFob, {0, 12, 5}, "0", "-1"}, {3, 255, 12, 0, 5, 0x00, 0x00, 0xFF, 0xFF}},
        {"door ignores the buttons", {SensorKind::Door, {0, 1, 2}, "$10", "300"},
         {2, 255, 255, 255, 255, 0x00, 0x10, 0x01, 0x2C}},
    };
    for (const auto& c : cases) {
        EnrolmentMachine machine;
        ASSERT_TRUE(machine.Start(Pir()).started);
        machine.Tick(Pir());
        machine.OnAck();
        machine.Tick(Pir());
        const std::uint8_t code[3] = {0xAB, 0xCD, 0xEF};
        machine.OnRfCodeReport(code, 3);
        machine.Tick(Pir());
        machine.OnRfCodeReport(code, 3);
        machine.Tick(Pir());
        machine.Tick(Pir());
        ASSERT_EQ(machine.CurrentState(), State::WriteRecord) << c.name;
        // The kind and the buttons changed while the process ran.
        const EnrolmentEffects fx = machine.Tick(c.settings);
        ASSERT_EQ(fx.send.size(), 1u) << c.name;
        const std::vector<std::uint8_t>& payload = fx.send[0].payload;
        ASSERT_EQ(payload.size(), 17u) << c.name;
        EXPECT_EQ(std::vector<std::uint8_t>(payload.begin(), payload.begin() + 4),
                  (std::vector<std::uint8_t>{1, 0x0A, 0xBC, 0xDE}))
            << c.name;
        EXPECT_EQ(std::vector<std::uint8_t>(payload.begin() + 4, payload.begin() + 13), c.record) << c.name;
        EXPECT_EQ(std::vector<std::uint8_t>(payload.begin() + 13, payload.end()),
                  (std::vector<std::uint8_t>{255, 255, 255, 255}))
            << c.name;
    }
}

TEST(EnrolmentMachine, StopAndResetEndAProcess)
{
    EnrolmentMachine machine;
    EXPECT_TRUE(machine.Stop().send.empty());  // nothing running: nothing sent
    machine.Start(Pir());
    machine.Tick(Pir());
    const EnrolmentEffects stop = machine.Stop();
    EXPECT_TRUE(stop.ended);
    EXPECT_EQ(Summary(stop.send, nullptr), "L8");
    EXPECT_FALSE(stop.status);
    EXPECT_TRUE(machine.CanClose());

    machine.Start(Pir());
    machine.Tick(Pir());
    machine.OnClosed();
    EXPECT_TRUE(machine.CanClose());
    machine.Reset();
    EXPECT_EQ(machine.CurrentState(), State::StartListening);
    machine.OnAck();
    EXPECT_FALSE(machine.AckPending());  // acknowledgements count only while running
}

}  // namespace
