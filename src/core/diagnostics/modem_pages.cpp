#include "core/diagnostics/modem_pages.h"

#include <array>

#include "core/bytes/big_endian.h"
#include "core/diagnostics/status_fields.h"

namespace {

constexpr const char* kUnknownState = "?????";

constexpr std::array<const char*, 64> kModemStates{
    "RESET 0",   "RESET 1",    "IGNICAO 0",  "IGNICAO 1",   "SYSSTART",  "ATF",         "ATF A",      "ATE0",
    "ATE0 A",    "ATSCFG",     "ATSCFG A",   "ATQ0",        "ATQ0 A",    "ATIPR",       "ATIPR A",    "ATD1",
    "ATD1 A",    "ATGSN",      "ATGSN A",    "ATCPIN",      "ATCPIN A",  "ATCIMI",      "ATCIMI A",   "ATCMGF",
    "ATCMGF A",  "ATCNMI",     "ATCNMI A",   "ATCSQ",       "ATCSQ A",   "ATCOPS",      "ATCOPS A",   "ATCREG",
    "ATCREG A",  "MODEM OK",   "EM GPRS",    "CMD OFF",     "CMD OFF A", "CMD OFF 1",   "CMD OFF 2",  "ERRO GERAL",
    "ATSCTM",    "ATSCTM A",   "ATSCTM R",   "ATSCTM R A",  "ATSCID",    "ATSCID A",    "ATSCFG LE",  "ATSCFG LE A",
    "ATUPSV",    "ATUPSV A",   "ATUCD",      "ATUCD A",     "ATSIND",    "ATSIND A",    "SLEEP 1",    "SLEEP 2",
    "SLEEP 3",   "SLEEP 4",    "ATCPIN S",   "ATCPIN S A",  "ATGPS",     "ATGPS A",     "ATCPWD",     "ATCPWD A",
};

// Code 34 has no text of its own: the panel never reports it.
constexpr std::array<const char*, 91> kPacketDataStates{
    "GPRS INIT",       "ATCGDCONT",      "ATCGDCONT A",    "ATCGATT",          "ATCGATT A",      "ATD",
    "ATD A",           "INICIA PPP",     "PPP TERMINATE",  "ENVIA PPP TERM",   "ENVIA PPP TERM A", "REQUEST IP",
    "ENVIA REQ IP",    "IP ADD A",       "CONECTADO",      "AGUARDA RES",      "DTR HIGH",       "DTR LOW",
    "ATH",             "ATH A",          "DTR 1",          "DTR 2",            "ATUALIZA 1",     "ATUALIZA 2",
    "ATUALIZA 3",      "ATUALIZA 4",     "ATUALIZA FIM",   "ATUALIZA FIM A",   "ATCMGL",         "ATCMGL A",
    "ATCMGD",          "ATCMGD A",       "ATCMGF TEXTO",   "ATCMGF A",         kUnknownState,    "ATCMGS N",
    "ATCMGS T",        "ATCMGS A",       "ATCMGS F",       "ATCMGF PDU",       "ATCMGF PDU A",   "FINALIZA 1",
    "DETACH",          "DETACH A",       "ATSIND",         "ATSIND A",         "ATUPS",          "ATUPS A",
    "ATUPSDA",         "ATUPSDA A 1",    "ATUSOST",        "ATUSOST MSG",      "ATUSOST A",      "ATUSORF",
    "ATUSORF A",       "ATSGCONF",       "ATSGCONF A",     "ATSICS",           "ATSICS A",       "ATSISS",
    "ATSISS A",        "ATSISO",         "ATSISO A",       "ATUALIZA STACK",   "ATUALIZA STACK", "FINALIZA 2",
    "FINALIZA 3",      "ATSISW",         "ATSISW A",       "ATSISW A",         "SINAL BAIXO",    "ATUDNSRN",
    "ATUDNSRN A",      "ATENDE",         "ATENDE A",       "ORIGINA",          "ORIGINA A",      "EM CHAMADA VOZ",
    "FINALIZA",        "FINALIZA A",     "ENVIA SMS 1",    "ENVIA SMS 2",      "ENVIA SMS 3",    "ENVIA SMS 4",
    "ENVIA SMS 5",     "ENVIA SMS 6",    "ENVIA SMS FINALIZA", "CONSULTA LBS", "CONSULTA LBS A", "UPSDA A 2",
    "CRIA SOCKET",
};

constexpr std::array<const char*, 32> kOperators{
    "Tim",          "Claro",        "Oi",           "Vivo",         "Amazonia",      "BrTelecom",
    "Telemig",      "Sercomtel",    "CtbcCelular",  "Claro Arg",    "Movistar Arg",  "Telecom Arg",
    "Claro Uru",    "Movistar Uru", "Antel Uru",    "Iusacell Mxc", "Movistar Mxc",  "Telcel Mxc",
    "Personal Par", "Tigo Par",     "Claro Par",    "Optimus",      "Turkcell Tur",  "Telsim Tur",
    "Aria Tur",     "Aycell Tur",   "Nextel",       "Datora",       "Porto Conecta", "Eseye",
    "Multioperadora", "Multioperadora",
};

template <std::size_t N>
const char* FromTable(const std::array<const char*, N>& table, std::uint8_t code, const char* other)
{
    return code < N ? table[code] : other;
}


LabelUpdate FromColoured(std::string name, ColouredText coloured)
{
    return TextUpdate(std::move(name), coloured.text, coloured.colour);
}

// An empty number reads as zeros of the field's width.
std::string NumberOrZeros(const std::uint8_t* field, std::size_t width)
{
    std::string text = FixedText(field, width);
    return text.empty() ? std::string(width, '0') : text;
}

}  // namespace

