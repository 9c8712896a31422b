#include "base/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "base/Exceptions.h"
#include "base/FloatFormat.h"
#include "base/FormatSettings.h"

namespace menvaro {

std::string IntToStr(std::int64_t v) { return std::to_string(v); }

std::string IntToHex(std::uint64_t v, int digits) {
    // By hand: a crash report prints thousands of these.
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char buf[16];
    int n = 0;
    do {
        buf[15 - n++] = kDigits[v & 0xF];
        v >>= 4;
    } while (v != 0);
    const int wanted = digits < 0 ? 0 : (digits > 16 ? 16 : digits);
    while (n < wanted) buf[15 - n++] = '0';
    return std::string(buf + 16 - n, static_cast<std::size_t>(n));
}

bool TryStrToInt64(std::string_view text, std::int64_t& result) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16, ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16, i += 2;
    }
    if (i >= text.size()) return false;
    unsigned long long v = 0;
    const unsigned long long limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        if (v > (limit - static_cast<unsigned>(digit)) / static_cast<unsigned>(base)) return false;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    result = negative ? static_cast<std::int64_t>(0 - v) : static_cast<std::int64_t>(v);
    return true;
}

bool TryStrToInt(std::string_view text, int& result) {
    std::int64_t v;
    if (!TryStrToInt64(text, v) || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    result = static_cast<int>(v);
    return true;
}

int StrToInt(std::string_view text) {
    int r;
    if (!TryStrToInt(text, r)) throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return r;
}

std::int64_t StrToInt64(std::string_view text) {
    std::int64_t r;
    if (!TryStrToInt64(text, r)) throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return r;
}

int StrToIntDef(std::string_view text, int def) {
    int r;
    return TryStrToInt(text, r) ? r : def;
}

std::string FloatToStr(double v) { return FloatToStrF(v, ffGeneral, 15, 0); }

bool TryStrToFloat(std::string_view text, double& result) {
    const char sep = FormatSettings().DecimalSeparator;
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ') ++i;
    while (n > i && text[n - 1] == ' ') --n;
    std::string c;
    std::size_t k = i;
    if (k < n && (text[k] == '+' || text[k] == '-')) c += text[k++];
    bool anyDigit = false;
    while (k < n && text[k] >= '0' && text[k] <= '9') c += text[k++], anyDigit = true;
    if (k < n && text[k] == sep) {
        c += '.';
        ++k;
        while (k < n && text[k] >= '0' && text[k] <= '9') c += text[k++], anyDigit = true;
    }
    if (!anyDigit) return false;
    if (k < n && (text[k] == 'e' || text[k] == 'E')) {
        c += 'e';
        ++k;
        if (k < n && (text[k] == '+' || text[k] == '-')) c += text[k++];
        bool expDigit = false;
        while (k < n && text[k] >= '0' && text[k] <= '9') c += text[k++], expDigit = true;
        if (!expDigit) return false;
    }
    if (k != n) return false;
    char* end = nullptr;
    const double v = std::strtod(c.c_str(), &end);
    if (end != c.c_str() + c.size() || std::isinf(v)) return false;
    result = v;
    return true;
}

double StrToFloat(std::string_view text) {
    double r;
    if (!TryStrToFloat(text, r)) throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return r;
}

}  // namespace menvaro
