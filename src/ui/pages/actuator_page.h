#pragma once
// Tab 6, "Atuadores": four sub-pages, one block each (outputs, siren,
// common outputs, buzzer).

#include <QList>
#include <array>

#include "core/config/actuator_blocks.h"
#include "ui/common/choice_rows.h"
#include "ui/pages/config_page.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QRadioButton;

class ActuatorPage final : public SubPageBlocksPage {
    Q_OBJECT
public:
    ActuatorPage(const PageSetup& setup, QWidget* parent);
    void Fill(const std::uint8_t* payload, std::size_t length) override;
    // Shows the type fields of outputs 3 and 4 for a panel that has them,
    // hides them for one that has not; other models leave them as they are.
    void OnModelIdentified(std::uint8_t modelCode) override;

protected:
    std::vector<RangedField> RangedFields() const override;
    std::optional<std::vector<std::uint8_t>> Pack() override;

private:
    enum SubPage { Outputs = 0, SirenPage = 1, Common = 2, BuzzerPage = 3 };

    void BuildOutputs(QWidget* page);
    void BuildSiren(QWidget* page);
    void BuildCommon(QWidget* page);
    void BuildBuzzer(QWidget* page);
    // "Caption:" beside a pair of polarity buttons of a group of their own,
    // so pairs never exclude each other.
    void PolarityColumn(SubPage subPage, QGridLayout* grid, int row, const QString& caption,
                        const NamedCaption& ground, const NamedCaption& floating, QWidget* page,
                        QRadioButton*& groundButton, QRadioButton*& floatButton);

    std::array<QComboBox*, kActuatorOutputCount> types_{};
    QLabel* output3Caption_ = nullptr;
    QLabel* output4Caption_ = nullptr;
    QRadioButton* sirenGround_ = nullptr;
    QRadioButton* sirenFloat_ = nullptr;
    QLineEdit* sirenDelay_ = nullptr;
    QLineEdit* sirenTimeOn_ = nullptr;
    QLineEdit* sirenTimeAtRest_ = nullptr;
    QLineEdit* sirenRepetitions_ = nullptr;
    QRadioButton* common1Ground_ = nullptr;
    QRadioButton* common1Float_ = nullptr;
    QRadioButton* common2Ground_ = nullptr;
    QRadioButton* common2Float_ = nullptr;
    QRadioButton* buzzerGround_ = nullptr;
    QRadioButton* buzzerFloat_ = nullptr;
};
