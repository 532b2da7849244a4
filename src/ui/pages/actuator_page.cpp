#include "ui/pages/actuator_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/panel/block_table.h"
#include "session/panel_session.h"
#include "ui/common/choice_controls.h"
#include "ui/common/choice_rows.h"
#include "ui/common/field_layout.h"

namespace {

constexpr int kSirenFieldLength = 3;

const QString kGroundCaption =
    QStringLiteral("Ativado em terra (ligada = saida em terra / desligada = saida flutuante)");
const QString kFloatCaption =
    QStringLiteral("Desativado em float (ligada = saida flutuante / desligada = saida em terra)");

void CheckPolarity(bool ground, QRadioButton* groundButton, QRadioButton* floatButton)
{
    // The pair is exclusive: checking one unchecks the other.
    (ground ? groundButton : floatButton)->setChecked(true);
}

}  // namespace

ActuatorPage::ActuatorPage(const PageSetup& setup, QWidget* parent)
    : SubPageBlocksPage(setup, QStringLiteral("PageControlAtuadores"),
                        {QStringLiteral("Saídas"), QStringLiteral("Sirene"), QStringLiteral("Comum"),
                         QStringLiteral("Buzzer")},
                        {kActuatorSubPageBlocks.begin(), kActuatorSubPageBlocks.end()}, parent)
{
    QTabWidget* pages = SubPages();
    BuildOutputs(pages->widget(Outputs));
    BuildSiren(pages->widget(SirenPage));
    BuildCommon(pages->widget(Common));
    BuildBuzzer(pages->widget(BuzzerPage));
}

void ActuatorPage::BuildOutputs(QWidget* page)
{
    const QStringList items = ChoiceItems(kActuatorTypeItems);
    QGridLayout* grid = AddSubPageGrid(page);
    std::array<QLabel*, kActuatorOutputCount> labels{};
    for (std::size_t i = 0; i < kActuatorOutputCount; ++i) {
        const int row = static_cast<int>(i);
        labels[i] = AddLabel(grid, row, 0, QStringLiteral("Tipo atuador %1:").arg(row + 1), page);
        types_[i] = OnSubPage(Outputs, MakeChoiceCombo(QStringLiteral("TipoAtuador%1").arg(row + 1), items, page));
        grid->addWidget(types_[i], row, 1);
    }
    grid->setColumnStretch(2, 1);
    output3Caption_ = labels[2];
    output3Caption_->setObjectName(QStringLiteral("Label67"));
    output4Caption_ = labels[3];
    output4Caption_->setObjectName(QStringLiteral("Label66"));
}

void ActuatorPage::BuildSiren(QWidget* page)
{
    QGridLayout* grid = AddSubPageGrid(page);
    PolarityColumn(SirenPage, grid, 0, QStringLiteral("Polaridade da sirene:"),
                   {QStringLiteral("CheckBoxSirene1"),
                    QStringLiteral("Sirene em terra (ligada = saida em terra / desligada = saida flutuante)")},
                   {QStringLiteral("CheckBoxSirene2"),
                    QStringLiteral("Sirene em float (ligada = saida flutuante / desligada = saida em terra)")},
                   page, sirenGround_, sirenFloat_);

    const QString seconds = QStringLiteral("(em segundos - de 0 até 255)");
    sirenDelay_ = OnSubPage(SirenPage, AddEditRow(grid, 2, QStringLiteral("TempoRetardoSirene"),
                                           QStringLiteral("Tempo de retardo para ligar:"), seconds,
                                           kSirenFieldLength, page));
    sirenTimeOn_ = OnSubPage(SirenPage, AddEditRow(grid, 3, QStringLiteral("TempoAtivacaoSirene"),
                                            QStringLiteral("Tempo de ativação:"), seconds, kSirenFieldLength, page));
    sirenTimeAtRest_ = OnSubPage(SirenPage, AddEditRow(grid, 4, QStringLiteral("TempoRepousoSirene"),
                                                QStringLiteral("Tempo de repouso:"), seconds, kSirenFieldLength, page));
    sirenRepetitions_ = OnSubPage(SirenPage, AddEditRow(grid, 5, QStringLiteral("NumeroRepeticaoSirene"),
                                                 QStringLiteral("Numero de repetições:"),
                                                 QStringLiteral("(valor entre 0 a 255 - sendo que 255 = sempre)"),
                                                 kSirenFieldLength, page));
}

void ActuatorPage::PolarityColumn(SubPage subPage, QGridLayout* grid, int row, const QString& caption,
                                  const NamedCaption& ground, const NamedCaption& floating, QWidget* page,
                                  QRadioButton*& groundButton, QRadioButton*& floatButton)
{
    const QList<QRadioButton*> pair = AddRadioColumn(grid, row, caption, {ground, floating}, page);
    groundButton = OnSubPage(subPage, pair[0]);
    floatButton = OnSubPage(subPage, pair[1]);
}

