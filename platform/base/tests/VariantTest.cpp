#include "base/Variant.h"

#include <gtest/gtest.h>

#include "base/Exceptions.h"
#include "testsupport/ErrorMessage.h"

using namespace menvaro;

TEST(Variant, ConversionsBetweenTheKinds) {
    EXPECT_EQ(Variant(7).AsDouble(), 7.0);
    EXPECT_EQ(Variant(2.5).AsInteger(), 2);  // half to even
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_EQ(Variant(-2.6).AsInteger(), -3);
    EXPECT_EQ(Variant(12.5).AsString(), "12.5");
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_EQ(Variant(" 42").AsInteger(), 42);
    EXPECT_EQ(Variant("1.5").AsDouble(), 1.5);
    EXPECT_EQ(Variant("2.5").AsInteger(), 2);
    EXPECT_TRUE(Variant("true").AsBoolean());
    EXPECT_FALSE(Variant(0).AsBoolean());
    EXPECT_EQ(Variant(std::int64_t{1} << 40).AsString(), "1099511627776");
}

TEST(Variant, UnassignedNullAndBadTextAreClearErrors) {
    EXPECT_TRUE(Unassigned.IsEmpty());
    EXPECT_TRUE(Null.IsNull());
    EXPECT_EQ(VarToStr(Null), "");
    EXPECT_EQ(VarToStr(Unassigned), "");
    EXPECT_EQ(test::ErrorMessage<EVariantError>([] { Unassigned.AsDouble(); }),
              "Could not convert variant of type (Empty) into type (Double)");
    EXPECT_EQ(test::ErrorMessage<EVariantError>([] { Variant("abc").AsInteger(); }),
              "Could not convert variant of type (String) into type (Integer)");
    EXPECT_THROW(Null.AsInteger(), EVariantError);
    EXPECT_THROW(Null.AsString(), EVariantError);
    EXPECT_THROW(Variant(1e300).AsInteger(), EVariantError);
}
