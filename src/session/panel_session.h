#pragma once
// One conversation with a panel, without any window: the byte link (a
// serial port, or a link in memory), the receive assembler and dispatcher, link supervision, the handling of
// configuration answers and acknowledgements, and the fill steps pages
// register for their blocks. The main window only maps what this raises to
// its controls; a headless tool can drive a panel through the same object.

#include <QObject>
#include <QtGlobal>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "core/link/config_answer_handling.h"
#include "core/link/frame_assembler.h"
#include "core/link/frame_dispatcher.h"
#include "core/link/link_supervision.h"
#include "core/link/outgoing.h"
#include "core/panel/device_identity.h"

class ByteLink;
class FrameTraceFile;
class PortCatalogue;

class PanelSession : public QObject, private LinkReceiver {
    Q_OBJECT
public:
    // The session owns its link.
    explicit PanelSession(std::unique_ptr<ByteLink> link, QObject* parent = nullptr);
    // On the serial port of a COM number.
    explicit PanelSession(const PortCatalogue& ports, QObject* parent = nullptr);
    ~PanelSession() override;

    // ---- The port ----
    enum class OpenResult { Opened, InvalidNumber, Failed };
    // Opening starts from "not identified"; COM number 0 is no port at all.
    OpenResult OpenPort(int comNumber, qint32 baud);
    // False when the port would not close. Nothing happens when it is closed.
    bool ClosePort();
    bool IsPortOpen() const;
    int ComNumber() const { return comNumber_; }
    qint32 Baud() const { return baud_; }

    // ---- Sending ----
    // The one way to send to the panel; false when nothing went out. Dropped
    // silently while the port or the link is not open. A payload over the
    // frame's limit is a programming error: it fails loudly in a debug build
    // and is refused with a warning otherwise, never cut.
    bool Send(const Outgoing& outgoing);
    // Sets the panel's clock, without any check of the port or the device.
    void SendPanelTime(std::int64_t secondsSinceEpoch);

    // ---- The identified panel ----
    // Writes are refused unless a supported model answered within the last
    // five ticks.
    bool IsEquipmentConnected() const { return supervision_.IsEquipmentConnected(); }
    std::uint8_t ModelCode() const { return supervision_.ModelCode(); }
    bool LinkOpen() const { return supervision_.LinkOpen(); }
    const LinkSupervision& Supervision() const { return supervision_; }
    // One tick of the one-second supervision: may send the identification
    // request and raise IdentificationLapsed.
    void Tick();

    // ---- Configuration answers ----
    // A write was sent / a read is about to be sent: an acknowledgement then
    // reports the write, or stays silent.
    void SetWritePending() { answers_.SetWritePending(); }
    void ClearWritePending() { answers_.ClearWritePending(); }
    bool WritePending() const { return answers_.WritePending(); }
    // A page's fill step for its block: run with the answer's payload (block
    // id first) once its length has been accepted.
    using FillStep = std::function<void(const std::uint8_t* payload, std::uint8_t length)>;
    void RegisterFillStep(std::uint8_t blockId, FillStep step);

    // Every frame both ways, and the bytes dropped between frames, go to the
    // trace as well; nullptr stops tracing. The trace outlives the session.
    void SetTrace(FrameTraceFile* trace) { trace_ = trace; }

    // Where received frames of the other roles go; windows register here.
    FrameReceivers& Receivers() { return dispatcher_.receivers(); }

signals:
    void PortOpened();
    void PortClosed();
    // A read or write failure while open, once per burst. The port is still
    // open: the owner closes it before telling anyone.
    void PortFailed(bool writing);
    // Every identification frame, supported model or not.
    void Identified(const Identification& identity);
    // The shown identification was not refreshed in time.
    void IdentificationLapsed();
    // The result of the last configuration exchange, for the status line.
    void StatusLine(const StatusLineText& status);

private:
    void OnLinkOpened();
    void OnDataAvailable();
    void Feed(const std::uint8_t* bytes, std::size_t count);
    // LinkReceiver
    void HandleConfigResponse(const std::uint8_t* payload, std::uint8_t length) override;
    void HandleIdentification(const std::uint8_t* payload, std::uint8_t length) override;
    void HandleAckStatus() override;
    void HandleNackStatus() override;

    ByteLink* link_;  // a child of the session
    int comNumber_ = 0;
    qint32 baud_ = 115200;
    FrameAssembler assembler_;
    FrameDispatcher dispatcher_;
    LinkSupervision supervision_;
    ConfigAnswerHandling answers_;
    std::map<std::uint8_t, FillStep> fillSteps_;
    bool receiving_ = false;  // the receive path is running
    FrameTraceFile* trace_ = nullptr;
};
