#include "core/link/link_supervision.h"

#include "core/panel/model_capabilities.h"

void LinkSupervision::OnOpenRequested()
{
    modelCode_ = 0;
    firmwareVersion_ = 0;
}

Outgoing LinkSupervision::OnPortOpened()
{
    linkOpen_ = true;
    pollCountdown_ = kPollTicks;
    return MakeOutgoing(CommandCode::IdentifyCommand);
}

void LinkSupervision::OnPortClosed()
{
    linkOpen_ = false;
}

bool LinkSupervision::OnIdentification(const Identification& identity)
{
    modelCode_ = identity.model;
    firmwareVersion_ = identity.version;
    serialNumber_ = identity.serial;
    // An unsupported model stays on show until the next open, unexpired.
    if (!IsSupportedPanelModel(identity.model)) return false;
    identShown_ = true;
    identValidCountdown_ = kIdentValidTicks;
    return true;
}

LinkSupervision::TickEffects LinkSupervision::Tick()
{
    TickEffects effects;
    if (identValidCountdown_ > 0) --identValidCountdown_;
    if (identValidCountdown_ == 0 && identShown_) {
        identShown_ = false;
        modelCode_ = 0;
        firmwareVersion_ = 0;
        effects.blankIdentification = true;
    }
    if (linkOpen_) {
        if (pollCountdown_ > 0) --pollCountdown_;
        if (pollCountdown_ == 0) {
            effects.send = MakeOutgoing(CommandCode::IdentifyCommand);
            pollCountdown_ = kPollTicks;
        }
    }
    return effects;
}

bool LinkSupervision::IsEquipmentConnected() const
{
    return IsSupportedPanelModel(modelCode_);
}
