// The crash log: its split rule, cap and duplicate test as tables, the
// request text, SaveLogFile with its options and events, the files it
// refuses, and what two processes saving at once or a process ended in the
// middle of a save leave in the log.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "EConsts.h"
#include "ExceptionLog.h"
#include "base/FileLock.h"
#include "base/Files.h"
#include "base/Strings.h"
#include "testsupport/TempDir.h"

extern char** environ;

using namespace menvaro;

namespace {

const std::string kEnd = "\r\n\r\n\r\n\r\n";

std::vector<std::string> Split(const std::string& text) {
    TLogFile log("/nonexistent/for/splitting.elf", false);
    log.Load(text);
    return log.Reports();
}

// A report as the header starts it, its items 2.2 to 2.5 shown or not.
std::string Report(const std::string& address, const std::string& type = "EConvertError",
                   const std::string& message = "Bad.") {
    std::string r = "OstrelLog 4.5.4\r\n\r\nException:\r\n---\r\n";
    if (!address.empty()) r += "  2.2 Address: " + address + "\r\n";
    r += "  2.3 Module : Pelgrane\r\n  2.4 Type   : " + type + "\r\n  2.5 Message: " + message + "\r\n";
    return r + "\r\nCPU:\r\n";
}

int Mode(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

class LogFile : public ::testing::Test {
protected:
    void SetUp() override {
        options->SetLogPath(dir.path() + "Pelgrane.elf");
        ClearWarning();
    }
    void TearDown() override {
        LoggerEvents() = TOstrelEvents();
        ClearWarning();
    }
    std::string LogName() const { return dir.path() + "Pelgrane.elf"; }
    std::string LogText() const { return ReadFileBytes(LogName()); }
    std::vector<std::string> Logged() const { return Split(LogText()); }
    bool Save(const std::string& report, bool duplicate = false) {
        save.Options = options.get();
        save.Report = report;
        save.MailCopy = report;
        save.Duplicate = duplicate;
        return SaveLogFile(save);
    }

    test::TempDir dir{"elf"};
    TOwned<TOstrelModuleOptions> options{Create<TOstrelModuleOptions>("", false)};
    TOstrelLogSave save;
};

}  // namespace

TEST(LogSplit, ReportsStartAtTheirHeaderLineAndEndAtFourLineBreaks) {
    const struct {
        const char* what;
        std::string text;
        std::vector<std::string> reports;
    } cases[] = {
        {"empty", "", {}},
        {"one, kept through three of its four line breaks",
         "OstrelLog a\r\nx" + kEnd,
         {"OstrelLog a\r\nx\r\n\r\n\r\n"}},
        {"text before the first report is dropped", "junk\r\nmore\r\nOstrelLog a" + kEnd, {"OstrelLog a\r\n\r\n\r\n"}},
        {"inside a line it starts no report", "x OstrelLog b" + kEnd, {}},
        {"after a lone line feed neither", "x\nOstrelLog b" + kEnd, {}},
        {"an unterminated last report is dropped",
         "OstrelLog a" + kEnd + "OstrelLog b\r\nno end\r\n\r\n\r\n",
         {"OstrelLog a\r\n\r\n\r\n"}},
        {"back to back",
         "OstrelLog a" + kEnd + "OstrelLog b" + kEnd,
         {"OstrelLog a\r\n\r\n\r\n", "OstrelLog b\r\n\r\n\r\n"}},
        {"blank lines between are dropped",
         "OstrelLog a" + kEnd + "\r\n\r\n\r\nOstrelLog b" + kEnd + "\r\n",
         {"OstrelLog a\r\n\r\n\r\n", "OstrelLog b\r\n\r\n\r\n"}},
        {"a header line inside a report is its text",
         "OstrelLog a\r\nOstrelLog b" + kEnd,
         {"OstrelLog a\r\nOstrelLog b\r\n\r\n\r\n"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Split(c.text), c.reports) << c.what;
}

TEST(LogSplit, TheCapDropsTheOldestReports) {
    const struct {
        int stored, maximum, kept;
    } cases[] = {{32, 32, 32}, {32, 5, 5}, {0, 1, 1}, {3, 0, 1}, {3, -4, 1}, {2, 10, 3}, {31, 32, 32}};
    for (const auto& c : cases) {
        TLogFile log("/nonexistent/for/adding.elf", false);
        std::string text;
        for (int i = 0; i < c.stored; ++i) text += "OstrelLog " + std::to_string(i) + kEnd;
        log.Load(text);
        log.Add("OstrelLog new\r\n", c.maximum);
        ASSERT_EQ(log.Reports().size(), static_cast<std::size_t>(c.kept)) << c.stored << " " << c.maximum;
        EXPECT_EQ(log.Reports().back(), "OstrelLog new\r\n" + kEnd);
        if (c.kept > 1) {
            EXPECT_EQ(log.Reports().front(), "OstrelLog " + std::to_string(c.stored - c.kept + 1) + "\r\n\r\n\r\n");
        }
    }
}

TEST(LogSplit, TheDuplicateTestComparesEachKeysLineExactly) {
    const std::vector<std::string> keys{"2.2", "2.3", "2.4", "2.5"};
    const struct {
        const char* what;
        std::vector<std::string> logged;
        std::vector<std::string> values;
        bool duplicate;
    } cases[] = {
        {"no reports", {}, {"0000000000401A2C", "Pelgrane", "EConvertError", "Bad."}, false},
        {"the same", {Report("0000000000401A2C")}, {"0000000000401A2C", "Pelgrane", "EConvertError", "Bad."}, true},
        {"another message",
         {Report("0000000000401A2C")},
         {"0000000000401A2C", "Pelgrane", "EConvertError", "Bad"},
         false},
        {"letter case counts",
         {Report("0000000000401A2C")},
         {"0000000000401a2c", "Pelgrane", "EConvertError", "Bad."},
         false},
        // A report without the address line never matches, the next is still compared.
        {"hidden item, then a match",
         {Report(""), Report("0000000000401A2C")},
         {"0000000000401A2C", "Pelgrane", "EConvertError", "Bad."},
         true},
        {"hidden item only", {Report("")}, {"", "Pelgrane", "EConvertError", "Bad."}, false},
        {"an empty value", {Report("0000000000401A2C", "T", "")}, {"0000000000401A2C", "Pelgrane", "T", ""}, true},
    };
    for (const auto& c : cases) {
        TLogFile log("/nonexistent/for/comparing.elf", false);
        std::string text;
        for (const std::string& r : c.logged) text += r + kEnd;
        log.Load(text);
        EXPECT_EQ(log.IsDuplicate(keys, c.values), c.duplicate) << c.what;
    }
    // A key found inside a line is no item line.
    TLogFile log("/nonexistent/for/comparing.elf", false);
    log.Load("OstrelLog 4.5.4\r\nsee  2.2 Address: X\r\n  2.3 Module: M" + kEnd);
    EXPECT_FALSE(log.IsDuplicate({"2.2"}, {"X"}));
    EXPECT_TRUE(log.IsDuplicate({"2.3"}, {"M"}));
}

TEST(LogSplit, TheRequestTextCanNeitherEndNorStartAReport) {
    const struct {
        const char* typed;
        const char* logged;
    } cases[] = {
        {"Clicked Build.\r\nThen Update.", "Clicked Build.\r\nThen Update."},
        {"lone\nline\rfeeds", "lone\r\nline\r\nfeeds"},
        {"tab\tand\x01 bell\x07", "tab and  bell "},
        {"a\r\n\r\n\r\n\r\n\r\n\r\nb", "a\r\n\r\n\r\nb"},  // five empty lines: two remain
        {"\r\n\r\n\r\n\r\nstart", "\r\n\r\nstart"},
        {"end\r\n\r\n\r\n\r\n", "end\r\n\r\n"},
        {"OstrelLog 4.5.4\r\nforged", " OstrelLog 4.5.4\r\nforged"},
        {"x\r\nOstrelLog 4.5.4", "x\r\n OstrelLog 4.5.4"},
        {"not OstrelLog at the start", "not OstrelLog at the start"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(LogRequestText(c.typed), c.logged) << c.typed;
}

TEST_F(LogFile, AMissingLogIsMadeAndEachSaveKeepsTheTerminator) {
    const std::string report = Report("0000000000401A2C");  // ends with its own line break
    ASSERT_TRUE(Save(report));
    EXPECT_EQ(LogText(), report + "\r\n\r\n\r\n\r\n\r\n");
    EXPECT_EQ(Mode(LogName()), 0600);
    EXPECT_TRUE(FileExists(LogLockFileName(LogName())));
    EXPECT_EQ(LastWarningCode(), eeNone);
    {
        TLogFile log(LogName(), true);
        log.Save();
    }
    EXPECT_EQ(LogText(), report + "\r\n\r\n\r\n");
    ASSERT_TRUE(Save(Report("0000000000401B00")));
    EXPECT_EQ(Logged().size(), 2u);
    EXPECT_EQ(LogText(), report + "\r\n\r\n\r\n" + Report("0000000000401B00") + "\r\n\r\n\r\n\r\n\r\n");
}

TEST_F(LogFile, OptionsDecideTheRequestTheCapTheDuplicateAndTheMailCopy) {
    // The request is added only when the options ask for it.
    save.RequestText = "Clicked Build.\r\n\r\n\r\n\r\n\r\nOstrelLog forged";
    ASSERT_TRUE(Save(Report("1")));
    EXPECT_EQ(Logged().back().find("Request"), std::string::npos);
    EXPECT_EQ(save.MailCopy, Report("1"));
    options->SetDialogFlags(kDialogAskReproduceSteps);
    ASSERT_TRUE(Save(Report("2")));
    const std::string withRequest = Report("2") + "\r\nRequest:\r\n" + std::string(40, '-') +
                                    "\r\nClicked Build.\r\n\r\n\r\n OstrelLog forged";
    EXPECT_EQ(Logged().back(), withRequest + "\r\n\r\n\r\n");
    EXPECT_EQ(save.MailCopy, withRequest);
    EXPECT_EQ(Logged().size(), 2u);  // the forged line started no report

    // A duplicate is not added; the log is still saved.
    save.RequestText.clear();
    ASSERT_TRUE(Save(Report("3"), true));
    EXPECT_EQ(Logged().size(), 2u);
    // The whole log is mailed when the options say so.
    options->SetSendWholeLog(true);
    ASSERT_TRUE(Save(Report("4")));
    EXPECT_EQ(save.MailCopy, LogText());
    // The cap.
    options->SetMaxLogReports(2);
    ASSERT_TRUE(Save(Report("5")));
    const std::vector<std::string> kept = Logged();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_NE(kept[0].find("  2.2 Address: 4\r\n"), std::string::npos);
    EXPECT_NE(kept[1].find("  2.2 Address: 5\r\n"), std::string::npos);

    // The dialog's duplicate test, with its option.
    TOstrelReportContext context;
    context.AddressText = "5";
    context.ModuleName = "Pelgrane";
    context.TypeText = "EConvertError";
    context.MessageText = "Bad.";
    EXPECT_FALSE(IsDuplicateException(*options, context));
    options->SetDialogFlags(kDialogDuplicateCheck);
    EXPECT_TRUE(IsDuplicateException(*options, context));
    context.MessageText = "Other.";
    EXPECT_FALSE(IsDuplicateException(*options, context));
}

TEST_F(LogFile, WhatIsNoRegularFileIsRefusedAndLeftAsItIs) {
    const std::string folder = dir.path() + "folder.elf";
    ASSERT_TRUE(CreateDir(folder));
    const std::string fifo = dir.path() + "fifo.elf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A device, through a link.
    const std::string device = dir.path() + "device.elf";
    ASSERT_EQ(::symlink("/dev/null", device.c_str()), 0);
    for (const auto& [path, shown] :
         {std::pair{folder, folder}, std::pair{fifo, fifo}, std::pair{device, std::string("/dev/null")}}) {
        options->SetLogPath(path);
        EXPECT_FALSE(Save(Report("1"))) << path;
        EXPECT_EQ(LastWarningCode(), eeLogError) << path;
        EXPECT_EQ(LastWarningMessage(), "[Log] The log file \"" + shown + "\" is not a regular file.");
        options->SetDialogFlags(kDialogDuplicateCheck);
        EXPECT_FALSE(IsDuplicateException(*options, TOstrelReportContext()));
    }
    struct stat st;
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(DirectoryExists(folder));

    // A link to a log is followed and stays a link.
    options->SetLogPath(LogName());
    ASSERT_TRUE(Save(Report("1")));
    const std::string link = dir.path() + "link.elf";
    ASSERT_EQ(::symlink(LogName().c_str(), link.c_str()), 0);
    options->SetLogPath(link);
    ASSERT_TRUE(Save(Report("2")));
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Logged().size(), 2u);
}

TEST_F(LogFile, WithoutItsLockTheSaveFailsWithAWarning) {
    // No lock file can be made in a folder that does not exist.
    options->SetLogPath(dir.path() + "missing/Pelgrane.elf");
    EXPECT_FALSE(Save(Report("1")));
    EXPECT_EQ(LastWarningCode(), eeLogError);
    EXPECT_TRUE(StartsText("[Log] Cannot make the lock file \"" + dir.path() + "missing/Pelgrane.elf.lock\".",
                           LastWarningMessage()))
        << LastWarningMessage();

    // Another program holds the lock all the time the save waits for it.
    options->SetLogPath(LogName());
    ASSERT_TRUE(Save(Report("1")));
    TFileLock other;
    ASSERT_TRUE(other.Open(LogLockFileName(LogName()), true));
    ASSERT_TRUE(other.Lock());
    EXPECT_FALSE(Save(Report("2")));
    EXPECT_EQ(LastWarningMessage(), "[Log] The log file \"" + LogName() + "\" is being saved by another program.");
    other.Unlock();
    EXPECT_EQ(Logged().size(), 1u);
    ASSERT_TRUE(Save(Report("2")));
    EXPECT_EQ(Logged().size(), 2u);
}

TEST_F(LogFile, EventsCanVetoTheSaveAndARetrySavesAgain) {
    std::vector<std::string> calls;
    bool veto = true;
    LoggerEvents().OnCustomAction = [&](const TOstrelExceptionRecord&, TOstrelAction action, bool& execute) {
        calls.push_back("custom " + std::to_string(action));
        if (action == atSavingLog && veto) execute = false;
    };
    int errors = 0;
    LoggerEvents().OnErrorNotify = [&](const TOstrelExceptionRecord&, TOstrelAction action, bool& retry) {
        calls.push_back("error " + std::to_string(action));
        // A folder stands in the log's place: take it away and try again once.
        if (++errors == 1) retry = RemoveDir(LogName());
    };
    EXPECT_FALSE(Save(Report("1")));
    EXPECT_FALSE(FileExists(LogName()));
    EXPECT_EQ(calls, (std::vector<std::string>{"custom 2", "error 3", "custom 3"}));

    calls.clear();
    veto = false;
    errors = 1;
    ASSERT_TRUE(CreateDir(LogName()));
    EXPECT_FALSE(Save(Report("1")));
    EXPECT_EQ(calls, (std::vector<std::string>{"custom 2", "error 3", "custom 3"}));

    calls.clear();
    errors = 0;
    EXPECT_TRUE(Save(Report("1")));
    EXPECT_EQ(calls, (std::vector<std::string>{"custom 2", "error 3", "custom 3"}));
    EXPECT_EQ(LastWarningCode(), eeNone);
    EXPECT_EQ(Logged().size(), 1u);
}

TEST_F(LogFile, ASaveDeletesWhatAnEndedSaveOfThisLogLeftBehind) {
    ASSERT_TRUE(Save(Report("1")));
    const std::string ours = dir.Write(".Pelgrane.elf.123456789.tmp", "half");
    const std::string others = dir.Write(".Other.elf.123456789.tmp", "theirs");
    const std::string similar = dir.Write(".Pelgrane.elf.old.123.tmp", "not one of ours");
    ASSERT_TRUE(Save(Report("2")));
    EXPECT_FALSE(FileExists(ours));
    EXPECT_TRUE(FileExists(others));
    EXPECT_TRUE(FileExists(similar));
    EXPECT_EQ(Logged().size(), 2u);
}

// ---- more than one process

namespace {

struct TProbe {
    pid_t pid = -1;
    FILE* out = nullptr;

    explicit TProbe(const std::vector<std::string>& args) {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
        std::vector<std::string> all{LOG_PROBE};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        if (posix_spawn(&pid, LOG_PROBE, &actions, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        out = ::fdopen(pipeFds[0], "r");
    }
    ~TProbe() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            Wait();
        }
        if (out) std::fclose(out);
    }
    // The next line it says; "" at its end.
    std::string Line() {
        char buf[1024];
        if (!out || !std::fgets(buf, sizeof buf, out)) return {};
        std::string l(buf);
        if (!l.empty() && l.back() == '\n') l.pop_back();
        return l;
    }
    int Wait() {
        int status = 0;
        if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return -1;
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    int Kill() {
        ::kill(pid, SIGKILL);
        return Wait();
    }
};

// The tags of the logged reports ("A-1" ...), each checked whole.
std::vector<std::string> Tags(const std::vector<std::string>& reports) {
    std::vector<std::string> tags;
    for (const std::string& r : reports) {
        const std::size_t at = r.find("  2.2 Address: ");
        const std::string tag = r.substr(at + 15, r.find("\r\n", at) - at - 15);
        EXPECT_TRUE(r.ends_with("|" + tag + " filler line of the report|\r\n\r\n\r\n")) << tag;
        tags.push_back(tag);
    }
    return tags;
}

}  // namespace

TEST_F(LogFile, TwoProcessesSavingAtOnceKeepEachOthersReports) {
    constexpr int kEach = 25;
    TProbe a({"save", LogName(), "A", std::to_string(kEach), "20000"});
    TProbe b({"save", LogName(), "B", std::to_string(kEach), "20000"});
    ASSERT_GT(a.pid, 0);
    ASSERT_GT(b.pid, 0);
    EXPECT_EQ(a.Wait(), 0);
    EXPECT_EQ(b.Wait(), 0);
    const std::vector<std::string> tags = Tags(Logged());
    ASSERT_EQ(tags.size(), 2u * kEach);
    // Each one's own in the order it saved them.
    for (const char* who : {"A", "B"}) {
        int next = 1;
        for (const std::string& t : tags)
            if (t[0] == who[0]) {
                EXPECT_EQ(t, std::string(who) + "-" + std::to_string(next++));
            }
        EXPECT_EQ(next, kEach + 1);
    }
}

TEST_F(LogFile, AProcessEndedInTheMiddleOfASaveLeavesTheEarlierReports) {
    // Its new file written and synced, not yet in place.
    {
        TProbe p({"pause", LogName()});
        ASSERT_GT(p.pid, 0);
        ASSERT_EQ(p.Line(), "paused");
        EXPECT_EQ(p.Kill(), 128 + SIGKILL);
    }
    std::vector<std::string> reports = Logged();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("  2.2 Address: before\r\n"), std::string::npos);
    int leftovers = 0;
    TSearchRec rec;
    for (int r = FindFirst(dir.path() + ".*", faHidden, rec); r == 0; r = FindNext(rec)) ++leftovers;
    FindClose(rec);
    EXPECT_GE(leftovers, 1);
    // The next save puts its report after them and takes the leftover away.
    ASSERT_TRUE(Save(Report("after")));
    EXPECT_EQ(Logged().size(), 2u);
    EXPECT_EQ(DeleteAtomicWriteLeftovers(dir.path(), "Pelgrane.elf"), 0);

    // Ended at whatever moment of a series of saves: what it said it saved is there, whole.
    ASSERT_TRUE(DeleteFile(LogName()));
    TProbe p({"save", LogName(), "K", "1000", "300000"});
    ASSERT_GT(p.pid, 0);
    for (int i = 1; i <= 5; ++i) ASSERT_EQ(p.Line(), "saved " + std::to_string(i));
    p.Kill();
    const std::vector<std::string> tags = Tags(Logged());
    ASSERT_GE(tags.size(), 5u);
    for (std::size_t i = 0; i < tags.size(); ++i) EXPECT_EQ(tags[i], "K-" + std::to_string(i + 1));
}

TEST_F(LogFile, AFullDiskKeepsTheLogAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(Save(Report("kept")));
    const std::string before = LogText();
    TProbe p({"fsize", LogName(), std::to_string(before.size() + 1000), "100000"});
    ASSERT_GT(p.pid, 0);
    const std::string said = p.Line();
    EXPECT_EQ(p.Wait(), 1);
    EXPECT_TRUE(StartsText("failed [Log] Cannot write file \"" + LogName() + "\".", said)) << said;
    EXPECT_EQ(LogText(), before);
    EXPECT_EQ(DeleteAtomicWriteLeftovers(dir.path(), "Pelgrane.elf"), 0);
}
