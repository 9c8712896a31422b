#include "KnownFunctions.h"

namespace known {

std::uintptr_t g_paintCall = 0, g_resizeCall = 0, g_plainCall = 0;

namespace {

// Where its caller goes on after the call.
__attribute__((noinline)) std::uintptr_t Here() {
    asm volatile("");
    return reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
}

}  // namespace

const int kPaintLine = __LINE__ + 1;
__attribute__((noinline)) int TWidget::Paint(int x) {
    const int kept = x * 3;
    g_paintCall = Here();
    return kept + 1;
}
const int kPaintCallLine = kPaintLine + 2;

const int kResizeLine = __LINE__ + 1;
__attribute__((noinline)) int TWidget::Resize(int by) {
    size += by;
    g_resizeCall = Here();
    return size;
}
const int kResizeCallLine = kResizeLine + 2;

const int kPlainLine = __LINE__ + 1;
__attribute__((noinline)) int Plain(int x) {
    if (x < 0) return -x;
    g_plainCall = Here();
    return x + 2;
}
const int kPlainCallLine = kPlainLine + 2;

}  // namespace known

const int kKnownCLine = __LINE__ + 1;
extern "C" __attribute__((noinline)) int known_c_function(int x) { return known::Plain(x) + known::TWidget::Paint(x); }
