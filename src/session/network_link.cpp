#include "session/network_link.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <algorithm>
#include <vector>

#if defined(Q_OS_UNIX)
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace {

// Keep-alive probes after 5 s of silence, every 2 s, 3 unanswered: a server
// that vanished without a word (a cable pulled, a converter switched off) is
// found in about 11 s instead of the system's two hours. Data unacknowledged
// for 10 s fails the connection too.
constexpr int kKeepAliveIdleSeconds = 5;
constexpr int kKeepAliveIntervalSeconds = 2;
constexpr int kKeepAliveProbes = 3;
constexpr unsigned kUnacknowledgedMs = 10000;

}  // namespace

NetworkLink::NetworkLink(QObject* parent) : ByteLink(parent)
{
    stepTimer_.setSingleShot(true);
    // The time-out said in the message is the time waited, not 5 % less.
    stepTimer_.setTimerType(Qt::PreciseTimer);
    connect(&stepTimer_, &QTimer::timeout, this, &NetworkLink::OnStepExpired);
    connect(&socket_, &QTcpSocket::stateChanged, this, &NetworkLink::OnStateChanged);
    connect(&socket_, &QTcpSocket::connected, this, &NetworkLink::OnConnected);
    connect(&socket_, &QTcpSocket::readyRead, this, &NetworkLink::OnReadyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, &NetworkLink::OnLost);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &NetworkLink::OnLost);
}

NetworkLink::~NetworkLink()
{
    // No events to a dying owner.
    socket_.disconnect(this);
    socket_.abort();
}

LinkOpenFailure NetworkLink::Failure(LinkOpenFailure::Kind kind) const
{
    LinkOpenFailure failure;
    failure.kind = kind;
    failure.address = QString::fromStdString(address_.Text());
    return failure;
}

void NetworkLink::ArmStep(int timeoutMs)
{
    stepDeadline_.setRemainingTime(timeoutMs);
    stepTimer_.start(timeoutMs);
}

void NetworkLink::FailOpen(LinkOpenFailure failure)
{
    failure_ = std::move(failure);
    step_ = Step::Idle;
    stepTimer_.stop();
    socket_.abort();
    telnet_.reset();
    readable_.clear();
    emit OpenFailed();
}

void NetworkLink::FinishOpen()
{
    step_ = Step::Idle;
    stepTimer_.stop();
    open_ = true;
    emit Opened();
    // What the line said while it was being set up is read as any later bytes are.
    if (open_ && !readable_.isEmpty()) QMetaObject::invokeMethod(this, &NetworkLink::DataAvailable, Qt::QueuedConnection);
}

void NetworkLink::StartOpen(int, qint32 baud)
{
    if (open_ || step_ != Step::Idle) return;
    failure_.reset();
    readable_.clear();
    telnet_.reset();
    failed_ = false;
    baud_ = baud;
    socket_.abort();
    step_ = Step::Connecting;
    // The name's look-up is bounded as the connection is: each gets the
    // connect time-out (see OnStateChanged).
    ArmStep(timeouts_.connectMs);
    socket_.connectToHost(QString::fromStdString(address_.host), address_.port);
}

bool NetworkLink::Open(int comNumber, qint32 baud)
{
    if (open_) return true;
    StartOpen(comNumber, baud);
    // Waits in the socket alone, bounded, with no event loop turned: its
    // signals come from inside the waits and move the open along.
    while (step_ != Step::Idle) {
        // Checked first: a server that keeps talking without settling
        // anything ends at the deadline too.
        if (stepDeadline_.hasExpired()) {
            OnStepExpired();
            break;
        }
        const int left = static_cast<int>(std::max<qint64>(1, stepDeadline_.remainingTime()));
        if (step_ == Step::Connecting) {
            if (socket_.waitForConnected(left) && step_ == Step::Connecting) OnConnected();
        } else {
            socket_.waitForReadyRead(left);
        }
        if (step_ != Step::Idle && socket_.state() == QAbstractSocket::UnconnectedState) OnLost();
    }
    return open_;
}

