#include "base/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "base/Exceptions.h"
#include "base/FormatSettings.h"

using namespace menvaro;

TEST(DateTime, EpochAndKnownDays) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(1970, 1, 1), 25569);
    EXPECT_EQ(EncodeDate(2026, 12, 10), 46366);
    int y, m, d;
    DecodeDate(-1, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
}

TEST(DateTime, DayArithmeticAcrossMonthYearAndLeapDays) {
    struct Case {
        int y, m, d, delta;
        const char* expect;
    } cases[] = {
        {2026, 1, 31, 1, "20260201"},  {2026, 3, 1, -1, "20260228"},  {2024, 3, 1, -1, "20240229"},
        {2024, 2, 28, 1, "20240229"},  {2000, 2, 28, 1, "20000229"},  {1900, 2, 28, 1, "19000301"},
        {2026, 12, 31, 1, "20270101"}, {2027, 1, 1, -1, "20261231"},  {2026, 12, 10, -7, "20261203"},
        {2024, 12, 31, -366, "20231231"}, {2026, 12, 10, -400, "20251105"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime("yyyymmdd", IncDay(EncodeDate(c.y, c.m, c.d), c.delta)), c.expect)
            << c.y << "-" << c.m << "-" << c.d << " " << c.delta;
}

TEST(DateTime, InvalidDatesRaise) {
    EXPECT_THROW(EncodeDate(2026, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2026, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2026, 4, 31), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_NO_THROW(EncodeDate(2028, 2, 29));
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
}

TEST(DateTime, ValuesOutsideTheCalendarRaiseInsteadOfMisbehaving) {
    int y, m, d, h, n, s, ms;
    for (double bad : {std::nan(""), 1e300, -1e300, 2958466.0, -693594.0}) {
        EXPECT_THROW(DecodeDate(bad, y, m, d), EConvertError) << bad;
        EXPECT_THROW(DecodeTime(bad, h, n, s, ms), EConvertError) << bad;
        EXPECT_THROW(FormatDateTime("yyyymmdd", bad), EConvertError) << bad;
    }
    DecodeDate(EncodeDate(9999, 12, 31) + 0.99, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 99991231);
    DecodeDate(EncodeDate(1, 1, 1), y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 10101);
}

TEST(DateTime, FormatTokens) {
    const TDateTime dt = EncodeDate(2026, 3, 7) + EncodeTime(14, 5, 9, 42);
    struct Case {
        const char* fmt;
        const char* out;
    } cases[] = {
        {"yyyymmdd", "20260307"},       {"yy-m-d", "26-3-7"},       {"hh:nn:ss.zzz", "14:05:09.042"},
        {"h:m", "14:5"},                {"hh:mm", "14:05"},         {"mmm mmmm", "Mar March"},
        {"ddd dddd", "Sat Saturday"},   {"'yyyy' \"mm\"", "yyyy mm"}, {"yyyy/mm/dd", "2026-03-07"},
        {"h:nn am/pm", "2:05 pm"},      {"ddddd", "2026-3-7"},      {"c", "2026-3-7 14:05:09"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.fmt, dt), c.out) << c.fmt;
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 3, 7)), "2026-3-7");
}

TEST(DateTime, FormatsFollowTheSettingsOfTheMoment) {
    const TDateTime dt = EncodeDate(2026, 3, 7) + EncodeTime(14, 5, 9, 42);
    TFormatSettings& fs = FormatSettings();
    const TFormatSettings saved = fs;
    EXPECT_EQ(DateTimeToStr(dt), "2026-3-7 14:05:09");
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.DateSeparator = '.';
    fs.LongTimeFormat = "hh 'h' mm";
    EXPECT_EQ(DateTimeToStr(dt), "07.03.2026 14 h 05");
    fs.LongTimeFormat = "h:nn am/pm";
    EXPECT_EQ(DateTimeToStr(dt), "07.03.2026 2:05 pm");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 3, 7)), "07.03.2026");
    fs = saved;
    EXPECT_EQ(DateTimeToStr(dt), "2026-3-7 14:05:09");
}

TEST(DateTime, DecodeTimeAndDayOfWeek) {
    int h, n, s, ms;
    DecodeTime(EncodeDate(2026, 3, 7) + 0.75, h, n, s, ms);
    EXPECT_EQ(h, 18);
    EXPECT_EQ(n + s + ms, 0);
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 10)), 5);  // a Thursday
    EXPECT_EQ(DayOfWeek(0), 7);                          // 1899-12-30, a Saturday
}

TEST(DateTime, DaysAndTimesSplitAndJoinOnBothSidesOfTheEpoch) {
    struct Case {
        int y, m, d;
        double time;
    };
    const Case cases[] = {{2026, 12, 10, 0.75}, {1899, 12, 30, 0.25}, {1899, 12, 29, 0.5}, {1800, 1, 1, 0.5},
                          {1, 1, 1, 0.99}};
    for (const Case& c : cases) {
        const TDateTime day = EncodeDate(c.y, c.m, c.d);
        const TDateTime v = ComposeDateTime(day, c.time);
        int y, m, d, h, n, s, ms;
        DecodeDate(v, y, m, d);
        EXPECT_EQ(std::tie(y, m, d), std::tie(c.y, c.m, c.d)) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_DOUBLE_EQ(DateOf(v), day);
        EXPECT_NEAR(TimeOf(v), c.time, 1e-9);
        DecodeTime(v, h, n, s, ms);
        EXPECT_NEAR((h * 3600000.0 + n * 60000.0 + s * 1000.0 + ms) / 86400000.0, c.time, 1e-6);
    }
}

TEST(DateTime, ParsesShortDates) {
    EXPECT_EQ(StrToDate("2026-12-10"), EncodeDate(2026, 12, 10));
    EXPECT_EQ(StrToDate(" 26-1-5 "), EncodeDate(2026, 1, 5));
    TDateTime r;
    for (const char* bad : {"", "2026-2-30", "2026/12/10", "2026-12", "2026-12-10x", "12345-1-1"})
        EXPECT_FALSE(TryStrToDate(bad, r)) << bad;
    EXPECT_THROW(StrToDate("x"), EConvertError);
}

TEST(DateTime, NowIsToday) {
    const TDateTime n = Now();
    EXPECT_GE(n, Date());
    EXPECT_LT(n, Date() + 1);
}
