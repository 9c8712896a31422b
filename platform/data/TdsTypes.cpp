#include "data/TdsTypes.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "base/Files.h"
#include "base/NumberText.h"
#include "base/Strings.h"
#include "data/DBErrors.h"
#include "data/DeclaredType.h"

namespace menvaro {

std::string TTdsServer::ClientName() const {
    if (Port != 0) return Host + ":" + std::to_string(Port);
    if (!Instance.empty()) return Host + "\\" + Instance;
    return Host;
}

TTdsServer ParseTdsServer(std::string_view dataSource) {
    std::string s = Trim(dataSource);
    TTdsServer server;
    const std::size_t comma = s.rfind(',');
    if (comma != std::string::npos) {
        const std::string port = Trim(std::string_view(s).substr(comma + 1));
        int p;
        if (!TryStrToInt(port, p) || p < 1 || p > 65535)
            throw EDatabaseError("'" + port + "' in Data Source '" + s + "' is not a port number");
        server.Port = p;
        s = Trim(std::string_view(s).substr(0, comma));
    }
    const std::size_t slash = s.find('\\');
    if (slash != std::string::npos) {
        server.Instance = Trim(std::string_view(s).substr(slash + 1));
        s = Trim(std::string_view(s).substr(0, slash));
    }
    if (SameText(s, "(local)") || s == "." || SameText(s, "(localdb)")) s = "localhost";
    if (s.empty()) throw EDatabaseError("The Data Source '" + std::string(dataSource) + "' names no server");
    server.Host = s;
    return server;
}

TTdsLogin MakeTdsLogin(const TConnectionParams& params, bool domainLoginAvailable) {
    TTdsLogin login;
    login.Server = ParseTdsServer(params.DataSource);
    login.Database = params.InitialCatalog;
    if (params.IntegratedSecurity) {
        if (!domainLoginAvailable)
            throw EDatabaseError(
                "Integrated Security=SSPI needs a domain login (a Kerberos ticket), and this user has none; "
                "log in to the domain first, or connect with a SQL Server user name and password");
        login.NetworkAuth = true;
        return login;
    }
    login.User = params.UserID;
    login.Password = params.Password;
    return login;
}

bool DomainLoginAvailable() {
    const char* cache = std::getenv("KRB5CCNAME");
    if (cache && *cache) {
        std::string name = cache;
        if (StartsText("FILE:", name)) name.erase(0, 5);
        else if (name.find(':') != std::string::npos && name.front() != '/') return true;
        return FileExists(name);
    }
    return FileExists("/tmp/krb5cc_" + std::to_string(getuid()));
}

namespace {

// Wire type codes of the protocol (those the client library does not name).
enum : int {
    kBigVarBinary = 165,
    kBigVarChar = 167,
    kBigBinary = 173,
    kBigChar = 175,
    kNVarChar = 231,
    kNChar = 239,
    kUniqueIdentifier = 36,
    kIntN = 38,
    kBitN = 104,
    kFltN = 109,
    kMoneyN = 110,
    kDateTimeN = 111,
    kDecimalN = 106,
    kNumericN = 108,
    kChar = 47,
    kVarChar = 39,
    kInt1 = 48,
    kInt2 = 52,
    kInt4 = 56,
    kInt8 = 127,
    kBit = 50,
    kFlt8 = 62,
    kReal = 59,
    kMoney = 60,
    kMoney4 = 122,
    kDateTime = 61,
    kDateTime4 = 58,
    kText = 35,
    kNText = 99,
    kImage = 34,
    kBinary = 45,
    kVarBinary = 37,
    kDate = 40,
    kTime = 41,
    kDateTime2 = 42,
    kDateTimeOffset = 43,
};

TFieldDef Def(TFieldType t, int size = 0, int precision = 0) {
    TFieldDef d;
    d.DataType = t;
    d.Size = size;
    d.Precision = precision;
    return d;
}

// Sizes above 8000 bytes are the (max) types.
bool IsLong(int sizeInBytes) { return sizeInBytes <= 0 || sizeInBytes > 8000; }

}  // namespace

TFieldDef TdsFieldDef(int wireType, int sizeInBytes, int precision, int scale, std::string_view declaration) {
    if (!Trim(declaration).empty()) {
        TFieldDef d = FieldDefFromDeclaredType(declaration);
        if (d.DataType != TFieldType::ftUnknown) return d;
    }
    switch (wireType) {
        case kChar:
        case kBigChar: return Def(TFieldType::ftFixedChar, sizeInBytes);
        case kVarChar:
        case kBigVarChar:
            return IsLong(sizeInBytes) ? Def(TFieldType::ftMemo) : Def(TFieldType::ftString, sizeInBytes);
        case kNChar: return Def(TFieldType::ftFixedWideChar, sizeInBytes / 2);
        case kNVarChar:
            return IsLong(sizeInBytes) ? Def(TFieldType::ftWideMemo) : Def(TFieldType::ftWideString, sizeInBytes / 2);
        case kText: return Def(TFieldType::ftMemo);
        case kNText: return Def(TFieldType::ftWideMemo);
        case kInt1: return Def(TFieldType::ftWord);
        case kInt2: return Def(TFieldType::ftSmallint);
        case kInt4: return Def(TFieldType::ftInteger);
        case kInt8: return Def(TFieldType::ftLargeint);
        case kIntN:
            switch (sizeInBytes) {
                case 1: return Def(TFieldType::ftWord);
                case 2: return Def(TFieldType::ftSmallint);
                case 8: return Def(TFieldType::ftLargeint);
                default: return Def(TFieldType::ftInteger);
            }
        case kBit:
        case kBitN: return Def(TFieldType::ftBoolean);
        case kFlt8:
        case kReal:
        case kFltN: return Def(TFieldType::ftFloat);
        case kMoney:
        case kMoney4:
        case kMoneyN: return Def(TFieldType::ftCurrency);
        case kDecimalN:
        case kNumericN: return Def(TFieldType::ftBCD, scale, precision);
        case kDateTime:
        case kDateTime4:
        case kDateTimeN:
        case kDateTime2:
        case kDateTimeOffset: return Def(TFieldType::ftDateTime);
        case kDate: return Def(TFieldType::ftDate);
        case kTime: return Def(TFieldType::ftTime);
        case kImage:
        case kBinary:
        case kVarBinary:
        case kBigBinary:
        case kBigVarBinary: return Def(TFieldType::ftBlob);
        case kUniqueIdentifier: return Def(TFieldType::ftGuid, 38);
        default: return Def(TFieldType::ftString, sizeInBytes > 0 ? sizeInBytes : 0);
    }
}

namespace {

template <typename T>
T Load(const unsigned char* data) {
    T v;
    std::memcpy(&v, data, sizeof v);
    return v;
}

[[noreturn]] void BadLength(const char* what, int length) {
    throw EADOError(std::string("The server sent a ") + what + " value of " + std::to_string(length) + " bytes");
}

}  // namespace

std::int64_t TdsMoney(const unsigned char* data, int length) {
    if (length == 4) return Load<std::int32_t>(data);
    if (length != 8) BadLength("money", length);
    const auto high = static_cast<std::uint64_t>(static_cast<std::uint32_t>(Load<std::int32_t>(data)));
    const auto low = static_cast<std::uint64_t>(Load<std::uint32_t>(data + 4));
    return static_cast<std::int64_t>((high << 32) | low);
}

TDateTime TdsDateTime(const unsigned char* data, int length) {
    // 1900-01-01 is day 2 of the date-time count.
    if (length == 4) {
        const double days = Load<std::uint16_t>(data);
        const double minutes = Load<std::uint16_t>(data + 2);
        return days + 2 + minutes / 1440.0;
    }
    if (length != 8) BadLength("datetime", length);
    const double days = Load<std::int32_t>(data);
    const double ticks = Load<std::int32_t>(data + 4);
    const double time = ticks / (300.0 * 86400.0);
    const double d = days + 2;
    // Before 1899-12-30 the count is negative and the time is added away from zero.
    return d < 0 ? d - time : d + time;
}

std::int64_t TdsInteger(const unsigned char* data, int length) {
    switch (length) {
        case 1: return data[0];
        case 2: return Load<std::int16_t>(data);
        case 4: return Load<std::int32_t>(data);
        case 8: return Load<std::int64_t>(data);
        default: BadLength("integer", length);
    }
}

double TdsFloat(const unsigned char* data, int length) {
    if (length == 4) return Load<float>(data);
    if (length == 8) return Load<double>(data);
    BadLength("float", length);
}

}  // namespace menvaro
