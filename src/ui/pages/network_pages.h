#pragma once
// Tabs 1 to 3: server addresses and ports, polling intervals, Wi-Fi network.

#include <QList>
#include <array>

#include "ui/pages/config_page.h"

class QLineEdit;

class IpPortsPage final : public SingleBlockPage {
    Q_OBJECT
public:
    IpPortsPage(const PageSetup& setup, QWidget* parent);
    void Fill(const std::uint8_t* payload, std::size_t length) override;
    // "Copiar": row 1 into rows 2 to 4, text as typed, nothing sent.
    void Button3Click();

protected:
    bool Validate() override;
    std::vector<RangedField> RangedFields() const override;
    std::optional<std::vector<std::uint8_t>> Pack() override;

private:
    std::array<std::array<QLineEdit*, 4>, 4> octets_{};
    std::array<QLineEdit*, 4> ports_{};
};

class PollingPage final : public SingleBlockPage {
    Q_OBJECT
public:
    PollingPage(const PageSetup& setup, QWidget* parent);
    void Fill(const std::uint8_t* payload, std::size_t length) override;

protected:
    std::vector<RangedField> RangedFields() const override;
    std::optional<std::vector<std::uint8_t>> Pack() override;

private:
    QLineEdit* interval_;
    QLineEdit* reduced_;
};

class WifiPage final : public SingleBlockPage {
    Q_OBJECT
public:
    WifiPage(const PageSetup& setup, QWidget* parent);
    void Fill(const std::uint8_t* payload, std::size_t length) override;

protected:
    bool Validate() override;
    std::optional<std::vector<std::uint8_t>> Pack() override;

private:
    QLineEdit* ssid_;
    QLineEdit* password_;
};
