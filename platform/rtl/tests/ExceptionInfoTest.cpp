#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "rtl/ExceptionInfo.h"

using namespace menvaro;

namespace outer::inner {
struct EBase : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct EMixin {
    virtual ~EMixin() = default;
};
struct EBoth : EBase, EMixin {
    EBoth() : EBase("both") {}
};
struct TPlain {};
}  // namespace outer::inner

TEST(ExceptionInfo, TheClassItsAncestorsAndItsMessage) {
    const std::exception_ptr both = std::make_exception_ptr(outer::inner::EBoth());
    EXPECT_EQ(ExceptionTypeName(both), "EBoth");
    EXPECT_EQ(ExceptionAncestors(both), (std::vector<std::string>{"EBase", "EMixin", "runtime_error", "exception"}));
    std::string message;
    ASSERT_TRUE(ExceptionMessage(both, message));
    EXPECT_EQ(message, "both");

    const std::exception_ptr plain = std::make_exception_ptr(outer::inner::TPlain());
    EXPECT_EQ(ExceptionTypeName(plain), "TPlain");
    EXPECT_TRUE(ExceptionAncestors(plain).empty());
    EXPECT_FALSE(ExceptionMessage(plain, message));

    const std::exception_ptr number = std::make_exception_ptr(42);
    EXPECT_EQ(ExceptionTypeName(number), "int");
    EXPECT_TRUE(ExceptionAncestors(number).empty());

    EXPECT_EQ(ExceptionTypeName(nullptr), "");
    EXPECT_TRUE(ExceptionAncestors(nullptr).empty());
    EXPECT_FALSE(ExceptionMessage(nullptr, message));
    EXPECT_EQ(TypeName(typeid(outer::inner::EBase)), "outer::inner::EBase");
}
