#pragma once
// Tab 4, "Modem GPRS": five sub-pages, each reading a block of its own.
// Only the SIM card data interval is shown when it arrives; nothing on the
// tab is edited, cleared or written, so every control stays disabled.

#include "ui/pages/config_page.h"

class QLineEdit;

class ModemPage final : public SubPageBlocksPage {
    Q_OBJECT
public:
    ModemPage(const PageSetup& setup, QWidget* parent);
    std::vector<std::uint8_t> FilledBlocks() const override;
    void Fill(const std::uint8_t* payload, std::size_t length) override;

protected:
    Cycle Kind() const override { return Cycle::ReadOnly; }
    std::optional<std::vector<std::uint8_t>> Pack() override { return std::nullopt; }

private:
    void BuildSimcardData(QWidget* page);
    void BuildSimPin(QWidget* page);
    void BuildCellTowerData(QWidget* page);

    QLineEdit* simcardInterval_ = nullptr;
};
