// Kept apart, so that the throw's line is known: it is line kThrowLine.
#include "HookFunctions.h"

#include <string>

#include "base/Exceptions.h"

namespace hookfn {

__attribute__((noinline)) void ThrowConvertError(int n) {
    const std::string text = "Bad number " + std::to_string(n);
    // The throw:
    throw menvaro::EConvertError(text);
}

}  // namespace hookfn
