// The parts of a report mail without a peer: base64, the address list,
// header text, the MIME layout of a session's message, SMTP transparency,
// the masking of a failed session's text, the mailto address and command
// line, and the parts of a sending.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ESockets.h"
#include "ExceptionLog.h"
#include "base/Strings.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/TempDir.h"

using namespace menvaro;
using menvaro::test::ErrorMessage;
using menvaro::test::TempDir;

namespace {

std::string Decode64(std::string_view text) {
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        const char* p = c ? std::strchr(alphabet, c) : nullptr;
        if (!p) continue;
        bits = (bits << 6) | unsigned(p - alphabet);
        if ((count += 6) >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

// The lines of a text split at CR LF, the last (empty after a final CR LF) dropped.
std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    if (at < text.size()) lines.push_back(text.substr(at));
    return lines;
}

}  // namespace

TEST(MailBase64, GroupsPaddingAndLinesOf80Characters) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"f", "Zg==\r\n"},
        {"fo", "Zm8=\r\n"},
        {"foo", "Zm9v\r\n"},
        {std::string("\xFF\xFE\x00", 3), "//4A\r\n"},
        {std::string(60, 'L'), std::string() + "TExM" + "TExM" + "TExM" + "TExM" + "TExM" + "TExM" + "TExM" + "TExM" +
                                   "TExM" + "TExM" + "TExM" + "TExM" + "TExM" + "TExM" + "TExM" + "TExM" + "TExM" +
                                   "TExM" + "TExM" + "TExM" + "\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Base64Encode(c.in), c.out) << c.in.size();
    // 60 bytes fill one line exactly; 61 bytes give a second one of 4 characters.
    const std::string sixty = Base64Encode(std::string(60, 'a'));
    EXPECT_EQ(sixty.size(), 82u);
    EXPECT_TRUE(sixty.ends_with("\r\n"));
    const std::vector<std::string> lines = CrLfLines(Base64Encode(std::string(61, 'a')));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 80u);
    EXPECT_EQ(lines[1], "YQ==");
    EXPECT_EQ(Decode64(Base64Encode(std::string(1000, '\x93'))), std::string(1000, '\x93'));
}

TEST(MailBase64, AFileIsReadWholeAndAMissingOrUnnamedOneGivesNothing) {
    TempDir dir("b64");
    const std::string bytes("\x00\x01\x02\xFF\r\n.", 7);
    const std::string path = dir.Write("data.bin", bytes);
    EXPECT_EQ(Base64EncodeFile(path), Base64Encode(bytes));
    EXPECT_EQ(Base64EncodeFile(dir.path() + "missing.bin"), "");
    EXPECT_EQ(Base64EncodeFile("   "), "");
    EXPECT_EQ(Base64EncodeFile(dir.path()), "");
}

