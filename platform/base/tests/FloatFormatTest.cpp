// Number texts: format strings, the fixed formats, and currency amounts.
#include "base/FloatFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/Currency.h"
#include "base/Exceptions.h"
#include "base/FormatSettings.h"
#include "base/NumberText.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/FormatSettingsScope.h"

using namespace menvaro;

namespace {

struct FormatCase {
    const char* format;
    double value;
    const char* text;
};

void ExpectFormats(const std::vector<FormatCase>& cases) {
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value), c.text) << "FormatFloat(\"" << c.format << "\", " << c.value << ")";
}

}  // namespace

TEST(FormatFloat, TheClassLibrarysExampleTable) {
    struct Row {
        const char* format;
        const char* positive;  // 1234
        const char* negative;  // -1234
        const char* half;      // 0.5
        const char* zero;      // 0
    } rows[] = {
        {"", "1234", "-1234", "0.5", "0"},
        {"0", "1234", "-1234", "1", "0"},
        {"0.00", "1234.00", "-1234.00", "0.50", "0.00"},
        {"#.##", "1234", "-1234", ".5", ""},
        {"#,##0.00", "1,234.00", "-1,234.00", "0.50", "0.00"},
        {"#,##0.00;(#,##0.00)", "1,234.00", "(1,234.00)", "0.50", "0.00"},
        {"#,##0.00;;Zero", "1,234.00", "-1,234.00", "0.50", "Zero"},
        {"0.000E+00", "1.234E+03", "-1.234E+03", "5.000E-01", "0.000E+00"},
        {"#.###E-0", "1.234E3", "-1.234E3", "5E-1", "0E0"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(FormatFloat(r.format, 1234), r.positive) << r.format;
        EXPECT_EQ(FormatFloat(r.format, -1234), r.negative) << r.format;
        EXPECT_EQ(FormatFloat(r.format, 0.5), r.half) << r.format;
        EXPECT_EQ(FormatFloat(r.format, 0), r.zero) << r.format;
    }
}

TEST(FormatFloat, SectionsAndNegativeZero) {
    ExpectFormats({
        {"0.0;'minus '0.0;'nothing'", 2, "2.0"},
        {"0.0;'minus '0.0;'nothing'", -2, "minus 2.0"},
        {"0.0;'minus '0.0;'nothing'", 0, "nothing"},
        {"0.0;;'nothing'", -2, "-2.0"},  // an empty negative section uses the first
        {"0.0;(0.0)", 0, "0.0"},         // two sections: the first holds zeros too
        {";0", 12.5, "12.5"},            // an empty first section: the general format
        {"0;(0);z;ignored", -3, "(3)"},  // a fourth section is never used
        // A value that rounds to zero is a zero: no sign, and the zero section.
        {"0.00", -0.001, "0.00"},
        {"0.00;(0.00)", -0.001, "0.00"},
        {"0.00;(0.00);'zero'", -0.004, "zero"},
        {"0.00;(0.00);'zero'", 0.004, "zero"},
        {"0.00;(0.00);'zero'", -0.005, "(0.01)"},
        {"0", -0.4, "0"},
        {"#", 0.4, ""},
        {"0.0", -0.0, "0.0"},
        {"0.0;(0.0);z", -0.0, "z"},
    });
    EXPECT_EQ(FloatToStr(-0.0), "0");
    EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), "0.00");
}

TEST(FormatFloat, RoundsHalfAwayFromZero) {
    ExpectFormats({
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"0", 3.5, "4"},
        {"0.00", 0.125, "0.13"},
        {"0.00", -0.125, "-0.13"},
        {"0.0", 0.25, "0.3"},
        {"0.00", 2.675, "2.67"},  // the stored value is 2.67499999...
        {"0.00", 9.995, "9.99"},  // 9.99499999...
        {"0.00", 9.9951, "10.00"},
        {"#,##0", 999999.5, "1,000,000"},
        {"0.###", 1.0015, "1.002"},
        {"0.###", 1.0004, "1"},
        {"0.00", 1e-20, "0.00"},
        {"0.000E+00", 9.9996, "1.000E+01"},  // rounding carries into the exponent
    });
}

