// The client socket and the SMTP client against a TCP server on loopback.
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ESockets.h"
#include "ETypes.h"
#include "SocketPeer.h"
#include "testsupport/ErrorMessage.h"

using namespace menvaro;
using menvaro::test::ErrorMessage;
using menvaro::test::TSocketPeer;

namespace {

// A quiet period long enough that pieces a few milliseconds apart always
// make one reply, however loaded the machine.
constexpr int kLongQuiet = 3000;
// Short, where the peer waits for the client before it says more.
constexpr int kShortQuiet = 100;
// Generous: only a broken test waits this long.
constexpr int kGenerous = 60000;

std::string Connected(std::uint16_t port) { return "Connected to 127.0.0.1 port " + std::to_string(port) + "\r\n"; }

int OpenDescriptors() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

// A port on loopback where nothing listens.
std::uint16_t FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t size = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
    close(s);
    return ntohs(a.sin_port);
}

TOwned<TOstrelClientSMTP> Smtp(std::uint16_t port, int quiet = kShortQuiet, int timeout = kGenerous) {
    TOwned<TOstrelClientSMTP> c(Create<TOstrelClientSMTP>("127.0.0.1", port, true, timeout));
    c->SetQuietPeriod(quiet);
    return c;
}

}  // namespace

TEST(ClientSocket, ConnectFillsThePeerAndCloseForgetsIt) {
    TSocketPeer peer("tcp", "[]");
    TOwned<TOstrelClientSocket> s(Create<TOstrelClientSocket>("localhost", peer.Port(), true));
    EXPECT_EQ(s->SocketType(), SOCK_STREAM);
    EXPECT_EQ(s->Timeout(), 30000);
    EXPECT_EQ(s->QuietPeriod(), 1000);
    EXPECT_FALSE(s->Connected());
    EXPECT_EQ(s->Handle(), -1);
    EXPECT_EQ(s->Address().sin_family, AF_INET);
    EXPECT_EQ(s->Address().sin_port, 0);

    s->Connect();
    EXPECT_TRUE(s->Connected());
    EXPECT_EQ(s->Transcript(), Connected(peer.Port()));
    EXPECT_EQ(s->Address().sin_family, AF_INET);
    EXPECT_EQ(ntohs(s->Address().sin_port), peer.Port());
    EXPECT_EQ(ntohl(s->Address().sin_addr.s_addr), INADDR_LOOPBACK);
    // The logger's descriptors do not reach programs it starts.
    EXPECT_TRUE(fcntl(s->Handle(), F_GETFD) & FD_CLOEXEC);
    const int handle = s->Handle();
    s->Connect();  // nothing more
    EXPECT_EQ(s->Handle(), handle);

    s->Close();
    EXPECT_FALSE(s->Connected());
    EXPECT_EQ(s->Handle(), -1);
    EXPECT_EQ(s->Transcript(), "");
    EXPECT_EQ(s->Address().sin_port, 0);
    EXPECT_EQ(s->Address().sin_addr.s_addr, 0u);
    EXPECT_EQ(peer.Wait(), 0);
}

TEST(ClientSocket, AHostThatNamesNoServerIsAnErrorAndNothingIsLeftOpen) {
    // None of these names is asked of a DNS server: the resolver refuses them.
    struct Case {
        const char* host;
        const char* message;
    } cases[] = {
        {"", "Cannot resolve the host \"\": \"Name or service not known\""},
        {"bad host", "Cannot resolve the host \"bad host\": \"Name or service not known\""},
        {"a..b", "Cannot resolve the host \"a..b\": \"Name or service not known\""},
        // This machine, on Linux: never taken for a peer.
        {"0.0.0.0", "Cannot resolve the host \"0.0.0.0\": \"it has the address 0.0.0.0\""},
    };
    const int before = OpenDescriptors();
    for (const Case& c : cases) {
        TOwned<TOstrelClientSocket> s(Create<TOstrelClientSocket>(c.host, FreePort(), true));
        EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] { s->Connect(); }), c.message) << c.host;
        EXPECT_FALSE(s->Connected());
        EXPECT_EQ(s->Handle(), -1);
        EXPECT_EQ(s->Address().sin_addr.s_addr, 0u);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(ClientSocket, ARefusedConnectionIsAnErrorAndClosesItsSocket) {
    const int before = OpenDescriptors();
    TOwned<TOstrelClientSocket> s(Create<TOstrelClientSocket>("127.0.0.1", FreePort(), true));
    EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] { s->Connect(); }), "Connection error: \"Connection refused\"");
    EXPECT_FALSE(s->Connected());
    EXPECT_EQ(OpenDescriptors(), before);
    // Closing what is not open fails as the system says.
    EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] { s->Close(); }),
              "Cannot close the socket: \"Bad file descriptor\"");
}

