#include "StackFunctions.h"

namespace stackfn {

namespace {

// Read through a volatile slot, so the call cannot be made direct.
int (*volatile g_inner)(int, menvaro::TStackSnapshot&) = &Inner;

}  // namespace

// Each uses the result of its call, so that no call becomes a jump.
const int kOuterLine = __LINE__ + 1;
__attribute__((noipa)) int Outer(int x, menvaro::TStackSnapshot& stack) {
    const int r = Middle(x + 1, stack);
    return r * 2;
}
const int kOuterCallLine = kOuterLine + 1;

const int kMiddleLine = __LINE__ + 1;
__attribute__((noipa)) int Middle(int x, menvaro::TStackSnapshot& stack) {
    const int r = g_inner(x + 1, stack);
    return r + 3;
}
const int kMiddleCallLine = kMiddleLine + 1;

const int kInnerLine = __LINE__ + 1;
__attribute__((noipa)) int Inner(int x, menvaro::TStackSnapshot& stack) {
    stack = menvaro::TakeCurrentStackSnapshot();
    return x + static_cast<int>(stack.Bytes.size() % 7);
}
const int kInnerCallLine = kInnerLine + 1;

}  // namespace stackfn
