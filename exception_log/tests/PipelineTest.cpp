// The report pipeline in this process: which exceptions the filters, the
// events and the log's failure let through to the log, and where a report
// that cannot be saved goes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "ExceptionLog.h"
#include "base/Files.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

class Pipeline : public ::testing::Test {
protected:
    void SetUp() override {
        CreateOstrelModulesList();
        options_ = OstrelModulesList()->FindModuleInfo(LoggerModuleHandle())->Options.get();
        options_->SetDefaults();
        options_->SetShowReport(false);
        options_->SetLogPath(dir_.path());
    }
    void TearDown() override {
        LoggerEvents() = TOstrelEvents{};
        options_->SetDefaults();
        DestroyOstrelModulesList();
    }
    // Notifies `e` as a catch point would, with this thread's stack.
    template <class E>
    bool Notify(E e) {
        TOstrelNotifyParams params;
        params.Stack = TakeCurrentStackSnapshot();
        params.ThreadId = CurrentThreadId();
        return InternalExceptNotify(std::make_exception_ptr(e), 0, false, params);
    }
    std::size_t Logged() const {
        const std::string log = options_->OutputLogFile();
        return FileExists(log) ? TLogFile(log, false).Reports().size() : 0;
    }

    test::TempDir dir_{"pipeline"};
    TOstrelModuleOptions* options_ = nullptr;
};

}  // namespace

TEST_F(Pipeline, AFilteredClassOrAncestorStopsTheReport) {
    options_->FilterClasses().Add(" Exception ");  // the root of EConvertError, trimmed
    options_->FilterMessages().Add("");
    EXPECT_FALSE(Notify(EConvertError("filtered")));
    EXPECT_EQ(Logged(), 0u);
    options_->SetFilterEnabled(false);
    EXPECT_FALSE(Notify(EConvertError("logged")));
    EXPECT_EQ(Logged(), 1u);
}

TEST_F(Pipeline, TheEventsCanTakeTheExceptionOrVetoTheLog) {
    int notified = 0;
    LoggerEvents().OnExceptionNotify = [&](const TOstrelExceptionRecord&, bool& handle) {
        ++notified;
        handle = false;
    };
    EXPECT_TRUE(Notify(EConvertError("taken")));
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(Logged(), 0u);
    LoggerEvents() = TOstrelEvents{};
    std::string actions;
    LoggerEvents().OnCustomAction = [&](const TOstrelExceptionRecord&, TOstrelAction action, bool& execute) {
        actions += std::to_string(static_cast<int>(action));
        if (action == atSavingLog) execute = false;
    };
    EXPECT_FALSE(Notify(EConvertError("vetoed")));
    EXPECT_EQ(actions, "23");
    EXPECT_EQ(Logged(), 0u);
}

TEST_F(Pipeline, AReportThatCannotBeSavedGoesToStandardError) {
    options_->SetLogPath(dir_.path() + "missing/folder/");
    ::fflush(stderr);
    const int saved = ::dup(2);
    const std::string captured = dir_.path() + "stderr.txt";
    std::FILE* f = std::fopen(captured.c_str(), "w");
    ASSERT_TRUE(f);
    ::dup2(::fileno(f), 2);
    EXPECT_FALSE(Notify(EConvertError("unsaved")));
    ::dup2(saved, 2);
    ::close(saved);
    std::fclose(f);
    const std::string text = ReadFileBytes(captured);
    EXPECT_NE(text.find("OstrelLog 4.5.4\r\n"), std::string::npos);
    EXPECT_NE(text.find(": unsaved.\r\n"), std::string::npos);
    EXPECT_EQ(LastWarningCode(), eeLogError);
}

TEST(CurrentOptions, AreTheLoggerModulesOwnAndNeedTheModulesList) {
    DestroyOstrelModulesList();
    try {
        CurrentOstrelLogOptions();
        ADD_FAILURE() << "no assertion failed";
    } catch (const EAssertionFailed& e) {
        EXPECT_STREQ(e.what(), "Cannot use 'CurrentOstrelLogOptions' function without OstrelLog activate.");
    }
    CreateOstrelModulesList();
    EXPECT_EQ(&CurrentOstrelLogOptions(), OstrelModulesList()->FindModuleInfo(LoggerModuleHandle())->Options.get());
    DestroyOstrelModulesList();
}
