// A variant value: Empty (unassigned), Null, integer, double, Boolean or string.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace menvaro {

enum class TVarType { varEmpty, varNull, varInteger, varDouble, varBoolean, varString };

struct NullValue {
    bool operator==(const NullValue&) const = default;
};

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

    TVarType VarType() const { return static_cast<TVarType>(v_.index()); }
    bool IsEmpty() const { return VarType() == TVarType::varEmpty; }
    bool IsNull() const { return VarType() == TVarType::varNull; }
    bool IsNumeric() const { return VarType() == TVarType::varInteger || VarType() == TVarType::varDouble; }

    // Conversions. Empty, Null and texts that are not numbers raise
    // EVariantError "Could not convert variant of type (X) into type (Y)".
    // Doubles round to integers half to even; Booleans are -1 and 0.
    std::int64_t AsInteger() const;
    double AsDouble() const;
    bool AsBoolean() const;
    // Numbers as the class library prints them; Booleans as "True"/"False".
    std::string AsString() const;

    bool operator==(const Variant& o) const { return v_ == o.v_; }

private:
    std::variant<std::monostate, NullValue, std::int64_t, double, bool, std::string> v_;
};

inline const Variant Null{NullValue{}};
inline const Variant Unassigned{};

// The type's name as error messages give it ("Empty", "Null", "Integer", ...).
const char* VarTypeName(TVarType t);
// Text of a variant, "" for Empty and Null.
std::string VarToStr(const Variant& v);
inline bool VarIsNull(const Variant& v) { return v.IsNull(); }
inline bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }

}  // namespace menvaro
