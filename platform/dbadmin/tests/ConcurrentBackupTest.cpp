// Backups taken while another thread keeps committing pairs of rows: each
// backup is a complete database holding whole pairs only.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "SqliteServer.h"

using namespace menvaro;
using test::Connection;
using test::Mode;

namespace {

using ConcurrentBackupTest = test::ModeTest;
INSTANTIATE_TEST_SUITE_P(Modes, ConcurrentBackupTest, test::AllModes(), test::ModeParamName);

}  // namespace

TEST_P(ConcurrentBackupTest, EveryBackupHoldsWholePairsOnly) {
    test::SqliteServer s(GetParam());
    std::atomic<bool> stop{false};
    std::atomic<int> commits{0};
    std::thread writer([&] {
        Connection c(s.Catalog(), 10000);
        // Commits that wait for the disk would hold the catalog's exclusive
        // lock most of the time and keep the backups out.
        c.Exec("pragma synchronous = off");
        // Bounded, and ended by the test as soon as its backups are taken.
        for (int n = 3; n < 200000 && !stop.load(); ++n) {
            c.Exec("begin immediate; insert into Pairs values (" + std::to_string(n) + ", 'a')");
            c.Exec("insert into Pairs values (" + std::to_string(n) + ", 'b'); commit");
            ++commits;
            std::this_thread::yield();
        }
    });
    // Let the writer get going before the first backup.
    while (commits.load() < 10) std::this_thread::yield();
    test::Objects tool(s.Folder(), 10000);
    long long previous = 0;
    for (int i = 0; i < 5; ++i) {
        const std::string file = s.Backups() + "database2024051" + std::to_string(i);
        tool.BackupTo(file);
        Connection b(file);
        EXPECT_EQ(b.Text("pragma quick_check"), "ok");
        EXPECT_EQ(b.Int(test::BrokenPairsSql()), 0);
        const long long rows = b.Int(test::PairsCountSql());
        EXPECT_EQ(rows % 2, 0);
        EXPECT_GE(rows, previous);
        previous = rows;
    }
    stop = true;
    writer.join();
    EXPECT_GT(previous, 4);
}
