#pragma once
// Tab 8, "Sensores RF": the panel's table of enrolled sensors and its
// radio. Four sub-pages share the tab's one page state: records read and
// written one at a time by number (sub-page 0, the session's RF record
// requests), the enrolment window (1), deleting every record (2) and block
// 3, the radio settings, in the short or long form the panel last answered
// in (3).

#include <array>

#include "core/config/rf_config_block.h"
#include "ui/pages/config_page.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class RfSensorsPage final : public ConfigPage {
    Q_OBJECT
public:
    RfSensorsPage(const PageSetup& setup, QWidget* parent);

    std::vector<std::uint8_t> FilledBlocks() const override;
    // Block 3.
    void Fill(const std::uint8_t* payload, std::size_t length) override;

    // RfConfigForm.
    RfBlockForm RfConfigForm() const { return rfConfigForm_; }

    void BtnCadastrarSensorRFClick();
    void Button2Click();

signals:
    // "Cadastrar novo" with the port open: the enrolment window is wanted.
    void EnrolmentRequested();
    // The status line's text, its colour unchanged.
    void StatusText(const QString& text);

protected:
    std::optional<std::uint8_t> ReadBlockId() const override;
    void RequestRead() override;
    bool Validate() override;
    // Block 3; a record is written by RequestWrite.
    std::optional<std::vector<std::uint8_t>> Pack() override;
    void RequestWrite() override;
    QList<QWidget*> EditableControls() const override;

private:
    enum SubPage { Records = 0, Enrol = 1, Delete = 2, Radio = 3 };

    SubPage Showing() const;
    void BuildRecords(QWidget* page);
    void BuildEnrol(QWidget* page);
    void BuildDelete(QWidget* page);
    void BuildRadio(QWidget* page);
    void ClearRecordFields();
    // One record of the table, shown on sub-page 0.
    void ShowRecord(const std::vector<std::uint8_t>& bytes);
    void ShowCrystal(bool visible);

    QLineEdit* number_ = nullptr;
    QLineEdit* serial_ = nullptr;
    std::array<QRadioButton*, 3> kinds_{};  // PIR, door, key fob
    std::array<QComboBox*, 3> buttons_{};   // buttons 1, 2, 3
    QLineEdit* zone_ = nullptr;
    QLineEdit* user_ = nullptr;
    QRadioButton* ook_ = nullptr;
    QRadioButton* fsk_ = nullptr;
    QLabel* label53_ = nullptr;
    QRadioButton* crystal30_ = nullptr;
    QRadioButton* crystal32_ = nullptr;
    QList<QWidget*> recordControls_;
    QList<QWidget*> radioControls_;
    RfBlockForm rfConfigForm_ = RfBlockForm::None;
};
