// The days to keep, as a user meets them: Storvik run headless with a UI
// script over a copy of the demo database, and every form file of the tree
// that holds a number edit read and written back.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <vector>
#include <string>

#include "base/Files.h"
#include "base/Strings.h"
#include "classes/FormWriter.h"
#include "edit/DBCtrlsEx.h"
#include "testsupport/TempDir.h"
#include "testsupport/UiTest.h"

namespace menvaro {
namespace {

class DaysEntry : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDir(dir_.path() + "bin");
        CreateDir(dir_.path() + "server");
        test::CopyProgram(MENVARO_STORVIK, dir_.path() + "bin/");
        std::filesystem::copy_file(MENVARO_DEMO_DB_DIR "Velkoranth.db", dir_.path() + "server/Velkoranth.db");
        WriteFileAtomic(registry(),
                        "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Initdata]\r\n"
                        "\"SQLServerName\"=\"" +
                            dir_.path() + "server/\"\r\n\"DataBaseName\"=\"Velkoranth\"\r\n");
    }
    std::string registry() const { return dir_.path() + "registry.reg"; }
    std::string backups() const { return dir_.path() + "bin/DataBackup/"; }
    // The program's exit status on `script`; what it printed stays in output_.
    int Run(const std::string& script) {
        WriteFileAtomic(dir_.path() + "days.script", script);
        const std::string command = "env MENVARO_UI=headless MENVARO_REGISTRY='" + registry() +
                                    "' MENVARO_UI_SCRIPT='" + dir_.path() + "days.script' timeout 60 '" +
                                    dir_.path() + "bin/Storvik' > '" + dir_.path() + "out.txt' 2>&1";
        const int status = std::system(command.c_str());
        output_ = ReadFileBytes(dir_.path() + "out.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    test::TempDir dir_{"days"};
    std::string output_;
};

// A lone decimal point in the days is refused at the backup button like any
// day count out of range: nothing raised while typing, nothing backed up,
// saved or deleted.
TEST_F(DaysEntry, ALonePointIsRefusedAtTheBackupButton) {
    ForceDirectories(backups());
    WriteFileAtomic(backups() + "database20240101", "older backup");
    ASSERT_EQ(Run("type edUser \"sa\"\n"
                  "click btnOk\n"
                  "type dtpBackupDate \"20240510\"\n"
                  "click edtSaveBackupDays\n"
                  "press Ctrl+A\n"
                  "type \".\"\n"
                  "expect edtSaveBackupDays text \".\"\n"
                  "click fxbtnBackup\n"
                  "expect Message text \"保留备份天数必须在1到10000之间！\"\n"
                  "click OK\n"
                  "click fxSbtnClose1\n"),
              0)
        << output_;
    EXPECT_FALSE(FileExists(backups() + "database20240510"));
    EXPECT_TRUE(FileExists(backups() + "database20240101"));
    const std::string settings = ReadFileBytes(registry());
    EXPECT_EQ(settings.find("SaveBackupDays"), std::string::npos) << settings;
}

class NumberEditForms : public ControlTest {};

// The lines of an object block without their indentation.
std::vector<std::string> Lines(const std::string& block) {
    std::vector<std::string> lines;
    for (const std::string& raw : SplitString(block, '\n')) lines.push_back(Trim(raw));
    return lines;
}

// The text from "object <name>: <class>" up to its own "end" line.
std::string ObjectBlock(const std::string& text, std::size_t start) {
    const std::size_t lineStart = text.rfind('\n', start) + 1;
    const std::string indent = text.substr(lineStart, start - lineStart);
    const std::size_t end = text.find("\n" + indent + "end\n", start);
    return end == std::string::npos ? std::string() : text.substr(start, end - start);
}

TEST_F(NumberEditForms, EveryFormFileReadsAndWritesBackItsNumberEdits) {
    int found = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(MENVARO_SOURCE_DIR)) {
        const std::string path = entry.path().string();
        if (entry.path().extension() != ".form" || path.find("/build/") != std::string::npos) continue;
        const std::string text = ReadFileBytes(path);
        for (std::size_t at = text.find(": TDBNumberEditEx\n"); at != std::string::npos;
             at = text.find(": TDBNumberEditEx\n", at + 1)) {
            const std::size_t start = text.rfind("object ", at);
            const std::string block = ObjectBlock(text, start);
            ASSERT_FALSE(block.empty()) << path;
            SCOPED_TRACE(path + ": " + block.substr(0, block.find('\n')));
            ++found;
            // Siblings ahead of it, so that its tab order holds.
            std::string siblings;
            const std::size_t tab = block.find("TabOrder = ");
            const int tabOrder = tab == std::string::npos ? 0 : std::atoi(block.c_str() + tab + 11);
            for (int i = 0; i < tabOrder; ++i)
                siblings += "object Sibling" + std::to_string(i) + ": TEdit\nTabOrder = " + std::to_string(i) + "\nend\n";
            auto* host = FormFromText<TForm>("object Host: TForm\n" + siblings + block + "\nend\nend\n", path);
            const std::string name = block.substr(7, block.find(':') - 7);
            ASSERT_NE(Part<TDBNumberEditEx>(host, name), nullptr);
            const std::string written = WriteComponentText(host);
            const std::size_t again = written.find("object " + name + ": TDBNumberEditEx");
            ASSERT_NE(again, std::string::npos) << written;
            EXPECT_EQ(Lines(ObjectBlock(written, again)), Lines(block)) << written;
            host->Free();
        }
    }
    // The backup tool's days at least.
    EXPECT_GE(found, 1);
}

}  // namespace
}  // namespace menvaro
