#pragma once
// The main window: the menu bar, the status line, the notebook of
// configuration tabs and the status bar, each a class of its own, and the
// port's lifecycle between them. It maps the panel session's events to its
// parts and the user's choices to the session; the conversation with the
// panel is the session's.

#include <QMainWindow>

class Clock;
class ConfigNotebook;
class Dialogs;
class PanelSession;
class PortCatalogue;
class PortMenu;
class QAction;
class QDialog;
class QPushButton;
class QTimer;
class StatusLine;
class StatusPanels;
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
    int SelectedPortNumber() const;

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
    // "Portas de rede" was chosen: the composition root shows that window.
    void NetworkPortsRequested();

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
    // An open under way failed: the menu as before it, one message.
    void OnPortOpenFailed();
    void OnPortFailure(bool writing);

private:
    void BuildLayout();
    void BuildMenus();
    // The entries that need an open port, enabled or not.
    void ShowPortOpen(bool open);
    void OnIdentified(const Identification& identity);
    // A read or write failure: port closed first, list rebuilt, one message.
    void FailPort(const QString& message);
    // Shows a secondary window modally, only while the port is open.
    void ShowWhileOpen(QDialog* window);

    Services services_;

    QDialog* formAtualizacao_ = nullptr;
    QDialog* formDebug_ = nullptr;
    QDialog* formCadastro_ = nullptr;

    StatusLine* statusLine_ = nullptr;
    ConfigNotebook* notebook_ = nullptr;
    StatusPanels* statusPanels_ = nullptr;
    PortMenu* portMenu_ = nullptr;
    QAction* atualizacaoAction_ = nullptr;
    QAction* debugAction_ = nullptr;
    QPushButton* setClockButton_ = nullptr;
    QTimer* timerPolling_ = nullptr;
    QTimer* timeoutSerial_ = nullptr;

    bool failing_ = false;  // a port failure is being reported
};
