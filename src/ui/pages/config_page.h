#pragma once
// One tab of the main window's configuration notebook and the cycle every
// tab shares: read the block from the panel, unlock the fields, validate and
// write the block back, clear the fields. A tab supplies only what is its
// own: the block it reads, its data controls, its validation, packing,
// filling and (rarely) clearing. The cycle lives here once.
//
// The page is in edit state exactly when its "Gravar Config" button is
// enabled. Numbers typed into fields convert through ToInteger, which throws
// on bad text; the click boundary turns that into the general error report
// and the handler stops where the conversion failed.

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/config/field_ranges.h"
#include "core/panel/block_table.h"

class Dialogs;
class PanelSession;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QVBoxLayout;

// A field whose text is not an integer; carries the text for the report.
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const QString& text);
    const QString& Text() const { return text_; }

private:
    QString text_;
};

// A numeric field of a tab and the range its value must lie in.
struct RangedField {
    QLineEdit* edit;
    NumericField field;
};

// What every tab is given: its place in the notebook (from the table of
// tabs) and what it talks to.
struct PageSetup {
    int tabNumber = 0;
    QString objectName;
    QString caption;
    PanelSession& session;
    Dialogs& dialogs;
};

class ConfigPage : public QWidget {
    Q_OBJECT
public:
    ConfigPage(const PageSetup& setup, QWidget* parent = nullptr);

    int TabNumber() const { return tabNumber_; }
    const QString& Caption() const { return caption_; }

    // The inner notebook of a tab with sub-pages, or nullptr.
    QTabWidget* SubPages() const { return subPages_; }
    bool InEditState() const;

    // The blocks whose answers this tab shows, and its fill step for them
    // (the answer's length was already accepted by the block table). Every
    // block the session reads reaches the tabs that show it, whoever asked.
    virtual std::vector<std::uint8_t> FilledBlocks() const { return {}; }
    virtual void Fill(const std::uint8_t* payload, std::size_t length);
    // Every identification frame, supported model or not: a tab whose
    // controls depend on the model follows it here.
    virtual void OnModelIdentified(std::uint8_t /*modelCode*/) {}

    // The cycle's click handlers, each wrapped at the error boundary.
    void ReadClick();
    void EditClick();
    void WriteClick();
    void ClearClick();

    // ---- What a tab and the parts it is built of share ----
    // Shows a validation failure: focus on the field (when given), then the box.
    void Fail(QWidget* focus, const QString& message);
    // The field's text as a signed 32-bit integer, or ConversionError.
    static std::int32_t ToInteger(const QLineEdit* field);
    // Judges a field against its range (field_ranges.h); outside it, the
    // focus and "Valor fora da faixa especificada.", and false. A field with
    // a documented range converts here (ConversionError); one that only its
    // bytes bound lets a text that is no number pass, for the packing to
    // refuse it where it always did.
    bool CheckRange(QLineEdit* field, NumericField which);
    static void ShowNumber(QLineEdit* field, std::int64_t value);

protected:
    // ---- What a tab supplies ----
    // The block the read button asks for (by the showing sub-page on tabs
    // with sub-pages); nothing sends nothing.
    virtual std::optional<std::uint8_t> ReadBlockId() const = 0;
    // What the read button asks the session for once the port is open: by
    // default the block of ReadBlockId(). A tab that reads something other
    // than a block may check its fields here (through Fail, or by throwing
    // ConversionError) and ask for nothing.
    virtual void RequestRead();
    // Step 3 of a write. Shows its own message (through Fail) and returns
    // false to stop in edit state. May throw ConversionError.
    virtual bool Validate() { return true; }
    // The numeric fields the write packs, judged in this order after
    // Validate(): a value its field cannot hold stops the write in edit
    // state, with nothing sent.
    virtual std::vector<RangedField> RangedFields() const { return {}; }
    // Step 5: the payload, block id first. May throw ConversionError;
    // nothing means there is nothing to send.
    virtual std::optional<std::vector<std::uint8_t>> Pack() = 0;
    // Step 5 and the write itself: by default the packed block, written as
    // a block. A tab that writes something other than a block packs and
    // asks for it here.
    virtual void RequestWrite();
    // How much of the cycle the tab takes part in.
    enum class Cycle {
        Full,      // read, edit, write, clear
        ReadOnly,  // read only; its write button only checks the device
        None,      // a page with no block: no button does anything
    };
    virtual Cycle Kind() const { return Cycle::Full; }
    // The controls edit enables and a write locks again: by default all of
    // the tab's data controls (a tab with one block per sub-page narrows
    // this to the showing one).
    virtual QList<QWidget*> EditableControls() const { return DataControls(); }
    // The controls clear empties: by default the editable ones.
    virtual QList<QWidget*> ClearableControls() const { return EditableControls(); }

