#include "base/Strings.h"

#include <algorithm>

namespace menvaro {

namespace {
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
}  // namespace

std::string TrimLeft(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsTrimmed(s[i])) ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && IsTrimmed(s[n - 1])) --n;
    return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

std::string UpperCase(std::string_view s) {
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), Upper);
    return r;
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), Lower);
    return r;
}

int CompareStr(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Lower(a[i]));
        const auto y = static_cast<unsigned char>(Lower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

std::vector<std::string> SplitString(std::string_view s, char delimiter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = s.find(delimiter, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            return parts;
        }
        parts.emplace_back(s.substr(start, at - start));
        start = at + 1;
    }
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    std::string r;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = from.empty() ? std::string_view::npos : s.find(from, start);
        if (at == std::string_view::npos) {
            r.append(s.substr(start));
            return r;
        }
        r.append(s.substr(start, at - start)).append(to);
        start = at + from.size();
    }
}

bool StartsText(std::string_view prefix, std::string_view s) {
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(std::string_view suffix, std::string_view s) {
    return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

}  // namespace menvaro
