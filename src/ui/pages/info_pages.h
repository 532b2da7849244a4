#pragma once
// Tabs 7, 13 and 14: pages with fields but no block behind them. They show
// their fields and the four buttons; no button sends or changes anything.

#include "ui/pages/config_page.h"

// "Ibutton": a driver number and the six cells of the key's code.
class IbuttonPage final : public BlocklessPage {
    Q_OBJECT
public:
    IbuttonPage(const PageSetup& setup, QWidget* parent);
};

// "DNS": four DNS names to choose among, and the update switch and period.
class DnsPage final : public BlocklessPage {
    Q_OBJECT
public:
    DnsPage(const PageSetup& setup, QWidget* parent);
};

// "Sensor temperatura": an alert, its sensor's code and its limits.
class TemperatureSensorPage final : public BlocklessPage {
    Q_OBJECT
public:
    TemperatureSensorPage(const PageSetup& setup, QWidget* parent);
};
