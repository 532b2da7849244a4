#pragma once
// Tabs 7, 13 and 14: pages whose fields the panel does not store yet. They
// show their fields and the four buttons, but no button sends or changes
// anything and "Gravar Config" never enables.

#include "ui/pages/config_page.h"

class BlocklessPage : public ConfigPage {
    Q_OBJECT
public:
    using ConfigPage::ConfigPage;

protected:
    Cycle Kind() const final { return Cycle::None; }
    std::optional<std::uint8_t> ReadBlockId() const final { return std::nullopt; }
    std::optional<std::vector<std::uint8_t>> Pack() final { return std::nullopt; }
};

// "Ibutton": a driver number and the six cells of the key's code.
class IbuttonPage final : public BlocklessPage {
    Q_OBJECT
public:
    IbuttonPage(PageServices& services, QWidget* parent);
};

// "DNS": four DNS names to choose among, and the update switch and period.
class DnsPage final : public BlocklessPage {
    Q_OBJECT
public:
    DnsPage(PageServices& services, QWidget* parent);
};

// "Sensor temperatura": an alert, its sensor's code and its limits.
class TemperatureSensorPage final : public BlocklessPage {
    Q_OBJECT
public:
    TemperatureSensorPage(PageServices& services, QWidget* parent);
};
