#include "ui/firmware/form_atualizacao.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "jobs/job_gate.h"
#include "jobs/keep_before_change.h"
#include "ui/common/choice_controls.h"
#include "ui/common/dialogs.h"
#include "ui/common/job_failure_text.h"
#include "ui/common/text_colour.h"

namespace {

const QString kNoImage = QString::fromUtf8(kNoInformation);  // the image fields before a file is chosen

}  // namespace

TFormAtualizacao::TFormAtualizacao(PanelSession& session, Dialogs& dialogs, const Clock& clock, QWidget* parent)
    : SecondaryWindow(parent),
      dialogs_(dialogs),
      gate_(JobGate::Of(session)),
      keep_(new KeepBeforeChange(session, clock, this))
{
    setObjectName(QStringLiteral("FormAtualizacao"));
    setWindowTitle(QStringLiteral("Atualização de firmware"));
    BuildLayout();
    // Its timers run whether or not the window is shown; a user cancels a
    // stalled run, so it never gives up on its own.
    driver_ = new FirmwareUpdateDriver(session, FirmwareUpdateDriver::Options{}, this);
    connect(driver_, &FirmwareUpdateDriver::Effects, this, &TFormAtualizacao::Apply);
    connect(keep_, &KeepBeforeChange::Finished, this, &TFormAtualizacao::Kept);
    connect(&JobGate::Of(session), &JobGate::BusyChanged, this, &TFormAtualizacao::FollowStart);
}

TFormAtualizacao::~TFormAtualizacao()
{
    // Its keep job, a child, lets the panel go as it is destroyed, after
    // this window has stopped being one.
    gate_.disconnect(this);
}

