// The logger's own options changed while it runs, in a program that carries
// the logger from its start-up (built like Pelgrane: each report logged,
// nothing shown): they are published in "MODULE", they switch the freeze
// watchdog, and the next report follows them.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ExceptionLog.h"
#include "HookFunctions.h"
#include "base/Files.h"
#include "base/Streams.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

std::string StreamOf(const TOstrelModuleOptions& options) {
    TMemoryStream stream;
    options.SaveToStream(stream);
    return stream.Bytes();
}

std::string PublishedOptions() {
    return CreateSharedBlock(LoggerModuleHandle(), "MODULE", 0).Payload();
}

using hookfn::HasItem;

std::vector<std::string> Reports(const std::string& logFile) {
    return FileExists(logFile) ? TLogFile(logFile, false).Reports() : std::vector<std::string>{};
}

// Raises and reports `raise`'s exception as the application's handler would.
bool RaiseAndReport(const std::function<void()>& raise) {
    try {
        raise();
    } catch (...) {
        return ExceptionManager();
    }
    return true;
}

[[noreturn]] __attribute__((noinline)) void ThrowHere() { throw EConvertError("Not a number"); }

}  // namespace

TEST(RuntimeOptions, TheCurrentOptionsAreTheLoggerModulesOwnAndArePublished) {
    ASSERT_TRUE(LoggerActivated());
    TOstrelModuleOptions& current = CurrentOstrelLogOptions();
    EXPECT_EQ(&current, OstrelModulesList()->FindModuleInfo(LoggerModuleHandle())->Options.get());
    EXPECT_NE(&current, &WorkingOstrelLogOptions());

    // As loaded at start-up: flag 1, then the options stream.
    EXPECT_EQ(PublishedOptions(), "\x01" + StreamOf(current));
    current.SetMailTo("support@menvaro.test");
    EXPECT_EQ(PublishedOptions(), "\x01" + StreamOf(current));
    TOwned<TOstrelModuleOptions> read(Create<TOstrelModuleOptions>("", false));
    ASSERT_TRUE(ReadModuleBlock(LoggerModuleHandle(), *read));
    EXPECT_EQ(read->MailTo(), "support@menvaro.test");

    // Changes made inside an update are published once it ends.
    const std::string before = PublishedOptions();
    {
        const auto updating = current.Updating();
        current.SetMailSubject("Pelgrane error report");
        current.FilterClasses().Add("EAbort");
        EXPECT_EQ(PublishedOptions(), before);
    }
    EXPECT_EQ(PublishedOptions(), "\x01" + StreamOf(current));

    // The working set of the reports and another module's options publish nothing.
    WorkingOstrelLogOptions().SetMailTo("other@menvaro.test");
    TOwned<TOstrelModuleOptions> other(Create<TOstrelModuleOptionsEx>("/usr/lib/libother.so", true));
    other->SetMailTo("other@menvaro.test");
    EXPECT_EQ(PublishedOptions(), "\x01" + StreamOf(current));
}

TEST(RuntimeOptions, TheWatchdogRunsWhileActiveFreezeCheckAndAPositiveTimeOutSaySo) {
    TOstrelModuleOptions& o = CurrentOstrelLogOptions();
    ASSERT_FALSE(o.FreezeCheck());  // as Pelgrane stores it
    ASSERT_FALSE(FreezeThreadRunning());
    struct Step {
        const char* what;
        std::function<void()> change;
        bool running;
    };
    const Step steps[] = {
        {"FreezeCheck on", [&] { o.SetFreezeCheck(true); }, true},
        {"FreezeTimeout 0", [&] { o.SetFreezeTimeout(0); }, false},
        {"start asked with FreezeTimeout 0", [] { StartFreezeThread(); }, false},
        {"FreezeTimeout -1", [&] { o.SetFreezeTimeout(-1); }, false},
        {"FreezeTimeout 5", [&] { o.SetFreezeTimeout(5); }, true},
        {"Active off", [&] { o.SetActive(false); }, false},
        {"start asked while not Active", [] { StartFreezeThread(); }, false},
        {"Active on", [&] { o.SetActive(true); }, true},
        {"FreezeCheck off", [&] { o.SetFreezeCheck(false); }, false},
        {"the working set's FreezeCheck on", [] { WorkingOstrelLogOptions().SetFreezeCheck(true); }, false},
        {"Active off, then FreezeCheck on", [&] { o.SetActive(false); o.SetFreezeCheck(true); }, false},
        {"Active on", [&] { o.SetActive(true); }, true},
        {"FreezeCheck off and on in one update",
         [&] {
             const auto updating = o.Updating();
             o.SetFreezeCheck(false);
             o.SetFreezeCheck(true);
         },
         true},
        {"FreezeTimeout 0 in an update", [&] {
             const auto updating = o.Updating();
             o.SetFreezeTimeout(0);
         },
         false},
    };
    for (const Step& s : steps) {
        s.change();
        EXPECT_EQ(FreezeThreadRunning(), s.running) << s.what;
    }
    o.SetFreezeCheck(false);
    o.SetFreezeTimeout(60);
    EXPECT_FALSE(FreezeThreadRunning());
}

TEST(RuntimeOptions, TheNextReportFollowsTheCurrentOptions) {
    const test::TempDir dir{"current-options"};
    TOstrelModuleOptions& o = CurrentOstrelLogOptions();
    o.SetLogPath(dir.path() + "changed.elf");
    o.SetReportItems((1u << 7) | (1u << 8));
    o.SetText(28, "Kind");
    EXPECT_FALSE(RaiseAndReport(ThrowHere));
    std::vector<std::string> reports = Reports(dir.path() + "changed.elf");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(HasItem(reports[0], "2.4", "EConvertError")) << reports[0];
    EXPECT_NE(reports[0].find("  2.4 Kind   : EConvertError\r\n"), std::string::npos) << reports[0];
    EXPECT_EQ(reports[0].find("Start Date"), std::string::npos) << reports[0];

    // Switched off: the exception goes on to the program's own handling, unreported.
    o.SetActive(false);
    EXPECT_TRUE(RaiseAndReport(ThrowHere));
    o.SetActive(true);
    EXPECT_EQ(Reports(dir.path() + "changed.elf").size(), 1u);
    EXPECT_FALSE(RaiseAndReport(ThrowHere));
    EXPECT_EQ(Reports(dir.path() + "changed.elf").size(), 2u);
}