    // ---- Helpers for tabs ----
    PanelSession& Session() const { return session_; }
    Dialogs& PageDialogs() const { return dialogs_; }
    // The area below the buttons for the tab's own controls.
    QVBoxLayout* Body() const { return body_; }
    // Adds the inner notebook with one empty page per caption.
    QTabWidget* AddSubPages(const QString& objectName, const QStringList& captions);
    // Registers a data control: created disabled, enabled only in edit state.
    template <typename Control>
    Control* Data(Control* control)
    {
        control->setEnabled(false);
        dataControls_.push_back(control);
        return control;
    }
    const QList<QWidget*>& DataControls() const { return dataControls_; }

private:
    // Runs a click handler; a failed conversion ends it with the report.
    void Guarded(const std::function<void()>& handler);
    void SetEditState(bool editing);
    void OnSubPageChanged();
    void OnBlockRead(const std::vector<std::uint8_t>& block);

    int tabNumber_;
    QString caption_;
    PanelSession& session_;
    Dialogs& dialogs_;
    QPushButton* read_;
    QPushButton* edit_;
    QPushButton* write_;
    QPushButton* clear_;
    // Edit state outlives a job: "Gravar" waits while one runs, then is back.
    bool editing_ = false;
    QTabWidget* subPages_ = nullptr;
    QVBoxLayout* body_;
    QList<QWidget*> dataControls_;
};

// A tab that shows one block: it reads that block and fills from it.
class SingleBlockPage : public ConfigPage {
    Q_OBJECT
public:
    SingleBlockPage(const PageSetup& setup, BlockId block, QWidget* parent = nullptr)
        : ConfigPage(setup, parent), block_(block)
    {
    }

    std::vector<std::uint8_t> FilledBlocks() const override { return {BlockByte(block_)}; }

protected:
    std::optional<std::uint8_t> ReadBlockId() const override { return BlockByte(block_); }

private:
    BlockId block_;
};

// A tab with no block behind it: its buttons are there, but none sends or
// changes anything and "Gravar Config" never enables.
class BlocklessPage : public ConfigPage {
    Q_OBJECT
public:
    // With a sub-pages name, the tab gets an inner notebook of empty pages.
    BlocklessPage(const PageSetup& setup, QWidget* parent = nullptr, const QString& subPagesName = {},
                  const QStringList& subCaptions = {})
        : ConfigPage(setup, parent)
    {
        if (!subPagesName.isEmpty()) AddSubPages(subPagesName, subCaptions);
    }

protected:
    Cycle Kind() const final { return Cycle::None; }
    std::optional<std::uint8_t> ReadBlockId() const final { return std::nullopt; }
    std::optional<std::vector<std::uint8_t>> Pack() final { return std::nullopt; }
};

// A tab whose inner notebook shows one block per sub-page: the buttons act
// on the showing sub-page's block, and edit unlocks only its controls. Edit
// state belongs to the tab, so controls unlocked on one sub-page stay
// unlocked after a change of sub-page, though only their own can write them.
class SubPageBlocksPage : public ConfigPage {
    Q_OBJECT
public:
    // blocks: one per caption, in the notebook's order.
    SubPageBlocksPage(const PageSetup& setup, const QString& subPagesName, const QStringList& captions,
                      std::vector<BlockId> blocks, QWidget* parent = nullptr);

    // Every sub-page's block.
    std::vector<std::uint8_t> FilledBlocks() const override;

protected:
    std::optional<std::uint8_t> ReadBlockId() const override;
    QList<QWidget*> EditableControls() const override;
    // Registers a data control of one sub-page.
    template <typename Control>
    Control* OnSubPage(int subPage, Control* control)
    {
        subPageControls_[static_cast<std::size_t>(subPage)].push_back(Data(control));
        return control;
    }

private:
    std::vector<BlockId> blocks_;
    std::vector<QList<QWidget*>> subPageControls_;
};

// Puts a control back to its empty state: no text, no selection, unchecked.
void ClearControl(QWidget* control);
