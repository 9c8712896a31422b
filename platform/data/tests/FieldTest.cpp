// Field values: the AsString texts of every type, conversions both ways,
// and the engines' texts (ISO date-times, money, char padding).
#include <gtest/gtest.h>

#include <cmath>

#include "base/Exceptions.h"
#include "base/FormatSettings.h"
#include "data/DBErrors.h"
#include "data/DeclaredType.h"
#include "data/EngineText.h"
#include "data/FieldConvert.h"
#include "data/RowStore.h"
#include "testsupport/ErrorMessage.h"

using namespace menvaro;

namespace {

TCellValue Int(std::int64_t v) { return {TValueKind::Integer, v, 0, {}}; }
TCellValue Flt(double v) { return {TValueKind::Float, 0, v, {}}; }
TCellValue Cur(std::int64_t scaled) { return {TValueKind::Currency, scaled, 0, {}}; }
TCellValue Dt(double v) { return {TValueKind::DateTime, 0, v, {}}; }
TCellValue Txt(std::string_view s) { return {TValueKind::Text, 0, 0, s}; }

}  // namespace

TEST(FieldConvert, AsStringTextsOfEveryType) {
    using T = TFieldType;
    struct Case {
        TCellValue value;
        TFieldType type;
        const char* text;
    } cases[] = {
        {Int(42), T::ftInteger, "42"},
        {Int(-7), T::ftSmallint, "-7"},
        {Int(9007199254740993), T::ftLargeint, "9007199254740993"},
        {Flt(0.1 + 0.2), T::ftFloat, "0.3"},
        {Flt(1.0 / 3), T::ftFloat, "0.333333333333333"},
        {Flt(1e20), T::ftFloat, "1E20"},
        {Flt(-2.5), T::ftFloat, "-2.5"},
        {Cur(125000), T::ftCurrency, "12.5"},
        {Cur(380000), T::ftCurrency, "38"},
        {Cur(1), T::ftCurrency, "0.0001"},
        {Cur(-5), T::ftCurrency, "-0.0005"},
        {Cur(std::numeric_limits<std::int64_t>::min()), T::ftCurrency, "-922337203685477.5808"},
        {Flt(12.5), T::ftBCD, "12.5"},
        {Flt(3), T::ftBCD, "3"},
        {Int(1), T::ftBoolean, "True"},
        {Int(0), T::ftBoolean, "False"},
        {Dt(EncodeDate(2023, 5, 1)), T::ftDateTime, "2023-5-1"},
        {Dt(EncodeDate(2023, 5, 1) + EncodeTime(10, 30, 5, 0)), T::ftDateTime, "2023-5-1 10:30:05"},
        {Dt(EncodeDate(2024, 12, 31)), T::ftDate, "2024-12-31"},
        {Dt(EncodeTime(8, 5, 0, 0)), T::ftTime, "8:05:00"},
        {Txt("01   "), T::ftFixedChar, "01   "},
        {Txt("宫保鸡丁"), T::ftString, "宫保鸡丁"},
        {Txt(""), T::ftString, ""},
        {TCellValue{}, T::ftString, ""},
        {TCellValue{}, T::ftInteger, ""},
        {TCellValue{}, T::ftCurrency, ""},
        {TCellValue{}, T::ftBoolean, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ValueToString(c.value, c.type), c.text) << FieldTypeName(c.type);
}

TEST(FieldConvert, FollowsTheLocaleDecimalSeparator) {
    FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(ValueToString(Cur(125000), TFieldType::ftCurrency), "12,5");
    EXPECT_EQ(ValueToString(Flt(0.25), TFieldType::ftFloat), "0,25");
    FormatSettings().DecimalSeparator = '.';
}

TEST(FieldConvert, ReadingAsOtherTypes) {
    EXPECT_EQ(ValueToInteger(Txt(" 12")), 12);
    EXPECT_EQ(ValueToInteger(Cur(125000)), 13);  // 12.5 rounds away from zero
    EXPECT_EQ(ValueToInteger(TCellValue{}), 0);
    EXPECT_THROW(ValueToInteger(Txt("12a")), EConvertError);
    EXPECT_DOUBLE_EQ(ValueToFloat(Cur(125000)), 12.5);
    EXPECT_TRUE(ValueToBoolean(Txt("true")));
    EXPECT_FALSE(ValueToBoolean(Int(0)));
    EXPECT_THROW(ValueToBoolean(Txt("maybe")), EConvertError);
    EXPECT_EQ(ValueToVariant(Int(1), TFieldType::ftBoolean), Variant(true));
    EXPECT_EQ(ValueToVariant(Cur(125000), TFieldType::ftCurrency), Variant(12.5));
    EXPECT_TRUE(ValueToVariant(TCellValue{}, TFieldType::ftString).IsNull());
}

TEST(FieldConvert, StoringTextsAndRangeChecks) {
    using T = TFieldType;
    EXPECT_EQ(TextToValue("", T::ftInteger, "Qty").kind, TValueKind::Null);
    EXPECT_EQ(TextToValue("", T::ftString, "Name").kind, TValueKind::Text);
    EXPECT_EQ(TextToValue("12.5", T::ftCurrency, "Price").i, 125000);
    EXPECT_EQ(TextToValue("false", T::ftBoolean, "B").i, 0);
    EXPECT_EQ(TextToValue("2023-5-1 10:30", T::ftDateTime, "D").d, EncodeDate(2023, 5, 1) + EncodeTime(10, 30, 0, 0));
    EXPECT_THROW(TextToValue("abc", T::ftInteger, "Qty"), EConvertError);
    EXPECT_THROW(TextToValue("yes", T::ftBoolean, "B"), EConvertError);
    EXPECT_EQ(test::ErrorMessage<EDatabaseError>([] { IntegerToValue(70000, T::ftSmallint, "Qty"); }),
              "70000 is not a valid value for field 'Qty'. The allowed range is -32768 to 32767");
    EXPECT_THROW(IntegerToValue(-1, T::ftWord, "W"), EDatabaseError);
    EXPECT_THROW(FloatToValue(1e300, T::ftCurrency, "Price"), EOverflow);
    EXPECT_EQ(VariantToValue(Variant("7"), T::ftInteger, "Qty").i, 7);
    EXPECT_EQ(VariantToValue(Unassigned, T::ftInteger, "Qty").kind, TValueKind::Null);
}

TEST(EngineText, IsoDateTimes) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"2023-05-01", true, EncodeDate(2023, 5, 1)},
        {"2023-05-01 10:30", true, EncodeDate(2023, 5, 1) + EncodeTime(10, 30, 0, 0)},
        {"2023-05-01T10:30:15", true, EncodeDate(2023, 5, 1) + EncodeTime(10, 30, 15, 0)},
        {"2023-05-01 10:30:15.250", true, EncodeDate(2023, 5, 1) + EncodeTime(10, 30, 15, 250)},
        {"2023-02-29", false, 0},
        {"2023-5-1", false, 0},
        {"2023-05-01 25:00", false, 0},
        {"2023-05-01 10:30:15.", false, 0},
        {"yesterday", false, 0},
    };
    for (const auto& c : cases) {
        TDateTime v = -1;
        EXPECT_EQ(TryParseIsoDateTime(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_NEAR(v, c.value, 1e-9) << c.text;
        }
    }
}

