// The report mail by SMTP against real peers on loopback: a mail server
// (aiosmtpd, smtp_peer.py) whose e-mail parser reads every message, raw
// socket peers that misbehave (socket_peers.py), and the DNS stub for the
// road through the recipients' mail exchangers.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "ESockets.h"
#include "ExceptionLog.h"
#include "SocketPeer.h"
#include "base/Strings.h"
#include "testsupport/TempDir.h"

using namespace menvaro;
using menvaro::test::TempDir;
using menvaro::test::TSocketPeer;
using menvaro::test::TReceived;
using menvaro::test::ReceivedMail;

namespace {

std::string Lf(const std::string& text) { return ReplaceAll(text, "\r\n", "\n"); }

TSocketPeer MailServer(const std::string& setup = "{}") { return TSocketPeer(SMTP_PEER_SCRIPT, "smtp", setup); }

// What the progress window is told, as words.
class TRecordingProgress : public TSmtpProgress {
public:
    void SetRecipientCount(int count) override { calls.push_back("count " + std::to_string(count)); }
    void SetRecipientNumber(int number) override { calls.push_back("number " + std::to_string(number)); }
    void SetStatus(int textIndex) override { calls.push_back("status " + std::to_string(textIndex)); }
    void SetPosition(int percent) override {
        // Positions between 0 and 100 depend on the message's size.
        if (percent == 0 || percent == 100) calls.push_back("position " + std::to_string(percent));
        else if (calls.back() != "position ...") calls.push_back("position ...");
    }
    void Close() override { calls.push_back("close"); }
    std::vector<std::string> calls;
};

class SmtpPeer : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = SmtpSessionSettings();
        // Loopback answers at once: a short quiet period keeps the sessions quick.
        SmtpSessionSettings().QuietPeriod = 200;
        SmtpSessionSettings().Timeout = 20000;
        ClearWarning();
        std::mt19937 random(31);
        for (int i = 0; i < 5000; ++i) binary_ += static_cast<char>(random());
        log_ = dir_.Write("Pelgrane.elf", binary_);
        png_ = dir_.Write("Screenshot.png", std::string("\x89PNG\r\n\x1A\n", 8) + binary_.substr(0, 777));
    }
    void TearDown() override { SmtpSessionSettings() = saved_; }

    TempDir dir_{"smtp"};
    std::string binary_, log_, png_;
    TSmtpSessionSettings saved_;
};

}  // namespace

TEST_F(SmtpPeer, EachOfTwoRecipientsGetsASessionAndAMessageThatParsesWithoutDefects) {
    struct Case {
        const char* setup;
        std::string user, password, subject, body, text;
    } cases[] = {
        {"{}", "", "", "Pelgrane error report", "Hello\n.a line with a dot\r\n..two\rend of text",
         "Hello\n.a line with a dot\n..two\nend of text\n"},
        {R"({"auth": ["crashuser", "pass word!"]})", "crashuser", "pass word!", "资料更新工具：错误报告",
         "程序出错了。\r\n.第二行\r\n", "程序出错了。\n.第二行\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setup);
        TSocketPeer server = MailServer(c.setup);
        TRecordingProgress progress;
        ClearWarning();
        EXPECT_TRUE(SendEmailBySmtp(false, "crash@menvaro.local", "127.0.0.1", server.Port(), c.user, c.password,
                                    "first@menvaro.test; second@menvaro.test", c.subject, c.body,
                                    {log_, "", dir_.path() + "missing.png", png_}, &progress));
        EXPECT_EQ(LastWarningCode(), eeNone) << LastWarningMessage();
        const std::vector<TReceived> got = ReceivedMail(server);
        ASSERT_EQ(got.size(), 2u);
        const char* recipients[] = {"first@menvaro.test", "second@menvaro.test"};
        for (int i = 0; i < 2; ++i) {
            TReceived m = got[i];
            EXPECT_EQ(m.Defects, 0);
            EXPECT_EQ(m.From, "crash@menvaro.local");
            EXPECT_EQ(m.Rcpt, std::vector<std::string>{recipients[i]});
            EXPECT_EQ(m.Login, c.user);
            EXPECT_EQ(m.Headers["To"], recipients[i]);  // "<...>" as the parser reads it
            EXPECT_EQ(m.Headers["From"], "crash@menvaro.local");
            EXPECT_EQ(m.Headers["Subject"], c.subject);
            EXPECT_EQ(m.Headers["X-Library"], "OstrelLog 4.5.4");
            EXPECT_EQ(m.Headers["X-Priority"], "1");
            EXPECT_FALSE(m.Headers["Date"].empty());
            EXPECT_EQ(Lf(m.Text), c.text);
            ASSERT_EQ(m.Attachments.size(), 2u);
            EXPECT_EQ(m.Attachments[0].Name, "Pelgrane.elf");
            EXPECT_EQ(m.Attachments[0].Type, "application/octet-stream");
            EXPECT_EQ(m.Attachments[0].Data, binary_);
            EXPECT_EQ(m.Attachments[1].Name, "Screenshot.png");
            EXPECT_EQ(m.Attachments[1].Type, "image/png");
            EXPECT_EQ(m.Attachments[1].Data, std::string("\x89PNG\r\n\x1A\n", 8) + binary_.substr(0, 777));
        }
        const std::vector<std::string> one = {"position 0", "status 56", "status 57", "status 58",
                                              "position ...", "position 100"};
        std::vector<std::string> expected = {"count 2", "position 0", "number 1"};
        expected.insert(expected.end(), one.begin() + 1, one.end());
        expected.insert(expected.end(), {"position 0", "number 2"});
        expected.insert(expected.end(), one.begin() + 1, one.end());
        expected.push_back("close");
        EXPECT_EQ(progress.calls, expected);
    }
}

TEST_F(SmtpPeer, A550ToOneRecipientFailsThatSessionAndTheNextIsStillServed) {
    TSocketPeer server = MailServer(R"({"reject_rcpt": ["gone@menvaro.test"]})");
    EXPECT_TRUE(SendEmailBySmtp(false, "crash@menvaro.local", "127.0.0.1", server.Port(), "", "",
                                "gone@menvaro.test;here@menvaro.test", "Report", "Text", {}));
    const std::vector<TReceived> got = ReceivedMail(server);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].Rcpt, std::vector<std::string>{"here@menvaro.test"});
    EXPECT_EQ(LastWarningCode(), eeEmailSMTPError);
    EXPECT_NE(LastWarningMessage().find("RCPT TO:<gone@menvaro.test>\r\n550 No such user here"), std::string::npos)
        << LastWarningMessage();
    // Every session failing fails the sending.
    TSocketPeer again = MailServer(R"({"reject_rcpt": ["gone@menvaro.test"]})");
    EXPECT_FALSE(SendEmailBySmtp(false, "crash@menvaro.local", "127.0.0.1", again.Port(), "", "",
                                 "gone@menvaro.test", "Report", "Text", {}));
}

