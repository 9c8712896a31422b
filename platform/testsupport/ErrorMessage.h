// The message of the error that a piece of code must raise, for the tests
// of exact error texts.
#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <typeinfo>
#include <utility>

namespace menvaro::test {

// The readable name of a type.
std::string TypeName(const std::type_info& type);

// Runs `fn`, which must raise an E, and answers that error's message. No
// error, or one of another kind, fails the test, and the answer is "".
template <class E, class F>
std::string ErrorMessage(F&& fn) {
    try {
        std::forward<F>(fn)();
    } catch (const E& e) {
        return e.what();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "expected " << TypeName(typeid(E)) << ", but " << TypeName(typeid(e))
                      << " was raised: " << e.what();
        return {};
    }
    ADD_FAILURE() << "expected " << TypeName(typeid(E)) << ", but nothing was raised";
    return {};
}

}  // namespace menvaro::test