TEST(EngineText, MoneyTextsConvertExactly) {
    struct Case {
        const char* text;
        bool ok;
        std::int64_t scaled;
    } cases[] = {
        {"12.5", true, 125000},
        {"38", true, 380000},
        {"-0.0001", true, -1},
        {"0.00005", true, 1},
        {"0.00004", true, 0},
        {" +7.25 ", true, 72500},
        {"922337203685477.5807", true, std::numeric_limits<std::int64_t>::max()},
        {"922337203685477.5808", false, 0},
        {"-922337203685477.5808", true, std::numeric_limits<std::int64_t>::min()},
        {"1e3", false, 0},
        {"1.2.3", false, 0},
        {"", false, 0},
        {".", false, 0},
    };
    for (const auto& c : cases) {
        std::int64_t v = -99;
        EXPECT_EQ(TryParseCurrency(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.scaled) << c.text;
        }
    }
    double d;
    EXPECT_TRUE(TryParseNumber("1.5e3", d));
    EXPECT_EQ(d, 1500);
    EXPECT_FALSE(TryParseNumber("1,5", d));
}

TEST(EngineText, FixedCharPaddingCountsServerWidths) {
    // char counts GBK bytes: a Chinese character takes two, one GBK lacks
    // becomes "?" per UTF-16 unit; nchar counts UTF-16 units.
    struct Case {
        const char* value;
        TFieldType type;
        int size;
        const char* padded;
    } cases[] = {
        {"01", TFieldType::ftFixedChar, 5, "01   "},
        {"例", TFieldType::ftFixedChar, 4, "例  "},
        {"例份", TFieldType::ftFixedChar, 4, "例份"},
        {"\xF0\xB0\xBB\x9E", TFieldType::ftFixedChar, 4, "\xF0\xB0\xBB\x9E  "},  // U+30EDE: "??" in GBK
        {"例", TFieldType::ftFixedWideChar, 4, "例   "},
        {"toolong", TFieldType::ftFixedChar, 3, "toolong"},
        {"", TFieldType::ftFixedChar, 2, "  "},
    };
    for (const auto& c : cases) {
        std::string v = c.value;
        PadFixedChar(v, c.type, c.size);
        EXPECT_EQ(v, c.padded) << c.value;
    }
}

