// The number texts of FloatFormat.h and Currency.h: one decimal form of a
// value (digits and the place of the point), rounded once, then laid out.
#include "base/FloatFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/Currency.h"
#include "base/Exceptions.h"
#include "base/FormatSettings.h"
#include "base/NumberText.h"

namespace menvaro {

namespace {

constexpr int kNoLimit = 1 << 20;

// value = 0.digits × 10^exponent; digits carry no trailing zeros and are
// empty for zero, which is never negative.
struct TDecimal {
    bool negative = false;
    int exponent = 0;
    std::string digits;

    bool IsZero() const { return digits.empty(); }
    // The digit at `place` counted from the first one (negative places are
    // the zeros before it).
    char DigitAt(long place) const {
        return place >= 0 && place < static_cast<long>(digits.size()) ? digits[static_cast<std::size_t>(place)] : '0';
    }
    void Normalize() {
        while (!digits.empty() && digits.back() == '0') digits.pop_back();
        if (digits.empty()) negative = false, exponent = 0;
    }
};

TDecimal DecimalOf(double v) {
    TDecimal d;
    if (v == 0) return d;
    char buf[48];
    // 18 significant digits, correctly rounded: "d.ddddddddddddddddde+XX".
    std::snprintf(buf, sizeof buf, "%.17e", std::fabs(v));
    d.negative = v < 0;
    d.digits.assign(1, buf[0]);
    const char* e = buf + 2;
    while (*e != 'e') d.digits += *e++;
    d.exponent = std::atoi(e + 1) + 1;
    d.Normalize();
    return d;
}

TDecimal DecimalOf(Currency c) {
    TDecimal d;
    const bool negative = c.Scaled < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(c.Scaled)
                                             : static_cast<std::uint64_t>(c.Scaled);
    if (magnitude == 0) return d;
    d.negative = negative;
    d.digits = std::to_string(magnitude);
    d.exponent = static_cast<int>(d.digits.size()) - 4;
    d.Normalize();
    return d;
}

// Half away from zero, to at most `precision` significant digits and
// `decimals` digits after the point.
void Round(TDecimal& d, int precision, int decimals) {
    if (d.IsZero()) return;
    long keep = precision;
    if (decimals < kNoLimit) keep = std::min<long>(keep, static_cast<long>(d.exponent) + decimals);
    if (keep >= static_cast<long>(d.digits.size())) return;
    if (keep < 0) {
        d.digits.clear();
        d.Normalize();
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        while (!d.digits.empty() && d.digits.back() == '9') d.digits.pop_back();
        if (d.digits.empty()) {
            d.digits = "1";
            ++d.exponent;
        } else {
            ++d.digits.back();
        }
    }
    d.Normalize();
}

std::string ExponentDigits(int e, int minDigits) {
    std::string s = std::to_string(e < 0 ? -e : e);
    if (static_cast<int>(s.size()) < minDigits) s.insert(0, static_cast<std::size_t>(minDigits) - s.size(), '0');
    return s;
}

// Digits grouped by three from the right with the thousand separator.
std::string Grouped(const std::string& digits) {
    const char sep = FormatSettings().ThousandSeparator;
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        out += digits[i];
        const std::size_t left = digits.size() - 1 - i;
        if (left > 0 && left % 3 == 0) out += sep;
    }
    return out;
}

std::string GeneralText(const TDecimal& d, int precision, int expDigits) {
    if (d.IsZero()) return "0";
    const char sep = FormatSettings().DecimalSeparator;
    std::string out = d.negative ? "-" : "";
    if (d.exponent > precision || d.exponent < -3) {
        out += d.digits[0];
        if (d.digits.size() > 1) out += sep + d.digits.substr(1);
        const int e = d.exponent - 1;
        out += 'E';
        if (e < 0) out += '-';
        return out + ExponentDigits(e, expDigits);
    }
    if (d.exponent <= 0) {
        out += '0';
        out += sep;
        out.append(static_cast<std::size_t>(-d.exponent), '0');
        return out + d.digits;
    }
    for (int i = 0; i < d.exponent; ++i) out += d.DigitAt(i);
    if (static_cast<int>(d.digits.size()) > d.exponent)
        out += sep + d.digits.substr(static_cast<std::size_t>(d.exponent));
    return out;
}

std::string ExponentText(const TDecimal& d, int precision, int expDigits) {
    const char sep = FormatSettings().DecimalSeparator;
    std::string out = d.negative ? "-" : "";
    out += d.DigitAt(0);
    if (precision > 1) {
        out += sep;
        for (int i = 1; i < precision; ++i) out += d.DigitAt(i);
    }
    const int e = d.IsZero() ? 0 : d.exponent - 1;
    out += e < 0 ? "E-" : "E+";
    return out + ExponentDigits(e, expDigits);
}

// The magnitude with `decimals` digits after the point.
std::string FixedMagnitude(const TDecimal& d, int decimals, bool thousands) {
    std::string integer;
    for (int i = 0; i < d.exponent; ++i) integer += d.DigitAt(i);
    if (integer.empty()) integer = "0";
    std::string out = thousands ? Grouped(integer) : integer;
    if (decimals > 0) {
        out += FormatSettings().DecimalSeparator;
        for (int i = 0; i < decimals; ++i) out += d.DigitAt(static_cast<long>(d.exponent) + i);
    }
    return out;
}

std::string CurrencyText(const std::string& n, bool negative) {
    const TFormatSettings& fs = FormatSettings();
    const std::string& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
            case 1: return n + c;
            case 2: return c + " " + n;
            case 3: return n + " " + c;
            default: return c + n;
        }
    }
    switch (fs.NegCurrFormat) {
        case 1: return "-" + c + n;
        case 2: return c + "-" + n;
        case 3: return c + n + "-";
        case 4: return "(" + n + c + ")";
        case 5: return "-" + n + c;
        case 6: return n + "-" + c;
        case 7: return n + c + "-";
        case 8: return "-" + n + " " + c;
        case 9: return "-" + c + " " + n;
        case 10: return n + " " + c + "-";
        case 11: return c + " " + n + "-";
        case 12: return c + " -" + n;
        case 13: return n + "- " + c;
        case 14: return "(" + c + " " + n + ")";
        case 15: return "(" + n + " " + c + ")";
        default: return "(" + c + n + ")";
    }
}

