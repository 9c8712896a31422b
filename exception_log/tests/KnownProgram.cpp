// A program built with the logger's build step that prints where its code,
// its stack and its heap lie, for the test that its code stays put.
#include <cstdio>
#include <memory>

#include "KnownFunctions.h"

int main() {
    int local = 0;
    const auto heap = std::make_unique<int>(1);
    std::printf("code %p %p\n", reinterpret_cast<void*>(&known_c_function),
                reinterpret_cast<void*>(&known::TWidget::Paint));
    std::printf("stack %p heap %p\n", static_cast<void*>(&local), static_cast<void*>(heap.get()));
    return known_c_function(local) > 0 ? 0 : 1;
}
