#include "app/memory_panel.h"

MemoryPanel::MemoryPanel(MemoryLink& link, const VirtualPanel::Options& options) : link_(&link), panel_(options)
{
    link.SetFarEnd([this](const std::uint8_t* bytes, std::size_t count) { Say(panel_.Feed(bytes, count)); });
}

MemoryPanel::~MemoryPanel()
{
    if (link_) link_->SetFarEnd(nullptr);
}

void MemoryPanel::Tick() { Say(panel_.Tick()); }

bool MemoryPanel::TriggerRfSensor(std::uint32_t code)
{
    if (!panel_.TriggerRfSensor(code)) return false;
    Say(panel_.TakeUnsolicited());
    return true;
}

void MemoryPanel::Say(const std::vector<std::uint8_t>& bytes)
{
    if (!link_ || bytes.empty()) return;
    for (std::vector<std::uint8_t>& piece : panel_.SplitForDelivery(bytes)) link_->Deliver(std::move(piece));
}
