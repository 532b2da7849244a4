#include "core/telnet/rfc2217_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Setting = Rfc2217Client::Setting;
using State = Rfc2217Client::State;

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Bytes kDoComPort{0xFF, 0xFD, 44};
const Bytes kBaud9600Answer{0xFF, 0xFA, 44, 101, 0x00, 0x00, 0x25, 0x80, 0xFF, 0xF0};
const Bytes kDataSizeAnswer{0xFF, 0xFA, 44, 102, 8, 0xFF, 0xF0};
const Bytes kParityAnswer{0xFF, 0xFA, 44, 103, 1, 0xFF, 0xF0};
const Bytes kStopSizeAnswer{0xFF, 0xFA, 44, 104, 1, 0xFF, 0xF0};
const Bytes kAllAnswers = Join({kDoComPort, kBaud9600Answer, kDataSizeAnswer, kParityAnswer, kStopSizeAnswer});

struct Fed {
    Bytes data;
    Bytes toSend;
};

// The server's bytes fed in pieces of at most piece bytes.
Fed Feed(Rfc2217Client& client, const Bytes& bytes, std::size_t piece = SIZE_MAX)
{
    Fed fed;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const std::size_t size = std::min(piece, bytes.size() - at);
        client.Receive(bytes.data() + at, size, fed.data, fed.toSend);
    }
    return fed;
}

TEST(Rfc2217Client, OpensWithTheOptionAndBinaryModeThenAsksTheFourSettingsAndFlowControl)
{
    Rfc2217Client client(9600);
    EXPECT_EQ(client.Start(), (Bytes{0xFF, 0xFB, 44, 0xFF, 0xFB, 0, 0xFF, 0xFD, 0}));
    EXPECT_EQ(client.Awaited(), Setting::ComPortOption);

    const Fed fed = Feed(client, kDoComPort);
    EXPECT_EQ(fed.toSend, (Bytes{0xFF, 0xFA, 44, 1, 0x00, 0x00, 0x25, 0x80, 0xFF, 0xF0,  // baud rate 9600
                                 0xFF, 0xFA, 44, 2, 8, 0xFF, 0xF0,                        // 8 data bits
                                 0xFF, 0xFA, 44, 3, 1, 0xFF, 0xF0,                        // no parity
                                 0xFF, 0xFA, 44, 4, 1, 0xFF, 0xF0,                        // 1 stop bit
                                 0xFF, 0xFA, 44, 5, 1, 0xFF, 0xF0}));                     // no flow control
    EXPECT_EQ(client.GetState(), State::AwaitingSettings);
    EXPECT_EQ(client.Awaited(), Setting::BaudRate);
}

TEST(Rfc2217Client, IsReadyOnceTheFourAreAnsweredAsAskedWhateverTheServersPiecesAndFlowControlIsANote)
{
    // One byte at a time splits every IAC from what follows it.
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, SIZE_MAX}) {
        SCOPED_TRACE(piece);
        Rfc2217Client client(9600);
        client.Start();
        const Fed fed = Feed(client, kAllAnswers, piece);
        EXPECT_EQ(client.GetState(), State::Ready);
        EXPECT_FALSE(client.Awaited());
        EXPECT_TRUE(fed.data.empty());
        const std::vector<std::string> notes = client.TakeNotes();
        ASSERT_EQ(notes.size(), 2u);
        EXPECT_EQ(notes[0], "the server set 9600 bit/s, 8 data bits, no parity, 1 stop bit");
        EXPECT_NE(notes[1].find("not answered the flow control"), std::string::npos);
    }
}

