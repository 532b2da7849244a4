#include "ui/pages/keypad_pages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/panel/block_table.h"
#include "ui/common/choice_controls.h"
#include "ui/common/choice_rows.h"
#include "ui/common/field_layout.h"

// ---- Tab 10: "Endereço teclado" ------------------------------------------------

KeypadAddressPage::KeypadAddressPage(const PageSetup& setup, QWidget* parent)
    : SingleBlockPage(setup, BlockId::KeypadAddress, parent)
{
    QGridLayout* grid = AddPageGrid(Body());
    QStringList items;
    for (int keypad = 1; keypad <= kKeypadAddressCount; ++keypad) items << QStringLiteral("Teclado %1").arg(keypad);
    AddLabel(grid, 0, 0, QStringLiteral("Configuração:"), this);
    address_ = Data(MakeChoiceCombo(QStringLiteral("CfgEndTecladoAdemco"), items, this));
    grid->addWidget(address_, 1, 0);
    grid->setColumnStretch(1, 1);
}

std::optional<std::vector<std::uint8_t>> KeypadAddressPage::Pack()
{
    return PackKeypadAddress(ChoiceIndex(address_));
}

void KeypadAddressPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<int> index = UnpackKeypadAddress(payload, length);
    if (index) address_->setCurrentIndex(*index);
}

// ---- Tab 11: "Partição teclado" --------------------------------------------------

KeypadPartitionPage::KeypadPartitionPage(const PageSetup& setup, QWidget* parent)
    : SingleBlockPage(setup, BlockId::KeypadPartition, parent)
{
    QGridLayout* grid = AddPageGrid(Body());
    const QStringList items = ChoiceItems(kPartitionItems);
    for (std::size_t i = 0; i < kPartitionedKeypadCount; ++i) {
        const int row = static_cast<int>(i);
        const int keypad = row + 2;
        AddLabel(grid, row, 0, QStringLiteral("Teclado %1:").arg(keypad), this);
        partitions_[i] = Data(MakeChoiceCombo(QStringLiteral("CfgPartTecladoAdemco%1").arg(keypad), items, this));
        grid->addWidget(partitions_[i], row, 1);
    }
    grid->setColumnStretch(2, 1);
}

std::optional<std::vector<std::uint8_t>> KeypadPartitionPage::Pack()
{
    KeypadPartitions partitions{};
    for (std::size_t i = 0; i < kPartitionedKeypadCount; ++i) partitions[i] = ChoiceIndex(partitions_[i]);
    return PackKeypadPartitions(partitions);
}

void KeypadPartitionPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<KeypadPartitions> partitions = UnpackKeypadPartitions(payload, length);
    if (!partitions) return;
    for (std::size_t i = 0; i < kPartitionedKeypadCount; ++i) partitions_[i]->setCurrentIndex((*partitions)[i]);
}
