#include "usb_device/DebugOutput.h"

#include <unistd.h>

#include <cstring>
#include <algorithm>

namespace menvaro::quellin {

void DebugString(const char* text) noexcept {
    char line[64];
    const std::size_t n = std::min(std::strlen(text), sizeof line - 1);
    std::memcpy(line, text, n);
    line[n] = '\n';
    // One write, so that lines of other threads do not break into it.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, n + 1);
}

}  // namespace menvaro::quellin
