// The DNS servers, the question and the mail-exchanger lookup against a DNS
// stub on loopback. The public fallback resolver is off in every lookup:
// no packet leaves this machine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bytes.h"
#include "ESockets.h"
#include "SocketPeer.h"
#include "base/Strings.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/TempDir.h"

using namespace menvaro;
using menvaro::test::ErrorMessage;
using menvaro::test::Hex;
using menvaro::test::TempDir;
using menvaro::test::TSocketPeer;

namespace {

// The question for "mx.abc.de" worked out by hand, less its id.
const char* const kMxAbcDeQuestion =
    "01 00 00 01 00 00 00 00 00 00 "     // recursion desired; one question
    "02 6D 78 03 61 62 63 02 64 65 00 "  // 2 "mx" 3 "abc" 2 "de", the root
    "00 0F 00 01";                       // MX, IN

class MxLookup : public ::testing::Test {
protected:
    // Settings that ask the listed loopback servers on the stub's port.
    TMxLookupSettings Settings(const TSocketPeer& stub, const std::vector<std::string>& servers, int timeout = 60000) {
        std::string conf;
        for (const std::string& s : servers) conf += "nameserver " + s + "\n";
        TMxLookupSettings settings;
        settings.ResolvConfPath = dir_.Write("resolv.conf", conf);
        settings.UseFallbackServer = false;
        settings.Port = stub.Port();
        settings.Timeout = timeout;
        return settings;
    }
    // The stub's log as "address question" lines, each question without its id.
    static std::vector<std::string> Questions(const TSocketPeer& stub) {
        std::vector<std::string> lines;
        for (const std::string& line : SplitString(stub.Log(), '\n')) {
            if (line.empty()) continue;
            const std::size_t blank = line.find(' ');
            lines.push_back(line.substr(0, blank) + " " + line.substr(blank + 7));
        }
        return lines;
    }

    TempDir dir_{"mx"};
};

}  // namespace

TEST(DnsServers, TheNameserverLinesWithAnIPv4AddressInTheirOrder) {
    TempDir dir("dns");
    struct Case {
        const char* conf;
        bool fallback;
        std::vector<std::string> servers;
    } cases[] = {
        {"# a comment\nsearch example.org\nnameserver 10.0.0.1\n  nameserver\t10.0.0.2  # a note\n"
         "nameserver ::1\nnameserver fe80::1%eth0\noptions ndots:2\nnameserver 0.0.0.0\nnameservers 10.0.0.9\n"
         "nameserver 10.0.0.3\n",
         false,
         {"10.0.0.1", "10.0.0.2", "10.0.0.3"}},
        {"nameserver 0.0.0.0\nnameserver 192.168.1.1\n", true, {"192.168.1.1", kFallbackDnsServer}},
        {"nameserver not-an-address\nnameserver 1.2.3\n", true, {kFallbackDnsServer}},
        {nullptr, true, {kFallbackDnsServer}},
        {nullptr, false, {}},
    };
    for (const Case& c : cases) {
        TMxLookupSettings settings;
        settings.ResolvConfPath = c.conf ? dir.Write("resolv.conf", c.conf) : dir.path() + "missing.conf";
        settings.UseFallbackServer = c.fallback;
        EXPECT_EQ(GetDNSServers(settings), c.servers) << (c.conf ? c.conf : "no file");
    }
}

TEST(DnsServers, TheDefaultsAreTheSystemsFileThePublicFallbackAndTheUsualPort) {
    const TMxLookupSettings settings;
    EXPECT_EQ(settings.ResolvConfPath, "/etc/resolv.conf");
    EXPECT_TRUE(settings.UseFallbackServer);
    EXPECT_EQ(settings.Port, 53);
    EXPECT_EQ(settings.Timeout, 30000);
}

TEST(MxQuestion, TheDomainIsWhatFollowsTheFirstAt) {
    EXPECT_EQ(MailDomain("bob@example.org"), "example.org");
    EXPECT_EQ(MailDomain("example.org"), "example.org");
    EXPECT_EQ(MailDomain("a@b@example.org"), "b@example.org");
    EXPECT_EQ(MailDomain("@example.org"), "example.org");
    EXPECT_EQ(MailDomain("bob@"), "");
}

