#include "base/FormatSettings.h"
#include "classes/ClassBuilder.h"
#include "classes/FormReader.h"
#include "testsupport/UiTest.h"
#include "ui/DateTimePicker.h"

namespace menvaro {

class TPickerForm : public TForm {
    MENVARO_CLASS(TPickerForm, TForm)
public:
    explicit TPickerForm(TComponent* owner) : TForm(owner) { SetCreateNew(); }
    TDateTimePicker* dtp = nullptr;
    TDateTimePicker* other = nullptr;
    int changes = 0;
    void dtpChange(TObject*) { ++changes; }
};

MENVARO_CLASS_INFO(TPickerForm) {
    MENVARO_PUBLISHED_FIELDS(dtp, other)
    MENVARO_PUBLISHED_METHODS(dtpChange)
}

namespace {

const char* kPickerForm = R"(object PickerForm: TPickerForm
  ClientHeight = 240
  ClientWidth = 320
  object dtp: TDateTimePicker
    Left = 20
    Top = 20
    Width = 140
    Height = 21
    Date = 45422.000000000000000000
    Time = 0.500000000000000000
    TabOrder = 0
    OnChange = dtpChange
  end
  object other: TDateTimePicker
    Left = 20
    Top = 60
    Width = 200
    Height = 21
    Date = 45422.000000000000000000
    DateFormat = dfLong
    TabOrder = 1
  end
end
)";

class DateTimePicker : public UiTest {
protected:
    TPickerForm* Make() {
        auto* f = FormFromText<TPickerForm>(kPickerForm, "picker.form");
        f->Font()->SetName("宋体");
        f->Font()->SetHeight(-12);
        f->Show();
        Pump();
        f->dtp->SetFocus();
        Pump();
        return f;
    }
    static void Keys(std::initializer_list<int> keys) {
        for (int k : keys) synthetic::PressKey(k);
        Pump();
    }
    static std::string Part(TDateTimePicker* p) {
        return p->SelectedSegment() < 0 ? "" : p->Segments()[static_cast<std::size_t>(p->SelectedSegment())].token;
    }
};

TEST_F(DateTimePicker, ShowsTheDateInTheLocalesFormats) {
    TPickerForm* f = Make();
    EXPECT_EQ(f->dtp->Date(), EncodeDate(2024, 5, 10));
    EXPECT_DOUBLE_EQ(f->dtp->Time(), 0.5);
    EXPECT_EQ(f->dtp->Text(), "2024-5-10");
    EXPECT_EQ(f->other->Text(), "2024年5月10日");
    // The date's parts and the text between them.
    std::vector<std::string> tokens;
    for (const TDateSegment& s : SplitDateFormat("yyyy'年'm'月'd'日' dddd hh:mm")) tokens.push_back(s.token);
    EXPECT_EQ(tokens, (std::vector<std::string>{"yyyy", "年", "m", "月", "d", "日 ", "dddd", " ", "hh", ":", "nn"}));
    f->other->SetFormat("dd/mm/yyyy");
    EXPECT_EQ(f->other->Text(), "10-05-2024");
    // Setting the date keeps the time and tells nothing.
    f->dtp->SetDate(EncodeDate(2023, 12, 31) + 0.25);
    EXPECT_DOUBLE_EQ(f->dtp->Time(), 0.5);
    EXPECT_EQ(f->dtp->Text(), "2023-12-31");
    // Before 1899-12-30 a value with a time is still the day it was set to.
    f->dtp->SetDate(EncodeDate(1800, 1, 1));
    EXPECT_EQ(f->dtp->Date(), EncodeDate(1800, 1, 1));
    EXPECT_DOUBLE_EQ(f->dtp->Time(), 0.5);
    EXPECT_EQ(f->dtp->Text(), "1800-1-1");
    EXPECT_EQ(f->changes, 0);
}

TEST_F(DateTimePicker, KeysEditTheParts) {
    struct Case {
        TDateTime start;
        std::vector<int> keys;  // virtual keys; '0'..'9' are typed digits
        std::string text;
        std::string part;  // selected afterwards
    };
    const Case cases[] = {
        {EncodeDate(2024, 5, 10), {VK_UP}, "2025-5-10", "yyyy"},
        {EncodeDate(2024, 5, 10), {VK_LEFT, VK_DOWN}, "2023-5-10", "yyyy"},
        // The month wraps; the day stays within the new month.
        {EncodeDate(2024, 1, 31), {VK_RIGHT, VK_UP}, "2024-2-29", "m"},
        {EncodeDate(2024, 12, 5), {VK_RIGHT, VK_UP}, "2024-1-5", "m"},
        {EncodeDate(2024, 2, 29), {VK_RIGHT, VK_RIGHT, VK_UP}, "2024-2-1", "d"},
        {EncodeDate(2024, 3, 1), {VK_RIGHT, VK_RIGHT, VK_DOWN}, "2024-3-31", "d"},
        // Typed digits: a full year moves on, a month that cannot take
        // another digit moves on, two digits fill a day.
        {EncodeDate(2024, 5, 10), {'1', '9', '9', '9'}, "1999-5-10", "m"},
        {EncodeDate(2024, 5, 10), {VK_RIGHT, '3'}, "2024-3-10", "d"},
        {EncodeDate(2024, 5, 10), {VK_RIGHT, '1', '2'}, "2024-12-10", "d"},
        {EncodeDate(2024, 5, 10), {VK_RIGHT, VK_RIGHT, '0', '7'}, "2024-5-7", "d"},
        // 31 is past April's end: the 3 is taken, the 1 begins anew.
        {EncodeDate(2024, 4, 10), {VK_RIGHT, VK_RIGHT, '3', '1'}, "2024-4-1", "d"},
        // A short year typed and left counts in 1950..2049.
        {EncodeDate(2024, 5, 10), {'9', '8', VK_RIGHT}, "1998-5-10", "m"},
    };
    TPickerForm* f = Make();
    for (const Case& c : cases) {
        f->dtp->SetDateTime(c.start);
        // Back to the year.
        Keys({VK_LEFT, VK_LEFT, VK_LEFT});
        f->changes = 0;
        for (int k : c.keys) {
            if (k >= '0' && k <= '9')
                synthetic::TypeText(std::string(1, static_cast<char>(k)));
            else
                synthetic::PressKey(k);
        }
        Pump();
        EXPECT_EQ(f->dtp->Text(), c.text) << c.text;
        EXPECT_EQ(Part(f->dtp), c.part) << c.text;
        EXPECT_GT(f->changes, 0) << c.text;
    }
}

TEST_F(DateTimePicker, AClickChoosesThePartUnderIt) {
    TPickerForm* f = Make();
    TRect day = f->dtp->SegmentRect(4);
    ClickAt(f->dtp, {day.Left + 1, day.Top + 2});
    Pump();
    EXPECT_EQ(Part(f->dtp), "d");
    // The chosen part is marked while the picker has the focus.
    EXPECT_EQ(PixelOf(f->dtp, day.Left, day.Top), ColorToRGB(clHighlight));
    TRect year = f->dtp->SegmentRect(0);
    EXPECT_EQ(PixelOf(f->dtp, year.Left, year.Top), ColorToRGB(clWindow));
    f->other->SetFocus();
    Pump();
    EXPECT_EQ(PixelOf(f->dtp, day.Left, day.Top), ColorToRGB(clWindow));
}

TEST_F(DateTimePicker, TheCalendarTakesAClickedDayAndLeavesTheDateOnAClickOutside) {
    TPickerForm* f = Make();
    TDateTimePicker* p = f->dtp;
    TRect b = p->ButtonRect();
    ClickAt(p, {b.Left + b.Width() / 2, b.Top + b.Height() / 2});
    Pump();
    ASSERT_TRUE(p->DroppedDown());
    TMonthCalendarPopup* cal = p->Calendar();
    EXPECT_TRUE(IsWindowVisible(cal->Handle()));
    // Just below the picker, at its left edge.
    EXPECT_EQ(cal->Left(), p->ClientToScreen({0, 0}).X);
    EXPECT_EQ(cal->Top(), p->ClientToScreen({0, p->Height()}).Y);
    EXPECT_EQ(cal->Selected(), EncodeDate(2024, 5, 10));
    EXPECT_EQ(cal->MonthShown(), EncodeDate(2024, 5, 1));
    // The marked day is painted marked; the next arrow turns the month.
    TRect marked = cal->DayRect(EncodeDate(2024, 5, 10));
    EXPECT_EQ(PixelOfWindow(cal, marked.Left + 1, marked.Top + 1), ColorToRGB(clHighlight));
    TRect next = cal->NextRect();
    ClickAt(cal, {next.Left + 5, next.Top + 5});
    Pump();
    EXPECT_EQ(cal->MonthShown(), EncodeDate(2024, 6, 1));
    EXPECT_TRUE(p->DroppedDown());
    TRect day = cal->DayRect(EncodeDate(2024, 6, 21));
    ASSERT_FALSE(day.IsEmpty());
    ClickAt(cal, {day.Left + 5, day.Top + 5});
    Pump();
    EXPECT_FALSE(p->DroppedDown());
    EXPECT_FALSE(IsWindowVisible(cal->WindowHandle()));
    EXPECT_EQ(p->Date(), EncodeDate(2024, 6, 21));
    EXPECT_DOUBLE_EQ(p->Time(), 0.5);
    EXPECT_EQ(f->changes, 1);
    // Open again, then a click elsewhere on the form closes it unchanged.
    synthetic::PressKey(VK_DOWN, {ssAlt});
    Pump();
    ASSERT_TRUE(p->DroppedDown());
    ClickAt(f, {300, 200});
    Pump();
    EXPECT_FALSE(p->DroppedDown());
    EXPECT_EQ(p->Date(), EncodeDate(2024, 6, 21));
    EXPECT_EQ(f->changes, 1);
}

TEST_F(DateTimePicker, TheOpenCalendarIsDrivenByKeys) {
    struct Case {
        std::vector<int> keys;
        TDateTime date;
        int changes;
    };
    const Case cases[] = {
        {{VK_RIGHT, VK_DOWN, VK_RETURN}, EncodeDate(2024, 5, 18), 1},
        {{VK_UP, VK_LEFT, VK_RETURN}, EncodeDate(2024, 5, 2), 1},
        {{VK_NEXT, VK_NEXT, VK_PRIOR, VK_RETURN}, EncodeDate(2024, 6, 10), 1},
        {{VK_RIGHT, VK_ESCAPE}, EncodeDate(2024, 5, 10), 0},
    };
    TPickerForm* f = Make();
    for (const Case& c : cases) {
        f->dtp->SetDate(EncodeDate(2024, 5, 10));
        f->changes = 0;
        Keys({VK_F1 + 3});  // F4
        ASSERT_TRUE(f->dtp->DroppedDown());
        for (int k : c.keys) synthetic::PressKey(k);
        Pump();
        EXPECT_FALSE(f->dtp->DroppedDown());
        EXPECT_EQ(f->dtp->Date(), c.date);
        EXPECT_EQ(f->changes, c.changes);
        // The form is still there: Esc and Enter went to the calendar, not to the form.
        EXPECT_TRUE(f->Visible());
    }
    // Leaving the picker closes its calendar.
    Keys({VK_F1 + 3});
    ASSERT_TRUE(f->dtp->DroppedDown());
    f->other->SetFocus();
    Pump();
    EXPECT_FALSE(f->dtp->DroppedDown());
}

TEST_F(DateTimePicker, TheCalendarShowsSixWeeksFromASunday) {
    TPickerForm* f = Make();
    Keys({VK_F1 + 3});
    TMonthCalendarPopup* cal = f->dtp->Calendar();
    ASSERT_NE(cal, nullptr);
    // May 2024 begins on a Wednesday: its first row starts on Sunday 28 April.
    TRect first = cal->DayRect(EncodeDate(2024, 4, 28));
    TRect may1 = cal->DayRect(EncodeDate(2024, 5, 1));
    EXPECT_FALSE(first.IsEmpty());
    EXPECT_EQ(may1.Top, first.Top);
    EXPECT_EQ(may1.Left - first.Left, 3 * first.Width());
    EXPECT_TRUE(cal->DayRect(EncodeDate(2024, 4, 27)).IsEmpty());
    EXPECT_FALSE(cal->DayRect(EncodeDate(2024, 6, 8)).IsEmpty());
    EXPECT_TRUE(cal->DayRect(EncodeDate(2024, 6, 9)).IsEmpty());
    Keys({VK_ESCAPE});
}

TEST_F(DateTimePicker, TheCalendarStopsAtTheFirstAndLastDay) {
    TPickerForm* f = Make();
    for (TDateTime day : {EncodeDate(9999, 12, 31), EncodeDate(1, 1, 1)}) {
        f->dtp->SetDate(day);
        Keys({VK_F1 + 3});
        TMonthCalendarPopup* cal = f->dtp->Calendar();
        ASSERT_NE(cal, nullptr);
        for (std::uint16_t key : {VK_DOWN, VK_RIGHT, VK_NEXT, VK_UP, VK_LEFT, VK_PRIOR}) {
            EXPECT_NO_THROW(cal->HandleKey(key)) << key;
            EXPECT_GE(cal->Selected(), EncodeDate(1, 1, 1));
            EXPECT_LE(cal->Selected(), EncodeDate(9999, 12, 31));
        }
        Keys({VK_ESCAPE});
        EXPECT_EQ(f->dtp->Date(), day);
    }
    // Past those days a date is refused and the picker keeps what it had.
    f->dtp->SetDate(EncodeDate(2024, 5, 10));
    EXPECT_THROW(f->dtp->SetDate(EncodeDate(9999, 12, 31) + 1), EConvertError);
    EXPECT_THROW(f->dtp->SetDate(EncodeDate(1, 1, 1) - 1), EConvertError);
    EXPECT_EQ(f->dtp->Date(), EncodeDate(2024, 5, 10));
    Pump();
}

TEST_F(DateTimePicker, AFormatThatNamesItselfEndsItsParts) {
    // "ddddd" is the short date format: one that says "ddddd" itself must
    // not lead the picker round in a circle.
    std::string saved = FormatSettings().ShortDateFormat;
    FormatSettings().ShortDateFormat = "yyyy/ddddd";
    std::vector<TDateSegment> parts = SplitDateFormat("ddddd");
    FormatSettings().ShortDateFormat = saved;
    EXPECT_FALSE(parts.empty());
    EXPECT_EQ(parts.front().part, TDatePart::Year);
}

}  // namespace
}  // namespace menvaro
