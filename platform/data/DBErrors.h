// Errors of the data layer.
#pragma once

#include <string>

#include "base/Exceptions.h"

namespace menvaro {

// A data set or field refused an operation ("Field 'X' not found", ...).
MENVARO_EXCEPTION(EDatabaseError, Exception)
// The database engine failed (connect, prepare, step); the message is the
// engine's own.
MENVARO_EXCEPTION(EADOError, EDatabaseError)

// Raises EDatabaseError with `message`, prefixed by "<name>: " when the
// component that raises it has a name.
[[noreturn]] void DatabaseError(const std::string& message, const std::string& componentName = {});

}  // namespace menvaro
