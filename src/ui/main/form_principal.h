#pragma once
// The main window: menus, status line, status bar, the configuration tabs,
// the serial port's lifecycle and the link's send and receive paths.

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "core/link/frame_assembler.h"
#include "ui/pages/page_services.h"
#include "core/link/config_answer_handling.h"
#include "core/link/frame_dispatcher.h"
#include "core/link/link_supervision.h"

class Clock;
class ConfigPage;
class Dialogs;
class PortCatalogue;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class RfSensorsPage;
class SerialLink;
class TFormAtualizacao;
class TFormCadastro;
class TFormDebug;

class TFormPrincipal : public QMainWindow, public PageServices, private LinkReceiver {
    Q_OBJECT
public:
    struct Services {
        Dialogs& dialogs;
        const PortCatalogue& ports;
        const Clock& clock;
    };

    explicit TFormPrincipal(Services services, QWidget* parent = nullptr);
    ~TFormPrincipal() override;

    // The secondary windows, created after this one (they send through it).
    void AttachWindows(TFormAtualizacao* atualizacao, TFormDebug* debug, TFormCadastro* cadastro);
    // Where received frames go; windows register their receivers here.
    FrameReceivers& Receivers() { return dispatcher_.receivers(); }

    // The one way to send to the panel. Dropped silently when the payload is
    // over 200 bytes, or the port or the link is not open.
    void SendCommand(const std::uint8_t* payload, std::uint8_t payloadLength, std::uint8_t command) override;

    bool IsPortOpen() const override;
    bool LinkOpen() const { return supervision_.LinkOpen(); }

    // The identified panel: writes are refused unless a supported model
    // answered within the last five ticks.
    bool IsEquipmentConnected() const override { return supervision_.IsEquipmentConnected(); }
    std::uint8_t ModelCode() const override { return supervision_.ModelCode(); }
    const LinkSupervision& Supervision() const { return supervision_; }

    // A configuration write was sent / a read is about to be sent.
    void SetWritePending() override { answers_.SetWritePending(); }
    void ClearWritePending() override { answers_.ClearWritePending(); }
    Dialogs& PageDialogs() override { return services_.dialogs; }
    bool WritePending() const { return answers_.WritePending(); }

    // A page's fill step for its block: run with the answer's payload (block
    // id first) once its length has been accepted.
    using FillStep = std::function<void(const std::uint8_t* payload, std::uint8_t length)>;
    void RegisterFillStep(std::uint8_t blockId, FillStep step);
    int SelectedPortNumber() const { return selectedPortNumber_; }
    SerialLink& Link() { return *link_; }

    // Menu and port operations, public so the composition root and tests drive them.
    void BuildPortMenu();
    // Checks the port-number entry of a listed port, as a click on it would.
    bool SelectPort(int number);
    void OpenSerialPort();
    void CloseSerialPort();

signals:
    // Every identification frame, supported model or not (the actuator page follows it).
    void ModelIdentified(std::uint8_t modelCode);

public slots:
    // One tick of the one-second polling timer (public so tests drive it).
    void TimerPollingTimer();

private slots:
    void SpeedButton1Click();
    void Sair1Click();
    void Atualizaodefirmware1Click();
    void Debug1Click();
    void MenuSerialFecharClick();
    void ApdComPortPortOpen();
    void ApdComPortPortClose();
    void ApdComPortTriggerAvail();
    void OnPortFailure(bool writing);

private:
    // LinkReceiver
    void HandleConfigResponse(const std::uint8_t* payload, std::uint8_t length) override;
    void HandleIdentification(const std::uint8_t* payload, std::uint8_t length) override;
    void HandleAckStatus() override;
    void HandleNackStatus() override;

    void BuildLayout();
    // The RF tab's record fill, status texts and enrolment window.
    void ConnectRfSensorsPage(RfSensorsPage* page);
    void BuildMenus();
    void BuildStatusBar();
    void SetClosedMenuState();
    void ShowStatus(const StatusLineText& status);
    qint32 SelectedBaud() const;
    // A read or write failure: port closed first, list rebuilt, one message.
    void FailPort(const QString& message);

    Services services_;
    SerialLink* link_;
    FrameAssembler assembler_;
    FrameDispatcher dispatcher_;
    LinkSupervision supervision_;
    ConfigAnswerHandling answers_;
    std::map<std::uint8_t, FillStep> fillSteps_;

    TFormAtualizacao* formAtualizacao_ = nullptr;
    TFormDebug* formDebug_ = nullptr;
    TFormCadastro* formCadastro_ = nullptr;

    QLabel* labelStatusCmd_ = nullptr;
    QTabWidget* pageControl_ = nullptr;
    std::vector<ConfigPage*> pages_;
    QLabel* statusPanels_[3] = {};
    QTimer* timerPolling_ = nullptr;
    QTimer* timeoutSerial_ = nullptr;
    QPushButton* speedButton1_ = nullptr;

    QAction* menuSerialAbrir_ = nullptr;
    QAction* menuSerialFechar_ = nullptr;
    QMenu* menuNumPorta_ = nullptr;
    QMenu* menuVelocidadePorta_ = nullptr;
    QActionGroup* portGroup_ = nullptr;
    std::vector<QAction*> baudActions_;
    QAction* atualizacaoAction_ = nullptr;
    QAction* debugAction_ = nullptr;

    int selectedPortNumber_ = 0;
    bool failing_ = false;    // a port failure is being reported
    bool receiving_ = false;  // the receive path is running
};
