// Numbers to text and back, as the class library prints and parses them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace menvaro {

std::string IntToStr(std::int64_t v);
std::string IntToHex(std::uint64_t v, int digits);

// Decimal with optional blanks before, an optional sign, or hexadecimal with
// "$" or "0x"; nothing may follow. Outside the 32-bit range or malformed:
// EConvertError "'text' is not a valid integer value".
int StrToInt(std::string_view text);
std::int64_t StrToInt64(std::string_view text);
int StrToIntDef(std::string_view text, int def);
bool TryStrToInt(std::string_view text, int& result);
bool TryStrToInt64(std::string_view text, std::int64_t& result);

// Shortest text of `v` with at most 15 significant digits and no trailing
// zeros: fixed notation while the integer part has at most 15 digits and the
// value is at least 0.0001 in size, else "1.5E-7" style; the decimal
// separator is the locale's.
std::string FloatToStr(double v);
// Parses a decimal number with the locale's decimal separator and an
// optional exponent; blanks around it are allowed. EConvertError otherwise.
double StrToFloat(std::string_view text);
bool TryStrToFloat(std::string_view text, double& result);

}  // namespace menvaro
