#pragma once
// Tab 8, "Sensores RF": the panel's table of enrolled sensors and its
// radio. Four sub-pages share the tab's one page state: records read and
// written one at a time by number (sub-page 0), the enrolment window (1),
// deleting every record (2) and block 3, the radio settings (3). The
// records and the radio are classes of their own; the tab's buttons act on
// the one on show.

#include <array>

#include "core/config/rf_config_block.h"
#include "ui/pages/config_page.h"

class RfRadioSubPage;
class RfRecordsSubPage;
class RfSubPage;

class RfSensorsPage final : public ConfigPage {
    Q_OBJECT
public:
    RfSensorsPage(const PageSetup& setup, QWidget* parent);

    std::vector<std::uint8_t> FilledBlocks() const override;
    // Block 3.
    void Fill(const std::uint8_t* payload, std::size_t length) override;

    // RfConfigForm.
    RfBlockForm RfConfigForm() const;

    void BtnCadastrarSensorRFClick();
    void Button2Click();

signals:
    // "Cadastrar novo" with the port open: the enrolment window is wanted.
    void EnrolmentRequested();
    // The status line's text, its colour unchanged.
    void StatusText(const QString& text);

protected:
    // The sub-page on show says what the buttons send.
    std::optional<std::uint8_t> ReadBlockId() const override { return std::nullopt; }
    void RequestRead() override;
    // Nothing to write on the enrolment and delete sub-pages: the tab
    // stays in edit state there.
    bool Validate() override;
    std::vector<RangedField> RangedFields() const override;
    // Unused: the sub-page on show writes (RequestWrite).
    std::optional<std::vector<std::uint8_t>> Pack() override { return std::nullopt; }
    void RequestWrite() override;
    QList<QWidget*> EditableControls() const override;

private:
    // The sub-page on show when it has a cycle of its own, or nullptr.
    RfSubPage* Showing() const;
    void BuildEnrol(QWidget* page);
    void BuildDelete(QWidget* page);

    RfRecordsSubPage* records_ = nullptr;
    RfRadioSubPage* radio_ = nullptr;
    std::array<RfSubPage*, 4> cycles_{};  // by sub-page
};
