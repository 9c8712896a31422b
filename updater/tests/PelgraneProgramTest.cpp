// Pelgrane as a user meets it: the program run headless with a UI script,
// a settings file, the demo database and a folder standing for the handheld.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>
#include <filesystem>

#include "base/FileLock.h"
#include "base/Files.h"
#include "base/Strings.h"
#include "testsupport/SqliteFile.h"
#include "testsupport/TempDir.h"

namespace menvaro {
namespace {

using test::TempDir;

class Pelgrane : public ::testing::Test {
protected:
    void SetUp() override {
        // A copy of the program of its own: its "xml" folder is beside it.
        CreateDir(dir_.path() + "bin");
        test::CopyProgram(MENVARO_PELGRANE, bin());
        test::CopyProgram(MENVARO_RAPI, bin(), "librapi.so");
        ForceDirectories(device() + "Program Files/Menvaro餐点");
        UseDatabaseIn(MENVARO_DEMO_DB_DIR);
    }
    std::string bin() const { return dir_.path() + "bin/"; }
    std::string xml() const { return bin() + "xml/"; }
    std::string device() const { return dir_.path() + "device/"; }
    std::string onDevice() const { return device() + "Program Files/Menvaro餐点/"; }
    void UseDatabaseIn(const std::string& folder) {
        WriteFileAtomic(dir_.path() + "registry.reg",
                        "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane\\DataSource]\r\n"
                        "\"ServerName\"=\"" +
                            folder + "\"\r\n");
    }
    // The command that runs the program on the script file `script`, printing
    // into `out`; `before` goes in front of the program (more variables, a
    // limit).
    std::string Command(const std::string& script, const std::string& out, const std::string& deviceRoot = "",
                        const std::string& before = "") const {
        // The handheld's lock lives in the runtime folder: this test's own.
        return "env MENVARO_UI=headless MENVARO_REGISTRY='" + dir_.path() + "registry.reg' MENVARO_UI_SCRIPT='" +
               script + "' MENVARO_DEVICE_ROOT='" + (deviceRoot.empty() ? device() : deviceRoot) +
               "' XDG_RUNTIME_DIR='" + dir_.path() + "' " + before + " timeout 60 '" + bin() + "Pelgrane' > '" + out +
               "' 2>&1";
    }
    // Runs the program on `script`; answers its exit status and keeps what it printed.
    int Run(const std::string& script, const std::string& deviceRoot = "", const std::string& before = "") {
        WriteFileAtomic(dir_.path() + "run.script", script);
        const int status = std::system(
            Command(dir_.path() + "run.script", dir_.path() + "out.txt", deviceRoot, before).c_str());
        output_ = ReadFileBytes(dir_.path() + "out.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void ExpectHandheldHoldsEveryBuiltFile() const {
        const std::vector<std::string> built = Names(xml());
        EXPECT_EQ(Names(onDevice()), built);
        for (const std::string& name : built)
            EXPECT_EQ(ReadFileBytes(onDevice() + name), ReadFileBytes(xml() + name)) << name;
    }
    std::vector<std::string> Names(const std::string& folder) const {
        std::vector<std::string> names;
        TSearchRec rec;
        for (int r = FindFirst(folder + "*", 0, rec); r == 0; r = FindNext(rec)) names.push_back(rec.Name);
        FindClose(rec);
        return names;
    }

    // The reports of the copy's crash log, "Pelgrane.elf" beside it.
    std::vector<std::string> LoggedReports() const {
        const std::string log = bin() + "Pelgrane.elf";
        if (!FileExists(log)) return {};
        std::vector<std::string> reports;
        const std::string text = ReadFileBytes(log);
        for (std::size_t at = text.find("OstrelLog "); at != std::string::npos;) {
            const std::size_t end = text.find("\r\n\r\n\r\n\r\n", at);
            if (end == std::string::npos) break;
            reports.push_back(text.substr(at, end - at));
            at = text.find("OstrelLog ", end);
        }
        return reports;
    }

    // Starts the copy with only `env` (and PATH) as its environment, its
    // output into `out`; its process id.
    pid_t StartProgram(const std::vector<std::string>& env, const std::string& out) const {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        std::vector<std::string> all = env;
        if (const char* path = std::getenv("PATH")) all.push_back(std::string("PATH=") + path);
        std::vector<char*> envp;
        for (std::string& e : all) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string program = bin() + "Pelgrane";
        char* argv[] = {program.data(), nullptr};
        pid_t pid = -1;
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }
    // The names of a process's threads; none once it has ended.
    static std::vector<std::string> ThreadNames(pid_t pid) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
            std::ifstream comm(task.path() / "comm");
            std::string name;
            if (std::getline(comm, name)) names.push_back(name);
        }
        // A zombie keeps its folder, and no thread.
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line) || line.find(") Z ") != std::string::npos) names.clear();
        return names;
    }
    // Its wait status once it has ended; -1 (and the process killed) when it
    // is still running after `seconds`.
    static int WaitEnded(pid_t pid, int seconds) {
        int status = 0;
        for (int i = 0; i < seconds * 100; ++i) {
            if (::waitpid(pid, &status, WNOHANG) == pid) return status;
            ::usleep(10000);
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
    }

    TempDir dir_{"pelgrane"};
    std::string output_;
};

