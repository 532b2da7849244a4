#include "core/link/config_answer_handling.h"

const BlockEntry* ConfigAnswerHandling::AcceptedBlock(const std::uint8_t* payload, std::size_t length)
{
    if (payload == nullptr || length == 0) return nullptr;
    const BlockEntry* entry = FindBlock(payload[0]);
    if (entry == nullptr || !AcceptsLength(*entry, length)) return nullptr;
    return entry;
}

AckMeaning ConfigAnswerHandling::OnAck()
{
    if (!writePending_) return AckMeaning::Other;
    writePending_ = false;
    return AckMeaning::WriteAccepted;
}

NackMeaning ConfigAnswerHandling::OnNack()
{
    if (!writePending_) return NackMeaning::ReadRefused;
    writePending_ = false;
    return NackMeaning::WriteRefused;
}
