#include "data/EngineText.h"

#include <charconv>
#include <limits>

#include "base/CodePage.h"
#include "base/Exceptions.h"

namespace menvaro {

namespace {

bool Digits(std::string_view s, std::size_t at, std::size_t count, int& value) {
    if (at + count > s.size()) return false;
    value = 0;
    for (std::size_t k = at; k < at + count; ++k) {
        if (s[k] < '0' || s[k] > '9') return false;
        value = value * 10 + (s[k] - '0');
    }
    return true;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

bool TryParseIsoDateTime(std::string_view text, TDateTime& result) {
    const std::string_view s = TrimBlanks(text);
    int year, month, day;
    if (!Digits(s, 0, 4, year) || s.size() < 10 || s[4] != '-' || !Digits(s, 5, 2, month) || s[7] != '-' ||
        !Digits(s, 8, 2, day))
        return false;
    TDateTime date;
    if (!TryEncodeDate(year, month, day, date)) return false;
    if (s.size() == 10) {
        result = date;
        return true;
    }
    int hour, minute, second = 0, ms = 0;
    if ((s[10] != ' ' && s[10] != 'T') || !Digits(s, 11, 2, hour) || s.size() < 16 || s[13] != ':' ||
        !Digits(s, 14, 2, minute))
        return false;
    std::size_t i = 16;
    if (i < s.size()) {
        if (s[i] != ':' || !Digits(s, i + 1, 2, second)) return false;
        i += 3;
        if (i < s.size()) {
            if (s[i] != '.' || i + 1 >= s.size()) return false;
            // Milliseconds from the first three digits of the fraction.
            double scale = 100;
            double fraction = 0;
            for (++i; i < s.size(); ++i) {
                if (s[i] < '0' || s[i] > '9') return false;
                fraction += (s[i] - '0') * scale;
                scale /= 10;
            }
            ms = static_cast<int>(fraction);
        }
    }
    if (hour > 23 || minute > 59 || second > 59) return false;
    const TDateTime time = EncodeTime(hour, minute, second, ms);
    result = date < 0 ? date - time : date + time;
    return true;
}

bool TryParseNumber(std::string_view text, double& result) {
    std::string_view s = TrimBlanks(text);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), result);
    return ec == std::errc() && end == s.data() + s.size();
}

bool TryParseCurrency(std::string_view text, std::int64_t& scaled) {
    std::string_view s = TrimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return false;
    unsigned __int128 v = 0;
    int decimals = -1;  // -1 until the point is seen
    bool roundUp = false;
    bool any = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '.') {
            if (decimals >= 0) return false;
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9') return false;
        any = true;
        if (decimals >= 4) {
            if (decimals == 4) roundUp = c >= '5';
            ++decimals;
            continue;
        }
        v = v * 10 + static_cast<unsigned>(c - '0');
        if (decimals >= 0) ++decimals;
        if (v > static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max()) * 10) return false;
    }
    if (!any) return false;
    for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d) v *= 10;
    if (roundUp) ++v;
    const unsigned __int128 limit =
        static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    if (v > limit) return false;
    scaled = negative ? static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(v)) : static_cast<std::int64_t>(v);
    return true;
}

int FixedCharWidth(std::string_view utf8, TFieldType type) {
    bool ascii = true;
    for (char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return static_cast<int>(utf8.size());
    if (type == TFieldType::ftFixedWideChar) {
        int units = 0;
        for (std::size_t i = 0; i < utf8.size();) units += NextCodePoint(utf8, i) > 0xFFFF ? 2 : 1;
        return units;
    }
    try {
        return static_cast<int>(Utf8ToGbk(utf8).size());
    } catch (const EConvertError&) {
        // Damaged text: count every byte, which never pads too much.
        return static_cast<int>(utf8.size());
    }
}

void PadFixedChar(std::string& value, TFieldType type, int size) {
    const int width = FixedCharWidth(value, type);
    if (width < size) value.append(static_cast<std::size_t>(size - width), ' ');
}

}  // namespace menvaro
