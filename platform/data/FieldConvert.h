// The conversions of field values to and from text, numbers and variants,
// as the class library's fields make them. AsString texts:
//   integers   decimal ("-12")
//   floats     15 significant digits, no trailing zeros ("0.333333333333333")
//   currency   up to four decimals, no padding ("12.5", "38")
//   decimal    as floats ("12.5")
//   bits       "True" / "False"
//   date-times the locale's short date, and the long time when not midnight
//   texts      as stored; fixed-width char values keep their blank padding
//   NULL       ""
// The decimal separator is the locale's at the moment of the call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/DateTime.h"
#include "base/Variant.h"
#include "data/FieldTypes.h"

namespace menvaro {

// Text of a currency value given times 10000.
std::string CurrToStr(std::int64_t scaled);
// Currency times 10000 from a double, rounded half away from zero; outside
// the currency range raises EOverflow.
std::int64_t CurrencyFromDouble(double v);

// Reading a value of a field of type `type`. Conversions that cannot be made
// raise EConvertError.
std::string ValueToString(const TCellValue& v, TFieldType type);
// The same text into `out`, whose buffer serves again: a reader of many rows
// keeps one string a field instead of making one a value.
void AssignValueString(std::string& out, const TCellValue& v, TFieldType type);
std::int64_t ValueToInteger(const TCellValue& v);
double ValueToFloat(const TCellValue& v);
bool ValueToBoolean(const TCellValue& v);
TDateTime ValueToDateTime(const TCellValue& v);
// Null for NULL; Booleans for bit fields; integers; doubles for float,
// decimal, currency and date-time values; strings for texts.
Variant ValueToVariant(const TCellValue& v, TFieldType type);

// Values to store into a field of `type` named `fieldName` (for messages).
// An empty text is NULL for every type but the text types. Bad texts raise
// EConvertError; integers outside the type's range raise EDatabaseError.
TFieldValue TextToValue(std::string_view text, TFieldType type, const std::string& fieldName);
TFieldValue IntegerToValue(std::int64_t v, TFieldType type, const std::string& fieldName);
TFieldValue FloatToValue(double v, TFieldType type, const std::string& fieldName);
TFieldValue BooleanToValue(bool v, TFieldType type, const std::string& fieldName);
TFieldValue DateTimeToValue(TDateTime v, TFieldType type, const std::string& fieldName);
// Empty and Null variants store NULL.
TFieldValue VariantToValue(const Variant& v, TFieldType type, const std::string& fieldName);

}  // namespace menvaro
