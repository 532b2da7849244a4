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
#include "ui/common/field_layout.h"
#include "ui/common/tab_pager.h"
#include "ui/diagnostics/signal_picture.h"

namespace {

struct ValueRow {
    QString name;  // the value label; empty for the signal pictures' row
    QString caption;
};

QString Value(const char* prefix, int n)
{
    return QString::fromLatin1(prefix) + QString::number(n);
}

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

void AddRows(QGridLayout* grid, const std::vector<ValueRow>& rows, DebugControls& controls, int perColumn = 12)
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
        QPalette palette = value->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
        value->setPalette(palette);
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
        controls.partitions[i]->setObjectName(Value("CheckParticao", i + 1));
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
    DebugControls controls;
    auto* tabs = new QTabWidget(parent);
    tabs->setObjectName(QStringLiteral("PageControlDebug"));
    controls.pageControl = tabs;

    AddRows(AddTab(tabs, QStringLiteral("Central alarme")),
            {{Value("LabelStatusAba1_", 1), QStringLiteral("Versão de hardware:")},
             {Value("LabelStatusAba1_", 2), QStringLiteral("Versão de firmware:")},
             {Value("LabelStatusAba1_", 3), QStringLiteral("Número serial:")},
             {Value("LabelStatusAba1_", 4), QStringLiteral("Quant. msg em log:")},
             {Value("LabelStatusAba1_", 5), QStringLiteral("Status da central:")},
             {Value("LabelStatusAba1_", 6), QStringLiteral("Status da violação:")},
             {Value("LabelStatusAba1_", 7), QStringLiteral("Tempo armar central:")},
             {Value("LabelStatusAba1_", 8), QStringLiteral("Origem arme alarme:")},
             {Value("LabelStatusAba1_", 9), QStringLiteral("Número da zona:")},
             {Value("LabelStatusAba1_", 10), QStringLiteral("Número do usuário:")},
             {Value("LabelStatusAba1_", 11), QStringLiteral("Timestamp CPU:")},
             {Value("LabelStatusAba1_", 12), QString()}},
            controls);

    AddRows(AddTab(tabs, QStringLiteral("Modem")),
            {{Value("LabelStatusAba2_", 1), QStringLiteral("Estado modem:")},
             {Value("LabelStatusAba2_", 2), QStringLiteral("Estado GPRS:")},
             {Value("LabelStatusAba2_", 3), QStringLiteral("Status do GPRS:")},
             {Value("LabelStatusAba2_", 4), QStringLiteral("Status do servidor:")},
             {Value("LabelStatusAba2_", 8), QStringLiteral("Status registro rede:")},
             {Value("LabelStatusAba2_", 5), QStringLiteral("Nível de sinal (rssi):")},
             {QString(), QStringLiteral("Nível de sinal (bar):")},
             {Value("LabelStatusAba2_", 6), QStringLiteral("Tentativas modem:")},
             {Value("LabelStatusAba2_", 7), QStringLiteral("Falha discagem:")},
             {Value("LabelStatusAba2_", 12), QStringLiteral("Led status modem:")},
             {Value("LabelStatusAba2_", 13), QStringLiteral("Operadora utilizada:")},
             {Value("LabelStatusAba2_", 14), QStringLiteral("Operadora simcard:")},
             {Value("LabelStatusAba2_", 16), QStringLiteral("Quantidade de APN:")},
             {Value("LabelStatusAba2_", 15), QStringLiteral("Tentativa conexão:")},
             {Value("LabelStatusAba2_", 22), QStringLiteral("Número IP GPRS:")},
             {Value("LabelStatusAba2_", 20), QStringLiteral("Número do IMEI:")},
             {Value("LabelStatusAba2_", 21), QStringLiteral("Numero simcard:")}},
            controls, 9);

    AddRows(AddTab(tabs, QStringLiteral("Wifi")),
            {{Value("LabelStatusAba3_", 1), QStringLiteral("Estado modulo wifi:")},
             {Value("LabelStatusAba3_", 2), QStringLiteral("Conexão wifi ok:")},
             {Value("LabelStatusAba3_", 3), QStringLiteral("Configuração wifi:")},
             {Value("LabelStatusAba3_", 4), QStringLiteral("Numero local wifi:")},
             {Value("LabelStatusAba3_", 5), QStringLiteral("Msg TX pendente:")},
             {Value("LabelStatusAba3_", 6), QStringLiteral("Timer modulo wifi:")},
             {Value("LabelStatusAba3_", 7), QStringLiteral("Timer ping wifi:")}},
            controls);

