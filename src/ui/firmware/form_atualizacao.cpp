#include "ui/firmware/form_atualizacao.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/choice_controls.h"
#include "jobs/job_gate.h"
#include "ui/common/dialogs.h"

namespace {

const QString kNoInformation = QStringLiteral("Sem informação");

QPushButton* NamedButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

void SetTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QColor Colour(UpdateColour colour)
{
    switch (colour) {
    case UpdateColour::Green: return QColor(0, 128, 0);
    case UpdateColour::Red: return QColor(255, 0, 0);
    case UpdateColour::Blue: break;
    }
    return QColor(0, 0, 255);
}

}  // namespace

TFormAtualizacao::TFormAtualizacao(PanelSession& session, Dialogs& dialogs, QWidget* parent)
    : SecondaryWindow(parent), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("FormAtualizacao"));
    setWindowTitle(QStringLiteral("Atualização de firmware"));
    BuildLayout();
    // Its timers run whether or not the window is shown; a user cancels a
    // stalled run, so it never gives up on its own.
    driver_ = new FirmwareUpdateDriver(session, FirmwareUpdateDriver::Options{}, this);
    connect(driver_, &FirmwareUpdateDriver::Effects, this, &TFormAtualizacao::Apply);
    // Another job talking to the panel holds "Iniciar"; the panel kept
    // before this update is this window's own, and "Cancelar" stops it.
    connect(&JobGate::Of(session), &JobGate::BusyChanged, this,
            [this](bool busy) { startCancelButton_->setEnabled(!busy || keeping_); });
}

TFormAtualizacao::~TFormAtualizacao() = default;

void TFormAtualizacao::BuildLayout()
{
    fileNameEdit_ = new QLineEdit(this);
    fileNameEdit_->setObjectName(QStringLiteral("Edit1"));
    fileNameEdit_->setEnabled(false);  // the path comes from the dialog only
    fileNameEdit_->setText(kNoInformation);  // until a file is chosen
    modelLabel_ = MakeNamedLabel(QStringLiteral("Label6"), kNoInformation, this);
    versionLabel_ = MakeNamedLabel(QStringLiteral("Label7"), kNoInformation, this);
    dateLabel_ = MakeNamedLabel(QStringLiteral("Label10"), kNoInformation, this);
    packetsLabel_ = MakeNamedLabel(QStringLiteral("Label11"), kNoInformation, this);
    openFileButton_ = NamedButton(QStringLiteral("Button4"), QStringLiteral("Abrir Arquivo"), this);

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
    SetTextColour(statusLabel_, Colour(UpdateColour::Blue));
    rejectionLabel_ = MakeNamedLabel(QStringLiteral("Label9"), QString(), this);
    SetTextColour(rejectionLabel_, Colour(UpdateColour::Red));
    progressLabel_ = MakeNamedLabel(QStringLiteral("Label8"), QString(), this);
    gaugeProg_ = new QProgressBar(this);
    gaugeProg_->setObjectName(QStringLiteral("GaugeProg"));
    gaugeProg_->setRange(0, 1);
    gaugeProg_->setValue(0);
    QPalette gauge = gaugeProg_->palette();
    gauge.setColor(QPalette::Highlight, Colour(UpdateColour::Blue));
    gaugeProg_->setPalette(gauge);

    auto* progress = new QFormLayout;
    progress->addRow(MakeNamedLabel(QStringLiteral("Label2"), QStringLiteral("Status:"), this), statusLabel_);
    progress->addRow(QString(), rejectionLabel_);
    progress->addRow(MakeNamedLabel(QStringLiteral("Label1"), QStringLiteral("Progresso:"), this), progressLabel_);
    progress->addRow(QString(), gaugeProg_);

    startCancelButton_ = NamedButton(QStringLiteral("Button3"), QStringLiteral("Iniciar"), this);
    startCancelButton_->setEnabled(false);
    exitButton_ = NamedButton(QStringLiteral("Button1"), QStringLiteral("Sair"), this);
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
        case ImageLoadStep::Kind::EnableStart: startCancelButton_->setEnabled(true); break;
        case ImageLoadStep::Kind::DisableStart: startCancelButton_->setEnabled(false); break;
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
    // may be kept; the hook may stop the start.
    if (keeping_) {
        // Stopped before the update started: no question, no box.
        keeping_ = false;
        if (beforeStart_.cancel) beforeStart_.cancel();
        statusLabel_->clear();
        ShowRunning(false);
        return;
    }
    const bool starting = !driver_->Machine().UpdateRunning() && driver_->Image().ImageValid();
    if (!starting || !beforeStart_.start) {
        driver_->StartOrCancel();
        return;
    }
    keeping_ = true;
    ShowRunning(true);
    SetTextColour(statusLabel_, Colour(UpdateColour::Blue));
    statusLabel_->setText(QStringLiteral("Guardando a configuração da central na biblioteca…"));
    beforeStart_.start([this, guard = QPointer<TFormAtualizacao>(this)](bool go) {
        if (!guard || !keeping_) return;
        keeping_ = false;
        statusLabel_->clear();
        ShowRunning(false);
        if (go) driver_->StartOrCancel();
    });
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
        SetTextColour(statusLabel_, Colour(fx.status->colour));
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
    if (keeping_) StartCancelClick();
    if (!Machine().MayClose()) {
        dialogs_.Error(this, QStringLiteral("Atualização em progresso, cancelar para sair."));
        return;
    }
    FormClose();
    QDialog::reject();
}

void TFormAtualizacao::FormClose()
{
    driver_->Abandon();
    statusLabel_->clear();
    progressLabel_->clear();
    rejectionLabel_->clear();
    modelLabel_->setText(kNoInformation);
    versionLabel_->setText(kNoInformation);
    dateLabel_->setText(kNoInformation);
    packetsLabel_->setText(kNoInformation);
    startCancelButton_->setText(QStringLiteral("Iniciar"));
    fileNameEdit_->clear();
    openFileButton_->setEnabled(true);
    startCancelButton_->setEnabled(false);
    gaugeProg_->setValue(0);
}
