#pragma once
// The main window: menus, status line, status bar, the configuration tabs,
// the serial port's lifecycle and the link's send and receive paths.

#include <QMainWindow>
#include <cstdint>
#include <vector>

#include "link/frame_assembler.h"
#include "link/frame_dispatcher.h"

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
class SerialLink;
class TFormAtualizacao;
class TFormCadastro;
class TFormDebug;

class TFormPrincipal : public QMainWindow, private LinkReceiver {
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
    void SendCommand(const std::uint8_t* payload, std::uint8_t payloadLength, std::uint8_t command);

    bool IsPortOpen() const;
    bool LinkOpen() const { return linkOpen_; }
    int SelectedPortNumber() const { return selectedPortNumber_; }
    SerialLink& Link() { return *link_; }

    // Menu and port operations, public so the composition root and tests drive them.
    void BuildPortMenu();
    void OpenSerialPort();
    void CloseSerialPort();

private slots:
    void TimerPollingTimer();
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

    // Identification and supervision state follow the port.
    void ForgetIdentification();
    void OnIdentificationRequested();

    void BuildLayout();
    void BuildMenus();
    void BuildStatusBar();
    void SetClosedMenuState();
    qint32 SelectedBaud() const;
    // A read or write failure: port closed first, list rebuilt, one message.
    void FailPort(const QString& message);

    Services services_;
    SerialLink* link_;
    FrameAssembler assembler_;
    FrameDispatcher dispatcher_;

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
    bool linkOpen_ = false;
    bool failing_ = false;    // a port failure is being reported
    bool receiving_ = false;  // the receive path is running
};