LabelUpdates DecodeModemIdentityPage(const std::uint8_t* p)
{
    return {
        TextUpdate("LabelStatusAba2_20", NumberOrZeros(p + 11, 15)),
        TextUpdate("LabelStatusAba2_21", NumberOrZeros(p + 26, 20)),
    };
}

LabelUpdates DecodeModemStatusPage(const std::uint8_t* p)
{
    const std::uint16_t signal = GetBigEndian16(p + 23);
    LabelUpdates updates{
        TextUpdate("LabelStatusAba2_1", ModemStateText(p[11])),
        TextUpdate("LabelStatusAba2_2", PacketDataStateText(p[12])),
        GoodBadUpdate("LabelStatusAba2_3", p[16], "Conectado", "Não conectado"),
        GoodBadUpdate("LabelStatusAba2_4", p[17], "Conectado", "Não conectado"),
        FromColoured("LabelStatusAba2_8", RegistrationText(p[22])),
        TextUpdate("LabelStatusAba2_5", std::to_string(signal)),
    };
    // Exactly one of the six pictures stays visible.
    const int bars = SignalBars(signal);
    for (int n = 0; n <= 5; ++n) updates.push_back({SignalPictureName(n), std::nullopt, std::nullopt, n == bars});
    updates.insert(updates.end(), {
        TextUpdate("LabelStatusAba2_6", std::to_string(p[25])),
        TextUpdate("LabelStatusAba2_7", std::to_string(p[26])),
        FromColoured("LabelStatusAba2_12", ModemIndicatorText(p[27])),
        TextUpdate("LabelStatusAba2_13", OperatorName(p[28])),
        TextUpdate("LabelStatusAba2_14", OperatorName(p[30])),
        TextUpdate("LabelStatusAba2_16", std::to_string(p[31])),
        TextUpdate("LabelStatusAba2_15", std::to_string(p[34])),
        TextUpdate("LabelStatusAba2_22", DottedQuadText(p + 36)),
    });
    return updates;
}

const char* ModemStateText(std::uint8_t code)
{
    return FromTable(kModemStates, code, kUnknownState);
}

const char* PacketDataStateText(std::uint8_t code)
{
    return FromTable(kPacketDataStates, code, kUnknownState);
}

ColouredText RegistrationText(std::uint8_t code)
{
    switch (code) {
    case 0: return {"Não registrado", TextColour::Red};
    case 1: return {"Registrado", TextColour::Green};
    case 2: return {"Procurando", TextColour::Red};
    case 3: return {"Negado", TextColour::Red};
    case 5: return {"Em roaming", TextColour::Blue};
    default: return {"Desconhecido", TextColour::Red};
    }
}

ColouredText ModemIndicatorText(std::uint8_t code)
{
    switch (code) {
    case 1: return {"Servidor Ok", TextColour::Green};
    case 2: return {"GPRS Ok (sem ack)", TextColour::Blue};
    case 3: return {"Operadora Ok (sem gprs)", TextColour::Blue};
    case 4: return {"Sinal Baixo", TextColour::Red};
    case 5: return {"Sem Simcard", TextColour::Red};
    case 6: return {"Modem Init", TextColour::Blue};
    case 7: return {"Modem erro HW", TextColour::Red};
    case 8: return {"Simcard não registrado", TextColour::Red};
    case 9: return {"Senha PIN", TextColour::Red};
    case 10: return {"Senha PUK", TextColour::Red};
    default: return {"Desconhecido", TextColour::Red};
    }
}

const char* OperatorName(std::uint8_t code)
{
    return FromTable(kOperators, code, "Desconhecida");
}

int SignalBars(std::uint16_t signal)
{
    constexpr std::uint16_t kSignalUnknown = 99;
    if (signal <= 1 || signal == kSignalUnknown) return 0;
    if (signal <= 7) return 1;
    if (signal <= 13) return 2;
    if (signal <= 19) return 3;
    if (signal <= 24) return 4;
    return 5;
}

std::string SignalPictureName(int bars)
{
    if (bars <= 0) return "ImageSemSinal";
    return "ImageSinal" + std::to_string(bars > 5 ? 5 : bars);
}