TEST(DeclaredType, SqlServerTypeNames) {
    using T = TFieldType;
    struct Case {
        const char* decl;
        TFieldType type;
        int size;
        int precision;
    } cases[] = {
        {"varchar(40)", T::ftString, 40, 0},
        {"VARCHAR (40)", T::ftString, 40, 0},
        {"nvarchar(20)", T::ftWideString, 20, 0},
        {"char(15)", T::ftFixedChar, 15, 0},
        {"char", T::ftFixedChar, 1, 0},
        {"nchar(4)", T::ftFixedWideChar, 4, 0},
        {"varchar(max)", T::ftMemo, 0, 0},
        {"nvarchar(MAX)", T::ftWideMemo, 0, 0},
        {"text", T::ftMemo, 0, 0},
        {"int", T::ftInteger, 0, 0},
        {"INTEGER", T::ftInteger, 0, 0},
        {"smallint", T::ftSmallint, 0, 0},
        {"tinyint", T::ftWord, 0, 0},
        {"bigint", T::ftLargeint, 0, 0},
        {"bit", T::ftBoolean, 0, 0},
        {"money", T::ftCurrency, 0, 0},
        {"smallmoney", T::ftCurrency, 0, 0},
        {"decimal(8,2)", T::ftBCD, 2, 8},
        {"numeric(10, 1)", T::ftBCD, 1, 10},
        {"decimal", T::ftBCD, 0, 18},
        {"float", T::ftFloat, 0, 0},
        {"real", T::ftFloat, 0, 0},
        {"datetime", T::ftDateTime, 0, 0},
        {"smalldatetime", T::ftDateTime, 0, 0},
        {"date", T::ftDate, 0, 0},
        {"time", T::ftTime, 0, 0},
        {"varbinary(16)", T::ftBlob, 0, 0},
        {"uniqueidentifier", T::ftGuid, 38, 0},
        {"", T::ftUnknown, 0, 0},
        {"geography", T::ftUnknown, 0, 0},
    };
    for (const auto& c : cases) {
        const TFieldDef d = FieldDefFromDeclaredType(c.decl);
        EXPECT_EQ(d.DataType, c.type) << c.decl;
        EXPECT_EQ(d.Size, c.size) << c.decl;
        EXPECT_EQ(d.Precision, c.precision) << c.decl;
    }
}

TEST(RowStore, CellsKeepTheirValuesAcrossGrowthAndDeletes) {
    TRowStore s;
    s.Reset(2);
    for (int r = 0; r < 1000; ++r) {
        s.AddRow();
        s.SetInteger(r, 0, r);
        s.SetText(r, 1, "row " + std::to_string(r));
    }
    s.DeleteRow(0);
    s.InsertRow(10);
    EXPECT_EQ(s.RowCount(), 1000);
    EXPECT_EQ(s.Get(0, 0).i, 1);
    EXPECT_EQ(s.Get(10, 0).kind, TValueKind::Null);
    EXPECT_EQ(s.Get(999, 1).s, "row 999");
    EXPECT_EQ(s.Get(9, 1).s, "row 10");
    s.SetText(9, 1, s.Get(999, 1).s);  // a text copied from the store itself
    EXPECT_EQ(s.Get(9, 1).s, "row 999");
    EXPECT_THROW(s.Get(1000, 0), ERangeError);
    EXPECT_THROW(s.Get(0, 2), ERangeError);
}
