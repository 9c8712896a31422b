// The build and update buttons of the updater's window against the demo
// database and the test handheld: the hint line, the buttons and what
// reaches the handheld.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "DeviceFixture.h"
#include "base/Files.h"
#include "classes/FormResources.h"
#include "testsupport/SqliteFile.h"
#include "testsupport/TempDir.h"
#include "testsupport/UiTest.h"
#include "uDM.h"
#include "uUpdatePda.h"

namespace menvaro {
namespace {

using namespace pelgrane;
using test::TempDir;

const std::string kOnDevice = "\\Program Files\\Menvaro餐点\\";

class UpdateActions : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        Device().Reset();
        UseDatabaseIn(MENVARO_DEMO_DB_DIR);
        // The handheld's lock, away from other tests' updates.
        setenv("XDG_RUNTIME_DIR", reg_.path().c_str(), 1);
        DM = Create<TDM>(Application);
        form_ = Create<TUpdateForm>(Application);
        form_->Show();
        // Placed by the product's server; a build leaves it alone.
        ForceDirectories(form_->SourceFolder);
        WriteFileAtomic(form_->SourceFolder + "Room.txt", "A01,大厅1号台\r\n");
    }
    void TearDown() override {
        DM->Free();
        DM = nullptr;
        unsetenv("MENVARO_REGISTRY");
        // The updater builds into the folder beside the program (a copy of the
        // test program when the tests run from CTest).
        std::filesystem::remove_all(ExeFolder() + "xml");
        UiTest::TearDown();
    }
    void UseDatabaseIn(const std::string& folder) {
        WriteFileAtomic(reg_.path() + "registry.reg",
                        "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane\\DataSource]\r\n"
                        "\"ServerName\"=\"" +
                            folder + "\"\r\n");
        setenv("MENVARO_REGISTRY", (reg_.path() + "registry.reg").c_str(), 1);
    }
    // The hint line and whether build, update and close are enabled.
    std::string State() const {
        return form_->lblHint->Caption() + (form_->btnBuildData->Enabled() ? " B" : " -") +
               (form_->btnUpdateData->Enabled() ? "U" : "-") + (form_->btnClose->Enabled() ? "C" : "-");
    }
    // Presses the message box's OK and notes its text.
    void AnswerTheBox(std::string& text) {
        Steps({[&] {
            if (auto* m = dynamic_cast<TControl*>(FindScriptComponent("Message"))) text = m->Caption();
            ClickNamed("OK");
        }});
    }
    std::vector<std::string> DeviceFiles() const {
        std::vector<std::string> names;
        for (const auto& [path, content] : Device().files) names.push_back(path.substr(kOnDevice.size()));
        return names;
    }

    TempDir reg_{"actions"};
    TUpdateForm* form_ = nullptr;
};

TEST_F(UpdateActions, ABuildThenUpdatesCopyTheBuiltFilesWithRoomTxtLast) {
    EXPECT_EQ(State(), "请生成资料 B-C");
    form_->btnBuildDataClick(nullptr);
    EXPECT_EQ(State(), "生成PDA资料完成,请更新到PDA上...  -UC");
    std::vector<std::string> built = DM->WrittenFiles->ToVector();
    ASSERT_GE(built.size(), 27u);

    // A file that lands in the folder after the build is no data of it.
    WriteFileAtomic(form_->SourceFolder + "foreign.xml", "<x/>");
    Device().files[kOnDevice + "urgentdish03.xml"] = "from an earlier menu";
    form_->btnUpdateDataClick(nullptr);
    EXPECT_EQ(State(), "更新基本资料到PDA已完成！ -UC");

    std::vector<std::string> expected = built;
    expected.push_back("Room.txt");
    std::vector<std::string> sortedExpected = expected;
    std::sort(sortedExpected.begin(), sortedExpected.end());
    EXPECT_EQ(DeviceFiles(), sortedExpected);  // the emptied file is gone, nothing foreign came
    for (const std::string& name : expected)
        EXPECT_EQ(Device().files[kOnDevice + name], ReadFileBytes(form_->SourceFolder + name)) << name;

    // The order on the wire: connect, putting back what an earlier update
    // left aside, the emptied names, the files, Room.txt, disconnect.
    const auto& log = Device().log;
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "init");
    std::size_t first = 1;
    while (first < log.size() && log[first].starts_with("move ") && log[first].find(".old ") != std::string::npos)
        ++first;
    EXPECT_EQ(first, expected.size() + DM->EmptyFiles->Count() + 1);
    ASSERT_LT(first, log.size());
    EXPECT_EQ(log[first], "delete " + kOnDevice + "urgentdish03.xml");
    EXPECT_EQ(log.back(), "uninit");
    EXPECT_EQ(log[log.size() - 2], "move " + kOnDevice + "Room.txt.part " + kOnDevice + "Room.txt");

    // Updating again works, with the library loaded once.
    TestDeviceControl& device = Device();
    const int before = dlopenCalls;
    device.Reset();
    form_->btnUpdateDataClick(nullptr);
    EXPECT_EQ(dlopenCalls - before, 0);
    EXPECT_EQ(State(), "更新基本资料到PDA已完成！ -UC");
    EXPECT_EQ(device.files.size(), expected.size());
}

