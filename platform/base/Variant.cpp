#include "base/Variant.h"

#include <cmath>

#include "base/Exceptions.h"
#include "base/NumberText.h"
#include "base/Strings.h"

namespace menvaro {

const char* VarTypeName(TVarType t) {
    switch (t) {
        case TVarType::varEmpty: return "Empty";
        case TVarType::varNull: return "Null";
        case TVarType::varInteger: return "Integer";
        case TVarType::varDouble: return "Double";
        case TVarType::varBoolean: return "Boolean";
        case TVarType::varString: return "String";
    }
    return "Unknown";
}

namespace {
[[noreturn]] void CannotConvert(TVarType from, TVarType to) {
    throw EVariantError(std::string("Could not convert variant of type (") + VarTypeName(from) +
                        ") into type (" + VarTypeName(to) + ")");
}
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

std::string VarToStr(const Variant& v) { return v.IsEmpty() || v.IsNull() ? std::string() : v.AsString(); }

}  // namespace menvaro
