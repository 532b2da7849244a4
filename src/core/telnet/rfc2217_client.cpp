#include "core/telnet/rfc2217_client.h"

#include "core/bytes/big_endian.h"

using namespace telnet;

namespace {

constexpr std::size_t Index(Rfc2217Client::Setting setting) { return static_cast<std::size_t>(setting); }

void PutCommand(std::vector<std::uint8_t>& out, std::uint8_t verb, std::uint8_t option)
{
    out.insert(out.end(), {kIac, verb, option});
}

// IAC SB COM-PORT-OPTION command value... IAC SE, the value's 0xFF doubled.
void PutSetting(std::vector<std::uint8_t>& out, std::uint8_t command, const std::uint8_t* value, std::size_t size)
{
    out.insert(out.end(), {kIac, kSb, kComPortOption, command});
    Rfc2217Client::Escape(value, size, out);
    out.insert(out.end(), {kIac, kSe});
}

}  // namespace

const char* SettingName(Rfc2217Client::Setting setting)
{
    switch (setting) {
    case Rfc2217Client::Setting::ComPortOption: return "COM-PORT-OPTION";
    case Rfc2217Client::Setting::BaudRate: return "baud rate";
    case Rfc2217Client::Setting::DataSize: return "data size";
    case Rfc2217Client::Setting::Parity: return "parity";
    case Rfc2217Client::Setting::StopSize: return "stop size";
    }
    return "setting";
}

Rfc2217Client::Rfc2217Client(std::uint32_t baud) : baud_(baud) {}

std::vector<std::uint8_t> Rfc2217Client::Start()
{
    std::vector<std::uint8_t> out;
    PutCommand(out, kWill, kComPortOption);
    PutCommand(out, kWill, kBinary);
    PutCommand(out, kDo, kBinary);
    ours_[kComPortOption].requested = true;
    ours_[kBinary].requested = true;
    theirs_[kBinary].requested = true;
    return out;
}

void Rfc2217Client::Escape(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& out)
{
    out.reserve(out.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == kIac) out.push_back(kIac);
    }
}

std::optional<Rfc2217Client::Setting> Rfc2217Client::Awaited() const
{
    if (state_ == State::AwaitingOption) return Setting::ComPortOption;
    if (state_ != State::AwaitingSettings) return std::nullopt;
    for (Setting setting : {Setting::BaudRate, Setting::DataSize, Setting::Parity, Setting::StopSize}) {
        if (!answered_[Index(setting)]) return setting;
    }
    return std::nullopt;
}

std::vector<std::string> Rfc2217Client::TakeNotes()
{
    std::vector<std::string> notes;
    notes.swap(notes_);
    return notes;
}

bool Rfc2217Client::Supported(std::uint8_t option)
{
    return option == kComPortOption || option == kBinary || option == kSuppressGoAhead;
}

void Rfc2217Client::Receive(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& data,
                            std::vector<std::uint8_t>& toSend)
{
    for (std::size_t i = 0; i < count; ++i) {
        while (ReceiveByte(bytes[i], data, toSend)) {
        }
    }
}

bool Rfc2217Client::ReceiveByte(std::uint8_t byte, std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& toSend)
{
    switch (parse_) {
    case Parse::Data:
        if (byte == kIac) {
            parse_ = Parse::Iac;
        } else {
            data.push_back(byte);
        }
        return false;
    case Parse::Iac:
        if (byte == kIac) {
            data.push_back(kIac);
            parse_ = Parse::Data;
        } else if (byte >= kWill && byte <= kDont) {
            verb_ = byte;
            parse_ = Parse::Option;
        } else if (byte == kSb) {
            parse_ = Parse::SubOption;
        } else {
            parse_ = Parse::Data;  // NOP, GA, AYT, a stray SE...: nothing this link needs
        }
        return false;
    case Parse::Option:
        OnCommand(verb_, byte, toSend);
        parse_ = Parse::Data;
        return false;
    case Parse::SubOption:
        subOption_ = byte;
        sub_.clear();
        subOverflow_ = false;
        parse_ = Parse::SubData;
        return false;
    case Parse::SubData:
        if (byte == kIac) {
            parse_ = Parse::SubIac;
        } else {
            AddToSubnegotiation(byte);
        }
        return false;
    case Parse::SubIac:
        if (byte == kIac) {
            AddToSubnegotiation(kIac);
            parse_ = Parse::SubData;
            return false;
        }
        // IAC SE ends it; any other command ends it too (a server that
        // forgot SE), and the byte is read again as the command it is.
        if (!subOverflow_) OnSubnegotiation();
        parse_ = byte == kSe ? Parse::Data : Parse::Iac;
        return byte != kSe;
    }
    return false;
}

void Rfc2217Client::AddToSubnegotiation(std::uint8_t byte)
{
    if (sub_.size() < kMaxSubnegotiation) {
        sub_.push_back(byte);
    } else {
        subOverflow_ = true;
    }
}

