#include "ui/pages/rules_pages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/config/alarm_blocks.h"
#include "core/panel/block_table.h"
#include "ui/common/choice_controls.h"
#include "ui/common/choice_rows.h"
#include "ui/common/field_layout.h"

// ---- Tab 9: "Regras central" ---------------------------------------------------

PanelRulesPage::PanelRulesPage(const PageSetup& setup, QWidget* parent)
    : SingleBlockPage(setup, BlockId::PanelRules, parent)
{
    QGridLayout* grid = AddPageGrid(Body());
    const std::array<QString, kPanelRuleCount> captions{
        QStringLiteral("Contar tempo inicial para armar a central"),
        QStringLiteral("Executar dois bips na sirene ao armar"),
        QStringLiteral("Executar dois bips no buzzer ao armar"),
        QStringLiteral("Executar um bip na sirene ao desarmar"),
        QStringLiteral("Executar um bip no buzzer ao desarmar"),
    };
    // The time first, then the rules under their label.
    delay_ = Data(AddEditRow(grid, 0, QStringLiteral("CfgTempoParaArmar"),
                             QStringLiteral("Tempo inicial armar:"), QStringLiteral("(em segundos - de 0 até 255)"),
                             0, this));
    AddLabel(grid, 1, 0, QStringLiteral("Regras:"), this);
    for (std::size_t i = 0; i < kPanelRuleCount; ++i) {
        const int number = static_cast<int>(i) + 1;
        rules_[i] = Data(MakeCheck(QStringLiteral("CfgRegrasParaArmar%1").arg(number), captions[i], this));
        grid->addWidget(rules_[i], 1 + number, 0, 1, 3);
    }
}

std::vector<RangedField> PanelRulesPage::RangedFields() const { return {{delay_, NumericField::ArmingDelay}}; }

std::optional<std::vector<std::uint8_t>> PanelRulesPage::Pack()
{
    PanelRules rules;
    rules.armingDelay = ToInteger(delay_);
    for (std::size_t i = 0; i < kPanelRuleCount; ++i) rules.rules[i] = rules_[i]->isChecked();
    return PackPanelRules(rules);
}

void PanelRulesPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<PanelRules> rules = UnpackPanelRules(payload, length);
    if (!rules) return;
    ShowNumber(delay_, rules->armingDelay);
    for (std::size_t i = 0; i < kPanelRuleCount; ++i) rules_[i]->setChecked(rules->rules[i]);
}

// ---- Tab 15: "Função alarme" -----------------------------------------------------

AlarmFunctionPage::AlarmFunctionPage(const PageSetup& setup, QWidget* parent)
    : SingleBlockPage(setup, BlockId::AlarmFunction, parent)
{
    QGridLayout* grid = AddPageGrid(Body());
    const QList<QRadioButton*> radios =
        AddRadioRow(grid, 0, QStringLiteral("Função alarme:"),
                    {{QStringLiteral("CfgBackupAlarmeAtivadoHab"), QStringLiteral("Habilitada")},
                     {QStringLiteral("CfgBackupAlarmeAtivadoDesab"), QStringLiteral("Desabilitada")}},
                    this);
    enabled_ = Data(radios[0]);
    disabled_ = Data(radios[1]);
}

std::optional<std::vector<std::uint8_t>> AlarmFunctionPage::Pack() { return PackAlarmFunction(enabled_->isChecked()); }

void AlarmFunctionPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<bool> enabled = UnpackAlarmFunction(payload, length);
    if (!enabled) return;
    (*enabled ? enabled_ : disabled_)->setChecked(true);
}
