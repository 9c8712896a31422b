// A value shared between threads that cannot be one machine word: read and
// replaced whole under a lock that is held only while the value is copied or
// swapped. Replaced values are destroyed after the lock is let go, so
// closing a device never happens under it.
#pragma once

#include <mutex>
#include <utility>

namespace menvaro::quellin {

template <typename T>
class Locked {
public:
    T Load() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return value_;
    }
    T Exchange(T value) {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::swap(value_, value);
        return value;
    }
    void Store(T value) { Exchange(std::move(value)); }
    // Replaces the value with `desired` when it equals `expected`.
    bool CompareExchange(const T& expected, T desired) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!(value_ == expected)) return false;
            std::swap(value_, desired);
        }
        return true;
    }

private:
    mutable std::mutex mutex_;
    T value_{};
};

}  // namespace menvaro::quellin
