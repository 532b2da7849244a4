#pragma once
// What a configuration tab needs from the main window: the port and the
// identified panel, the one send path, the WritePending flag and the boxes.

#include <cstdint>

class Dialogs;

class PageServices {
public:
    virtual bool IsPortOpen() const = 0;
    virtual bool IsEquipmentConnected() const = 0;
    virtual std::uint8_t ModelCode() const = 0;
    virtual void SendCommand(const std::uint8_t* payload, std::uint8_t payloadLength, std::uint8_t command) = 0;
    virtual void SetWritePending() = 0;
    virtual void ClearWritePending() = 0;
    virtual Dialogs& PageDialogs() = 0;

protected:
    ~PageServices() = default;
};
