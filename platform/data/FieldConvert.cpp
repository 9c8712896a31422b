#include "data/FieldConvert.h"

#include <cmath>
#include <limits>

#include "base/Currency.h"
#include "base/Exceptions.h"
#include "base/FormatSettings.h"
#include "base/NumberText.h"
#include "base/Strings.h"
#include "data/DBErrors.h"

namespace menvaro {

std::string CurrToStr(std::int64_t scaled) { return CurrToStr(Currency::FromScaled(scaled)); }

std::int64_t CurrencyFromDouble(double v) {
    const double scaled = std::round(v * 10000.0);
    if (!(scaled > -9.2233720368547758e18 && scaled < 9.2233720368547758e18))
        throw EOverflow(FloatToStr(v) + " is outside the range of a currency value");
    return static_cast<std::int64_t>(scaled);
}

namespace {

std::int64_t RoundToInteger(double d) {
    const double r = std::round(d);
    if (!(r > -9.2233720368547758e18 && r < 9.2233720368547758e18))
        throw EConvertError(FloatToStr(d) + " is not a valid integer value");
    return static_cast<std::int64_t>(r);
}

// Time of day from "h:nn", "h:nn:ss" or "h:nn:ss.zzz".
bool TryStrToTimeOfDay(std::string_view text, TDateTime& result) {
    const char sep = FormatSettings().TimeSeparator;
    int parts[4] = {0, 0, 0, 0};
    int count = 0;
    std::size_t i = 0;
    while (i < text.size() && count < 4) {
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i == start || i - start > 3) return false;
        int value;
        if (!TryStrToInt(text.substr(start, i - start), value)) return false;
        parts[count++] = value;
        if (i == text.size()) break;
        const char want = count < 3 ? sep : '.';
        if (text[i] != want && !(count < 3 && text[i] == ':')) return false;
        ++i;
        if (i == text.size()) return false;
    }
    if (i != text.size() || count < 2) return false;
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59 || parts[3] > 999) return false;
    result = EncodeTime(parts[0], parts[1], parts[2], parts[3]);
    return true;
}

TDateTime StrToDateTimeText(std::string_view text, TFieldType type) {
    const std::string t = Trim(text);
    TDateTime result = 0;
    if (type == TFieldType::ftTime) {
        if (TryStrToTimeOfDay(t, result)) return result;
        throw EConvertError("'" + t + "' is not a valid time");
    }
    const std::size_t blank = t.find(' ');
    TDateTime date;
    if (!TryStrToDate(std::string_view(t).substr(0, blank), date))
        throw EConvertError("'" + t + "' is not a valid date and time");
    if (blank == std::string::npos) return date;
    TDateTime time;
    if (!TryStrToTimeOfDay(Trim(std::string_view(t).substr(blank + 1)), time))
        throw EConvertError("'" + t + "' is not a valid date and time");
    return date < 0 ? date - time : date + time;
}

TFieldValue CheckIntegerRange(std::int64_t v, TFieldType type, const std::string& fieldName) {
    std::int64_t lo = std::numeric_limits<std::int64_t>::min();
    std::int64_t hi = std::numeric_limits<std::int64_t>::max();
    switch (type) {
        case TFieldType::ftSmallint: lo = -32768, hi = 32767; break;
        case TFieldType::ftWord: lo = 0, hi = 65535; break;
        case TFieldType::ftInteger: lo = std::numeric_limits<std::int32_t>::min(), hi = std::numeric_limits<std::int32_t>::max(); break;
        default: break;
    }
    if (v < lo || v > hi)
        throw EDatabaseError(std::to_string(v) + " is not a valid value for field '" + fieldName +
                             "'. The allowed range is " + std::to_string(lo) + " to " + std::to_string(hi));
    return TFieldValue::MakeInteger(v);
}

[[noreturn]] void CannotStore(const char* what, TFieldType type, const std::string& fieldName) {
    throw EDatabaseError(std::string("Cannot store ") + what + " in field '" + fieldName + "' of type " +
                         FieldTypeName(type));
}

}  // namespace

