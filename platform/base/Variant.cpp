#include "base/Variant.h"

#include <cmath>

#include "base/Exceptions.h"
#include "base/NumberText.h"
#include "base/Strings.h"

namespace menvaro {

struct TVarArray {
    std::vector<TVarArrayBound> bounds;
    std::vector<Variant> items;  // the last dimension varies fastest
};

const char* VarTypeName(TVarType t) {
    switch (t) {
        case TVarType::varEmpty: return "Empty";
        case TVarType::varNull: return "Null";
        case TVarType::varInteger: return "Integer";
        case TVarType::varDouble: return "Double";
        case TVarType::varBoolean: return "Boolean";
        case TVarType::varString: return "String";
        case TVarType::varError: return "Error";
        case TVarType::varArray: return "Array";
    }
    return "Unknown";
}

namespace {
[[noreturn]] void CannotConvert(TVarType from, TVarType to) {
    throw EVariantTypeCastError(std::string("Could not convert variant of type (") + VarTypeName(from) +
                                ") into type (" + VarTypeName(to) + ")");
}

[[noreturn]] void InvalidOperation() { throw EVariantInvalidOpError("Invalid variant operation"); }

[[noreturn]] void BadIndex() { throw EVariantBadIndexError("Variant or safe array index out of bounds"); }
}  // namespace

std::int64_t Variant::AsInteger() const {
    switch (VarType()) {
        case TVarType::varInteger: return std::get<std::int64_t>(v_);
        case TVarType::varDouble: {
            const double d = std::nearbyint(std::get<double>(v_));
            if (!(d >= -9.2233720368547758e18 && d < 9.2233720368547758e18))
                CannotConvert(TVarType::varDouble, TVarType::varInteger);
            return static_cast<std::int64_t>(d);
        }
        case TVarType::varBoolean: return std::get<bool>(v_) ? -1 : 0;
        case TVarType::varString: {
            const std::string& s = std::get<std::string>(v_);
            std::int64_t i;
            if (TryStrToInt64(Trim(s), i)) return i;
            double d;
            if (TryStrToFloat(s, d)) return Variant(d).AsInteger();
            CannotConvert(TVarType::varString, TVarType::varInteger);
        }
        default: CannotConvert(VarType(), TVarType::varInteger);
    }
}

double Variant::AsDouble() const {
    switch (VarType()) {
        case TVarType::varInteger: return static_cast<double>(std::get<std::int64_t>(v_));
        case TVarType::varDouble: return std::get<double>(v_);
        case TVarType::varBoolean: return std::get<bool>(v_) ? -1.0 : 0.0;
        case TVarType::varString: {
            double d;
            if (TryStrToFloat(std::get<std::string>(v_), d)) return d;
            CannotConvert(TVarType::varString, TVarType::varDouble);
        }
        default: CannotConvert(VarType(), TVarType::varDouble);
    }
}

bool Variant::AsBoolean() const {
    switch (VarType()) {
        case TVarType::varInteger: return std::get<std::int64_t>(v_) != 0;
        case TVarType::varDouble: return std::get<double>(v_) != 0;
        case TVarType::varBoolean: return std::get<bool>(v_);
        case TVarType::varString: {
            const std::string& s = std::get<std::string>(v_);
            if (SameText(s, "True")) return true;
            if (SameText(s, "False")) return false;
            double d;
            if (TryStrToFloat(s, d)) return d != 0;
            CannotConvert(TVarType::varString, TVarType::varBoolean);
        }
        default: CannotConvert(VarType(), TVarType::varBoolean);
    }
}

std::string Variant::AsString() const {
    switch (VarType()) {
        case TVarType::varInteger: return IntToStr(std::get<std::int64_t>(v_));
        case TVarType::varDouble: return FloatToStr(std::get<double>(v_));
        case TVarType::varBoolean: return std::get<bool>(v_) ? "True" : "False";
        case TVarType::varString: return std::get<std::string>(v_);
        default: CannotConvert(VarType(), TVarType::varString);
    }
}

std::uint32_t Variant::ErrorCode() const {
    if (!IsError()) CannotConvert(VarType(), TVarType::varError);
    return std::get<TVarError>(v_).Code;
}

bool Variant::operator==(const Variant& o) const {
    if (IsArray() && o.IsArray()) {
        const TVarArray& a = *std::get<std::shared_ptr<TVarArray>>(v_);
        const TVarArray& b = *std::get<std::shared_ptr<TVarArray>>(o.v_);
        return a.bounds == b.bounds && a.items == b.items;
    }
    return v_ == o.v_;
}

std::string VarToStr(const Variant& v) { return v.IsEmpty() || v.IsNull() ? std::string() : v.AsString(); }

// Arrays.

const TVarArray& ArrayOf(const Variant& v) {
    if (!v.IsArray()) throw EVariantInvalidOpError("Variant is not an array");
    return *std::get<std::shared_ptr<TVarArray>>(v.v_);
}

TVarArray& MutableArrayOf(Variant& v) {
    if (!v.IsArray()) throw EVariantInvalidOpError("Variant is not an array");
    auto& p = std::get<std::shared_ptr<TVarArray>>(v.v_);
    if (p.use_count() > 1) p = std::make_shared<TVarArray>(*p);
    return *p;
}

Variant VarArrayCreate(std::vector<TVarArrayBound> bounds) {
    // A cap that keeps a mistaken bound from eating the memory.
    constexpr std::int64_t kMaxItems = std::int64_t{1} << 26;
    if (bounds.empty()) throw EVariantError("Error creating variant or safe array");
    std::int64_t count = 1;
    for (const TVarArrayBound& b : bounds) {
        const std::int64_t n = std::max<std::int64_t>(0, std::int64_t{b.High} - b.Low + 1);
        count = n == 0 ? 0 : count * n;
        if (count > kMaxItems) throw EVariantError("Error creating variant or safe array");
    }
    auto array = std::make_shared<TVarArray>();
    array->bounds = std::move(bounds);
    array->items.resize(static_cast<std::size_t>(count));
    Variant v;
    v.v_ = std::move(array);
    return v;
}

Variant VarArrayOf(std::initializer_list<Variant> items) {
    Variant v = VarArrayCreate({{0, static_cast<int>(items.size()) - 1}});
    TVarArray& a = MutableArrayOf(v);
    std::size_t i = 0;
    for (const Variant& item : items) a.items[i++] = item;
    return v;
}

int VarArrayDimCount(const Variant& v) { return v.IsArray() ? static_cast<int>(ArrayOf(v).bounds.size()) : 0; }

namespace {

const TVarArrayBound& BoundOf(const Variant& v, int dim) {
    const TVarArray& a = ArrayOf(v);
    if (dim < 1 || dim > static_cast<int>(a.bounds.size())) BadIndex();
    return a.bounds[static_cast<std::size_t>(dim - 1)];
}

std::size_t OffsetOf(const TVarArray& a, std::initializer_list<int> indices) {
    if (indices.size() != a.bounds.size()) BadIndex();
    std::size_t offset = 0;
    std::size_t d = 0;
    for (int index : indices) {
        const TVarArrayBound& b = a.bounds[d++];
        if (index < b.Low || index > b.High) BadIndex();
        offset = offset * static_cast<std::size_t>(b.High - b.Low + 1) + static_cast<std::size_t>(index - b.Low);
    }
    return offset;
}

}  // namespace

int VarArrayLowBound(const Variant& v, int dim) { return BoundOf(v, dim).Low; }
int VarArrayHighBound(const Variant& v, int dim) { return BoundOf(v, dim).High; }

Variant VarArrayGet(const Variant& v, std::initializer_list<int> indices) {
    const TVarArray& a = ArrayOf(v);
    return a.items[OffsetOf(a, indices)];
}

void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<int> indices) {
    const std::size_t offset = OffsetOf(ArrayOf(v), indices);
    // Copied first: `value` may be an item of this very array.
    Variant copy = value;
    MutableArrayOf(v).items[offset] = std::move(copy);
}

