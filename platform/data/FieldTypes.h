// Field data types and the value kinds that data-set records hold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace menvaro {

enum class TFieldType {
    ftUnknown,
    ftString,         // varchar
    ftFixedChar,      // char: values keep the engine's blank padding
    ftWideString,     // nvarchar
    ftFixedWideChar,  // nchar
    ftMemo,           // text, varchar(max)
    ftWideMemo,       // ntext, nvarchar(max)
    ftSmallint,
    ftInteger,
    ftWord,  // tinyint
    ftLargeint,
    ftBoolean,  // bit
    ftFloat,
    ftCurrency,  // money: a fixed-point value with four decimals
    ftBCD,       // decimal, numeric
    ftDate,
    ftTime,
    ftDateTime,
    ftBlob,  // binary, varbinary, image
    ftGuid,  // uniqueidentifier
};

// The enumerator's name ("ftString", ...), for messages.
const char* FieldTypeName(TFieldType t);

bool IsTextFieldType(TFieldType t);     // string, fixed, wide, memo and GUID types
bool IsIntegerFieldType(TFieldType t);  // smallint, integer, word, largeint
bool IsFloatFieldType(TFieldType t);    // float, BCD
bool IsDateFieldType(TFieldType t);     // date, time, date-time

// What one record value holds. Booleans are Integer 0 or 1; currency is the
// value times 10000; date-times are days since 1899-12-30.
enum class TValueKind : std::uint8_t { Null, Integer, Float, Currency, DateTime, Text };

// A value read from a record; the text points into the record store and is
// valid until the store changes.
struct TCellValue {
    TValueKind kind = TValueKind::Null;
    std::int64_t i = 0;
    double d = 0;
    std::string_view s;
};

// A value that owns its text: edit buffers and values handed to a store.
struct TFieldValue {
    TValueKind kind = TValueKind::Null;
    std::int64_t i = 0;
    double d = 0;
    std::string s;

    static TFieldValue MakeNull() { return {}; }
    static TFieldValue MakeInteger(std::int64_t v) { return {TValueKind::Integer, v, 0, {}}; }
    static TFieldValue MakeFloat(double v) { return {TValueKind::Float, 0, v, {}}; }
    static TFieldValue MakeCurrency(std::int64_t scaled) { return {TValueKind::Currency, scaled, 0, {}}; }
    static TFieldValue MakeDateTime(double v) { return {TValueKind::DateTime, 0, v, {}}; }
    static TFieldValue MakeText(std::string v) { return {TValueKind::Text, 0, 0, std::move(v)}; }

    TCellValue View() const { return {kind, i, d, s}; }
    static TFieldValue FromView(const TCellValue& v) { return {v.kind, v.i, v.d, std::string(v.s)}; }
};

}  // namespace menvaro