TEST(MailAddressList, SplitsAtCommasAndSemicolonsAndTrims) {
    struct Case {
        const char* text;
        std::vector<std::string> list;
    } cases[] = {
        {"", {}},
        {"   ", {}},
        {"a@x.org", {"a@x.org"}},
        {" a@x.org ; b@y.org ", {"a@x.org", "b@y.org"}},
        {"a@x.org,b@y.org;", {"a@x.org", "b@y.org"}},
        {"a@x.org;;b@y.org", {"a@x.org", "", "b@y.org"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> list{"kept"};
        SplitAddressList(c.text, list);
        std::vector<std::string> expected{"kept"};
        expected.insert(expected.end(), c.list.begin(), c.list.end());
        EXPECT_EQ(list, expected) << c.text;
    }
}

TEST(MailHeaderText, AsciiStaysAndOtherTextBecomesEncodedWordsOfWholeCharacters) {
    EXPECT_EQ(EncodeHeaderText("Crash report 1.0"), "Crash report 1.0");
    const std::string chinese = "资料更新工具的错误报告：程序在处理数据时发生了异常，请查看附件中的日志文件";
    const std::string encoded = EncodeHeaderText(chinese);
    std::string decoded;
    const std::vector<std::string> words = SplitString(ReplaceAll(encoded, "\r\n ", "\n"), '\n');
    EXPECT_GT(words.size(), 1u);
    for (const std::string& w : words) {
        EXPECT_LE(w.size(), 75u) << w;
        ASSERT_TRUE(w.starts_with("=?UTF-8?B?") && w.ends_with("?=")) << w;
        const std::string piece = Decode64(w.substr(10, w.size() - 12));
        // Each word holds whole UTF-8 characters.
        EXPECT_NE(static_cast<unsigned char>(piece[0]) & 0xC0, 0x80u) << w;
        decoded += piece;
    }
    EXPECT_EQ(decoded, chinese);
}

TEST(MailMessage, TheHeadersAndPartsOfOneSessionInTheirOrder) {
    TempDir dir("mime");
    const std::string png = dir.Write("Shot.PNG", std::string("\x89PNG", 4));
    const std::string log = dir.Write("Pelgrane.elf", std::string(61, 'L'));
    const std::string message = BuildSmtpMessage("crash@menvaro.local", "support@menvaro.local", "Error report",
                                                 "Body line", {png, "", dir.path() + "missing.txt", log});
    const std::vector<std::string> lines = CrLfLines(message);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines[0].starts_with("Date: "));
    const std::vector<std::string> expected = {
        "From: <crash@menvaro.local>",
        "Subject: Error report",
        "To: <support@menvaro.local>",
        "Content-Type: multipart/mixed; boundary=\"=_xcjvnxkbhvfkxzhfdbvzldjhfv\";",
        "MIME-Version: 1.0",
        "X-Priority: 1",
        "X-Library: OstrelLog 4.5.4",
        "",
        "This is a multi-part message in MIME format",
        "",
        "--=_xcjvnxkbhvfkxzhfdbvzldjhfv",
        "Content-Type: text/plain",
        "Content-Transfer-Encoding: 7bit",
        "",
        "Body line",
        "",
        "--=_xcjvnxkbhvfkxzhfdbvzldjhfv",
        "Content-Type: image/png;",
        "        name=\"Shot.PNG\"",
        "Content-Transfer-Encoding: base64",
        "Content-Disposition: attachment;",
        "        filename=\"Shot.PNG\"",
        "",
        "iVBORw==",
        "",
        "--=_xcjvnxkbhvfkxzhfdbvzldjhfv",
        "Content-Type: application/octet-stream;",
        "        name=\"Pelgrane.elf\"",
        "Content-Transfer-Encoding: base64",
        "Content-Disposition: attachment;",
        "        filename=\"Pelgrane.elf\"",
        "",
        ReplaceAll(Base64Encode(std::string(60, 'L')), "\r\n", ""),
        "TA==",
        "--=_xcjvnxkbhvfkxzhfdbvzldjhfv--",
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()), expected);
    EXPECT_TRUE(message.ends_with("--=_xcjvnxkbhvfkxzhfdbvzldjhfv--\r\n"));
}

TEST(MailMessage, WithoutAttachmentsTheClosingBoundaryFollowsTheText) {
    const std::string body = MimeBody("Only text", {"", "/nonexistent/file.png"});
    EXPECT_TRUE(body.ends_with("\r\n\r\nOnly text\r\n--=_xcjvnxkbhvfkxzhfdbvzldjhfv--\r\n")) << body;
}

