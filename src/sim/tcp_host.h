#pragma once
// Serves a VirtualPanel over raw TCP, as a serial-to-Ethernet converter in
// raw mode would: one client at a time (a serial line has one far end; a
// second connection is closed at once), the line's bytes as they are.
// POSIX sockets only, no Qt. It answers as fast as the client reads: raw TCP
// carries no line speed to pace by.
//
// Driving it: call Accept() when ListenFd() is readable, Pump() when
// ClientFd() is readable (or writable while HasPendingOutput()), Tick()
// once a second.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/virtual_panel.h"

class TcpHost {
public:
    static constexpr std::size_t kMaxPendingBytes = 64 * 1024;

    // Listens on "IPv4:PORT" or "[IPv6]:PORT", numeric only; port 0 takes a
    // free one (see Address()). Null on failure, with the reason in *error.
    // Whether Listen would take address (its form only), and why not.
    static bool CheckAddress(const std::string& address, std::string* error = nullptr);
    static std::unique_ptr<TcpHost> Listen(VirtualPanel& panel, const std::string& address, std::string* error = nullptr);
    ~TcpHost();
    TcpHost(const TcpHost&) = delete;
    TcpHost& operator=(const TcpHost&) = delete;

    int ListenFd() const { return listen_; }
    int ClientFd() const { return client_; }
    // Where it listens, the port as bound: "127.0.0.1:40123".
    const std::string& Address() const { return address_; }

    void Accept();
    // Reads what the client sent, feeds the panel and writes its answers;
    // a client gone is closed. Returns the bytes read.
    std::size_t Pump();
    bool HasPendingOutput() const { return !pending_.empty(); }
    void Tick();

private:
    TcpHost(VirtualPanel& panel, int listen, std::string address);
    void Queue(const std::vector<std::uint8_t>& bytes);
    void Flush();
    void DropClient();

    VirtualPanel& panel_;
    int listen_ = -1;
    int client_ = -1;
    std::string address_;
    std::vector<std::uint8_t> pending_;
};
