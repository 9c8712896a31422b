// The display side of fields: alignment, labels, formats, the edit and
// display texts, their handlers, the numeric range and typed characters.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "base/DateTime.h"
#include "base/FormatSettings.h"
#include "data/MemoryDataSet.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/FormatSettingsScope.h"

using namespace menvaro;

namespace {

class Goods : public ::testing::Test {
protected:
    void SetUp() override {
        ds.SetName("mdGoods");
        ds.FieldDefs().Add("Qty", TFieldType::ftInteger);
        ds.FieldDefs().Add("Price", TFieldType::ftCurrency);
        ds.FieldDefs().Add("Weight", TFieldType::ftFloat);
        ds.FieldDefs().Add("Rate", TFieldType::ftBCD, 4, 18);
        ds.FieldDefs().Add("Name", TFieldType::ftString, 20);
        ds.FieldDefs().Add("Made", TFieldType::ftDateTime);
        ds.FieldDefs().Add("Weigh", TFieldType::ftBoolean);
        ds.Open();
        ds.Append();
        F("Qty").SetAsInteger(1234);
        F("Price").SetAsFloat(1234.5);
        F("Weight").SetAsFloat(1234.5);
        F("Rate").SetAsFloat(0.125);
        F("Name").SetAsString("茶");
        F("Made").SetAsDateTime(EncodeDate(2024, 3, 5) + EncodeTime(8, 30, 0, 0));
        F("Weigh").SetAsBoolean(true);
        ds.Post();
        ds.Append();  // a record of NULLs
        ds.Post();
        ds.First();
    }
    TField& F(const char* name) { return ds.FieldByName(name); }
    // Text and DisplayText of a field, "text|display".
    std::string Texts(const char* name) { return F(name).Text() + "|" + F(name).DisplayText(); }

    TOwned<TMemoryDataSet> owned{Create<TMemoryDataSet>(nullptr)};
    TMemoryDataSet& ds = *owned;
};

}  // namespace

TEST_F(Goods, DefaultsByKind) {
    for (const char* numeric : {"Qty", "Price", "Weight", "Rate"})
        EXPECT_EQ(F(numeric).Alignment(), taRightJustify) << numeric;
    for (const char* other : {"Name", "Made", "Weigh"}) EXPECT_EQ(F(other).Alignment(), taLeftJustify) << other;
    EXPECT_TRUE(F("Price").Currency());
    EXPECT_FALSE(F("Weight").Currency());
    EXPECT_FALSE(F("Rate").Currency());
    EXPECT_EQ(F("Qty").DisplayLabel(), "Qty");
    F("Qty").SetDisplayLabel("数量");
    EXPECT_EQ(F("Qty").DisplayLabel(), "数量");
    EXPECT_TRUE(F("Qty").DisplayFormat().empty());
    EXPECT_TRUE(F("Qty").EditMask().empty());
    F("Name").SetEditMask("000;1;_");
    EXPECT_EQ(F("Name").EditMask(), "000;1;_");
}

TEST_F(Goods, TextAndDisplayTextWithoutFormats) {
    EXPECT_EQ(Texts("Qty"), "1234|1234");
    EXPECT_EQ(Texts("Price"),
              "1234.50|\xEF\xBF\xA5"
              "1,234.50");                       // a currency field shows money
    EXPECT_EQ(F("Price").AsString(), "1234.5");  // AsString stays plain
    EXPECT_EQ(Texts("Weight"), "1234.5|1234.5");
    EXPECT_EQ(Texts("Rate"), "0.125|0.125");
    EXPECT_EQ(Texts("Name"), "茶|茶");
    EXPECT_EQ(Texts("Made"), "2024-3-5 8:30:00|2024-3-5 8:30:00");
    EXPECT_EQ(Texts("Weigh"), "True|True");
    F("Weight").SetCurrency(true);
    EXPECT_EQ(Texts("Weight"),
              "1234.50|\xEF\xBF\xA5"
              "1,234.50");
    F("Price").SetCurrency(false);
    EXPECT_EQ(Texts("Price"), "1234.5|1234.5");
}

TEST_F(Goods, TextAndDisplayTextThroughFormats) {
    F("Weight").SetDisplayFormat("#,##0.00");
    EXPECT_EQ(Texts("Weight"), "1,234.50|1,234.50");  // the display format serves editing too
    F("Weight").SetEditFormat("0.0");
    EXPECT_EQ(Texts("Weight"), "1234.5|1,234.50");
    F("Qty").SetDisplayFormat("#,##0 'pcs'");
    F("Qty").SetEditFormat("0");
    EXPECT_EQ(Texts("Qty"), "1234|1,234 pcs");
    F("Price").SetDisplayFormat("0.0;(0.0)");
    EXPECT_EQ(Texts("Price"), "1234.5|1234.5");  // a format wins over the currency text
    F("Made").SetDisplayFormat("dd.mm.yyyy");
    EXPECT_EQ(Texts("Made"), "2024-3-5 8:30:00|05.03.2024");

    ds.Next();  // NULLs show as nothing, whatever the format
    for (const char* name : {"Qty", "Price", "Weight", "Rate", "Name", "Made", "Weigh"})
        EXPECT_EQ(Texts(name), "|") << name;
}