TEST(MxQuestion, TheBytesAreTheHeaderTheLabelsAndTheType) {
    EXPECT_EQ(Hex(BuildMXQuery("mx.abc.de", 0x4141)), std::string("41 41 ") + kMxAbcDeQuestion);
    EXPECT_EQ(Hex(BuildMXQuery("de", 0xBEEF)), "BE EF 01 00 00 01 00 00 00 00 00 00 02 64 65 00 00 0F 00 01");
}

TEST(MxQuestion, NamesNoServerCouldBeAskedAboutAreRefused) {
    const std::string label63(63, 'a'), label61(61, 'b');
    const std::string longest = label63 + "." + label63 + "." + label63 + "." + label61;  // 255 bytes encoded
    EXPECT_EQ(EncodeDomainName(longest).size(), 255u);
    EXPECT_EQ(EncodeDomainName(label63).size(), 65u);
    struct Case {
        std::string domain;
        const char* why;
    } cases[] = {
        {"", "a label is empty"},
        {"a..b", "a label is empty"},
        {".example.org", "a label is empty"},
        {"example.org.", "a label is empty"},
        {std::string(64, 'a') + ".org", "a label is longer than 63 bytes"},
        {longest + "b", "the name is longer than 255 bytes"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] { EncodeDomainName(c.domain); }),
                  "Invalid domain \"" + c.domain + "\": " + c.why + ".");
    // The lookup refuses them before it asks anyone.
    TMxLookupSettings settings;
    settings.UseFallbackServer = false;
    settings.ResolvConfPath = "/nonexistent/resolv.conf";
    EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] { ResolveMXRecord("bob@a..b", settings); }),
              "Invalid domain \"a..b\": a label is empty.");
}

TEST_F(MxLookup, TheAnswersExchangerOfTheLowestPreferenceWins) {
    struct Case {
        const char* replies;
        const char* host;
    } cases[] = {
        {R"([{"answer": [["MX", 20, "b.mx.example.org"], ["MX", 10, "a.mx.example.org"]]}])", "a.mx.example.org"},
        {R"([{"answer": [["MX", 10, "first.example.org"], ["MX", 10, "second.example.org"]]}])", "first.example.org"},
        // An alias first, then the MX of its target.
        {R"([{"answer": [["CNAME", "mail.example.net"], ["MX", 5, "mx.example.net", "mail.example.net"]]}])",
         "mx.example.net"},
        // Only the counted answer records: an MX among the additional records is not one.
        {R"([{"answer": [["MX", 10, "mx1.example.org"]],
              "additional": [["A", "192.0.2.1", "mx1.example.org"], ["MX", 1, "evil.example.com"]]}])",
         "mx1.example.org"},
        // An answer of another id is ignored, and the right one still awaited.
        {R"([{"id": "other", "answer": [["MX", 1, "spoofed.example.com"]]},
             {"answer": [["MX", 10, "mx.example.org"]]}])",
         "mx.example.org"},
        // A damaged record ends the walk; the records before it count.
        {R"([{"answer": [["MX", 10, "mx.example.org"], ["MX", 5, "cut.example.org"]], "cut": 60}])", "mx.example.org"},
    };
    for (const Case& c : cases) {
        TSocketPeer stub("dns", std::string(R"({"127.0.0.1": )") + c.replies + "}");
        EXPECT_EQ(ResolveMXRecord("bob@example.org", Settings(stub, {"127.0.0.1"})), c.host) << c.replies;
    }
}

