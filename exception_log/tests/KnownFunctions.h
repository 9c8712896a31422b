// Functions whose lines are known, in a program built with the logger's
// build step: the line of each one's name, and of a call inside it.
#pragma once

#include <cstdint>

namespace known {

struct TWidget {
    static int Paint(int x);
    int Resize(int by);
    int size = 1;
};

int Plain(int x);

// Where each call inside them returned to, once they ran.
extern std::uintptr_t g_paintCall, g_resizeCall, g_plainCall;
extern const int kPaintLine, kPaintCallLine, kResizeLine, kResizeCallLine, kPlainLine, kPlainCallLine;

}  // namespace known

extern "C" int known_c_function(int x);
extern const int kKnownCLine;
