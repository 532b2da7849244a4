#include "cli/interrupt_watch.h"

#include <QSocketNotifier>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};
struct sigaction previous {};

void OnSigint(int)
{
    const char byte = 1;
    // Async-signal-safe; a full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
}

}  // namespace

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt, QObject* parent)
    : QObject(parent), onInterrupt_(std::move(onInterrupt))
{
    if (pipeEnds[0] >= 0 || ::pipe(pipeEnds) != 0) return;
    for (int end : pipeEnds) ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = OnSigint;
    sigemptyset(&action.sa_mask);
    // The second Ctrl-C meets the default action and ends the program.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    if (::sigaction(SIGINT, &action, &previous) != 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        pipeEnds[0] = pipeEnds[1] = -1;
        return;
    }
    installed_ = true;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &InterruptWatch::Drain);
}

InterruptWatch::~InterruptWatch()
{
    if (!installed_) return;
    ::sigaction(SIGINT, &previous, nullptr);
    delete notifier_;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void InterruptWatch::Drain()
{
    if (!installed_) return;
    char bytes[16];
    bool pressed = false;
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) pressed = true;
    if (pressed && onInterrupt_) onInterrupt_();
}

#else

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt, QObject* parent)
    : QObject(parent), onInterrupt_(std::move(onInterrupt))
{
}

InterruptWatch::~InterruptWatch() = default;

void InterruptWatch::Drain() {}

#endif