TEST(FormatFloat, DigitsThousandsAndLiterals) {
    ExpectFormats({
        {"#,##0", 1234567, "1,234,567"},
        {"#,##0", 999, "999"},
        {"#,##0", -1234567.4, "-1,234,567"},
        {"0,", 1234, "1,234"},          // a ',' anywhere asks for separators
        {"#,0000000", 5, "0,000,005"},  // seven digits from the leftmost '0'
        {"0", 123456, "123456"},        // more digits than placeholders go first
        {"00", 5, "05"},
        {"#0#", 5, "05"},  // from the leftmost '0' on, digits always show
        {"00-00", 1234, "12-34"},
        {"##-##", 5, "-5"},
        {".00", 12.5, "12.50"},
        {"0.#0", 1.5, "1.50"},  // up to the rightmost '0', decimals always show
        {"0.0.0", 1.25, "1.25"},
        {"'$'#,##0.00", 1234.5, "$1,234.50"},
        {"\"No. \"000", 7, "No. 007"},
        {"0%", 12, "12%"},             // '%' is copied as it stands
        {"0' %'", 0.5, "1 %"},         // and does not scale the value
        {"'0.#;'0", 5, "0.#;5"},       // quotes hide placeholders and ';'
        {"0 \"E+\" 0", 12, "1 E+ 2"},  // and exponent marks
        {"x", 12, "x"},                // no placeholder: no digits
        {"0 'unterminated", 3, "3 unterminated"},
        {"0.0Ex", 2, "2.0Ex"},  // E without a sign is a literal
        {"-0", 3, "-3"},
        {"-0", -3, "--3"},
    });
}

TEST(FormatFloat, ScientificNotation) {
    ExpectFormats({
        {"0.0E+0000", 12345, "1.2E+0004"},
        {"0.0E-00", 0.00012, "1.2E-04"},
        {"0.0E-00", 12000, "1.2E04"},
        {"0E+0", 1e-300, "1E-300"},
        {"0.00e+00", 1234, "1.23e+03"},
        {"##0.0E+0", 1234, "123.4E+1"},
        {"0.###E+000000", 1.5, "1.5E+0000"},  // at most four exponent digits are asked for
        {"0.00E+00", -1e100, "-1.00E+100"},
        {"0.00E+00", 1e18, "1.00E+18"},  // scientific formats take large values
    });
}

TEST(FormatFloat, LargeValuesFallBackToTheGeneralFormat) {
    ExpectFormats({
        {"#,##0", 1e17, "100,000,000,000,000,000"},
        {"0.00", 1e18, "1E18"},
        {"#,##0.00", -1.5e20, "-1.5E20"},
        {"0", 999999999999999999.0, "1E18"},
        {"0.00", std::numeric_limits<double>::max(), "1.79769313486232E308"},
    });
    EXPECT_EQ(FormatFloat("0.00", std::nan("")), "NAN");
    EXPECT_EQ(FormatFloat("0.00", -std::numeric_limits<double>::infinity()), "-INF");
    // However many decimals are asked for, the text holds the format and 18 digits at most.
    const std::string many = "0." + std::string(200, '0');
    EXPECT_EQ(FormatFloat(many, 1.0 / 3), "0.333333333333333315" + std::string(182, '0'));
    EXPECT_EQ(FloatToStrF(-1.7976931348623157e308, ffGeneral, 15, 0).size(), 21u);
    EXPECT_EQ(FloatToStrF(4.9e-324, ffGeneral, 15, 0), "4.94065645841247E-324");
}

TEST(FormatFloat, SeparatorsAreReadAtEachCall) {
    test::FormatSettingsScope restore;
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1,234.50");
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = '.';
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
    EXPECT_EQ(FloatToStrF(1234.5, ffNumber, 15, 1), "1.234,5");
    EXPECT_EQ(FloatToStr(0.5), "0,5");
    FormatSettings().ThousandSeparator = ' ';
    EXPECT_EQ(FormatFloat("#,##0.00", -1234567), "-1 234 567,00");
}