TEST_F(Goods, TextsFollowTheSeparatorsOfTheMoment) {
    test::FormatSettingsScope restore;
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = '.';
    EXPECT_EQ(Texts("Price"),
              "1234,50|\xEF\xBF\xA5"
              "1.234,50");
    FormatSettings().CurrencyDecimals = 0;
    FormatSettings().NegCurrFormat = 1;
    ds.Edit();
    F("Price").SetAsFloat(-1234.5);
    EXPECT_EQ(Texts("Price"),
              "-1235|-\xEF\xBF\xA5"
              "1.235");
    ds.Cancel();
}

TEST_F(Goods, GetAndSetTextHandlers) {
    F("Name").OnGetText = [](TField& f, std::string& text, bool display) {
        text = (display ? "[" : "(") + f.AsString() + (display ? "]" : ")");
    };
    EXPECT_EQ(Texts("Name"), "(茶)|[茶]");
    ds.Next();
    EXPECT_EQ(Texts("Name"), "()|[]");  // the handler is asked for NULL too

    F("Qty").OnSetText = [](TField& f, const std::string& text) {
        f.SetAsInteger(static_cast<std::int64_t>(text.size()));
    };
    ds.Edit();
    F("Qty").SetText("abc");
    EXPECT_EQ(F("Qty").AsInteger(), 3);
    F("Qty").OnSetText = nullptr;
    F("Qty").SetText("77");
    EXPECT_EQ(F("Qty").AsInteger(), 77);
    F("Qty").SetText("");
    EXPECT_TRUE(F("Qty").IsNull());
    F("Price").SetText("12.5");
    EXPECT_EQ(F("Price").AsString(), "12.5");
    EXPECT_THROW(F("Price").SetText("twelve"), EConvertError);
    ds.Cancel();
}

TEST_F(Goods, PropertiesAFieldKindLacksAreErrors) {
    EXPECT_EQ(test::ErrorMessage<EDatabaseError>([&] { F("Name").SetDisplayFormat("0"); }),
              "mdGoods: Field 'Name' of type ftString has no DisplayFormat");
    EXPECT_THROW(F("Made").SetEditFormat("0"), EDatabaseError);
    EXPECT_THROW(F("Weigh").SetCurrency(true), EDatabaseError);
    EXPECT_THROW(F("Qty").SetCurrency(true), EDatabaseError);
    EXPECT_THROW(F("Name").SetMinValue(1), EDatabaseError);
    EXPECT_THROW(F("Weight").SetMaxValue(std::numeric_limits<double>::infinity()), EConvertError);
    F("Made").SetDisplayFormat("yyyy");  // date-times have a display format
    EXPECT_EQ(F("Made").DisplayText(), "2024");
}

TEST_F(Goods, TheRangeOfNumericFields) {
    F("Qty").SetMinValue(1);
    F("Qty").SetMaxValue(100);
    ds.Edit();
    EXPECT_EQ(test::ErrorMessage<EDatabaseError>([&] { F("Qty").SetAsInteger(0); }),
              "0 is not a valid value for field 'Qty'. The allowed range is 1 to 100");
    EXPECT_EQ(F("Qty").AsInteger(), 1234);  // a refused write changes nothing
    EXPECT_THROW(F("Qty").SetAsString("101"), EDatabaseError);
    F("Qty").SetAsInteger(100);
    F("Qty").SetValue(Variant(50.4));
    EXPECT_EQ(F("Qty").AsInteger(), 50);
    F("Qty").Clear();  // NULL is no value to check
    EXPECT_TRUE(F("Qty").IsNull());

    F("Qty").SetMinValue(1.6);  // whole numbers for integer fields
    EXPECT_EQ(F("Qty").MinValue(), 2);
    F("Price").SetMaxValue(10.12344);  // four decimals for currency fields
    EXPECT_EQ(F("Price").MaxValue(), 10.1234);
    F("Weight").SetMinValue(-2.5);
    F("Weight").SetMaxValue(2.5);
    F("Weight").SetAsFloat(2.5);
    EXPECT_EQ(test::ErrorMessage<EDatabaseError>([&] { F("Weight").SetAsFloat(2.6); }),
              "2.6 is not a valid value for field 'Weight'. The allowed range is -2.5 to 2.5");
    F("Rate").SetAsFloat(-1e9);  // MinValue and MaxValue both 0: no range
    F("Price").SetAsFloat(10.1234);
    EXPECT_THROW(F("Price").SetAsFloat(10.1235), EDatabaseError);  // MaxValue alone: from 0
    F("Rate").SetMinValue(5);  // a range is both bounds: with MaxValue 0 nothing fits
    EXPECT_THROW(F("Rate").SetAsFloat(10), EDatabaseError);
    ds.Cancel();
}

TEST_F(Goods, CharactersAFieldAccepts) {
    const std::string digits = "0123456789+-";
    for (char c : digits) EXPECT_TRUE(F("Qty").IsValidChar(c)) << c;
    for (char c : std::string(".,eEx ")) EXPECT_FALSE(F("Qty").IsValidChar(c)) << c;
    for (const char* name : {"Price", "Weight", "Rate"}) {
        for (char c : digits + ".eE") EXPECT_TRUE(F(name).IsValidChar(c)) << name << " " << c;
        for (char c : std::string(",x ")) EXPECT_FALSE(F(name).IsValidChar(c)) << name << " " << c;
    }
    for (const char* name : {"Name", "Made", "Weigh"})
        for (char c : std::string("x.,- \x80")) EXPECT_TRUE(F(name).IsValidChar(c)) << name << " " << c;

    test::FormatSettingsScope restore;
    FormatSettings().DecimalSeparator = ',';
    EXPECT_TRUE(F("Price").IsValidChar(','));
    EXPECT_FALSE(F("Price").IsValidChar('.'));
}
