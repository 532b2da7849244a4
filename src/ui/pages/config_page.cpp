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

#include "core/config/integer_text.h"
#include "ui/pages/page_services.h"
#include "core/link/commands.h"
#include "ui/common/dialogs.h"

namespace {

QPushButton* MakeButton(const QString& name, int tabNumber, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name + QString::number(tabNumber));
    return button;
}

}  // namespace

ConversionError::ConversionError(const QString& text) : std::runtime_error("not a valid integer"), text_(text) {}

ConfigPage::ConfigPage(int tabNumber, const QString& objectName, const QString& caption, PageServices& services,
                       QWidget* parent)
    : QWidget(parent), tabNumber_(tabNumber), caption_(caption), services_(services)
{
    setObjectName(objectName);
    read_ = MakeButton(QStringLiteral("BtnLer"), tabNumber, QStringLiteral("Ler Config"), this);
    edit_ = MakeButton(QStringLiteral("BtnEditar"), tabNumber, QStringLiteral("Editar Config"), this);
    write_ = MakeButton(QStringLiteral("BtnGravar"), tabNumber, QStringLiteral("Gravar Config"), this);
    clear_ = MakeButton(QStringLiteral("BtnLimpar"), tabNumber, QStringLiteral("Limpar Campos"), this);
    // Every page starts in view state.
    write_->setEnabled(false);
    connect(read_, &QPushButton::clicked, this, &ConfigPage::ReadClick);
    connect(edit_, &QPushButton::clicked, this, &ConfigPage::EditClick);
    connect(write_, &QPushButton::clicked, this, &ConfigPage::WriteClick);
    connect(clear_, &QPushButton::clicked, this, &ConfigPage::ClearClick);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {read_, edit_, write_, clear_}) buttons->addWidget(b);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    body_ = new QVBoxLayout;
    layout->addLayout(body_, 1);
}

bool ConfigPage::InEditState() const { return write_->isEnabled(); }

void ConfigPage::Fill(const std::uint8_t*, std::uint8_t) {}

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
    body_->addWidget(subPages_, 1);
    return subPages_;
}

// ---- The cycle ----------------------------------------------------------------

void ConfigPage::ReadClick()
{
    Guarded([this] {
        if (Kind() == Cycle::None) return;
        services_.ClearWritePending();
        if (!services_.IsPortOpen()) {
            services_.PageDialogs().Error(this, QStringLiteral("Porta serial não está aberta."));
            return;
        }
        const std::optional<Request> request = ReadRequest();
        if (!request || request->payload.size() > 255) return;
        services_.SendCommand(request->payload.data(), static_cast<std::uint8_t>(request->payload.size()),
                              request->command);
    });
}

std::optional<ConfigPage::Request> ConfigPage::ReadRequest()
{
    const std::optional<std::uint8_t> block = ReadBlockId();
    if (!block) return std::nullopt;
    return Request{CommandByte(CommandCode::ReadBlockCommand), {*block}};
}

std::uint8_t ConfigPage::WriteCommand() const { return CommandByte(CommandCode::WriteBlockCommand); }

void ConfigPage::EditClick()
{
    Guarded([this] {
        if (Kind() != Cycle::Full) return;
        if (!services_.IsPortOpen()) {
            services_.PageDialogs().Error(this, QStringLiteral("Porta serial não está aberta."));
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
        if (!services_.IsEquipmentConnected()) {
            services_.PageDialogs().Error(this, QStringLiteral("Equipamento não conectado."));
            return;
        }
        if (Kind() != Cycle::Full || !InEditState()) return;
        if (!Validate()) return;
        SetEditState(false);
        // What edit unlocked: a tab with one block per sub-page locks only
        // the showing sub-page's controls.
        for (QWidget* control : EditableControls()) control->setEnabled(false);
        const std::optional<std::vector<std::uint8_t>> payload = Pack();
        if (!payload || payload->empty() || payload->size() > 255) return;
        services_.SendCommand(payload->data(), static_cast<std::uint8_t>(payload->size()), WriteCommand());
        services_.SetWritePending();
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
    write_->setEnabled(editing);
    edit_->setEnabled(!editing);
}

void ConfigPage::Guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const ConversionError& error) {
        services_.PageDialogs().ErrorReport(this, QStringLiteral("'%1' is not a valid integer value").arg(error.Text()));
    }
}

// ---- Helpers --------------------------------------------------------------------

void ConfigPage::Fail(QWidget* focus, const QString& message)
{
    if (focus) focus->setFocus(Qt::OtherFocusReason);
    services_.PageDialogs().Error(this, message);
}

std::int32_t ConfigPage::ToInteger(const QLineEdit* field)
{
    const QString text = field->text();
    const std::optional<std::int32_t> value = ParseInteger(text.toStdString());
    if (!value) throw ConversionError(text);
    return *value;
}

void ConfigPage::ShowNumber(QLineEdit* field, std::int64_t value) { field->setText(QString::number(value)); }

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
