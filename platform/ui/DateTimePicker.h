// TDateTimePicker: a date (or time) shown in its format, edited part by
// part from the keyboard, with a drop-down month calendar.
//
// Keys: Left and Right choose the part (year, month, day ...), Up and Down
// step it (wrapping within its range, the day kept within the month),
// digits type it; F4 or Alt+Down opens the calendar. In the open calendar
// the arrows move by a day or a week, PageUp and PageDown by a month, Enter
// takes the date and Esc leaves it. A click on a part selects it, a click
// on the button opens the calendar, a click on a day takes it, a click
// outside closes the calendar and changes nothing. Every change by the
// user runs OnChange; setting the date in code does not.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "ui/Controls.h"

namespace menvaro {

class TMonthCalendarPopup;

enum TDateTimeKind { dtkDate, dtkTime };
MENVARO_DECLARE_ENUM(TDateTimeKind)
enum TDTDateMode { dmComboBox, dmUpDown };
MENVARO_DECLARE_ENUM(TDTDateMode)
enum TDTDateFormat { dfShort, dfLong };
MENVARO_DECLARE_ENUM(TDTDateFormat)
enum TDTCalAlignment { dtaLeft, dtaRight };
MENVARO_DECLARE_ENUM(TDTCalAlignment)

// The parts of a date format, as the picker edits them.
enum class TDatePart { Literal, Year, Month, Day, WeekDay, Hour, Minute, Second };
struct TDateSegment {
    TDatePart part = TDatePart::Literal;
    std::string token;  // the format letters, or the literal text
};
// Splits a format with the FormatDateTime tokens into its parts; "/" and ":"
// become the locale's separators, quoted text stays literal.
std::vector<TDateSegment> SplitDateFormat(std::string_view format);

class TDateTimePicker : public TCustomControl {
    MENVARO_CLASS(TDateTimePicker, TCustomControl)
public:
    explicit TDateTimePicker(TComponent* owner);
    ~TDateTimePicker() override;
    void BeforeDestruction() override;

    TDateTime DateTime() const { return value_; }
    void SetDateTime(TDateTime v);
    // The whole days; setting it keeps the time of day.
    TDateTime Date() const;
    void SetDate(TDateTime v);
    // The time of day; setting it keeps the date.
    TDateTime Time() const;
    void SetTime(TDateTime v);

    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind k);
    TDTDateMode DateMode() const { return dateMode_; }
    void SetDateMode(TDTDateMode m);
    TDTDateFormat DateFormat() const { return dateFormat_; }
    void SetDateFormat(TDTDateFormat f);
    // Empty: the locale's short or long date format (or long time format).
    const std::string& Format() const { return format_; }
    void SetFormat(const std::string& f);
    TDTCalAlignment CalAlignment() const { return calAlignment_; }
    void SetCalAlignment(TDTCalAlignment a) { calAlignment_ = a; }

    // The part the keyboard edits (an index into Segments()).
    int SelectedSegment() const { return selected_; }
    const std::vector<TDateSegment>& Segments() const { return segments_; }
    // Where each part is drawn, in client coordinates.
    TRect SegmentRect(int index);
    TRect ButtonRect() const;

    bool DroppedDown() const { return dropped_; }
    void DropDown();
    // Closes the calendar; `accept` takes the date chosen in it.
    void CloseUp(bool accept);
    // The calendar while it is open, else nullptr.
    TMonthCalendarPopup* Calendar() const { return dropped_ ? calendar_ : nullptr; }

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

    void Dispatch(TMessage& m) override;
    void Loaded() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    virtual void Change();

private:
    friend class TMonthCalendarPopup;
    std::string EffectiveFormat() const;
    void Reformat();
    std::string SegmentText(const TDateSegment& s) const;
    bool Editable(int index) const;
    void SelectSegment(int index);
    void MoveSelection(int step);
    void StepPart(int delta);
    void TypeDigit(int digit);
    void CommitTyped();
    // A new value from the user: stored, shown, told.
    void UserSet(TDateTime v);

    TDateTime value_ = 0;
    TDateTimeKind kind_ = dtkDate;
    TDTDateMode dateMode_ = dmComboBox;
    TDTDateFormat dateFormat_ = dfShort;
    std::string format_;
    TDTCalAlignment calAlignment_ = dtaLeft;
    std::vector<TDateSegment> segments_;
    int selected_ = -1;
    std::string typed_;  // digits typed into the selected part so far
    bool dropped_ = false;
    TMonthCalendarPopup* calendar_ = nullptr;  // owned as a component
};

// The drop-down month calendar of a date picker: a window of its own below
// the picker, holding the mouse while it is open.
class TMonthCalendarPopup : public TCustomControl {
    MENVARO_CLASS(TMonthCalendarPopup, TCustomControl)
public:
    explicit TMonthCalendarPopup(TComponent* owner);

    // The date the calendar marks, and the month it shows (its 1st).
    TDateTime Selected() const { return selected_; }
    void SetSelected(TDateTime day);
    TDateTime MonthShown() const { return month_; }
    void ShowMonth(TDateTime anyDay);

    // Client coordinates of the parts, for drawing and hit tests.
    TRect PrevRect() const;
    TRect NextRect() const;
    TRect TodayRect() const;
    // The cell of a day of the six weeks shown; empty when it is not shown.
    TRect DayRect(TDateTime day) const;
    TSize PreferredSize() const;

    // Keys of the open calendar; false when the key is not one of its own.
    bool HandleKey(std::uint16_t key);

    void Dispatch(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    TDateTime FirstCell() const;
    TDateTimePicker* Picker() const;
    TDateTime selected_ = 0;
    TDateTime month_ = 0;
};

}  // namespace menvaro
