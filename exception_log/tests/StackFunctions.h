// A chain of calls whose lines are known, in a program built with the
// logger's build step: Outer calls Middle directly, Middle calls Inner
// through a pointer, Inner copies the stack where it stands.
#pragma once

#include "ExceptionLog.h"

namespace stackfn {

int Outer(int x, menvaro::TStackSnapshot& stack);
int Middle(int x, menvaro::TStackSnapshot& stack);
int Inner(int x, menvaro::TStackSnapshot& stack);

extern const int kOuterLine, kOuterCallLine, kMiddleLine, kMiddleCallLine, kInnerLine, kInnerCallLine;

}  // namespace stackfn