    AddRows(AddTab(tabs, QStringLiteral("Fila")),
            {{Value("LabelStatusAba4_", 8), QStringLiteral("Num seq mensagem:")},
             {Value("LabelStatusAba4_", 9), QStringLiteral("Num seq enviado:")},
             {Value("LabelStatusAba4_", 10), QStringLiteral("Num seq recebido:")},
             {Value("LabelStatusAba4_", 1), QStringLiteral("Quant msg fila TX:")},
             {Value("LabelStatusAba4_", 2), QStringLiteral("Quant msg fila RX:")},
             {Value("LabelStatusAba4_", 3), QStringLiteral("Ptr fila TX poe:")},
             {Value("LabelStatusAba4_", 4), QStringLiteral("Ptr fila TX tira:")},
             {Value("LabelStatusAba4_", 5), QStringLiteral("Ptr fila RX poe:")},
             {Value("LabelStatusAba4_", 6), QStringLiteral("Ptr fila RX tira:")},
             {Value("LabelStatusAba4_", 7), QStringLiteral("Retrys envio nack:")},
             {Value("LabelStatusAba4_", 11), QStringLiteral("Tempo polling:")},
             {Value("LabelStatusAba4_", 12), QStringLiteral("Tempo polling red.:")}},
            controls);

    AddTab(tabs, QStringLiteral("Sensores e atuadores"));
    AddTab(tabs, QStringLiteral("Ibutton"));

    std::vector<ValueRow> temperatures;
    for (int n = 1; n <= 10; ++n) {
        temperatures.push_back({Value("LabelStatusAba7_", 2 * n - 1), QStringLiteral("Temperatura S%1:").arg(n)});
        temperatures.push_back({Value("LabelStatusAba7_", 2 * n), QStringLiteral("Numero serial:")});
    }
    AddRows(AddTab(tabs, QStringLiteral("Temperatura")), temperatures, controls, 10);

    AddTab(tabs, QStringLiteral("Dados erbs"));
    AddTab(tabs, QStringLiteral("Consumo de dados"));
    AddTab(tabs, QStringLiteral("Jammer"));
    AddTab(tabs, QStringLiteral("Atualização remota"));

    AddRows(AddTab(tabs, QStringLiteral("RF")),
            {{Value("LabelStatusAba11_", 1), QStringLiteral("Módulo RF Ok:")},
             {Value("LabelStatusAba11_", 2), QStringLiteral("Versão do RF:")},
             {Value("LabelStatusAba11_", 3), QStringLiteral("Total msg TX:")},
             {Value("LabelStatusAba11_", 4), QStringLiteral("Total msg RX:")}},
            controls);

    QGridLayout* backup = AddTab(tabs, QStringLiteral("Backup celular"));
    AddRows(backup,
            {{Value("LabelStatusAba12_", 1), QStringLiteral("Status Ademco:")},
             {Value("LabelStatusAba12_", 2), QStringLiteral("Status P1 Ademco:")},
             {Value("LabelStatusAba12_", 3), QStringLiteral("Display Ademco L1:")},
             {Value("LabelStatusAba12_", 4), QStringLiteral("Display Ademco L2:")},
             {Value("LabelStatusAba12_", 5), QStringLiteral("Status DSC 1:")},
             {Value("LabelStatusAba12_", 6), QStringLiteral("Status DSC 2:")},
             {Value("LabelStatusAba12_", 7), QStringLiteral("Memória cliente:")},
             {Value("LabelStatusAba12_", 8), QStringLiteral("Número telefone:")},
             {Value("LabelStatusAba12_", 9), QStringLiteral("Contact ID:")}},
            controls);
    AddArmControls(backup, 9, controls);

    std::vector<ValueRow> keypads;
    for (int k = 1; k <= 8; ++k) keypads.push_back({Value("LabelStatusAba13_", k), QStringLiteral("Status Teclado %1:").arg(k)});
    for (int k = 1; k <= 8; ++k) {
        keypads.push_back({Value("LabelStatusAba13_", 8 + k), QStringLiteral("Config Teclado %1:").arg(k)});
    }
    AddRows(AddTab(tabs, QStringLiteral("Partições teclado")), keypads, controls, 8);
    // Fourteen captions do not fit the window's width: page by whole tabs.
    new TabPager(*tabs);
    return controls;
}
