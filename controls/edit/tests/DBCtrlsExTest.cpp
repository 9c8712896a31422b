// The field data link against the in-memory data set, and the data-aware
// edit core: binding, committing, resetting, the keyboard, the buttons and
// the MRU list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/DBErrors.h"
#include "data/MemoryDataSet.h"
#include "edit/DBCtrlsEx.h"
#include "testsupport/UiTest.h"

namespace menvaro {
namespace {

using Log = std::vector<std::string>;

class DishesData {
protected:
    DishesData() {
        ds.SetName("mdDishes");
        ds.FieldDefs().Add("DishNo", TFieldType::ftString, 10);
        ds.FieldDefs().Add("Price", TFieldType::ftInteger);
        src->SetName("dsDishes");
        src->SetDataSet(&ds);
    }
    void Fill() {
        ds.Open();
        for (const char* no : {"0101", "0102", "0103"}) {
            ds.Append();
            ds.FieldByName("DishNo").SetAsString(no);
            ds.FieldByName("Price").SetAsInteger(10);
            ds.Post();
        }
        ds.First();
    }
    TOwned<TMemoryDataSet> owned{Create<TMemoryDataSet>(nullptr)};
    TMemoryDataSet& ds = *owned;
    TOwned<TDataSource> src{Create<TDataSource>(nullptr)};
};

class FieldLink : public ::testing::Test, public DishesData {
protected:
    void SetUp() override {
        link.OnDataChange = [this](TObject*) { log.push_back("data"); };
        link.OnEditingChange = [this](TObject*) { log.push_back(link.Editing() ? "editing" : "not editing"); };
        link.OnUpdateData = [this](TObject*) { log.push_back("update"); };
        link.OnActiveChange = [this](TObject*) { log.push_back(link.Active() ? "active" : "inactive"); };
    }
    Log Take() { return std::exchange(log, {}); }
    Log log;
    TFieldDataLinkEx link;
};

TEST_F(FieldLink, DataIndependentByItself) {
    EXPECT_TRUE(link.DataIndependent());
    EXPECT_TRUE(link.DataIndependentValue().IsNull());
    EXPECT_TRUE(link.LinkActive());
    EXPECT_TRUE(link.CanModify());
    EXPECT_TRUE(link.VisualControl());
    // Edit twice: one notice; after UpdateData the next Edit tells again.
    EXPECT_TRUE(link.Edit());
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(Take(), (Log{"editing"}));
    link.UpdateRecord();
    EXPECT_EQ(Take(), Log{});  // nothing changed: no update
    EXPECT_FALSE(link.Editing());
    link.Edit();
    link.Modified();
    link.UpdateRecord();
    EXPECT_EQ(Take(), (Log{"editing", "update"}));
    EXPECT_FALSE(link.IsModified());
    // A value written: reload, then not modified.
    link.Modified();
    link.SetValue(Variant(7));
    EXPECT_EQ(Take(), (Log{"data"}));
    EXPECT_FALSE(link.IsModified());
    EXPECT_EQ(link.DataIndependentValue(), Variant(7));
    link.SetText("abc");
    EXPECT_EQ(link.DataIndependentValue(), Variant("abc"));
    // Bound and back: the value is cleared and the control reloads.
    link.SetDataSource(src.get());
    EXPECT_FALSE(link.DataIndependent());
    EXPECT_FALSE(link.LinkActive());
    Take();
    link.SetDataSource(nullptr);
    EXPECT_TRUE(link.DataIndependent());
    EXPECT_TRUE(link.DataIndependentValue().IsNull());
    EXPECT_EQ(Take(), (Log{"data", "data"}));  // the field list rebuilt, then the reload
    // A read-only link does not start editing.
    link.SetReadOnly(true);
    EXPECT_FALSE(link.Edit());
}

TEST_F(FieldLink, BoundNoticesInOrder) {
    link.SetDataSource(src.get());
    link.SetFieldName("DishNo");
    Take();
    Fill();
    // Opened: the field list rebuilt (data), then the active notice; the rows appended meanwhile.
    Log opened = Take();
    ASSERT_GE(opened.size(), 2u);
    EXPECT_EQ(opened[0], "data");
    EXPECT_EQ(opened[1], "active");
    ASSERT_NE(link.Field(), nullptr);
    EXPECT_EQ(link.Field()->FieldName(), "DishNo");
    EXPECT_TRUE(link.LinkActive());
    ds.Next();
    EXPECT_EQ(Take(), (Log{"data"}));
    // Edit, a change, post.
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(Take(), (Log{"editing"}));
    link.Modified();
    ds.Post();
    EXPECT_EQ(Take(), (Log{"update", "not editing", "data"}));
    // Edit and cancel.
    link.Edit();
    ds.FieldByName("Price").SetAsInteger(11);  // another field: nothing
    link.Modified();
    ds.Cancel();
    EXPECT_EQ(Take(), (Log{"editing", "not editing", "data"}));
    EXPECT_FALSE(link.IsModified());
    ds.Close();
    EXPECT_EQ(Take(), (Log{"data", "inactive"}));
    EXPECT_EQ(link.Field(), nullptr);
}

TEST_F(FieldLink, AMissingFieldIsAnErrorNamingIt) {
    TOwned<TComponent> control{Create<TComponent>(nullptr)};
    control->SetName("edtDish");
    link.Control = control.get();
    link.SetDataSource(src.get());
    Fill();
    link.SetFieldName("DishNo");
    try {
        link.SetFieldName("Dish");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "edtDish: Field 'Dish' not found");
    }
    // The field kept; the same name again does nothing; another case rebuilds.
    EXPECT_EQ(link.Field()->FieldName(), "DishNo");
    Take();
    link.SetFieldName("Dish");
    EXPECT_EQ(Take(), Log{});
    link.SetFieldName("dishno");
    EXPECT_EQ(Take(), (Log{"data"}));
    // A field name with no data source: writing names the field.
    TFieldDataLinkEx lone;
    lone.Control = control.get();
    lone.SetFieldName("Days");
    EXPECT_FALSE(lone.DataIndependent());
    try {
        lone.SetText("7");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "edtDish: Field 'Days' not found");
    }
    EXPECT_THROW(lone.SetValue(Variant(7)), EDatabaseError);
}

