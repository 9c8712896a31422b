// The logger's own options changed while it runs, in a program that carries
// the logger from its start-up (built like Pelgrane: each report logged,
// nothing shown): they are published in "MODULE", they switch the freeze
// watchdog, and the next report follows them. Also an exception published
// by a library built with the logger's build step.
#include <dlfcn.h>
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

TEST(RuntimeOptions, AnExceptionALibraryPublishedIsReportedWithItsTypeAndMessage) {
    void* library = ::dlopen(NESTED_LIBRARY, RTLD_NOW);
    ASSERT_NE(library, nullptr) << ::dlerror();
    using TRaise = void (*)(const char*, const char*);
    const auto raise = reinterpret_cast<TRaise>(::dlsym(library, "nested_library_raise"));
    const auto publish = reinterpret_cast<TRaise>(::dlsym(library, "nested_library_publish"));
    ASSERT_TRUE(raise && publish);
    const std::uintptr_t module = ModuleOfAddress(reinterpret_cast<std::uintptr_t>(raise));
    // The report takes the options of the module that raised it: the library's.
    auto record = OstrelModulesList()->FindModuleInfo(module);
    ASSERT_TRUE(record && record->HasDebugData());
    const test::TempDir dir{"nested"};
    record->Options->SetLogPath(dir.path() + "nested.elf");
    const std::string log = dir.path() + "nested.elf";

    EXPECT_FALSE(RaiseAndReport([&] { raise("EDatabaseError", "Lost connection to the server"); }));
    std::vector<std::string> reports = Reports(log);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(HasItem(reports[0], "2.3", ExtractFileName(NESTED_LIBRARY))) << reports[0];
    EXPECT_TRUE(HasItem(reports[0], "2.4", "EDatabaseError")) << reports[0];
    EXPECT_TRUE(HasItem(reports[0], "2.5", "Lost connection to the server.")) << reports[0];
    // Read once: the library's flag is cleared.
    TExceptionBlock block;
    ASSERT_TRUE(ReadExceptionBlock(module, block));
    EXPECT_FALSE(block.Flag);

    // Nothing published: the exception as it was raised.
    EXPECT_FALSE(RaiseAndReport([&] { raise(nullptr, nullptr); }));
    reports = Reports(log);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(HasItem(reports[1], "2.5", "Raised in the library.")) << reports[1];

    // Published by the library while the user's event ran: read again after it.
    LoggerEvents().ExceptionNotifyProc = [&](const TOstrelExceptionRecord&, bool&) {
        publish("ETimeoutError", "The server did not answer");
    };
    EXPECT_FALSE(RaiseAndReport([&] { raise(nullptr, nullptr); }));
    LoggerEvents().ExceptionNotifyProc = nullptr;
    reports = Reports(log);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_TRUE(HasItem(reports[2], "2.4", "ETimeoutError")) << reports[2];
    EXPECT_TRUE(HasItem(reports[2], "2.5", "The server did not answer.")) << reports[2];
    // The call stack of the raise itself, with the CPU section after it.
    EXPECT_NE(reports[2].find("nested_library_raise"), std::string::npos) << reports[2];
    EXPECT_NE(reports[2].find("Registers:"), std::string::npos) << reports[2];
    ASSERT_TRUE(ReadExceptionBlock(module, block));
    EXPECT_FALSE(block.Flag);
}
