#include "core/config/panel_backup.h"

#include <algorithm>

#include "core/config/modem_blocks.h"
#include "core/config/network_blocks.h"
#include "core/panel/block_table.h"
#include "core/panel/model_capabilities.h"

namespace {

constexpr std::size_t kSensorRecordSize = 5;

// The one length a model gives a block whose length depends on the model,
// or nothing for every other block.
std::optional<std::size_t> ModelLength(std::uint8_t model, std::uint8_t id)
{
    if (id == BlockByte(BlockId::Actuators)) return 1 + ActuatorOutputCount(model);
    if (id == BlockByte(BlockId::WiredSensors)) return 1 + WiredSensorRecordCount(model) * kSensorRecordSize;
    return std::nullopt;
}

// Block id, then the name's length and bytes, then the password's.
bool WifiTextsFill(const std::vector<std::uint8_t>& block)
{
    if (block.size() < 2) return false;
    const std::size_t name = block[1];
    if (name > kMaxWifiTextLength || block.size() < 3 + name) return false;
    const std::size_t password = block[2 + name];
    return password <= kMaxWifiTextLength && block.size() == 3 + name + password;
}

}  // namespace

const std::vector<ConfigurationTab>& ConfigurationTabs()
{
    static const std::vector<ConfigurationTab> tabs{
        {"Número IP e Porta", {BlockByte(BlockId::IpAddressesAndPorts)}},
        {"Intervalo de polling", {BlockByte(BlockId::PollingInterval)}},
        {"Wifi", {BlockByte(BlockId::WifiNetwork)}},
        {"Modem GPRS", {BlockByte(BlockId::SimcardData)}, {"Enviar dados do simcard"}},
        {"Sensores", {BlockByte(BlockId::WiredSensors)}},
        {"Atuadores",
         {BlockByte(BlockId::Actuators), BlockByte(BlockId::Siren), BlockByte(BlockId::CommonActuator),
          BlockByte(BlockId::Buzzer)},
         {"Saídas", "Sirene", "Comum", "Buzzer"}},
        {"Sensores RF", {BlockByte(BlockId::RfCommunication)}, {"Configuração RF"}},
        {"Regras central", {BlockByte(BlockId::PanelRules)}},
        {"Endereço teclado", {BlockByte(BlockId::KeypadAddress)}},
        {"Partição teclado", {BlockByte(BlockId::KeypadPartition)}},
        {"Cofre", {BlockByte(BlockId::SafeFunction)}},
        {"Função alarme", {BlockByte(BlockId::AlarmFunction)}},
    };
    return tabs;
}

std::string BlockPlace(std::uint8_t id)
{
    for (const ConfigurationTab& tab : ConfigurationTabs()) {
        for (std::size_t i = 0; i < tab.blocks.size(); ++i) {
            if (tab.blocks[i] != id) continue;
            std::string place = tab.caption;
            if (i < tab.subPages.size()) place += std::string(" / ") + tab.subPages[i];
            return place;
        }
    }
    const BlockEntry* entry = FindBlock(id);
    return entry ? entry->title : "";
}


std::vector<std::uint8_t> ConfigurationBlockIds()
{
    std::vector<std::uint8_t> ids;
    for (const BlockEntry& entry : AllBlocks()) ids.push_back(BlockByte(entry.id));
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool IsWritableBlock(std::uint8_t id)
{
    return FindBlock(id) != nullptr &&
           std::find(kModemSubPageBlocks.begin(), kModemSubPageBlocks.end(), static_cast<BlockId>(id)) ==
               kModemSubPageBlocks.end();
}

std::optional<std::string> CheckBlockForModel(std::uint8_t model, const std::vector<std::uint8_t>& block)
{
    if (block.empty()) return "the block is empty";
    const BlockEntry* entry = FindBlock(block[0]);
    if (!entry) return "block " + std::to_string(block[0]) + " is not a configuration block";
    const std::string length = std::to_string(block.size()) + " bytes";
    if (!AcceptsLength(*entry, block.size())) return "block " + std::to_string(block[0]) + " cannot be " + length + " long";
    if (const auto expected = ModelLength(model, block[0]); expected && *expected != block.size()) {
        return "block " + std::to_string(block[0]) + " of model " + std::to_string(model) + " is " +
               std::to_string(*expected) + " bytes long, not " + length;
    }
    if (entry->id == BlockId::WifiNetwork && !WifiTextsFill(block)) {
        return "the texts of block 6 do not fill its " + length;
    }
    return std::nullopt;
}