TEST_F(SmtpPeer, AFailedSessionsWarningHasTheSecretsMaskedAndTheMessageCut) {
    {
        TSocketPeer server = MailServer(R"({"auth": ["crashuser", "right-password"]})");
        EXPECT_FALSE(SendSmtpMessage(false, "crash@menvaro.local", "127.0.0.1", server.Port(), "crashuser",
                                     "wrong-password", "a@menvaro.test", "Report", "Text", {}));
        const std::string warning = LastWarningMessage();
        EXPECT_EQ(LastWarningCode(), eeEmailSMTPError);
        EXPECT_TRUE(warning.starts_with("[SMTP] Connected to 127.0.0.1 port ")) << warning;
        EXPECT_NE(warning.find("AUTH LOGIN\r\n334 "), std::string::npos) << warning;
        EXPECT_NE(warning.find("\r\n535 "), std::string::npos) << warning;
        for (const std::string& secret : {std::string("crashuser"), std::string("wrong-password"),
                                          ReplaceAll(Base64Encode("crashuser"), "\r\n", ""),
                                          ReplaceAll(Base64Encode("wrong-password"), "\r\n", "")})
            EXPECT_EQ(warning.find(secret), std::string::npos) << secret << " in " << warning;
        EXPECT_TRUE(ReceivedMail(server).empty());
    }
    {
        TSocketPeer server = MailServer(R"({"reject_data": true})");
        EXPECT_FALSE(SendSmtpMessage(false, "crash@menvaro.local", "127.0.0.1", server.Port(), "", "",
                                     "a@menvaro.test", "Report", "THE-REPORT-TEXT", {log_}));
        const std::string warning = LastWarningMessage();
        EXPECT_NE(warning.find("DATA\r\n354 "), std::string::npos) << warning;
        EXPECT_NE(warning.find(" bytes>\r\n.\r\n554 Transaction failed"), std::string::npos) << warning;
        EXPECT_EQ(warning.find("THE-REPORT-TEXT"), std::string::npos) << warning;
        EXPECT_EQ(warning.find("Content-Type"), std::string::npos) << warning;
    }
}

