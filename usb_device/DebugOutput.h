// The library's debug strings ("Init", "out1"): one line each on stderr.
#pragma once

namespace menvaro::quellin {

void DebugString(const char* text) noexcept;

}  // namespace menvaro::quellin
