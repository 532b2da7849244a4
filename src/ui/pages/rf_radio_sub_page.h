#pragma once
// Sub-page 3 of "Sensores RF", "Configuração RF": block 3, the radio's
// modulation and, on a panel that answers the long form, its crystal. A
// write packs the block in the form the panel last answered in, and sends
// nothing before the first answer.

#include <QObject>

#include "core/config/rf_config_block.h"
#include "ui/pages/rf_sub_page.h"

class PanelSession;
class QLabel;
class QRadioButton;

class RfRadioSubPage final : public QObject, public RfSubPage {
    Q_OBJECT
public:
    RfRadioSubPage(PanelSession& session, QWidget& page);

    QList<QWidget*> Controls() const override { return controls_; }
    void RequestRead() override;
    bool Validate() override { return true; }
    void RequestWrite() override;

    // Block 3 as the panel answered it.
    void Fill(const std::uint8_t* payload, std::size_t length);
    // The form of the last answer (RfConfigForm).
    RfBlockForm Form() const { return form_; }

private:
    void ShowCrystal(bool visible);

    PanelSession& session_;
    QRadioButton* ook_ = nullptr;
    QRadioButton* fsk_ = nullptr;
    QLabel* crystalCaption_ = nullptr;
    QRadioButton* crystal30_ = nullptr;
    QRadioButton* crystal32_ = nullptr;
    QList<QWidget*> controls_;
    RfBlockForm form_ = RfBlockForm::None;
};