std::string ValueToString(const TCellValue& v, TFieldType type) {
    switch (v.kind) {
        case TValueKind::Null: return {};
        case TValueKind::Integer:
            if (type == TFieldType::ftBoolean) return v.i != 0 ? "True" : "False";
            return IntToStr(v.i);
        case TValueKind::Float: return FloatToStr(v.d);
        case TValueKind::Currency: return CurrToStr(v.i);
        case TValueKind::DateTime:
            if (type == TFieldType::ftDate) return DateToStr(v.d);
            if (type == TFieldType::ftTime) return TimeToStr(v.d);
            return DateTimeToStr(v.d);
        case TValueKind::Text: return std::string(v.s);
    }
    return {};
}

void AssignValueString(std::string& out, const TCellValue& v, TFieldType type) {
    if (v.kind == TValueKind::Text)
        out.assign(v.s);
    else
        out = ValueToString(v, type);
}

std::int64_t ValueToInteger(const TCellValue& v) {
    switch (v.kind) {
        case TValueKind::Null: return 0;
        case TValueKind::Integer: return v.i;
        case TValueKind::Float:
        case TValueKind::DateTime: return RoundToInteger(v.d);
        case TValueKind::Currency: return RoundToInteger(static_cast<double>(v.i) / 10000.0);
        case TValueKind::Text: return StrToInt64(Trim(v.s));
    }
    return 0;
}

double ValueToFloat(const TCellValue& v) {
    switch (v.kind) {
        case TValueKind::Null: return 0;
        case TValueKind::Integer: return static_cast<double>(v.i);
        case TValueKind::Float:
        case TValueKind::DateTime: return v.d;
        case TValueKind::Currency: return static_cast<double>(v.i) / 10000.0;
        case TValueKind::Text: return StrToFloat(v.s);
    }
    return 0;
}

bool ValueToBoolean(const TCellValue& v) {
    switch (v.kind) {
        case TValueKind::Null: return false;
        case TValueKind::Integer:
        case TValueKind::Currency: return v.i != 0;
        case TValueKind::Float:
        case TValueKind::DateTime: return v.d != 0;
        case TValueKind::Text: {
            const std::string t = Trim(v.s);
            if (SameText(t, "True")) return true;
            if (SameText(t, "False")) return false;
            throw EConvertError("'" + t + "' is not a valid boolean value");
        }
    }
    return false;
}

TDateTime ValueToDateTime(const TCellValue& v) {
    switch (v.kind) {
        case TValueKind::Null: return 0;
        case TValueKind::Text: return StrToDateTimeText(v.s, TFieldType::ftDateTime);
        default: return ValueToFloat(v);
    }
}

Variant ValueToVariant(const TCellValue& v, TFieldType type) {
    switch (v.kind) {
        case TValueKind::Null: return Null;
        case TValueKind::Integer:
            if (type == TFieldType::ftBoolean) return Variant(v.i != 0);
            return Variant(v.i);
        case TValueKind::Float:
        case TValueKind::DateTime: return Variant(v.d);
        case TValueKind::Currency: return Variant(static_cast<double>(v.i) / 10000.0);
        case TValueKind::Text: return Variant(std::string(v.s));
    }
    return Null;
}

TFieldValue TextToValue(std::string_view text, TFieldType type, const std::string& fieldName) {
    if (IsTextFieldType(type) || type == TFieldType::ftBlob || type == TFieldType::ftUnknown)
        return TFieldValue::MakeText(std::string(text));
    const std::string t = Trim(text);
    if (t.empty()) return TFieldValue::MakeNull();
    if (IsIntegerFieldType(type)) return CheckIntegerRange(StrToInt64(t), type, fieldName);
    switch (type) {
        case TFieldType::ftBoolean:
            if (SameText(t, "True")) return TFieldValue::MakeInteger(1);
            if (SameText(t, "False")) return TFieldValue::MakeInteger(0);
            throw EConvertError("'" + t + "' is not a valid boolean value for field '" + fieldName + "'");
        case TFieldType::ftFloat:
        case TFieldType::ftBCD: return TFieldValue::MakeFloat(StrToFloat(t));
        case TFieldType::ftCurrency: return TFieldValue::MakeCurrency(CurrencyFromDouble(StrToFloat(t)));
        case TFieldType::ftDate:
        case TFieldType::ftTime:
        case TFieldType::ftDateTime: return TFieldValue::MakeDateTime(StrToDateTimeText(t, type));
        default: CannotStore("a text", type, fieldName);
    }
}

