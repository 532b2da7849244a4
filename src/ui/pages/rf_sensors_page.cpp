#include "ui/pages/rf_sensors_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>

#include "core/rf/rf_sensor_fields.h"
#include "core/rf/rf_sensor_record.h"
#include "session/panel_session.h"
#include "ui/common/choice_controls.h"
#include "ui/common/choice_rows.h"
#include "ui/common/dialogs.h"
#include "ui/common/field_layout.h"
#include "ui/common/messages.h"

namespace {

constexpr int kNumberLength = 4;
constexpr int kSerialLength = 7;

}  // namespace

RfSensorsPage::RfSensorsPage(const PageSetup& setup, QWidget* parent) : ConfigPage(setup, parent)
{
    QTabWidget* pages = AddSubPages(QStringLiteral("PageControlSensorRF"),
                                    {QStringLiteral("Sensores cadastrados"), QStringLiteral("Cadastrar novo sensor"),
                                     QStringLiteral("Apagar sensor"), QStringLiteral("Configuração RF")});
    BuildRecords(pages->widget(Records));
    BuildEnrol(pages->widget(Enrol));
    BuildDelete(pages->widget(Delete));
    BuildRadio(pages->widget(Radio));
    connect(&Session(), &PanelSession::RfRecordReceived, this, &RfSensorsPage::ShowRecord);
}

void RfSensorsPage::BuildRecords(QWidget* page)
{
    QGridLayout* grid = AddSubPageGrid(page);
    // The number selects the record to read: always enabled, never cleared.
    number_ = AddEditRow(grid, 0, QStringLiteral("CfgNumeroSensorRF"), QStringLiteral("Numero ID:"),
                         QStringLiteral("(de 1 até 2048)"), kNumberLength, page);
    number_->setText(QStringLiteral("1"));
    serial_ = Data(AddEditRow(grid, 1, QStringLiteral("CfgSerialSensorRF"), QStringLiteral("Serial do sensor:"),
                              QStringLiteral("(de 1 até 4194303)"), 0, page));
    // Typing stops at seven characters, but a length limit on the field
    // would also cut what the tab shows there: "Inválido" has eight.
    serial_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^.{0,%1}$").arg(kSerialLength)), serial_));
    recordControls_ << serial_;

    const QList<QRadioButton*> kinds =
        AddRadioColumn(grid, 2, QString(),
                       {{QStringLiteral("CfgTipoSensorRF1"), QString::fromUtf8(kSensorKindItems[0])},
                        {QStringLiteral("CfgTipoSensorRF2"), QString::fromUtf8(kSensorKindItems[1])},
                        {QStringLiteral("CfgTipoSensorRF3"), QString::fromUtf8(kSensorKindItems[2])}},
                       page);
    for (int i = 0; i < 3; ++i) {
        kinds_[static_cast<std::size_t>(i)] = Data(kinds[i]);
        recordControls_ << kinds[i];
    }

    const QStringList items = ChoiceItems(kButtonFunctionItems);
    for (int i = 0; i < 3; ++i) {
        const int row = 3 + i;
        AddLabel(grid, row, 0, QStringLiteral("Função botão %1:").arg(i + 1), page);
        QComboBox* combo = Data(MakeChoiceCombo(QStringLiteral("ConfigBotao%1").arg(i + 1), items, page));
        grid->addWidget(combo, row, 1);
        buttons_[static_cast<std::size_t>(i)] = combo;
        recordControls_ << combo;
    }
    zone_ = Data(AddEditRow(grid, 6, QStringLiteral("CfgZonaSensorRF"), QStringLiteral("Zona:"),
                            QStringLiteral("(de 5 até 65535)"), 0, page));
    user_ = Data(AddEditRow(grid, 7, QStringLiteral("CfgUsuarioSensorRF"), QStringLiteral("Usuário:"),
                            QStringLiteral("(de 1 até 65535)"), 0, page));
    recordControls_ << zone_ << user_;
}

