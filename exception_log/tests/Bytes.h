// Bytes as the tests compare them.
#pragma once

#include <cstddef>
#include <string>

namespace menvaro::test {

// "01 0A FF": each byte as two upper-case hexadecimal digits.
inline std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string h;
    for (unsigned char c : bytes) {
        if (!h.empty()) h += ' ';
        h += digits[c >> 4];
        h += digits[c & 15];
    }
    return h;
}

}  // namespace menvaro::test
