#include "base/ProfileFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "base/Files.h"
#include "base/Strings.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

using test::TempDir;
using Values = std::map<std::pair<std::string, std::string>, std::string>;

// What Python's configparser reads from the file: (section, key in lower case) -> value.
Values PythonReads(const std::string& file) {
    const std::string command = std::string(PYTHON3) + " " + READ_PROFILE_SCRIPT + " '" + file + "'";
    FILE* p = popen(command.c_str(), "r");
    EXPECT_NE(p, nullptr);
    std::string out;
    char buf[4096];
    for (std::size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    EXPECT_EQ(p ? pclose(p) : -1, 0) << out;
    Values values;
    for (const std::string& line : SplitString(out, '\n')) {
        if (line.empty()) continue;
        const std::vector<std::string> f = SplitString(line, '\t');
        EXPECT_EQ(f.size(), 3u) << line;
        if (f.size() == 3) values[{f[0], f[1]}] = f[2];
    }
    return values;
}

}  // namespace

TEST(ProfileFiles, WhatIsWrittenReadsBackHereAndInPythonsParser) {
    TempDir dir("profile");
    const std::string file = dir.path() + "OstrelLog.ini";
    struct Write {
        const char* section;
        const char* key;
        const char* value;
        const char* expected;  // what both readers answer afterwards
    };
    const Write writes[] = {
        {"ExceptionDialog", "Left", "120", "120"},                      // a new file
        {"ExceptionDialog", "Top", "80", "80"},                         // a key added to the section
        {"exceptiondialog", "LEFT", "200", "200"},                      // the same key, other letter case: replaced
        {"Request", "Text", "  steps to repeat  ", "steps to repeat"},  // blanks are not kept
        {"Request", "Empty", "", ""},
        {"Request", "Formula", "a=b;c#d", "a=b;c#d"},       // "=", ";" and "#" inside a value
        {"Request", "说明", "点菜机 同步", "点菜机 同步"},  // UTF-8 names and values
        {"  Padded  ", "  Name  ", "x", "x"},               // names lose their blanks
        {"ExceptionDialog", "Width", "640", "640"},         // into the first section again
    };
    for (const Write& w : writes) ASSERT_TRUE(WriteProfileString(file, w.section, w.key, w.value)) << w.key;

    Values expected;
    for (const Write& w : writes) {
        std::string section = Trim(w.section);
        if (SameText(section, "exceptiondialog")) section = "ExceptionDialog";  // the first spelling stays
        expected[{section, LowerCase(Trim(w.key))}] = w.expected;               // a later write wins
    }
    for (const auto& [where, value] : expected)
        EXPECT_EQ(ReadProfileString(file, where.first, where.second, "?"), value) << where.second;
    EXPECT_EQ(PythonReads(file), expected);
    EXPECT_EQ(ReadFileBytes(file),
              "[ExceptionDialog]\r\nLEFT=200\r\nTop=80\r\nWidth=640\r\n"
              "[Request]\r\nText=  steps to repeat  \r\nEmpty=\r\nFormula=a=b;c#d\r\n说明=点菜机 同步\r\n"
              "[Padded]\r\nName=x\r\n");
}

TEST(ProfileFiles, WritingKeepsTheRestOfAHandWrittenFile) {
    TempDir dir("profile");
    const std::string file = dir.Write("settings.ini",
                                       "; the dialog's place\n"
                                       "[Dialog]\n"
                                       "Left = 10\n"
                                       "\n"
                                       "[Other]\n"
                                       "Name = keep me\n");
    ASSERT_TRUE(WriteProfileString(file, "Dialog", "Top", "20"));
    ASSERT_TRUE(WriteProfileString(file, "Other", "Name", "changed"));
    EXPECT_EQ(ReadFileBytes(file),
              "; the dialog's place\r\n[Dialog]\r\nLeft = 10\r\nTop=20\r\n\r\n[Other]\r\nName=changed\r\n");
    EXPECT_EQ(PythonReads(file),
              (Values{{{"Dialog", "left"}, "10"}, {{"Dialog", "top"}, "20"}, {{"Other", "name"}, "changed"}}));
}