// ------------------------------------------------------------ the edit

class DBEdit : public ControlTest, public DishesData {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        other = Put<TEdit>(200, 20, 100, 21);
    }
    TCustomDBEditEx* MakeEdit(int width = 120) {
        auto* e = Put<TCustomDBEditEx>(20, 20, width, 21);
        e->SetName("edtDish");
        Pump();
        return e;
    }
    void Focus(TWinControl* c) {
        c->SetFocus();
        Pump();
    }
    TEdit* other = nullptr;
};

TEST_F(DBEdit, BoundShowsEditsAndPostsItsField) {
    Fill();
    TCustomDBEditEx* e = MakeEdit();
    e->SetDataSource(src.get());
    e->SetDataField("DishNo");
    EXPECT_EQ(e->Text(), "0101");
    EXPECT_EQ(e->MaxLength(), 10);
    ds.Next();
    EXPECT_EQ(e->Text(), "0102");
    Focus(e);
    EXPECT_TRUE(e->InEditMode());
    Press(VK_END);
    Type("9");
    EXPECT_EQ(e->Text(), "01029");
    EXPECT_EQ(ds.State(), TDataSetState::dsEdit);
    // Leaving commits into the field; the post stores it.
    Focus(other);
    EXPECT_FALSE(e->InEditMode());
    EXPECT_EQ(ds.FieldByName("DishNo").AsString(), "01029");
    ds.Post();
    ds.First();
    ds.Next();
    EXPECT_EQ(e->Text(), "01029");
    EXPECT_EQ(e->Perform(CM_GETDATALINK, 0, 0), reinterpret_cast<LRESULT>(&e->DataLink()));
    // A name the data set lacks.
    EXPECT_THROW(e->SetDataField("Nothing"), EDatabaseError);
}

TEST_F(DBEdit, AFailedCommitKeepsTheFocus) {
    TCustomDBEditEx* e = MakeEdit();
    e->SetEditMaskExplicit("000;1;_");
    Focus(e);
    Type("12");
    std::vector<std::string> errors;
    Application->OnException = [&](TObject*, const std::exception& ex) { errors.push_back(ex.what()); };
    Focus(other);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(GetFocus(), e->WindowHandle());
    EXPECT_TRUE(e->InEditMode());
    EXPECT_EQ(e->SelLength(), 3);  // everything selected
    Type("123");
    Focus(other);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(e->DataLink().DataIndependentValue(), Variant("123"));
    EXPECT_TRUE(e->EditMaskStored());
}

