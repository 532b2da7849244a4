#include "sim/tcp_host.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool ParsePort(const std::string& text, std::uint16_t& port)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int value = std::stoi(text);
    if (value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

void NonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// Where to listen, numeric: IPv4:PORT or [IPv6]:PORT.
struct Endpoint {
    sockaddr_storage storage{};
    socklen_t length = 0;
    std::string shownHost;  // brackets kept around an IPv6 address
};

std::optional<Endpoint> ParseEndpoint(const std::string& address, std::string& error)
{
    const std::size_t colon = address.rfind(':');
    std::uint16_t port = 0;
    if (colon == std::string::npos || !ParsePort(address.substr(colon + 1), port)) {
        error = "--listen takes ADDRESS:PORT, such as 127.0.0.1:4001 or [::1]:4001";
        return std::nullopt;
    }
    Endpoint endpoint;
    endpoint.shownHost = address.substr(0, colon);
    std::string host = endpoint.shownHost;
    const bool six = host.size() > 2 && host.front() == '[' && host.back() == ']';
    if (six) {
        host = host.substr(1, host.size() - 2);
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&endpoint.storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        endpoint.length = sizeof *in6;
        if (::inet_pton(AF_INET6, host.c_str(), &in6->sin6_addr) == 1) return endpoint;
        error = "--listen: " + host + " is not an IPv6 address";
    } else {
        auto* in4 = reinterpret_cast<sockaddr_in*>(&endpoint.storage);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(port);
        endpoint.length = sizeof *in4;
        if (::inet_pton(AF_INET, host.c_str(), &in4->sin_addr) == 1) return endpoint;
        error = "--listen: " + host + " is not an IPv4 address (a numeric one: no host names)";
    }
    return std::nullopt;
}

}  // namespace

bool TcpHost::CheckAddress(const std::string& address, std::string* error)
{
    std::string reason;
    const bool good = ParseEndpoint(address, reason).has_value();
    if (error) *error = std::move(reason);
    return good;
}

std::unique_ptr<TcpHost> TcpHost::Listen(VirtualPanel& panel, const std::string& address, std::string* error)
{
    auto fail = [error](std::string reason, int fd) -> std::unique_ptr<TcpHost> {
        if (fd >= 0) ::close(fd);
        if (error) *error = std::move(reason);
        return nullptr;
    };
    std::string reason;
    std::optional<Endpoint> endpoint = ParseEndpoint(address, reason);
    if (!endpoint) return fail(reason, -1);
    sockaddr_storage& storage = endpoint->storage;
    socklen_t length = endpoint->length;
    const int fd = ::socket(storage.ss_family, SOCK_STREAM, 0);
    if (fd < 0) return fail(std::string("socket: ") + std::strerror(errno), -1);
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 || ::listen(fd, 4) != 0) {
        return fail(address + ": " + std::strerror(errno), fd);
    }
    NonBlocking(fd);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length);
    const bool six = storage.ss_family == AF_INET6;
    const std::uint16_t bound = six ? ntohs(reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port)
                                    : ntohs(reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
    const std::string shown = endpoint->shownHost + ":" + std::to_string(bound);
    return std::unique_ptr<TcpHost>(new TcpHost(panel, fd, shown));
}

TcpHost::TcpHost(VirtualPanel& panel, int listen, std::string address)
    : panel_(panel), listen_(listen), address_(std::move(address))
{
}

TcpHost::~TcpHost()
{
    DropClient();
    if (listen_ >= 0) ::close(listen_);
}

void TcpHost::Accept()
{
    const int fd = ::accept(listen_, nullptr, nullptr);
    if (fd < 0) return;
    if (client_ >= 0) {
        ::close(fd);  // the line is taken
        return;
    }
    NonBlocking(fd);
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    client_ = fd;
}

void TcpHost::DropClient()
{
    if (client_ >= 0) ::close(client_);
    client_ = -1;
    pending_.clear();
}

std::size_t TcpHost::Pump()
{
    if (client_ < 0) return 0;
    std::size_t received = 0;
    std::uint8_t buffer[4096];
    for (int round = 0; round < 16; ++round) {
        const ssize_t count = ::read(client_, buffer, sizeof buffer);
        if (count > 0) {
            received += static_cast<std::size_t>(count);
            Queue(panel_.Feed(buffer, static_cast<std::size_t>(count)));
            continue;
        }
        if (count < 0 && errno == EINTR) continue;
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            DropClient();  // the client went away
            return received;
        }
        break;
    }
    Queue(panel_.TakeUnsolicited());
    Flush();
    return received;
}

void TcpHost::Tick()
{
    const std::vector<std::uint8_t> said = panel_.Tick();
    if (client_ < 0) return;
    Queue(said);
    Flush();
}

void TcpHost::Queue(const std::vector<std::uint8_t>& bytes)
{
    if (client_ < 0 || pending_.size() + bytes.size() > kMaxPendingBytes) return;  // dropped, as an overrun line drops
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
}

void TcpHost::Flush()
{
    while (!pending_.empty() && client_ >= 0) {
        const ssize_t written = ::send(client_, pending_.data(), pending_.size(), MSG_NOSIGNAL);
        if (written < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) DropClient();
            return;
        }
        pending_.erase(pending_.begin(), pending_.begin() + written);
    }
}
