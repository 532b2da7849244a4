#pragma once
// The firmware update window, shown modally from the main window.

#include <QDialog>
#include <cstdint>

class TFormAtualizacao : public QDialog {
    Q_OBJECT
public:
    explicit TFormAtualizacao(QWidget* parent = nullptr);

    // Every identification frame lands here, whether or not an update runs:
    // the update compares the device's model with the image's.
    void ReceiveIdentification(std::uint8_t model, std::uint8_t version);
    std::uint8_t DeviceModel() const { return deviceModel_; }
    std::uint8_t DeviceVersion() const { return deviceVersion_; }
    bool IdentReceived() const { return identReceived_; }

private:
    std::uint8_t deviceModel_ = 0;
    std::uint8_t deviceVersion_ = 0;
    bool identReceived_ = false;
};
