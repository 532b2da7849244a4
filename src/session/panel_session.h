#pragma once
// One conversation with a panel, without any window. The session owns the
// byte link (a serial port, or a link in memory), cuts what arrives into
// frames, supervises the link, and speaks in requests and answers: each
// request below is answered by a typed signal, and which request is
// outstanding (a write, whose acknowledgement it is) is the session's
// business alone. Signals take any number of listeners: the windows, the
// drivers of long processes and the command-line tool all listen here.

#include <QObject>
#include <QtGlobal>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/link/link_supervision.h"
#include "core/link/outgoing.h"
#include "core/panel/device_identity.h"
#include "session/link_open_failure.h"

class ByteLink;
class FrameTraceFile;
class PortCatalogue;
struct RfSensorRecord;

class PanelSession : public QObject {
    Q_OBJECT
public:
    // The session owns its link.
    explicit PanelSession(std::unique_ptr<ByteLink> link, QObject* parent = nullptr);
    // On the port of a COM number: its serial device, or the network
    // address the catalogue gives it.
    explicit PanelSession(const PortCatalogue& ports, QObject* parent = nullptr);
    ~PanelSession() override;

    // ---- The port ----
    enum class OpenResult { Opened, InvalidNumber, Failed };
    // Opening starts from "not identified"; COM number 0 is no port at all.
    // Waits until the port is open or failed to (a network port connects
    // and agrees its line first): for a program that runs one command.
    OpenResult OpenPort(int comNumber, qint32 baud);
    // Starts opening and returns; PortOpened or PortOpenFailed follows, at
    // once for a local port, once connected and set up for a network port.
    // False, with no signal, for COM number 0. What a window uses.
    bool StartOpeningPort(int comNumber, qint32 baud);
    // False when the port would not close. Nothing happens when it is
    // closed; an open under way is given up.
    bool ClosePort();
    bool IsPortOpen() const;
    bool IsPortOpening() const;
    // Why the last OpenPort failed, when the link can tell (a network link).
    std::optional<LinkOpenFailure> OpenFailure() const;
    int ComNumber() const { return comNumber_; }
    qint32 Baud() const { return baud_; }

    // ---- Requests, each answered by the signals named ----
    // Requests go out only while the port and the link are open; otherwise
    // they are dropped without a word, as on a line with nobody on it.
    // Identified.
    void Identify();
    // BlockRead with the block, or ReadRefused.
    void ReadBlock(std::uint8_t blockId);
    // A block, id first: WriteAccepted or WriteRefused. The write counts as
    // outstanding even when it could not go out.
    void WriteBlock(const std::vector<std::uint8_t>& block);
    // The record of sensor number 1 to 2048: RfRecordReceived, or ReadRefused.
    void ReadRfRecord(std::int32_t sensorNumber);
    // WriteAccepted or WriteRefused.
    void WriteRfRecord(const RfSensorRecord& record);
    // Every enrolled sensor: acknowledged, but no write of the status line's.
    void DeleteAllRfRecords();
    // StatusPageReceived.
    void RequestStatusPage(std::uint8_t page);
    // The user's code and partition 1 to 3: WriteAccepted or WriteRefused.
    void Arm(std::int32_t userCode, std::uint8_t partition);
    void Disarm(std::int32_t userCode, std::uint8_t partition);
    // Sets the panel's clock, without any check of the device; no answer.
    void SendPanelTime(std::int64_t secondsSinceEpoch);
    // A machine's own command (the enrolment, the update), answered by the
    // frames of its process (Acknowledged, RfReportReceived, PacketRequested,
    // ...); no request of the status line's. False when nothing went out.
    // A payload over the frame's limit is a programming error: it fails
    // loudly in a debug build and is refused with a warning otherwise,
    // never cut.
    bool Send(const Outgoing& outgoing);

    // A write was sent and its acknowledgement has not come.
    bool WritePending() const;
    // Waits, at most timeoutMs, until everything sent has left the port:
    // a tool about to end sends its last command (one no answer follows)
    // before the port closes.
    void FlushWrites(int timeoutMs = 1000);

    // ---- The identified panel ----
    // Writes are refused unless a supported model answered within the last
    // five ticks.
    bool IsEquipmentConnected() const { return supervision_.IsEquipmentConnected(); }
    std::uint8_t ModelCode() const { return supervision_.ModelCode(); }
    bool LinkOpen() const { return supervision_.LinkOpen(); }
    // One tick of the one-second supervision: may send the identification
    // request and raise IdentificationLapsed.
    void Tick();

    // Every frame both ways, and the bytes dropped between frames, go to the
    // trace as well; nullptr stops tracing. The trace outlives the session.
    void SetTrace(FrameTraceFile* trace) { trace_ = trace; }

signals:
    void PortOpened();
    // A StartOpeningPort ended without the port open (OpenFailure says why).
    void PortOpenFailed();
    void PortClosed();
    // A read or write failure while open, once per burst. The port is still
    // open: the owner closes it before telling anyone.
    void PortFailed(bool writing);

    // Every identification frame, supported model or not.
    void Identified(const Identification& identity);
    // The shown identification was not refreshed in time.
    void IdentificationLapsed();
    // A configuration block (id first) of a length its block accepts,
    // whoever asked for it; answers of other lengths are dropped.
    void BlockRead(const std::vector<std::uint8_t>& block);
    // The outstanding write (a block, an RF record, arm or disarm) was
    // acknowledged, or refused.
    void WriteAccepted();
    void WriteRefused();
    // A negative acknowledgement with no write outstanding: a read refused.
    void ReadRefused();
    // A record of the RF sensor table, of whatever length it came.
    void RfRecordReceived(const std::vector<std::uint8_t>& record);
    // A sensor's transmission, reported while the panel listens.
    void RfReportReceived(const std::vector<std::uint8_t>& report);
    // A status page, of whatever length it came.
    void StatusPageReceived(const std::vector<std::uint8_t>& page);
    // The bootloader asks for a packet, or reports the update's result.
    void PacketRequested(const std::vector<std::uint8_t>& request);
    void UpdateResultReceived(const std::vector<std::uint8_t>& result);
    // Every acknowledgement, after what it meant to the outstanding write:
    // the long processes take theirs from here.
    void Acknowledged();
    void NegativelyAcknowledged();

private:
    class Inbound;

    // The number and speed of an open asked for; false for COM number 0.
    bool PrepareOpen(int comNumber, qint32 baud);
    void SendWrite(const Outgoing& outgoing);
    void SendRead(const Outgoing& outgoing);
    void OnLinkOpened();
    void OnDataAvailable();
    void Feed(const std::uint8_t* bytes, std::size_t count);

    ByteLink* link_;  // a child of the session
    std::unique_ptr<Inbound> inbound_;
    LinkSupervision supervision_;
    int comNumber_ = 0;
    qint32 baud_ = 115200;
    bool receiving_ = false;  // the receive path is running
    FrameTraceFile* trace_ = nullptr;
};