TEST_F(DBEdit, EscapeResetsAndTheDataIndependentValueStays) {
    TCustomDBEditEx* e = MakeEdit();
    EXPECT_TRUE(e->IsDataIndependent());
    EXPECT_EQ(e->Text(), "");
    e->SetValue(Variant("abc"));
    EXPECT_EQ(e->Text(), "abc");
    EXPECT_EQ(e->DataLink().DataIndependentValue(), Variant("abc"));
    Focus(e);
    Press(VK_END);
    Type("d");
    EXPECT_EQ(e->Text(), "abcd");
    EXPECT_EQ(e->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 1);
    Press(VK_ESCAPE);
    EXPECT_EQ(e->Text(), "abc");
    EXPECT_EQ(e->SelLength(), 3);
    EXPECT_EQ(e->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 0);
    // Ctrl+A selects everything.
    Press(VK_END);
    Press('A', {ssCtrl});
    EXPECT_EQ(e->SelLength(), 3);
    // Writing Value inside OnUpdateData stores it with no second commit.
    int commits = 0;
    e->OnUpdateData = [&](TObject*, bool& handled) {
        ++commits;
        e->SetValue(Variant("xyz"));
        handled = false;
    };
    Press(VK_END);
    Type("!");
    Focus(other);
    EXPECT_EQ(commits, 1);
    EXPECT_EQ(e->DataLink().DataIndependentValue(), Variant("xyz"));
    EXPECT_EQ(e->Text(), "xyz");
}

TEST_F(DBEdit, AReadOnlyEditRefusesTypingAlsoWithoutAField) {
    TCustomDBEditEx* e = MakeEdit();
    e->SetValue(Variant("abc"));
    e->SetReadOnly(true);
    Focus(e);
    Press(VK_END);
    Type("xy");
    Press(VK_BACK);
    Press(VK_DELETE);
    EXPECT_EQ(e->Text(), "abc");
    EXPECT_FALSE(e->DataLink().Editing());
    e->SetReadOnly(false);
    Type("z");
    EXPECT_EQ(e->Text(), "abcz");
}

TEST_F(DBEdit, ChineseTextAndTheCaret) {
    TCustomDBEditEx* e = MakeEdit();
    Focus(e);
    Type("备份7");
    EXPECT_EQ(e->Text(), "备份7");
    Press(VK_LEFT);
    Press(VK_BACK);
    EXPECT_EQ(e->Text(), "备7");
    EXPECT_EQ(e->SelStart(), 3);
    Press(VK_HOME);
    Press(VK_DELETE);
    EXPECT_EQ(e->Text(), "7");
    EXPECT_EQ(e->SelStart(), 0);
}

TEST_F(DBEdit, TheCaretStaysInTheTextAfterDeletions) {
    TCustomDBEditEx* e = MakeEdit();
    Focus(e);
    auto caretIn = [&](const char* step) {
        EXPECT_GE(e->SelStart(), 0) << step;
        EXPECT_LE(e->SelStart(), static_cast<int>(e->EditText().size())) << step;
    };
    Type("ab备份");
    Press(VK_HOME);
    Press(VK_BACK);
    EXPECT_EQ(e->SelStart(), 0);
    caretIn("Backspace at the start");
    Press(VK_END);
    Press(VK_DELETE);
    EXPECT_EQ(e->SelStart(), 8);
    caretIn("Delete at the end");
    Press(VK_BACK);
    EXPECT_EQ(e->Text(), "ab备");
    EXPECT_EQ(e->SelStart(), 5);  // a whole character went, not a byte of it
    caretIn("Backspace of a Chinese character");
    Press('A', {ssCtrl});
    Press(VK_DELETE);
    EXPECT_EQ(e->Text(), "");
    EXPECT_EQ(e->SelStart(), 0);
    Press(VK_BACK);
    Press(VK_DELETE);
    caretIn("deleting in an empty edit");
    // A masked edit left with the caret near the start: two back, not below 0.
    e->SetEditMaskExplicit("000;1;_");
    Focus(e);
    Type("123");
    Press(VK_HOME);
    Press(VK_RIGHT);
    Focus(other);
    EXPECT_EQ(e->SelStart(), 0);
    caretIn("leaving a masked edit");
}