TEST(ClientSocket, NotConnectedSendsAndReceivesNothing) {
    TOwned<TOstrelClientSocket> s(Create<TOstrelClientSocket>("127.0.0.1", 25, true));
    char buffer[8];
    EXPECT_EQ(s->SendBuffer("abc", 3), 0);
    EXPECT_EQ(s->ReceiveBuffer(buffer, sizeof buffer), 0);
    EXPECT_EQ(s->ReceiveBuffer(nullptr, -1), 0);
    EXPECT_EQ(s->ReceiveAvailable(), "");
}

TEST(ClientSocket, PiecesWithinTheQuietPeriodAreOneReply) {
    TSocketPeer peer("tcp", R"([["pieces", ["250-mx.example", ".org\r\n250-SIZE\r\n", "250 OK\r\n"], 0.01]])");
    TOwned<TOstrelClientSMTP> c = Smtp(peer.Port(), kLongQuiet);
    c->TOstrelClientSocket::Connect();
    EXPECT_TRUE(c->ReadReply({250}));
    EXPECT_EQ(c->Transcript(), Connected(peer.Port()) + "250-mx.example.org\r\n250-SIZE\r\n250 OK\r\n");
}

TEST(ClientSocket, WhatComesAfterTheQuietPeriodIsTheNextReply) {
    // The peer says the rest only when asked, so the quiet period surely passes first.
    TSocketPeer peer("tcp", R"([["send", "250-first\r\n"], ["line"], ["send", "250 rest\r\n"]])");
    TOwned<TOstrelClientSocket> s(Create<TOstrelClientSocket>("127.0.0.1", peer.Port(), true, kGenerous));
    s->SetQuietPeriod(kShortQuiet);
    s->Connect();
    EXPECT_EQ(s->ReceiveWithTimeout(), "250-first\r\n");
    EXPECT_EQ(s->SendText("MORE\r\n"), 6);
    EXPECT_EQ(s->ReceiveWithTimeout(), "250 rest\r\n");
    EXPECT_EQ(s->Transcript(), Connected(peer.Port()) + "250-first\r\n250 rest\r\n");
    s->Close();
    EXPECT_EQ(peer.Wait(), 0);
    EXPECT_EQ(peer.Log(), "MORE\r\n");
}

TEST(ClientSocket, ErrorsGoThroughOnErrorAndTheSilentAbort) {
    // A server that never speaks: the time-out, told to OnError first.
    TSocketPeer peer("tcp", "[]");
    TOwned<TOstrelClientSocket> s(Create<TOstrelClientSocket>("127.0.0.1", peer.Port(), true, 200));
    s->SetQuietPeriod(kShortQuiet);
    std::vector<std::string> told;
    s->SetOnError([&](TOstrelClientSocket& sender, int code, const std::string& message) {
        EXPECT_EQ(&sender, s.get());
        told.push_back(std::to_string(code) + " " + message);
    });
    s->Connect();
    EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] { s->ReceiveWithTimeout(); }), "Socket timeout.");
    s->SetSilent(true);
    EXPECT_THROW(s->ReceiveWithTimeout(), EAbort);
    EXPECT_EQ(told, (std::vector<std::string>{"-1 Socket timeout.", "-1 Socket timeout."}));
    EXPECT_TRUE(s->Connected());
}

TEST(ClientSocket, AServerThatClosesEndsTheWaitAtOnce) {
    struct Case {
        const char* script;
        const char* reply;  // what the first read gets
    } cases[] = {
        {R"([["close"]])", nullptr},
        {R"([["send", "22"], ["close"]])", "22"},
    };
    for (const Case& c : cases) {
        TSocketPeer peer("tcp", c.script);
        // Without the end of the stream seen, this would be a minute's wait for a time-out.
        TOwned<TOstrelClientSocket> s(Create<TOstrelClientSocket>("127.0.0.1", peer.Port(), true, kGenerous));
        s->SetQuietPeriod(kGenerous);
        s->Connect();
        if (c.reply) {
            EXPECT_EQ(s->ReceiveWithTimeout(), c.reply);
        }
        EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] { s->ReceiveWithTimeout(); }),
                  "The server closed the connection.");
    }
}

TEST(ClientSocket, SendingToAServerThatHasGoneIsAnErrorNotASignal) {
    TSocketPeer peer("tcp", R"([["send", "220 bye\r\n"], ["close"]])");
    TOwned<TOstrelClientSocket> s(Create<TOstrelClientSocket>("127.0.0.1", peer.Port(), true, kGenerous));
    s->SetQuietPeriod(kGenerous);
    std::vector<std::int64_t> positions;
    s->SetOnProgress([&](TOstrelClientSocket&, std::int64_t position, std::int64_t total) {
        EXPECT_EQ(total, 4 << 20);
        positions.push_back(position);
    });
    s->Connect();
    EXPECT_EQ(s->ReceiveWithTimeout(), "220 bye\r\n");  // ends once the server has closed
    EXPECT_EQ(peer.Wait(), 0);
    const std::string text(4 << 20, 'x');
    const std::string message = ErrorMessage<EOstrelSocketError>([&] { s->SendText(text); });
    EXPECT_TRUE(message.starts_with("Error into \"send\": \"")) << message;
    // The error closed the socket.
    EXPECT_FALSE(s->Connected());
    EXPECT_EQ(s->Handle(), -1);
    ASSERT_FALSE(positions.empty());
    EXPECT_LT(positions.back(), 4 << 20);
}