// The text of a decimal form, rounding it as `format` asks.
std::string DecimalText(TDecimal d, TFloatFormat format, int precision, int digits) {
    switch (format) {
        case ffExponent: Round(d, precision, kNoLimit); return ExponentText(d, precision, std::clamp(digits, 0, 4));
        case ffFixed:
        case ffNumber:
        case ffCurrency: {
            digits = std::clamp(digits, 0, 18);
            TDecimal general = d;
            Round(d, precision, digits);
            if (d.exponent > precision) {
                Round(general, precision, kNoLimit);
                return GeneralText(general, precision, 0);
            }
            const std::string n = FixedMagnitude(d, digits, format != ffFixed);
            if (format == ffCurrency) return CurrencyText(n, d.negative);
            return d.negative ? "-" + n : n;
        }
        default: Round(d, precision, kNoLimit); return GeneralText(d, precision, std::clamp(digits, 0, 4));
    }
}

bool SpecialValue(double v, std::string& text) {
    if (std::isnan(v))
        text = "NAN";
    else if (std::isinf(v))
        text = v < 0 ? "-INF" : "INF";
    else
        return false;
    return true;
}

// One section of a format string, as its placeholders shape the number.
struct TSection {
    std::string_view text;
    int digitCount = 0;    // '0' and '#' placeholders, exponent zeros not counted
    int decimalIndex = 0;  // placeholders before the first '.'
    int minInt = 0;        // integer digits always shown (from the leftmost '0')
    int minFrac = 0;       // decimals always shown (to the rightmost '0')
    bool thousands = false;
    bool scientific = false;
};

