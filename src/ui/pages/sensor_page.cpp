#include "ui/pages/sensor_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/panel/block_table.h"
#include "session/panel_session.h"
#include "ui/common/choice_controls.h"
#include "ui/common/field_layout.h"

namespace {

constexpr int kSensorsPerPage = 2;

}  // namespace

SensorPage::SensorPage(const PageSetup& setup, QWidget* parent)
    : SingleBlockPage(setup, BlockId::WiredSensors, parent)
{
    // Paging only: the buttons act on all six sensors whatever page shows.
    auto* notebook = new QTabWidget(this);
    notebook->setObjectName(QStringLiteral("AbasSensores"));
    Body()->addWidget(notebook, 1);
    const int pageCount = static_cast<int>(kWiredSensorCount) / kSensorsPerPage;
    for (int pageIndex = 0; pageIndex < pageCount; ++pageIndex) {
        auto* page = new QWidget(notebook);
        auto* column = new QVBoxLayout(page);
        for (int slot = 0; slot < kSensorsPerPage; ++slot) {
            const int number = pageIndex * kSensorsPerPage + slot + 1;
            auto* grid = new QGridLayout;
            column->addLayout(grid);
            sensors_[static_cast<std::size_t>(number - 1)] = BuildSensor(number, page, grid);
        }
        column->addStretch(1);
        notebook->addTab(page, QStringLiteral("Página %1").arg(pageIndex + 1));
    }
}

SensorPage::SensorControls SensorPage::BuildSensor(int number, QWidget* page, QGridLayout* grid)
{
    const QString n = QString::number(number);
    SensorControls sensor;

    AddLabel(grid, 0, 0, QStringLiteral("Tipo sensor %1:").arg(n), page);
    sensor.type = Data(MakeChoiceCombo(QStringLiteral("TipoSensor%1").arg(n), ChoiceItems(kSensorTypeItems), page));
    grid->addWidget(sensor.type, 0, 1, 1, 2);

    // Each sensor's three buttons on a panel of their own: one group per sensor.
    AddLabel(grid, 1, 0, QStringLiteral("Polaridade sensor %1:").arg(n), page);
    auto* polarity = new QWidget(page);
    auto* polarityRow = new QHBoxLayout(polarity);
    polarityRow->setContentsMargins(0, 0, 0, 0);
    const QString prefix = QStringLiteral("CfgPolaridadeSensor%1_").arg(n);
    sensor.lowLevel = Data(MakeRadio(prefix + QLatin1Char('T'), QStringLiteral("Nível baixo"), polarity));
    sensor.floating = Data(MakeRadio(prefix + QLatin1Char('F'), QStringLiteral("Flutuante"), polarity));
    sensor.highLevel = Data(MakeRadio(prefix + QLatin1Char('A'), QStringLiteral("Nível alto"), polarity));
    for (QRadioButton* radio : {sensor.lowLevel, sensor.floating, sensor.highLevel}) polarityRow->addWidget(radio);
    polarityRow->addStretch(1);
    grid->addWidget(polarity, 1, 1, 1, 2);

    AddLabel(grid, 2, 0, QStringLiteral("Regra sensor %1:").arg(n), page);
    sensor.firstRule = Data(MakeCheck(QStringLiteral("RegraSensor%1_1").arg(n),
                                      QStringLiteral("Enviar mensagem quando detectar violação e restaure"), page));
    sensor.secondRule = Data(MakeCheck(QStringLiteral("RegraSensor%1_2").arg(n),
                                       QStringLiteral("Detectar violação quando central armada"), page));
    grid->addWidget(sensor.firstRule, 2, 1, 1, 2);
    grid->addWidget(sensor.secondRule, 3, 1, 1, 2);

    sensor.debounce = Data(AddEditRow(grid, 4, QStringLiteral("DebSensor%1").arg(n), QStringLiteral("Debounce:"),
                                      QStringLiteral("(milisegundos)"), 0, page));
    sensor.debounce->setToolTip(QStringLiteral(
        "Tempo de debounce do sensor, sendo em milisegundos (1000 milisegundos é igual a 1 segundo)."));
    grid->setColumnStretch(2, 1);
    return sensor;
}

WiredSensor SensorPage::ReadSensor(const SensorControls& sensor) const
{
    WiredSensor values;
    values.typeIndex = ChoiceIndex(sensor.type);
    values.polarity = PolarityOfButtons(sensor.lowLevel->isChecked(), sensor.floating->isChecked());
    values.firstRule = sensor.firstRule->isChecked();
    values.secondRule = sensor.secondRule->isChecked();
    values.debounceMs = ToInteger(sensor.debounce);
    return values;
}

std::vector<RangedField> SensorPage::RangedFields() const
{
    std::vector<RangedField> fields;
    const std::size_t count = WiredSensorRecordCount(Session().ModelCode());
    for (std::size_t i = 0; i < count; ++i) fields.push_back({sensors_[i].debounce, NumericField::SensorDebounce});
    return fields;
}

std::optional<std::vector<std::uint8_t>> SensorPage::Pack()
{
    // Only the sensors the panel takes are read: a bad debounce on a sensor
    // that is not sent stops nothing.
    const std::size_t count = WiredSensorRecordCount(Session().ModelCode());
    std::vector<WiredSensor> values;
    for (std::size_t i = 0; i < count; ++i) values.push_back(ReadSensor(sensors_[i]));
    return PackWiredSensors(values);
}

void SensorPage::ShowSensor(const SensorControls& controls, const WiredSensor& sensor)
{
    controls.type->setCurrentIndex(sensor.typeIndex);
    switch (sensor.polarity) {
    case SensorPolarity::LowLevel: controls.lowLevel->setChecked(true); break;
    case SensorPolarity::Floating: controls.floating->setChecked(true); break;
    case SensorPolarity::HighLevel: controls.highLevel->setChecked(true); break;
    }
    controls.firstRule->setChecked(sensor.firstRule);
    controls.secondRule->setChecked(sensor.secondRule);
    ShowNumber(controls.debounce, sensor.debounceMs);
}

void SensorPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<std::vector<WiredSensor>> sensors = UnpackWiredSensors(payload, length);
    if (!sensors) return;
    // A four-record answer leaves sensors 5 and 6 as they were.
    for (std::size_t i = 0; i < sensors->size() && i < sensors_.size(); ++i) ShowSensor(sensors_[i], (*sensors)[i]);
}
