#include "ui/pages/rf_radio_sub_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

#include "core/panel/block_table.h"
#include "session/panel_session.h"
#include "ui/common/choice_rows.h"

RfRadioSubPage::RfRadioSubPage(PanelSession& session, QWidget& page) : QObject(&page), session_(session)
{
    QGridLayout* grid = AddSubPageGrid(&page);
    const QList<QRadioButton*> modulation =
        AddRadioRow(grid, 0, QStringLiteral("Configuração da comunicação RF:"),
                    {{QStringLiteral("CfgModulacaoRF1"), QStringLiteral("OOK")},
                     {QStringLiteral("CfgModulacaoRF2"), QStringLiteral("FSK")}},
                    &page);
    const QList<QRadioButton*> crystal =
        AddRadioRow(grid, 1, QStringLiteral("Configuração do cristal:"),
                    {{QStringLiteral("CfgModulacaoRF3"), QStringLiteral("30 MHz")},
                     {QStringLiteral("CfgModulacaoRF4"), QStringLiteral("32 MHz")}},
                    &page);
    AlignRadioColumns({modulation, crystal});
    ook_ = modulation[0];
    fsk_ = modulation[1];
    crystal30_ = crystal[0];
    crystal32_ = crystal[1];
    crystalCaption_ = qobject_cast<QLabel*>(grid->itemAtPosition(1, 0)->widget());
    crystalCaption_->setObjectName(QStringLiteral("Label53"));
    controls_ << ook_ << fsk_ << crystal30_ << crystal32_;
    for (QWidget* control : controls_) control->setEnabled(false);
    // Only a panel that answers the long form has a crystal to choose.
    ShowCrystal(false);
}

void RfRadioSubPage::RequestRead()
{
    // A write must wait for the answer to tell the form.
    form_ = RfBlockForm::None;
    session_.ReadBlock(BlockByte(BlockId::RfCommunication));
}

void RfRadioSubPage::RequestWrite()
{
    // Nothing before the first answer: the form is not known yet.
    const std::optional<std::vector<std::uint8_t>> block = PackRfConfig({fsk_->isChecked(), crystal30_->isChecked()}, form_);
    if (block && !block->empty()) session_.WriteBlock(*block);
}

void RfRadioSubPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    const std::optional<RfConfigAnswer> answer = UnpackRfConfig(payload, length);
    if (!answer) return;
    form_ = answer->form;
    (answer->config.fsk ? fsk_ : ook_)->setChecked(true);
    if (answer->form == RfBlockForm::Long) {
        ShowCrystal(true);
        (answer->config.crystal30MHz ? crystal30_ : crystal32_)->setChecked(true);
    } else {
        // The checked button stays, hidden.
        ShowCrystal(false);
    }
}

void RfRadioSubPage::ShowCrystal(bool visible)
{
    crystalCaption_->setVisible(visible);
    crystal30_->setVisible(visible);
    crystal32_->setVisible(visible);
}
