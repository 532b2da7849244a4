#pragma once
// Tab 12: the panel's safe function.

#include "ui/pages/config_page.h"

class QLineEdit;
class QRadioButton;

class SafePage final : public SingleBlockPage {
    Q_OBJECT
public:
    SafePage(const PageSetup& setup, QWidget* parent);
    void Fill(const std::uint8_t* payload, std::size_t length) override;

protected:
    bool Validate() override;
    std::vector<RangedField> RangedFields() const override;
    std::optional<std::vector<std::uint8_t>> Pack() override;

private:
    QRadioButton* enabled_;
    QRadioButton* disabled_;
    QRadioButton* groundActuator_;
    QRadioButton* floatingActuator_;
    QLineEdit* maxTemperature_;
    QLineEdit* minTemperature_;
    QLineEdit* maxDebounce_;
    QLineEdit* minDebounce_;
    QLineEdit* longestOpen_;
};