void NetworkLink::OnStateChanged(QAbstractSocket::SocketState state)
{
    if (step_ == Step::Connecting && state == QAbstractSocket::ConnectingState) ArmStep(timeouts_.connectMs);
}

void NetworkLink::OnConnected()
{
    if (step_ != Step::Connecting) return;
    TuneSocket();
    if (address_.scheme != NetworkAddress::Scheme::Rfc2217) {
        FinishOpen();
        return;
    }
    step_ = Step::Negotiating;
    ArmStep(timeouts_.negotiationMs);
    telnet_ = std::make_unique<Rfc2217Client>(static_cast<std::uint32_t>(baud_));
    const std::vector<std::uint8_t> start = telnet_->Start();
    socket_.write(reinterpret_cast<const char*>(start.data()), static_cast<qint64>(start.size()));
    // A server may have spoken first.
    if (socket_.bytesAvailable() > 0) OnReadyRead();
}

void NetworkLink::CheckNegotiation()
{
    using State = Rfc2217Client::State;
    if (step_ != Step::Negotiating) return;
    if (telnet_->GetState() == State::AwaitingOption || telnet_->GetState() == State::AwaitingSettings) return;
    if (const auto& refusal = telnet_->GetRefusal()) {
        LinkOpenFailure failure = Failure(LinkOpenFailure::Kind::SettingRefused);
        failure.setting = refusal->setting;
        failure.asked = refusal->asked;
        failure.answered = refusal->answered;
        FailOpen(std::move(failure));
        return;
    }
    FinishOpen();
}

void NetworkLink::OnStepExpired()
{
    if (step_ == Step::Connecting) {
        LinkOpenFailure failure = Failure(LinkOpenFailure::Kind::ConnectTimedOut);
        failure.timeoutMs = timeouts_.connectMs;
        FailOpen(std::move(failure));
    } else if (step_ == Step::Negotiating) {
        LinkOpenFailure failure = Failure(LinkOpenFailure::Kind::NotAnswered);
        failure.setting = telnet_->Awaited().value_or(Rfc2217Client::Setting::ComPortOption);
        failure.timeoutMs = timeouts_.negotiationMs;
        FailOpen(std::move(failure));
    }
}

void NetworkLink::TuneSocket()
{
    // A frame leaves at once rather than waiting to be merged with the next.
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#if defined(Q_OS_UNIX) && defined(TCP_KEEPIDLE)
    const auto fd = static_cast<int>(socket_.socketDescriptor());
    const int idle = kKeepAliveIdleSeconds, interval = kKeepAliveIntervalSeconds, probes = kKeepAliveProbes;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
#if defined(TCP_USER_TIMEOUT)
    const unsigned unacknowledged = kUnacknowledgedMs;
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &unacknowledged, sizeof unacknowledged);
#endif
#endif
}