TEST_F(Pelgrane, StartsWithItsFoldersBrowsesForASourceAndQuitsCleanly) {
    TempDir chosen("source");
    EXPECT_EQ(Run("expect edSource text \"" + xml() +
                  "\"\n"
                  "expect edDestination text \"\\\\Program Files\\\\Menvaro餐点\"\n"
                  "expect lblHint text \"请生成资料\"\n"
                  "expect btnUpdateData enabled false\n"
                  "expect btnBuildData enabled true\n"
                  "click btnSource\n"
                  "expect Title text \"在PC上选择资料来源\"\n"
                  "type Folder \"" +
                  ExcludeTrailingPathDelimiter(chosen.path()) +
                  "\"\n"
                  "click OK\n"
                  "expect edSource text \"" +
                  chosen.path() +
                  "\"\n"
                  "click btnClose\n"),
              0)
        << output_;
}

TEST_F(Pelgrane, BuildsUpdatesTwiceAndLeavesExactlyTheBuiltFilesOnTheHandheld) {
    ForceDirectories(xml());
    WriteFileAtomic(xml() + "Room.txt", "A01,大厅1号台\r\nB01,牡丹厅\r\n");
    WriteFileAtomic(onDevice() + "urgentdish03.xml", "<UrgentDish/>\r\n");  // emptied since
    WriteFileAtomic(onDevice() + "dish01.xml", "old");
    EXPECT_EQ(Run("click btnBuildData\n"
                  "expect lblHint text \"生成PDA资料完成,请更新到PDA上... \"\n"
                  "expect btnBuildData enabled false\n"
                  "expect btnUpdateData enabled true\n"
                  "click btnUpdateData\n"
                  "expect lblHint text \"更新基本资料到PDA已完成！\"\n"
                  "expect btnUpdateData enabled true\n"
                  "expect btnClose enabled true\n"
                  "click btnUpdateData\n"
                  "expect lblHint text \"更新基本资料到PDA已完成！\"\n"
                  "click btnClose\n"),
              0)
        << output_;
    const std::vector<std::string> built = Names(xml());
    // 27 data files, Room.txt, and the server file where this PC has an address.
    EXPECT_EQ(built.size(), 28u + (FileExists(xml() + "sock.xml") ? 1 : 0));
    EXPECT_EQ(Names(onDevice()), built);
    for (const std::string& name : built)
        EXPECT_EQ(ReadFileBytes(onDevice() + name), ReadFileBytes(xml() + name)) << name;
    EXPECT_EQ(ReadFileBytes(xml() + "dish01.xml"), ReadFileBytes(MENVARO_GOLDEN_DIR "dish01.xml"));
}

