// Routines of known lines for the hook tests' program.
#pragma once

#include <string>

namespace hookfn {

// The line of the throw in ThrowConvertError.
inline constexpr int kThrowLine = 13;

[[noreturn]] void ThrowConvertError(int n);

// A report's call stack has the row of the throw: its procedure and line.
inline bool NamesTheThrowSite(const std::string& report) {
    const std::string line = "|" + std::to_string(kThrowLine);
    for (std::size_t at = report.find("|ThrowConvertError"); at != std::string::npos;
         at = report.find("|ThrowConvertError", at + 1)) {
        const std::string row = report.substr(at, report.find("\r\n", at) - at);
        if (row.find(line + " ") != std::string::npos || row.find(line + "|") != std::string::npos) return true;
    }
    return false;
}

// The report's item `item` ("2.4") holds `value`, after its aligned ": ".
inline bool HasItem(const std::string& report, const std::string& item, const std::string& value) {
    const std::size_t at = report.find("\r\n  " + item + " ");
    if (at == std::string::npos) return false;
    const std::size_t colon = report.find(": ", at);
    const std::size_t end = report.find("\r\n", at + 2);
    return colon < end && report.substr(colon + 2, end - colon - 2) == value;
}

}  // namespace hookfn