// Index of the quote closing the one at `i`, or the end.
std::size_t SkipQuoted(std::string_view s, std::size_t i) {
    const std::size_t close = s.find(s[i], i + 1);
    return close == std::string_view::npos ? s.size() : close;
}

std::vector<std::string_view> SplitSections(std::string_view f) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    for (std::size_t i = 0; i < f.size() && sections.size() < 2; ++i) {
        if (f[i] == '"' || f[i] == '\'')
            i = SkipQuoted(f, i);
        else if (f[i] == ';')
            sections.push_back(f.substr(start, i - start)), start = i + 1;
    }
    std::string_view last = f.substr(std::min(start, f.size()));
    // A fourth section and beyond are ignored.
    for (std::size_t i = 0; i < last.size(); ++i) {
        if (last[i] == '"' || last[i] == '\'') {
            i = SkipQuoted(last, i);
        } else if (last[i] == ';') {
            last = last.substr(0, i);
            break;
        }
    }
    sections.push_back(last);
    return sections;
}

TSection ScanSection(std::string_view s) {
    TSection sec;
    sec.text = s;
    int decimalIndex = -1, firstZero = -1, lastZero = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        switch (s[i]) {
            case '"':
            case '\'': i = SkipQuoted(s, i); break;
            case '0':
                if (firstZero < 0) firstZero = sec.digitCount;
                lastZero = ++sec.digitCount;
                break;
            case '#': ++sec.digitCount; break;
            case '.':
                if (decimalIndex < 0) decimalIndex = sec.digitCount;
                break;
            case ',': sec.thousands = true; break;
            case 'E':
            case 'e':
                if (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
                    sec.scientific = true;
                    ++i;
                    while (i + 1 < s.size() && s[i + 1] == '0') ++i;
                }
                break;
            default: break;
        }
    }
    sec.decimalIndex = decimalIndex < 0 ? sec.digitCount : decimalIndex;
    sec.minInt = firstZero < 0 ? 0 : std::max(0, sec.decimalIndex - firstZero);
    sec.minFrac = std::max(0, lastZero - sec.decimalIndex);
    return sec;
}

