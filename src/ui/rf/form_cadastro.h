#pragma once
// The RF sensor enrolment window, shown modally from the RF sensors tab
// while the port is open. The enrolment driver runs the process (its
// machine, its 500 ms timer, the panel's reports and acknowledgements); the
// window gives it the controls' settings and shows its effects.

#include <array>
#include <cstdint>

#include "core/rf/enrolment_machine.h"
#include "session/enrolment_driver.h"
#include "ui/common/secondary_window.h"

class Dialogs;
class PanelSession;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TFormCadastro : public SecondaryWindow {
    Q_OBJECT
public:
    // The window shows no box of its own: its messages go to LabelSts.
    TFormCadastro(PanelSession& session, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TFormCadastro() override;

    const EnrolmentMachine& Machine() const { return driver_->Machine(); }

public slots:
    // One tick of TimerProcesso (public so tests drive it).
    void TimerProcessoTimer();
    void reject() override;

protected:
    void Opening() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void BtnIniciarClick();
    void BtnPararClick();
    void FollowKind();
    EnrolmentSettings Settings() const;
    void Apply(const EnrolmentEffects& effects);
    void SetRunning(bool running);
    // "Iniciar" while no enrolment runs and no job talks to the panel.
    void FollowStart();

    PanelSession& session_;
    EnrolmentDriver* driver_ = nullptr;
    bool running_ = false;

    QRadioButton* pir_ = nullptr;
    QRadioButton* door_ = nullptr;
    QRadioButton* keyFob_ = nullptr;
    std::array<QComboBox*, 3> buttons_{};
    QLineEdit* zone_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* exit_ = nullptr;
};