void NetworkLink::AcknowledgeNow()
{
#if defined(Q_OS_LINUX) && defined(TCP_QUICKACK)
    // A server that merges small writes (Nagle's algorithm, the default of
    // ser2net's and many converters' sockets) holds the rest of a frame
    // until its first piece is acknowledged, and the system delays that
    // acknowledgement up to 40 ms, hoping to carry it on an answer that
    // waits for the whole frame: every split frame would stall. The
    // setting lasts until the system's next choice, so it is renewed on
    // each read.
    const int on = 1;
    ::setsockopt(static_cast<int>(socket_.socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#endif
}

bool NetworkLink::TakeIncoming()
{
    const QByteArray incoming = socket_.readAll();
    if (incoming.isEmpty()) return false;
    AcknowledgeNow();
    if (!telnet_) {
        readable_.append(incoming);
        return true;
    }
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> answers;
    telnet_->Receive(reinterpret_cast<const std::uint8_t*>(incoming.constData()), static_cast<std::size_t>(incoming.size()),
                     data, answers);
    if (!answers.empty()) socket_.write(reinterpret_cast<const char*>(answers.data()), static_cast<qint64>(answers.size()));
    for (const std::string& note : telnet_->TakeNotes()) emit Note(QString::fromStdString(note));
    readable_.append(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
    return !data.empty();
}

void NetworkLink::OnReadyRead()
{
    if (step_ == Step::Negotiating) {
        TakeIncoming();
        CheckNegotiation();
        return;
    }
    if (!open_) return;
    if (TakeIncoming()) emit DataAvailable();
}

void NetworkLink::OnLost()
{
    if (step_ == Step::Connecting) {
        if (socket_.state() != QAbstractSocket::UnconnectedState) return;
        LinkOpenFailure failure;
        switch (socket_.error()) {
        case QAbstractSocket::HostNotFoundError: failure = Failure(LinkOpenFailure::Kind::HostNotFound); break;
        case QAbstractSocket::ConnectionRefusedError: failure = Failure(LinkOpenFailure::Kind::ConnectionRefused); break;
        case QAbstractSocket::SocketTimeoutError: failure = Failure(LinkOpenFailure::Kind::ConnectTimedOut); break;
        default: failure = Failure(LinkOpenFailure::Kind::NetworkError); break;
        }
        failure.systemText = socket_.errorString();
        failure.timeoutMs = timeouts_.connectMs;
        FailOpen(std::move(failure));
        return;
    }
    if (step_ == Step::Negotiating) {
        // Answers that came with the end may still settle it.
        if (socket_.bytesAvailable() > 0) OnReadyRead();
        if (step_ != Step::Negotiating || socket_.state() == QAbstractSocket::ConnectedState) return;
        LinkOpenFailure failure = Failure(LinkOpenFailure::Kind::ServerClosed);
        failure.systemText = socket_.errorString();
        FailOpen(std::move(failure));
        return;
    }
    if (!open_ || failed_) return;
    // The bytes that came before the end are still the line's.
    if (socket_.bytesAvailable() > 0 && TakeIncoming()) emit DataAvailable();
    if (socket_.state() == QAbstractSocket::ConnectedState) return;  // an error that left the connection up
    failed_ = true;
    emit Note(QStringLiteral("connection to %1 lost: %2").arg(QString::fromStdString(address_.Text()), socket_.errorString()));
    emit Failed(false);
}

bool NetworkLink::Close()
{
    if (step_ != Step::Idle) {
        step_ = Step::Idle;
        stepTimer_.stop();
        socket_.abort();
        telnet_.reset();
        readable_.clear();
        return true;
    }
    if (!open_) return true;
    open_ = false;
    if (socket_.state() == QAbstractSocket::ConnectedState && socket_.bytesToWrite() > 0) socket_.flush();
    socket_.abort();
    telnet_.reset();
    readable_.clear();
    failed_ = false;
    emit Closed();
    return true;
}

bool NetworkLink::Write(const std::uint8_t* bytes, std::size_t count)
{
    if (!open_ || failed_ || socket_.state() != QAbstractSocket::ConnectedState) return false;
    qint64 written;
    if (telnet_) {
        std::vector<std::uint8_t> escaped;
        Rfc2217Client::Escape(bytes, count, escaped);
        written = socket_.write(reinterpret_cast<const char*>(escaped.data()), static_cast<qint64>(escaped.size()));
        return written == static_cast<qint64>(escaped.size());
    }
    written = socket_.write(reinterpret_cast<const char*>(bytes), static_cast<qint64>(count));
    return written == static_cast<qint64>(count);
}

void NetworkLink::FlushWrites(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (open_ && socket_.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!socket_.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
    }
}

qint64 NetworkLink::Read(std::uint8_t* buffer, qint64 max)
{
    if (!open_) return -1;
    const qint64 count = std::min<qint64>(max, readable_.size());
    std::copy_n(readable_.constData(), count, reinterpret_cast<char*>(buffer));
    readable_.remove(0, static_cast<qsizetype>(count));
    return count;
}
