#include "base/Exceptions.h"

#include <cerrno>
#include <cstring>

namespace menvaro {

std::string SysErrorMessage(int err) {
    char buf[256];
    // The GNU variant returns a pointer that may or may not be buf.
    const char* text = strerror_r(err, buf, sizeof buf);
    return text ? std::string(text) : std::string("error ") + std::to_string(err);
}

void RaiseLastOSError(const std::string& what, int err) {
    throw EOSError(what + ": " + SysErrorMessage(err), err);
}

void RaiseLastOSError(const std::string& what) { RaiseLastOSError(what, errno); }

void Abort() { throw EAbort(); }

}  // namespace menvaro
