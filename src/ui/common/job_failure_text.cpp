#include "ui/common/job_failure_text.h"

#include "core/panel/block_table.h"
#include "jobs/panel_job.h"

QString JobFailureText(const JobOutcome& outcome, const QString& nothingKept)
{
    switch (outcome.end) {
    case JobOutcome::End::Done:
    case JobOutcome::End::Cancelled: return {};
    case JobOutcome::End::StorageFailed:
        return QStringLiteral("A configuração da central não foi guardada na biblioteca: %1").arg(outcome.storageError);
    case JobOutcome::End::Refused:
        if (outcome.refusal == JobOutcome::Refusal::PortClosed) return QStringLiteral("Abra a porta serial da central antes.");
        if (outcome.refusal == JobOutcome::Refusal::NotIdentified) {
            return QStringLiteral("A central não respondeu à identificação; verifique o cabo e a alimentação.");
        }
        break;
    case JobOutcome::End::NoAnswer:
    case JobOutcome::End::PortLost: break;
    }
    if (outcome.slot > 0) {
        return QStringLiteral("A central não respondeu à leitura do sensor RF %1; %2").arg(outcome.slot).arg(nothingKept);
    }
    const BlockEntry* entry = FindBlock(outcome.block);
    return QStringLiteral("A central não respondeu à leitura do bloco %1 (%2); %3")
        .arg(outcome.block)
        .arg(entry ? QString::fromUtf8(entry->title) : QString(), nothingKept);
}
