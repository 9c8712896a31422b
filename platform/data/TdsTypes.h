// What the SQL Server engine makes of connection parameters and of the
// column types and value bytes that the server sends: kept apart from the
// network code so that it can be checked without a server.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/DateTime.h"
#include "data/ConnectionString.h"
#include "data/Field.h"

namespace menvaro {

// A Data Source: "host", "(local)" or "." (both localhost), "host\instance",
// "host,port", "host\instance,port" (the port wins).
struct TTdsServer {
    std::string Host;
    int Port = 0;  // 0: the default, or the instance's port
    std::string Instance;
    // The server name as the client library takes it: "host:port",
    // "host\instance" or "host".
    std::string ClientName() const;
};
// Raises EDatabaseError for an empty host or a port outside 1..65535.
TTdsServer ParseTdsServer(std::string_view dataSource);

// The login the engine makes from a connection string.
struct TTdsLogin {
    TTdsServer Server;
    std::string Database;
    std::string User;      // empty with integrated security
    std::string Password;  // empty with integrated security
    bool NetworkAuth = false;  // integrated security through the domain login
};
// Integrated security needs a domain (Kerberos) login; without one
// (`domainLoginAvailable` false) raises EDatabaseError saying so.
TTdsLogin MakeTdsLogin(const TConnectionParams& params, bool domainLoginAvailable);
// True when this user has a Kerberos credential cache: the one KRB5CCNAME
// names (a file that exists, or a cache of another kind), else
// /tmp/krb5cc_<uid>.
bool DomainLoginAvailable();

// Field definition of a result column from the server's type: its
// declaration ("NVARCHAR(20)", "MONEY") when the client library gives one,
// else the wire type code with its size in bytes, precision and scale.
TFieldDef TdsFieldDef(int wireType, int sizeInBytes, int precision, int scale, std::string_view declaration);

// Values in the client library's native layouts.
// money: high 32 bits (signed) then low 32 bits, times 10000.
std::int64_t TdsMoney(const unsigned char* data, int length);
// datetime: days since 1900-01-01 and 1/300 seconds since midnight;
// smalldatetime: unsigned days and minutes.
TDateTime TdsDateTime(const unsigned char* data, int length);
// Integers of 1 (unsigned), 2, 4 or 8 bytes.
std::int64_t TdsInteger(const unsigned char* data, int length);
// Floats of 4 or 8 bytes.
double TdsFloat(const unsigned char* data, int length);

}  // namespace menvaro
