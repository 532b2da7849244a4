#include "ui/pages/rf_sensors_page.h"

#include <QGridLayout>
#include <QPushButton>
#include <QTabWidget>

#include "session/panel_session.h"
#include "ui/common/busy_controls.h"
#include "ui/common/choice_rows.h"
#include "ui/common/dialogs.h"
#include "ui/pages/rf_radio_sub_page.h"
#include "ui/pages/rf_records_sub_page.h"

namespace {

enum SubPage { Records = 0, Enrol = 1, Delete = 2, Radio = 3 };

}  // namespace

RfSensorsPage::RfSensorsPage(const PageSetup& setup, QWidget* parent) : ConfigPage(setup, parent)
{
    QTabWidget* pages = AddSubPages(QStringLiteral("PageControlSensorRF"),
                                    {QStringLiteral("Sensores cadastrados"), QStringLiteral("Cadastrar novo sensor"),
                                     QStringLiteral("Apagar sensor"), QStringLiteral("Configuração RF")});
    records_ = new RfRecordsSubPage(*this, Session(), *pages->widget(Records));
    BuildEnrol(pages->widget(Enrol));
    BuildDelete(pages->widget(Delete));
    radio_ = new RfRadioSubPage(Session(), *pages->widget(Radio));
    cycles_ = {records_, nullptr, nullptr, radio_};
}

void RfSensorsPage::BuildEnrol(QWidget* page)
{
    QGridLayout* grid = AddSubPageGrid(page);
    auto* enrol = new QPushButton(QStringLiteral("Cadastrar novo"), page);
    enrol->setObjectName(QStringLiteral("BtnCadastrarSensorRF"));
    connect(enrol, &QPushButton::clicked, this, &RfSensorsPage::BtnCadastrarSensorRFClick);
    grid->addWidget(enrol, 0, 0);
}

void RfSensorsPage::BuildDelete(QWidget* page)
{
    QGridLayout* grid = AddSubPageGrid(page);
    // Deleting a single record has no command: the button stays without action.
    auto* deleteOne = new QPushButton(QStringLiteral("Apagar um ID"), page);
    deleteOne->setObjectName(QStringLiteral("Button1"));
    auto* deleteAll = new QPushButton(QStringLiteral("Apagar todos"), page);
    deleteAll->setObjectName(QStringLiteral("Button2"));
    connect(deleteAll, &QPushButton::clicked, this, &RfSensorsPage::Button2Click);
    DisableWhileJobRuns(Session(), {deleteAll});
    grid->addWidget(deleteOne, 0, 0);
    grid->addWidget(deleteAll, 1, 0);
}

RfSubPage* RfSensorsPage::Showing() const
{
    const int index = SubPages()->currentIndex();
    return index >= 0 && static_cast<std::size_t>(index) < cycles_.size() ? cycles_[static_cast<std::size_t>(index)]
                                                                          : nullptr;
}

// ---- The cycle's hooks ----------------------------------------------------------

QList<QWidget*> RfSensorsPage::EditableControls() const
{
    const RfSubPage* showing = Showing();
    return showing ? showing->Controls() : QList<QWidget*>{};  // edit state with nothing to edit
}

void RfSensorsPage::RequestRead()
{
    if (RfSubPage* showing = Showing()) showing->RequestRead();
}

bool RfSensorsPage::Validate()
{
    RfSubPage* showing = Showing();
    return showing && showing->Validate();
}

std::vector<RangedField> RfSensorsPage::RangedFields() const
{
    const RfSubPage* showing = Showing();
    return showing ? showing->RangedFields() : std::vector<RangedField>{};
}

void RfSensorsPage::RequestWrite()
{
    if (RfSubPage* showing = Showing()) showing->RequestWrite();
}

// ---- Answers -------------------------------------------------------------------

std::vector<std::uint8_t> RfSensorsPage::FilledBlocks() const { return {BlockByte(BlockId::RfCommunication)}; }

void RfSensorsPage::Fill(const std::uint8_t* payload, std::size_t length) { radio_->Fill(payload, length); }

RfBlockForm RfSensorsPage::RfConfigForm() const { return radio_->Form(); }

// ---- The sub-pages' own buttons -----------------------------------------------

void RfSensorsPage::BtnCadastrarSensorRFClick()
{
    if (Session().IsPortOpen()) emit EnrolmentRequested();
}

void RfSensorsPage::Button2Click()
{
    if (!PageDialogs().Question(this, QStringLiteral("Comando"),
                                           QStringLiteral("Deseja apagar todos os sensores RF cadastrados?"))) {
        return;
    }
    // No port or device check: a closed port drops the frame.
    Session().DeleteAllRfRecords();
    emit StatusText(QString());
}