TEST_F(DBEdit, ButtonsLayOutAtTheFarSide) {
    TCustomDBEditEx* e = MakeEdit();
    // No visible button: the whole width is text, the height the client's.
    EXPECT_EQ(e->ButtonsWidth(), 0);
    EXPECT_EQ(e->ButtonHeight(), e->ClientHeight());
    e->EditButton()->SetVisible(true);
    EXPECT_EQ(e->ButtonsWidth(), GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(e->ButtonHeight(), e->ClientHeight());
    TEditButtonControlEx* main = e->ButtonControl(0);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->Left() + main->Width(), e->ClientWidth());
    EXPECT_EQ(main->Height(), e->ClientHeight());
    TRect r;
    e->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.Right, e->ClientWidth() - e->ButtonsWidth());
    // A further button to its left; on a flat edit the shared width and a spacer each.
    TEditButtonEx* plus = e->EditButtons()->Add();
    plus->SetStyle(ebsPlusEx);
    EXPECT_EQ(e->ButtonsWidth(), 2 * GetSystemMetrics(SM_CXVSCROLL));
    // The main button nearest the text, the further ones beyond it.
    EXPECT_EQ(e->ButtonControl(1)->Left() + e->ButtonControl(1)->Width(), e->ClientWidth());
    EXPECT_EQ(main->Left() + main->Width(), e->ButtonControl(1)->Left());
    e->SetFlat(true);
    EXPECT_EQ(e->ButtonsWidth(), 2 * (FlatButtonWidth() + 1));
    EXPECT_TRUE(e->ButtonSpacer(0)->Visible());
    // A tall edit gets buttons as high as they are wide.
    e->SetAutoSize(false);
    e->SetHeight(80);
    Pump();
    EXPECT_EQ(e->ButtonHeight(), FlatButtonWidth());
    e->EditButtons()->Clear();
    Pump();
    EXPECT_EQ(e->ButtonsWidth(), FlatButtonWidth() + 1);
}

TEST_F(DBEdit, AShortcutPressesItsButtonEvenWhenHidden) {
    TCustomDBEditEx* e = MakeEdit();
    int downs = 0, clicks = 0;
    e->EditButton()->SetShortCut(kAltDownShortCut);
    e->OnButtonDown = [&](TObject* sender, bool top, bool&, bool& handled) {
        EXPECT_EQ(sender, e->ButtonControl(0));
        EXPECT_FALSE(top);
        ++downs;
        handled = true;
    };
    e->OnButtonClick = [&](TObject*, bool&) { ++clicks; };
    Focus(e);
    Press(VK_DOWN, {ssAlt});
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(clicks, 1);
    TEditButtonEx* extra = e->EditButtons()->Add();
    extra->SetShortCut(ShortCut(VK_F1 + 3, {}));
    int extraDowns = 0;
    extra->OnDown = [&](TObject*, bool, bool&, bool&) { ++extraDowns; };
    Press(VK_F1 + 3);
    EXPECT_EQ(extraDowns, 1);
    EXPECT_EQ(downs, 1);
}

TEST_F(DBEdit, AClickOnAButtonPressesIt) {
    TCustomDBEditEx* e = MakeEdit();
    e->EditButton()->SetVisible(true);
    TEditButtonEx* extra = e->EditButtons()->Add();
    Pump();
    Log log;
    e->OnButtonDown = [&](TObject* sender, bool, bool&, bool&) {
        log.push_back(sender == e->ButtonControl(0) ? "main down" : "? down");
    };
    e->OnButtonClick = [&](TObject* sender, bool&) {
        log.push_back(sender == e->ButtonControl(0) ? "main click" : "? click");
    };
    extra->OnDown = [&](TObject*, bool, bool&, bool&) { log.push_back("extra down"); };
    extra->OnClick = [&](TObject*, bool&) { log.push_back("extra click"); };
    TEditButtonControlEx* main = e->ButtonControl(0);
    ASSERT_NE(main, nullptr);
    Click(main, main->Width() / 2, main->Height() / 2);
    EXPECT_EQ(log, (Log{"main down", "main click"}));
    // The press takes the focus into the edit; the text keeps its caret.
    EXPECT_EQ(GetFocus(), e->WindowHandle());
    log.clear();
    TEditButtonControlEx* b = e->ButtonControl(1);
    Click(b, b->Width() / 2, b->Height() / 2);
    EXPECT_EQ(log, (Log{"extra down", "extra click"}));
    // A click on the text presses no button.
    log.clear();
    Click(e, 3, e->ClientHeight() / 2);
    EXPECT_TRUE(log.empty());
}