void RfSensorsPage::BuildEnrol(QWidget* page)
{
    QGridLayout* grid = AddSubPageGrid(page);
    auto* enrol = new QPushButton(QStringLiteral("Cadastrar novo"), page);
    enrol->setObjectName(QStringLiteral("BtnCadastrarSensorRF"));
    connect(enrol, &QPushButton::clicked, this, &RfSensorsPage::BtnCadastrarSensorRFClick);
    grid->addWidget(enrol, 0, 0);
}

void RfSensorsPage::BuildDelete(QWidget* page)
{
    QGridLayout* grid = AddSubPageGrid(page);
    // Deleting a single record has no command: the button stays without action.
    auto* deleteOne = new QPushButton(QStringLiteral("Apagar um ID"), page);
    deleteOne->setObjectName(QStringLiteral("Button1"));
    auto* deleteAll = new QPushButton(QStringLiteral("Apagar todos"), page);
    deleteAll->setObjectName(QStringLiteral("Button2"));
    connect(deleteAll, &QPushButton::clicked, this, &RfSensorsPage::Button2Click);
    grid->addWidget(deleteOne, 0, 0);
    grid->addWidget(deleteAll, 1, 0);
}

void RfSensorsPage::BuildRadio(QWidget* page)
{
    QGridLayout* grid = AddSubPageGrid(page);
    const QList<QRadioButton*> modulation =
        AddRadioRow(grid, 0, QStringLiteral("Configuração da comunicação RF:"),
                    {{QStringLiteral("CfgModulacaoRF1"), QStringLiteral("OOK")},
                     {QStringLiteral("CfgModulacaoRF2"), QStringLiteral("FSK")}},
                    page);
    const QList<QRadioButton*> crystal =
        AddRadioRow(grid, 1, QStringLiteral("Configuração do cristal:"),
                    {{QStringLiteral("CfgModulacaoRF3"), QStringLiteral("30 MHz")},
                     {QStringLiteral("CfgModulacaoRF4"), QStringLiteral("32 MHz")}},
                    page);
    AlignRadioColumns({modulation, crystal});
    ook_ = Data(modulation[0]);
    fsk_ = Data(modulation[1]);
    crystal30_ = Data(crystal[0]);
    crystal32_ = Data(crystal[1]);
    label53_ = qobject_cast<QLabel*>(grid->itemAtPosition(1, 0)->widget());
    label53_->setObjectName(QStringLiteral("Label53"));
    radioControls_ << ook_ << fsk_ << crystal30_ << crystal32_;
    // Only a panel that answers the long form has a crystal to choose.
    ShowCrystal(false);
}

RfSensorsPage::SubPage RfSensorsPage::Showing() const
{
    return static_cast<SubPage>(SubPages()->currentIndex());
}

void RfSensorsPage::ShowCrystal(bool visible)
{
    label53_->setVisible(visible);
    crystal30_->setVisible(visible);
    crystal32_->setVisible(visible);
}

// ---- The cycle's hooks ----------------------------------------------------------

QList<QWidget*> RfSensorsPage::EditableControls() const
{
    switch (Showing()) {
    case Records: return recordControls_;
    case Radio: return radioControls_;
    default: return {};  // edit state with nothing to edit
    }
}

std::optional<std::uint8_t> RfSensorsPage::ReadBlockId() const
{
    if (Showing() != Radio) return std::nullopt;
    return BlockByte(BlockId::RfCommunication);
}

void RfSensorsPage::RequestRead()
{
    if (Showing() == Records) {
        const std::int32_t number = ToInteger(number_);
        if (!RfSensorNumberAccepted(number)) {
            Fail(number_, messages::ValueOutOfRange());
            return;
        }
        Session().ReadRfRecord(number);
        return;
    }
    // A write must wait for the answer to tell the form.
    if (Showing() == Radio) rfConfigForm_ = RfBlockForm::None;
    ConfigPage::RequestRead();
}

