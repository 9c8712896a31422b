#include "base/Files.h"
#include "testsupport/TempDir.h"
#include "testsupport/UiTest.h"
#include "ui/FolderBrowser.h"

namespace menvaro {
namespace {

class FolderBrowser : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        for (const char* d : {"/a/a1", "/a/a2", "/b", "/c/c1/c2", "/.hidden"}) ASSERT_TRUE(ForceDirectories(base_ + d));
        WriteFileAtomic(base_ + "/file.txt", "not a folder");
    }
    static TFolderTree* Tree() { return static_cast<TFolderTree*>(Named("FolderTree")); }
    test::TempDir dir_{"folder_browser"};
    std::string base_ = ExcludeTrailingPathDelimiter(dir_.path());
};

TEST_F(FolderBrowser, StartsAtTheStartFolderAndReturnsTheFolderClicked) {
    std::string title, pathShown;
    std::vector<std::string> shown;
    std::string folder = base_ + "/a/";  // as the updater keeps it: with a trailing delimiter
    Steps({[&] {
               title = Named("Title")->Caption();
               TFolderTree* t = Tree();
               EXPECT_EQ(t->SelectedPath(), base_ + "/a");
               EXPECT_TRUE(t->Expanded(base_ + "/a"));
               shown = t->ShownPaths();
               pathShown = Named("Folder")->Text();
               EXPECT_EQ(pathShown, base_ + "/a");
               // A click on the row's text (right of the box and the folder picture).
               TRect r = t->RowRect(base_ + "/a/a2");
               ClickAt(t, {r.Left + 60, r.Top + r.Height() / 2});
           },
           [&] { pathShown = Named("Folder")->Text(); }, [] { synthetic::PressKey(VK_RETURN); }});
    ASSERT_TRUE(SelectDirectory("在PC上选择资料来源", base_, folder));
    EXPECT_EQ(folder, base_ + "/a/a2");
    EXPECT_EQ(title, "在PC上选择资料来源");
    EXPECT_EQ(pathShown, base_ + "/a/a2");
    // Folders only, hidden ones left out, in name order.
    EXPECT_EQ(shown, (std::vector<std::string>{base_, base_ + "/a", base_ + "/a/a1", base_ + "/a/a2", base_ + "/b",
                                               base_ + "/c"}));
}

TEST_F(FolderBrowser, CancelAndEscapeReturnNothing) {
    for (bool byKey : {false, true}) {
        std::string folder = base_ + "/b";
        Steps({[&] {
            if (byKey)
                synthetic::PressKey(VK_ESCAPE);
            else
                ClickNamed("Cancel");
        }});
        EXPECT_FALSE(SelectDirectory("选择备份文件目录", base_, folder));
        EXPECT_EQ(folder, base_ + "/b");
    }
}

TEST_F(FolderBrowser, TheTreeOpensFoldersByMouseAndKeyboard) {
    std::string folder = base_;
    std::vector<std::string> afterBox, afterKeys;
    bool c1Open = false;
    Steps({[&] {
               TFolderTree* t = Tree();
               EXPECT_EQ(t->SelectedPath(), base_);
               // The box of "c" opens it without choosing it.
               TRect box = t->BoxRect(base_ + "/c");
               ClickAt(t, {box.Left + 4, box.Top + 4});
           },
           [&] {
               TFolderTree* t = Tree();
               afterBox = t->ShownPaths();
               EXPECT_EQ(t->SelectedPath(), base_);
               // Down to c, Down to c1, Right opens it, Right goes into c2.
               t->SetFocus();
               for (int key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_RIGHT}) synthetic::PressKey(key);
           },
           [&] {
               TFolderTree* t = Tree();
               EXPECT_EQ(t->SelectedPath(), base_ + "/c/c1/c2");
               c1Open = t->Expanded(base_ + "/c/c1");
               // Left goes to the parent, Left again closes it.
               synthetic::PressKey(VK_LEFT);
               synthetic::PressKey(VK_LEFT);
           },
           [&] {
               afterKeys = Tree()->ShownPaths();
               synthetic::PressKey(VK_RETURN);
           }});
    ASSERT_TRUE(SelectDirectory("", base_, folder));
    EXPECT_EQ(folder, base_ + "/c/c1");
    EXPECT_TRUE(c1Open);
    EXPECT_EQ(afterBox, (std::vector<std::string>{base_, base_ + "/a", base_ + "/b", base_ + "/c", base_ + "/c/c1"}));
    EXPECT_EQ(afterKeys, afterBox);
}