TEST(ProfileFiles, ReadingFollowsTheProfileFunctions) {
    TempDir dir("profile");
    const std::string file = dir.Write("read.ini",
                                       "Orphan=before any section\r\n"
                                       "[Main]\r\n"
                                       "Quoted=\"  in quotes  \"\r\n"
                                       "Single='x'\r\n"
                                       "Unpaired=\"x'\r\n"
                                       "Twice=first\r\n"
                                       "Twice=second\r\n"
                                       ";Comment=no\r\n"
                                       "NoValue\r\n"
                                       "[main]\r\n"
                                       "Later=in the second section of the name\r\n"
                                       "[Unix]\n"
                                       "Line=ends in LF\n");
    struct Case {
        const char* section;
        const char* key;
        const char* def;
        const char* expected;
    } cases[] = {
        {"Main", "Quoted", "", "  in quotes  "},  // the quotes go, what they hold stays
        {"Main", "Single", "", "x"},
        {"Main", "Unpaired", "", "\"x'"},
        {"MAIN", "twice", "", "first"},     // the first key of a name counts
        {"Main", "Later", "none", "none"},  // and the first section of a name
        {"Main", "Comment", "none", "none"},
        {"Main", "NoValue", "none", "none"},
        {"", "Orphan", "none", "none"},
        {"Unix", "Line", "", "ends in LF"},
        {"Main", "Missing", "default  ", "default"},  // the default loses its trailing blanks
        {"Missing", "Quoted", " d", " d"},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadProfileString(file, c.section, c.key, c.def), c.expected) << c.key;
    EXPECT_EQ(ReadProfileString(dir.path() + "none.ini", "Main", "Quoted", "def"), "def");
    EXPECT_EQ(ReadProfileString(dir.path(), "Main", "Quoted", "def"), "def");  // a folder
}

TEST(ProfileFiles, ALongValueIsCutWhereTheBufferEndsOnACharacterBoundary) {
    TempDir dir("profile");
    const std::string file = dir.path() + "long.ini";
    // 2046 ASCII bytes and a three-byte character: the character does not fit.
    const std::string value = std::string(2046, 'a') + "点" + "tail";
    ASSERT_TRUE(WriteProfileString(file, "S", "K", value));
    EXPECT_EQ(ReadProfileString(file, "S", "K", ""), std::string(2046, 'a'));
    ASSERT_TRUE(WriteProfileString(file, "S", "K", std::string(3000, 'b')));
    EXPECT_EQ(ReadProfileString(file, "S", "K", ""), std::string(kProfileValueMax, 'b'));
}

TEST(ProfileFiles, WhatCannotBeStoredAsOneLineIsRefusedAndTheFileKept) {
    TempDir dir("profile");
    const std::string file = dir.Write("keep.ini", "[S]\r\nK=v\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"S", "K", "two\r\nlines"}, {"S", "K", "line\nfeed"}, {"S\n", "K", "v"}, {"S", "K\r", "v"}, {"S]x", "K", "v"},
        {"S", "K=1", "v"},          {"S", "[K", "v"},         {"S", ";K", "v"},  {"", "K", "v"},    {"S", "  ", "v"},
    };
    for (const Case& c : cases) EXPECT_FALSE(WriteProfileString(file, c.section, c.key, c.value)) << c.key;
    EXPECT_EQ(ReadFileBytes(file), "[S]\r\nK=v\r\n");
    // A file that cannot be made, or a folder in its place, fails as well.
    EXPECT_FALSE(WriteProfileString(dir.path() + "no/such/folder.ini", "S", "K", "v"));
    EXPECT_FALSE(WriteProfileString(dir.path(), "S", "K", "v"));
}
