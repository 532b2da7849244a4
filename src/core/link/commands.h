#pragma once
// The one list of commands the tool sends to the panel. Senders name a code
// through CommandCode; traces turn a received or sent byte back into its name.

#include <array>
#include <cstdint>

enum class CommandCode : std::uint8_t {
    StatusRequestCommand = 129,
    ReadBlockCommand = 130,
    WriteBlockCommand = 131,
    IdentifyCommand = 140,
    StartUpdateCommand = 144,
    UpdatePacketCommand = 145,
    BootloaderCommand = 147,
    RfLearnCommand = 159,
    SetTimeCommand = 160,
    RfSensorCommand = 167,
    ArmCommand = 171,
    DisarmCommand = 172,
};

struct CommandEntry {
    CommandCode code;
    const char* name;
};

inline constexpr std::array<CommandEntry, 12> kCommandCatalogue{{
    {CommandCode::StatusRequestCommand, "StatusRequestCommand"},
    {CommandCode::ReadBlockCommand, "ReadBlockCommand"},
    {CommandCode::WriteBlockCommand, "WriteBlockCommand"},
    {CommandCode::IdentifyCommand, "IdentifyCommand"},
    {CommandCode::StartUpdateCommand, "StartUpdateCommand"},
    {CommandCode::UpdatePacketCommand, "UpdatePacketCommand"},
    {CommandCode::BootloaderCommand, "BootloaderCommand"},
    {CommandCode::RfLearnCommand, "RfLearnCommand"},
    {CommandCode::SetTimeCommand, "SetTimeCommand"},
    {CommandCode::RfSensorCommand, "RfSensorCommand"},
    {CommandCode::ArmCommand, "ArmCommand"},
    {CommandCode::DisarmCommand, "DisarmCommand"},
}};

constexpr std::uint8_t CommandByte(CommandCode code)
{
    return static_cast<std::uint8_t>(code);
}

// The name of a command byte, or nullptr for a byte the tool never sends.
constexpr const char* CommandName(std::uint8_t code)
{
    for (const CommandEntry& entry : kCommandCatalogue) {
        if (CommandByte(entry.code) == code) return entry.name;
    }
    return nullptr;
}
