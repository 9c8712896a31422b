// A variant value: Empty (unassigned), Null, integer, double, Boolean,
// string, an error code, or an array of variants.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "base/Exceptions.h"

namespace menvaro {

enum class TVarType { varEmpty, varNull, varInteger, varDouble, varBoolean, varString, varError, varArray };

// The kinds of EVariantError: a conversion that cannot be made ("Could not
// convert variant of type (X) into type (Y)"), an operation the operands do
// not allow ("Invalid variant operation"), and an array index or dimension
// outside the array ("Variant or safe array index out of bounds").
MENVARO_EXCEPTION(EVariantTypeCastError, EVariantError)
MENVARO_EXCEPTION(EVariantInvalidOpError, EVariantError)
MENVARO_EXCEPTION(EVariantBadIndexError, EVariantError)

struct NullValue {
    bool operator==(const NullValue&) const = default;
};

// The error kind: a 32-bit status code (0xFFFFFFFF for a calculator in its
// error state).
struct TVarError {
    std::uint32_t Code = 0;
    bool operator==(const TVarError&) const = default;
};

struct TVarArrayBound {
    int Low = 0;
    int High = -1;  // High < Low: no elements in this dimension
    bool operator==(const TVarArrayBound&) const = default;
};

struct TVarArray;

class Variant {
public:
    Variant() = default;  // Empty
    Variant(NullValue) : v_(NullValue{}) {}
    Variant(int v) : v_(static_cast<std::int64_t>(v)) {}
    Variant(std::int64_t v) : v_(v) {}
    Variant(double v) : v_(v) {}
    Variant(bool v) : v_(v) {}
    Variant(std::string v) : v_(std::move(v)) {}
    Variant(const char* v) : v_(std::string(v)) {}
    Variant(TVarError e) : v_(e) {}

    TVarType VarType() const { return static_cast<TVarType>(v_.index()); }
    bool IsEmpty() const { return VarType() == TVarType::varEmpty; }
    bool IsNull() const { return VarType() == TVarType::varNull; }
    bool IsNumeric() const { return VarType() == TVarType::varInteger || VarType() == TVarType::varDouble; }
    bool IsError() const { return VarType() == TVarType::varError; }
    bool IsArray() const { return VarType() == TVarType::varArray; }

    // Conversions. Empty, Null, errors, arrays and texts that are not
    // numbers raise EVariantTypeCastError "Could not convert variant of type
    // (X) into type (Y)". Doubles round to integers half to even; Booleans
    // are -1 and 0.
    std::int64_t AsInteger() const;
    double AsDouble() const;
    bool AsBoolean() const;
    // Numbers as the class library prints them; Booleans as "True"/"False".
    std::string AsString() const;
    // The code of an error variant; EVariantTypeCastError for other kinds.
    std::uint32_t ErrorCode() const;

    // The same kind and the same value (arrays: the same bounds and items),
    // for tests and containers. The class library's comparison, where 1
    // equals "1", is VarCompareValue / VarEquals.
    bool operator==(const Variant& o) const;

    // The class library's arithmetic: Null with anything is Null; Empty is 0
    // (Empty with Empty stays Empty); texts take part as numbers, except that
    // text + text joins them; two integers give an integer unless the result
    // does not fit, otherwise a double. Errors and arrays raise
    // EVariantInvalidOpError. Found only for operands that are variants.
    friend Variant operator+(const Variant& a, const Variant& b);
    friend Variant operator-(const Variant& a, const Variant& b);

private:
    friend Variant VarArrayCreate(std::vector<TVarArrayBound> bounds);
    friend const TVarArray& ArrayOf(const Variant& v);
    friend TVarArray& MutableArrayOf(Variant& v);

    // Arrays are shared between copies until one of them is written.
    std::variant<std::monostate, NullValue, std::int64_t, double, bool, std::string, TVarError,
                 std::shared_ptr<TVarArray>>
        v_;
};

inline const Variant Null{NullValue{}};
inline const Variant Unassigned{};

// The type's name as error messages give it ("Empty", "Null", "Integer", ...).
const char* VarTypeName(TVarType t);
// Text of a variant, "" for Empty and Null.
std::string VarToStr(const Variant& v);
inline bool VarIsNull(const Variant& v) { return v.IsNull(); }
inline bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }

// Error variants.
inline Variant VarAsError(std::uint32_t code) { return Variant(TVarError{code}); }
inline bool VarIsError(const Variant& v) { return v.IsError(); }

// Arrays. Dimensions count from 1; their elements start Empty. Reading or
// writing outside the bounds, or naming a dimension the array lacks, raises
// EVariantBadIndexError; array operations on other kinds raise
// EVariantInvalidOpError "Variant is not an array".
Variant VarArrayCreate(std::vector<TVarArrayBound> bounds);
// One dimension from 0 holding `items`.
Variant VarArrayOf(std::initializer_list<Variant> items);
inline bool VarIsArray(const Variant& v) { return v.IsArray(); }
// 0 for a variant that is not an array.
int VarArrayDimCount(const Variant& v);
int VarArrayLowBound(const Variant& v, int dim);
int VarArrayHighBound(const Variant& v, int dim);
// One index per dimension.
Variant VarArrayGet(const Variant& v, std::initializer_list<int> indices);
void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<int> indices);

// The class library's comparison of two variants:
// - Null equals Null and is less than any other value; Empty against Null
//   raises EVariantInvalidOpError.
// - Empty is 0 against numbers and Booleans and "" against texts.
// - A number against a text compares as numbers: "1" = 1 and " 2.5" = 2.5; a
//   text that is no number raises EVariantTypeCastError. A Boolean against a
//   text reads the text as a Boolean ("True").
// - Texts compare character by character, letter case counting.
// - Booleans are the numbers -1 (True) and 0.
// - Errors and arrays cannot be compared (EVariantInvalidOpError).
enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
// a = b in the class library's sense (above).
bool VarEquals(const Variant& a, const Variant& b);

}  // namespace menvaro
