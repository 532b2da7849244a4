#include "ui/pages/config_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/config/integer_text.h"
#include "jobs/job_gate.h"
#include "session/panel_session.h"
#include "ui/common/choice_controls.h"
#include "ui/common/dialogs.h"
#include "ui/common/messages.h"
#include "ui/common/tab_pager.h"

ConversionError::ConversionError(const QString& text) : std::runtime_error("not a valid integer"), text_(text) {}

ConfigPage::ConfigPage(const PageSetup& setup, QWidget* parent)
    : QWidget(parent),
      tabNumber_(setup.tabNumber),
      caption_(setup.caption),
      session_(setup.session),
      dialogs_(setup.dialogs)
{
    const int tabNumber = setup.tabNumber;
    setObjectName(setup.objectName);
    read_ = MakeNamedButton(QStringLiteral("BtnLer") + QString::number(tabNumber), QStringLiteral("Ler Config"), this);
    edit_ = MakeNamedButton(QStringLiteral("BtnEditar") + QString::number(tabNumber), QStringLiteral("Editar Config"), this);
    write_ = MakeNamedButton(QStringLiteral("BtnGravar") + QString::number(tabNumber), QStringLiteral("Gravar Config"), this);
    clear_ = MakeNamedButton(QStringLiteral("BtnLimpar") + QString::number(tabNumber), QStringLiteral("Limpar Campos"), this);
    // Every page starts in view state.
    write_->setEnabled(false);
    connect(read_, &QPushButton::clicked, this, &ConfigPage::ReadClick);
    connect(edit_, &QPushButton::clicked, this, &ConfigPage::EditClick);
    connect(write_, &QPushButton::clicked, this, &ConfigPage::WriteClick);
    connect(clear_, &QPushButton::clicked, this, &ConfigPage::ClearClick);
    connect(&session_, &PanelSession::BlockRead, this, &ConfigPage::OnBlockRead);
    // While a job talks to the panel, reading and writing here wait.
    connect(&JobGate::Of(session_), &JobGate::BusyChanged, this, [this](bool busy) {
        read_->setEnabled(!busy);
        write_->setEnabled(!busy && InEditState());
    });

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {read_, edit_, write_, clear_}) buttons->addWidget(b);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    body_ = new QVBoxLayout;
    layout->addLayout(body_, 1);
}

bool ConfigPage::InEditState() const { return editing_; }

void ConfigPage::Fill(const std::uint8_t*, std::size_t) {}

void ConfigPage::OnBlockRead(const std::vector<std::uint8_t>& block)
{
    const std::vector<std::uint8_t> filled = FilledBlocks();
    if (std::find(filled.begin(), filled.end(), block.front()) != filled.end()) Fill(block.data(), block.size());
}

QTabWidget* ConfigPage::AddSubPages(const QString& objectName, const QStringList& captions)
{
    subPages_ = new QTabWidget(this);
    subPages_->setObjectName(objectName);
    for (int i = 0; i < captions.size(); ++i) {
        auto* page = new QWidget(subPages_);
        page->setObjectName(objectName + QStringLiteral("Page") + QString::number(i));
        subPages_->addTab(page, captions[i]);
    }
    connect(subPages_, &QTabWidget::currentChanged, this, &ConfigPage::OnSubPageChanged);
    new TabPager(*subPages_);
    body_->addWidget(subPages_, 1);
    return subPages_;
}

// ---- The cycle ----------------------------------------------------------------

void ConfigPage::ReadClick()
{
    Guarded([this] {
        if (Kind() == Cycle::None) return;
        if (!session_.IsPortOpen()) {
            dialogs_.Error(this, messages::PortNotOpen());
            return;
        }
        RequestRead();
    });
}

void ConfigPage::RequestRead()
{
    if (const std::optional<std::uint8_t> block = ReadBlockId()) session_.ReadBlock(*block);
}

void ConfigPage::RequestWrite()
{
    const std::optional<std::vector<std::uint8_t>> payload = Pack();
    if (payload && !payload->empty()) session_.WriteBlock(*payload);
}

void ConfigPage::EditClick()
{
    Guarded([this] {
        if (Kind() != Cycle::Full) return;
        if (!session_.IsPortOpen()) {
            dialogs_.Error(this, messages::PortNotOpen());
            return;
        }
        if (InEditState()) return;
        SetEditState(true);
        for (QWidget* control : EditableControls()) control->setEnabled(true);
    });
}

