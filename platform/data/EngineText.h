// Texts as database engines store and deliver them, read without regard to
// the locale: ISO date-times, decimal numbers, and the width of fixed char
// values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/DateTime.h"
#include "data/FieldTypes.h"

namespace menvaro {

// "YYYY-MM-DD", optionally followed by " " or "T" and "HH:MM", ":SS" and a
// fraction of a second. False for anything else or an invalid date.
bool TryParseIsoDateTime(std::string_view text, TDateTime& result);

// A decimal number with "." as the separator and an optional exponent;
// blanks around it are allowed.
bool TryParseNumber(std::string_view text, double& result);

// A decimal number without exponent as currency times 10000, exactly; digits
// beyond the fourth decimal round half away from zero. False outside the
// currency range.
bool TryParseCurrency(std::string_view text, std::int64_t& scaled);

// Width of a UTF-8 text as a fixed char column of the product database
// counts it: bytes in GBK for char, UTF-16 code units for nchar.
int FixedCharWidth(std::string_view utf8, TFieldType type);

// Appends the blanks that pad `value` to `size` as the server pads char(n)
// and nchar(n) values.
void PadFixedChar(std::string& value, TFieldType type, int size);

}  // namespace menvaro
