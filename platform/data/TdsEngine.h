// The SQL Server engine through FreeTDS db-lib: the login of TdsTypes.h,
// text exchanged as UTF-8 (the server converts its code page), a login
// timeout of 15 seconds and a query timeout of 30, as the original client's
// defaults. Server and library messages become EADOError texts.
#pragma once

#include <memory>

#include "data/Engine.h"

namespace menvaro {

std::unique_ptr<IDbConnection> OpenTdsConnection(const TConnectionParams& params);

}  // namespace menvaro
