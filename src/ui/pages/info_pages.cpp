#include "ui/pages/info_pages.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/common/choice_controls.h"
#include "ui/common/choice_rows.h"
#include "ui/common/field_layout.h"

namespace {

const QString kHexHint = QStringLiteral("(A-F, a-f ou 0-9)");
const QString kByteSecondsHint = QStringLiteral("(de 0 até 255 segundos)");

QLineEdit* AddDisabledEditRow(QGridLayout* grid, int row, const QString& objectName, const QString& caption,
                              const QString& hint, int maxLength, QWidget* parent)
{
    QLineEdit* edit = AddEditRow(grid, row, objectName, caption, hint, maxLength, parent);
    edit->setEnabled(false);
    return edit;
}

}  // namespace

// ---- Tab 7: "Ibutton" --------------------------------------------------------------

IbuttonPage::IbuttonPage(const PageSetup& setup, QWidget* parent)
    : BlocklessPage(setup, parent)
{
    QGridLayout* grid = AddPageGrid(Body());
    QLineEdit* driver = AddEditRow(grid, 0, QStringLiteral("EdNumeroIdMotorista"),
                                   QStringLiteral("Numero ID Motorista:"), QStringLiteral("(valor de 1 até 128)"),
                                   128, this);
    driver->setText(QStringLiteral("1"));
    AddLabel(grid, 1, 0, QStringLiteral("Codigo único do ID:"), this);
    QStringList cells;
    for (int cell = 6; cell >= 1; --cell) cells << QStringLiteral("NumIdMoto%1").arg(cell);
    AddCodeCells(grid, 1, 1, cells, 2, true, this);
    AddLabel(grid, 1, 2, kHexHint, this);
}

// ---- Tab 13: "DNS" ------------------------------------------------------------------

DnsPage::DnsPage(const PageSetup& setup, QWidget* parent)
    : BlocklessPage(setup, parent)
{
    auto* row = new QHBoxLayout;
    auto* notebook = new QTabWidget(this);
    notebook->setObjectName(QStringLiteral("TabbedNotebookDNS"));
    row->addWidget(notebook, 1);
    row->addWidget(new QFrame(this), 1);
    Body()->addLayout(row, 1);

    auto* names = new QWidget(notebook);
    notebook->addTab(names, QStringLiteral("DNS"));
    auto* namesGrid = new QGridLayout(names);
    const QList<QRadioButton*> choice = AddRadioRow(namesGrid, 0, QStringLiteral("Numero do DNS:"),
                                                    {{QStringLiteral("CheckDNS1"), QStringLiteral("DNS 1")},
                                                     {QStringLiteral("CheckDNS2"), QStringLiteral("DNS 2")},
                                                     {QStringLiteral("CheckDNS3"), QStringLiteral("DNS 3")},
                                                     {QStringLiteral("CheckDNS4"), QStringLiteral("DNS 4")}},
                                                    names, QStringLiteral("(selecione qual é o DNS para configurar)"));
    choice.front()->setChecked(true);
    AddDisabledEditRow(namesGrid, 1, QStringLiteral("NomeDNS"), QStringLiteral("Nome do DNS:"),
                       QStringLiteral("(até 50 caracteres)"), 50, names);
    namesGrid->setRowStretch(2, 1);

    auto* settings = new QWidget(notebook);
    notebook->addTab(settings, QStringLiteral("Configuração"));
    auto* settingsGrid = new QGridLayout(settings);
    const QList<QRadioButton*> update =
        AddRadioRow(settingsGrid, 0, QStringLiteral("Habilita atualização dos numeros IP via DNS:"),
                    {{QStringLiteral("ConfiguracaoAtualizaNunIpDNSHab"), QStringLiteral("Habilitado")},
                     {QStringLiteral("ConfiguracaoAtualizaNunIpDNSDesab"), QStringLiteral("Desabilitado")}},
                    settings);
    for (QRadioButton* radio : update) radio->setEnabled(false);
    AddDisabledEditRow(settingsGrid, 1, QStringLiteral("ConfiguracaoTimerVerificaDNS"),
                       QStringLiteral("Tempo de verificação do DNS:"),
                       QStringLiteral("(de 3600 até 2592000 segundos)"), 0, settings);
    settingsGrid->setRowStretch(2, 1);
}

// ---- Tab 14: "Sensor temperatura" ---------------------------------------------------

TemperatureSensorPage::TemperatureSensorPage(const PageSetup& setup, QWidget* parent)
    : BlocklessPage(setup, parent)
{
    QGridLayout* grid = AddPageGrid(Body());
    // The hints of the first two rows may run over the debounce columns.
    QLineEdit* alert = AddEditRow(grid, 0, QStringLiteral("NumeroAlertaTemperatura"),
                                  QStringLiteral("Numero do alerta:"), QString(), 0, this);
    alert->setText(QStringLiteral("1"));
    grid->addWidget(new QLabel(QStringLiteral("(valor de 1 até 10)"), this), 0, 2, 1, 3);

    AddLabel(grid, 1, 0, QStringLiteral("Codigo unico do sensor:"), this);
    QStringList cells;
    for (int edit = 8; edit <= 13; ++edit) cells << QStringLiteral("Edit%1").arg(edit);
    AddCodeCells(grid, 1, 1, cells, 0, false, this);
    grid->addWidget(new QLabel(kHexHint, this), 1, 2, 1, 3);

    // A limit row: the temperature with its sign box, then its debounce time.
    const struct {
        const char* caption;
        const char* temperature;
        const char* negative;
        const char* debounce;
    } limits[] = {
        {"Temperatura minima:", "Edit14", "CheckBox14", "Edit15"},
        {"Temperatura maxima:", "Edit16", "CheckBox15", "Edit17"},
    };
    int row = 2;
    for (const auto& limit : limits) {
        AddLabel(grid, row, 0, QString::fromLatin1(limit.caption), this);
        auto* line = new QHBoxLayout;
        QLineEdit* temperature = MakeEdit(QString::fromLatin1(limit.temperature), 0, this);
        temperature->setEnabled(false);
        QCheckBox* negative = MakeCheck(QString::fromLatin1(limit.negative), QStringLiteral("Negativa"), this);
        negative->setEnabled(false);
        line->addWidget(temperature);
        line->addWidget(negative);
        grid->addLayout(line, row, 1);
        AddLabel(grid, row, 2, QStringLiteral("Tempo debounce:"), this);
        QLineEdit* debounce = MakeEdit(QString::fromLatin1(limit.debounce), 0, this);
        debounce->setEnabled(false);
        grid->addWidget(debounce, row, 3);
        AddLabel(grid, row, 4, kByteSecondsHint, this);
        ++row;
    }
    // The restore times line up under the debounce times; their long
    // captions span the first three columns so the page fits the window.
    const struct {
        const char* caption;
        const char* name;
    } restores[] = {
        {"Tempo de deb. de restaure da temp. minima:", "Edit18"},
        {"Tempo de deb. de restaure da temp. maxima:", "Edit19"},
    };
    for (const auto& restore : restores) {
        grid->addWidget(new QLabel(QString::fromLatin1(restore.caption), this), row, 0, 1, 3);
        QLineEdit* edit = MakeEdit(QString::fromLatin1(restore.name), 0, this);
        edit->setEnabled(false);
        grid->addWidget(edit, row, 3);
        AddLabel(grid, row, 4, kByteSecondsHint, this);
        ++row;
    }
}
