#include "ExceptionInfo.h"

#include <cxxabi.h>

#include <algorithm>

#include "SymbolNames.h"

namespace menvaro {

namespace {

// The type of the thrown object, taken inside a handler of it.
const std::type_info* ThrownType(std::exception_ptr exception) {
    if (!exception) return nullptr;
    try {
        std::rethrow_exception(exception);
    } catch (...) {
        const std::type_info* type = abi::__cxa_current_exception_type();
        if (!type) throw;  // a thread's forced unwind passes
        return type;
    }
}

}  // namespace

std::string TypeName(const std::type_info& type) { return DemangleType(type.name()); }

std::string ExceptionTypeName(std::exception_ptr exception) {
    const std::type_info* type = ThrownType(exception);
    return type ? WithoutScope(TypeName(*type)) : std::string();
}

std::vector<std::string> ExceptionAncestors(std::exception_ptr exception) {
    std::vector<std::string> names;
    const std::type_info* type = ThrownType(exception);
    if (!type) return names;
    // Level by level through the class type information.
    std::vector<const std::type_info*> level{type}, seen{type};
    while (!level.empty()) {
        std::vector<const std::type_info*> next;
        for (const std::type_info* t : level) {
            std::vector<const std::type_info*> bases;
            if (auto si = dynamic_cast<const abi::__si_class_type_info*>(t)) {
                bases.push_back(si->__base_type);
            } else if (auto vmi = dynamic_cast<const abi::__vmi_class_type_info*>(t)) {
                for (unsigned i = 0; i < vmi->__base_count; ++i) bases.push_back(vmi->__base_info[i].__base_type);
            }
            for (const std::type_info* b : bases) {
                if (!b || std::find(seen.begin(), seen.end(), b) != seen.end()) continue;
                seen.push_back(b);
                next.push_back(b);
                names.push_back(WithoutScope(TypeName(*b)));
            }
        }
        level = std::move(next);
    }
    return names;
}

bool ExceptionMessage(std::exception_ptr exception, std::string& message) {
    if (!exception) return false;
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& e) {
        message = e.what();
        return true;
    } catch (...) {
        if (!abi::__cxa_current_exception_type()) throw;
        return false;
    }
}

}  // namespace menvaro
