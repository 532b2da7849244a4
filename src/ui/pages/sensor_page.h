#pragma once
// Tab 5, "Sensores": the six wired sensor inputs on a notebook of three
// pages, two sensors each; one block for all six whatever page shows.

#include <array>

#include "core/config/sensor_blocks.h"
#include "ui/pages/config_page.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QRadioButton;

class SensorPage final : public SingleBlockPage {
    Q_OBJECT
public:
    SensorPage(const PageSetup& setup, QWidget* parent);
    void Fill(const std::uint8_t* payload, std::size_t length) override;

protected:
    std::vector<RangedField> RangedFields() const override;
    std::optional<std::vector<std::uint8_t>> Pack() override;

private:
    // The seven controls of one sensor.
    struct SensorControls {
        QComboBox* type = nullptr;
        QRadioButton* lowLevel = nullptr;
        QRadioButton* floating = nullptr;
        QRadioButton* highLevel = nullptr;
        QCheckBox* firstRule = nullptr;
        QCheckBox* secondRule = nullptr;
        QLineEdit* debounce = nullptr;
    };

    SensorControls BuildSensor(int number, QWidget* page, QGridLayout* grid);
    WiredSensor ReadSensor(const SensorControls& sensor) const;
    static void ShowSensor(const SensorControls& controls, const WiredSensor& sensor);

    std::array<SensorControls, kWiredSensorCount> sensors_{};
};
