// The library window's work with the connected panel: saved, compared,
// restored. Each runs as a job of the jobs layer; the window shows what it
// does, offers "Cancelar", and puts its outcome into words. Nothing is told
// of a job the installer cancelled or whose window was closed.

#include <QCloseEvent>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>

#include "core/config/panel_backup.h"
#include "core/panel/block_table.h"
#include "core/panel/device_identity.h"
#include "core/panel/model_capabilities.h"
#include "jobs/job_gate.h"
#include "jobs/seen_recorder.h"
#include "library/panel_library.h"
#include "session/clock.h"
#include "session/panel_session.h"
#include "ui/common/dialogs.h"
#include "ui/common/job_failure_text.h"
#include "ui/library/form_biblioteca.h"

namespace {

// "Wifi (bloco 6), Atuadores / Sirene (bloco 24)": a list of numbers alone read as a count.
QString BlockNames(const std::vector<std::uint8_t>& ids)
{
    QStringList list;
    for (std::uint8_t id : ids) list << QStringLiteral("%1 (bloco %2)").arg(QString::fromStdString(BlockPlace(id))).arg(id);
    return list.isEmpty() ? QStringLiteral("nenhum") : list.join(QStringLiteral(", "));
}

QString StopReason(WriteOutcome::Result result)
{
    switch (result) {
    case WriteOutcome::Result::ReadBackDiffers: return QStringLiteral("a leitura de volta não confere");
    case WriteOutcome::Result::Refused: return QStringLiteral("a central recusou");
    default: return QStringLiteral("sem resposta");
    }
}

QString StageText(PanelJob::Stage stage)
{
    switch (stage) {
    case PanelJob::Stage::Identifying: return QStringLiteral("Identificando a central…");
    case PanelJob::Stage::ReadingBlocks: return QStringLiteral("Lendo os blocos de configuração…");
    case PanelJob::Stage::ReadingRf: return QStringLiteral("Lendo os sensores RF…");
    case PanelJob::Stage::Storing: return QStringLiteral("Guardando na biblioteca…");
    case PanelJob::Stage::Writing: return QStringLiteral("Gravando os blocos na central…");
    }
    return {};
}

}  // namespace

SnapshotMeta TFormBiblioteca::Origin(SnapshotReason reason, const QString& note) const
{
    // The installer named in the window, or whoever is logged in.
    return MakeSnapshotMeta(installerEdit_->text(), reason, note, clock_.Now());
}

void TFormBiblioteca::RecordSeen(const Identification& panel)
{
    if (seen_ && seen_->Record(panel) && isVisible()) FillPanels();
}

void TFormBiblioteca::ShowBusy(bool busy)
{
    for (QPushButton* button : panelButtons_) button->setEnabled(!busy);
    cancelJobButton_->setEnabled(busy && job_->Running());
    if (!busy) jobLabel_->clear();
}

void TFormBiblioteca::JobProgress(PanelJob::Stage stage, int done, int total)
{
    jobLabel_->setText(StageText(stage));
    progress_->setMaximum(total);
    progress_->setValue(done);
}

void TFormBiblioteca::CancelJob()
{
    job_->Cancel();
}

void TFormBiblioteca::closeEvent(QCloseEvent* event)
{
    // A job whose window is gone is cancelled and tells nothing afterwards.
    CancelJob();
    asked_ = Asked::Nothing;
    QDialog::closeEvent(event);
}

void TFormBiblioteca::reject()
{
    CancelJob();
    asked_ = Asked::Nothing;
    QDialog::reject();
}

void TFormBiblioteca::ShowStored(quint32 serial)
{
    searchEdit_->clear();
    FillPanels();
    SelectPanel(serial);
}

void TFormBiblioteca::SavePanelClick()
{
    if (!library_) {
        dialogs_.Error(this, QStringLiteral("A biblioteca não está aberta: escolha o local da biblioteca."));
        return;
    }
    // A second click while a job runs starts nothing.
    if (!job_->Save(*library_, rfCheck_->isChecked(), Origin(SnapshotReason::Manual, noteEdit_->text()))) return;
    asked_ = Asked::Save;
}

void TFormBiblioteca::ComparePanelClick()
{
    if (JobGate::Of(session_).Busy()) return;
    std::optional<ChosenSnapshot> chosen = ChooseSnapshot(QStringLiteral("Selecione uma configuração da lista para compará-la com a central."));
    if (!chosen || !job_->Read(chosen->backup.rf.has_value())) return;
    jobSnapshot_ = std::move(chosen);
    asked_ = Asked::Compare;
}

void TFormBiblioteca::RestoreClick()
{
    if (JobGate::Of(session_).Busy()) return;
    std::optional<ChosenSnapshot> chosen = ChooseSnapshot(QStringLiteral("Selecione uma configuração da lista para restaurá-la na central."));
    if (!chosen || !job_->PrepareRestore(chosen->backup)) return;
    jobSnapshot_ = std::move(chosen);
    asked_ = Asked::Prepare;
}

void TFormBiblioteca::JobFinished(const JobOutcome& outcome)
{
    const Asked asked = std::exchange(asked_, Asked::Nothing);
    switch (asked) {
    case Asked::Nothing: return;  // cancelled, or its window closed
    case Asked::Save: Saved(outcome); break;
    case Asked::Compare: ComparedWithPanel(outcome); break;
    case Asked::Prepare: RestorePlanned(outcome); break;
    case Asked::Restore: Restored(outcome); break;
    }
}

