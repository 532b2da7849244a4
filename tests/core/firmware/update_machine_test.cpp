#include "core/firmware/update_machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/firmware/image_builder.h"
#include "core/firmware/image_file.h"

namespace {

// The image every run sends: model 56, firmware ID 0x22, three packets.
ImagePlan Plan(std::uint16_t packets = 3)
{
    ImagePlan plan;
    plan.modelCode = 56;
    plan.firmwareId = 0x22;
    plan.packetCount = packets;
    plan.imageWord = 0xBEEF;
    return plan;
}

// One event per character:
//   c  Iniciar/Cancelar clicked     t  50 ms tick        T  one-second tick
//   a  acknowledgement             n  negative ack
//   I  identification, model 56    X  identification, model 37
//   f  packet request 1 (the start confirmation)
//   r  request for the next packet in order (1, 2, 3, ...)
//   q  request for packet 4 (in range, but past the image)
//   z  request for packet 0        Z  request for packet 2615
//   L  request for packet 2614 (the last an image can hold)
//   w  request with firmware ID 0x23
//   1..9  update result with that code
// Per event the timeline records the state afterwards ('.' once the run has
// ended) and the command sent ('.' none, b 147, i 140, s 144, p 145).
struct Timeline {
    std::string states;
    std::string sends;
    std::vector<std::string> boxes;       // "Erro: ..." or "Informação: ..."
    std::vector<std::string> rejections;  // Label9
    std::string status;                   // Label3 at the end
    TextColour colour = TextColour::Blue;
    std::string packetText;               // Label8 at the end
    int gauge = -1;
};

class MachineRig {
public:
    explicit MachineRig(std::uint16_t packets = 3) : machine(image)
    {
        MemoryByteSource source(ImageFileBytes(Plan(packets)));
        image.Load(&source, "a.bin");
    }

    Timeline Play(const std::string& events, bool portOpen = true)
    {
        Timeline run;
        int next = 1;
        for (const char event : events) {
            UpdateEffects fx;
            switch (event) {
            case 'c': fx = machine.OnStartCancelClick(portOpen); break;
            case 't': fx = machine.Tick(); break;
            case 'T': machine.TimeoutTick(); break;
            case 'a': fx = machine.OnAck(); break;
            case 'n': fx = machine.OnNack(); break;
            case 'I': machine.OnIdentification(56, 0x12); break;
            case 'X': machine.OnIdentification(37, 0x12); break;
            case 'f': fx = Request(0x22, 1); break;
            case 'r': fx = Request(0x22, next++); break;
            case 'q': fx = Request(0x22, 4); break;
            case 'z': fx = Request(0x22, 0); break;
            case 'Z': fx = Request(0x22, 2615); break;
            case 'L': fx = Request(0x22, 2614); break;
            case 'w': fx = Request(0x23, 1); break;
            default: {
                const std::uint8_t code = static_cast<std::uint8_t>(event - '0');
                fx = machine.OnUpdateResult(&code, 1);
            }
            }
            Apply(fx, run);
            run.states += machine.UpdateRunning() ? "0123456789abc"[static_cast<int>(machine.State())] : '.';
        }
        return run;
    }

    UpdateEffects Request(std::uint8_t firmwareId, int number)
    {
        const std::uint8_t payload[3] = {firmwareId, static_cast<std::uint8_t>(number >> 8),
                                         static_cast<std::uint8_t>(number)};
        return machine.OnPacketRequest(payload, 3);
    }

    void Apply(const UpdateEffects& fx, Timeline& run)
    {
        char sent = '.';
        if (fx.send) {
            sent = fx.send->command == 147 ? 'b' : fx.send->command == 140 ? 'i' : fx.send->command == 144 ? 's'
                 : fx.send->command == 145 ? 'p' : '?';
            lastSent = *fx.send;
        }
        run.sends += sent;
        if (fx.status) {
            run.status = fx.status->text;
            run.colour = fx.status->colour;
        }
        if (fx.rejection && !fx.rejection->empty()) run.rejections.push_back(*fx.rejection);
        if (fx.packetText) run.packetText = *fx.packetText;
        if (fx.gaugeValue) run.gauge = *fx.gaugeValue;
        if (fx.message) run.boxes.push_back((fx.message->information ? "Informação: " : "Erro: ") + fx.message->text);
    }

