#include "ui/main/status_panels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>

namespace {

constexpr int kPanelWidths[3] = {250, 400, 50};

}  // namespace

StatusPanels::StatusPanels(QStatusBar& bar) : QWidget(&bar)
{
    bar.setObjectName(QStringLiteral("StatusBar"));
    bar.setSizeGripEnabled(false);
    // The panels share one row of their own: the bar's own items would put
    // 6 px between panels and none at the right edge, and "Porta: COM255"
    // would not fit whole with its border.
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 3, 0);
    row->setSpacing(2);
    bar.addWidget(this, 1);
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("StatusBarPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // The clock text ends in a line break: keep the panels one line high,
        // text at the top, so the bar does not grow.
        panel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        panel->setFixedHeight(panel->fontMetrics().height() + 2 * panel->frameWidth() + 2);
        QFont condensed = panel->font();
        condensed.setStretch(QFont::Condensed);
        panel->setFont(condensed);
        if (i < 2) {
            panel->setFixedWidth(kPanelWidths[i]);
            row->addWidget(panel);
        } else {
            // The last panel takes what is left of the bar, so "Porta: COM"
            // and its number are never cut off.
            panel->setMinimumWidth(kPanelWidths[i]);
            row->addWidget(panel, 1);
        }
        panels_[i] = panel;
    }
    // Shown only once a trace asked for with --trace could not be written.
    traceStopped_ = new QLabel(this);
    traceStopped_->setObjectName(QStringLiteral("LabelTraceStopped"));
    traceStopped_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    traceStopped_->setFixedHeight(panels_[2]->height());
    traceStopped_->hide();
    row->addWidget(traceStopped_);
}

void StatusPanels::ShowClock(const QString& text) { panels_[0]->setText(text); }

void StatusPanels::ShowIdentification(const QString& text) { panels_[1]->setText(text); }

void StatusPanels::ClearIdentification() { panels_[1]->clear(); }

void StatusPanels::ShowPort(int comNumber) { panels_[2]->setText(QStringLiteral("Porta: COM%1").arg(comNumber)); }

void StatusPanels::ShowPortOpening(int comNumber)
{
    panels_[2]->setText(QStringLiteral("Abrindo COM%1...").arg(comNumber));
}

void StatusPanels::ClearPanel()
{
    panels_[1]->clear();
    panels_[2]->clear();
}

void StatusPanels::ShowTraceStopped(const QString& reason)
{
    traceStopped_->setText(QStringLiteral("Rastreamento interrompido: %1").arg(reason));
    traceStopped_->show();
}