TEST(FloatToStrF, EachFormat) {
    struct Case {
        double value;
        TFloatFormat format;
        int precision, digits;
        const char* text;
    } cases[] = {
        {1.0 / 3, ffGeneral, 15, 0, "0.333333333333333"},
        {2.0 / 3, ffGeneral, 15, 0, "0.666666666666667"},
        {1e15, ffGeneral, 15, 0, "1E15"},
        {123456789012345.0, ffGeneral, 15, 0, "123456789012345"},
        {12345, ffGeneral, 4, 0, "1.235E4"},
        {0.00001, ffGeneral, 15, 2, "1E-05"},
        {0.0001, ffGeneral, 15, 0, "0.0001"},
        {100000000000000.5, ffGeneral, 15, 0, "100000000000001"},
        {1234.5, ffExponent, 4, 2, "1.235E+03"},
        {-0.000123456, ffExponent, 4, 2, "-1.235E-04"},
        {0, ffExponent, 4, 2, "0.000E+00"},
        {1234.5, ffFixed, 15, 2, "1234.50"},
        {-0.005, ffFixed, 15, 2, "-0.01"},
        {0.004, ffFixed, 15, 2, "0.00"},
        {12.5, ffFixed, 15, 0, "13"},
        {1.23456789, ffFixed, 3, 5, "1.23000"},
        {1e20, ffFixed, 15, 2, "1E20"},
        {1234567.891, ffNumber, 15, 2, "1,234,567.89"},
        {-999.999, ffNumber, 15, 2, "-1,000.00"},
        {1234.5, ffCurrency, 15, 2,
         "\xEF\xBF\xA5"
         "1,234.50"},
        {-1234.5, ffCurrency, 15, 2, "\xEF\xBF\xA5-1,234.50"},
        {-0.001, ffCurrency, 15, 2,
         "\xEF\xBF\xA5"
         "0.00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits), c.text)
            << c.value << " format " << c.format << " " << c.precision << "/" << c.digits;
}

TEST(Currency, TextForEveryCurrencyFormat) {
    test::FormatSettingsScope restore;
    FormatSettings().CurrencyString = "$";
    const char* positive[] = {"$1.50", "1.50$", "$ 1.50", "1.50 $"};
    const char* negative[] = {"($1.50)", "-$1.50",  "$-1.50",  "$1.50-",  "(1.50$)", "-1.50$",  "1.50-$",   "1.50$-",
                              "-1.50 $", "-$ 1.50", "1.50 $-", "$ 1.50-", "$ -1.50", "1.50- $", "($ 1.50)", "(1.50 $)"};
    const Currency amount = Currency::FromScaled(15000);
    const Currency debt = Currency::FromScaled(-15000);
    for (int f = 0; f < 4; ++f) {
        FormatSettings().CurrencyFormat = f;
        EXPECT_EQ(CurrToStrF(amount, ffCurrency, 2), positive[f]) << "CurrencyFormat " << f;
        EXPECT_EQ(FloatToStrF(1.5, ffCurrency, 15, 2), positive[f]) << "CurrencyFormat " << f;
    }
    for (int f = 0; f < 16; ++f) {
        FormatSettings().NegCurrFormat = f;
        EXPECT_EQ(CurrToStrF(debt, ffCurrency, 2), negative[f]) << "NegCurrFormat " << f;
        EXPECT_EQ(FloatToStrF(-1.5, ffCurrency, 15, 2), negative[f]) << "NegCurrFormat " << f;
    }
    FormatSettings().NegCurrFormat = 99;  // outside the table: as 0
    EXPECT_EQ(CurrToStrF(debt, ffCurrency, 2), "($1.50)");
    // The fixed defaults: the sign first, the minus after it.
    FormatSettings() = TFormatSettings();
    EXPECT_EQ(CurrToStrF(Currency::FromScaled(-12345678), ffCurrency, FormatSettings().CurrencyDecimals),
              "\xEF\xBF\xA5-1,234.57");
}

TEST(Currency, RangeConversionsAndText) {
    EXPECT_EQ(CurrToStr(MaxCurrency), "922337203685477.5807");
    EXPECT_EQ(CurrToStr(MinCurrency), "-922337203685477.5808");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(125000)), "12.5");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(1)), "0.0001");
    EXPECT_EQ(CurrToStr(Currency()), "0");
    EXPECT_EQ(CurrToStrF(Currency::FromScaled(123450), ffFixed, 2), "12.35");  // exact decimals, half away
    EXPECT_EQ(CurrToStrF(Currency::FromScaled(-123450), ffFixed, 2), "-12.35");
    EXPECT_EQ(CurrToStrF(MaxCurrency, ffNumber, 4), "922,337,203,685,477.5807");

    EXPECT_EQ(FloatToCurr(12.5).Scaled, 125000);
    EXPECT_EQ(FloatToCurr(-0.00014).Scaled, -1);
    EXPECT_EQ(FloatToCurr(922337203685477.0).Scaled, 9223372036854770000);
    Currency c;
    EXPECT_FALSE(TryFloatToCurr(1e15, c));
    EXPECT_FALSE(TryFloatToCurr(-1e15, c));
    EXPECT_FALSE(TryFloatToCurr(std::nan(""), c));
    EXPECT_EQ(test::ErrorMessage<EConvertError>([] { FloatToCurr(1e20); }), "'1E20' is not a valid currency value");
    EXPECT_LT(MinCurrency, Currency());
}