TEST(Rfc2217Client, ARefusedOptionOrSettingNamesWhatWasRefusedAndWhatTheServerSet)
{
    struct Case {
        const char* name;
        Bytes server;
        Setting setting;
        std::optional<std::uint32_t> answered;
    };
    const Case cases[] = {
        {"option refused", {0xFF, 0xFE, 44}, Setting::ComPortOption, std::nullopt},
        {"other baud rate", Join({kDoComPort, {0xFF, 0xFA, 44, 101, 0x00, 0x01, 0xC2, 0x00, 0xFF, 0xF0}}),
         Setting::BaudRate, 115200},
        {"seven data bits", Join({kDoComPort, kBaud9600Answer, {0xFF, 0xFA, 44, 102, 7, 0xFF, 0xF0}}),
         Setting::DataSize, 7},
        {"even parity", Join({kDoComPort, kBaud9600Answer, kDataSizeAnswer, {0xFF, 0xFA, 44, 103, 3, 0xFF, 0xF0}}),
         Setting::Parity, 3},
        {"two stop bits",
         Join({kDoComPort, kBaud9600Answer, kDataSizeAnswer, kParityAnswer, {0xFF, 0xFA, 44, 104, 2, 0xFF, 0xF0}}),
         Setting::StopSize, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rfc2217Client client(9600);
        client.Start();
        Feed(client, c.server, 1);
        EXPECT_EQ(client.GetState(), State::Refused);
        ASSERT_TRUE(client.GetRefusal());
        EXPECT_EQ(client.GetRefusal()->setting, c.setting);
        EXPECT_EQ(client.GetRefusal()->answered, c.answered);
    }
}

TEST(Rfc2217Client, LineDataLosesTheEscapesAndTheCommandsBetweenItsBytesInEveryPiecing)
{
    // 0xFF doubled, a NOP, a modem state notification and another option's
    // subnegotiation between the bytes of a frame: the line carried 01 FF 02 03 04 FF.
    const Bytes server = Join({kAllAnswers,
                               {0x01, 0xFF, 0xFF, 0x02, 0xFF, 0xF1, 0x03},
                               {0xFF, 0xFA, 44, 107, 0x30, 0xFF, 0xF0},
                               {0xFF, 0xFA, 24, 0, 'x', 't', 'e', 'r', 'm', 0xFF, 0xF0},
                               {0x04, 0xFF, 0xFF}});
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{5}, SIZE_MAX}) {
        SCOPED_TRACE(piece);
        Rfc2217Client client(9600);
        client.Start();
        const Fed fed = Feed(client, server, piece);
        EXPECT_EQ(fed.data, (Bytes{0x01, 0xFF, 0x02, 0x03, 0x04, 0xFF}));
        EXPECT_EQ(client.GetState(), State::Ready);
    }
}

TEST(Rfc2217Client, EscapesEveryFFOfLineDataAndOfASettingsValue)
{
    Bytes out;
    const Bytes line{0x00, 0xFF, 0x01, 0xFF, 0xFF};
    Rfc2217Client::Escape(line.data(), line.size(), out);
    EXPECT_EQ(out, (Bytes{0x00, 0xFF, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0xFF}));

    // A rate whose bytes hold 0xFF both ways: asked escaped, answer read unescaped.
    Rfc2217Client client(0x00FF01FF);
    client.Start();
    const Fed fed = Feed(client, kDoComPort);
    const Bytes baudAsked{0xFF, 0xFA, 44, 1, 0x00, 0xFF, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0xF0};
    EXPECT_TRUE(std::equal(baudAsked.begin(), baudAsked.end(), fed.toSend.begin()));
    Feed(client, Join({{0xFF, 0xFA, 44, 101, 0x00, 0xFF, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0xF0},
                       kDataSizeAnswer, kParityAnswer, kStopSizeAnswer}), 1);
    EXPECT_EQ(client.GetState(), State::Ready);
}

TEST(Rfc2217Client, RefusesOptionsItDoesNotKnowAgreesToBinaryAndGoAheadOnceAndNeverLoops)
{
    Rfc2217Client client(115200);
    client.Start();
    const Fed fed = Feed(client, {0xFF, 0xFD, 24,    // DO TERMINAL-TYPE
                                  0xFF, 0xFB, 1,     // WILL ECHO: an echo would send the tool's frames back
                                  0xFF, 0xFD, 3,     // DO SUPPRESS-GO-AHEAD
                                  0xFF, 0xFB, 3,     // WILL SUPPRESS-GO-AHEAD
                                  0xFF, 0xFD, 3,     // again: already on, no answer
                                  0xFF, 0xFD, 0,     // DO BINARY: the answer to the client's WILL
                                  0xFF, 0xFB, 0,     // WILL BINARY: the answer to its DO
                                  0xFF, 0xFC, 24});  // WONT of an option never on: no answer
    EXPECT_EQ(fed.toSend, (Bytes{0xFF, 0xFC, 24, 0xFF, 0xFE, 1, 0xFF, 0xFB, 3, 0xFF, 0xFD, 3}));
    EXPECT_EQ(client.GetState(), State::AwaitingOption);
}

TEST(Rfc2217Client, SkipsAnOverlongSubnegotiationAndAnUnendedOneEndsAtTheNextCommand)
{
    Rfc2217Client client(9600);
    client.Start();
    Bytes server{0xFF, 0xFA, 44, 107};
    server.insert(server.end(), 300, 0x55);  // longer than any answer: skipped whole
    server.insert(server.end(), {0xFF, 0xF0, 0x10});
    server.insert(server.end(), {0xFF, 0xFA, 24, 0, 0xFF, 0xFD, 44});  // SE forgotten before DO COM-PORT-OPTION
    const Fed fed = Feed(client, server, 3);
    EXPECT_EQ(fed.data, Bytes{0x10});
    EXPECT_EQ(client.GetState(), State::AwaitingSettings);
}

}  // namespace
