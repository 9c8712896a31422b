// Floating-point numbers as text in the class library's formats: the fixed
// formats of FloatToStrF and the format strings of FormatFloat. Every
// conversion reads the decimal and thousand separators and the currency
// settings (FormatSettings.h) at the moment it runs.
//
// Digits come from the value's 18 significant decimal digits, rounded half
// away from zero to what the format shows: 0.125 with two decimals gives
// "0.13", while 2.675 (stored as 2.67499999...) gives "2.67". A value that
// rounds to zero is shown as zero, never as "-0".
#pragma once

#include <string>
#include <string_view>

namespace menvaro {

enum TFloatFormat {
    ffGeneral,   // shortest text: fixed while the integer part fits `precision` digits and the value is at
                 // least 0.0001 in size, else "1.5E-7" ("E" then '-' for negative exponents only, at least
                 // `digits` exponent digits, 0..4)
    ffExponent,  // "-d.dddE+dd": `precision` digits in all, a signed exponent of at least `digits` digits
    ffFixed,     // "-ddd.dd": `digits` decimals (0..18)
    ffNumber,    // as ffFixed with thousand separators
    ffCurrency,  // as ffNumber with the currency sign placed by CurrencyFormat / NegCurrFormat
};

// `precision` is the number of significant digits, 1..18. The fixed formats
// fall back to ffGeneral when the integer part needs more than `precision`
// digits, so no text grows without bound. NaN and the infinities give
// "NAN", "INF" and "-INF".
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);

// `value` formatted by a format string of one to three sections separated by
// ';' (positive; negative; zero). An empty negative or zero section uses the
// first; a negative value formatted by the first section gets a leading '-'.
// In a section:
//   0      a digit, '0' where the value has none
//   #      a digit where the value has one, else nothing
//   .      the decimal separator (the first one; others are ignored)
//   ,      thousand separators in the integer part (anywhere in the section)
//   E+ E-  scientific notation; up to four '0' after it give the least
//          number of exponent digits; E+ always signs the exponent, E- only
//          when negative (e+ and e- write a small e)
//   'x' "x" literal text
// Every other character ('%' too) is copied as it stands. The value is
// rounded to as many decimals as the section has placeholders after the
// point; integer digits beyond the placeholders go before the first one. An
// empty format or first section, and a value of 1E18 or more without
// scientific notation, give FloatToStrF(value, ffGeneral, 15, 0).
std::string FormatFloat(std::string_view format, double value);

}  // namespace menvaro
