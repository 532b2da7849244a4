#pragma once
// The main window's "Porta Serial" menu: open and close, the port number
// chosen among the ports the catalogue finds, and the link speed. It knows
// which port and speed are chosen; opening them is the window's business.

#include <QObject>
#include <vector>

class PortCatalogue;
class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

class PortMenu : public QObject {
    Q_OBJECT
public:
    // Adds the menu to the bar, in the bar's order of the calls.
    PortMenu(QMenuBar& bar, const PortCatalogue& ports, QObject* parent);

    // Lists the ports anew. The first scan checks the first port; a rescan
    // keeps the one chosen while it is still listed, and chooses none when
    // it is gone.
    void Rebuild();
    // Checks the port-number entry of a listed port, as a click on it would.
    bool SelectPort(int number);
    int SelectedPortNumber() const { return selectedPortNumber_; }
    qint32 SelectedBaud() const;

    // Open: "Fechar" only; closed: "Abrir", the port and the speed.
    void ShowPortOpen(bool open);

signals:
    void OpenRequested();
    void CloseRequested();
    // "Portas de rede": the addresses given COM numbers.
    void NetworkPortsRequested();

private:
    const PortCatalogue& ports_;
    QAction* abrir_ = nullptr;
    QAction* fechar_ = nullptr;
    QMenu* portNumbers_ = nullptr;
    QMenu* speeds_ = nullptr;
    QActionGroup* portGroup_ = nullptr;
    std::vector<QAction*> baudActions_;
    int selectedPortNumber_ = 0;
};
