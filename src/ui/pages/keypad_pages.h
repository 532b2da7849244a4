#pragma once
// Tabs 10 and 11: the keypad's address and the partitions of keypads 2 to 8.

#include <array>

#include "core/config/keypad_blocks.h"
#include "ui/pages/config_page.h"

class QComboBox;

class KeypadAddressPage final : public SingleBlockPage {
    Q_OBJECT
public:
    KeypadAddressPage(const PageSetup& setup, QWidget* parent);
    void Fill(const std::uint8_t* payload, std::size_t length) override;

protected:
    std::optional<std::vector<std::uint8_t>> Pack() override;

private:
    QComboBox* address_;
};

class KeypadPartitionPage final : public SingleBlockPage {
    Q_OBJECT
public:
    KeypadPartitionPage(const PageSetup& setup, QWidget* parent);
    void Fill(const std::uint8_t* payload, std::size_t length) override;

protected:
    std::optional<std::vector<std::uint8_t>> Pack() override;

private:
    std::array<QComboBox*, kPartitionedKeypadCount> partitions_{};
};
