// The enrolment driver against the software panel in memory: the machine's
// 500 ms ticks are driven by hand, the sensor transmits when the test says,
// and every status text the process shows is checked in order.

#include <gtest/gtest.h>

#include "core/rf/rf_sensor_record.h"
#include "session/enrolment_driver.h"
#include "session_rig.h"

namespace session_test {
namespace {

constexpr std::uint32_t kSensorA = 0x123450;  // serial 0x12345 (74565)
constexpr std::uint32_t kSensorB = 0x654320;

// One letter an event: S start, P stop, t a tick, a and b sensors A and B
// transmit; then the panel's answers arrive.
struct Enrolment {
    explicit Enrolment(SessionRig& rig, EnrolmentSettings settings)
        : rig_(rig),
          settings_(std::move(settings)),
          // Real time never ticks the machine here: the test does.
          driver_(rig.session, [this] { return settings_; }, {.tickMs = 3600 * 1000})
    {
        QObject::connect(&driver_, &EnrolmentDriver::Effects, [this](const EnrolmentEffects& effects) {
            if (effects.status) texts.push_back(effects.status->text);
            if (effects.ended) ended = true;
        });
    }

    void Play(const std::string& events)
    {
        for (char event : events) {
            switch (event) {
            case 'S': driver_.Start(); break;
            case 'P': driver_.Stop(); break;
            case 't': driver_.Tick(); break;
            case 'a': rig_.panel.TriggerRfSensor(kSensorA); break;
            case 'b': rig_.panel.TriggerRfSensor(kSensorB); break;
            }
            Drain(10);
        }
    }

    std::vector<std::string> texts;
    bool ended = false;
    const EnrolmentDriver& Driver() const { return driver_; }

private:
    SessionRig& rig_;
    EnrolmentSettings settings_;
    EnrolmentDriver driver_;
};

EnrolmentSettings KeyFob()
{
    EnrolmentSettings settings;
    settings.kind = SensorKind::KeyFob;
    settings.buttonItems = {0, 1, 13};  // ARMAR, DESARMAR, DESABILITADO
    settings.zoneText = "12";
    settings.userText = "";  // user 1
    return settings;
}

std::string Ticks(int count) { return std::string(static_cast<std::size_t>(count), 't'); }

TEST(EnrolmentDriver, TheProcessAndItsTexts)
{
    EnrolmentSettings noZone = KeyFob();
    noZone.zoneText.clear();
    const std::string listening = "Stt";  // start, [7] out, acknowledged
    const struct {
        const char* name;
        EnrolmentSettings settings;
        std::function<void(VirtualPanel&)> fault;
        std::string events;
        std::vector<std::string> texts;
        std::size_t learnCommands;  // [7] and [8] sent
        bool enrolled;
    } cases[] = {
        {"enrolled", KeyFob(), {}, listening + "at" + "at" + "tttt",
         {"Iniciando o processo de cadastro", "Acione o sensor que deseja cadastrar",
          "Sensor lido, acione novamente o mesmo sensor que deseja cadastrar", "Serial lido: 74565",
          "Cadastro efetuado com sucesso"},
         2, true},
        {"two different sensors", KeyFob(), {}, listening + "at" + "bt" + "tt",
         {"Iniciando o processo de cadastro", "Acione o sensor que deseja cadastrar",
          "Sensor lido, acione novamente o mesmo sensor que deseja cadastrar", "Erro no numero serial lido"},
         2, false},
        {"no sensor transmits", KeyFob(), {}, listening + Ticks(120),
         {"Iniciando o processo de cadastro", "Acione o sensor que deseja cadastrar", "Não leu nenhum sensor RF"}, 2,
         false},
        // Three starts, ten ticks each, then the end.
        {"a silent panel", KeyFob(), [](VirtualPanel& p) { p.SetSilent(true); }, "S" + Ticks(33),
         {"Iniciando o processo de cadastro", "Sem resposta do rastreador"}, 4, false},
        {"stopped while listening", KeyFob(), {}, listening + "P",
         {"Iniciando o processo de cadastro", "Acione o sensor que deseja cadastrar"}, 2, false},
        {"no zone: refused before anything is sent", noZone, {}, "St", {"Nenhuma zona configurada"}, 0, false},
    };
    for (const auto& c : cases) {
        SessionRig rig;
        ASSERT_TRUE(rig.Connect()) << c.name;
        if (c.fault) c.fault(rig.Panel());
        const std::size_t enrolledBefore = rig.Panel().Rf().EnrolledCount();
        Enrolment enrolment(rig, c.settings);
        enrolment.Play(c.events);
        EXPECT_EQ(enrolment.texts, c.texts) << c.name;
        EXPECT_EQ(rig.Received(CommandCode::RfLearnCommand), c.learnCommands) << c.name;
        EXPECT_EQ(enrolment.Driver().Machine().Busy(), false) << c.name;
        EXPECT_EQ(rig.Panel().Rf().EnrolledCount(), enrolledBefore + (c.enrolled ? 1u : 0u)) << c.name;
        EXPECT_FALSE(rig.Panel().Rf().Listening()) << c.name;
    }
}

TEST(EnrolmentDriver, TheRecordWrittenHoldsTheSettings)
{
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    Enrolment enrolment(rig, KeyFob());
    enrolment.Play("Sttatattttt");
    ASSERT_EQ(enrolment.texts.back(), "Cadastro efetuado com sucesso");
    RfSensorRecord expected;
    expected.serial = 0x12345;
    expected.kind = static_cast<std::uint8_t>(SensorKind::KeyFob);
    expected.buttons = {0, 1, kButtonDisabled};
    expected.zone = 12;
    expected.user = 1;
    const std::array<std::uint8_t, kRfRecordLength> packed = PackRfSensorRecord(expected);
    bool stored = false;
    for (std::size_t slot = 0; slot < sim::kRfRecordCount; ++slot) stored = stored || rig.Panel().Rf().Record(slot) == packed;
    EXPECT_TRUE(stored);
}

}  // namespace
}  // namespace session_test
