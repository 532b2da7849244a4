#include "core/link/config_answer_handling.h"

#include "core/panel/block_table.h"

std::optional<ConfigBlockOutcome> ConfigAnswerHandling::OnConfigBlock(const std::uint8_t* payload,
                                                                      std::size_t length) const
{
    if (payload == nullptr || length == 0) return std::nullopt;
    const BlockEntry* entry = FindBlock(payload[0]);
    if (entry == nullptr || !AcceptsLength(*entry, length)) return std::nullopt;
    return ConfigBlockOutcome{{entry->title, StatusColour::Green}, payload[0]};
}

std::optional<StatusLineText> ConfigAnswerHandling::OnAck()
{
    if (!writePending_) return std::nullopt;
    writePending_ = false;
    return StatusLineText{"COMANDO RECEBIDO COM SUCESSO", StatusColour::Green};
}

StatusLineText ConfigAnswerHandling::OnNack()
{
    if (writePending_) {
        writePending_ = false;
        return {"ERRO AO GRAVAR OS DADOS", StatusColour::Red};
    }
    return {"ERRO AO LER A CONFIGURAÇÃO", StatusColour::Red};
}
