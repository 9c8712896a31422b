#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "Bytes.h"
#include "EConsts.h"
#include "ExceptionLog.h"
#include "base/Files.h"
#include "base/Streams.h"
#include "testsupport/ErrorMessage.h"

using namespace menvaro;

namespace {

using test::Hex;
using Options = TOwned<TOstrelModuleOptions>;

Options NewOptions(const std::string& module = "") { return Options(Create<TOstrelModuleOptions>(module, false)); }

std::string StreamOf(const TOstrelModuleOptions& o) {
    TMemoryStream s;
    o.SaveToStream(s);
    return s.Bytes();
}

// Loads `bytes` and answers how far the reading went.
std::int64_t Load(TOstrelModuleOptions& o, const std::string& bytes, std::uint16_t version) {
    TMemoryStream s(bytes);
    o.LoadFromStream(s, version);
    return s.Position();
}

// Fields written one after the other as the options stream stores them.
class Fields {
public:
    Fields& B(int v) {
        bytes_ += static_cast<char>(v);
        return *this;
    }
    Fields& W(std::uint16_t v) { return B(v & 0xFF).B(v >> 8); }
    Fields& I(std::int64_t v) {
        for (int i = 0; i < 4; ++i) B(static_cast<int>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF));
        return *this;
    }
    Fields& S(const std::string& s) {
        I(static_cast<std::int64_t>(s.size()));
        for (unsigned char c : s) B(c ^ 0x3C);
        return *this;
    }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// An options object whose Changed hook counts, and whose virtual setters
// note that they ran.
class CountingOptions : public TOstrelModuleOptions {
public:
    using TOstrelModuleOptions::TOstrelModuleOptions;
    void SetActive(bool v) override {
        calls.push_back("SetActive");
        TOstrelModuleOptions::SetActive(v);
    }
    void SetFreezeCheck(bool v) override {
        calls.push_back("SetFreezeCheck");
        TOstrelModuleOptions::SetFreezeCheck(v);
    }
    int changes = 0;
    std::vector<std::string> calls;

protected:
    void ChangedHook() override { ++changes; }
};

}  // namespace

