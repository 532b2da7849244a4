#include "ui/library/form_biblioteca.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "core/bytes/text_controls.h"
#include "core/config/panel_backup.h"
#include "core/files/safe_file.h"
#include "core/panel/block_table.h"
#include "core/panel/model_capabilities.h"
#include "core/panel/device_identity.h"
#include "library/backup_compare.h"
#include "library/installation_report.h"
#include "library/report_request.h"
#include "jobs/job_gate.h"
#include "jobs/seen_recorder.h"
#include "session/clock.h"
#include "session/panel_session.h"
#include "ui/common/choice_controls.h"
#include "ui/common/dialogs.h"

namespace {

QTableWidget* NamedGrid(const QString& name, const QStringList& header, QWidget* parent)
{
    auto* grid = new QTableWidget(0, static_cast<int>(header.size()), parent);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels(header);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

void SetRow(QTableWidget* grid, int row, const QStringList& cells)
{
    for (int column = 0; column < cells.size(); ++column) {
        // Customer text and network names are shown, never obeyed: a
        // right-to-left override or an escape would reorder the row.
        QString text = cells[column];
        for (QChar& c : text) {
            if (IsReplacedWhenShown(c.unicode())) c = QChar::ReplacementCharacter;
        }
        grid->setItem(row, column, new QTableWidgetItem(text));
    }
    // Every text whole, one line a row; the last column takes what is left.
    if (row == grid->rowCount() - 1) {
        grid->resizeColumnsToContents();
        grid->resizeRowsToContents();
    }
}

// Why a snapshot was taken, as the window says it.
QString ReasonText(SnapshotReason reason)
{
    switch (reason) {
    case SnapshotReason::Manual: return QStringLiteral("manual");
    case SnapshotReason::BeforeRestore: return QStringLiteral("antes de restaurar");
    case SnapshotReason::BeforeFirmwareUpdate: return QStringLiteral("antes de atualizar o firmware");
    case SnapshotReason::Imported: return QStringLiteral("importado");
    case SnapshotReason::Unknown: break;
    }
    return QStringLiteral("desconhecido");
}

QString LocalTime(const QDateTime& time) { return time.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")); }

QString Version(int version) { return QString::fromStdString(VersionText(static_cast<std::uint8_t>(version))); }

}  // namespace

TFormBiblioteca::TFormBiblioteca(PanelSession& session, Dialogs& dialogs, const Clock& clock, QWidget* parent)
    : QDialog(parent), session_(session), dialogs_(dialogs), clock_(clock)
{
    setObjectName(QStringLiteral("FormBiblioteca"));
    setWindowTitle(QStringLiteral("Biblioteca de centrais"));
    job_ = new PanelJob(session_, clock_, this);
    BuildLayout();
    connect(job_, &PanelJob::Progress, this, &TFormBiblioteca::JobProgress);
    connect(job_, &PanelJob::Finished, this, &TFormBiblioteca::JobFinished);
    JobGate& gate = JobGate::Of(session_);
    connect(&gate, &JobGate::BusyChanged, this, &TFormBiblioteca::ShowBusy);
    ShowBusy(gate.Busy());
}

TFormBiblioteca::~TFormBiblioteca()
{
    // Its job ends here, while the buttons it frees still exist.
    asked_ = Asked::Nothing;
    delete job_;
}

void TFormBiblioteca::BuildLayout()
{
    auto* layout = new QVBoxLayout(this);

    auto* locationRow = new QHBoxLayout;
    locationRow->addWidget(new QLabel(QStringLiteral("Biblioteca:"), this));
    locationEdit_ = new QLineEdit(this);
    locationEdit_->setObjectName(QStringLiteral("EditLocal"));
    locationEdit_->setToolTip(QStringLiteral("Um arquivo SQLite, ou postgresql://usuario@servidor/banco para a equipe "
                                             "(a senha fica em ~/.pgpass)"));
    locationRow->addWidget(locationEdit_, 1);
    QPushButton* useLocation = MakeNamedButton(QStringLiteral("BtnUsarLocal"), QStringLiteral("Usar"), this);
    connect(useLocation, &QPushButton::clicked, this, &TFormBiblioteca::UseLocationClick);
    locationRow->addWidget(useLocation);
    layout->addLayout(locationRow);
    locationLabel_ = new QLabel(this);
    locationLabel_->setObjectName(QStringLiteral("LabelBiblioteca"));
    locationLabel_->setWordWrap(true);
    layout->addWidget(locationLabel_);

    searchEdit_ = new QLineEdit(this);
    searchEdit_->setObjectName(QStringLiteral("EditBusca"));
    searchEdit_->setPlaceholderText(QStringLiteral("Buscar por serial, cliente ou endereço"));
    connect(searchEdit_, &QLineEdit::textChanged, this, &TFormBiblioteca::SearchChanged);
    layout->addWidget(searchEdit_);

    panelGrid_ = NamedGrid(QStringLiteral("GridCentrais"),
                           {QStringLiteral("Serial"), QStringLiteral("Modelo"), QStringLiteral("Versão"),
                            QStringLiteral("Vista em"), QStringLiteral("Cliente")},
                           this);
    panelGrid_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(panelGrid_, &QTableWidget::itemSelectionChanged, this, &TFormBiblioteca::PanelSelected);
    layout->addWidget(panelGrid_, 2);

    auto* fields = new QGridLayout;
    customerEdit_ = new QLineEdit(this);
    customerEdit_->setObjectName(QStringLiteral("EditCliente"));
    addressEdit_ = new QLineEdit(this);
    addressEdit_->setObjectName(QStringLiteral("EditEndereco"));
    // The library keeps fields up to these lengths; the edits take no more.
    customerEdit_->setMaxLength(kMaxCustomerLength);
    addressEdit_->setMaxLength(kMaxAddressLength);
    notesEdit_ = new QPlainTextEdit(this);
    notesEdit_->setObjectName(QStringLiteral("MemoObservacoes"));
    notesEdit_->setMaximumHeight(60);
    fields->addWidget(new QLabel(QStringLiteral("Cliente:"), this), 0, 0);
    fields->addWidget(customerEdit_, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Endereço:"), this), 1, 0);
    fields->addWidget(addressEdit_, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Observações:"), this), 2, 0);
    fields->addWidget(notesEdit_, 2, 1);
    saveCustomerButton_ = MakeNamedButton(QStringLiteral("BtnSalvarDados"), QStringLiteral("Salvar dados do cliente"), this);
    connect(saveCustomerButton_, &QPushButton::clicked, this, &TFormBiblioteca::SaveCustomerClick);
    fields->addWidget(saveCustomerButton_, 3, 1, Qt::AlignRight);
    layout->addLayout(fields);

    snapshotGrid_ = NamedGrid(QStringLiteral("GridRetratos"),
                              {QStringLiteral("Nº"), QStringLiteral("Data"), QStringLiteral("Versão"), QStringLiteral("Por"),
                               QStringLiteral("Motivo"), QStringLiteral("Observação")},
                              this);
    snapshotGrid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(snapshotGrid_, 2);

    // The connected panel: saved, compared, restored.
    auto* panelRow = new QHBoxLayout;
    QPushButton* savePanel = MakeNamedButton(QStringLiteral("BtnSalvarCentral"), QStringLiteral("Salvar configuração da central"), this);
    connect(savePanel, &QPushButton::clicked, this, &TFormBiblioteca::SavePanelClick);
    rfCheck_ = new QCheckBox(QStringLiteral("Incluir sensores RF"), this);
    rfCheck_->setObjectName(QStringLiteral("CheckRf"));
    installerEdit_ = new QLineEdit(SystemUserName(), this);
    installerEdit_->setObjectName(QStringLiteral("EditInstalador"));
    noteEdit_ = new QLineEdit(this);
    noteEdit_->setObjectName(QStringLiteral("EditNota"));
    noteEdit_->setPlaceholderText(QStringLiteral("Observação"));
    panelRow->addWidget(savePanel);
    panelRow->addWidget(rfCheck_);
    panelRow->addWidget(new QLabel(QStringLiteral("Instalador:"), this));
    panelRow->addWidget(installerEdit_);
    panelRow->addWidget(noteEdit_, 1);
    layout->addLayout(panelRow);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressCentral"));
    progress_->setValue(0);
    // While a job talks to the panel: what it does, and a way to stop it.
    auto* jobRow = new QHBoxLayout;
    jobRow->addWidget(progress_, 1);
    jobLabel_ = new QLabel(this);
    jobLabel_->setObjectName(QStringLiteral("LabelTarefa"));
    jobRow->addWidget(jobLabel_);
    cancelJobButton_ = MakeNamedButton(QStringLiteral("BtnCancelar"), QStringLiteral("Cancelar"), this);
    cancelJobButton_->setEnabled(false);
    connect(cancelJobButton_, &QPushButton::clicked, this, &TFormBiblioteca::CancelJob);
    jobRow->addWidget(cancelJobButton_);
    layout->addLayout(jobRow);

    auto* buttons = new QHBoxLayout;
    QPushButton* comparePanel = MakeNamedButton(QStringLiteral("BtnCompararCentral"), QStringLiteral("Comparar com a central"), this);
    connect(comparePanel, &QPushButton::clicked, this, &TFormBiblioteca::ComparePanelClick);
    QPushButton* restore = MakeNamedButton(QStringLiteral("BtnRestaurar"), QStringLiteral("Restaurar na central"), this);
    connect(restore, &QPushButton::clicked, this, &TFormBiblioteca::RestoreClick);
    buttons->addWidget(comparePanel);
    buttons->addWidget(restore);
    panelButtons_ = {savePanel, comparePanel, restore};
    compareButton_ = MakeNamedButton(QStringLiteral("BtnComparar"), QStringLiteral("Comparar"), this);
    compareButton_->setToolTip(QStringLiteral("Selecione duas configurações para compará-las"));
    connect(compareButton_, &QPushButton::clicked, this, &TFormBiblioteca::CompareClick);
    exportButton_ = MakeNamedButton(QStringLiteral("BtnExportar"), QStringLiteral("Exportar…"), this);
    connect(exportButton_, &QPushButton::clicked, this, &TFormBiblioteca::ExportClick);
    QPushButton* importButton = MakeNamedButton(QStringLiteral("BtnImportar"), QStringLiteral("Importar…"), this);
    connect(importButton, &QPushButton::clicked, this, &TFormBiblioteca::ImportClick);
    reportButton_ = MakeNamedButton(QStringLiteral("BtnRelatorio"), QStringLiteral("Relatório…"), this);
    connect(reportButton_, &QPushButton::clicked, this, &TFormBiblioteca::ReportClick);
    for (QPushButton* button : {compareButton_, exportButton_, importButton, reportButton_}) buttons->addWidget(button);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    differenceGrid_ = NamedGrid(QStringLiteral("GridDiferencas"),
                                {QStringLiteral("Onde"), QStringLiteral("Campo"), QStringLiteral("Antes"),
                                 QStringLiteral("Depois")},
                                this);
    layout->addWidget(differenceGrid_, 2);
    // Within a 1366x768 screen, with room for the taskbar and the title.
    resize(900, 640);
}

void TFormBiblioteca::UseLibrary(const LibraryLocation& location, bool quiet)
{
    seen_.reset();
    library_.reset();
    locationEdit_->setText(location.given);
    auto opened = PanelLibrary::Open(location);
    if (!opened.Ok()) {
        locationLabel_->setText(QStringLiteral("Biblioteca indisponível."));
        if (!quiet) dialogs_.Error(this, QStringLiteral("Não foi possível abrir a biblioteca: %1").arg(opened.error));
    } else {
        library_ = std::move(*opened.value);
        seen_ = std::make_unique<SeenRecorder>(*library_, clock_);
        const QStringList lines{location.kind == LibraryLocation::Kind::Sqlite
                              ? QStringLiteral("Biblioteca neste computador: %1").arg(location.text)
                              : QStringLiteral("Biblioteca da equipe: %1").arg(location.text)};
        locationLabel_->setText((lines + library_->Notices()).join(QLatin1Char('\n')));
    }
    FillPanels();
}

void TFormBiblioteca::UseLocationClick()
{
    const LocationParse parse = ParseLibraryLocation(locationEdit_->text());
    if (!parse.location) {
        dialogs_.Error(this, QStringLiteral("Local da biblioteca inválido: %1").arg(parse.error));
        return;
    }
    UseLibrary(*parse.location);
    if (library_) emit LibraryChosen(parse.location->given);
}

void TFormBiblioteca::SearchChanged() { FillPanels(); }

void TFormBiblioteca::FillPanels()
{
    const std::optional<quint32> selected = SelectedSerial();
    panels_.clear();
    if (library_) {
        auto panels = library_->Panels(searchEdit_->text());
        if (panels.Ok()) {
            panels_ = std::move(*panels.value);
        } else {
            dialogs_.Error(this, panels.error);
        }
    }
    const QSignalBlocker blocker(panelGrid_);
    panelGrid_->setRowCount(static_cast<int>(panels_.size()));
    for (int row = 0; row < static_cast<int>(panels_.size()); ++row) {
        const PanelRecord& panel = panels_[static_cast<std::size_t>(row)];
        SetRow(panelGrid_, row,
               {QString::number(panel.serial),
                QString::fromStdString(ModelDisplayName(static_cast<std::uint8_t>(panel.model))), Version(panel.version),
                LocalTime(panel.lastSeen), panel.customer});
    }
    if (selected) SelectPanel(*selected);
    PanelSelected();
}

std::optional<quint32> TFormBiblioteca::SelectedSerial() const
{
    const QList<QTableWidgetItem*> items = panelGrid_->selectedItems();
    if (items.isEmpty()) return std::nullopt;
    const int row = items.front()->row();
    if (row < 0 || row >= static_cast<int>(panels_.size())) return std::nullopt;
    return panels_[static_cast<std::size_t>(row)].serial;
}

void TFormBiblioteca::SelectPanel(quint32 serial)
{
    for (int row = 0; row < static_cast<int>(panels_.size()); ++row) {
        if (panels_[static_cast<std::size_t>(row)].serial == serial) panelGrid_->selectRow(row);
    }
}

void TFormBiblioteca::PanelSelected()
{
    const std::optional<quint32> serial = SelectedSerial();
    const PanelRecord* panel = nullptr;
    for (const PanelRecord& record : panels_) {
        if (serial && record.serial == *serial) panel = &record;
    }
    customerEdit_->setText(panel ? panel->customer : QString());
    addressEdit_->setText(panel ? panel->address : QString());
    notesEdit_->setPlainText(panel ? panel->notes : QString());
    for (QWidget* control : std::initializer_list<QWidget*>{customerEdit_, addressEdit_, notesEdit_, saveCustomerButton_}) {
        control->setEnabled(panel != nullptr);
    }
    differenceGrid_->setRowCount(0);
    FillHistory();
}

void TFormBiblioteca::FillHistory()
{
    history_.clear();
    const std::optional<quint32> serial = SelectedSerial();
    if (library_ && serial) {
        auto history = library_->History(*serial);
        if (history.Ok()) {
            history_ = std::move(*history.value);
        } else {
            dialogs_.Error(this, history.error);
        }
    }
    snapshotGrid_->setRowCount(static_cast<int>(history_.size()));
    for (int row = 0; row < static_cast<int>(history_.size()); ++row) {
        const SnapshotInfo& info = history_[static_cast<std::size_t>(row)];
        SetRow(snapshotGrid_, row,
               {QString::number(info.number), LocalTime(info.taken), Version(info.panelVersion), info.takenBy,
                ReasonText(info.reason), info.note});
    }
    if (!history_.empty()) snapshotGrid_->selectRow(static_cast<int>(history_.size()) - 1);
}

std::vector<SnapshotInfo> TFormBiblioteca::SelectedSnapshots() const
{
    std::vector<SnapshotInfo> chosen;
    for (int row = 0; row < static_cast<int>(history_.size()); ++row) {
        if (snapshotGrid_->item(row, 0) && snapshotGrid_->item(row, 0)->isSelected()) {
            chosen.push_back(history_[static_cast<std::size_t>(row)]);
        }
    }
    return chosen;
}

void TFormBiblioteca::SaveCustomerClick()
{
    const std::optional<quint32> serial = SelectedSerial();
    if (!library_ || !serial) return;
    // A text edit has no length of its own: the notes are checked here, and
    // nothing typed is cut away.
    if (const qsizetype length = notesEdit_->toPlainText().size(); length > kMaxNotesLength) {
        dialogs_.Error(this, QStringLiteral("As observações têm %1 caracteres; o máximo é %2. Os dados do cliente não "
                                            "foram salvos.")
                                 .arg(length)
                                 .arg(kMaxNotesLength));
        notesEdit_->setFocus();
        return;
    }
    const auto saved = library_->SetInstallerFields(
        *serial, {customerEdit_->text(), addressEdit_->text(), notesEdit_->toPlainText()});
    if (!saved.Ok()) {
        dialogs_.Error(this, QStringLiteral("Os dados do cliente não foram salvos: %1").arg(saved.error));
        return;
    }
    FillPanels();
}

void TFormBiblioteca::CompareClick()
{
    const std::vector<SnapshotInfo> chosen = SelectedSnapshots();
    if (!library_ || chosen.size() != 2) {
        dialogs_.Information(this, QStringLiteral("Selecione duas configurações da lista para compará-las."));
        return;
    }
    const auto before = library_->Snapshot(chosen[0].serial, chosen[0].number);
    const auto after = library_->Snapshot(chosen[1].serial, chosen[1].number);
    if (!before.Ok() || !after.Ok()) {
        dialogs_.Error(this, before.Ok() ? after.error : before.error);
        return;
    }
    ShowDifferences(*before.value, *after.value);
}

void TFormBiblioteca::ShowDifferences(const PanelBackup& before, const PanelBackup& after)
{
    const std::vector<BackupDifference> differences = CompareBackups(before, after);
    differenceGrid_->setRowCount(static_cast<int>(differences.size()));
    for (int row = 0; row < static_cast<int>(differences.size()); ++row) {
        const BackupDifference& difference = differences[static_cast<std::size_t>(row)];
        const FieldChange& change = difference.change;
        SetRow(differenceGrid_, row,
               {difference.where, QString::fromStdString(change.caption),
                QString::fromStdString(ShownValue(change.caption, change.before, change.secret, false)),
                QString::fromStdString(ShownValue(change.caption, change.after, change.secret, false))});
    }
    if (differences.empty()) dialogs_.Information(this, QStringLiteral("As configurações são iguais."));
}

std::optional<TFormBiblioteca::ChosenSnapshot> TFormBiblioteca::ChooseSnapshot(const QString& selectFirst)
{
    const std::vector<SnapshotInfo> chosen = SelectedSnapshots();
    if (!library_ || chosen.size() != 1) {
        dialogs_.Information(this, selectFirst);
        return std::nullopt;
    }
    auto snapshot = library_->Snapshot(chosen[0].serial, chosen[0].number);
    if (!snapshot.Ok()) {
        dialogs_.Error(this, snapshot.error);
        return std::nullopt;
    }
    return ChosenSnapshot{chosen[0], std::move(*snapshot.value)};
}

void TFormBiblioteca::ExportClick()
{
    const std::optional<ChosenSnapshot> chosen = ChooseSnapshot(QStringLiteral("Selecione uma configuração da lista para exportá-la."));
    if (!chosen) return;
    const QString path = dialogs_.SaveFileName(
        this, QStringLiteral("Central_%1_%2.json").arg(chosen->info.serial).arg(chosen->info.number));
    if (path.isEmpty()) return;
    if (const QString error = WriteBackupFile(path, chosen->backup); !error.isEmpty()) {
        dialogs_.Error(this, QStringLiteral("O arquivo %1 não foi gravado: %2").arg(path, error));
    }
}

void TFormBiblioteca::ImportClick()
{
    if (!library_) return;
    const QString path = dialogs_.OpenFile(this, QStringLiteral("Cópia de configuração (*.json)"));
    if (path.isEmpty()) return;
    const BackupFileRead parse = ReadBackupFile(path);
    if (!parse.backup) {
        dialogs_.Error(this, QStringLiteral("O arquivo %1 não foi importado: %2").arg(path, parse.error));
        return;
    }
    const auto stored = library_->StoreSnapshot(
        *parse.backup, MakeSnapshotMeta(QString(), SnapshotReason::Imported, QFileInfo(path).fileName(), clock_.Now()));
    if (!stored.Ok()) {
        dialogs_.Error(this, QStringLiteral("O arquivo %1 não foi importado: %2").arg(path, stored.error));
        return;
    }
    searchEdit_->clear();
    FillPanels();
    SelectPanel(parse.backup->panel.serial);
}

void TFormBiblioteca::ReportClick()
{
    const std::vector<SnapshotInfo> chosen = SelectedSnapshots();
    const std::optional<quint32> serial = SelectedSerial();
    if (!library_ || chosen.size() != 1 || !serial) {
        dialogs_.Information(this, QStringLiteral("Selecione uma configuração da lista para o relatório."));
        return;
    }
    const ReportRequest request = RequestReport(*library_, *serial, chosen[0].number, clock_.Now());
    if (!request.input) {
        dialogs_.Error(this, request.error.isEmpty() ? QStringLiteral("A configuração não está mais na biblioteca.")
                                                     : request.error);
        return;
    }
    const ReportInput& input = *request.input;
    const QString path = dialogs_.SaveFileName(this, SuggestedReportName(*serial, TakenTime(input.snapshot)));
    if (path.isEmpty()) return;
    const ReportPdf pdf = ReportToPdf(input);
    const std::string error =
        WriteFileAtomically(path.toStdString(), {pdf.bytes.constData(), static_cast<std::size_t>(pdf.bytes.size())});
    if (!error.empty()) {
        dialogs_.Error(this, QStringLiteral("O relatório %1 não foi gravado: %2").arg(path, QString::fromStdString(error)));
        return;
    }
    if (dialogs_.Question(this, QStringLiteral("Relatório"),
                          QStringLiteral("Relatório gravado em %1 (%2 páginas). Abrir agora?").arg(path).arg(pdf.pages))) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
}