TEST_F(FolderBrowser, ATypedPathIsTakenWhenItExistsAndRefusedOtherwise) {
    std::string folder = base_ + "/a";
    std::string refusal;
    bool browserStillUp = false;
    Steps({[&] {
               static_cast<TWinControl*>(Named("Folder"))->SetFocus();
               synthetic::TypeText(base_ + "/nowhere");
               ClickNamed("OK");
           },
           [&] {
               refusal = Named("Message")->Caption();
               synthetic::PressKey(VK_RETURN);
           },
           [&] {
               browserStillUp = FindScriptComponent("FolderTree") != nullptr && Screen->ActiveForm() &&
                                Screen->ActiveForm()->FindComponent("FolderTree");
               // Typing after the focus came back replaces the text again; a
               // relative path counts from the folder chosen in the tree.
               static_cast<TWinControl*>(Named("FolderTree"))->SetFocus();
               static_cast<TWinControl*>(Named("Folder"))->SetFocus();
               synthetic::TypeText("a1/");
               synthetic::PressKey(VK_RETURN);
           }});
    ASSERT_TRUE(SelectDirectory("", base_, folder));
    EXPECT_EQ(refusal, "文件夹不存在:\n" + base_ + "/nowhere");
    EXPECT_TRUE(browserStillUp);
    EXPECT_EQ(folder, base_ + "/a/a1");
}

TEST_F(FolderBrowser, WithoutARootTheTreeStartsAtTheFileSystemsRoot) {
    std::string folder = base_ + "/c/c1/missing/deeper";
    std::string selected;
    bool rootOpen = false;
    Steps({[&] {
        TFolderTree* t = Tree();
        selected = t->SelectedPath();
        rootOpen = t->Expanded("/");
        std::vector<std::string> shown = t->ShownPaths();
        EXPECT_NE(std::find(shown.begin(), shown.end(), selected), shown.end());
        ClickNamed("OK");
    }});
    ASSERT_TRUE(SelectDirectory("", "", folder));
    // A missing start folder starts at its nearest existing parent.
    EXPECT_EQ(selected, base_ + "/c/c1");
    EXPECT_TRUE(rootOpen);
    EXPECT_EQ(folder, base_ + "/c/c1");
}

TEST_F(FolderBrowser, AUiScriptTypesTheFolderAndPressesOk) {
    std::vector<std::string> errors;
    StartUiScript(*Application,
                  ParseUiScript("expect Title text \"在PC上选择资料来源\"\n"
                                "type Folder \"" +
                                    base_ +
                                    "/c/c1\"\n"
                                    "expect Folder text \"" +
                                    base_ +
                                    "/c/c1\"\n"
                                    "click OK\n"
                                    "click Cancel\n",
                                "browse.txt"),
                  [&](const std::string& e) { errors.push_back(e); });
    std::string folder = base_;
    ASSERT_TRUE(SelectDirectory("在PC上选择资料来源", "", folder));
    EXPECT_EQ(folder, base_ + "/c/c1");
    std::string second = base_ + "/b";
    EXPECT_FALSE(SelectDirectory("选择备份文件目录", "", second));
    EXPECT_EQ(second, base_ + "/b");
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(FolderBrowser, AFolderOutsideTheRootIsNotTakenForOneInsideIt) {
    // Folder names differ by letter case alone: /A is not inside /a.
    auto* f = Create<TForm>(Application);
    auto* tree = Create<TFolderTree>(f);
    tree->SetParent(f);
    tree->SetRoot(base_ + "/a");
    EXPECT_FALSE(tree->SelectPath(base_ + "/A/a1"));
    EXPECT_EQ(tree->SelectedPath(), "");
    EXPECT_TRUE(tree->SelectPath(base_ + "/a/a1"));
    EXPECT_EQ(tree->SelectedPath(), base_ + "/a/a1");
}

}  // namespace
}  // namespace menvaro