void TFormBiblioteca::TellReadFailed(const JobOutcome& outcome, const QString& nothingKept)
{
    if (const QString text = JobFailureText(outcome, nothingKept); !text.isEmpty()) dialogs_.Error(this, text);
}

void TFormBiblioteca::Saved(const JobOutcome& outcome)
{
    if (outcome.end != JobOutcome::End::Done) {
        TellReadFailed(outcome, QStringLiteral("nada foi guardado."));
        return;
    }
    noteEdit_->clear();
    ShowStored(outcome.snapshot->serial);
    dialogs_.Information(this, QStringLiteral("Configuração da central %1 salva na biblioteca (nº %2).")
                                   .arg(outcome.snapshot->serial)
                                   .arg(outcome.snapshot->number));
}

void TFormBiblioteca::ComparedWithPanel(const JobOutcome& outcome)
{
    const std::optional<ChosenSnapshot> chosen = std::exchange(jobSnapshot_, std::nullopt);
    if (outcome.end != JobOutcome::End::Done) {
        TellReadFailed(outcome, QStringLiteral("nada foi guardado."));
        return;
    }
    if (chosen && outcome.backup) ShowDifferences(chosen->backup, *outcome.backup);
}

void TFormBiblioteca::RestorePlanned(const JobOutcome& outcome)
{
    if (!jobSnapshot_) return;
    const PanelBackup& saved = jobSnapshot_->backup;
    if (outcome.refusal == JobOutcome::Refusal::OtherModel) {
        dialogs_.Error(this, QStringLiteral("Esta configuração é de uma central %1; a central conectada é %2. Nada foi gravado.")
                                 .arg(QString::fromStdString(ModelDisplayName(saved.panel.model)),
                                      QString::fromStdString(ModelDisplayName(outcome.backup->panel.model))));
        return;
    }
    if (outcome.refusal == JobOutcome::Refusal::BlockLength) {
        const RestorePlan::Mismatch& refusal = *outcome.plan.refusal;
        dialogs_.Error(this, QStringLiteral("O bloco %1 desta configuração tem %2 bytes; o da central tem %3. Nada foi gravado.")
                                 .arg(refusal.block)
                                 .arg(refusal.savedLength)
                                 .arg(refusal.panelLength));
        return;
    }
    if (outcome.refusal == JobOutcome::Refusal::NothingToWrite) {
        dialogs_.Information(this, QStringLiteral("A central já tem esta configuração; nada a gravar."));
        return;
    }
    if (outcome.end != JobOutcome::End::Done) {
        TellReadFailed(outcome, QStringLiteral("nada foi guardado."));
        return;
    }
    const PanelBackup& current = *outcome.backup;
    const std::vector<std::uint8_t>& toWrite = outcome.plan.toWrite;
    // The plan: the fields that will change, then a confirmation.
    PanelBackup planned = current;
    for (std::uint8_t id : toWrite) planned.blocks[id] = saved.blocks.at(id);
    ShowDifferences(current, planned);
    QStringList titles;
    for (std::uint8_t id : toWrite) {
        const BlockEntry* entry = FindBlock(id);
        titles << (entry ? QString::fromUtf8(entry->title) : QString::number(id));
    }
    QString question = QStringLiteral("Serão gravados na central %1 os blocos:\n%2\n\nA configuração atual da central "
                                      "será guardada antes na biblioteca.")
                           .arg(current.panel.serial)
                           .arg(titles.join(QLatin1Char('\n')));
    if (saved.rf && !saved.rf->empty()) question += QStringLiteral(" Os sensores RF não são restaurados.");
    if (!dialogs_.Question(this, QStringLiteral("Restaurar na central"), question + QStringLiteral(" Continuar?"))) {
        jobSnapshot_.reset();
        return;
    }
    if (!library_ || !job_->Restore(library_.get(), current, saved, toWrite, Origin(SnapshotReason::BeforeRestore, QString()))) {
        jobSnapshot_.reset();
        return;
    }
    asked_ = Asked::Restore;
}

void TFormBiblioteca::Restored(const JobOutcome& outcome)
{
    const std::optional<ChosenSnapshot> chosen = std::exchange(jobSnapshot_, std::nullopt);
    if (outcome.end == JobOutcome::End::StorageFailed) {
        dialogs_.Error(this, QStringLiteral("A configuração atual da central não foi guardada na biblioteca: %1. Nada foi "
                                            "gravado.")
                                 .arg(outcome.storageError));
        return;
    }
    FillPanels();
    if (outcome.snapshot) SelectPanel(outcome.snapshot->serial);
    const WriteOutcome& written = outcome.written;
    const QString report = QStringLiteral("Blocos gravados: %1. Não gravados: %2.")
                               .arg(BlockNames(written.written), BlockNames(written.notWritten));
    if (written.result == WriteOutcome::Result::Done) {
        dialogs_.Information(this, QStringLiteral("Configuração restaurada na central. %1").arg(report));
        return;
    }
    dialogs_.Error(this, QStringLiteral("A restauração parou no bloco %1 (%2). %3 Restaure de novo: só os blocos que "
                                        "ainda diferem são gravados.")
                             .arg(written.block)
                             .arg(StopReason(written.result), report));
}
