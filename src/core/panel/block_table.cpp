#include "core/panel/block_table.h"

namespace {

constexpr std::array<BlockEntry, 15> kBlockTable{{
    {BlockId::IpAddressesAndPorts, {25, 25}, false, "CONFIGURAÇÃO DOS NUMEROS IPS E PORTAS"},
    {BlockId::PollingInterval, {5, 5}, false, "CONFIGURAÇÃO INTERVALO DE POLLING"},
    {BlockId::RfCommunication, {3, 4}, false, "CONFIGURAÇÃO COMUNICAÇÃO RF"},
    {BlockId::WifiNetwork, {0, 0}, true, "CONFIGURAÇÃO REDE E SENHA WIFI"},
    {BlockId::SimcardData, {5, 5}, false, "CONFIGURAÇÃO ENVIO DADOS DO SIMCARD"},
    {BlockId::Actuators, {3, 5}, false, "CONFIGURAÇÃO ATUADORES"},
    {BlockId::WiredSensors, {21, 31}, false, "CONFIGURAÇÃO DOS SENSORES"},
    {BlockId::Siren, {6, 6}, false, "CONFIGURAÇÃO SIRENE"},
    {BlockId::CommonActuator, {3, 3}, false, "CONFIGURAÇÃO ATUADOR COMUM"},
    {BlockId::Buzzer, {2, 2}, false, "CONFIGURAÇÃO ATUADOR BUZZER"},
    {BlockId::PanelRules, {4, 4}, false, "CONFIGURAÇÃO REGRAS CENTRAL"},
    {BlockId::KeypadAddress, {2, 2}, false, "CONFIGURAÇÃO ENDEREÇO TECLADO"},
    {BlockId::KeypadPartition, {9, 9}, false, "CONFIGURAÇÃO PARTIÇÃO TECLADO"},
    {BlockId::SafeFunction, {12, 12}, false, "CONFIGURAÇÃO FUNÇÃO COFRE"},
    {BlockId::AlarmFunction, {3, 3}, false, "CONFIGURAÇÃO FUNÇÃO ALARME"},
}};

}  // namespace

const BlockEntry* FindBlock(std::uint8_t id)
{
    for (const BlockEntry& entry : kBlockTable) {
        if (BlockByte(entry.id) == id) return &entry;
    }
    return nullptr;
}

std::span<const BlockEntry> AllBlocks() { return kBlockTable; }

bool AcceptsLength(const BlockEntry& entry, std::size_t length)
{
    // Even a block of any length carries its id.
    if (entry.anyLength) return length >= 1;
    return length == entry.lengths[0] || length == entry.lengths[1];
}
