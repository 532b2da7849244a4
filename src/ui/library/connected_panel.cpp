#include "ui/library/connected_panel.h"

#include <QProgressBar>
#include <QStringList>

#include "core/config/panel_backup.h"
#include "core/panel/block_table.h"
#include "core/panel/device_identity.h"
#include "core/panel/model_capabilities.h"
#include "core/rf/rf_sensor_record.h"
#include "session/clock.h"
#include "session/panel_exchange.h"
#include "session/panel_session.h"
#include "ui/common/dialogs.h"

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

}  // namespace

ConnectedPanel::ConnectedPanel(PanelSession& session, Dialogs& dialogs, const Clock& clock, QWidget& owner,
                               QProgressBar& progress)
    : session_(session), dialogs_(dialogs), clock_(clock), owner_(owner), progress_(progress)
{
}

bool ConnectedPanel::Step(int done, int total)
{
    progress_.setMaximum(total);
    progress_.setValue(done);
    return session_.IsPortOpen();
}

std::optional<PanelBackup> ConnectedPanel::Read(bool withRf)
{
    if (!session_.IsPortOpen()) {
        dialogs_.Error(&owner_, QStringLiteral("Abra a porta serial da central antes."));
        return std::nullopt;
    }
    PanelExchange exchange(session_);
    const std::optional<Identification> identity = exchange.Identify();
    if (!identity || !IsSupportedPanelModel(identity->model)) {
        dialogs_.Error(&owner_,
                       QStringLiteral("A central não respondeu à identificação; verifique o cabo e a alimentação."));
        return std::nullopt;
    }
    PanelBackup backup{*identity, clock_.Now(), {}, std::nullopt};
    const std::vector<std::uint8_t> ids = ConfigurationBlockIds();
    const ReadOutcome read =
        ReadBlocks(exchange, ids, backup.blocks, [&](int done) { return Step(done, static_cast<int>(ids.size())); });
    if (read.result != ReadOutcome::Result::Done) {
        const BlockEntry* entry = FindBlock(read.block);
        dialogs_.Error(&owner_, QStringLiteral("A central não respondeu à leitura do bloco %1 (%2); nada foi guardado.")
                                    .arg(read.block)
                                    .arg(entry ? QString::fromUtf8(entry->title) : QString()));
        return std::nullopt;
    }
    if (withRf) {
        backup.rf.emplace();
        const ReadOutcome rf =
            ReadRfRecords(exchange, *backup.rf, [&](int done) { return Step(done, kRfSensorTableSize); });
        if (rf.result != ReadOutcome::Result::Done) {
            dialogs_.Error(&owner_, QStringLiteral("A central não respondeu à leitura do sensor RF %1; nada foi guardado.")
                                        .arg(rf.slot));
            return std::nullopt;
        }
    }
    return backup;
}

WriteOutcome ConnectedPanel::Write(const BlockMap& saved, const std::vector<std::uint8_t>& ids)
{
    PanelExchange exchange(session_);
    return WriteBlocks(exchange, saved, ids, [&](int done) { return Step(done, static_cast<int>(ids.size())); });
}

void ConnectedPanel::TellWritten(const WriteOutcome& outcome)
{
    const QString report = QStringLiteral("Blocos gravados: %1. Não gravados: %2.")
                               .arg(BlockNames(outcome.written), BlockNames(outcome.notWritten));
    if (outcome.result == WriteOutcome::Result::Done) {
        dialogs_.Information(&owner_, QStringLiteral("Configuração restaurada na central. %1").arg(report));
        return;
    }
    dialogs_.Error(&owner_, QStringLiteral("A restauração parou no bloco %1 (%2). %3 Restaure de novo: só os blocos que "
                                           "ainda diferem são gravados.")
                                .arg(outcome.block)
                                .arg(StopReason(outcome.result), report));
}
