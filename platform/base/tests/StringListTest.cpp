#include "base/StringList.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "base/Exceptions.h"
#include "base/Files.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

TEST(StringList, TextSplitsAtEveryLineBreakAndATrailingOneEndsTheLastLine) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
        {"a\r\n\r\n", {"a", ""}},
        {"\r\n", {""}},
        {"\n\n", {"", ""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"<PidData/>\r\n", {"<PidData/>"}},
    };
    for (const auto& c : cases) {
        TStringList l;
        l.SetText(c.text);
        EXPECT_EQ(l.ToVector(), c.lines) << c.text;
        TStringList moved;
        moved.SetText(std::string(c.text));  // takes over a one-line buffer
        EXPECT_EQ(moved.ToVector(), c.lines) << c.text;
    }
}

TEST(StringList, TextFollowsEveryLineWithCrLf) {
    TStringList l;
    EXPECT_EQ(l.Text(), "");
    l.Add("a");
    l.Add("");
    l.Add("餐点");
    EXPECT_EQ(l.Text(), "a\r\n\r\n餐点\r\n");
    TStringList back;
    back.SetText(l.Text());
    EXPECT_EQ(back, l);
}

TEST(StringList, EditingAndSearching) {
    TStringList l{"dish1.xml", "Area.xml", "room.xml"};
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l.IndexOf("AREA.XML"), 1);
    l.CaseSensitive = true;
    EXPECT_EQ(l.IndexOf("AREA.XML"), -1);
    EXPECT_EQ(l.IndexOf("Area.xml"), 1);
    l.Delete(0);
    EXPECT_EQ(l[0], "Area.xml");
    l.Insert(2, "Room.txt");
    EXPECT_EQ(l[2], "Room.txt");
    EXPECT_THROW(l[3], EStringListError);
    EXPECT_THROW(l.Delete(-1), EStringListError);
    int changes = 0;
    l.OnChange = [&](TStringList&) { ++changes; };
    l.BeginUpdate();
    l.Add("x");
    l.Add("y");
    l.EndUpdate();
    EXPECT_EQ(changes, 1);
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(changes, 2);
}

TEST(StringList, NamesAndValues) {
    TStringList l{"Days=7", "Dir=/var/backup"};
    EXPECT_EQ(l.Values("days"), "7");
    EXPECT_EQ(l.Names(1), "Dir");
    l.SetValues("Days", "9");
    l.SetValues("New", "1");
    EXPECT_EQ(l.ToVector(), (std::vector<std::string>{"Days=9", "Dir=/var/backup", "New=1"}));
}

TEST(StringList, FilesEndEveryLineWithCrLfInTheChosenEncoding) {
    const test::TempDir temp("sl");
    const std::string& dir = temp.path();
    TStringList l;
    l.SetText("<Server><name>10.0.0.5</name><port>5001</port></Server>\r\n");
    l.SaveToFile(dir + "sock.xml", TEncoding::GBK);
    EXPECT_EQ(ReadFileBytes(dir + "sock.xml"), "<Server><name>10.0.0.5</name><port>5001</port></Server>\r\n");

    TStringList c{"餐点", "a"};
    c.SaveToFile(dir + "gbk.txt", TEncoding::GBK);
    EXPECT_EQ(ReadFileBytes(dir + "gbk.txt"), "\xB2\xCD\xB5\xE3\r\na\r\n");
    TStringList back;
    back.LoadFromFile(dir + "gbk.txt", TEncoding::GBK);
    EXPECT_EQ(back, c);
    c.SaveToFile(dir + "utf8.txt");
    EXPECT_EQ(ReadFileBytes(dir + "utf8.txt"), "餐点\r\na\r\n");
    EXPECT_THROW(back.LoadFromFile(dir + "missing.txt"), EFOpenError);
}
