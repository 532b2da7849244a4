#pragma once
// The main window: menus, status line, status bar and the configuration
// tabs. It maps the panel session's events to its controls and the user's
// choices to the session; the conversation with the panel is the session's.

#include <QMainWindow>
#include <cstdint>
#include <vector>

class Clock;
class ConfigPage;
class Dialogs;
class PanelSession;
class PortCatalogue;
class QAction;
class QActionGroup;
class QDialog;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class RfSensorsPage;
class QColor;
struct Identification;

class TFormPrincipal : public QMainWindow {
    Q_OBJECT
public:
    struct Services {
        PanelSession& session;
        Dialogs& dialogs;
        const PortCatalogue& ports;
        const Clock& clock;
    };

    explicit TFormPrincipal(Services services, QWidget* parent = nullptr);
    ~TFormPrincipal() override;

    // The secondary windows the menus open (children of this window).
    void AttachWindows(QDialog* atualizacao, QDialog* debug, QDialog* cadastro);

    PanelSession& Session() const { return services_.session; }
    int SelectedPortNumber() const { return selectedPortNumber_; }

    // Menu and port operations, public so the composition root and tests drive them.
    void BuildPortMenu();
    // Checks the port-number entry of a listed port, as a click on it would.
    bool SelectPort(int number);
    void OpenSerialPort();
    void CloseSerialPort();
    // The frame trace could not be written and stopped: says so in the bar.
    void ShowTraceStopped(const QString& reason);

signals:
    // "Biblioteca" was chosen: the composition root shows the library window.
    void LibraryRequested();

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
    void OnPortFailure(bool writing);

private:
    void OnIdentified(const Identification& identity);
    // The status line: a mapping of the session's answers to texts and colours.
    void ConnectStatusLine();
    void ShowStatus(const QString& text, const QColor& colour);
    void BuildLayout();
    // The RF tab's status texts and its enrolment window.
    void ConnectRfSensorsPage(RfSensorsPage* page);
    void BuildMenus();
    void BuildStatusBar();
    void SetClosedMenuState();
    qint32 SelectedBaud() const;
    // A read or write failure: port closed first, list rebuilt, one message.
    void FailPort(const QString& message);
    // Shows a secondary window modally, only while the port is open.
    void ShowWhileOpen(QDialog* window);

    Services services_;

    QDialog* formAtualizacao_ = nullptr;
    QDialog* formDebug_ = nullptr;
    QDialog* formCadastro_ = nullptr;

    QLabel* labelStatusCmd_ = nullptr;
    QTabWidget* pageControl_ = nullptr;
    std::vector<ConfigPage*> pages_;
    QLabel* statusPanels_[3] = {};
    QLabel* traceStopped_ = nullptr;
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
    bool failing_ = false;  // a port failure is being reported
};