TEST_F(SmtpPeer, ARawPeerThatRefusesFallsSilentOrAnswersInPieces) {
    const std::string greeting = R"(["send", "220 raw ready\r\n"], ["line"])";
    struct Case {
        std::string script;
        bool result;
        const char* warning;  // part of it
    } cases[] = {
        {R"([["close"]])", false, "[SMTP] The server closed the connection."},
        {R"([])", false, "[SMTP] Socket timeout."},
        {R"([["send", "554 no service\r\n"]])", false, "[SMTP] Connected to 127.0.0.1 port "},
        {"[" + greeting + R"(, ["send", "250 hi\r\n"], ["line"], ["send", "250 reset\r\n"], ["line"],
            ["send", "250 sender ok\r\n"], ["line"], ["send", "550 mailbox unavailable\r\n"]])",
         false, "RCPT TO:<a@menvaro.test>\r\n550 mailbox unavailable\r\n"},
        {R"([["pieces", ["22", "0 ready\r\n"], 0.05], ["line"], ["pieces", ["250-raw\r\n", "250 HELP\r\n"], 0.05],
            ["line"], ["pieces", ["2", "50 reset\r\n"], 0.05], ["line"], ["pieces", ["250 ", "ok\r\n"], 0.05],
            ["line"], ["pieces", ["25", "1 forward\r\n"], 0.05], ["line"], ["pieces", ["354 ", "go on\r\n"], 0.05],
            ["until", "\r\n.\r\n"], ["pieces", ["250 ", "queued\r\n"], 0.05]])",
         true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        SmtpSessionSettings().Timeout = 1500;
        TSocketPeer peer("tcp", c.script);
        ClearWarning();
        EXPECT_EQ(SendSmtpMessage(false, "crash@menvaro.local", "127.0.0.1", peer.Port(), "", "", "a@menvaro.test",
                                  "Report", "Text\r\n.dot", {}),
                  c.result);
        if (c.warning) {
            EXPECT_EQ(LastWarningCode(), eeEmailSMTPError);
            EXPECT_NE(LastWarningMessage().find(c.warning), std::string::npos) << LastWarningMessage();
        } else {
            EXPECT_EQ(LastWarningCode(), eeNone) << LastWarningMessage();
            peer.Wait();
            const std::string log = peer.Log();
            EXPECT_TRUE(log.starts_with("HELO ")) << log;
            EXPECT_NE(log.find("\r\nRSET\r\nMAIL FROM:<crash@menvaro.local>\r\nRCPT TO:<a@menvaro.test>\r\nDATA\r\n"),
                      std::string::npos);
            EXPECT_NE(log.find("\r\n\r\nText\r\n..dot\r\n--=_"), std::string::npos) << log;
            EXPECT_TRUE(log.ends_with("--=_xcjvnxkbhvfkxzhfdbvzldjhfv--\r\n.\r\n")) << log;
            EXPECT_EQ(log.find("QUIT"), std::string::npos);
        }
    }
}

TEST_F(SmtpPeer, TheMailExchangerOfEachRecipientIsAskedOfTheDnsStub) {
    TSocketPeer server = MailServer();
    TSocketPeer stub("dns", R"({"127.0.0.1": [{"answer": [["MX", 20, "backup.invalid"], ["MX", 10, "127.0.0.1"]]}]})");
    const TMxLookupSettings savedMx = MxLookupSettings();
    MxLookupSettings().ResolvConfPath = dir_.Write("resolv.conf", "nameserver 127.0.0.1\n");
    MxLookupSettings().UseFallbackServer = false;
    MxLookupSettings().Port = stub.Port();
    MxLookupSettings().Timeout = 20000;
    TRecordingProgress progress;
    EXPECT_TRUE(SendEmailBySmtp(true, "crash@menvaro.local", "ignored.invalid", server.Port(), "", "",
                                "a@one.test, b@two.test", "Report", "Text", {png_}, &progress));
    const std::vector<TReceived> got = ReceivedMail(server);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].Rcpt, std::vector<std::string>{"a@one.test"});
    EXPECT_EQ(got[1].Rcpt, std::vector<std::string>{"b@two.test"});
    EXPECT_EQ(got[1].Attachments.size(), 1u);
    const std::string queries = stub.Log();
    // "one" and "two" as labels of the questions.
    EXPECT_NE(queries.find("03 6F 6E 65 04 74 65 73 74 00"), std::string::npos) << queries;
    EXPECT_NE(queries.find("03 74 77 6F 04 74 65 73 74 00"), std::string::npos) << queries;
    EXPECT_EQ(progress.calls[3], "status 55");

    // A domain without an exchanger ends the sending before any session.
    TSocketPeer empty("dns", R"({"127.0.0.1": [{"answer": []}]})");
    MxLookupSettings().Port = empty.Port();
    ClearWarning();
    EXPECT_FALSE(SendEmailBySmtp(true, "crash@menvaro.local", "", server.Port(), "", "", "c@three.test", "Report",
                                 "Text", {}));
    EXPECT_EQ(LastWarningMessage(), "[SMTP] Cannot resolve the \"three.test\" MX record.");
    EXPECT_EQ(ReceivedMail(server).size(), 2u);
    MxLookupSettings() = savedMx;
}