// The damaged settings file's exception reaches the application's handler,
// where the crash logger writes it to "Pelgrane.elf" beside the program and
// shows nothing.
TEST_F(Pelgrane, ADamagedSettingsFileIsLoggedAndNothingCanBeUpdated) {
    WriteFileAtomic(dir_.path() + "registry.reg",
                    "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\r\n");
    const std::string before = ReadFileBytes(dir_.path() + "registry.reg");
    const std::string script =
        "expect btnUpdateData enabled false\n"
        "click btnBuildData\n"
        "expect Message text \"服务端没有设置数据源！\"\n"
        "click OK\n"
        "close UpdateForm\n";
    EXPECT_EQ(Run(script), 0) << output_;
    EXPECT_EQ(ReadFileBytes(dir_.path() + "registry.reg"), before);  // never overwritten
    const std::vector<std::string> reports = LoggedReports();
    ASSERT_EQ(reports.size(), 1u) << output_;
    const std::string& r = reports[0];
    EXPECT_EQ(r.rfind("OstrelLog 4.5.4\r\n", 0), 0u);
    EXPECT_NE(r.find("  2.4 Type   : ERegistryException\r\n"), std::string::npos) << r;
    EXPECT_NE(r.find("  2.5 Message: The settings file \"" + dir_.path() +
                     "registry.reg\" is damaged at line 2: a key line must end with \"]\".\r\n"),
              std::string::npos)
        << r;
    // The settings reader's source file, with a procedure and a line: the
    // line tables read at the report's first lookup, not at start-up.
    const std::size_t row = r.find("|RegistryStore.cpp");
    ASSERT_NE(row, std::string::npos) << r;
    const std::string line = r.substr(row, r.find("\r\n", row) - row);
    const std::vector<std::string> cells = SplitString(line, '|');
    ASSERT_EQ(cells.size(), 6u) << line;  // "", unit, class, procedure, line, ""
    EXPECT_NE(Trim(cells[3]), "") << line;
    EXPECT_TRUE(!Trim(cells[4]).empty() && std::isdigit(static_cast<unsigned char>(cells[4][0]))) << line;

    // 33 runs keep the 32 newest reports, each of the same exception address.
    for (int i = 1; i < 33; ++i) ASSERT_EQ(Run(script), 0) << output_;
    const std::vector<std::string> kept = LoggedReports();
    ASSERT_EQ(kept.size(), 32u);
    const auto address = [](const std::string& report) {
        const std::size_t at = report.find("  2.2 Address: ");
        return report.substr(at, report.find("\r\n", at) - at);
    };
    for (const std::string& k : kept) EXPECT_EQ(address(k), address(r));
}

// A signal sent to the program while it waits for input: its report goes to
// the log, and the program ends by the signal.
TEST_F(Pelgrane, AFaultSignalFromOutsideIsLoggedAndEndsTheProgram) {
    // Sent once the program runs its script: the logger was installed before
    // the program's entry, so the screenshot says it is ready. Under SDL's
    // offscreen driver, where the script's wait takes real time.
    const std::string ready = dir_.path() + "ready.png";
    WriteFileAtomic(dir_.path() + "run.script",
                    "screenshot UpdateForm \"" + ready + "\"\nwait 30000\nclose UpdateForm\n");
    std::string command =
        Command(dir_.path() + "run.script", dir_.path() + "out.txt", "", "MENVARO_UI=sdl SDL_VIDEODRIVER=offscreen");
    // The program itself as the shell's job (env runs it in its own place).
    command.replace(command.find("timeout 60 "), 11, "");
    command = "( " + command.substr(0, command.rfind(" 2>&1")) +
              " 2>&1 & p=$!; for i in $(seq 1200); do [ -e '" + ready +
              "' ] && break; sleep 0.05; done; kill -SEGV $p; wait $p; exit $? )";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << status;
    const std::vector<std::string> reports = LoggedReports();
    ASSERT_EQ(reports.size(), 1u) << ReadFileBytes(dir_.path() + "out.txt");
    // Sent from outside: no access violation of the program's own.
    EXPECT_NE(reports[0].find("  2.4 Type   : EExternalException\r\n"), std::string::npos) << reports[0];
}

