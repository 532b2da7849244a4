#include "core/diagnostics/status_tabs.h"

#include "core/diagnostics/modem_pages.h"

namespace {

std::string Label(int tab, int n) { return "LabelStatusAba" + std::to_string(tab) + "_" + std::to_string(n); }

std::vector<StatusTab> MakeTabs()
{
    std::vector<StatusField> temperatures;
    for (int n = 1; n <= 10; ++n) {
        temperatures.push_back({Label(7, 2 * n - 1), "Temperatura S" + std::to_string(n) + ":"});
        temperatures.push_back({Label(7, 2 * n), "Numero serial:"});
    }
    std::vector<StatusField> keypads;
    for (int k = 1; k <= 8; ++k) keypads.push_back({Label(13, k), "Status Teclado " + std::to_string(k) + ":"});
    for (int k = 1; k <= 8; ++k) keypads.push_back({Label(13, 8 + k), "Config Teclado " + std::to_string(k) + ":"});

    return {
        {"Central alarme",
         {{Label(1, 1), "Versão de hardware:"},
          {Label(1, 2), "Versão de firmware:"},
          {Label(1, 3), "Número serial:"},
          {Label(1, 4), "Quant. msg em log:"},
          {Label(1, 5), "Status da central:"},
          {Label(1, 6), "Status da violação:"},
          {Label(1, 7), "Tempo armar central:"},
          {Label(1, 8), "Origem arme alarme:"},
          {Label(1, 9), "Número da zona:"},
          {Label(1, 10), "Número do usuário:"},
          {Label(1, 11), "Timestamp CPU:"},
          {Label(1, 12), ""}}},
        {"Modem",
         {{Label(2, 1), "Estado modem:"},
          {Label(2, 2), "Estado GPRS:"},
          {Label(2, 3), "Status do GPRS:"},
          {Label(2, 4), "Status do servidor:"},
          {Label(2, 8), "Status registro rede:"},
          {Label(2, 5), "Nível de sinal (rssi):"},
          {"", "Nível de sinal (bar):"},
          {Label(2, 6), "Tentativas modem:"},
          {Label(2, 7), "Falha discagem:"},
          {Label(2, 12), "Led status modem:"},
          {Label(2, 13), "Operadora utilizada:"},
          {Label(2, 14), "Operadora simcard:"},
          {Label(2, 16), "Quantidade de APN:"},
          {Label(2, 15), "Tentativa conexão:"},
          {Label(2, 22), "Número IP GPRS:"},
          {Label(2, 20), "Número do IMEI:"},
          {Label(2, 21), "Numero simcard:"}}},
        {"Wifi",
         {{Label(3, 1), "Estado modulo wifi:"},
          {Label(3, 2), "Conexão wifi ok:"},
          {Label(3, 3), "Configuração wifi:"},
          {Label(3, 4), "Numero local wifi:"},
          {Label(3, 5), "Msg TX pendente:"},
          {Label(3, 6), "Timer modulo wifi:"},
          {Label(3, 7), "Timer ping wifi:"}}},
        {"Fila",
         {{Label(4, 8), "Num seq mensagem:"},
          {Label(4, 9), "Num seq enviado:"},
          {Label(4, 10), "Num seq recebido:"},
          {Label(4, 1), "Quant msg fila TX:"},
          {Label(4, 2), "Quant msg fila RX:"},
          {Label(4, 3), "Ptr fila TX poe:"},
          {Label(4, 4), "Ptr fila TX tira:"},
          {Label(4, 5), "Ptr fila RX poe:"},
          {Label(4, 6), "Ptr fila RX tira:"},
          {Label(4, 7), "Retrys envio nack:"},
          {Label(4, 11), "Tempo polling:"},
          {Label(4, 12), "Tempo polling red.:"}}},
        {"Sensores e atuadores", {}},
        {"Ibutton", {}},
        {"Temperatura", temperatures},
        {"Dados erbs", {}},
        {"Consumo de dados", {}},
        {"Jammer", {}},
        {"Atualização remota", {}},
        {"RF",
         {{Label(11, 1), "Módulo RF Ok:"},
          {Label(11, 2), "Versão do RF:"},
          {Label(11, 3), "Total msg TX:"},
          {Label(11, 4), "Total msg RX:"}}},
        {"Backup celular",
         {{Label(12, 1), "Status Ademco:"},
          {Label(12, 2), "Status P1 Ademco:"},
          {Label(12, 3), "Display Ademco L1:"},
          {Label(12, 4), "Display Ademco L2:"},
          {Label(12, 5), "Status DSC 1:"},
          {Label(12, 6), "Status DSC 2:"},
          {Label(12, 7), "Memória cliente:"},
          {Label(12, 8), "Número telefone:"},
          {Label(12, 9), "Contact ID:"}}},
        {"Partições teclado", keypads},
    };
}

}  // namespace

const std::vector<StatusTab>& StatusTabs()
{
    static const std::vector<StatusTab> tabs = MakeTabs();
    return tabs;
}

int ShownSignalBars(const LabelUpdate& update)
{
    if (update.visible != true) return -1;
    for (int bars = 0; bars <= 5; ++bars) {
        if (update.name == SignalPictureName(bars)) return bars;
    }
    return -1;
}
