// The report mail by the computer's mail client: the Simple MAPI library
// named by the registry (our own, handing the message to msmtp, which
// delivers it to a local mail server) and the mailto handler (a recording
// program named by the registry).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "EnvVar.h"
#include "ExceptionLog.h"
#include "SocketPeer.h"
#include "base/Files.h"
#include "base/Strings.h"
#include "testsupport/TempDir.h"

using namespace menvaro;
using menvaro::test::EnvVar;
using menvaro::test::TempDir;
using menvaro::test::TSocketPeer;

namespace {

// The e-mail parser's reading of each message (smtp_peer.py): its
// recipients, defects, subject, text and attachments as words.
std::vector<std::string> Received(const TSocketPeer& server) {
    std::vector<std::string> lines;
    for (const std::string& line : SplitString(server.Log(), '\n'))
        if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string Hex(std::string_view text) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (char c : text) {
        out += digits[static_cast<unsigned char>(c) >> 4];
        out += digits[static_cast<unsigned char>(c) & 15];
    }
    return out;
}

class MailClient : public ::testing::Test {
protected:
    // A registry that names the mail client's library and the mailto handler.
    std::string Registry(const std::string& dllPath, const std::string& mailtoCommand) {
        std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
        if (!dllPath.empty())
            text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Clients\\Mail]\r\n@=\"Menvaro Mail\"\r\n\r\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Clients\\Mail\\Menvaro Mail]\r\n\"DLLPath\"=\"" +
                    dllPath + "\"\r\n\r\n";
        if (!mailtoCommand.empty())
            text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\mailto\\shell\\open\\command]\r\n@=\"" +
                    ReplaceAll(mailtoCommand, "\"", "\\\"") + "\"\r\n";
        return dir_.Write("registry.reg", text);
    }
    // msmtp's settings for the local server.
    std::string Msmtp(std::uint16_t port) {
        const std::string rc = dir_.Write("msmtprc", "account default\nhost 127.0.0.1\nport " + std::to_string(port) +
                                                         "\nfrom crash@menvaro.local\nauth off\ntls off\n");
        ::chmod(rc.c_str(), 0600);
        return "msmtp -C " + rc + " -t -oi";
    }
    void SetUp() override { ClearWarning(); }

    TempDir dir_{"mailclient"};
};

}  // namespace

TEST_F(MailClient, TheLibraryHandsTheMessageThroughMsmtpToTheMailServer) {
    TSocketPeer server(SMTP_PEER_SCRIPT, "smtp", "{}");
    EnvVar folder("MENVARO_TEST_MAPI_DIR", ExtractFileDir(MAPI_LIBRARY).c_str());
    EnvVar registry("MENVARO_REGISTRY",
                    Registry("%MENVARO_TEST_MAPI_DIR%/" + ExtractFileName(MAPI_LIBRARY), "").c_str());
    EnvVar sendmail("MENVARO_SENDMAIL", Msmtp(server.Port()).c_str());
    const std::string log = dir_.Write("Pelgrane.elf", std::string("report\r\n\x01\x02\xFE", 11));
    const std::string png = dir_.Write("Screenshot.png", "\x89PNG data");
    EXPECT_TRUE(SendEmailByMapi("support@menvaro.test; ops@menvaro.test", "错误报告 Pelgrane",
                                "The body.\r\n.dotted\r\n", {log, "", dir_.path() + "missing.png", png}));
    EXPECT_EQ(LastWarningCode(), eeNone) << LastWarningMessage();
    const std::vector<std::string> got = Received(server);
    const std::vector<std::string> expected = {
        "message",
        "from crash@menvaro.local",
        "rcpt support@menvaro.test",
        "rcpt ops@menvaro.test",
        "defects 0",
    };
    ASSERT_GE(got.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + 5), expected);
    auto has = [&](const std::string& line) { return std::find(got.begin(), got.end(), line) != got.end(); };
    EXPECT_TRUE(has("header To " + Hex("support@menvaro.test, ops@menvaro.test")));
    EXPECT_TRUE(has("header Subject " + Hex("错误报告 Pelgrane")));
    // The text part closes with a line end of its own.
    EXPECT_TRUE(has("text " + Hex("The body.\r\n.dotted\r\n\r\n"))) << ::testing::PrintToString(got);
    EXPECT_TRUE(has("attachment " + Hex("Pelgrane.elf") + " application/octet-stream " +
                    Hex(std::string("report\r\n\x01\x02\xFE", 11))));
    EXPECT_TRUE(has("attachment " + Hex("Screenshot.png") + " image/png " + Hex("\x89PNG data")));
    EXPECT_EQ(got.back(), "end");
}

