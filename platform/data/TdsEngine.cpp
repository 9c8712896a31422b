#include "data/TdsEngine.h"

#include <sybdb.h>
#include <sybfront.h>

#include <cstring>
#include <mutex>

#include "base/ScopeGuard.h"
#include "data/DBErrors.h"
#include "data/EngineText.h"
#include "data/TdsTypes.h"

namespace menvaro {

namespace {

// The library reports through global handlers; each thread collects the
// messages of its own current call.
thread_local std::string tdsMessages;
// Set while this thread waits for a statement that may run longer than the
// query time-out.
thread_local bool tdsNoTimeout = false;

void AddMessage(const char* text) {
    if (!text || !*text) return;
    std::string t = text;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r' || t.back() == ' ')) t.pop_back();
    if (t.empty() || tdsMessages.find(t) != std::string::npos) return;
    if (!tdsMessages.empty()) tdsMessages += ' ';
    tdsMessages += t;
}

int ErrorHandler(DBPROCESS*, int, int dberr, int, char* dberrstr, char* oserrstr) {
    if (dberr == SYBETIME && tdsNoTimeout) return INT_CONTINUE;
    AddMessage(dberrstr);
    AddMessage(oserrstr);
    return INT_CANCEL;
}

int MessageHandler(DBPROCESS*, DBINT, int, int severity, char* msgtext, char*, char*, int) {
    // Severity 10 and below are information (changed database, language).
    if (severity > 10) AddMessage(msgtext);
    return 0;
}

void InitLibrary() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        ok = dbinit() == SUCCEED;
        if (ok) {
            dberrhandle(ErrorHandler);
            dbmsghandle(MessageHandler);
            dbsetlogintime(15);
            dbsettime(30);
        }
    });
    if (!ok) throw EADOError("The SQL Server client library cannot be initialised");
}

[[noreturn]] void Fail(const std::string& fallback) {
    std::string message = tdsMessages.empty() ? fallback : tdsMessages;
    tdsMessages.clear();
    throw EADOError(message);
}

struct LoginFree {
    void operator()(LOGINREC* l) const { dbloginfree(l); }
};

class TdsConnection final : public ITdsConnection {
public:
    explicit TdsConnection(const TTdsLogin& login) {
        InitLibrary();
        tdsMessages.clear();
        std::unique_ptr<LOGINREC, LoginFree> rec(dblogin());
        if (!rec) Fail("Cannot allocate a SQL Server login");
        DBSETLAPP(rec.get(), "Menvaro");
        DBSETLCHARSET(rec.get(), "UTF-8");
        DBSETLDBNAME(rec.get(), login.Database.c_str());
        if (login.NetworkAuth) {
            DBSETLNETWORKAUTH(rec.get(), TRUE);
        } else {
            DBSETLUSER(rec.get(), login.User.c_str());
            DBSETLPWD(rec.get(), login.Password.c_str());
        }
        const std::string server = login.Server.ClientName();
        proc_ = dbopen(rec.get(), server.c_str());
        if (!proc_) Fail("Cannot connect to SQL Server '" + server + "'");
        tdsMessages.clear();
    }

    ~TdsConnection() override { dbclose(proc_); }

    std::vector<TFieldDef> Query(const std::string& sql, TRowStore& rows) override {
        tdsMessages.clear();
        if (sql.find_first_not_of(" \t\r\n") == std::string::npos)
            throw EADOError("Command text was not set for the command object.");
        dbcancel(proc_);
        if (dbcmd(proc_, sql.c_str()) == FAIL || dbsqlexec(proc_) == FAIL) Fail("The statement failed");
        std::vector<TFieldDef> defs;
        bool haveRows = false;
        for (;;) {
            const RETCODE rc = dbresults(proc_);
            if (rc == NO_MORE_RESULTS) break;
            if (rc == FAIL) Fail("The statement failed");
            const int columns = dbnumcols(proc_);
            if (columns == 0) continue;
            if (haveRows) {
                // Only the first result set is read, as a query's recordset.
                while (dbnextrow(proc_) != NO_MORE_ROWS) {
                }
                continue;
            }
            haveRows = true;
            defs = ReadColumns(columns);
            rows.Reset(columns);
            for (;;) {
                const STATUS st = dbnextrow(proc_);
                if (st == NO_MORE_ROWS) break;
                if (st == FAIL) Fail("Reading the result failed");
                if (st != REG_ROW) continue;  // compute rows
                const int row = rows.AddRow();
                for (int c = 0; c < columns; ++c) ReadCell(rows, row, c, defs[static_cast<std::size_t>(c)]);
            }
        }
        if (!haveRows) throw EADOError("CommandText does not return a result set");
        MakeFieldNamesUnique(defs);
        return defs;
    }

