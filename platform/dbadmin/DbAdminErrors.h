// Errors of the database server objects.
#pragma once

#include "data/DBErrors.h"

namespace menvaro::dbadmin {

// A call of the server objects failed: connect, back up, restore. The message
// names the database or file and says why.
MENVARO_EXCEPTION(EDbAdminError, EDatabaseError)

}  // namespace menvaro::dbadmin
