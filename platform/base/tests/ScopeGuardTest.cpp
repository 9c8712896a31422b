#include "base/ScopeGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace menvaro;

namespace {

TEST(ScopeGuard, RunsOnceAtEveryWayOutInReverseOrderUnlessDismissed) {
    std::string log;
    {
        ScopeGuard a([&] { log += "a"; });
        ScopeGuard b([&] { log += "b"; });
        ScopeGuard dismissed([&] { log += "x"; });
        dismissed.Dismiss();
    }
    EXPECT_EQ(log, "ba");

    log.clear();
    EXPECT_THROW(
        {
            ScopeGuard a([&] { log += "a"; });
            throw std::runtime_error("work failed");
        },
        std::runtime_error);
    EXPECT_EQ(log, "a");
}

TEST(ScopeGuard, AFailingCleanupRaisesOnlyWhenNothingElseIsPassing) {
    try {
        ScopeGuard g([] { throw std::runtime_error("cleanup failed"); });
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "cleanup failed");
    }

    // The work's own error reaches the caller; the cleanup's is dropped.
    bool cleaned = false;
    try {
        ScopeGuard late([&] { cleaned = true; });
        ScopeGuard g([] { throw std::runtime_error("cleanup failed"); });
        throw std::logic_error("work failed");
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "work failed");
    }
    EXPECT_TRUE(cleaned);  // the guards after a failing one still run
}

TEST(ScopeGuard, AGuardMadeWhileUnwindingStillRaisesItsOwnFailure) {
    // A destructor that runs during unwinding may do guarded work of its own:
    // that work's guard sees a normal exit of its scope.
    struct Cleaner {
        std::string* seen;
        ~Cleaner() {
            try {
                ScopeGuard g([] { throw std::runtime_error("inner cleanup failed"); });
            } catch (const std::runtime_error& e) {
                *seen = e.what();
            }
        }
    };
    std::string seen;
    try {
        Cleaner c{&seen};
        throw std::logic_error("outer");
    } catch (const std::logic_error&) {
    }
    EXPECT_EQ(seen, "inner cleanup failed");
}

}  // namespace