TEST_F(MxLookup, AnAnswerWithoutAnExchangerMovesToTheNextServer) {
    // Each of these from the first server; the second one knows.
    const char* const firstReplies[] = {
        R"([{}])",                                                             // no records
        R"([{"rcode": 3}])",                                                   // no such domain
        R"([{"rcode": 2, "answer": [["MX", 10, "failed.example.org"]]}])",     // a failure
        R"([{"tc": true, "answer": [["MX", 10, "truncated.example.org"]]}])",  // truncated
        R"([{"answer": [["CNAME", "elsewhere.example.org"]]}])",               // only an alias
        R"([{"answer": [["A", "192.0.2.7"]]}])",                               // another type
        R"([{"answer": [["MX", 10, "cut.example.org"]], "cut": 45}])",         // the record cut short
        R"([{"answer": [["MX", 10, "cut.example.org"]], "cut": 20}])",         // the question cut short
        // The exchanger a pointer to itself: a loop.
        R"([{"records": "c00c000f00010000003c0004000ac02b", "count": 1}])",
        // A pointer forwards, to a name after the record.
        R"([{"records": "c00c000f00010000003c0004000ac02d026d7800", "count": 1}])",
        // A label running past its record.
        R"([{"records": "c00c000f00010000003c0005000a096d78", "count": 1}])",
    };
    for (const char* first : firstReplies) {
        TSocketPeer stub("dns", std::string(R"({"127.0.0.1": )") + first +
                                    R"(, "127.0.0.2": [{"answer": [["MX", 10, "mx.example.org"]]}]})");
        EXPECT_EQ(ResolveMXRecord("bob@example.org", Settings(stub, {"127.0.0.1", "127.0.0.2"})), "mx.example.org")
            << first;
        // Each server asked once, the same question.
        const std::string question =
            " 01 00 00 01 00 00 00 00 00 00 07 65 78 61 6D 70 6C 65 03 6F 72 67 00 00 0F 00 01";
        EXPECT_EQ(Questions(stub), (std::vector<std::string>{"127.0.0.1" + question, "127.0.0.2" + question})) << first;
    }
}

TEST_F(MxLookup, WhenNoServerKnowsTheDomainIsNamed) {
    TSocketPeer stub("dns", R"({"127.0.0.1": [{}], "127.0.0.2": [{"rcode": 3}]})");
    // An address without "@" is a domain as a whole.
    EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] {
                  ResolveMXRecord("mx.abc.de", Settings(stub, {"127.0.0.1", "0.0.0.0", "127.0.0.2"}));
              }),
              "Cannot resolve the \"mx.abc.de\" MX record.");
    EXPECT_EQ(Questions(stub), (std::vector<std::string>{std::string("127.0.0.1 ") + kMxAbcDeQuestion,
                                                         std::string("127.0.0.2 ") + kMxAbcDeQuestion}));
    // No server at all.
    EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] { ResolveMXRecord("bob@example.org", Settings(stub, {})); }),
              "Cannot resolve the \"example.org\" MX record.");
}

TEST_F(MxLookup, ASocketErrorEndsTheLookupAtOnce) {
    struct Case {
        const char* first;
        const char* message;
    } cases[] = {
        // Silent, or only answers that are not ours: the time-out.
        {R"({"silent": true})", "Socket timeout."},
        {R"([{"id": "other", "answer": [["MX", 1, "spoofed.example.com"]]}])", "Socket timeout."},
        {R"([{"qr": false, "answer": [["MX", 1, "echo.example.com"]]}])", "Socket timeout."},
        {R"([{"cut": 11}])", "Socket timeout."},
    };
    for (const Case& c : cases) {
        TSocketPeer stub("dns", std::string(R"({"127.0.0.1": )") + c.first +
                                    R"(, "127.0.0.2": [{"answer": [["MX", 10, "mx.example.org"]]}]})");
        EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] {
                      ResolveMXRecord("bob@example.org", Settings(stub, {"127.0.0.1", "127.0.0.2"}, 300));
                  }),
                  c.message)
            << c.first;
        EXPECT_EQ(Questions(stub).size(), 1u) << c.first;  // the second server was never asked
    }
    // A server's port where nothing listens: the system says so at once.
    TSocketPeer stub("dns", R"({"127.0.0.2": [{"answer": [["MX", 10, "mx.example.org"]]}]})");
    EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] {
                  ResolveMXRecord("bob@example.org", Settings(stub, {"127.0.0.3", "127.0.0.2"}));
              }),
              "Error into \"recv\": \"Connection refused\"");
    EXPECT_TRUE(Questions(stub).empty());
}
