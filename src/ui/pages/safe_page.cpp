#include "ui/pages/safe_page.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>

#include "core/config/safe_blocks.h"
#include "core/panel/block_table.h"
#include "ui/common/choice_rows.h"
#include "ui/common/field_layout.h"
#include "ui/common/messages.h"

namespace {

const QString kUnreadableTemperature = QStringLiteral("Erro ao tentar ler a configuração da temperatura.");

TemperatureEntry Temperature(const QLineEdit* field) { return EncodeTemperature(field->text().toStdString()); }

}  // namespace

SafePage::SafePage(const PageSetup& setup, QWidget* parent)
    : SingleBlockPage(setup, BlockId::SafeFunction, parent)
{
    QGridLayout* grid = AddPageGrid(Body());
    const QList<QRadioButton*> function =
        AddRadioRow(grid, 0, QStringLiteral("Função cofre:"),
                    {{QStringLiteral("CfgFuncaoCofreHab"), QStringLiteral("Habilitada")},
                     {QStringLiteral("CfgFuncaoCofreDesab"), QStringLiteral("Desabilitada")}},
                    this);
    enabled_ = Data(function[0]);
    disabled_ = Data(function[1]);
    const QList<QRadioButton*> polarity =
        AddRadioRow(grid, 1, QStringLiteral("Polaridade atuador:"),
                    {{QStringLiteral("CfgPolAtuadorCofre1"), QStringLiteral("Ligado em TERRA")},
                     {QStringLiteral("CfgPolAtuadorCofre2"), QStringLiteral("Ligado em FLUTUANTE")}},
                    this);
    groundActuator_ = Data(polarity[0]);
    floatingActuator_ = Data(polarity[1]);
    AlignRadioColumns({function, polarity});

    const QString degrees = QStringLiteral("(em graus - de -55.0 até +125.0)");
    const QString byteSeconds = QStringLiteral("(em segundos - de 0 até 255)");
    maxTemperature_ = Data(AddEditRow(grid, 2, QStringLiteral("CfgTemperaturaMaxCofre"),
                                      QStringLiteral("Temperatura máxima:"), degrees, 6, this));
    minTemperature_ = Data(AddEditRow(grid, 3, QStringLiteral("CfgTemperaturaMinCofre"),
                                      QStringLiteral("Temperatura mínima:"), degrees, 6, this));
    maxDebounce_ = Data(AddEditRow(grid, 4, QStringLiteral("CfgTempoDebTempMaxCofre"),
                                   QStringLiteral("Tempo de debounce temp. max.:"), byteSeconds, 3, this));
    minDebounce_ = Data(AddEditRow(grid, 5, QStringLiteral("CfgTempoDebTempMinCofre"),
                                   QStringLiteral("Tempo de debounce temp. min.:"), byteSeconds, 3, this));
    longestOpen_ = Data(AddEditRow(grid, 6, QStringLiteral("CfgTempoMaxAbertoCofre"),
                                   QStringLiteral("Tempo máximo cofre aberto:"),
                                   QStringLiteral("(em segundos - de 0 até 65535)"), 5, this));
}

bool SafePage::Validate()
{
    for (QLineEdit* field : {maxTemperature_, minTemperature_}) {
        switch (Temperature(field).check) {
        case TemperatureCheck::Accepted:
            break;
        case TemperatureCheck::OutOfRange:
            Fail(field, messages::ValueOutOfRange());
            return false;
        case TemperatureCheck::Unreadable:
            // A number too large to read at all: said as such, focus left alone.
            Fail(nullptr, kUnreadableTemperature);
            return false;
        }
    }
    return true;
}

std::vector<RangedField> SafePage::RangedFields() const
{
    return {{maxDebounce_, NumericField::SafeMaxDebounce},
            {minDebounce_, NumericField::SafeMinDebounce},
            {longestOpen_, NumericField::SafeLongestOpen}};
}

std::optional<std::vector<std::uint8_t>> SafePage::Pack()
{
    SafeFunction safe;
    safe.enabled = enabled_->isChecked();
    // Neither polarity button checked travels as floating, as unchecked TERRA does.
    safe.floatingActuator = !groundActuator_->isChecked();
    safe.maxTemperature = Temperature(maxTemperature_).word;
    safe.minTemperature = Temperature(minTemperature_).word;
    safe.maxDebounce = ToInteger(maxDebounce_);
    safe.minDebounce = ToInteger(minDebounce_);
    safe.longestOpen = ToInteger(longestOpen_);
    return PackSafeFunction(safe);
}

void SafePage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<SafeFunction> safe = UnpackSafeFunction(payload, length);
    if (!safe) return;
    (safe->enabled ? enabled_ : disabled_)->setChecked(true);
    (safe->floatingActuator ? floatingActuator_ : groundActuator_)->setChecked(true);
    maxTemperature_->setText(QString::fromStdString(DecodeTemperature(safe->maxTemperature)));
    minTemperature_->setText(QString::fromStdString(DecodeTemperature(safe->minTemperature)));
    ShowNumber(maxDebounce_, safe->maxDebounce);
    ShowNumber(minDebounce_, safe->minDebounce);
    ShowNumber(longestOpen_, safe->longestOpen);
}