bool RfSensorsPage::Validate()
{
    switch (Showing()) {
    case Records:
        if (!RfSerialAccepted(ToInteger(serial_))) {
            Fail(serial_, messages::ValueOutOfRange());
            return false;
        }
        if (!RfZoneAccepted(ToInteger(zone_))) {
            Fail(zone_, messages::ValueOutOfRange());
            return false;
        }
        // Without a kind the record would carry no kind at all.
        if (!kinds_[0]->isChecked() && !kinds_[1]->isChecked() && !kinds_[2]->isChecked()) {
            Fail(nullptr, QStringLiteral("Nenhum tipo de sensor selecionado"));
            return false;
        }
        return true;
    case Radio: return true;
    default: return false;  // nothing to write: the tab stays in edit state
    }
}

std::optional<std::vector<std::uint8_t>> RfSensorsPage::Pack()
{
    return PackRfConfig({fsk_->isChecked(), crystal30_->isChecked()}, rfConfigForm_);
}

void RfSensorsPage::RequestWrite()
{
    if (Showing() == Radio) {
        ConfigPage::RequestWrite();
        return;
    }
    RfSensorRecord record;
    record.serial = static_cast<std::uint32_t>(ToInteger(serial_));
    for (std::size_t i = 0; i < kinds_.size(); ++i) {
        if (kinds_[i]->isChecked()) record.kind = static_cast<std::uint8_t>(i + 1);
    }
    for (std::size_t i = 0; i < buttons_.size(); ++i) record.buttons[i] = EncodeButtonFunction(ChoiceIndex(buttons_[i]));
    record.zone = static_cast<std::uint16_t>(ToInteger(zone_));
    // An empty user is user 1; other text must convert (after the switch to view state).
    record.user = user_->text().isEmpty() ? 1 : static_cast<std::uint16_t>(ToInteger(user_));
    Session().WriteRfRecord(record);
}

// ---- Fill steps ------------------------------------------------------------------

std::vector<std::uint8_t> RfSensorsPage::FilledBlocks() const { return {BlockByte(BlockId::RfCommunication)}; }

void RfSensorsPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<RfConfigAnswer> answer = UnpackRfConfig(payload, length);
    if (!answer) return;
    rfConfigForm_ = answer->form;
    (answer->config.fsk ? fsk_ : ook_)->setChecked(true);
    if (answer->form == RfBlockForm::Long) {
        ShowCrystal(true);
        (answer->config.crystal30MHz ? crystal30_ : crystal32_)->setChecked(true);
    } else {
        // The checked button stays, hidden.
        ShowCrystal(false);
    }
}

void RfSensorsPage::ClearRecordFields()
{
    for (QRadioButton* kind : kinds_) ClearControl(kind);
    for (QComboBox* button : buttons_) ClearControl(button);
}

void RfSensorsPage::ShowRecord(const std::vector<std::uint8_t>& bytes)
{
    // A record of any other length changes nothing here.
    const std::optional<RfSensorRecord> record = UnpackRfSensorRecord(bytes.data(), bytes.size());
    if (!record) return;
    ClearRecordFields();
    if (!IsValidRfSerial(record->serial)) {
        serial_->setText(QStringLiteral("Inválido"));
        zone_->clear();
        user_->clear();
        return;
    }
    ShowNumber(serial_, record->serial);
    if (record->kind >= 1 && record->kind <= 3) kinds_[record->kind - 1u]->setChecked(true);
    if (record->kind == static_cast<std::uint8_t>(SensorKind::KeyFob)) {
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            buttons_[i]->setCurrentIndex(DecodeButtonFunction(record->buttons[i]));
        }
    }
    ShowNumber(zone_, record->zone);
    ShowNumber(user_, record->user);
}

// ---- The sub-pages' own buttons -----------------------------------------------

void RfSensorsPage::BtnCadastrarSensorRFClick()
{
    if (Session().IsPortOpen()) emit EnrolmentRequested();
}

void RfSensorsPage::Button2Click()
{
    if (!PageDialogs().Question(this, QStringLiteral("Comando"),
                                           QStringLiteral("Deseja apagar todos os sensores RF cadastrados?"))) {
        return;
    }
    // No port or device check: a closed port drops the frame.
    Session().DeleteAllRfRecords();
    emit StatusText(QString());
}