TEST(ClientSocket, TextGoesInPiecesWithProgressAfterEach) {
    TSocketPeer peer("tcp", R"([["bytes", 5002], ["send", "250 OK\r\n"]])");
    TOwned<TOstrelClientSMTP> c = Smtp(peer.Port());
    c->TOstrelClientSocket::Connect();
    std::vector<std::int64_t> positions;
    c->SetOnProgress([&](TOstrelClientSocket&, std::int64_t position, std::int64_t total) {
        EXPECT_EQ(total, 5002);
        positions.push_back(position);
    });
    const std::string message(5000, 'm');
    EXPECT_TRUE(c->SendCommand(message, {250}));
    EXPECT_EQ(positions, (std::vector<std::int64_t>{1024, 2048, 3072, 4096, 5002}));
    c->Close();
    EXPECT_EQ(peer.Wait(), 0);
    EXPECT_EQ(peer.Log(), message + "\r\n");
}

TEST(SmtpClient, ASessionSendsEachLineOnceAndTheTranscriptSaysAll) {
    TSocketPeer peer("tcp", R"([
        ["send", "220 mx ready\r\n"],
        ["line"], ["send", "250-mx\r\n250 AUTH LOGIN\r\n"],
        ["line"], ["send", "334 VXNlcm5hbWU6\r\n"],
        ["line"], ["send", "334 UGFzc3dvcmQ6\r\n"],
        ["line"], ["send", "235 ok\r\n"],
        ["line"], ["send", "250 sender ok\r\n"],
        ["line"], ["send", "550 no such user\r\n"]])");
    InitializeTrace({});
    EnableTrace();
    TOwned<TOstrelClientSMTP> c = Smtp(peer.Port());
    c->Connect();
    EXPECT_FALSE(c->SendCommand("", {250}));  // nothing goes
    EXPECT_TRUE(c->SendCommand("EHLO here", {250}));
    EXPECT_TRUE(c->SendCommand("AUTH LOGIN\r\n", {334}));  // its own line end is kept
    EXPECT_TRUE(c->SendCommand("dXNlcg==", {334}, true));
    EXPECT_TRUE(c->SendCommand("c2VjcmV0", {235}, true));
    EXPECT_TRUE(c->SendCommand("MAIL FROM:<crash@menvaro.local>", {250}));
    const std::string transcript = Connected(peer.Port()) +
                                   "220 mx ready\r\n"
                                   "EHLO here\r\n250-mx\r\n250 AUTH LOGIN\r\n"
                                   "AUTH LOGIN\r\n334 VXNlcm5hbWU6\r\n"
                                   "***\r\n334 UGFzc3dvcmQ6\r\n"
                                   "***\r\n235 ok\r\n"
                                   "MAIL FROM:<crash@menvaro.local>\r\n250 sender ok\r\n"
                                   "RCPT TO:<nobody@example.org>\r\n550 no such user\r\n";
    EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] {
                  c->SendCommand("RCPT TO:<nobody@example.org>", {250, 251});
              }),
              transcript);
    std::vector<std::string> trace = TraceLines();
    InitializeTrace({});
    c->Close();
    EXPECT_EQ(peer.Wait(), 0);
    EXPECT_EQ(peer.Log(),
              "EHLO here\r\nAUTH LOGIN\r\ndXNlcg==\r\nc2VjcmV0\r\nMAIL FROM:<crash@menvaro.local>\r\n"
              "RCPT TO:<nobody@example.org>\r\n");
    // The login and the password reach the server only.
    int masked = 0;
    for (const std::string& line : trace) {
        EXPECT_EQ(line.find("dXNlcg=="), std::string::npos) << line;
        EXPECT_EQ(line.find("c2VjcmV0"), std::string::npos) << line;
        if (line.starts_with("TOstrelClientSMTP.SendCommand ") && line.find("('***', 8)") != std::string::npos)
            ++masked;
    }
    EXPECT_EQ(masked, 2);
}

TEST(SmtpClient, AGreetingOtherThan220FailsWithTheTranscript) {
    TSocketPeer peer("tcp", R"([["send", "554 go away\r\n"]])");
    TOwned<TOstrelClientSMTP> c = Smtp(peer.Port());
    EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] { c->Connect(); }), Connected(peer.Port()) + "554 go away\r\n");
}

TEST(SmtpClient, AReplyWithoutANumberIsAConversionError) {
    TSocketPeer peer("tcp", R"([["send", "hello\r\nmore\r\n"]])");
    TOwned<TOstrelClientSMTP> c = Smtp(peer.Port());
    EXPECT_EQ(ErrorMessage<EConvertError>([&] { c->Connect(); }), "'hello' is not a valid integer value");
}
