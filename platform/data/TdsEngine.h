// The SQL Server engine through FreeTDS db-lib: the login of TdsTypes.h,
// text exchanged as UTF-8 (the server converts its code page), a login
// timeout of 15 seconds and a query timeout of 30, as the original client's
// defaults. Server and library messages become EADOError texts.
#pragma once

#include <memory>
#include <string>

#include "data/Engine.h"

namespace menvaro {

// A SQL Server connection that also runs statements that return no rows.
class ITdsConnection : public IDbConnection {
public:
    // Runs `sql` (BACKUP, RESTORE, ...) and reads every result the server
    // sends; informational messages are dropped, any error raises EADOError
    // with the server's messages. With `noTimeout` the query time-out does
    // not end the wait: a backup of a large database runs for minutes.
    virtual void Execute(const std::string& sql, bool noTimeout) = 0;
};

std::unique_ptr<ITdsConnection> OpenTdsConnection(const TConnectionParams& params);

}  // namespace menvaro
