#pragma once
// Why a link did not open, when it can say more than "it did not open": a
// serial port has the device's path to look at, a network link only what
// happened on the way to the server. Values only; the window and the
// command-line tool put them into words.

#include <QString>
#include <cstdint>
#include <optional>

#include "core/telnet/rfc2217_client.h"

struct LinkOpenFailure {
    enum class Kind {
        HostNotFound,       // the name did not resolve
        ConnectionRefused,  // nothing listens at the address
        ConnectTimedOut,    // no answer within the connect time-out
        NetworkError,       // any other failure to connect (see systemText)
        ServerClosed,       // the server closed the connection while the line was set up
        NotAnswered,        // the server did not answer setting within the time-out
        SettingRefused,     // the server refused setting (answered: what it set instead)
    };
    Kind kind = Kind::NetworkError;
    QString address;     // as the installer wrote it, scheme included
    QString systemText;  // the system's own words, where it had some
    int timeoutMs = 0;
    Rfc2217Client::Setting setting = Rfc2217Client::Setting::ComPortOption;
    std::uint32_t asked = 0;
    std::optional<std::uint32_t> answered;
};