// Comparison and arithmetic.

namespace {

bool IsOrdinal(TVarType t) { return t == TVarType::varEmpty || t == TVarType::varInteger || t == TVarType::varBoolean; }

// Empty, integers and Booleans as integers.
std::int64_t OrdinalOf(const Variant& v) { return v.IsEmpty() ? 0 : v.AsInteger(); }

double NumberOf(const Variant& v) { return v.IsEmpty() ? 0.0 : v.AsDouble(); }

void CheckOperands(const Variant& a, const Variant& b) {
    if (a.IsError() || a.IsArray() || b.IsError() || b.IsArray()) InvalidOperation();
}

template <class T>
TVariantRelationship Relation(T a, T b) {
    if (a < b) return vrLessThan;
    if (a > b) return vrGreaterThan;
    return a == b ? vrEqual : vrNotEqual;  // NaN
}

}  // namespace

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
    CheckOperands(a, b);
    const TVarType ta = a.VarType(), tb = b.VarType();
    if (ta == TVarType::varNull || tb == TVarType::varNull) {
        if (ta == TVarType::varEmpty || tb == TVarType::varEmpty) InvalidOperation();
        if (ta == tb) return vrEqual;
        return ta == TVarType::varNull ? vrLessThan : vrGreaterThan;
    }
    const bool sa = ta == TVarType::varString, sb = tb == TVarType::varString;
    if (sa || sb) {
        if (sa && sb) return Relation(CompareStr(a.AsString(), b.AsString()), 0);
        const Variant& other = sa ? b : a;
        if (other.IsEmpty()) return Relation(CompareStr(VarToStr(a), VarToStr(b)), 0);
        if (other.VarType() == TVarType::varBoolean)
            return Relation<std::int64_t>(a.AsBoolean() ? -1 : 0, b.AsBoolean() ? -1 : 0);
        return Relation(a.AsDouble(), b.AsDouble());
    }
    if (IsOrdinal(ta) && IsOrdinal(tb)) return Relation(OrdinalOf(a), OrdinalOf(b));
    return Relation(NumberOf(a), NumberOf(b));
}

bool VarEquals(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrEqual; }

namespace {

Variant Arithmetic(const Variant& a, const Variant& b, bool add) {
    CheckOperands(a, b);
    if (a.IsNull() || b.IsNull()) return Null;
    if (a.IsEmpty() && b.IsEmpty()) return Unassigned;
    const TVarType ta = a.VarType(), tb = b.VarType();
    if (add && (ta == TVarType::varString || ta == TVarType::varEmpty) &&
        (tb == TVarType::varString || tb == TVarType::varEmpty))
        return Variant(VarToStr(a) + VarToStr(b));
    if (IsOrdinal(ta) && IsOrdinal(tb)) {
        std::int64_t r;
        const bool overflow = add ? __builtin_add_overflow(OrdinalOf(a), OrdinalOf(b), &r)
                                  : __builtin_sub_overflow(OrdinalOf(a), OrdinalOf(b), &r);
        if (!overflow) return Variant(r);
    }
    return Variant(add ? NumberOf(a) + NumberOf(b) : NumberOf(a) - NumberOf(b));
}

}  // namespace

Variant operator+(const Variant& a, const Variant& b) { return Arithmetic(a, b, true); }
Variant operator-(const Variant& a, const Variant& b) { return Arithmetic(a, b, false); }

}  // namespace menvaro