TEST_F(UpdateActions, ABuildThatFailsSaysSoAndLeavesTheButtons) {
    TempDir broken("broken");
    test::MakeDatabase(broken.path() + "Velkoranth.db", "create table dishproject (ProjectID char(2));");
    UseDatabaseIn(broken.path());
    form_->Free();
    form_ = Create<TUpdateForm>(Application);
    form_->Show();
    std::string text;
    AnswerTheBox(text);
    form_->btnBuildDataClick(nullptr);
    EXPECT_TRUE(StepsDone());
    EXPECT_EQ(text.substr(0, text.find("2)")), "生成资料失败！\r\n原因如下：\r\n1)数据连接设置不正确\r\n");
    EXPECT_NE(text.find("2)使用不是Menvaro数据\r\n"), std::string::npos);
    EXPECT_EQ(State(), "在更新之前,请检查是否连接上PDA...    B-C");
}

TEST_F(UpdateActions, ADatabaseThatCannotBeReachedIsAConnectionError) {
    TempDir empty("nodb");
    UseDatabaseIn(empty.path());
    form_->Free();
    form_ = Create<TUpdateForm>(Application);
    form_->Show();
    form_->btnBuildDataClick(nullptr);  // no box
    EXPECT_EQ(State(), "数据连接错误,请在PDA服务端更改设置 B-C");
}

TEST_F(UpdateActions, WithoutAHandheldNothingIsDeletedOrCopiedAndTheUserIsTold) {
    form_->btnBuildDataClick(nullptr);
    Device().Reset();
    Device().initResult = E_FAIL;
    std::string text;
    AnswerTheBox(text);
    form_->btnUpdateDataClick(nullptr);
    EXPECT_EQ(text, "没有连接上PDA,请检查PDA是否已连接！");
    EXPECT_EQ(Device().log, std::vector<std::string>{"init"});
    EXPECT_EQ(State(), "生成PDA资料完成,请更新到PDA上...  -UC");
}

TEST_F(UpdateActions, FilesThatCouldNotBeCopiedAreNamedAndKeepTheirOldCopies) {
    form_->btnBuildDataClick(nullptr);
    const std::string first = DM->WrittenFiles->Strings(0);
    Device().Reset();
    Device().files[kOnDevice + first] = "old";
    Device().failWriteAt = 0;  // the first file's write fails
    std::string text;
    AnswerTheBox(text);
    form_->btnUpdateDataClick(nullptr);
    EXPECT_EQ(text, "下列文件没有更新到PDA：\r\n" + first + "\r\n");
    EXPECT_EQ(State(), "更新基本资料到PDA失败！ -UC");
    EXPECT_EQ(Device().files[kOnDevice + first], "old");
    for (const std::string& name : DeviceFiles()) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
    EXPECT_EQ(Device().log.back(), "uninit");
}

TEST_F(UpdateActions, AFileSizeLimitFailsTheBuildWithTheReasonAndLeavesNoTemporaryFile) {
    // As the program does: the limit makes a write fail instead of ending it.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;  // the first files fit, "dish01.xml" does not
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string text;
    AnswerTheBox(text);
    form_->btnBuildDataClick(nullptr);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_NE(text.find("\r\nCannot write file \"" + form_->SourceFolder + "dish01.xml\". File too large\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(State(), "在更新之前,请检查是否连接上PDA...    B-C");
    TSearchRec rec;
    EXPECT_NE(FindFirst(form_->SourceFolder + ".*", faHidden, rec), 0) << rec.Name;
    FindClose(rec);
}

TEST_F(UpdateActions, AnUpdateThatRaisesStillDisconnectsAndGivesTheButtonsBack) {
    form_->btnBuildDataClick(nullptr);
    Device().Reset();
    Device().throwOnWrite = true;
    EXPECT_THROW(form_->btnUpdateDataClick(nullptr), std::runtime_error);
    EXPECT_EQ(Device().log.back(), "uninit");
    EXPECT_EQ(State(), "更新基本资料到PDA失败！ -UC");
}

TEST_F(UpdateActions, WithoutABusyWindowNothingRunsAndNothingCountsAsDone) {
    form_->btnBuildDataClick(nullptr);
    ASSERT_EQ(State(), "生成PDA资料完成,请更新到PDA上...  -UC");
    // A second resource for the busy window's class makes it impossible to create.
    const TFormResource real = *FindFormResource("TfrmProgressBar");
    RegisterFormResource("TfrmProgressBar", "broken.form", "object frmProgressBar: TfrmProgressBar\nend\n");
    std::string text;
    AnswerTheBox(text);
    EXPECT_FALSE(DM->BuildData(form_->ConnectionString, form_->SourceFolder));
    EXPECT_EQ(text, "无法建立进度表.");
    text.clear();
    Device().Reset();
    AnswerTheBox(text);
    form_->btnUpdateDataClick(nullptr);
    EXPECT_EQ(text, "无法建立进度表.");
    EXPECT_EQ(State(), "更新基本资料到PDA失败！ -UC");
    EXPECT_TRUE(Device().files.empty());
    EXPECT_EQ(Device().log.back(), "uninit");
    UnregisterFormResource("TfrmProgressBar");
    RegisterFormResource(real.ClassName, real.FileName, real.Text);
}

}  // namespace
}  // namespace menvaro
