#include "ui/pages/rf_records_sub_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "core/rf/rf_sensor_fields.h"
#include "core/rf/rf_sensor_record.h"
#include "session/panel_session.h"
#include "ui/common/choice_controls.h"
#include "ui/common/choice_rows.h"
#include "ui/common/field_layout.h"
#include "ui/pages/config_page.h"

namespace {

constexpr int kNumberLength = 4;
constexpr int kSerialLength = 7;

template <typename Control>
Control* Locked(Control* control)
{
    control->setEnabled(false);
    return control;
}

}  // namespace

RfRecordsSubPage::RfRecordsSubPage(ConfigPage& tab, PanelSession& session, QWidget& page)
    : QObject(&page), tab_(tab), session_(session)
{
    QGridLayout* grid = AddSubPageGrid(&page);
    // The number selects the record to read: always enabled, never cleared.
    number_ = AddEditRow(grid, 0, QStringLiteral("CfgNumeroSensorRF"), QStringLiteral("Numero ID:"),
                         QStringLiteral("(de 1 até 2048)"), kNumberLength, &page);
    number_->setText(QStringLiteral("1"));
    serial_ = Locked(AddEditRow(grid, 1, QStringLiteral("CfgSerialSensorRF"), QStringLiteral("Serial do sensor:"),
                                QStringLiteral("(de 1 até 4194303)"), 0, &page));
    // Typing stops at seven characters, but a length limit on the field
    // would also cut what the tab shows there: "Inválido" has eight.
    serial_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^.{0,%1}$").arg(kSerialLength)), serial_));
    controls_ << serial_;

    const QList<QRadioButton*> kinds =
        AddRadioColumn(grid, 2, QString(),
                       {{QStringLiteral("CfgTipoSensorRF1"), QString::fromUtf8(kSensorKindItems[0])},
                        {QStringLiteral("CfgTipoSensorRF2"), QString::fromUtf8(kSensorKindItems[1])},
                        {QStringLiteral("CfgTipoSensorRF3"), QString::fromUtf8(kSensorKindItems[2])}},
                       &page);
    for (int i = 0; i < 3; ++i) {
        kinds_[static_cast<std::size_t>(i)] = Locked(kinds[i]);
        controls_ << kinds[i];
    }

    const QStringList items = ChoiceItems(kButtonFunctionItems);
    for (int i = 0; i < 3; ++i) {
        const int row = 3 + i;
        AddLabel(grid, row, 0, QStringLiteral("Função botão %1:").arg(i + 1), &page);
        QComboBox* combo = Locked(MakeChoiceCombo(QStringLiteral("ConfigBotao%1").arg(i + 1), items, &page));
        grid->addWidget(combo, row, 1);
        buttons_[static_cast<std::size_t>(i)] = combo;
        controls_ << combo;
    }
    zone_ = Locked(AddEditRow(grid, 6, QStringLiteral("CfgZonaSensorRF"), QStringLiteral("Zona:"),
                              QStringLiteral("(de 5 até 65535)"), 0, &page));
    user_ = Locked(AddEditRow(grid, 7, QStringLiteral("CfgUsuarioSensorRF"), QStringLiteral("Usuário:"),
                              QStringLiteral("(de 1 até 65535)"), 0, &page));
    controls_ << zone_ << user_;
    connect(&session_, &PanelSession::RfRecordReceived, this, &RfRecordsSubPage::ShowRecord);
}

void RfRecordsSubPage::RequestRead()
{
    if (!tab_.CheckRange(number_, NumericField::RfSensorNumber)) return;
    session_.ReadRfRecord(ConfigPage::ToInteger(number_));
}

bool RfRecordsSubPage::Validate()
{
    // Without a kind the record would carry no kind at all.
    if (!kinds_[0]->isChecked() && !kinds_[1]->isChecked() && !kinds_[2]->isChecked()) {
        tab_.Fail(nullptr, QStringLiteral("Nenhum tipo de sensor selecionado"));
        return false;
    }
    return true;
}

std::vector<RangedField> RfRecordsSubPage::RangedFields() const
{
    // An empty user field is user 1, and no number to judge.
    return {{serial_, NumericField::RfSerial}, {zone_, NumericField::RfZone}, {user_, NumericField::RfUser}};
}

void RfRecordsSubPage::RequestWrite()
{
    RfSensorRecord record;
    record.serial = static_cast<std::uint32_t>(ConfigPage::ToInteger(serial_));
    for (std::size_t i = 0; i < kinds_.size(); ++i) {
        if (kinds_[i]->isChecked()) record.kind = static_cast<std::uint8_t>(i + 1);
    }
    for (std::size_t i = 0; i < buttons_.size(); ++i) record.buttons[i] = EncodeButtonFunction(ChoiceIndex(buttons_[i]));
    record.zone = static_cast<std::uint16_t>(ConfigPage::ToInteger(zone_));
    // An empty user is user 1; other text must convert (after the switch to view state).
    record.user = user_->text().isEmpty() ? 1 : static_cast<std::uint16_t>(ConfigPage::ToInteger(user_));
    session_.WriteRfRecord(record);
}

void RfRecordsSubPage::ClearRecordFields()
{
    for (QRadioButton* kind : kinds_) ClearControl(kind);
    for (QComboBox* button : buttons_) ClearControl(button);
}

void RfRecordsSubPage::ShowRecord(const std::vector<std::uint8_t>& bytes)
{
    const std::optional<RfSensorRecord> record = UnpackRfSensorRecord(bytes.data(), bytes.size());
    if (!record) return;
    ClearRecordFields();
    if (!IsValidRfSerial(record->serial)) {
        serial_->setText(QStringLiteral("Inválido"));
        zone_->clear();
        user_->clear();
        return;
    }
    ConfigPage::ShowNumber(serial_, record->serial);
    if (record->kind >= 1 && record->kind <= 3) kinds_[record->kind - 1u]->setChecked(true);
    if (record->kind == static_cast<std::uint8_t>(SensorKind::KeyFob)) {
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            buttons_[i]->setCurrentIndex(DecodeButtonFunction(record->buttons[i]));
        }
    }
    ConfigPage::ShowNumber(zone_, record->zone);
    ConfigPage::ShowNumber(user_, record->user);
}