void Rfc2217Client::OnCommand(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& toSend)
{
    // Answer only what changes an option's state, so no two ends can loop
    // on each other's answers (RFC 854's rule).
    const bool toUs = verb == kDo || verb == kDont;  // about what this side performs
    const bool positive = verb == kDo || verb == kWill;
    OptionState& state = toUs ? ours_[option] : theirs_[option];
    const std::uint8_t yes = toUs ? kWill : kDo;
    const std::uint8_t no = toUs ? kWont : kDont;
    const bool wasRequested = state.requested;
    state.requested = false;

    if (positive) {
        if (!Supported(option)) {
            PutCommand(toSend, no, option);
            return;
        }
        if (state.enabled) return;
        state.enabled = true;
        if (!wasRequested) PutCommand(toSend, yes, option);
        if (toUs && option == kComPortOption && state_ == State::AwaitingOption) SendSettings(toSend);
        return;
    }
    if (state.enabled) {
        state.enabled = false;
        PutCommand(toSend, no, option);
    }
    if (option == kComPortOption && toUs && state_ != State::Refused) {
        if (state_ == State::Ready) {
            notes_.push_back("the server turned the COM-PORT-OPTION off; line settings stay as they were");
        } else {
            Refuse(Setting::ComPortOption, 0, std::nullopt);
        }
    } else if (option == kBinary && wasRequested) {
        notes_.push_back(std::string("the server refused binary mode ") + (toUs ? "from the client" : "to the client") +
                         "; line data goes as it is");
    }
}

void Rfc2217Client::SendSettings(std::vector<std::uint8_t>& toSend)
{
    std::uint8_t baud[4];
    PutBigEndian32(baud, baud_);
    PutSetting(toSend, kSetBaudRate, baud, sizeof baud);
    const std::uint8_t dataSize = 8, parity = kParityNone, stopSize = kStopSizeOne, control = kControlNoFlowControl;
    PutSetting(toSend, kSetDataSize, &dataSize, 1);
    PutSetting(toSend, kSetParity, &parity, 1);
    PutSetting(toSend, kSetStopSize, &stopSize, 1);
    // Asked but not awaited: servers in front of a pseudo-terminal never
    // answer it, and the panel's line needs no flow control to be off.
    PutSetting(toSend, kSetControl, &control, 1);
    state_ = State::AwaitingSettings;
}

std::uint32_t Rfc2217Client::Asked(Setting setting) const
{
    switch (setting) {
    case Setting::BaudRate: return baud_;
    case Setting::DataSize: return 8;
    case Setting::Parity: return kParityNone;
    case Setting::StopSize: return kStopSizeOne;
    case Setting::ComPortOption: break;
    }
    return 0;
}

void Rfc2217Client::OnSubnegotiation()
{
    if (subOption_ != kComPortOption || sub_.empty()) return;  // another option's: nothing this link needs
    const std::uint8_t command = sub_[0];
    const std::uint8_t* value = sub_.data() + 1;
    const std::size_t size = sub_.size() - 1;
    switch (command) {
    case kServerOffset + kSetBaudRate:
        if (size == 4) OnSettingAnswer(Setting::BaudRate, GetBigEndian32(value));
        break;
    case kServerOffset + kSetDataSize:
        if (size == 1) OnSettingAnswer(Setting::DataSize, value[0]);
        break;
    case kServerOffset + kSetParity:
        if (size == 1) OnSettingAnswer(Setting::Parity, value[0]);
        break;
    case kServerOffset + kSetStopSize:
        if (size == 1) OnSettingAnswer(Setting::StopSize, value[0]);
        break;
    case kServerOffset + kSetControl:
        if (!controlAnswered_ && size == 1) {
            controlAnswered_ = true;
            notes_.push_back("the server answered the flow control setting with " + std::to_string(value[0]));
        }
        break;
    default:
        break;  // line and modem state notifications, flow control suspend/resume: not needed
    }
}

void Rfc2217Client::OnSettingAnswer(Setting setting, std::uint32_t answered)
{
    // Only the answer to a setting asked and not yet answered counts; what a
    // server says on its own later (another client's change) is noted.
    if (state_ != State::AwaitingSettings || answered_[Index(setting)]) {
        if (state_ == State::Ready && answered != Asked(setting)) {
            notes_.push_back(std::string("the server now reports ") + SettingName(setting) + " " + std::to_string(answered));
        }
        return;
    }
    if (answered != Asked(setting)) {
        Refuse(setting, Asked(setting), answered);
        return;
    }
    answered_[Index(setting)] = true;
    if (Awaited()) return;
    state_ = State::Ready;
    notes_.push_back("the server set " + std::to_string(baud_) + " bit/s, 8 data bits, no parity, 1 stop bit");
    if (!controlAnswered_) notes_.push_back("the server has not answered the flow control setting; going on without it");
}

void Rfc2217Client::Refuse(Setting setting, std::uint32_t asked, std::optional<std::uint32_t> answered)
{
    state_ = State::Refused;
    refusal_ = Refusal{setting, asked, answered};
}