// The five fatal signals sent from outside at moments of the start-up under
// the SDL backend (whose libraries start threads of their own and allocate
// much): as soon as the logger runs, before the main window exists; while
// the window and its drawing threads are made; while the script waits.
// Each gives exactly one report naming the sender, and the program ends by
// the signal without hanging.
TEST_F(Pelgrane, EveryFatalSignalAtStartUpIsLoggedOnceAndEndsTheProgram) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers end a program by some signals themselves, with a status.
    constexpr bool sanitizer = true;
#else
    constexpr bool sanitizer = false;
#endif
    enum TMoment { mLoggerRuns, mWindowMade, mScriptWaits };
    const std::string ready = dir_.path() + "ready.png";
    const std::string script = dir_.path() + "run.script";
    WriteFileAtomic(script, "screenshot UpdateForm \"" + ready + "\"\nwait 30000\nclose UpdateForm\n");
    const std::vector<std::string> env{"MENVARO_UI=sdl",
                                       "SDL_VIDEODRIVER=offscreen",
                                       "MENVARO_REGISTRY=" + dir_.path() + "registry.reg",
                                       "MENVARO_UI_SCRIPT=" + script,
                                       "MENVARO_DEVICE_ROOT=" + device(),
                                       "XDG_RUNTIME_DIR=" + dir_.path()};
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        for (TMoment moment : {mLoggerRuns, mWindowMade, mScriptWaits}) {
            SCOPED_TRACE("signal " + std::to_string(signal) + ", moment " + std::to_string(moment));
            DeleteFile(bin() + "Pelgrane.elf");
            DeleteFile(ready);
            const pid_t pid = StartProgram(env, dir_.path() + "out.txt");
            ASSERT_GT(pid, 0);
            // The logger's reporter thread is named once every fatal signal is handled.
            bool sent = false;
            for (int i = 0; i < 30000 && !sent; ++i) {
                const std::vector<std::string> threads = ThreadNames(pid);
                if (threads.empty()) break;  // ended before
                const bool logger = std::find(threads.begin(), threads.end(), "OstrelLog") != threads.end();
                const bool started = FileExists(ready);
                if (logger && (moment == mLoggerRuns || (moment == mWindowMade && (threads.size() > 2 || started)) ||
                               (moment == mScriptWaits && started))) {
                    sent = ::kill(pid, signal) == 0;
                    break;
                }
                ::usleep(1000);
            }
            const int status = WaitEnded(pid, 60);
            ASSERT_TRUE(sent) << ReadFileBytes(dir_.path() + "out.txt");
            ASSERT_NE(status, -1) << "still running a minute after the signal";
            EXPECT_TRUE((WIFSIGNALED(status) && WTERMSIG(status) == signal) ||
                        (sanitizer && WIFEXITED(status) && WEXITSTATUS(status) != 0))
                << status;
            const std::vector<std::string> reports = LoggedReports();
            ASSERT_EQ(reports.size(), 1u) << ReadFileBytes(dir_.path() + "out.txt");
            EXPECT_NE(reports[0].find("  2.4 Type   : EExternalException\r\n"), std::string::npos) << reports[0];
            EXPECT_NE(reports[0].find(") was sent to the program by process " + std::to_string(::getpid()) + " "),
                      std::string::npos)
                << reports[0];
        }
    }
}

TEST_F(Pelgrane, AFailedBuildIsReportedAndTheButtonsStay) {
    TempDir broken("broken");
    test::MakeDatabase(broken.path() + "Velkoranth.db", "create table dishproject (ProjectID char(2));");
    UseDatabaseIn(broken.path());
    EXPECT_EQ(Run("click btnBuildData\n"
                  "click OK\n"
                  "expect lblHint text \"在更新之前,请检查是否连接上PDA...   \"\n"
                  "expect btnBuildData enabled true\n"
                  "expect btnUpdateData enabled false\n"
                  "close UpdateForm\n"),
              0)
        << output_;
    TempDir nothing("nodb");
    UseDatabaseIn(nothing.path());
    EXPECT_EQ(Run("click btnBuildData\n"
                  "expect lblHint text \"数据连接错误,请在PDA服务端更改设置\"\n"
                  "expect btnBuildData enabled true\n"
                  "expect btnUpdateData enabled false\n"
                  "close UpdateForm\n"),
              0)
        << output_;
}

