#include "ui/diagnostics/form_debug.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/config/integer_text.h"
#include "core/diagnostics/diagnostic_log.h"
#include "core/diagnostics/status_pages.h"
#include "session/clock.h"
#include "session/panel_session.h"
#include "session/status_polling_driver.h"
#include "ui/common/busy_controls.h"
#include "ui/common/dialogs.h"
#include "ui/common/local_time.h"
#include "ui/common/messages.h"
#include "ui/common/text_colour.h"

namespace {

QString LogOpenFailure(DiagnosticLogWriter::Status status, const QString& path, const std::string& detail)
{
    const QString why = QString::fromStdString(detail);
    if (status == DiagnosticLogWriter::Status::NotALog) {
        return QStringLiteral("O arquivo \"%1\" já existe e não é um arquivo de log da central: ele não foi alterado. "
                              "Escolha outro nome.")
            .arg(path);
    }
    return QStringLiteral("Não foi possível criar o arquivo de log \"%1\": %2.").arg(path, why);
}

}  // namespace

TFormDebug::TFormDebug(PanelSession& session, Dialogs& dialogs, const Clock& clock, QWidget* parent)
    : SecondaryWindow(parent), session_(session), dialogs_(dialogs), clock_(clock)
{
    setObjectName(QStringLiteral("FormDebug"));
    setWindowTitle(QStringLiteral("Debug"));

    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    QAction* sair = menuBar->addAction(QStringLiteral("Sair"));
    sair->setObjectName(QStringLiteral("Sair1"));
    connect(sair, &QAction::triggered, this, &QDialog::close);
    QAction* informacoes = menuBar->addAction(QStringLiteral("Informações"));
    informacoes->setObjectName(QStringLiteral("Informaes1"));
    informacoes->setVisible(false);
    layout->setMenuBar(menuBar);

    auto* logGrid = new QGridLayout;
    auto* label7 = new QLabel(QStringLiteral("Salvar dados em arquivo:"), this);
    label7->setObjectName(QStringLiteral("Label7"));
    checkBoxLog_ = new QCheckBox(QStringLiteral("Sim"), this);
    checkBoxLog_->setObjectName(QStringLiteral("CheckBoxLog"));
    auto* label8 = new QLabel(QStringLiteral("Nome do arquivo:"), this);
    label8->setObjectName(QStringLiteral("Label8"));
    logFileName_ = new QLabel(this);
    logFileName_->setObjectName(QStringLiteral("NomeArq"));
    logGrid->addWidget(label7, 0, 0);
    logGrid->addWidget(checkBoxLog_, 0, 1);
    logGrid->addWidget(label8, 1, 0);
    logGrid->addWidget(logFileName_, 1, 1);
    logGrid->setColumnStretch(1, 1);
    layout->addLayout(logGrid);

    controls_ = BuildDebugTabs(this);
    layout->addWidget(controls_.pageControl);

    connect(checkBoxLog_, &QCheckBox::clicked, this, &TFormDebug::CheckBoxLogClick);
    connect(controls_.pageControl, &QTabWidget::currentChanged, this, &TFormDebug::PageControlDebugChange);
    connect(controls_.arm, &QPushButton::clicked, this, &TFormDebug::ArmClick);
    connect(controls_.disarm, &QPushButton::clicked, this, &TFormDebug::DisarmClick);
    DisableWhileJobRuns(session_, {controls_.arm, controls_.disarm});

    // Polls from creation to exit, whether the window is shown or not.
    polling_ = new StatusPollingDriver(session_, clock_, {}, this);
    connect(polling_, &StatusPollingDriver::PageDecoded, this, &TFormDebug::Apply);
    connect(polling_, &StatusPollingDriver::LogStopped, this, &TFormDebug::OnLogStopped);
}

TFormDebug::~TFormDebug() = default;

void TFormDebug::TimerPollingTimer() { polling_->Tick(); }

void TFormDebug::PageControlDebugChange() { polling_->SelectTab(controls_.pageControl->currentIndex()); }

std::uint32_t TFormDebug::StatusSerial() const { return polling_->LastHeader() ? polling_->LastHeader()->serial : 0; }

std::uint8_t TFormDebug::LastPageRequested() const { return polling_->LastPageRequested(); }

bool TFormDebug::LogEnabled() const { return polling_->LogEnabled(); }

const QString& TFormDebug::LogFilePath() const { return polling_->LogFilePath(); }

void TFormDebug::Opening() { Apply(ShowResetUpdates()); }

void TFormDebug::Apply(const LabelUpdates& updates)
{
    for (const LabelUpdate& update : updates) {
        const QString name = QString::fromStdString(update.name);
        if (QLabel* label = controls_.values.value(name)) {
            if (update.text) label->setText(QString::fromStdString(*update.text));
            if (update.colour) SetTextColour(label, *update.colour);
        } else if (QWidget* picture = controls_.pictures.value(name)) {
            if (update.visible) picture->setVisible(*update.visible);
        }
    }
}

// ---- Arm and disarm ---------------------------------------------------------

void TFormDebug::ArmClick()
{
    SendArmRequest(true);
}

void TFormDebug::DisarmClick()
{
    SendArmRequest(false);
}

void TFormDebug::SendArmRequest(bool arm)
{
    const QString text = controls_.userCode->text();
    const std::optional<std::int32_t> code = ParseInteger(text.toStdString());
    if (!code) {
        dialogs_.ErrorReport(this, messages::NotAnInteger(text));
        return;
    }
    const std::uint8_t partition = controls_.partitions[0]->isChecked() ? 1 : controls_.partitions[1]->isChecked() ? 2 : 3;
    if (arm) {
        session_.Arm(*code, partition);
    } else {
        session_.Disarm(*code, partition);
    }
}

// ---- The log file -----------------------------------------------------------

void TFormDebug::CheckBoxLogClick()
{
    // With no status frame yet there is no serial to name the file by: the
    // tick stays, logging stays off.
    if (!checkBoxLog_->isChecked() || StatusSerial() == 0) {
        polling_->CloseLog();
        return;
    }
    const QString suggested =
        QString::fromStdString(SuggestedLogName(StatusSerial(), ToLocalDateTime(clock_.Now())));
    const QString chosen = dialogs_.SaveFileName(this, suggested);
    if (chosen.isEmpty()) return;

    const QString path = QString::fromStdString(WithLogExtension(chosen.toStdString()));
    const DiagnosticLogWriter::Status status = polling_->OpenLog(path.toStdString());
    if (status != DiagnosticLogWriter::Status::Ok) {
        // Logging is off, so the box must not claim otherwise.
        checkBoxLog_->setChecked(false);
        dialogs_.Error(this, LogOpenFailure(status, path, polling_->LogError()));
        return;
    }
    logFileName_->setText(QFileInfo(path).fileName());
}

void TFormDebug::OnLogStopped(const QString& path, const QString& reason)
{
    const QString message = QStringLiteral("Não foi possível gravar no arquivo de log \"%1\": %2. O registro foi "
                                           "interrompido; os dados já gravados foram mantidos.")
                                .arg(path, reason);
    checkBoxLog_->setChecked(false);
    // Shown once the receive path has returned, so the box does not run
    // inside it while more frames arrive.
    QMetaObject::invokeMethod(
        this, [this, message] { dialogs_.Error(this, message); }, Qt::QueuedConnection);
}
