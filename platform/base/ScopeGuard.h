// Cleanup written once, beside what it undoes: the callable runs when the
// scope ends, by return or by exception.
//
//   Screen->SetCursor(crHourGlass);
//   ScopeGuard restore([&] { Screen->SetCursor(saved); });
//
// Dismiss() keeps it from running (the work was handed on or committed).
// Guards run in the reverse order of their declaration, as destructors do.
#pragma once

#include <exception>
#include <type_traits>
#include <utility>

namespace menvaro {

template <class F>
class ScopeGuard {
public:
    explicit ScopeGuard(F fn) noexcept(std::is_nothrow_move_constructible_v<F>)
        : fn_(std::move(fn)), uncaught_(std::uncaught_exceptions()) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

    // A cleanup that fails on a normal exit raises from here. While another
    // exception passes, its failure is dropped: the first error is the one
    // the caller should see (and a second one would end the program).
    ~ScopeGuard() noexcept(false) {
        if (!active_) return;
        if (std::uncaught_exceptions() > uncaught_) {
            try {
                fn_();
            } catch (...) {
            }
        } else {
            fn_();
        }
    }

    void Dismiss() noexcept { active_ = false; }

private:
    F fn_;
    int uncaught_;
    bool active_ = true;
};

template <class F>
ScopeGuard(F) -> ScopeGuard<F>;

}  // namespace menvaro
