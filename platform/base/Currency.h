// The currency type: a fixed-point amount with four decimals, held as the
// amount times 10000 in 64 bits, so it runs from -922337203685477.5808 to
// 922337203685477.5807 and sums of amounts are exact.
#pragma once

#include <compare>
#include <cstdint>
#include <limits>
#include <string>

#include "base/FloatFormat.h"

namespace menvaro {

struct Currency {
    // The amount times 10000.
    std::int64_t Scaled = 0;

    constexpr Currency() = default;
    static constexpr Currency FromScaled(std::int64_t scaled) {
        Currency c;
        c.Scaled = scaled;
        return c;
    }
    double ToDouble() const { return static_cast<double>(Scaled) / 10000.0; }
    auto operator<=>(const Currency&) const = default;
};

inline constexpr Currency MinCurrency = Currency::FromScaled(std::numeric_limits<std::int64_t>::min());
inline constexpr Currency MaxCurrency = Currency::FromScaled(std::numeric_limits<std::int64_t>::max());

// `value` rounded to four decimals, half to even (as the class library's
// conversion rounds); false for NaN and values outside the currency range.
bool TryFloatToCurr(double value, Currency& result);
// Raises EConvertError "'1E20' is not a valid currency value" where
// TryFloatToCurr fails.
Currency FloatToCurr(double value);

// Up to four decimals without trailing zeros ("12.5", "38", "-0.0001").
std::string CurrToStr(Currency value);
// As FloatToStrF, on the exact amount with up to 19 significant digits;
// ffCurrency with CurrencyDecimals digits is the currency text of a display.
std::string CurrToStrF(Currency value, TFloatFormat format, int digits);

}  // namespace menvaro
