#pragma once
// A small serial server for the network links' tests, on 127.0.0.1 and a
// thread of its own (the command-line tool's open waits for the server's
// answers without turning the event loop). Written from the Telnet and
// COM-PORT-OPTION descriptions, apart from the tool's own client: it answers
// the option and the settings as a server does, or refuses them, or says
// nothing; in relay modes a software panel answers the line's bytes, with
// Telnet commands the client must skip put between them.
// The panel belongs to the server's thread: touch it only while stopped.

#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/virtual_panel.h"

class FakeSerialServer {
public:
    enum class Mode {
        Rfc2217,       // a serial server in front of the panel; SET-CONTROL left unanswered
        Raw,           // a converter in raw TCP mode in front of the panel
        RawSplit,      // the same, each answer sent in two pieces 2 ms apart, as a
                       // converter forwards a frame the line delivered in two
        RefuseOption,  // DONT COM-PORT-OPTION
        RefuseBaud,    // every baud rate answered with 115200
        Silent,        // accepts, then says nothing
    };

    FakeSerialServer(Mode mode, VirtualPanel::Options options = {}) : mode_(mode), panel_(options) {}
    ~FakeSerialServer() { Stop(); }
    FakeSerialServer(const FakeSerialServer&) = delete;
    FakeSerialServer& operator=(const FakeSerialServer&) = delete;

    // Listens on a free port of 127.0.0.1; the address to give the tool.
    QString Start()
    {
        context_ = std::make_unique<QObject>();
        context_->moveToThread(&thread_);
        thread_.start();
        quint16 port = 0;
        QMetaObject::invokeMethod(context_.get(), [this, &port] {
            server_ = new QTcpServer(context_.get());
            QObject::connect(server_, &QTcpServer::newConnection, context_.get(), [this] { Accept(); });
            server_->listen(QHostAddress::LocalHost, 0);
            port = server_->serverPort();
        }, Qt::BlockingQueuedConnection);
        const char* scheme = Raw() ? "socket" : "rfc2217";
        return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(port);
    }

    void Stop()
    {
        if (!thread_.isRunning()) return;
        QMetaObject::invokeMethod(context_.get(), [this] {
            delete server_;  // its connections with it
            server_ = nullptr;
            QThread::currentThread()->quit();
        }, Qt::BlockingQueuedConnection);
        thread_.wait();
        context_.reset();
    }

    VirtualPanel& Panel() { return panel_; }
    // The baud rates the client asked for, in order.
    const std::vector<std::uint32_t>& BaudRatesAsked() const { return baudRates_; }

private:
    enum class Parse { Data, Iac, Option, Sub, SubIac };

    void Accept()
    {
        QTcpSocket* socket = server_->nextPendingConnection();
        parse_ = Parse::Data;
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Receive(*socket); });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    void Receive(QTcpSocket& socket)
    {
        const QByteArray bytes = socket.readAll();
        if (mode_ == Mode::Silent) return;
        std::vector<std::uint8_t> line;
        QByteArray answer;
        for (const char c : bytes) {
            const auto byte = static_cast<std::uint8_t>(c);
            if (Raw()) {
                line.push_back(byte);
                continue;
            }
            switch (parse_) {
            case Parse::Data:
                if (byte == 0xFF) parse_ = Parse::Iac;
                else line.push_back(byte);
                break;
            case Parse::Iac:
                if (byte == 0xFF) {
                    line.push_back(0xFF);
                    parse_ = Parse::Data;
                } else if (byte >= 251 && byte <= 254) {
                    verb_ = byte;
                    parse_ = Parse::Option;
                } else {
                    parse_ = byte == 250 ? Parse::Sub : Parse::Data;
                    sub_.clear();
                }
                break;
            case Parse::Option:
                Negotiate(verb_, byte, answer);
                parse_ = Parse::Data;
                break;
            case Parse::Sub:
                if (byte == 0xFF) parse_ = Parse::SubIac;
                else sub_.push_back(byte);
                break;
            case Parse::SubIac:
                if (byte == 0xFF) {
                    sub_.push_back(0xFF);
                    parse_ = Parse::Sub;
                } else {
                    Set(answer);
                    parse_ = Parse::Data;
                }
                break;
            }
        }
        if (!line.empty()) {
            const std::vector<std::uint8_t> said = panel_.Feed(line.data(), line.size());
            if (Raw()) answer.append(reinterpret_cast<const char*>(said.data()), qsizetype(said.size()));
            else Escape(said, answer);
        }
        if (mode_ == Mode::RawSplit && answer.size() > 1) {
            // The socket merges small writes (Nagle's algorithm, on by
            // default): the second piece waits for the first one's
            // acknowledgement.
            const QByteArray rest = answer.mid(answer.size() / 2);
            answer.truncate(answer.size() / 2);
            QTimer::singleShot(2, &socket, [&socket, rest] { socket.write(rest); });
        }
        if (!answer.isEmpty()) socket.write(answer);
    }

    bool Raw() const { return mode_ == Mode::Raw || mode_ == Mode::RawSplit; }

    void Negotiate(std::uint8_t verb, std::uint8_t option, QByteArray& answer)
    {
        const bool asksUs = verb == 251;  // WILL: the client offers; DO: the client asks us
        const bool known = option == 44 || option == 0;
        if (verb != 251 && verb != 253) return;
        std::uint8_t reply = known ? (asksUs ? 253 : 251) : (asksUs ? 254 : 252);
        if (option == 44 && mode_ == Mode::RefuseOption) reply = 254;
        answer.append(char(0xFF)).append(char(reply)).append(char(option));
    }

    // A setting of the COM-PORT-OPTION, answered with the value in force.
    void Set(QByteArray& answer)
    {
        if (sub_.size() < 2 || sub_[0] != 44 || sub_[1] == 5) return;  // SET-CONTROL: no answer, as ser2net on a pty
        std::vector<std::uint8_t> value(sub_.begin() + 2, sub_.end());
        if (sub_[1] == 1 && value.size() == 4) {
            baudRates_.push_back(std::uint32_t{value[0]} << 24 | std::uint32_t{value[1]} << 16 | value[2] << 8 | value[3]);
            if (mode_ == Mode::RefuseBaud) value = {0x00, 0x01, 0xC2, 0x00};
        }
        answer.append(QByteArray("\xFF\xFA\x2C", 3)).append(char(sub_[1] + 100));
        Escape(value, answer);
        answer.append(QByteArray("\xFF\xF0", 2));
    }

    // The line's bytes with 0xFF doubled, and in a longer piece a NOP and a
    // modem state notification in the middle: what the client must skip.
    static void Escape(const std::vector<std::uint8_t>& bytes, QByteArray& out)
    {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            out.append(char(bytes[i]));
            if (bytes[i] == 0xFF) out.append(char(0xFF));
            if (i == bytes.size() / 2 && bytes.size() > 4) out.append(QByteArray("\xFF\xF1\xFF\xFA\x2C\x6B\x30\xFF\xF0", 9));
        }
    }

    Mode mode_;
    VirtualPanel panel_;
    QThread thread_;
    std::unique_ptr<QObject> context_;
    QTcpServer* server_ = nullptr;
    Parse parse_ = Parse::Data;
    std::uint8_t verb_ = 0;
    std::vector<std::uint8_t> sub_;
    std::vector<std::uint32_t> baudRates_;
};
