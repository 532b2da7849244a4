#include "ui/firmware/form_atualizacao.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/choice_controls.h"
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
}

TFormAtualizacao::~TFormAtualizacao() = default;

void TFormAtualizacao::BuildLayout()
{
    edit1_ = new QLineEdit(this);
    edit1_->setObjectName(QStringLiteral("Edit1"));
    edit1_->setEnabled(false);  // the path comes from the dialog only
    edit1_->setText(kNoInformation);  // until a file is chosen
    label6_ = MakeNamedLabel(QStringLiteral("Label6"), kNoInformation, this);
    label7_ = MakeNamedLabel(QStringLiteral("Label7"), kNoInformation, this);
    label10_ = MakeNamedLabel(QStringLiteral("Label10"), kNoInformation, this);
    label11_ = MakeNamedLabel(QStringLiteral("Label11"), kNoInformation, this);
    button4_ = NamedButton(QStringLiteral("Button4"), QStringLiteral("Abrir Arquivo"), this);

    auto* image = new QFormLayout;
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(edit1_, 1);
    fileRow->addWidget(button4_);
    image->addRow(QStringLiteral("Arquivo:"), fileRow);
    image->addRow(QStringLiteral("Modelo:"), label6_);
    image->addRow(QStringLiteral("Versão:"), label7_);
    image->addRow(QStringLiteral("Data:"), label10_);
    image->addRow(QString(), label11_);

    label3_ = MakeNamedLabel(QStringLiteral("Label3"), QString(), this);
    SetTextColour(label3_, Colour(UpdateColour::Blue));
    label9_ = MakeNamedLabel(QStringLiteral("Label9"), QString(), this);
    SetTextColour(label9_, Colour(UpdateColour::Red));
    label8_ = MakeNamedLabel(QStringLiteral("Label8"), QString(), this);
    gaugeProg_ = new QProgressBar(this);
    gaugeProg_->setObjectName(QStringLiteral("GaugeProg"));
    gaugeProg_->setRange(0, 1);
    gaugeProg_->setValue(0);
    QPalette gauge = gaugeProg_->palette();
    gauge.setColor(QPalette::Highlight, Colour(UpdateColour::Blue));
    gaugeProg_->setPalette(gauge);

    auto* progress = new QFormLayout;
    progress->addRow(MakeNamedLabel(QStringLiteral("Label2"), QStringLiteral("Status:"), this), label3_);
    progress->addRow(QString(), label9_);
    progress->addRow(MakeNamedLabel(QStringLiteral("Label1"), QStringLiteral("Progresso:"), this), label8_);
    progress->addRow(QString(), gaugeProg_);

    button3_ = NamedButton(QStringLiteral("Button3"), QStringLiteral("Iniciar"), this);
    button3_->setEnabled(false);
    button1_ = NamedButton(QStringLiteral("Button1"), QStringLiteral("Sair"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button3_);
    buttons->addWidget(button1_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(image);
    layout->addSpacing(12);
    layout->addLayout(progress);
    layout->addLayout(buttons);

    connect(button4_, &QPushButton::clicked, this, &TFormAtualizacao::Button4Click);
    connect(button3_, &QPushButton::clicked, this, &TFormAtualizacao::Button3Click);
    connect(button1_, &QPushButton::clicked, this, &QWidget::close);
}

void TFormAtualizacao::Button4Click()
{
    const QString chosen = dialogs_.OpenFile(this, QStringLiteral("Arquivo BIN (*.bin)"));
    if (chosen.isEmpty()) return;
    edit1_->setText(chosen);
    ApplyLoad(driver_->LoadImage(edit1_->text()));
}

void TFormAtualizacao::ApplyLoad(const ImageLoadReport& report)
{
    for (const ImageLoadStep& step : report.steps) {
        switch (step.kind) {
        case ImageLoadStep::Kind::ShowInfo:
            label6_->setText(QString::fromStdString(report.info.model));
            label7_->setText(QString::fromStdString(report.info.version));
            label10_->setText(QString::fromStdString(report.info.buildDate));
            label11_->setText(QString::fromStdString(report.info.packets));
            break;
        case ImageLoadStep::Kind::ClearInfo: ClearImageInfo(); break;
        case ImageLoadStep::Kind::EnableStart: button3_->setEnabled(true); break;
        case ImageLoadStep::Kind::DisableStart: button3_->setEnabled(false); break;
        case ImageLoadStep::Kind::Error: dialogs_.Error(this, QString::fromStdString(step.text)); break;
        }
    }
}

void TFormAtualizacao::ClearImageInfo()
{
    edit1_->clear();
    label6_->clear();
    label7_->clear();
    label10_->clear();
    label11_->clear();
}

void TFormAtualizacao::Button3Click()
{
    // Before a run starts (not when it is cancelled), what the panel holds
    // may be kept; the hook may stop the start.
    const bool starting = !driver_->Machine().UpdateRunning() && driver_->Image().ImageValid();
    if (starting && beforeStart_ && !beforeStart_()) return;
    driver_->StartOrCancel();
}

void TFormAtualizacao::TimerMaquinaTimer()
{
    driver_->MachineTick();
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
        button1_->setEnabled(false);
        button4_->setEnabled(false);
        button3_->setText(QStringLiteral("Cancelar"));
    }
    if (fx.stopped) {
        button3_->setText(QStringLiteral("Iniciar"));
        button1_->setEnabled(true);
    }
    if (fx.status) {
        SetTextColour(label3_, Colour(fx.status->colour));
        label3_->setText(QString::fromStdString(fx.status->text));
    }
    if (fx.rejection) label9_->setText(QString::fromStdString(*fx.rejection));
    if (fx.packetText) label8_->setText(QString::fromStdString(*fx.packetText));
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
    label3_->clear();
    label8_->clear();
    label9_->clear();
}

void TFormAtualizacao::closeEvent(QCloseEvent* event)
{
    // reject() decides and hides; the event itself never closes the window.
    event->ignore();
    reject();
}

void TFormAtualizacao::reject()
{
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
    label3_->clear();
    label8_->clear();
    label9_->clear();
    label6_->setText(kNoInformation);
    label7_->setText(kNoInformation);
    label10_->setText(kNoInformation);
    label11_->setText(kNoInformation);
    button3_->setText(QStringLiteral("Iniciar"));
    edit1_->clear();
    button4_->setEnabled(true);
    button3_->setEnabled(false);
    gaugeProg_->setValue(0);
}