TEST_F(Pelgrane, AMissingHandheldOrDeviceLibraryIsToldAndNothingIsCopied) {
    EXPECT_EQ(Run("click btnBuildData\n"
                  "click btnUpdateData\n"
                  "expect Message text \"没有连接上PDA,请检查PDA是否已连接！\"\n"
                  "click OK\n"
                  "expect lblHint text \"生成PDA资料完成,请更新到PDA上... \"\n"
                  "close UpdateForm\n",
                  dir_.path() + "no-handheld"),
              0)
        << output_;
    DeleteFile(bin() + "librapi.so");
    EXPECT_EQ(Run("click btnBuildData\n"
                  "click btnUpdateData\n"
                  "expect Message text \"没有找到PDA连接程序,无法更新到PDA！\"\n"
                  "click OK\n"
                  "expect btnUpdateData enabled true\n"
                  "close UpdateForm\n"),
              0)
        << output_;
    EXPECT_TRUE(Names(onDevice()).empty());
}

TEST_F(Pelgrane, AFailedMoveOnTheHandheldKeepsTheOldFileAndPutsBackWhatWasLeftAside) {
    test::CopyProgram(MENVARO_FAILING_RAPI, bin(), "librapi.so");
    WriteFileAtomic(onDevice() + "dish01.xml", "old dish01");
    const std::string script =
        "click btnBuildData\n"
        "click btnUpdateData\n"
        "click OK\n"  // the list of files not updated
        "expect lblHint text \"更新基本资料到PDA失败！\"\n"
        "close UpdateForm\n";
    // The new dish01.xml cannot be moved into place: the old one is moved back.
    EXPECT_EQ(Run(script, "", "MENVARO_DEVICE_FAIL='CeMoveFile dish01.xml.part'"), 0) << output_;
    EXPECT_EQ(ReadFileBytes(onDevice() + "dish01.xml"), "old dish01");
    // An earlier update was ended after it had set the old dish02.xml aside:
    // the file is back before anything else happens (here its new copy
    // cannot even be started).
    ASSERT_TRUE(RenameFile(onDevice() + "dish02.xml", onDevice() + "dish02.xml.old"));
    WriteFileAtomic(onDevice() + "dish02.xml.old", "old dish02");
    EXPECT_EQ(Run(script, "", "MENVARO_DEVICE_FAIL='CeCreateFile dish02.xml.part'"), 0) << output_;
    EXPECT_EQ(ReadFileBytes(onDevice() + "dish02.xml"), "old dish02");
    // Everything else arrived, and nothing temporary is left.
    std::vector<std::string> expected = Names(xml());
    std::erase(expected, "dish02.xml");
    std::vector<std::string> others = Names(onDevice());
    std::erase(others, "dish02.xml");
    EXPECT_EQ(others, expected);
    EXPECT_EQ(ReadFileBytes(onDevice() + "dish01.xml"), ReadFileBytes(xml() + "dish01.xml"));
}

TEST_F(Pelgrane, TwoUpdatersStartedTogetherLeaveEveryBuiltFileOnTheHandheld) {
    ForceDirectories(xml());
    WriteFileAtomic(xml() + "Room.txt", "A01,大厅1号台\r\n");
    WriteFileAtomic(dir_.path() + "both.script",
                    "click btnBuildData\n"
                    "expect btnUpdateData enabled true\n"
                    "click btnUpdateData\n"
                    "expect lblHint text \"更新基本资料到PDA已完成！\"\n"
                    "close UpdateForm\n");
    // One source folder (the one beside the program) and one handheld.
    std::string both;
    for (const char* n : {"1", "2"})
        both += "(" + Command(dir_.path() + "both.script", dir_.path() + "out" + n + ".txt") + "; echo $? > '" +
                dir_.path() + "status" + n + "') & ";
    both += "wait";
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::filesystem::remove_all(onDevice());
        ForceDirectories(onDevice());
        std::system(both.c_str());
        int finished = 0;
        for (const char* n : {"1", "2"}) {
            const int status = std::stoi(ReadFileBytes(dir_.path() + "status" + n));
            const std::string out = ReadFileBytes(dir_.path() + "out" + n + ".txt");
            // Each one either does its whole work or, when the other keeps
            // the folder longer than it waits, is told and stops.
            EXPECT_TRUE(status == 0 || (status == 3 && out.find("ui script:") != std::string::npos)) << out;
            finished += status == 0;
        }
        EXPECT_GE(finished, 1);
        ExpectHandheldHoldsEveryBuiltFile();
        EXPECT_EQ(Names(xml()).size(), 28u + (FileExists(xml() + "sock.xml") ? 1 : 0));
    }
}