// Lays out the magnitude `d` (already rounded for the section) along the
// section's characters. Scientific sections show `exponent`.
std::string ApplySection(const TSection& sec, const TDecimal& d, int exponent) {
    const TFormatSettings& fs = FormatSettings();
    const int places = sec.decimalIndex;
    // Integer digits, and decimals without the trailing zeros not asked for.
    std::string integer;
    long first;  // place of the first decimal among the digits
    if (sec.scientific) {
        if (d.IsZero())
            integer.assign(static_cast<std::size_t>(std::min(places, std::max(1, sec.minInt))), '0');
        else
            for (int i = 0; i < places; ++i) integer += d.DigitAt(i);
        first = places;
    } else {
        for (int i = 0; i < d.exponent; ++i) integer += d.DigitAt(i);
        if (static_cast<int>(integer.size()) < sec.minInt)
            integer.insert(0, static_cast<std::size_t>(sec.minInt) - integer.size(), '0');
        first = d.exponent;
    }
    std::string fraction;
    for (int i = 0; i < sec.digitCount - places; ++i) fraction += d.DigitAt(first + i);
    while (static_cast<int>(fraction.size()) > sec.minFrac && fraction.back() == '0') fraction.pop_back();

    const long n = static_cast<long>(integer.size());
    std::string out;
    auto put = [&](long from, long to) {
        for (long j = std::max(from, 0L); j <= to && j < n; ++j) {
            out += integer[static_cast<std::size_t>(j)];
            const long left = n - 1 - j;
            if (sec.thousands && left > 0 && left % 3 == 0) out += fs.ThousandSeparator;
        }
    };
    int placeholder = 0;
    bool pointSeen = false, exponentDone = false;
    const std::string_view s = sec.text;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        switch (c) {
            case '0':
            case '#': {
                if (placeholder < places) {
                    // Digits beyond the placeholders go with the first one.
                    const long to = placeholder + (n - places);
                    put(placeholder == 0 ? 0 : to, to);
                } else {
                    const int k = placeholder - places;
                    if (k < static_cast<int>(fraction.size())) out += fraction[static_cast<std::size_t>(k)];
                }
                ++placeholder;
                break;
            }
            case '.':
                if (!pointSeen) {
                    pointSeen = true;
                    if (places == 0) put(0, n - 1);
                    if (!fraction.empty()) out += fs.DecimalSeparator;
                }
                break;
            case ',': break;
            case '"':
            case '\'': {
                const std::size_t close = SkipQuoted(s, i);
                out.append(s.substr(i + 1, close - i - 1));
                i = close;
                break;
            }
            case 'E':
            case 'e':
                if (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
                    const bool alwaysSign = s[i + 1] == '+';
                    ++i;
                    int zeros = 0;
                    while (i + 1 < s.size() && s[i + 1] == '0') ++i, ++zeros;
                    if (!exponentDone) {
                        exponentDone = true;
                        out += c;
                        if (exponent < 0)
                            out += '-';
                        else if (alwaysSign)
                            out += '+';
                        out += ExponentDigits(exponent, std::clamp(zeros, 1, 4));
                    }
                } else {
                    out += c;
                }
                break;
            default: out += c; break;
        }
    }
    return out;
}

}  // namespace

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
    std::string special;
    if (SpecialValue(value, special)) return special;
    return DecimalText(DecimalOf(value), format, std::clamp(precision, 1, 18), digits);
}

std::string FormatFloat(std::string_view format, double value) {
    std::string special;
    if (SpecialValue(value, special)) return special;
    const std::vector<std::string_view> sections = SplitSections(format);
    if (sections[0].empty()) return FloatToStrF(value, ffGeneral, 15, 0);
    auto pick = [&](std::size_t i) { return i < sections.size() && !sections[i].empty() ? i : 0; };
    std::size_t index = value > 0 ? 0 : pick(value < 0 ? 1 : 2);
    TSection sec = ScanSection(sections[index]);
    TDecimal d = DecimalOf(std::fabs(value));
    if (sec.scientific)
        Round(d, std::clamp(sec.digitCount, 1, 18), kNoLimit);
    else
        Round(d, 18, sec.digitCount - sec.decimalIndex);
    if (!sec.scientific && d.exponent > 18) return FloatToStrF(value, ffGeneral, 15, 0);
    if (d.IsZero() && value != 0) {
        // Rounded away to nothing: shown as a zero.
        index = pick(2);
        sec = ScanSection(sections[index]);
    }
    const std::string body = ApplySection(sec, d, d.IsZero() ? 0 : d.exponent - sec.decimalIndex);
    return value < 0 && !d.IsZero() && index == 0 ? "-" + body : body;
}

bool TryFloatToCurr(double value, Currency& result) {
    if (!std::isfinite(value)) return false;
    // The scaled amount in extended precision, rounded half to even.
    const long double scaled = std::nearbyint(static_cast<long double>(value) * 10000.0L);
    if (!(scaled >= -9223372036854775808.0L && scaled < 9223372036854775808.0L)) return false;
    result = Currency::FromScaled(static_cast<std::int64_t>(scaled));
    return true;
}

Currency FloatToCurr(double value) {
    Currency c;
    if (!TryFloatToCurr(value, c)) throw EConvertError("'" + FloatToStr(value) + "' is not a valid currency value");
    return c;
}

std::string CurrToStr(Currency value) { return CurrToStrF(value, ffGeneral, 0); }

std::string CurrToStrF(Currency value, TFloatFormat format, int digits) {
    return DecimalText(DecimalOf(value), format, 19, digits);
}

}  // namespace menvaro