TEST_F(DBEdit, AButtonMenuIsNotReopenedByThePressThatClosedIt) {
    TCustomDBEditEx* e = MakeEdit();
    e->EditButton()->SetVisible(true);
    auto* menu = Create<TPopupMenu>(form);
    e->EditButton()->SetDropdownMenu(menu);
    Pump();
    TEditButtonControlEx* b = e->ButtonControl(0);
    // The release message a closed menu left waits: the press only eats it.
    PostMessage(e->WindowHandle(), MSG_RELEASE_BUTTON, reinterpret_cast<WPARAM>(b), 0);
    bool autoRepeat = false, handled = false;
    int downs = 0;
    e->OnButtonDown = [&](TObject*, bool, bool&, bool&) { ++downs; };
    e->EditButtonDown(b, true, autoRepeat, handled);
    EXPECT_EQ(downs, 0);
    TMsg msg;
    EXPECT_FALSE(PeekMessage(msg, e->WindowHandle(), MSG_RELEASE_BUTTON, MSG_RELEASE_BUTTON, PM_NOREMOVE));
    // The menu goes: the button forgets it.
    menu->Free();
    EXPECT_EQ(e->EditButton()->DropdownMenu(), nullptr);
}

TEST_F(DBEdit, TheFlatBorderLightsUpWithTheFocus) {
    TCustomDBEditEx* e = MakeEdit();
    e->SetFlat(true);
    Pump();
    TRect w;
    GetWindowRect(e->WindowHandle(), w);
    const TPoint corner = form->ScreenToClient(w.TopLeft());
    auto framePixel = [&] {
        UpdateWindow(form->WindowHandle());
        return GetWindowSurface(form->WindowHandle())->Pixel(corner.X, corner.Y);
    };
    EXPECT_FALSE(e->BorderActive());
    EXPECT_EQ(framePixel(), Rgb(clBtnFace));
    Focus(e);
    EXPECT_TRUE(e->BorderActive());
    EXPECT_EQ(framePixel(), Rgb(clBtnShadow));
    Focus(other);
    EXPECT_FALSE(e->BorderActive());
    e->SetAlwaysShowBorder(true);
    EXPECT_TRUE(e->BorderActive());
}

TEST_F(DBEdit, ARightAlignedIdleEditPaintsItsTextRight) {
    TCustomDBEditEx* e = MakeEdit();
    e->SetAlignment(taRightJustify);
    e->SetValue(Variant("7"));
    Pump();
    const int w = e->ClientWidth();
    // Ink near the right edge, none at the left.
    EXPECT_GT(CountPixels(e, Rect(w / 2, 0, w, e->ClientHeight()), Rgb(clWindowText)), 0);
    EXPECT_EQ(CountPixels(e, Rect(0, 0, w / 2, e->ClientHeight()), Rgb(clWindowText)), 0);
}