TEST_F(Pelgrane, AnotherUpdaterAtWorkIsToldAndNothingIsDone) {
    ForceDirectories(xml());
    WriteFileAtomic(xml() + "piddata.xml", "kept");
    TFileLock source;
    ASSERT_TRUE(source.Open(bin() + "xml.lock", true));
    ASSERT_TRUE(source.Lock());
    EXPECT_EQ(Run("click btnBuildData\n"
                  "expect Message text \"另一个更新程序正在工作,请稍后再试！\"\n"
                  "click OK\n"
                  "expect lblHint text \"请生成资料\"\n"
                  "expect btnUpdateData enabled false\n"
                  "close UpdateForm\n"),
              0)
        << output_;
    EXPECT_EQ(ReadFileBytes(xml() + "piddata.xml"), "kept");
    source.Unlock();
    // The handheld's lock keeps a second update off the handheld.
    TFileLock handheld;
    ASSERT_TRUE(handheld.Open(dir_.path() + "menvaro-handheld.lock", true));
    ASSERT_TRUE(handheld.Lock());
    EXPECT_EQ(Run("click btnBuildData\n"
                  "click btnUpdateData\n"
                  "expect Message text \"另一个更新程序正在工作,请稍后再试！\"\n"
                  "click OK\n"
                  "expect lblHint text \"生成PDA资料完成,请更新到PDA上... \"\n"
                  "close UpdateForm\n"),
              0)
        << output_;
    EXPECT_TRUE(Names(onDevice()).empty());
}

TEST_F(Pelgrane, AHeldSettingsLockEndsTheWaitWithALoggedErrorNamingTheFile) {
    WriteFileAtomic(dir_.path() + "registry.reg.lock", "");
    TFileLock settings;
    ASSERT_TRUE(settings.Open(dir_.path() + "registry.reg.lock", true));
    ASSERT_TRUE(settings.Lock());
    // Logged as a damaged file is, not shown.
    EXPECT_EQ(Run("click btnBuildData\n"
                  "expect Message text \"服务端没有设置数据源！\"\n"
                  "click OK\n"
                  "close UpdateForm\n"),
              0)
        << output_;
    const std::vector<std::string> reports = LoggedReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("  2.5 Message: The settings file \"" + dir_.path() +
                              "registry.reg\" is held by another program: it could not be read.\r\n"),
              std::string::npos)
        << reports[0];
}

TEST_F(Pelgrane, AFileSizeLimitFailsTheBuildInsteadOfEndingTheProgram) {
    ForceDirectories(xml());
    // Left by a build that was ended in the middle of a write.
    WriteFileAtomic(xml() + ".dish01.xml.123456789.tmp", "<CateDish><ProdType");
    // 4 KB: the first files fit, "dish01.xml" does not.
    EXPECT_EQ(Run("click btnBuildData\n"
                  "click OK\n"
                  "expect lblHint text \"在更新之前,请检查是否连接上PDA...   \"\n"
                  "expect btnUpdateData enabled false\n"
                  "close UpdateForm\n",
                  "", "prlimit --fsize=4096:4096"),
              0)
        << output_;
    const std::vector<std::string> left = Names(xml());
    EXPECT_NE(std::find(left.begin(), left.end(), "room.xml"), left.end());
    EXPECT_EQ(std::find(left.begin(), left.end(), "dish01.xml"), left.end());
    TSearchRec rec;
    EXPECT_NE(FindFirst(xml() + ".*", faHidden, rec), 0) << rec.Name;
    FindClose(rec);
}

}  // namespace
}  // namespace menvaro