TFieldValue IntegerToValue(std::int64_t v, TFieldType type, const std::string& fieldName) {
    if (IsIntegerFieldType(type)) return CheckIntegerRange(v, type, fieldName);
    if (IsTextFieldType(type)) return TFieldValue::MakeText(IntToStr(v));
    switch (type) {
        case TFieldType::ftBoolean: return TFieldValue::MakeInteger(v != 0 ? 1 : 0);
        case TFieldType::ftFloat:
        case TFieldType::ftBCD: return TFieldValue::MakeFloat(static_cast<double>(v));
        case TFieldType::ftCurrency: return TFieldValue::MakeCurrency(CurrencyFromDouble(static_cast<double>(v)));
        case TFieldType::ftDate:
        case TFieldType::ftTime:
        case TFieldType::ftDateTime: return TFieldValue::MakeDateTime(static_cast<double>(v));
        default: CannotStore("an integer", type, fieldName);
    }
}

TFieldValue FloatToValue(double v, TFieldType type, const std::string& fieldName) {
    if (IsIntegerFieldType(type)) return CheckIntegerRange(RoundToInteger(v), type, fieldName);
    if (IsTextFieldType(type)) return TFieldValue::MakeText(FloatToStr(v));
    switch (type) {
        case TFieldType::ftBoolean: return TFieldValue::MakeInteger(v != 0 ? 1 : 0);
        case TFieldType::ftFloat:
        case TFieldType::ftBCD: return TFieldValue::MakeFloat(v);
        case TFieldType::ftCurrency: return TFieldValue::MakeCurrency(CurrencyFromDouble(v));
        case TFieldType::ftDate:
        case TFieldType::ftTime:
        case TFieldType::ftDateTime: return TFieldValue::MakeDateTime(v);
        default: CannotStore("a number", type, fieldName);
    }
}

TFieldValue BooleanToValue(bool v, TFieldType type, const std::string& fieldName) {
    if (type == TFieldType::ftBoolean) return TFieldValue::MakeInteger(v ? 1 : 0);
    if (IsTextFieldType(type)) return TFieldValue::MakeText(v ? "True" : "False");
    if (IsIntegerFieldType(type)) return TFieldValue::MakeInteger(v ? 1 : 0);
    CannotStore("a Boolean", type, fieldName);
}

TFieldValue DateTimeToValue(TDateTime v, TFieldType type, const std::string& fieldName) {
    if (IsDateFieldType(type)) return TFieldValue::MakeDateTime(v);
    if (IsTextFieldType(type)) {
        const TCellValue cell{TValueKind::DateTime, 0, v, {}};
        return TFieldValue::MakeText(ValueToString(cell, TFieldType::ftDateTime));
    }
    if (IsFloatFieldType(type)) return TFieldValue::MakeFloat(v);
    CannotStore("a date", type, fieldName);
}

TFieldValue VariantToValue(const Variant& v, TFieldType type, const std::string& fieldName) {
    switch (v.VarType()) {
        case TVarType::varEmpty:
        case TVarType::varNull: return TFieldValue::MakeNull();
        case TVarType::varInteger: return IntegerToValue(v.AsInteger(), type, fieldName);
        case TVarType::varDouble: return FloatToValue(v.AsDouble(), type, fieldName);
        case TVarType::varBoolean: return BooleanToValue(v.AsBoolean(), type, fieldName);
        case TVarType::varString: return TextToValue(v.AsString(), type, fieldName);
        case TVarType::varError: CannotStore("an error value", type, fieldName);
        case TVarType::varArray: CannotStore("an array", type, fieldName);
    }
    return TFieldValue::MakeNull();
}

}  // namespace menvaro
