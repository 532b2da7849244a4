#pragma once
// The client's side of a Telnet connection to a serial server that speaks
// the COM-PORT-OPTION (RFC 854 and RFC 2217): the option's negotiation, the
// line settings the panel needs (baud rate, 8 data bits, no parity, 1 stop
// bit) and the server's answers to them, and the Telnet framing of the line's
// bytes (0xFF is doubled on the wire). Bytes in, line data and bytes to send
// out: no socket and no clock here, so every case is tested byte for byte.
// This is no part of the panel's own protocol (core/link); it sits below it,
// between the socket and the frames, and includes nothing but the standard
// library.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace telnet {

inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;
inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kSuppressGoAhead = 3;
inline constexpr std::uint8_t kComPortOption = 44;

// COM-PORT-OPTION commands, client to server; the server answers each with
// the same code plus kServerOffset and the value now in force.
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kServerOffset = 100;

inline constexpr std::uint8_t kParityNone = 1;
inline constexpr std::uint8_t kStopSizeOne = 1;
inline constexpr std::uint8_t kControlNoFlowControl = 1;

}  // namespace telnet

class Rfc2217Client {
public:
    // The settings the panel's line needs, in the order they are asked.
    enum class Setting { ComPortOption, BaudRate, DataSize, Parity, StopSize };
    enum class State {
        AwaitingOption,    // WILL COM-PORT-OPTION sent, the server's DO awaited
        AwaitingSettings,  // the settings sent, their answers awaited
        Ready,             // every setting answered as asked: line data flows
        Refused,           // see GetRefusal()
    };
    struct Refusal {
        Setting setting = Setting::ComPortOption;
        std::uint32_t asked = 0;
        std::optional<std::uint32_t> answered;  // what the server set instead, when it said
    };

    explicit Rfc2217Client(std::uint32_t baud);

    // What opens the conversation: the COM-PORT-OPTION, and binary mode both
    // ways so that no byte of a frame is taken for text.
    std::vector<std::uint8_t> Start();
    // Bytes from the server, in pieces of any size (a command may be split
    // anywhere). Line data is appended to data, answers owed to the server to
    // toSend; in any state, since a server may send line data before its
    // answers.
    void Receive(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& data,
                 std::vector<std::uint8_t>& toSend);
    // Line data as it goes on the wire: every 0xFF doubled.
    static void Escape(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& out);

    State GetState() const { return state_; }
    const std::optional<Refusal>& GetRefusal() const { return refusal_; }
    // The first setting still unanswered, while negotiating.
    std::optional<Setting> Awaited() const;
    // What the server agreed to or left unanswered, for the trace: one line each.
    std::vector<std::string> TakeNotes();

private:
    enum class Parse { Data, Iac, Option, SubOption, SubData, SubIac };
    struct OptionState {
        bool enabled = false;
        bool requested = false;  // asked, answer awaited
    };

    // True when the byte must be read again (it ended a subnegotiation).
    bool ReceiveByte(std::uint8_t byte, std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& toSend);
    void AddToSubnegotiation(std::uint8_t byte);
    void OnCommand(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& toSend);
    void OnSubnegotiation();
    void OnSettingAnswer(Setting setting, std::uint32_t answered);
    void SendSettings(std::vector<std::uint8_t>& toSend);
    void Refuse(Setting setting, std::uint32_t asked, std::optional<std::uint32_t> answered);
    std::uint32_t Asked(Setting setting) const;
    static bool Supported(std::uint8_t option);

    std::uint32_t baud_;
    State state_ = State::AwaitingOption;
    std::optional<Refusal> refusal_;
    std::array<bool, 5> answered_{};  // by Setting
    bool controlAnswered_ = false;
    std::array<OptionState, 256> ours_{};    // options this side performs (WILL/WONT)
    std::array<OptionState, 256> theirs_{};  // options the server performs (DO/DONT)

    Parse parse_ = Parse::Data;
    std::uint8_t verb_ = 0;
    std::uint8_t subOption_ = 0;
    // A subnegotiation longer than any this client reads is skipped to its end.
    static constexpr std::size_t kMaxSubnegotiation = 64;
    std::vector<std::uint8_t> sub_;
    bool subOverflow_ = false;
    std::vector<std::string> notes_;
};

// "COM-PORT-OPTION", "baud rate", "data size", "parity", "stop size".
const char* SettingName(Rfc2217Client::Setting setting);
