#include "core/config/block_fields.h"

#include <array>
#include <span>

#include "core/bytes/hex_text.h"
#include "core/config/actuator_blocks.h"
#include "core/config/alarm_blocks.h"
#include "core/config/cp1252.h"
#include "core/config/keypad_blocks.h"
#include "core/config/modem_blocks.h"
#include "core/config/network_blocks.h"
#include "core/config/panel_backup.h"
#include "core/config/panel_rules_blocks.h"
#include "core/config/rf_config_block.h"
#include "core/config/safe_blocks.h"
#include "core/config/sensor_blocks.h"
#include "core/panel/block_table.h"

namespace {

using Fields = std::vector<BlockField>;
using Decoder = std::optional<Fields> (*)(const std::uint8_t* payload, std::size_t length);

std::string Numbered(const char* caption, std::size_t number)
{
    return std::string(caption) + " " + std::to_string(number);
}

// A combo box's item as the window shows it; "-" for none (the codecs give
// -1 for a byte past the list).
std::string ItemText(std::span<const char* const> items, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return "-";
    return items[static_cast<std::size_t>(index)];
}

std::string GroundText(bool ground) { return ground ? "TERRA" : "FLUTUANTE"; }

std::string OnOff(bool on) { return on ? "Sim" : "Não"; }

std::string Utf8Text(const std::vector<std::uint8_t>& bytes) { return Cp1252ToUtf8(bytes.data(), bytes.size()); }

std::optional<Fields> ServerFields(const std::uint8_t* payload, std::size_t length)
{
    const auto servers = UnpackServerAddresses(payload, length);
    if (!servers) return std::nullopt;
    Fields fields;
    for (std::size_t row = 0; row < servers->size(); ++row) {
        const ServerAddress& server = (*servers)[row];
        fields.push_back({Numbered("Numero IP", row + 1), std::to_string(server.octets[0]) + "." +
                                                             std::to_string(server.octets[1]) + "." +
                                                             std::to_string(server.octets[2]) + "." +
                                                             std::to_string(server.octets[3])});
        fields.push_back({Numbered("Numero Porta", row + 1), std::to_string(server.port)});
    }
    return fields;
}

std::optional<Fields> PollingFields(const std::uint8_t* payload, std::size_t length)
{
    const auto intervals = UnpackPollingIntervals(payload, length);
    if (!intervals) return std::nullopt;
    return Fields{{"Intervalo de envio msg polling", std::to_string(intervals->interval)},
                  {"Intervalo de envio msg polling reduzido", std::to_string(intervals->reduced)}};
}

std::optional<Fields> RfRadioFields(const std::uint8_t* payload, std::size_t length)
{
    const auto answer = UnpackRfConfig(payload, length);
    if (!answer) return std::nullopt;
    Fields fields{{"Configuração da comunicação RF", answer->config.fsk ? "FSK" : "OOK"}};
    // Only the long form has a crystal; the window hides it for the short one.
    if (answer->form == RfBlockForm::Long) {
        fields.push_back({"Configuração do cristal", answer->config.crystal30MHz ? "30 MHz" : "32 MHz"});
    }
    return fields;
}

std::optional<Fields> WifiFields(const std::uint8_t* payload, std::size_t length)
{
    const WifiAnswer answer = UnpackWifiNetwork(payload, length);
    if (!answer.name || !answer.password) return std::nullopt;
    return Fields{{"Nome da rede (SSID)", Utf8Text(*answer.name)}, {"Senha da rede", Utf8Text(*answer.password), true}};
}

std::optional<Fields> SimcardFields(const std::uint8_t* payload, std::size_t length)
{
    const auto interval = UnpackSimcardDataInterval(payload, length);
    if (!interval) return std::nullopt;
    return Fields{{"Tempo envio dados simcard", std::to_string(*interval)}};
}

std::optional<Fields> ActuatorFields(const std::uint8_t* payload, std::size_t length)
{
    const auto types = UnpackActuatorTypes(payload, length);
    if (!types) return std::nullopt;
    Fields fields;
    for (std::size_t output = 0; output < types->size(); ++output) {
        fields.push_back({Numbered("Tipo atuador", output + 1), ItemText(kActuatorTypeItems, (*types)[output])});
    }
    return fields;
}

std::optional<Fields> SensorFields(const std::uint8_t* payload, std::size_t length)
{
    const auto sensors = UnpackWiredSensors(payload, length);
    if (!sensors) return std::nullopt;
    static constexpr std::array<const char*, 3> kPolarities{"Nível baixo", "Flutuante", "Nível alto"};
    Fields fields;
    for (std::size_t i = 0; i < sensors->size(); ++i) {
        const WiredSensor& sensor = (*sensors)[i];
        const std::size_t n = i + 1;
        fields.push_back({Numbered("Tipo sensor", n), ItemText(kSensorTypeItems, sensor.typeIndex)});
        fields.push_back({Numbered("Polaridade sensor", n), kPolarities[static_cast<std::size_t>(sensor.polarity)]});
        fields.push_back({Numbered("Regra sensor", n) + " (violação e restaure)", OnOff(sensor.firstRule)});
        fields.push_back({Numbered("Regra sensor", n) + " (central armada)", OnOff(sensor.secondRule)});
        fields.push_back({Numbered("Debounce sensor", n), std::to_string(sensor.debounceMs)});
    }
    return fields;
}

std::optional<Fields> SirenFields(const std::uint8_t* payload, std::size_t length)
{
    const auto siren = UnpackSiren(payload, length);
    if (!siren) return std::nullopt;
    return Fields{{"Polaridade da sirene", GroundText(siren->ground)},
                  {"Tempo de retardo para ligar", std::to_string(siren->delay)},
                  {"Tempo de ativação", std::to_string(siren->timeOn)},
                  {"Tempo de repouso", std::to_string(siren->timeAtRest)},
                  {"Numero de repetições", std::to_string(siren->repetitions)}};
}

std::optional<Fields> CommonFields(const std::uint8_t* payload, std::size_t length)
{
    const auto outputs = UnpackCommonOutputs(payload, length);
    if (!outputs) return std::nullopt;
    return Fields{{"Polaridade atuador 1", GroundText(outputs->output1Ground)},
                  {"Polaridade atuador 2", GroundText(outputs->output2Ground)}};
}

std::optional<Fields> BuzzerFields(const std::uint8_t* payload, std::size_t length)
{
    const auto ground = UnpackBuzzer(payload, length);
    if (!ground) return std::nullopt;
    return Fields{{"Polaridade buzzer", GroundText(*ground)}};
}

std::optional<Fields> RulesFields(const std::uint8_t* payload, std::size_t length)
{
    const auto rules = UnpackPanelRules(payload, length);
    if (!rules) return std::nullopt;
    static constexpr std::array<const char*, kPanelRuleCount> kCaptions{
        "Contar tempo inicial para armar a central", "Executar dois bips na sirene ao armar",
        "Executar dois bips no buzzer ao armar",     "Executar um bip na sirene ao desarmar",
        "Executar um bip no buzzer ao desarmar",
    };
    Fields fields{{"Tempo inicial armar", std::to_string(rules->armingDelay)}};
    for (std::size_t i = 0; i < kPanelRuleCount; ++i) fields.push_back({kCaptions[i], OnOff(rules->rules[i])});
    return fields;
}

std::optional<Fields> KeypadAddressFields(const std::uint8_t* payload, std::size_t length)
{
    const auto index = UnpackKeypadAddress(payload, length);
    if (!index) return std::nullopt;
    return Fields{{"Endereço teclado", *index < 0 ? std::string("-") : "Teclado " + std::to_string(*index + 1)}};
}

std::optional<Fields> KeypadPartitionFields(const std::uint8_t* payload, std::size_t length)
{
    const auto partitions = UnpackKeypadPartitions(payload, length);
    if (!partitions) return std::nullopt;
    Fields fields;
    for (std::size_t i = 0; i < partitions->size(); ++i) {
        fields.push_back({Numbered("Partição teclado", i + 2), ItemText(kPartitionItems, (*partitions)[i])});
    }
    return fields;
}

std::optional<Fields> SafeFields(const std::uint8_t* payload, std::size_t length)
{
    const auto safe = UnpackSafeFunction(payload, length);
    if (!safe) return std::nullopt;
    return Fields{{"Função cofre", safe->enabled ? "Habilitada" : "Desabilitada"},
                  {"Polaridade atuador", safe->floatingActuator ? "Ligado em FLUTUANTE" : "Ligado em TERRA"},
                  {"Temperatura máxima", DecodeTemperature(safe->maxTemperature)},
                  {"Temperatura mínima", DecodeTemperature(safe->minTemperature)},
                  {"Tempo de debounce temp. max.", std::to_string(safe->maxDebounce)},
                  {"Tempo de debounce temp. min.", std::to_string(safe->minDebounce)},
                  {"Tempo máximo cofre aberto", std::to_string(safe->longestOpen)}};
}

std::optional<Fields> AlarmFields(const std::uint8_t* payload, std::size_t length)
{
    const auto enabled = UnpackAlarmFunction(payload, length);
    if (!enabled) return std::nullopt;
    return Fields{{"Função alarme", *enabled ? "Habilitada" : "Desabilitada"}};
}

struct FieldTableEntry {
    BlockId id;
    Decoder decode;
};

constexpr std::array<FieldTableEntry, 15> kFieldTable{{
    {BlockId::IpAddressesAndPorts, ServerFields},
    {BlockId::PollingInterval, PollingFields},
    {BlockId::RfCommunication, RfRadioFields},
    {BlockId::WifiNetwork, WifiFields},
    {BlockId::SimcardData, SimcardFields},
    {BlockId::Actuators, ActuatorFields},
    {BlockId::WiredSensors, SensorFields},
    {BlockId::Siren, SirenFields},
    {BlockId::CommonActuator, CommonFields},
    {BlockId::Buzzer, BuzzerFields},
    {BlockId::PanelRules, RulesFields},
    {BlockId::KeypadAddress, KeypadAddressFields},
    {BlockId::KeypadPartition, KeypadPartitionFields},
    {BlockId::SafeFunction, SafeFields},
    {BlockId::AlarmFunction, AlarmFields},
}};

}  // namespace

