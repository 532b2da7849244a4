#pragma once
// "Portas de rede": the network addresses the installer gave COM numbers,
// as virtual-COM drivers do, so that a panel behind a serial server opens
// from "Numero porta" like any other. Lists, adds and removes the pairs; a
// number a device already has is refused. Keeping them (the catalogue, the
// settings) is its owner's business: it says what the list became.

#include <QDialog>
#include <map>

#include "ports/network_address.h"

class Dialogs;
class PortCatalogue;
class QLineEdit;
class QSpinBox;
class QTableWidget;

class TFormPortasRede : public QDialog {
    Q_OBJECT
public:
    TFormPortasRede(const PortCatalogue& ports, Dialogs& dialogs, QWidget* parent = nullptr);

    // The pairs to show, as they stand when the window opens.
    void ShowPorts(std::map<int, NetworkAddress> ports);
    const std::map<int, NetworkAddress>& Ports() const { return ports_; }

signals:
    void PortsChanged(const std::map<int, NetworkAddress>& ports);

private:
    void AddClicked();
    void RemoveClicked();
    void Fill();

    const PortCatalogue& catalogue_;
    Dialogs& dialogs_;
    std::map<int, NetworkAddress> ports_;
    QTableWidget* grid_ = nullptr;
    QSpinBox* number_ = nullptr;
    QLineEdit* address_ = nullptr;
};
