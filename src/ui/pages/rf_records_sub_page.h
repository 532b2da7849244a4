#pragma once
// Sub-page 0 of "Sensores RF", "Sensores cadastrados": one record of the
// panel's table of enrolled sensors, read and written by its number through
// the session's RF record requests; every record the session receives is
// shown, whoever asked.

#include <QObject>
#include <array>
#include <cstdint>
#include <vector>

#include "ui/pages/rf_sub_page.h"

class ConfigPage;
class PanelSession;
class QComboBox;
class QLineEdit;
class QRadioButton;

class RfRecordsSubPage final : public QObject, public RfSubPage {
    Q_OBJECT
public:
    // Builds its controls on page; a failed check shows through tab.
    RfRecordsSubPage(ConfigPage& tab, PanelSession& session, QWidget& page);

    QList<QWidget*> Controls() const override { return controls_; }
    void RequestRead() override;
    bool Validate() override;
    void RequestWrite() override;
    std::vector<RangedField> RangedFields() const override;

private:
    // One record of the table; a record of any other length changes nothing.
    void ShowRecord(const std::vector<std::uint8_t>& bytes);
    void ClearRecordFields();

    ConfigPage& tab_;
    PanelSession& session_;
    QLineEdit* number_ = nullptr;
    QLineEdit* serial_ = nullptr;
    std::array<QRadioButton*, 3> kinds_{};  // PIR, door, key fob
    std::array<QComboBox*, 3> buttons_{};   // buttons 1, 2, 3
    QLineEdit* zone_ = nullptr;
    QLineEdit* user_ = nullptr;
    QList<QWidget*> controls_;
};