void TFormAtualizacao::BuildLayout()
{
    fileNameEdit_ = new QLineEdit(this);
    fileNameEdit_->setObjectName(QStringLiteral("Edit1"));
    fileNameEdit_->setEnabled(false);  // the path comes from the dialog only
    fileNameEdit_->setText(kNoImage);  // until a file is chosen
    modelLabel_ = MakeNamedLabel(QStringLiteral("Label6"), kNoImage, this);
    versionLabel_ = MakeNamedLabel(QStringLiteral("Label7"), kNoImage, this);
    dateLabel_ = MakeNamedLabel(QStringLiteral("Label10"), kNoImage, this);
    packetsLabel_ = MakeNamedLabel(QStringLiteral("Label11"), kNoImage, this);
    openFileButton_ = MakeNamedButton(QStringLiteral("Button4"), QStringLiteral("Abrir Arquivo"), this);

    auto* image = new QFormLayout;
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileNameEdit_, 1);
    fileRow->addWidget(openFileButton_);
    image->addRow(QStringLiteral("Arquivo:"), fileRow);
    image->addRow(QStringLiteral("Modelo:"), modelLabel_);
    image->addRow(QStringLiteral("Versão:"), versionLabel_);
    image->addRow(QStringLiteral("Data:"), dateLabel_);
    image->addRow(QString(), packetsLabel_);

    statusLabel_ = MakeNamedLabel(QStringLiteral("Label3"), QString(), this);
    SetTextColour(statusLabel_, TextColour::Blue);
    rejectionLabel_ = MakeNamedLabel(QStringLiteral("Label9"), QString(), this);
    SetTextColour(rejectionLabel_, TextColour::Red);
    progressLabel_ = MakeNamedLabel(QStringLiteral("Label8"), QString(), this);
    gaugeProg_ = new QProgressBar(this);
    gaugeProg_->setObjectName(QStringLiteral("GaugeProg"));
    gaugeProg_->setRange(0, 1);
    gaugeProg_->setValue(0);
    QPalette gauge = gaugeProg_->palette();
    gauge.setColor(QPalette::Highlight, ColourOf(TextColour::Blue));
    gaugeProg_->setPalette(gauge);

    auto* progress = new QFormLayout;
    progress->addRow(MakeNamedLabel(QStringLiteral("Label2"), QStringLiteral("Status:"), this), statusLabel_);
    progress->addRow(QString(), rejectionLabel_);
    progress->addRow(MakeNamedLabel(QStringLiteral("Label1"), QStringLiteral("Progresso:"), this), progressLabel_);
    progress->addRow(QString(), gaugeProg_);

    startCancelButton_ = MakeNamedButton(QStringLiteral("Button3"), QStringLiteral("Iniciar"), this);
    startCancelButton_->setEnabled(false);
    exitButton_ = MakeNamedButton(QStringLiteral("Button1"), QStringLiteral("Sair"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(startCancelButton_);
    buttons->addWidget(exitButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(image);
    layout->addSpacing(12);
    layout->addLayout(progress);
    layout->addLayout(buttons);

    connect(openFileButton_, &QPushButton::clicked, this, &TFormAtualizacao::OpenFileClick);
    connect(startCancelButton_, &QPushButton::clicked, this, &TFormAtualizacao::StartCancelClick);
    connect(exitButton_, &QPushButton::clicked, this, &QWidget::close);
}

void TFormAtualizacao::OpenFileClick()
{
    const QString chosen = dialogs_.OpenFile(this, QStringLiteral("Arquivo BIN (*.bin)"));
    if (chosen.isEmpty()) return;
    fileNameEdit_->setText(chosen);
    ApplyLoad(driver_->LoadImage(fileNameEdit_->text()));
}

void TFormAtualizacao::ApplyLoad(const ImageLoadReport& report)
{
    for (const ImageLoadStep& step : report.steps) {
        switch (step.kind) {
        case ImageLoadStep::Kind::ShowInfo:
            modelLabel_->setText(QString::fromStdString(report.info.model));
            versionLabel_->setText(QString::fromStdString(report.info.version));
            dateLabel_->setText(QString::fromStdString(report.info.buildDate));
            packetsLabel_->setText(QString::fromStdString(report.info.packets));
            break;
        case ImageLoadStep::Kind::ClearInfo: ClearImageInfo(); break;
        case ImageLoadStep::Kind::EnableStart: SetStartable(true); break;
        case ImageLoadStep::Kind::DisableStart: SetStartable(false); break;
        case ImageLoadStep::Kind::Error: dialogs_.Error(this, QString::fromStdString(step.text)); break;
        }
    }
}

void TFormAtualizacao::ClearImageInfo()
{
    fileNameEdit_->clear();
    modelLabel_->clear();
    versionLabel_->clear();
    dateLabel_->clear();
    packetsLabel_->clear();
}

void TFormAtualizacao::StartCancelClick()
{
    // Before a run starts (not when it is cancelled), what the panel holds
    // is kept; the run starts when that is done.
    if (keep_->Running()) {
        // Stopped before the update started: no question, no box.
        // "Iniciar" is back once its last exchange is answered.
        keep_->Cancel();
        statusLabel_->clear();
        ShowRunning(false);
        FollowStart();
        return;
    }
    const bool starting = !driver_->Machine().UpdateRunning() && driver_->Image().ImageValid();
    if (!starting || !keeping_.library ||
        !keep_->Start(keeping_.library, keeping_.origin(SnapshotReason::BeforeFirmwareUpdate))) {
        driver_->StartOrCancel();
        return;
    }
    ShowRunning(true);
    SetTextColour(statusLabel_, TextColour::Blue);
    statusLabel_->setText(QStringLiteral("Guardando a configuração da central na biblioteca…"));
}

void TFormAtualizacao::Kept(const KeepOutcome& outcome)
{
    const AfterKeep next = NextStep(outcome);
    // Cancelled from "Cancelar" or by leaving: the window is idle already.
    if (next == AfterKeep::Stop) return;
    statusLabel_->clear();
    ShowRunning(false);
    if (outcome.end == KeepOutcome::End::Stored) emit PanelKept(*outcome.job.snapshot);
    if (next == AfterKeep::Ask) {
        if (const QString failure = JobFailureText(outcome.job, QStringLiteral("nada foi guardado.")); !failure.isEmpty()) {
            dialogs_.Error(this, failure);
        }
        if (!dialogs_.Question(this, QStringLiteral("Biblioteca"),
                               QStringLiteral("A configuração da central não foi guardada na biblioteca. "
                                              "Atualizar o firmware mesmo assim?"))) {
            return;
        }
    }
    driver_->StartOrCancel();
}

void TFormAtualizacao::SetStartable(bool startable)
{
    startable_ = startable;
    FollowStart();
}

void TFormAtualizacao::FollowStart()
{
    // Another job talking to the panel holds "Iniciar"; the panel kept
    // before this update is this window's own, and "Cancelar" stops it.
    const bool ownJob = keep_->Running() && !keep_->Cancelling();
    startCancelButton_->setEnabled(startable_ && (!gate_.Busy() || ownJob));
}

void TFormAtualizacao::ShowRunning(bool running)
{
    exitButton_->setEnabled(!running);
    openFileButton_->setEnabled(!running);
    startCancelButton_->setText(running ? QStringLiteral("Cancelar") : QStringLiteral("Iniciar"));
}

void TFormAtualizacao::TimerTimeoutTimer()
{
    driver_->TimeoutTick();
}

// The driver has already sent the machine's command and started or stopped
// its timer, so the machine does not tick behind a box.
void TFormAtualizacao::Apply(const UpdateEffects& fx)
{
    if (fx.started) {
        exitButton_->setEnabled(false);
        openFileButton_->setEnabled(false);
        startCancelButton_->setText(QStringLiteral("Cancelar"));
    }
    if (fx.stopped) {
        startCancelButton_->setText(QStringLiteral("Iniciar"));
        exitButton_->setEnabled(true);
    }
    if (fx.status) {
        SetTextColour(statusLabel_, fx.status->colour);
        statusLabel_->setText(QString::fromStdString(fx.status->text));
    }
    if (fx.rejection) rejectionLabel_->setText(QString::fromStdString(*fx.rejection));
    if (fx.packetText) progressLabel_->setText(QString::fromStdString(*fx.packetText));
    // An image of no packets still shows an empty gauge, not a busy one.
    if (fx.gaugeMaximum) gaugeProg_->setMaximum(std::max(1, *fx.gaugeMaximum));
    if (fx.gaugeValue) gaugeProg_->setValue(*fx.gaugeValue);
    if (fx.message) {
        const QString text = QString::fromStdString(fx.message->text);
        if (fx.message->information) dialogs_.Information(this, text);
        else dialogs_.Error(this, text);
    }
}

void TFormAtualizacao::Opening()
{
    statusLabel_->clear();
    progressLabel_->clear();
    rejectionLabel_->clear();
}

void TFormAtualizacao::closeEvent(QCloseEvent* event)
{
    // reject() decides and hides; the event itself never closes the window.
    event->ignore();
    reject();
}

void TFormAtualizacao::reject()
{
    // Leaving while the panel is kept stops that, as "Cancelar" would.
    if (keep_->Running()) StartCancelClick();
    if (!driver_->CanClose()) {
        dialogs_.Error(this, QStringLiteral("Atualização em progresso, cancelar para sair."));
        return;
    }
    FormClose();
    QDialog::reject();
}

void TFormAtualizacao::FormClose()
{
    driver_->OnClosed();
    statusLabel_->clear();
    progressLabel_->clear();
    rejectionLabel_->clear();
    modelLabel_->setText(kNoImage);
    versionLabel_->setText(kNoImage);
    dateLabel_->setText(kNoImage);
    packetsLabel_->setText(kNoImage);
    startCancelButton_->setText(QStringLiteral("Iniciar"));
    fileNameEdit_->clear();
    openFileButton_->setEnabled(true);
    SetStartable(false);
    gaugeProg_->setValue(0);
}
