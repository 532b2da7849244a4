#pragma once
// The firmware update window, shown modally from the main window.

#include <QDialog>
#include <cstdint>

class Dialogs;
class PanelSession;
struct Identification;

class TFormAtualizacao : public QDialog {
    Q_OBJECT
public:
    TFormAtualizacao(PanelSession& session, Dialogs& dialogs, QWidget* parent = nullptr);

    std::uint8_t DeviceModel() const { return deviceModel_; }
    std::uint8_t DeviceVersion() const { return deviceVersion_; }
    bool IdentReceived() const { return identReceived_; }

private:
    // Every identification frame lands here, whether or not an update runs:
    // the update compares the device's model with the image's.
    void ReceiveIdentification(const Identification& identity);

    PanelSession& session_;
    Dialogs& dialogs_;
    std::uint8_t deviceModel_ = 0;
    std::uint8_t deviceVersion_ = 0;
    bool identReceived_ = false;
};