    void Execute(const std::string& sql, bool noTimeout) override {
        tdsMessages.clear();
        const bool saved = tdsNoTimeout;
        tdsNoTimeout = noTimeout;
        ScopeGuard restore([saved] { tdsNoTimeout = saved; });
        dbcancel(proc_);
        if (dbcmd(proc_, sql.c_str()) == FAIL || dbsqlexec(proc_) == FAIL) Fail("The statement failed");
        for (;;) {
            const RETCODE rc = dbresults(proc_);
            if (rc == NO_MORE_RESULTS) break;
            if (rc == FAIL) Fail("The statement failed");
            for (;;) {
                const STATUS st = dbnextrow(proc_);
                if (st == NO_MORE_ROWS) break;
                if (st == FAIL) Fail("Reading the result failed");
            }
        }
        // An error of the server may come without a failing result.
        if (!tdsMessages.empty()) Fail("The statement failed");
    }

private:
    std::vector<TFieldDef> ReadColumns(int columns) {
        std::vector<TFieldDef> defs;
        for (int c = 1; c <= columns; ++c) {
            DBCOL2 info;
            std::memset(&info, 0, sizeof info);
            info.SizeOfStruct = sizeof info;
            TFieldDef d;
            if (dbcolinfo(proc_, CI_REGULAR, c, 0, reinterpret_cast<DBCOL*>(&info)) == SUCCEED)
                d = TdsFieldDef(info.ServerType, info.ServerMaxLength, info.Precision, info.Scale,
                                info.ServerTypeDeclaration);
            else
                d = TdsFieldDef(dbcoltype(proc_, c), dbcollen(proc_, c), 0, 0, "");
            const char* name = dbcolname(proc_, c);
            d.Name = name ? name : "";
            defs.push_back(std::move(d));
        }
        return defs;
    }

    // Converts a value the library cannot hand over natively.
    std::string Convert(int type, const BYTE* data, DBINT length, int to) {
        BYTE buffer[256];
        const DBINT n = dbconvert(proc_, type, data, length, to, buffer, sizeof buffer);
        if (n < 0) Fail("A value of the result cannot be converted");
        return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
    }

    void ReadCell(TRowStore& rows, int row, int c, const TFieldDef& def) {
        const int col = c + 1;
        const BYTE* data = dbdata(proc_, col);
        if (!data) return;  // NULL
        const DBINT length = dbdatlen(proc_, col);
        const int type = dbcoltype(proc_, col);
        switch (type) {
            case SYBINT1:
            case SYBINT2:
            case SYBINT4:
            case SYBINT8: rows.SetInteger(row, c, TdsInteger(data, length)); return;
            case SYBBIT: rows.SetInteger(row, c, data[0] != 0 ? 1 : 0); return;
            case SYBFLT8:
            case SYBREAL: rows.SetFloat(row, c, TdsFloat(data, length)); return;
            case SYBMONEY:
            case SYBMONEY4: rows.SetCurrency(row, c, TdsMoney(data, length)); return;
            case SYBDATETIME:
            case SYBDATETIME4: rows.SetDateTime(row, c, TdsDateTime(data, length)); return;
            case SYBMSDATE:
            case SYBMSTIME:
            case SYBMSDATETIME2:
            case SYBMSDATETIMEOFFSET: {
                const std::string dt = Convert(type, data, length, SYBDATETIME);
                rows.SetDateTime(row, c,
                                 TdsDateTime(reinterpret_cast<const unsigned char*>(dt.data()),
                                             static_cast<int>(dt.size())));
                return;
            }
            case SYBDECIMAL:
            case SYBNUMERIC: {
                const std::string text = Convert(type, data, length, SYBCHAR);
                double v;
                if (!TryParseNumber(text, v)) Fail("The server sent the decimal value '" + text + "'");
                rows.SetFloat(row, c, v);
                return;
            }
            default:
                break;
        }
        if (def.DataType == TFieldType::ftGuid && length == 16) {
            rows.SetText(row, c, "{" + Convert(type, data, length, SYBCHAR) + "}");
            return;
        }
        rows.SetText(row, c, std::string_view(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length)));
    }

    DBPROCESS* proc_ = nullptr;
};

}  // namespace

std::unique_ptr<ITdsConnection> OpenTdsConnection(const TConnectionParams& params) {
    const TTdsLogin login = MakeTdsLogin(params, !params.IntegratedSecurity || DomainLoginAvailable());
    return std::make_unique<TdsConnection>(login);
}

}  // namespace menvaro