TEST_F(DBEdit, TheMRUListDropsDownAndIsChosenFrom) {
    TCustomDBEditEx* e = MakeEdit();
    TMRUListEx* mru = e->MRUList();
    mru->SetActive(true);
    for (const char* s : {"abc", "ABD", "x"}) mru->Items()->Add(s);
    Focus(e);
    Type("ab");
    ASSERT_TRUE(mru->DroppedDown);
    TMRUListboxEx* list = e->MRUListBox();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Items()->Count(), 2);
    EXPECT_TRUE(list->Showing());
    EXPECT_EQ(GetFocus(), e->WindowHandle());
    // Punctuation typed while it is down reaches the edit.
    Type("!&(");
    EXPECT_EQ(e->Text(), "ab!&(");
    EXPECT_FALSE(mru->DroppedDown);  // nothing begins so
    // With an entry that goes on matching, the list stays down under the
    // same characters and its rows do not move: the characters whose codes
    // are those of the list's keys (Page Up, Page Down, Up, Down) are
    // typed, the keys themselves work the list.
    mru->Items()->Add("ab!&(\"");
    Press(VK_BACK);
    ASSERT_TRUE(mru->DroppedDown);
    EXPECT_EQ(e->Text(), "ab!&");
    Type("(\"");
    EXPECT_EQ(e->Text(), "ab!&(\"");
    ASSERT_TRUE(mru->DroppedDown);
    EXPECT_EQ(list->Items()->Count(), 1);
    EXPECT_EQ(list->ItemIndex(), -1);
    Press(VK_BACK);
    Press(VK_BACK);
    Press(VK_BACK);
    Press(VK_BACK);
    ASSERT_TRUE(mru->DroppedDown);
    EXPECT_EQ(e->Text(), "ab");
    Type("!");
    EXPECT_EQ(e->Text(), "ab!");
    EXPECT_EQ(list->ItemIndex(), -1);
    Press(VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(e->Text(), "ab!");
    Press(VK_ESCAPE);
    EXPECT_FALSE(mru->DroppedDown);
    EXPECT_EQ(e->Text(), "ab!");
    mru->Items()->Delete(mru->Items()->IndexOf("ab!&(\""));
    Type("&(");
    // Down arrow to the first row, Enter takes it.
    Press(VK_BACK);
    Press(VK_BACK);
    Press(VK_BACK);
    ASSERT_TRUE(mru->DroppedDown);
    Press(VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(e->Perform(CM_WANTSPECIALKEY, VK_RETURN, 0), 1);
    Press(VK_RETURN);
    EXPECT_FALSE(mru->DroppedDown);
    EXPECT_EQ(e->Text(), (*list->Items())[0]);
    // A click on a row takes it too.
    e->SetValue(Variant(""));
    Focus(e);
    Type("a");
    ASSERT_TRUE(mru->DroppedDown);
    Click(list, 5, list->ItemHeight() + 2);
    Pump();
    EXPECT_FALSE(mru->DroppedDown);
    EXPECT_EQ(e->Text(), (*list->Items())[1]);
    // Case-sensitive: only "abc".
    mru->SetCaseSensitive(true);
    e->SetValue(Variant(""));
    Focus(e);
    Type("ab");
    EXPECT_EQ(list->Items()->Count(), 1);
    // Emptied: it closes; the committed text joins the list.
    Press(VK_BACK);
    Press(VK_BACK);
    EXPECT_FALSE(mru->DroppedDown);
    Type("new");
    Press(VK_ESCAPE);
    Focus(other);
    Focus(e);
    Type("q");
    Focus(other);
    EXPECT_EQ(mru->Items()->IndexOf("q"), mru->Items()->Count() - 1);
}

// At every drop-down the list is as wide as the edit's text; a width the
// user dragged holds while that drop-down lasts, not for the next one.
TEST_F(DBEdit, TheMRUListIsAsWideAsTheTextAtEachDropDown) {
    TCustomDBEditEx* e = MakeEdit(160);
    TMRUListEx* mru = e->MRUList();
    mru->SetActive(true);
    for (const char* s : {"abc", "abd", "abe", "x"}) mru->Items()->Add(s);
    const auto textWidth = [&] {
        TRect text;
        e->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
        return text.Width();
    };
    Focus(e);
    Type("a");
    ASSERT_TRUE(mru->DroppedDown);
    TMRUListboxEx* list = e->MRUListBox();
    const int first = textWidth();
    EXPECT_EQ(list->Width(), first);
    // Dragged 40 wider by its grip.
    TSizeGripEx* grip = list->SizeGrip();
    const TPoint at = Centre(grip);
    synthetic::MouseMove(at);
    synthetic::MouseDown();
    Pump();
    synthetic::MouseMove({at.X + 40, at.Y});
    Pump();
    synthetic::MouseUp();
    Pump();
    ASSERT_EQ(list->Width(), first + 40);
    EXPECT_EQ(mru->DropDownWidth, first + 40);
    // Typing on re-places it without a change of width.
    Type("b");
    ASSERT_TRUE(mru->DroppedDown);
    EXPECT_EQ(list->Width(), first + 40);
    // The next drop-down is the text's width again, also once the edit is wider.
    Press(VK_ESCAPE);
    ASSERT_FALSE(mru->DroppedDown);
    Press(VK_BACK);
    ASSERT_TRUE(mru->DroppedDown);
    EXPECT_EQ(list->Width(), first);
    Press(VK_ESCAPE);
    e->SetWidth(220);
    Pump();
    ASSERT_GT(textWidth(), first);
    Type("b");
    ASSERT_TRUE(mru->DroppedDown);
    EXPECT_EQ(list->Width(), textWidth());
}

}  // namespace
}  // namespace menvaro
