// The expression evaluator: precedence, left to right, 32-bit arithmetic,
// replacing each operation where it stands, and its errors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "decorated/fxEvaluator.h"
#include "testsupport/ErrorMessage.h"

using namespace menvaro;

TEST(FxEvaluator, PrecedenceAndOrder) {
    const std::pair<const char*, int> cases[] = {
        {"2+3*4", 14},
        {"8/2*2", 8},
        {"7/2", 3},
        {"2-5-1", -4},
        {"10 - 12", -2},
        {"99-1", 98},
        {"12*3+2*3", 42},
        {"2*3+12*3", 42},
        {"2*3+2*3", 12},
        {"3-10/2*3", -12},
        {"0-7/2", -3},
        {" 5", 5},
        {"42", 42},
        {"1+2+3+4*5", 26},
        {"100/7/2", 7},
        // Each operation is replaced where it stands: replacing every "1 - 2"
        // in the text at once would leave "-1 - -1", that is 0.
        {"1-2-1-2", -4},
        {"5-2-5-2", -4},
    };
    for (auto [text, value] : cases) EXPECT_EQ(TfxEvaluator::Evaluate(text), value) << text;
}

TEST(FxEvaluator, ArithmeticIsThirtyTwoBits) {
    EXPECT_EQ(TfxEvaluator::Evaluate("2147483647+1"), INT_MIN);
    EXPECT_EQ(TfxEvaluator::Evaluate("65536*32768"), INT_MIN);
    EXPECT_EQ(TfxEvaluator::Evaluate("65535*65537"), -1);
    EXPECT_EQ(TfxEvaluator::Evaluate("0-2147483647-2"), INT_MAX);
    EXPECT_EQ(TfxEvaluator::Evaluate("65536*32768/2"), -1073741824);
}

TEST(FxEvaluator, BadInputRaises) {
    const std::string characters = "Only alpha characters \"+\", \"-\", \"x\", and \"/\" are allowed.";
    for (const char* text : {"2.5*2", "(1+2)", "2x3", "a", "1+\t2", "五"})
        EXPECT_EQ(test::ErrorMessage<EInvalidOperation>([&] { TfxEvaluator::Evaluate(text); }), characters) << text;
    EXPECT_EQ(test::ErrorMessage<EInvalidOperation>([] { TfxEvaluator::Evaluate("5/0"); }), "Divide By Zero Error");
    EXPECT_EQ(test::ErrorMessage<EInvalidOperation>([] { TfxEvaluator::Evaluate("1+5/0"); }), "Divide By Zero Error");
    // A leading or doubled operator leaves an empty operand; a comma, a
    // trailing blank or a number out of range is no integer either.
    for (const char* text : {"-5", "5-", "2**3", "1,000+1", "5 ", "", "2147483648", "3+-1"})
        EXPECT_THROW(TfxEvaluator::Evaluate(text), EConvertError) << text;
    EXPECT_EQ(test::ErrorMessage<EConvertError>([] { TfxEvaluator::Evaluate("-5"); }),
              "'' is not a valid integer value");
}

TEST(FxEvaluator, InnerSteps) {
    EXPECT_NO_THROW(TfxEvaluator::CheckCharacters(" 0123456789*+,-/"));
    std::string text = "1+2  *3-4/5";
    TfxEvaluator::SpaceOperators(text);
    EXPECT_EQ(text, "1 + 2 * 3 - 4 / 5");
    int op = -1;
    std::string left, right;
    ASSERT_TRUE(TfxEvaluator::FindOperator(text, TfxEvaluator::MultiplicativeSet, op, left, right));
    EXPECT_EQ(op, TfxEvaluator::opMultiply);
    EXPECT_EQ(left, "2");
    EXPECT_EQ(right, "3");
    ASSERT_TRUE(TfxEvaluator::FindOperator(text, TfxEvaluator::AdditiveSet, op, left, right));
    EXPECT_EQ(op, TfxEvaluator::opAdd);
    EXPECT_EQ(left, "1");
    ASSERT_TRUE(TfxEvaluator::FindOperator("9 - -3", TfxEvaluator::AdditiveSet, op, left, right));
    EXPECT_EQ(op, TfxEvaluator::opSubtract);
    EXPECT_EQ(right, "-3") << "a negative result is one token";
    EXPECT_FALSE(TfxEvaluator::FindOperator("1 + 2", TfxEvaluator::MultiplicativeSet, op, left, right));
}
