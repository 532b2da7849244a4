#include "ui/rf/form_cadastro.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/rf/rf_sensor_fields.h"
#include "core/rf/rf_sensor_record.h"
#include "jobs/job_gate.h"
#include "ui/common/choice_controls.h"
#include "ui/common/field_layout.h"
#include "ui/common/text_colour.h"

namespace {

constexpr int kNumberLength = 5;

}  // namespace

TFormCadastro::TFormCadastro(PanelSession& session, Dialogs&, QWidget* parent)
    : SecondaryWindow(parent), session_(session)
{
    setObjectName(QStringLiteral("FormCadastro"));
    setWindowTitle(QStringLiteral("Cadastro novo sensor"));
    // Fixed single border with the system menu and the minimise box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* layout = new QVBoxLayout(this);

    auto* kindGroup = new QGroupBox(QStringLiteral("Tipo de sensor a ser cadastrado:"), this);
    auto* kindColumn = new QVBoxLayout(kindGroup);
    pir_ = MakeRadio(QStringLiteral("TipoSensorPresenca"), QString::fromUtf8(kSensorKindItems[0]), kindGroup);
    door_ = MakeRadio(QStringLiteral("TipoSensorPorta"), QString::fromUtf8(kSensorKindItems[1]), kindGroup);
    keyFob_ = MakeRadio(QStringLiteral("TipoSensorChaveiro"), QString::fromUtf8(kSensorKindItems[2]), kindGroup);
    for (QRadioButton* kind : {pir_, door_, keyFob_}) {
        kindColumn->addWidget(kind);
        connect(kind, &QRadioButton::clicked, this, &TFormCadastro::FollowKind);
    }
    pir_->setChecked(true);
    layout->addWidget(kindGroup);

    auto* buttonGroup = new QGroupBox(QStringLiteral("Funções dos botões do chaveiro:"), this);
    auto* buttonGrid = new QGridLayout(buttonGroup);
    const QStringList items = ChoiceItems(kButtonFunctionItems);
    for (int i = 0; i < 3; ++i) {
        AddLabel(buttonGrid, i, 0, QStringLiteral("Botão %1:").arg(i + 1), buttonGroup);
        QComboBox* combo = MakeChoiceCombo(QStringLiteral("ConfigBotao%1").arg(i + 1), items, buttonGroup);
        buttonGrid->addWidget(combo, i, 1);
        buttons_[static_cast<std::size_t>(i)] = combo;
    }
    layout->addWidget(buttonGroup);

    auto* numberGroup = new QGroupBox(QStringLiteral("Numero da zona / ID usuário"), this);
    auto* numberGrid = new QGridLayout(numberGroup);
    AddLabel(numberGrid, 0, 0, QStringLiteral("Zona:"), numberGroup);
    zone_ = MakeEdit(QStringLiteral("ConfigZona"), kNumberLength, numberGroup);
    zone_->setText(QStringLiteral("5"));
    numberGrid->addWidget(zone_, 0, 1);
    AddLabel(numberGrid, 1, 0, QStringLiteral("Usuário:"), numberGroup);
    user_ = MakeEdit(QStringLiteral("ConfigUsuario"), kNumberLength, numberGroup);
    user_->setText(QStringLiteral("1"));
    numberGrid->addWidget(user_, 1, 1);
    layout->addWidget(numberGroup);

    auto* statusGroup = new QGroupBox(QStringLiteral("Status:"), this);
    auto* statusRow = new QHBoxLayout(statusGroup);
    status_ = MakeNamedLabel(QStringLiteral("LabelSts"), QString(), statusGroup);
    QFont bold = status_->font();
    bold.setBold(true);
    status_->setFont(bold);
    status_->setWordWrap(true);
    SetTextColour(status_, TextColour::Blue);
    statusRow->addWidget(status_);
    layout->addWidget(statusGroup);

    auto* commandGroup = new QGroupBox(QStringLiteral("Comandos:"), this);
    auto* commandRow = new QHBoxLayout(commandGroup);
    start_ = MakeNamedButton(QStringLiteral("BtnIniciar"), QStringLiteral("Iniciar"), commandGroup);
    stop_ = MakeNamedButton(QStringLiteral("BtnParar"), QStringLiteral("Parar"), commandGroup);
    exit_ = MakeNamedButton(QStringLiteral("BtnSair"), QStringLiteral("Sair"), commandGroup);
    stop_->setEnabled(false);
    connect(start_, &QPushButton::clicked, this, &TFormCadastro::BtnIniciarClick);
    connect(stop_, &QPushButton::clicked, this, &TFormCadastro::BtnPararClick);
    connect(exit_, &QPushButton::clicked, this, &QDialog::close);
    for (QPushButton* button : {start_, stop_, exit_}) commandRow->addWidget(button);
    layout->addWidget(commandGroup);

    driver_ = new EnrolmentDriver(session, [this] { return Settings(); }, {}, this);
    connect(driver_, &EnrolmentDriver::Effects, this, &TFormCadastro::Apply);
    connect(&JobGate::Of(session), &JobGate::BusyChanged, this, &TFormCadastro::FollowStart);

    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TFormCadastro::~TFormCadastro() = default;

// ---- Showing and closing ------------------------------------------------------

void TFormCadastro::Opening()
{
    FormShow();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TFormCadastro::FormShow()
{
    driver_->Reset();
    status_->clear();
    running_ = false;
    FollowStart();
    stop_->setEnabled(false);
    pir_->setChecked(true);
    for (QComboBox* combo : buttons_) {
        combo->setEnabled(false);
        combo->setCurrentIndex(-1);
    }
}

void TFormCadastro::closeEvent(QCloseEvent* event)
{
    // FormCloseQuery: never while a process runs, by "Sair" or the close box.
    if (!driver_->CanClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFormCadastro::reject()
{
    // Escape closes a dialog without a close event: the same rule holds.
    if (!driver_->CanClose()) return;
    driver_->OnClosed();
    QDialog::reject();
}

// ---- Controls -----------------------------------------------------------------

void TFormCadastro::FollowKind()
{
    // Only a key fob has buttons; their selections stay either way.
    for (QComboBox* combo : buttons_) combo->setEnabled(keyFob_->isChecked());
}

EnrolmentSettings TFormCadastro::Settings() const
{
    EnrolmentSettings settings;
    if (pir_->isChecked()) settings.kind = SensorKind::Pir;
    if (door_->isChecked()) settings.kind = SensorKind::Door;
    if (keyFob_->isChecked()) settings.kind = SensorKind::KeyFob;
    for (std::size_t i = 0; i < buttons_.size(); ++i) settings.buttonItems[i] = ChoiceIndex(buttons_[i]);
    settings.zoneText = zone_->text().toStdString();
    settings.userText = user_->text().toStdString();
    return settings;
}

void TFormCadastro::BtnIniciarClick() { driver_->Start(); }

void TFormCadastro::BtnPararClick() { driver_->Stop(); }

void TFormCadastro::TimerProcessoTimer() { driver_->Tick(); }

void TFormCadastro::FollowStart() { start_->setEnabled(!running_ && !JobGate::Of(session_).Busy()); }

void TFormCadastro::SetRunning(bool running)
{
    running_ = running;
    FollowStart();
    stop_->setEnabled(running);
    zone_->setEnabled(!running);
    user_->setEnabled(!running);
}

void TFormCadastro::Apply(const EnrolmentEffects& effects)
{
    if (effects.status) {
        SetTextColour(status_, effects.status->colour);
        status_->setText(QString::fromStdString(effects.status->text));
    }
    if (effects.started) SetRunning(true);
    if (effects.ended) SetRunning(false);
}
