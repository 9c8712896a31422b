#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ExceptionLog.h"

using namespace menvaro;

TEST(ThreadedTrace, LinesOfSeveralThreadsStayWhole) {
    InitializeTrace({});
    EnableTrace();
    constexpr int kThreads = 8, kLines = 400;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) TraceCall("Thread", {t, i, std::string("text")});
        });
    for (std::thread& t : threads) t.join();
    const std::vector<std::string> lines = TraceLines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    const std::regex shape(R"(Thread  \d\d/\d\d/\d\d \d\d:\d\d:\d\d\((\d+), (\d+), 'text'\))");
    std::set<std::pair<int, int>> seen;
    for (const std::string& l : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(l, m, shape)) << l;
        seen.insert({std::stoi(m[1]), std::stoi(m[2])});
    }
    EXPECT_EQ(seen.size(), lines.size());
    InitializeTrace({});
}

namespace {

class ReportContext : public ::testing::Test {
protected:
    void SetUp() override {
        record.ThreadId = CurrentThreadId();  // this thread is the faulting one
        record.ExceptionObject = std::make_exception_ptr(EConvertError("published again"));
        SetReportInProgress(&record);
    }
    void TearDown() override { SetReportInProgress(nullptr); }
    // As the faulting thread does while the report is built.
    void RunCallsUntil(const std::atomic<int>& done, int count) {
        while (done < count) {
            RunQueuedCall();
            std::this_thread::yield();
        }
    }
    TOstrelExceptionRecord record;
};

}  // namespace

TEST_F(ReportContext, ACallOfAnotherThreadRunsOnTheFaultingThread) {
    PublishExceptionBlock("Other", "before");
    std::atomic<int> done{0};
    std::uint64_t ranOn = 0;
    std::thread worker([&] {
        RunInReportContext([&] {
            ranOn = CurrentThreadId();
            throw std::runtime_error("swallowed");
        });
        ++done;
    });
    RunCallsUntil(done, 1);
    worker.join();
    EXPECT_EQ(ranOn, CurrentThreadId());
    // And the report's exception is published again.
    TExceptionBlock block;
    ASSERT_TRUE(ReadExceptionBlock(LoggerModuleHandle(), block));
    EXPECT_EQ(block.ClassName, "EConvertError");
    EXPECT_EQ(block.Message, "published again");
    // The faulting thread's own calls run at once.
    bool direct = false;
    RunInReportContext([&] { direct = true; });
    EXPECT_TRUE(direct);
    EXPECT_FALSE(RunQueuedCall());
}

TEST_F(ReportContext, CallsOfSeveralThreadsRunOneAfterTheOther) {
    std::atomic<int> done{0}, inside{0}, most{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < 4; ++i)
        workers.emplace_back([&] {
            RunInReportContext([&] {
                most = std::max(most.load(), ++inside);
                --inside;
            });
            ++done;
        });
    RunCallsUntil(done, 4);
    for (std::thread& w : workers) w.join();
    EXPECT_EQ(most, 1);
}

TEST_F(ReportContext, ACallStillWaitingWhenTheReportEndsRunsInItsOwnThread) {
    std::atomic<std::uint64_t> ranOn{0};
    std::uint64_t workerId = 0;
    std::thread worker([&] {
        workerId = CurrentThreadId();
        RunInReportContext([&] { ranOn = CurrentThreadId(); });
    });
    // Whether or not the call was handed over yet, no one takes it now.
    SetReportInProgress(nullptr);
    worker.join();
    EXPECT_EQ(ranOn, workerId);
}
