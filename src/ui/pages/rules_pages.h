#pragma once
// Tabs 9 and 15: the panel's arming rules and its alarm function.

#include <array>

#include "core/config/panel_rules_blocks.h"
#include "ui/pages/config_page.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

class PanelRulesPage final : public SingleBlockPage {
    Q_OBJECT
public:
    PanelRulesPage(const PageSetup& setup, QWidget* parent);
    void Fill(const std::uint8_t* payload, std::size_t length) override;

protected:
    std::vector<RangedField> RangedFields() const override;
    std::optional<std::vector<std::uint8_t>> Pack() override;

private:
    std::array<QCheckBox*, kPanelRuleCount> rules_{};
    QLineEdit* delay_;
};

class AlarmFunctionPage final : public SingleBlockPage {
    Q_OBJECT
public:
    AlarmFunctionPage(const PageSetup& setup, QWidget* parent);
    void Fill(const std::uint8_t* payload, std::size_t length) override;

protected:
    std::optional<std::vector<std::uint8_t>> Pack() override;

private:
    QRadioButton* enabled_;
    QRadioButton* disabled_;
};
