#include "ui/main/status_line.h"

#include <QHBoxLayout>
#include <QLabel>

#include <vector>

#include "core/panel/block_table.h"
#include "core/rf/rf_sensor_record.h"
#include "session/panel_session.h"

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

}  // namespace

StatusLine::StatusLine(PanelSession& session, QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    auto* label2 = new QLabel(QStringLiteral("Status:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    QFont bold = label2->font();
    bold.setBold(true);
    label2->setFont(bold);
    labelStatusCmd_ = new QLabel(this);
    labelStatusCmd_->setObjectName(QStringLiteral("LabelStatusCmd"));
    labelStatusCmd_->setFont(bold);
    // Blue until the first exchange says how it went.
    QPalette palette = labelStatusCmd_->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    labelStatusCmd_->setPalette(palette);
    row->addWidget(label2);
    row->addWidget(labelStatusCmd_, 1);

    // A block answer shows its block's title, whoever asked for it.
    connect(&session, &PanelSession::BlockRead, this, [this](const std::vector<std::uint8_t>& block) {
        if (const BlockEntry* entry = FindBlock(block.front())) ShowIn(kGreen, QString::fromUtf8(entry->title));
    });
    connect(&session, &PanelSession::WriteAccepted, this,
            [this] { ShowIn(kGreen, QStringLiteral("COMANDO RECEBIDO COM SUCESSO")); });
    connect(&session, &PanelSession::WriteRefused, this,
            [this] { ShowIn(kRed, QStringLiteral("ERRO AO GRAVAR OS DADOS")); });
    connect(&session, &PanelSession::ReadRefused, this,
            [this] { ShowIn(kRed, QStringLiteral("ERRO AO LER A CONFIGURAÇÃO")); });
    connect(&session, &PanelSession::RfRecordReceived, this, [this](const std::vector<std::uint8_t>& record) {
        // The length first, its colour unchanged: an answer of any other
        // length leaves it on show.
        ShowText(QString::number(record.size()));
        if (UnpackRfSensorRecord(record.data(), record.size())) {
            ShowIn(kGreen, QStringLiteral("CONFIGURAÇÃO SENSOR RF CADASTRADO"));
        }
    });
}


void StatusLine::ShowText(const QString& text) { labelStatusCmd_->setText(text); }

void StatusLine::ShowIn(const QColor& colour, const QString& text)
{
    QPalette palette = labelStatusCmd_->palette();
    palette.setColor(QPalette::WindowText, colour);
    labelStatusCmd_->setPalette(palette);
    labelStatusCmd_->setText(text);
}