TEST(Options, ANewObjectHoldsTheDefaults) {
    Options o = NewOptions("/opt/menvaro/Pelgrane");
    struct Case {
        const char* field;
        std::int64_t value, expected;
    } cases[] = {
        {"UpdateCount", o->UpdateCount(), 0},
        {"SmtpPort", o->SmtpPort(), 25},
        {"RestartOnTerminate", o->RestartOnTerminate(), 1},
        {"FreezeCheck", o->FreezeCheck(), 0},
        {"FreezeTimeout", o->FreezeTimeout(), 60},
        {"SkinnedDialog", o->SkinnedDialog(), 1},
        {"ReportItems", o->ReportItems(), 0xFFFFFFFF},
        {"FilterClasses", o->FilterClasses().Count(), 0},
        {"FilterMessages", o->FilterMessages().Count(), 0},
        {"LegacyFlag", o->LegacyFlag(), 1},
        {"FilterEnabled", o->FilterEnabled(), 1},
        {"ShowReport", o->ShowReport(), 1},
        {"LogInBody", o->LogInBody(), 0},
        {"AttachScreenshot", o->AttachScreenshot(), 0},
        {"ShowSendProgress", o->ShowSendProgress(), 1},
        {"TerminateButton", o->TerminateButton(), 1},
        {"SaveLog", o->SaveLog(), 1},
        {"SendWholeLog", o->SendWholeLog(), 0},
        {"DialogFlags", o->DialogFlags(), 0},
        {"InitialTab", o->InitialTab(), 0},
        {"MaxLogReports", o->MaxLogReports(), 32},
        {"TerminateAfterErrors", o->TerminateAfterErrors(), 3},
        {"SendMode", o->SendMode(), 0},
        {"Active", o->Active(), 1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.value, c.expected) << c.field;
    EXPECT_EQ(o->ModuleName(), "/opt/menvaro/Pelgrane");
    EXPECT_EQ(o->SenderAddress(), kDefaultSenderAddress);
    EXPECT_EQ(o->FreezeMessage(), "The application seems to be frozen.");
    for (const std::string& s :
         {o->SmtpHost(), o->SmtpUser(), o->SmtpPassword(), o->LogPath(), o->MailTo(), o->MailSubject(), o->MailBody()})
        EXPECT_EQ(s, "");
    EXPECT_EQ(o->GetText(0), "Information.");
    EXPECT_EQ(o->GetText(3),
              "An error has occurred during program execution.\r\n"
              "Please read the following information for further details.");
    EXPECT_EQ(o->GetText(44), "Build #");
    EXPECT_EQ(o->GetText(70), "Memory Dump");
    EXPECT_EQ(test::ErrorMessage<ERangeError>([&] { o->GetText(71); }), "Text index out of bounds (71)");
}

TEST(Options, AFreshStreamStartsAsTheFieldTableSays) {
    Options o = NewOptions();
    const std::string bytes = StreamOf(*o);
    // LegacyFlag 1, FilterEnabled 1, DialogFlags 0, ShowReport 1, LogInBody 0,
    // SendWholeLog 0, AttachScreenshot 0, ShowSendProgress 1, SaveLog 1,
    // InitialTab 0, SkinnedDialog 1, FreezeCheck 0; FreezeTimeout 60; then
    // FreezeMessage, 35 bytes, "The" ^ 0x3C = 68 54 59.
    EXPECT_EQ(Hex(bytes.substr(0, 23)), "01 01 00 01 00 00 00 01 01 00 01 00 3C 00 00 00 23 00 00 00 68 54 59");
    // After the 35 bytes (at 55): SenderAddress, 19 bytes ("c" ^ 0x3C = 5F).
    EXPECT_EQ(Hex(bytes.substr(55, 5)), "13 00 00 00 5F");
    // At 78: SmtpHost empty, SmtpPort 25, SmtpUser and SmtpPassword empty,
    // RestartOnTerminate 1, TerminateButton 1, MaxLogReports 32,
    // TerminateAfterErrors 3, MailTo and MailSubject empty, SendMode 0,
    // ReportItems all set, LogPath empty, no pairs, MailBody empty, then
    // text 0, "Information." (12 bytes, "I" ^ 0x3C = 75).
    EXPECT_EQ(Hex(bytes.substr(78, 54)),
              "00 00 00 00 19 00 00 00 00 00 00 00 00 00 01 01 20 00 00 00 03 00 00 00 00 00 00 00 00 00 00 00 00 "
              "FF FF FF FF 00 00 00 00 00 00 00 00 00 00 00 00 0C 00 00 00 75");
}

TEST(Options, EveryOptionSurvivesARoundTripAtTheCurrentVersion) {
    Options a = NewOptions("/a/Module");
    a->SetLegacyFlag(false);
    a->SetFilterEnabled(false);
    a->SetDialogFlags(kDialogDuplicateCheck | kDialogAskReproduceSteps);
    a->SetShowReport(false);
    a->SetLogInBody(true);
    a->SetSendWholeLog(true);
    a->SetAttachScreenshot(true);
    a->SetShowSendProgress(false);
    a->SetSaveLog(false);
    a->SetInitialTab(3);
    a->SetSkinnedDialog(false);
    a->SetFreezeCheck(true);
    a->SetFreezeTimeout(7);
    a->SetFreezeMessage("冻结了");
    a->SetSenderAddress("sender@example.org");
    a->SetSmtpHost("mail.example.org");
    a->SetSmtpPort(587);
    a->SetSmtpUser("user");
    a->SetSmtpPassword("secret");
    a->SetRestartOnTerminate(false);
    a->SetTerminateButton(false);
    a->SetMaxLogReports(5);
    a->SetTerminateAfterErrors(9);
    a->SetMailTo("a@example.org;b@example.org");
    a->SetMailSubject("报告");
    a->SetSendMode(3);
    a->SetReportItems(0x00500001);
    a->SetLogPath("/var/log/menvaro");
    a->FilterClasses().Add("EAbort");
    a->FilterClasses().Add("EConvertError");
    a->FilterMessages().Add("");
    a->FilterMessages().Add("请检查输入");
    a->SetMailBody("line one\r\nline two");
    for (int i = 0; i < kOstrelTextCount; ++i) a->SetText(i, "text " + std::to_string(i));
    a->SetText(3, "first\r\nsecond");

    Options b = NewOptions("/b/Other");
    b->SetActive(false);
    const std::string bytes = StreamOf(*a);
    EXPECT_EQ(Load(*b, bytes, 454), static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(StreamOf(*b), bytes);
    EXPECT_EQ(b->SmtpPassword(), "secret");
    EXPECT_EQ(b->GetText(3), "first\r\nsecond");
    EXPECT_EQ(b->FilterMessages()[1], "请检查输入");
    // Neither travels in the stream.
    EXPECT_FALSE(b->Active());
    EXPECT_EQ(b->ModuleName(), "/b/Other");
}

TEST(Options, OlderStreamsAreReadByTheirVersion) {
    // A stream as version v lays it out (Fields, in the order of the reading
    // steps), with values that differ from the defaults where they can.
    auto older = [](std::uint16_t v, int sendMode, const std::string& host) {
        Fields f;
        f.B(0).B(0).B(2).B(0);  // LegacyFlag, FilterEnabled, DialogFlags, ShowReport (stored 0)
        f.B(1);                 // LogInBody
        if (v >= 450) f.B(1).B(1).B(0);
        if (v >= 401) f.B(0).B(2);
        if (v >= 403) f.B(0);
        if (v >= 420) {
            f.B(1).I(60000).S("frozen");
            if (v >= 450) f.S("from@example.org");
            f.S(host);
        }
        if (v >= 450) f.W(2525);
        if (v >= 421) f.S("user").S("pass").B(0);
        f.B(0).I(7).I(4).S("to@example.org").S("subject").B(sendMode);
        f.I(0x1234);
        if (v < 450) f.B(0xEE);  // the byte older streams have here
        f.S("/logs").I(1).S("EAbort").S("").S("body");
        for (int i = 0; i < kOstrelTextCount; ++i) {
            const bool stored = (i == 15 && v >= 420) || (i == 14 && v >= 421) ||
                                !((i >= 8 && i <= 11) || (i >= 14 && i <= 18) || i == 23 || i == 37 || i == 45 ||
                                  i == 47 || i == 48 || i >= 53) ||
                                v >= 450;
            if (stored) f.S("t" + std::to_string(i));
        }
        return f.Bytes();
    };
    struct Case {
        std::uint16_t version;
        int storedSendMode;
        const char* host;
        bool showReport;
        bool saveLog, skinned, freezeCheck;
        std::int32_t freezeTimeout;
        const char* smtpHost;
        const char* smtpUser;
        int sendMode;
        bool text14, text15, text53;  // read from the stream, else the default
    } cases[] = {
        {400, 1, "", true, true, true, false, 60, "", "", 1, false, false, false},
        {403, 1, "", true, false, false, false, 60, "", "", 1, false, false, false},
        {420, 1, "smtp.example.org", true, false, false, true, 60, "smtp.example.org", "", 2, false, true, false},
        {421, 3, "", true, false, false, true, 60, "", "user", 1, true, true, false},
        {422, 0, "smtp.example.org", true, false, false, true, 60000, "smtp.example.org", "user", 0, true, true, false},
        {449, 1, "smtp.example.org", true, false, false, true, 60000, "smtp.example.org", "user", 2, true, true, false},
        {450, 3, "", false, false, false, true, 60000, "", "user", 3, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ClearWarning();
        Options o = NewOptions();
        const std::string bytes = older(c.version, c.storedSendMode, c.host);
        EXPECT_EQ(Load(*o, bytes, c.version), static_cast<std::int64_t>(bytes.size()));
        EXPECT_EQ(LastWarningCode(), eeNone) << LastWarningMessage();
        EXPECT_FALSE(o->LegacyFlag());
        EXPECT_EQ(o->DialogFlags(), 2);
        EXPECT_EQ(o->ShowReport(), c.showReport);
        EXPECT_TRUE(o->LogInBody());
        EXPECT_EQ(o->SendWholeLog(), c.version >= 450);
        EXPECT_EQ(o->ShowSendProgress(), c.version < 450);
        EXPECT_EQ(o->SaveLog(), c.saveLog);
        EXPECT_EQ(o->InitialTab(), c.version >= 401 ? 2 : 0);
        EXPECT_EQ(o->SkinnedDialog(), c.skinned);
        EXPECT_EQ(o->FreezeCheck(), c.freezeCheck);
        EXPECT_EQ(o->FreezeTimeout(), c.freezeTimeout);
        EXPECT_EQ(o->FreezeMessage(), c.version >= 420 ? "frozen" : kDefaultFreezeMessage);
        EXPECT_EQ(o->SenderAddress(), c.version >= 450 ? "from@example.org" : kDefaultSenderAddress);
        EXPECT_EQ(o->SmtpHost(), c.smtpHost);
        EXPECT_EQ(o->SmtpPort(), c.version >= 450 ? 2525 : 25);
        EXPECT_EQ(o->SmtpUser(), c.smtpUser);
        EXPECT_EQ(o->RestartOnTerminate(), c.version < 421);
        EXPECT_FALSE(o->TerminateButton());
        EXPECT_EQ(o->MaxLogReports(), 7);
        EXPECT_EQ(o->MailSubject(), "subject");
        EXPECT_EQ(o->SendMode(), c.sendMode);
        EXPECT_EQ(o->ReportItems(), 0x1234u);
        EXPECT_EQ(o->LogPath(), "/logs");
        EXPECT_EQ(o->FilterClasses().ToVector(), std::vector<std::string>{"EAbort"});
        EXPECT_EQ(o->MailBody(), "body");
        EXPECT_EQ(o->GetText(0), "t0");
        EXPECT_EQ(o->GetText(8), c.version >= 450 ? "t8" : "Modules");
        EXPECT_EQ(o->GetText(14), c.text14 ? "t14" : "&Restart");
        EXPECT_EQ(o->GetText(15), c.text15 ? "t15" : "&Details");
        EXPECT_EQ(o->GetText(53), c.text53 ? "t53" : "SMTP.");
        EXPECT_EQ(o->GetText(70), c.version >= 450 ? "t70" : "Memory Dump");
    }
}

TEST(Options, StoredStringsLoseOnlyAClosingLineBreak) {
    struct Case {
        const char* text;
        const char* stored;  // what is kept
    } cases[] = {
        {"abc\r\n", "abc"}, {"a\r\nb\r\n", "a\r\nb\r\n"},   {"", ""}, {"\r\n", ""}, {"\n", "\n"},
        {"x", "x"},         {"\r\nabc\r\n", "\r\nabc\r\n"},
    };
    for (const Case& c : cases) {
        const std::string stored = c.stored;
        Fields f;
        f.S(stored);
        EXPECT_EQ(StoredString(c.text, kStringScrambleKey), f.Bytes()) << c.text;
        Options a = NewOptions(), b = NewOptions();
        a->SetMailBody(c.text);
        Load(*b, StreamOf(*a), 454);
        EXPECT_EQ(b->MailBody(), stored) << c.text;
    }
    EXPECT_EQ(StoredString("", kStringScrambleKey), std::string(4, '\0'));
    EXPECT_EQ(Hex(StoredString("ab")), "02 00 00 00 61 62");  // the shared blocks' strings are plain
}

TEST(Options, FilterListsOfUnequalLengthsAreWrittenAsPairs) {
    Options a = NewOptions();
    for (const char* c : {"EAbort", "EConvertError", "EListError"}) a->FilterClasses().Add(c);
    a->FilterMessages().Add("不要报告");
    const std::string bytes = StreamOf(*a);
    Fields pairs;
    pairs.I(3).S("EAbort").S("不要报告").S("EConvertError").S("").S("EListError").S("");
    EXPECT_NE(bytes.find(pairs.Bytes()), std::string::npos);
    Options b = NewOptions();
    b->FilterClasses().Add("Stale");
    Load(*b, bytes, 454);
    EXPECT_EQ(b->FilterClasses().ToVector(), (std::vector<std::string>{"EAbort", "EConvertError", "EListError"}));
    EXPECT_EQ(b->FilterMessages().ToVector(), (std::vector<std::string>{"不要报告", "", ""}));
}

TEST(Options, SmallValuesAreMended) {
    Options o = NewOptions();
    for (std::int32_t v : {0, -5, INT32_MIN}) {
        o->SetMaxLogReports(v);
        EXPECT_EQ(o->MaxLogReports(), 1) << v;
    }
    // A stored count of 0 or less reads as 1 too.
    Fields f;
    f.B(1).B(1).B(0).B(1).B(0).B(0).B(0).B(1).B(1).B(0).B(1).B(0).I(60).S("").S("").S("").W(25).S("").S("");
    f.B(1).B(1).I(-3);
    Options p = NewOptions();
    Load(*p, f.Bytes(), 454);
    EXPECT_EQ(p->MaxLogReports(), 1);

    // The watchdog's time-out in 64 bits; 0 or less turns it off.
    o->SetFreezeCheck(true);
    o->SetFreezeTimeout(INT32_MAX);
    EXPECT_EQ(o->FreezeTimeoutMs(), std::int64_t{INT32_MAX} * 1000);
    EXPECT_TRUE(o->FreezeWatchdogOn());
    for (std::int32_t v : {0, -1}) {
        o->SetFreezeTimeout(v);
        EXPECT_FALSE(o->FreezeWatchdogOn()) << v;
    }
}

TEST(Options, AssignCopiesAllButActiveAndTheModuleName) {
    Options source = NewOptions("/src/Module");
    source->SetSmtpHost("smtp.example.org");
    source->SetFreezeCheck(true);
    source->SetText(12, "好");
    source->FilterClasses().Add("EAbort");
    source->SetActive(false);
    const std::string module = ProgramPath();  // this program holds the logger
    TOwned<CountingOptions> target(Create<CountingOptions>(module, true));
    target->calls.clear();
    target->changes = 0;
    target->Assign(source.get());
    EXPECT_EQ(StreamOf(*target), StreamOf(*source));
    EXPECT_TRUE(target->Active());
    EXPECT_EQ(target->ModuleName(), module);
    EXPECT_EQ(target->calls, std::vector<std::string>{"SetFreezeCheck"});  // Active is not set
    EXPECT_EQ(target->changes, 1);                                         // once, at the end

    // Nil is refused and changes nothing; the object itself is no change.
    const std::string before = StreamOf(*target);
    EXPECT_EQ(test::ErrorMessage<EConvertError>([&] { target->Assign(nullptr); }),
              "Impossible to assign nil as TOstrelModuleOptions.");
    target->Assign(target.get());
    EXPECT_EQ(StreamOf(*target), before);
    EXPECT_EQ(target->changes, 1);
}

TEST(Options, OnlyTheLoggersOwnModuleRunsTheChangedHook) {
    struct Case {
        std::string module;
        bool notify;
        int changes;  // after one change outside an update
    } cases[] = {
        {ProgramPath(), true, 1},  {ExtractFileName(ProgramPath()), true, 1},  // a file name alone finds the module too
        {ProgramPath(), false, 0}, {"/usr/lib/other/libOther.so", true, 0},   {"", true, 0},
    };
    for (const Case& c : cases) {
        TOwned<CountingOptions> o(Create<CountingOptions>(c.module, c.notify));
        o->changes = 0;
        o->SetMailTo("x@example.org");
        o->SetMailTo("x@example.org");  // the same value is no change
        EXPECT_EQ(o->changes, c.changes) << c.module << " " << c.notify;
    }
    TOwned<CountingOptions> o(Create<CountingOptions>(ProgramPath(), true));
    o->changes = 0;
    o->BeginUpdate();
    o->SetSendMode(2);
    o->FilterClasses().Add("EAbort");
    o->EndUpdate();
    EXPECT_EQ(o->changes, 0);  // EndUpdate runs none itself
    o->Changed();
    EXPECT_EQ(o->changes, 1);
    o->FilterMessages().Add("");  // the lists' changes are changes of the options
    EXPECT_EQ(o->changes, 2);
}

TEST(Options, TheLogFileIsNamedAfterTheModule) {
    struct Case {
        const char* logPath;
        const char* module;
        std::string expected;
    } cases[] = {
        {"", "/opt/menvaro/Pelgrane", "/opt/menvaro/Pelgrane.elf"},
        {"/var/log/menvaro", "/opt/menvaro/Pelgrane", "/var/log/menvaro/Pelgrane.elf"},
        {"/var/log/menvaro/", "/opt/menvaro/Pelgrane", "/var/log/menvaro/Pelgrane.elf"},
        {"/logs/All.ELF", "/opt/menvaro/Pelgrane", "/logs/All.ELF"},
        {"/logs/All.elf", "/usr/lib/libQuellin.so", "/logs/All.elf"},
        {"", "/usr/lib/libQuellin.so", "/usr/lib/libQuellin.elf"},
        {"/var/log", "/usr/lib/libQuellin.so", "/var/log/libQuellin.elf"},
        {"", "Pelgrane", StartupFolder() + "Pelgrane.elf"},  // no folder: never the root
        {"", "", StartupFolder() + ".elf"},
    };
    for (const Case& c : cases) {
        Options o = NewOptions(c.module);
        o->SetLogPath(c.logPath);
        EXPECT_EQ(o->OutputLogFile(), c.expected) << c.logPath << " " << c.module;
    }
    Options o = NewOptions();
    EXPECT_EQ(o->OutputFile("/opt/menvaro/Pelgrane"), "/opt/menvaro/Pelgrane");
    o->SetLogPath("/logs");
    EXPECT_EQ(o->OutputFile("/opt/menvaro/Pelgrane"), "/logs/Pelgrane");
    EXPECT_EQ(StartupFolder().back(), '/');
}

TEST(Options, DamagedStreamsStopWithAWarningAndKeepWhatWasRead) {
    Options good = NewOptions();
    good->SetFreezeTimeout(99);
    good->SetMailTo("to@example.org");
    good->SetMailSubject("subject");
    good->FilterClasses().Add("EAbort");
    const std::string bytes = StreamOf(*good);

    const std::size_t pairsAt = bytes.find(std::string("\x01\x00\x00\x00", 4) + StoredString("EAbort", 0x3C));
    ASSERT_NE(pairsAt, std::string::npos);

    // A stream cut short anywhere: what it holds is read and the rest kept.
    // Cut between two fields it is an older writer's short stream; cut
    // inside a string, that string's length runs past the end.
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        ClearWarning();
        Options o = NewOptions();
        Load(*o, bytes.substr(0, n), 454);
        EXPECT_EQ(o->FreezeTimeout(), n >= 16 ? 99 : 60) << n;
        EXPECT_EQ(o->FilterClasses().Count(), n >= pairsAt + 4 + 10 ? 1 : 0) << n;
        if (LastWarningCode() != eeNone) {
            EXPECT_EQ(LastWarningMessage().rfind("The logger options are damaged: the ", 0), 0u) << n;
        }
        if (n == 16 || n == 55 || n == pairsAt) {
            EXPECT_EQ(LastWarningCode(), eeNone) << n;
        }
        if (n == 20 || n == 60) {
            EXPECT_EQ(LastWarningCode(), eeLogError) << n;
        }
    }

    // FreezeMessage's length runs past the end: the read stops there.
    std::string damaged = bytes;
    damaged[16] = '\xFF';
    damaged[17] = '\xFF';
    damaged[18] = '\xFF';
    damaged[19] = '\x0F';
    ClearWarning();
    Options o = NewOptions();
    o->SetMailTo("kept@example.org");
    Load(*o, damaged, 454);
    EXPECT_EQ(o->FreezeTimeout(), 99);           // read before the damage
    EXPECT_EQ(o->MailTo(), "kept@example.org");  // not read after it
    EXPECT_EQ(LastWarningCode(), eeLogError);
    EXPECT_EQ(LastWarningMessage(),
              "The logger options are damaged: the length of FreezeMessage (268435455 bytes at byte 16) runs past "
              "the end.");

    // A pair count the rest cannot hold.
    damaged = bytes;
    damaged[pairsAt] = '\x40';
    damaged[pairsAt + 1] = '\x42';
    ClearWarning();
    Options p = NewOptions();
    p->FilterClasses().Add("Kept");
    Load(*p, damaged, 454);
    EXPECT_EQ(p->FilterClasses().ToVector(), std::vector<std::string>{"Kept"});
    EXPECT_EQ(p->MailSubject(), "subject");
    EXPECT_NE(LastWarningMessage().find("the count of filter pairs (16960 at byte " + std::to_string(pairsAt) +
                                        ") is more than the rest can hold"),
              std::string::npos)
        << LastWarningMessage();
    ClearWarning();
}

TEST(Options, RandomDamageIsReadWithinTheStream) {
    Options good = NewOptions();
    good->FilterClasses().Add("EAbort");
    good->FilterMessages().Add("msg");
    const std::string bytes = StreamOf(*good);
    std::mt19937 rng(2024);
    for (int round = 0; round < 3000; ++round) {
        std::string d = bytes;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) d[rng() % d.size()] = static_cast<char>(rng());
        if (round % 3 == 0) d.resize(rng() % d.size());
        for (std::uint16_t version : {400, 421, 449, 454}) {
            Options o = NewOptions();
            EXPECT_LE(Load(*o, d, version), static_cast<std::int64_t>(d.size()));
        }
    }
    ClearWarning();
}

TEST(Options, PelgranesOwnStreamIs1273BytesAndReadsBack) {
    Options pelgrane = CreatePelgraneOptions("/opt/menvaro/Pelgrane");
    const std::string bytes = StreamOf(*pelgrane);
    EXPECT_EQ(bytes.size(), 1273u);
    Options o = NewOptions("/opt/menvaro/Pelgrane");
    EXPECT_EQ(Load(*o, bytes, 454), 1273);
    // Logs each report, shows no dialog, sends no mail.
    EXPECT_TRUE(o->SaveLog());
    EXPECT_FALSE(o->ShowReport());
    EXPECT_EQ(o->SendMode(), 0);
    EXPECT_FALSE(o->SkinnedDialog());
    EXPECT_FALSE(o->TerminateButton());
    EXPECT_FALSE(o->FreezeCheck());
    EXPECT_EQ(o->FreezeTimeout(), 60);
    EXPECT_EQ(o->MaxLogReports(), 32);
    EXPECT_EQ(o->TerminateAfterErrors(), 3);
    EXPECT_EQ(o->ReportItems(), 0xFFFFFFFFu);
    EXPECT_EQ(o->FilterClasses().Count(), 0);
    EXPECT_EQ(o->SenderAddress(), kDefaultSenderAddress);
    EXPECT_EQ(o->OutputLogFile(), "/opt/menvaro/Pelgrane.elf");
    for (int i = 0; i < kOstrelTextCount; ++i) EXPECT_EQ(o->GetText(i), kOstrelTexts[i].Default) << i;
    EXPECT_EQ(StreamOf(*o), bytes);
}
