// The class library's rules for variants: comparison, arithmetic, the error
// kind, arrays, and the errors of conversions that cannot be made.
#include <gtest/gtest.h>

#include <cmath>

#include "base/FormatSettings.h"
#include "base/Variant.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/FormatSettingsScope.h"

using namespace menvaro;

namespace {

const char* RelationName(TVariantRelationship r) {
    switch (r) {
        case vrEqual: return "=";
        case vrLessThan: return "<";
        case vrGreaterThan: return ">";
        case vrNotEqual: return "<>";
    }
    return "?";
}

}  // namespace

TEST(VariantRules, ComparisonTable) {
    struct Case {
        Variant a, b;
        TVariantRelationship r;
    } cases[] = {
        {1, "1", vrEqual},  // a number equals its text
        {"1", 1, vrEqual},
        {1.5, " 1.5 ", vrEqual},
        {2, "10", vrLessThan},    // numerically, not as texts
        {"10", "2", vrLessThan},  // two texts compare as texts
        {"abc", "ABC", vrGreaterThan},
        {"abc", "abc", vrEqual},
        {1, 1.0, vrEqual},
        {std::int64_t{1} << 62, (std::int64_t{1} << 62) + 1, vrLessThan},  // integers stay exact
        {true, -1, vrEqual},
        {false, 0, vrEqual},
        {true, "True", vrEqual},
        {Null, Null, vrEqual},
        {Null, 0, vrLessThan},
        {"", Null, vrGreaterThan},
        {Unassigned, 0, vrEqual},
        {Unassigned, "", vrEqual},
        {Unassigned, Unassigned, vrEqual},
        {Unassigned, false, vrEqual},
        {Unassigned, 0.5, vrLessThan},
        {std::nan(""), 1.0, vrNotEqual},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(RelationName(VarCompareValue(c.a, c.b)), RelationName(c.r))
            << VarTypeName(c.a.VarType()) << " " << VarToStr(c.a) << " against " << VarTypeName(c.b.VarType()) << " "
            << VarToStr(c.b);
    EXPECT_TRUE(VarEquals(7, "7"));
    EXPECT_FALSE(VarEquals(Null, 0));
    EXPECT_FALSE(Variant(1) == Variant("1"));  // operator== asks for the same kind
}

TEST(VariantRules, ComparisonsThatRaise) {
    EXPECT_EQ(test::ErrorMessage<EVariantInvalidOpError>([] { VarEquals(Unassigned, Null); }),
              "Invalid variant operation");
    EXPECT_THROW(VarEquals(Null, Unassigned), EVariantInvalidOpError);
    EXPECT_EQ(test::ErrorMessage<EVariantTypeCastError>([] { VarEquals(1, "one"); }),
              "Could not convert variant of type (String) into type (Double)");
    EXPECT_THROW(VarEquals(true, "yes"), EVariantTypeCastError);
    EXPECT_THROW(VarEquals(VarAsError(1), VarAsError(1)), EVariantInvalidOpError);
    EXPECT_THROW(VarEquals(VarArrayOf({1}), 1), EVariantInvalidOpError);
    // Every one of them is a variant error.
    EXPECT_THROW(VarEquals(Unassigned, Null), EVariantError);
}

TEST(VariantRules, TextsFollowTheDecimalSeparatorOfTheMoment) {
    test::FormatSettingsScope restore;
    EXPECT_TRUE(VarEquals(2.5, "2.5"));
    FormatSettings().DecimalSeparator = ',';
    EXPECT_TRUE(VarEquals(2.5, "2,5"));
    EXPECT_THROW(VarEquals(2.5, "2.5"), EVariantTypeCastError);
    EXPECT_EQ(Variant(2.5).AsString(), "2,5");
}

TEST(VariantRules, Arithmetic) {
    struct Case {
        Variant a, b;
        bool add;
        Variant result;
    } cases[] = {
        {0, 1.0, true, 1.0},  // the number edit's step from the integer 0
        {7.5, 1.0, false, 6.5},
        {2, 3, true, 5},
        {2, 3, false, -1},
        {"1", 2, true, 3.0},
        {"5", "2", false, 3.0},
        {"ab", "cd", true, "abcd"},
        {Unassigned, "x", true, "x"},
        {Unassigned, 4, true, 4},
        {Unassigned, Unassigned, true, Unassigned},
        {Null, 1, true, Null},
        {1, Null, false, Null},
        {true, 1, true, 0},
        {std::int64_t{9223372036854775807}, 1, true, 9223372036854775808.0},  // does not fit: a double
    };
    for (const Case& c : cases) {
        const Variant r = c.add ? c.a + c.b : c.a - c.b;
        EXPECT_EQ(r, c.result) << VarToStr(c.a) << (c.add ? " + " : " - ") << VarToStr(c.b) << " gave "
                               << VarTypeName(r.VarType()) << " " << VarToStr(r);
    }
    EXPECT_THROW(Variant("x") - Variant(1), EVariantTypeCastError);
    EXPECT_THROW(VarAsError(5) + Variant(1), EVariantInvalidOpError);
    EXPECT_THROW(VarArrayOf({1}) + Variant(1), EVariantInvalidOpError);
}

TEST(VariantRules, TheErrorKindKeepsItsCode) {
    const Variant e = VarAsError(0xFFFFFFFFu);
    EXPECT_TRUE(VarIsError(e));
    EXPECT_EQ(e.VarType(), TVarType::varError);
    EXPECT_EQ(e.ErrorCode(), 0xFFFFFFFFu);
    EXPECT_EQ(e, VarAsError(0xFFFFFFFFu));
    EXPECT_FALSE(e == VarAsError(0));
    EXPECT_EQ(test::ErrorMessage<EVariantTypeCastError>([&] { e.AsDouble(); }),
              "Could not convert variant of type (Error) into type (Double)");
    EXPECT_THROW(VarToStr(e), EVariantTypeCastError);
    EXPECT_THROW(Variant(3).ErrorCode(), EVariantTypeCastError);
}

TEST(VariantRules, ArraysOfVariants) {
    Variant a = VarArrayCreate({{1, 3}});
    EXPECT_TRUE(VarIsArray(a));
    EXPECT_EQ(VarArrayDimCount(a), 1);
    EXPECT_EQ(VarArrayLowBound(a, 1), 1);
    EXPECT_EQ(VarArrayHighBound(a, 1), 3);
    EXPECT_TRUE(VarArrayGet(a, {2}).IsEmpty());
    VarArrayPut(a, "two", {2});
    EXPECT_EQ(VarArrayGet(a, {2}), Variant("two"));

    // Copies share nothing once one is written.
    Variant b = a;
    VarArrayPut(b, 3.5, {3});
    EXPECT_TRUE(VarArrayGet(a, {3}).IsEmpty());
    EXPECT_EQ(VarArrayGet(b, {3}), Variant(3.5));
    EXPECT_FALSE(a == b);
    VarArrayPut(a, 3.5, {3});
    EXPECT_TRUE(a == b);
    VarArrayPut(a, VarArrayGet(a, {2}), {1});  // an item of the same array
    EXPECT_EQ(VarArrayGet(a, {1}), Variant("two"));

    Variant grid = VarArrayCreate({{0, 1}, {-1, 1}});
    EXPECT_EQ(VarArrayDimCount(grid), 2);
    VarArrayPut(grid, 42, {1, -1});
    EXPECT_EQ(VarArrayGet(grid, {1, -1}), Variant(42));
    EXPECT_TRUE(VarArrayGet(grid, {0, 1}).IsEmpty());

    const Variant list = VarArrayOf({1, "x", Null});
    EXPECT_EQ(VarArrayLowBound(list, 1), 0);
    EXPECT_EQ(VarArrayHighBound(list, 1), 2);
    EXPECT_TRUE(VarArrayGet(list, {2}).IsNull());
    EXPECT_EQ(VarArrayHighBound(VarArrayOf({}), 1), -1);

    EXPECT_EQ(test::ErrorMessage<EVariantBadIndexError>([&] { VarArrayGet(list, {3}); }),
              "Variant or safe array index out of bounds");
    EXPECT_THROW(VarArrayGet(grid, {0}), EVariantBadIndexError);  // one index per dimension
    EXPECT_THROW(VarArrayHighBound(list, 2), EVariantBadIndexError);
    EXPECT_EQ(test::ErrorMessage<EVariantInvalidOpError>([] { VarArrayLowBound(Variant(1), 1); }),
              "Variant is not an array");
    EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);
    EXPECT_THROW(VarArrayCreate({}), EVariantError);
    EXPECT_THROW(VarArrayCreate({{0, 1 << 30}}), EVariantError);
    EXPECT_EQ(test::ErrorMessage<EVariantTypeCastError>([&] { list.AsInteger(); }),
              "Could not convert variant of type (Array) into type (Integer)");
}
