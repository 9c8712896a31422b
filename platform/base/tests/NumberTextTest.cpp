#include "base/NumberText.h"

#include <gtest/gtest.h>

#include "base/Exceptions.h"
#include "base/FormatSettings.h"
#include "testsupport/ErrorMessage.h"

using namespace menvaro;

TEST(NumberText, IntegerTextBothWays) {
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToHex(0x12CD, 4), "12CD");
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(0xABC, 1), "ABC");
    EXPECT_EQ(IntToHex(5, 8), "00000005");
    EXPECT_EQ(IntToHex(0xFFFFFFFFFFFFFFFF, 20), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(0x1F, -3), "1F");
    struct Case {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"7", true, 7},
        {"  -12", true, -12},
        {"+3", true, 3},
        {"$1F", true, 31},
        {"0x10", true, 16},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"", false, 0},
        {"12 ", false, 0},
        {"1.5", false, 0},
        {"abc", false, 0},
        {"-", false, 0},
        {"$", false, 0},
    };
    for (const auto& c : cases) {
        int v = 0;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        } else {
            EXPECT_THROW(StrToInt(c.text), EConvertError) << c.text;
        }
    }
    EXPECT_EQ(StrToIntDef("x", 7), 7);
    EXPECT_EQ(test::ErrorMessage<EConvertError>([] { StrToInt("abc"); }), "'abc' is not a valid integer value");
}

TEST(NumberText, FloatToStrPrintsFifteenDigitsWithoutTrailingZeros) {
    struct Case {
        double v;
        const char* text;
    } cases[] = {
        {0, "0"},
        {12.5, "12.5"},
        {-3, "-3"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {100, "100"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {1.5e20, "1.5E20"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {-1.25e-7, "-1.25E-7"},
        {38.8, "38.8"},
        {0.1 + 0.2, "0.3"},
    };
    for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.v), c.text) << c.v;
}

TEST(NumberText, FloatTextFollowsTheDecimalSeparator) {
    EXPECT_DOUBLE_EQ(StrToFloat(" 12.5 "), 12.5);
    EXPECT_DOUBLE_EQ(StrToFloat("-1e3"), -1000);
    EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
    double d;
    for (const char* bad : {"", "1,5", "1e", "e5", "1.2.3", "--1", "inf", "nan"})
        EXPECT_FALSE(TryStrToFloat(bad, d)) << bad;
    FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(12.5), "12,5");
    EXPECT_DOUBLE_EQ(StrToFloat("1,5"), 1.5);
    EXPECT_FALSE(TryStrToFloat("1.5", d));
    FormatSettings().DecimalSeparator = '.';
}
