#include "testsupport/ErrorMessage.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace menvaro::test {

std::string TypeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    return status == 0 && name ? name.get() : type.name();
}

}  // namespace menvaro::test