std::optional<std::vector<BlockField>> DecodeBlockFields(const std::uint8_t* payload, std::size_t length)
{
    if (payload == nullptr || length == 0) return std::nullopt;
    for (const FieldTableEntry& entry : kFieldTable) {
        if (BlockByte(entry.id) == payload[0]) return entry.decode(payload, length);
    }
    return std::nullopt;
}

namespace {

bool HoldsSecret(const std::vector<std::uint8_t>& block) { return !block.empty() && BlockHoldsSecret(block[0]); }

}  // namespace

std::vector<BlockField> BlockRows(const std::vector<std::uint8_t>& block)
{
    if (auto fields = DecodeBlockFields(block)) return std::move(*fields);
    return {{kBytesCaption, HexBytes(block), HoldsSecret(block)}};
}

std::vector<FieldChange> CompareBlock(const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after)
{
    if (before == after) return {};
    const auto fieldsBefore = DecodeBlockFields(before);
    const auto fieldsAfter = DecodeBlockFields(after);
    // Fields are compared only when both forms decode to the same fields;
    // otherwise (no decoder, another form of the block) the bytes say it.
    if (fieldsBefore && fieldsAfter && fieldsBefore->size() == fieldsAfter->size()) {
        std::vector<FieldChange> changes;
        for (std::size_t i = 0; i < fieldsBefore->size(); ++i) {
            const BlockField& a = (*fieldsBefore)[i];
            const BlockField& b = (*fieldsAfter)[i];
            if (a.caption == b.caption && a.value != b.value) {
                changes.push_back({a.caption, a.value, b.value, a.secret || b.secret});
            }
        }
        // Bytes a decoder ignores (keypad 1's byte, spare flag bits) can differ alone.
        if (!changes.empty()) return changes;
    }
    // Either side may be missing (nothing against a block, or the reverse).
    return {{kBytesCaption, HexBytes(before), HexBytes(after), HoldsSecret(before) || HoldsSecret(after)}};
}

std::string ShownValue(const std::string& caption, const std::string& value, bool secret, bool showSecrets)
{
    if (!secret || showSecrets || value.empty()) return value;
    return caption == kBytesCaption ? "(oculto)" : "••••••••";
}