void ActuatorPage::BuildCommon(QWidget* page)
{
    QGridLayout* grid = AddSubPageGrid(page);
    PolarityColumn(Common, grid, 0, QStringLiteral("Polaridade atuador 1:"),
                   {QStringLiteral("PolaridadeAtuadorC1_T"), kGroundCaption},
                   {QStringLiteral("PolaridadeAtuadorC1_F"), kFloatCaption}, page, common1Ground_, common1Float_);
    PolarityColumn(Common, grid, 1, QStringLiteral("Polaridade atuador 2:"),
                   {QStringLiteral("PolaridadeAtuadorC2_T"), kGroundCaption},
                   {QStringLiteral("PolaridadeAtuadorC2_F"), kFloatCaption}, page, common2Ground_, common2Float_);
}

void ActuatorPage::BuildBuzzer(QWidget* page)
{
    QGridLayout* grid = AddSubPageGrid(page);
    PolarityColumn(BuzzerPage, grid, 0, QStringLiteral("Polaridade buzzer:"),
                   {QStringLiteral("PolaridadeAtuadorBuzzerT"), kGroundCaption},
                   {QStringLiteral("PolaridadeAtuadorBuzzerF"), kFloatCaption}, page, buzzerGround_, buzzerFloat_);
}

// ---- The cycle's hooks ------------------------------------------------------------

std::vector<RangedField> ActuatorPage::RangedFields() const
{
    if (SubPages()->currentIndex() != SirenPage) return {};
    // In screen order.
    return {{sirenDelay_, NumericField::SirenDelay},
            {sirenTimeOn_, NumericField::SirenTimeOn},
            {sirenTimeAtRest_, NumericField::SirenTimeAtRest},
            {sirenRepetitions_, NumericField::SirenRepetitions}};
}

std::optional<std::vector<std::uint8_t>> ActuatorPage::Pack()
{
    switch (SubPages()->currentIndex()) {
    case Outputs: {
        std::array<int, kActuatorOutputCount> indexes{};
        for (std::size_t i = 0; i < kActuatorOutputCount; ++i) indexes[i] = ChoiceIndex(types_[i]);
        return PackActuatorTypes(indexes, Session().ModelCode());
    }
    case SirenPage:
        return PackSiren({sirenGround_->isChecked(), ToInteger(sirenDelay_), ToInteger(sirenTimeOn_),
                          ToInteger(sirenTimeAtRest_), ToInteger(sirenRepetitions_)});
    case Common: return PackCommonOutputs({common1Ground_->isChecked(), common2Ground_->isChecked()});
    case BuzzerPage: return PackBuzzer(buzzerGround_->isChecked());
    default: return std::nullopt;
    }
}

void ActuatorPage::Fill(const std::uint8_t* payload, std::size_t length)
{
    // Whatever sub-page shows: each answer fills its own controls.
    if (length == 0) return;
    switch (static_cast<BlockId>(payload[0])) {
    case BlockId::Actuators:
        if (const auto types = UnpackActuatorTypes(payload, length)) {
            for (std::size_t i = 0; i < types->size() && i < types_.size(); ++i) types_[i]->setCurrentIndex((*types)[i]);
        }
        break;
    case BlockId::Siren:
        if (const auto siren = UnpackSiren(payload, length)) {
            CheckPolarity(siren->ground, sirenGround_, sirenFloat_);
            ShowNumber(sirenDelay_, siren->delay);
            ShowNumber(sirenTimeOn_, siren->timeOn);
            ShowNumber(sirenTimeAtRest_, siren->timeAtRest);
            ShowNumber(sirenRepetitions_, siren->repetitions);
        }
        break;
    case BlockId::CommonActuator:
        if (const auto common = UnpackCommonOutputs(payload, length)) {
            CheckPolarity(common->output1Ground, common1Ground_, common1Float_);
            CheckPolarity(common->output2Ground, common2Ground_, common2Float_);
        }
        break;
    case BlockId::Buzzer:
        if (const auto ground = UnpackBuzzer(payload, length)) CheckPolarity(*ground, buzzerGround_, buzzerFloat_);
        break;
    default: break;
    }
}

void ActuatorPage::OnModelIdentified(std::uint8_t modelCode)
{
    const std::optional<bool> show = ShowsOutputs3And4(modelCode);
    if (!show) return;
    for (QWidget* control : {static_cast<QWidget*>(output3Caption_), static_cast<QWidget*>(types_[2]),
                             static_cast<QWidget*>(output4Caption_), static_cast<QWidget*>(types_[3])}) {
        control->setVisible(*show);
    }
}
