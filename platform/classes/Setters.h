// Property setters store a value only when it differs, then repaint,
// recreate or recompute:
//
//   void TMyPanel::SetBevelWidth(int v) {
//       if (!Change(bevelWidth_, v)) return;
//       Invalidate();
//   }
#pragma once

#include <utility>

namespace menvaro {

// Stores `value` in `field` when the two differ; answers whether it did.
template <class T, class U>
bool Change(T& field, U&& value) {
    if (field == value) return false;
    field = std::forward<U>(value);
    return true;
}

}  // namespace menvaro