TEST_F(MailClient, EachFailureOfTheLibraryIsItsOwnWarning) {
    const char* const sink = "dd of=/dev/null status=none";
    const std::string longAddress = std::string(250, 'a') + "@menvaro.test";
    struct Case {
        std::string dll;
        const char* sendmail;
        const char* recipients;
        bool result;
        TOstrelLogErrorCode code;
        const char* warning;
    } cases[] = {
        // No library: the registry's is missing and none has the default name.
        {"/nonexistent/libmail.so", sink, "a@menvaro.test", false, eeEmailMAPIError, "Cannot open the MAPI dll."},
        {"", sink, "a@menvaro.test", false, eeEmailMAPIError, "Cannot open the MAPI dll."},
        {TEST_LIBRARY, sink, "a@menvaro.test", false, eeEmailMAPIError, "Cannot found the MAPI functions."},
        {MAPI_LIBRARY, "false", "a@menvaro.test", false, eeEmailMAPIError, "Cannot send the MAPI message."},
        {MAPI_LIBRARY, "/nonexistent/sendmail -t", "a@menvaro.test", false, eeEmailMAPIError,
         "Cannot send the MAPI message."},
        // A recipient the library cannot resolve stops the sending silently.
        {MAPI_LIBRARY, sink, "a@menvaro.test;not an address", false, eeNone, ""},
        {MAPI_LIBRARY, sink, "a@menvaro.test;;b@menvaro.test", false, eeNone, ""},
        // Resolved, but longer than the 256 characters a recipient's buffer holds.
        {MAPI_LIBRARY, sink, longAddress.c_str(), false, eeNone, ""},
        {MAPI_LIBRARY, sink, "a@menvaro.test, b@menvaro.test", true, eeNone, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dll + " " + c.sendmail + " " + c.recipients);
        EnvVar registry("MENVARO_REGISTRY", Registry(c.dll, "").c_str());
        EnvVar sendmail("MENVARO_SENDMAIL", c.sendmail);
        ClearWarning();
        EXPECT_EQ(SendEmailByMapi(c.recipients, "Subject", "Body", {}), c.result);
        EXPECT_EQ(LastWarningCode(), c.code);
        EXPECT_EQ(LastWarningMessage(), c.warning);
    }
}

TEST_F(MailClient, TheMailtoHandlerGetsOneEncodedArgumentWithoutAShell) {
    const std::string record = dir_.Write("record.py",
                                          "import sys\n"
                                          "with open(sys.argv[1], 'wb') as f:\n"
                                          "    f.write(b'\\0'.join(a.encode('utf-8', 'surrogateescape') for a in sys.argv[2:]))\n");
    const std::string args = dir_.path() + "args";
    const std::string marker = dir_.path() + "no-shell";
    EnvVar registry("MENVARO_REGISTRY",
                    Registry("", "\"" PEER_PYTHON "\" \"" + record + "\" \"" + args + "\" %1 ;touch " + marker).c_str());
    const std::string report = "Report line 1\r\nmailto & extra: &cc=evil@z.test";
    EXPECT_TRUE(SendEmailByShell("support@menvaro.test;ops@menvaro.test", "Error & report",
                                 "Please look & fix.", report, "Steps: open & close"));
    EXPECT_EQ(LastWarningCode(), eeNone) << LastWarningMessage();
    const std::vector<std::string> got = SplitString(ReadFileBytes(args), '\0');
    const std::string address = MailtoAddress("support@menvaro.test;ops@menvaro.test", "Error & report",
                                              "Please look & fix.",
                                              "\r\n\r\n\r\n" + report + "\r\n\r\n\r\nSteps: open & close");
    EXPECT_EQ(got, (std::vector<std::string>{address, ";touch", marker}));
    EXPECT_TRUE(address.starts_with("mailto:support@menvaro.test,ops@menvaro.test?Subject=Error%20%26%20report"
                                    "&Body=Please%20look%20%20fix.%0D%0A%0D%0A%0D%0AReport%20line%201"));
    EXPECT_NE(address.find("%26cc%3Devil%40z.test"), std::string::npos);
    EXPECT_FALSE(FileExists(marker));
}

TEST_F(MailClient, AMailtoHandlerThatCannotStartIsAWarning) {
    EnvVar registry("MENVARO_REGISTRY", Registry("", dir_.path() + "no-such-handler %1").c_str());
    EXPECT_FALSE(SendEmailByShell("a@menvaro.test", "S", "B"));
    EXPECT_EQ(LastWarningCode(), eeEmailShellError);
    EXPECT_EQ(LastWarningMessage(), SysErrorMessage(ENOENT));
}
