// Date-times as the class library counts them: a double of days since
// 1899-12-30, the fraction being the time of day.
#pragma once

#include <string>
#include <string_view>

namespace menvaro {

using TDateTime = double;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Raise EConvertError on an invalid date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& millisecond);

// Local time of the machine.
TDateTime Now();
TDateTime Date();
TDateTime Time();
TDateTime IncDay(TDateTime dt, int days = 1);
// The day and the time of day of a value, and the two put back together,
// as the library reads a value: the day truncated toward zero, the time the
// absolute fraction (so 1800-01-01 12:00 lies below 1800-01-01 itself).
TDateTime DateOf(TDateTime dt);
TDateTime TimeOf(TDateTime dt);
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime dt);

// Formats with the class library's tokens: d dd ddd dddd ddddd dddddd, m mm
// mmm mmmm (minutes right after an hour), yy yyyy, h hh, n nn, s ss, z zzz,
// t tt, c, am/pm a/p ampm, "/" and ":" as the locale's separators, and text
// in single or double quotes taken literally.
std::string FormatDateTime(std::string_view format, TDateTime dt);
std::string DateToStr(TDateTime dt);
std::string TimeToStr(TDateTime dt);
std::string DateTimeToStr(TDateTime dt);

// Parses a date in the locale's short order (year, month, day separated by
// the date separator; a two-digit year is taken in 1950..2049). Raises
// EConvertError on a bad text.
TDateTime StrToDate(std::string_view text);
bool TryStrToDate(std::string_view text, TDateTime& result);

}  // namespace menvaro
