#include "ui/diagnostics/debug_tabs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <vector>

#include "core/diagnostics/label_update.h"
#include "core/diagnostics/modem_pages.h"
#include "core/diagnostics/status_polling.h"
#include "core/diagnostics/status_tabs.h"
#include "ui/common/field_layout.h"
#include "ui/common/tab_pager.h"
#include "ui/common/text_colour.h"
#include "ui/diagnostics/signal_picture.h"

namespace {

struct ValueRow {
    QString name;  // the value label; empty for the signal pictures' row
    QString caption;
};

// A tab holding one group box; a tab with rows lists caption and value label
// side by side, in two columns when it is long.
QGridLayout* AddTab(QTabWidget* tabs, const QString& caption)
{
    auto* page = new QWidget(tabs);
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(page);
    layout->addWidget(group);
    layout->addStretch();
    tabs->addTab(page, caption);
    return new QGridLayout(group);
}

void AddRows(QGridLayout* grid, const std::vector<ValueRow>& rows, DebugControls& controls, int perColumn)
{
    QWidget* parent = grid->parentWidget();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const ValueRow& row = rows[static_cast<std::size_t>(i)];
        const int r = i % perColumn;
        const int c = 2 * (i / perColumn);
        if (!row.caption.isEmpty()) AddLabel(grid, r, c, row.caption, parent);
        if (row.name.isEmpty()) {
            // The six signal pictures share one place; the page shows one of them.
            for (int bars = 0; bars <= 5; ++bars) {
                const QString name = QString::fromStdString(SignalPictureName(bars));
                auto* picture = new SignalPicture(name, bars, parent);
                grid->addWidget(picture, r, c + 1, Qt::AlignLeft);
                controls.pictures.insert(name, picture);
            }
            continue;
        }
        auto* value = new QLabel(QString::fromUtf8(kNoInformation), parent);
        value->setObjectName(row.name);
        SetTextColour(value, TextColour::Blue);
        value->setMinimumWidth(180);
        grid->addWidget(value, r, c + 1);
        controls.values.insert(row.name, value);
    }
}

void AddArmControls(QGridLayout* grid, int row, DebugControls& controls)
{
    QWidget* parent = grid->parentWidget();
    controls.userCode = AddEditRow(grid, row, QStringLiteral("Edit1"), QStringLiteral("Senha usuário:"), {}, 4, parent);
    controls.userCode->setText(QStringLiteral("1234"));

    auto* partitionCaption = AddLabel(grid, row + 1, 0, QStringLiteral("Partição:"), parent);
    partitionCaption->setObjectName(QStringLiteral("Label24"));
    auto* partitionRow = new QHBoxLayout;
    const char* captions[3] = {"Um", "Dois", "Tres"};
    for (int i = 0; i < 3; ++i) {
        controls.partitions[i] = new QRadioButton(QString::fromLatin1(captions[i]), parent);
        controls.partitions[i]->setObjectName(QStringLiteral("CheckParticao%1").arg(i + 1));
        partitionRow->addWidget(controls.partitions[i]);
    }
    controls.partitions[0]->setChecked(true);
    partitionRow->addStretch();
    grid->addLayout(partitionRow, row + 1, 1);

    controls.arm = new QPushButton(QStringLiteral("Armar"), parent);
    controls.arm->setObjectName(QStringLiteral("Button1"));
    controls.disarm = new QPushButton(QStringLiteral("Desarmar"), parent);
    controls.disarm->setObjectName(QStringLiteral("Button2"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(controls.arm);
    buttons->addWidget(controls.disarm);
    buttons->addStretch();
    grid->addLayout(buttons, row + 2, 1);
}

}  // namespace

DebugControls BuildDebugTabs(QWidget* parent)
{
    // Rows per column of each tab, in the tabs' order: a long tab takes two.
    constexpr int kRowsPerColumn[kDebugTabCount] = {12, 9, 12, 12, 12, 12, 10, 12, 12, 12, 12, 12, 12, 8};
    DebugControls controls;
    auto* tabs = new QTabWidget(parent);
    tabs->setObjectName(QStringLiteral("PageControlDebug"));
    controls.pageControl = tabs;

    const std::vector<StatusTab>& contents = StatusTabs();
    for (int index = 0; index < kDebugTabCount; ++index) {
        const StatusTab& tab = contents[static_cast<std::size_t>(index)];
        QGridLayout* grid = AddTab(tabs, QString::fromStdString(tab.caption));
        if (tab.fields.empty()) continue;
        std::vector<ValueRow> rows;
        for (const StatusField& field : tab.fields) {
            rows.push_back({QString::fromStdString(field.name), QString::fromStdString(field.caption)});
        }
        AddRows(grid, rows, controls, kRowsPerColumn[index]);
        if (index == static_cast<int>(DebugTab::BackupCelular)) {
            AddArmControls(grid, static_cast<int>(rows.size()), controls);
        }
    }
    // Fourteen captions do not fit the window's width: page by whole tabs.
    new TabPager(*tabs);
    return controls;
}