    FirmwareImage image;
    UpdateMachine machine;
    Outgoing lastSent;
};

struct Scenario {
    const char* name;
    std::string events;
    const char* states;
    const char* sends;
    std::vector<std::string> boxes;
    std::vector<std::string> rejections;
    const char* status;
    TextColour colour;
};

// Reaching each phase: Iniciar, the countdown of 1 runs out, 147 goes out;
// the device identifies; the countdown runs out again and 144 goes out.
constexpr const char* kToState2 = "ctTtIt";
constexpr const char* kToState3 = "ctTtItTtft";

TEST(UpdateMachine, Timelines)
{
    using C = TextColour;
    const std::string s2 = kToState2, s3 = kToState3;
    const std::string cancelled = "Erro: Atualização cancelada.";
    const Scenario scenarios[] = {
        {"normal path", "ctTtaItTtftrrtr1t5t", "000111222233333448.", "...b....s..pp.p....",
         {"Informação: Versão nova OK."}, {}, "Versão nova OK", C::Green},
        {"result 5 straight after the packets", s3 + "rrr5t", "00011222233338.", "...b...s..ppp..",
         {"Informação: Versão nova OK."}, {}, "Versão nova OK", C::Green},
        {"rejected requests send nothing and the run goes on", s3 + "zZwqt", "000112222333333",
         "...b...s.......", {},
         {"Erro no numero do pacote atual.", "Erro no numero do pacote atual.", "Erro no ID de firmware.",
          "Erro no pacote de dados."},
         "Em processo de atualização", C::Blue},
        {"model mismatch", "ctTtXt", "00011.", "...b..", {"Erro: Modelo de equipamento diferente da versão de firmware."},
         {}, "Solicitando informação do equipamento", C::Blue},
        {"five unanswered identification requests", "ctTtTTTtTTTtTTTtTTTtTTTtTTTt", "000111111111111111111111111.",
         "...b...i...i...i...i...i....", {"Erro: Erro ao enviar o comando de identificação."}, {},
         "Solicitando informação do equipamento", C::Blue},
        {"a tick before the identification request is answered waits for it", "ctTtTTTttIt", "00011111112",
         "...b...i...", {}, {}, "Solicitando informação do equipamento", C::Blue},
        {"an identification on the last request still counts", "ctTtTTTtTTTtTTTtTTTtTTTtIt",
         "00011111111111111111111112", "...b...i...i...i...i...i..", {}, {}, "Solicitando informação do equipamento",
         C::Blue},
        {"three unacknowledged starts", s2 + "TtTTTTTtTTTTTtTTTTTt", "0001122222222222222222222.",
         "...b...s.....s.....s......", {"Erro: Erro ao enviar o comando de iniciar atualização."}, {},
         "Iniciando processo de atualização", C::Blue},
        {"an acknowledgement starts the packets", s2 + "Ttat", "0001122223", "...b...s..", {}, {},
         "Iniciando processo de atualização", C::Blue},
        // The bootloader command's acknowledgement comes while the identity
        // is awaited: it does not answer the start command, still to be sent.
        {"a stale acknowledgement is not the start's", "ctTtaIttTt", "0001112222", "...b.....s", {}, {},
         "Iniciando processo de atualização", C::Blue},
        {"cancel in state 3", s3 + "rctat", "00011222233bbb.", "...b...s..p.b..", {cancelled}, {},
         "Atualização cancelada", C::Blue},
        {"cancel in state 4", s3 + "rrr1ctat", "00011222233334bbb.", "...b...s..ppp..b..", {cancelled},
         {}, "Atualização cancelada", C::Blue},
        {"second click while cancelling does nothing", s3 + "ctcTTtat", "0001122223bbbbbbb.",
         "...b...s...b...b..", {cancelled}, {}, "Atualização cancelada", C::Blue},
        {"five unacknowledged cancels", s3 + "ctTTtTTtTTtTTtTTt", "0001122223bbbbbbbbbbbbbbbb.",
         "...b...s...b..b..b..b..b...", {"Erro: Erro sem resposta do equipamento."}, {},
         "Cancelando atualização", C::Blue},
        {"negative acknowledgements shown only once the model matched", "ctTtnItn", "00011122",
         "...b....", {}, {}, "Mensagem de nack do equipamento", C::Red},
        {"a result before the run changes only the state", "4ctTt", ".0001", "....b", {}, {},
         "Inicializando bootloader", C::Blue},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        MachineRig rig;
        const Timeline run = rig.Play(s.events);
        EXPECT_EQ(run.states, s.states);
        EXPECT_EQ(run.sends, s.sends);
        EXPECT_EQ(run.boxes, s.boxes);
        EXPECT_EQ(run.rejections, s.rejections);
        EXPECT_EQ(run.status, s.status);
        EXPECT_EQ(run.colour, s.colour);
    }
}

TEST(UpdateMachine, ErrorResultsEndTheRunInRed)
{
    const std::pair<char, const char*> results[] = {
        {'2', "Erro gravação pacote recebido"},   {'3', "Erro gravação versão antiga"},
        {'4', "Erro gravação versão nova (CRC)"}, {'6', "Erro restaure da versão anterior"},
        {'7', "Erro de timeout serial"},          {'8', "Erro na assinatura do firmware novo"},
    };
    for (const auto& [code, text] : results) {
        SCOPED_TRACE(text);
        MachineRig rig;
        const Timeline run = rig.Play(std::string(kToState3) + "r" + code + "t");
        EXPECT_EQ(run.states.back(), '.');
        EXPECT_EQ(run.status, text);
        EXPECT_EQ(run.colour, TextColour::Red);
        EXPECT_EQ(run.boxes, std::vector<std::string>{std::string("Erro: ") + text + "."});
    }
    // Codes without a meaning change nothing.
    MachineRig rig;
    const Timeline run = rig.Play(std::string(kToState3) + "09t");
    EXPECT_EQ(run.states.substr(run.states.size() - 3), "333");
    EXPECT_EQ(run.status, "Em processo de atualização");
}

TEST(UpdateMachine, TheGaugeEndsFullOnlyWithTheNewVersion)
{
    // The tick shows packet 1; packets 2 and 3 go out before the next one.
    const std::string s3 = kToState3;
    const struct {
        const char* name;
        std::string events;
        int gauge;
        const char* packetText;
    } cases[] = {
        {"new version after packets no tick saw", s3 + "rtrr15t", 3, "Pacote 3 de 3"},
        {"new version before any packet was shown", s3 + "5t", 3, "Pacote 3 de 3"},
        {"an error keeps the last packet shown", s3 + "rtrr2t", 1, "Pacote 1 de 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MachineRig rig;
        const Timeline run = rig.Play(c.events);
        EXPECT_EQ(run.states.back(), '.');
        EXPECT_EQ(run.gauge, c.gauge);
        EXPECT_EQ(run.packetText, c.packetText);
    }
}

TEST(UpdateMachine, NoStateTextPastTheLastState)
{
    EXPECT_STREQ(UpdateStateText(12), "Erro na assinatura do firmware novo");
    EXPECT_STREQ(UpdateStateText(13), "");
    EXPECT_STREQ(UpdateStateText(255), "");
}

TEST(UpdateMachine, StartAnnouncesTheImageAndPacketsGoOutByteExact)
{
    MachineRig rig;
    const Timeline start = rig.Play("c");
    EXPECT_EQ(start.packetText, "Pacote 1 de 3");
    EXPECT_EQ(start.gauge, 0);

    rig.Play("tTtItTt");
    ASSERT_EQ(rig.lastSent.command, 144);
    EXPECT_EQ(rig.lastSent.payload,
              (std::vector<std::uint8_t>{0x22, 0x00, 0x03, 0xBE, 0xEF}));

    rig.Play("ft");
    const ImagePacket expected = MakeImagePackets(Plan())[2];  // packet 3, the short one
    const UpdateEffects fx = rig.Request(0x22, 3);
    ASSERT_TRUE(fx.send);
    std::vector<std::uint8_t> want = {0x22, 0x00, 0x03};
    for (int shift = 24; shift >= 0; shift -= 8) want.push_back(static_cast<std::uint8_t>(expected.packetTag >> shift));
    want.push_back(static_cast<std::uint8_t>(expected.dataLength));
    want.insert(want.end(), expected.packetData.begin(), expected.packetData.begin() + expected.dataLength);
    EXPECT_EQ(fx.send->payload, want);

    // The gauge follows the device's order of requests, not a count.
    Timeline gauge;
    rig.Apply(rig.machine.Tick(), gauge);
    EXPECT_EQ(gauge.gauge, 3);
    EXPECT_EQ(gauge.packetText, "Pacote 3 de 3");
    rig.Apply(rig.Request(0x22, 2), gauge);
    rig.Apply(rig.machine.Tick(), gauge);
    EXPECT_EQ(gauge.gauge, 2);
    EXPECT_EQ(gauge.packetText, "Pacote 2 de 3");
}

TEST(UpdateMachine, StartRefusalsAndCloseRules)
{
    MachineRig closedPort;
    EXPECT_EQ(closedPort.Play("c", false).boxes, std::vector<std::string>{"Erro: Porta serial não está aberta."});
    EXPECT_FALSE(closedPort.machine.UpdateRunning());

    MachineRig rig;
    EXPECT_TRUE(rig.machine.CanClose());
    rig.Play(kToState3);
    EXPECT_FALSE(rig.machine.CanClose());
    rig.Play("rrr1");
    EXPECT_TRUE(rig.machine.CanClose());
    rig.machine.OnClosed();
    rig.image.Close();
    EXPECT_FALSE(rig.machine.UpdateRunning());
    EXPECT_EQ(rig.Play("c").boxes,
              std::vector<std::string>{"Erro: Arquivo de atualização não é valido, tente abrir novamente."});

    // A second run waits for a fresh identification (a tick before it comes
    // does not take the first run's): another model answering this time is
    // refused.
    MachineRig twice;
    twice.Play("ctTtItTtftrrr5t");
    const Timeline other = twice.Play("ctTttXt");
    EXPECT_EQ(other.states, "000111.");
    EXPECT_EQ(other.boxes, std::vector<std::string>{"Erro: Modelo de equipamento diferente da versão de firmware."});

    // After a finished run the same image starts again at once.
    MachineRig again;
    again.Play("ctTtItTtftrrr5t");
    EXPECT_FALSE(again.machine.UpdateRunning());
    const Timeline second = again.Play("c");
    EXPECT_EQ(second.states, "0");
    EXPECT_EQ(second.packetText, "Pacote 1 de 3");
}

// The largest image: its last packet is asked for and answered; one past it
// is refused.
TEST(UpdateMachine, TheLastPacketOfTheLargestImageIsAnswered)
{
    MachineRig rig(static_cast<std::uint16_t>(kMaxImagePackets));
    const Timeline run = rig.Play(std::string(kToState3) + "LZ");
    EXPECT_EQ(run.sends.substr(run.sends.size() - 2), "p.");
    EXPECT_EQ(run.rejections, std::vector<std::string>{"Erro no numero do pacote atual."});
}

}  // namespace