TEST(MailMessage, ANonAsciiSubjectIsEncodedAndANonAsciiTextDeclaresItsCharset) {
    const std::string message = BuildSmtpMessage("a@x.org", "b@y.org", "错误报告", "程序出错了\r\n", {});
    EXPECT_NE(message.find("\r\nSubject: =?UTF-8?B?" + ReplaceAll(Base64Encode("错误报告"), "\r\n", "") + "?=\r\n"),
              std::string::npos);
    EXPECT_NE(message.find("Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                           Base64Encode("程序出错了\r\n")),
              std::string::npos);
    EXPECT_TRUE(IsAsciiText(message));
}

TEST(MailMessage, ALineBreakInTheSubjectSenderOrRecipientIsRefused) {
    struct Case {
        const char *sender, *recipient, *subject, *error;
    } cases[] = {
        {"a@x.org", "b@y.org", "Hi\r\nBcc: victim@z.org", "The subject holds a line break."},
        {"a@x.org", "b@y.org", "Hi\nthere", "The subject holds a line break."},
        {"a@x.org\r\nRCPT TO:<c@z.org>", "b@y.org", "Hi", "The sender address holds a line break."},
        {"a@x.org", "b@y.org>\rX-Evil: 1", "Hi", "The recipient address holds a line break."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorMessage<EOstrelSocketError>([&] { BuildSmtpMessage(c.sender, c.recipient, c.subject, "", {}); }),
                  c.error);
}

TEST(SmtpTransparency, LineEndsBecomeCrLfAndLinesStartingWithADotGetAnother) {
    struct Case {
        const char *in, *out;
    } cases[] = {
        {"", ""},
        {"a", "a\r\n"},
        {"a\r\n", "a\r\n"},
        {"a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd\r\n"},
        {".\r\n", "..\r\n"},
        {"x\r\n.\r\ny", "x\r\n..\r\ny\r\n"},
        {".hidden\n..two\n a.b", "..hidden\r\n...two\r\n a.b\r\n"},
        {"\n\n", "\r\n\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(SmtpDataText(c.in), c.out) << c.in;
}

TEST(SmtpWarning, TheLoginAndPasswordAreMaskedInEveryForm) {
    const std::string text = "334 VXNlcm5hbWU6\r\n***\r\n535 Bad credentials for crashuser (" +
                             ReplaceAll(Base64Encode("s3cret!"), "\r\n", "") + ") s3cret!\r\n";
    const std::string masked = MaskSmtpSecrets(text, "crashuser", "s3cret!");
    EXPECT_EQ(masked.find("crashuser"), std::string::npos);
    EXPECT_EQ(masked.find("s3cret!"), std::string::npos);
    EXPECT_EQ(masked.find(ReplaceAll(Base64Encode("s3cret!"), "\r\n", "")), std::string::npos);
    EXPECT_NE(masked.find("535 Bad credentials for *** (***) ***"), std::string::npos) << masked;
    EXPECT_EQ(MaskSmtpSecrets("250 OK", "", ""), "250 OK");
}

TEST(Mailto, TheAddressIsPercentEncodedAndAmpersandsCannotAddRecipients) {
    const std::string address =
        MailtoAddress("a@x.org; b+c@y.org", "Error: 100% & more", "Body & text\r\nline", "\r\n&to=evil@z.org 中");
    EXPECT_EQ(address,
              "mailto:a@x.org,b%2Bc@y.org?Subject=Error%3A%20100%25%20%26%20more&Body=Body%20%20text%0D%0Aline"
              "%0D%0A%26to%3Devil%40z.org%20%E4%B8%AD");
}

TEST(Mailto, ALongBodyIsCutBetweenCharactersBelowTheLimit) {
    const std::string head = MailtoAddress("a@x.org", "S", "", "");
    EXPECT_EQ(head, "mailto:a@x.org?Subject=S&Body=");
    // Each "中" takes 9 bytes encoded: the cut falls before a character
    // that would cross the limit.
    const std::string address = MailtoAddress("a@x.org", "S", "", "中中中中中",
                                              head.size() + 9 * 3 + 4);
    EXPECT_EQ(address, head + "%E4%B8%AD%E4%B8%AD%E4%B8%AD");
    EXPECT_EQ(MailtoAddress("a@x.org", "S", "abc", "", head.size() + 2), head + "ab");
    EXPECT_FALSE(ErrorMessage<EConvertError>([&] { MailtoAddress("a@x.org", "S", "", "", 10); }).empty());
    const std::string huge = MailtoAddress("a@x.org", "S", std::string(200000, '\n'), "");
    EXPECT_LE(huge.size(), kMaxArgumentLength);
    EXPECT_GT(huge.size(), kMaxArgumentLength - 6);
}

TEST(Mailto, TheCommandLineIsSplitIntoWordsAndEachPercentOneReplaced) {
    struct Case {
        const char* command;
        std::vector<std::string> words;
    } cases[] = {
        {"xdg-open %1", {"xdg-open", "mailto:x"}},
        {"\"/opt/My Mail/mail\" -compose \"%1\"", {"/opt/My Mail/mail", "-compose", "mailto:x"}},
        {"  mail   --to=%1  ", {"mail", "--to=mailto:x"}},
        {"mail ; rm -rf / %1", {"mail", ";", "rm", "-rf", "/", "mailto:x"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(MailtoCommandLine(c.command, "mailto:x"), c.words) << c.command;
}

TEST(MailHelpers, EnvironmentReferencesAreExpanded) {
    ::setenv("MENVARO_MAIL_TEST", "/opt/mail", 1);
    ::unsetenv("MENVARO_MAIL_UNSET");
    EXPECT_EQ(ExpandEnvironmentStrings("%MENVARO_MAIL_TEST%/lib.so"), "/opt/mail/lib.so");
    EXPECT_EQ(ExpandEnvironmentStrings("100% of %MENVARO_MAIL_UNSET% and %MENVARO_MAIL_TEST%"),
              "100% of %MENVARO_MAIL_UNSET% and /opt/mail");
    EXPECT_EQ(ExpandEnvironmentStrings("%%"), "%%");
    EXPECT_EQ(ExpandEnvironmentStrings(std::string(3000, 'a')).size(), 2048u);
}

TEST(MailHelpers, TheBodyAndTheWayOfASendingFollowTheOptions) {
    TOwned<TOstrelModuleOptions> o(Create<TOstrelModuleOptions>("/opt/app/Pelgrane", false));
    EXPECT_EQ(BodyAddition(*o, "REPORT"), "");
    o->SetLogInBody(true);
    EXPECT_EQ(BodyAddition(*o, "REPORT"), "\r\n\r\n\r\nREPORT");
    for (int mode = 0; mode < 5; ++mode) {
        o->SetSendMode(static_cast<std::uint8_t>(mode));
        EXPECT_EQ(IsSmtpSendMode(*o), mode == 2 || mode == 3) << mode;
    }
}

TEST(MailEvents, AHandlerMayCancelObserveAndRetryASending) {
    std::vector<std::string> seen;
    bool cancel = false, retry = false;
    LoggerEvents().OnCustomAction = [&](const TOstrelExceptionRecord&, TOstrelAction action, bool& execute) {
        seen.push_back("action " + std::to_string(action) + (execute ? " on" : " off"));
        if (action == atSendingMail && cancel) execute = false;
    };
    LoggerEvents().ErrorNotifyProc = [&](const TOstrelExceptionRecord&, TOstrelAction action, bool& again) {
        seen.push_back("error " + std::to_string(action));
        again = retry;
    };
    const TOstrelExceptionRecord record;
    EXPECT_TRUE(SendingMailEvent(record));
    cancel = true;
    EXPECT_FALSE(SendingMailEvent(record));
    SentMailEvent(record, false);
    EXPECT_FALSE(RetrySendEvent(record));
    retry = true;
    EXPECT_TRUE(RetrySendEvent(record));
    LoggerEvents() = TOstrelEvents{};
    EXPECT_EQ(seen, (std::vector<std::string>{"action 4 on", "action 4 on", "action 5 off", "error 5", "error 5"}));
}