void ConfigPage::WriteClick()
{
    Guarded([this] {
        if (Kind() == Cycle::None) return;
        if (!session_.IsEquipmentConnected()) {
            dialogs_.Error(this, messages::DeviceNotConnected());
            return;
        }
        if (Kind() != Cycle::Full || !InEditState()) return;
        if (!Validate()) return;
        for (const RangedField& ranged : RangedFields()) {
            if (!CheckRange(ranged.edit, ranged.field)) return;
        }
        SetEditState(false);
        // What edit unlocked: a tab with one block per sub-page locks only
        // the showing sub-page's controls.
        for (QWidget* control : EditableControls()) control->setEnabled(false);
        // Locking the focused field (or the write button) would hand the
        // focus on to "Limpar Campos", where the next Space empties the form.
        (edit_->isEnabled() ? edit_ : read_)->setFocus(Qt::OtherFocusReason);
        RequestWrite();
    });
}

void ConfigPage::ClearClick()
{
    Guarded([this] {
        if (Kind() != Cycle::Full) return;
        for (QWidget* control : ClearableControls()) ClearControl(control);
    });
}

void ConfigPage::OnSubPageChanged()
{
    if (Kind() == Cycle::None) return;
    SetEditState(false);
}

void ConfigPage::SetEditState(bool editing)
{
    editing_ = editing;
    write_->setEnabled(editing && !JobGate::Of(session_).Busy());
    edit_->setEnabled(!editing);
}

void ConfigPage::Guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const ConversionError& error) {
        dialogs_.ErrorReport(this, messages::NotAnInteger(error.Text()));
    }
}

// ---- Helpers --------------------------------------------------------------------

void ConfigPage::Fail(QWidget* focus, const QString& message)
{
    if (focus) focus->setFocus(Qt::OtherFocusReason);
    dialogs_.Error(this, message);
}

std::int32_t ConfigPage::ToInteger(const QLineEdit* field)
{
    const QString text = field->text();
    const std::optional<std::int32_t> value = ParseInteger(text.toStdString());
    if (!value) throw ConversionError(text);
    return *value;
}

bool ConfigPage::CheckRange(QLineEdit* field, NumericField which)
{
    const FieldRange& range = RangeOf(which);
    const std::optional<std::int32_t> value =
        range.documented ? ToInteger(field) : ParseInteger(field->text().toStdString());
    if (!value || range.Contains(*value)) return true;
    Fail(field, messages::ValueOutOfRange());
    return false;
}

void ConfigPage::ShowNumber(QLineEdit* field, std::int64_t value) { field->setText(QString::number(value)); }

SubPageBlocksPage::SubPageBlocksPage(const PageSetup& setup, const QString& subPagesName, const QStringList& captions,
                                     std::vector<BlockId> blocks, QWidget* parent)
    : ConfigPage(setup, parent), blocks_(std::move(blocks)), subPageControls_(blocks_.size())
{
    AddSubPages(subPagesName, captions);
}

std::vector<std::uint8_t> SubPageBlocksPage::FilledBlocks() const
{
    std::vector<std::uint8_t> ids;
    for (BlockId block : blocks_) ids.push_back(BlockByte(block));
    return ids;
}

std::optional<std::uint8_t> SubPageBlocksPage::ReadBlockId() const { return SubPageBlock(blocks_, SubPages()->currentIndex()); }

QList<QWidget*> SubPageBlocksPage::EditableControls() const
{
    const int index = SubPages()->currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= subPageControls_.size()) return {};
    return subPageControls_[static_cast<std::size_t>(index)];
}

void ClearControl(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->clear();
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setCurrentIndex(-1);
    } else if (auto* radio = qobject_cast<QRadioButton*>(control)) {
        // An exclusive radio button cannot be unchecked while exclusive.
        QButtonGroup* group = radio->group();
        const bool groupExclusive = group && group->exclusive();
        const bool autoExclusive = radio->autoExclusive();
        if (group) group->setExclusive(false);
        radio->setAutoExclusive(false);
        radio->setChecked(false);
        radio->setAutoExclusive(autoExclusive);
        if (group) group->setExclusive(groupExclusive);
    } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
        check->setChecked(false);
    }
}
