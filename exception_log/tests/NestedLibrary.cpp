// A library built with the logger's build step that publishes the
// exceptions it raises, as a module that carries the logger does: in its
// own "EXCEPT" block, through the process's shared blocks (the program that
// loads it exports them). What it raises leaves it through the program's
// raise entry, so the report's address lies in this library.
#include <stdexcept>
#include <string>

#include "ExceptionLog.h"

namespace {

// This library's block, open while the library is loaded.
menvaro::TSharedBlock& OwnBlock() {
    static auto* block = new menvaro::TSharedBlock;
    return *block;
}

}  // namespace

// Publishes `type` and `message` as this library's last exception (flag 1,
// then the two stored strings), anew.
extern "C" void nested_library_publish(const char* type, const char* message) {
    using namespace menvaro;
    const std::uintptr_t self = ModuleOfAddress(reinterpret_cast<std::uintptr_t>(&nested_library_publish));
    const std::string payload = std::string(1, '\1') + StoredString(type) + StoredString(message);
    OwnBlock().Release();
    OwnBlock() = CreateSharedBlock(self, "EXCEPT", payload.size());
    OwnBlock().Write(0, payload);
}

// Raises an exception of its own, published first when `type` is given.
extern "C" __attribute__((noinline)) void nested_library_raise(const char* type, const char* message) {
    if (type) nested_library_publish(type, message);
    throw std::runtime_error("Raised in the library");
}
