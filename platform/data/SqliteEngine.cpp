#include "data/SqliteEngine.h"

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <map>

#include "base/Files.h"
#include "base/NumberText.h"
#include "base/Strings.h"
#include "data/DBErrors.h"
#include "data/DeclaredType.h"
#include "data/EngineText.h"
#include "data/FieldConvert.h"

namespace menvaro {

namespace {

struct StatementCloser {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

// How the values of one result column are read.
enum class Reader { Text, FixedText, Integer, Boolean, Float, Currency, DateTime, Blob, Dynamic };

Reader ReaderFor(TFieldType t) {
    switch (t) {
        case TFieldType::ftString:
        case TFieldType::ftWideString:
        case TFieldType::ftMemo:
        case TFieldType::ftWideMemo:
        case TFieldType::ftGuid: return Reader::Text;
        case TFieldType::ftFixedChar:
        case TFieldType::ftFixedWideChar: return Reader::FixedText;
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftLargeint: return Reader::Integer;
        case TFieldType::ftBoolean: return Reader::Boolean;
        case TFieldType::ftFloat:
        case TFieldType::ftBCD: return Reader::Float;
        case TFieldType::ftCurrency: return Reader::Currency;
        case TFieldType::ftDate:
        case TFieldType::ftTime:
        case TFieldType::ftDateTime: return Reader::DateTime;
        case TFieldType::ftBlob: return Reader::Blob;
        case TFieldType::ftUnknown: return Reader::Dynamic;
    }
    return Reader::Dynamic;
}

class SqliteConnection final : public IDbConnection {
public:
    explicit SqliteConnection(const std::string& path) : path_(path) {
        const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        if (rc != SQLITE_OK) {
            const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
            sqlite3_close(db_);
            db_ = nullptr;
            throw EADOError("Cannot open the database '" + path + "': " + message);
        }
        // A backup or restore in progress holds a lock for a moment; wait
        // for it rather than fail at once.
        sqlite3_busy_timeout(db_, 5000);
        sqlite3_extended_result_codes(db_, 1);
        try {
            // sqlite3_open reads nothing; make a damaged or foreign file fail here.
            TRowStore probe;
            Query("select count(*) from sqlite_master", probe);
        } catch (const EADOError& e) {
            sqlite3_close(db_);
            db_ = nullptr;
            throw EADOError("Cannot open the database '" + path + "': " + e.Message());
        }
    }

    ~SqliteConnection() override { sqlite3_close(db_); }

    std::vector<TFieldDef> Query(const std::string& sql, TRowStore& rows) override {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &raw, &tail) != SQLITE_OK)
            Fail();
        Statement stmt(raw);
        if (!stmt) throw EADOError("Command text was not set for the command object.");
        CheckSingleStatement(tail, sql.c_str() + sql.size());

        const int columns = sqlite3_column_count(stmt.get());
        if (columns == 0) throw EADOError("CommandText does not return a result set");

        std::vector<TFieldDef> defs(static_cast<std::size_t>(columns));
        std::vector<Reader> readers(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            const char* decl = sqlite3_column_decltype(stmt.get(), c);
            TFieldDef d = DeclaredType(decl ? decl : "");
            const char* name = sqlite3_column_name(stmt.get(), c);
            d.Name = name ? name : "";
            readers[static_cast<std::size_t>(c)] = ReaderFor(d.DataType);
            if (readers[static_cast<std::size_t>(c)] == Reader::FixedText) CheckFixedWidth(d, decl);
            defs[static_cast<std::size_t>(c)] = std::move(d);
        }

        rows.Reset(columns);
        std::string padded;
        for (;;) {
            const int rc = sqlite3_step(stmt.get());
            if (rc == SQLITE_DONE) break;
            if (rc != SQLITE_ROW) Fail();
            const int row = rows.AddRow();
            for (int c = 0; c < columns; ++c)
                ReadCell(stmt.get(), rows, row, c, readers[static_cast<std::size_t>(c)],
                         defs[static_cast<std::size_t>(c)], padded);
        }
        for (int c = 0; c < columns; ++c)
            if (readers[static_cast<std::size_t>(c)] == Reader::Dynamic)
                InferType(rows, c, defs[static_cast<std::size_t>(c)]);
        MakeFieldNamesUnique(defs);
        return defs;
    }

private:
    [[noreturn]] void Fail() const { throw EADOError(sqlite3_errmsg(db_)); }

    // A database declares a handful of types; each is read once.
    TFieldDef DeclaredType(const char* declared) {
        auto it = declaredTypes_.find(declared);
        if (it == declaredTypes_.end()) it = declaredTypes_.emplace(declared, FieldDefFromDeclaredType(declared)).first;
        return it->second;
    }

    void CheckSingleStatement(const char* tail, const char* end) const {
        while (tail && tail < end) {
            sqlite3_stmt* next = nullptr;
            const char* after = nullptr;
            if (sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), &next, &after) != SQLITE_OK) Fail();
            if (next) {
                sqlite3_finalize(next);
                throw EADOError("The command text holds more than one statement");
            }
            if (after == tail) break;
            tail = after;
        }
    }

    // Every value is padded to the declared width, so a width no char
    // column on the server can have is refused rather than allocated.
    static void CheckFixedWidth(const TFieldDef& d, const char* declared) {
        const bool wide = d.DataType == TFieldType::ftFixedWideChar;
        const int limit = wide ? 4000 : 8000;
        if (d.Size > limit)
            throw EADOError("Column '" + d.Name + "' is declared " + declared + "; a " + (wide ? "nchar" : "char") +
                            " column holds at most " + std::to_string(limit));
    }

    [[noreturn]] static void BadValue(const TFieldDef& d, int row, const std::string& value, const char* what) {
        throw EADOError("Column '" + d.Name + "' of row " + std::to_string(row + 1) + " holds '" + value +
                        "', which is not " + what);
    }

    // The bytes of a text or blob value, valid until the next step.
    static std::string_view TextView(sqlite3_stmt* s, int c) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
        return std::string_view(p, p ? static_cast<std::size_t>(sqlite3_column_bytes(s, c)) : 0);
    }
    static std::string_view BlobView(sqlite3_stmt* s, int c) {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(s, c));
        return std::string_view(p, p ? static_cast<std::size_t>(sqlite3_column_bytes(s, c)) : 0);
    }

    static std::string TextOf(sqlite3_stmt* s, int c) { return std::string(TextView(s, c)); }

    static void ReadCell(sqlite3_stmt* s, TRowStore& rows, int row, int c, Reader reader, const TFieldDef& d,
                         std::string& scratch) {
        if (reader == Reader::Text) {
            // A NULL gives no pointer; new rows start as Null.
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
            if (p) rows.SetText(row, c, std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(s, c))));
            return;
        }
        const int storage = sqlite3_column_type(s, c);
        if (storage == SQLITE_NULL) return;
        switch (reader) {
            case Reader::Text: return;
            case Reader::FixedText:
                scratch = TextOf(s, c);
                PadFixedChar(scratch, d.DataType, d.Size);
                rows.SetText(row, c, scratch);
                return;
            case Reader::Blob: rows.SetText(row, c, BlobView(s, c)); return;
            case Reader::Integer:
                if (storage == SQLITE_INTEGER) {
                    rows.SetInteger(row, c, sqlite3_column_int64(s, c));
                    return;
                } else {
                    const std::string t = TextOf(s, c);
                    std::int64_t v;
                    if (storage == SQLITE_TEXT && TryStrToInt64(t, v)) {
                        rows.SetInteger(row, c, v);
                        return;
                    }
                    BadValue(d, row, t, "an integer");
                }
            case Reader::Boolean:
                if (storage == SQLITE_INTEGER) {
                    rows.SetInteger(row, c, sqlite3_column_int64(s, c) != 0 ? 1 : 0);
                    return;
                } else {
                    const std::string t = TextOf(s, c);
                    if (storage == SQLITE_TEXT && (SameText(t, "true") || t == "1")) {
                        rows.SetInteger(row, c, 1);
                        return;
                    }
                    if (storage == SQLITE_TEXT && (SameText(t, "false") || t == "0")) {
                        rows.SetInteger(row, c, 0);
                        return;
                    }
                    BadValue(d, row, t, "a bit value");
                }
            case Reader::Float:
                if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
                    rows.SetFloat(row, c, sqlite3_column_double(s, c));
                    return;
                } else {
                    const std::string t = TextOf(s, c);
                    double v;
                    if (storage == SQLITE_TEXT && TryParseNumber(t, v)) {
                        rows.SetFloat(row, c, v);
                        return;
                    }
                    BadValue(d, row, t, "a number");
                }
            case Reader::Currency: {
                // Integers and texts convert exactly; a stored double rounds
                // to the four decimals of the money type.
                std::int64_t v;
                if (storage == SQLITE_INTEGER) {
                    const std::int64_t i = sqlite3_column_int64(s, c);
                    if (i > std::numeric_limits<std::int64_t>::max() / 10000 ||
                        i < std::numeric_limits<std::int64_t>::min() / 10000)
                        BadValue(d, row, TextOf(s, c), "a money value");
                    rows.SetCurrency(row, c, i * 10000);
                    return;
                }
                if (storage == SQLITE_FLOAT) {
                    const double x = sqlite3_column_double(s, c);
                    if (!(std::fabs(x) < 9.2e14)) BadValue(d, row, TextOf(s, c), "a money value");
                    rows.SetCurrency(row, c, CurrencyFromDouble(x));
                    return;
                }
                const std::string t = TextOf(s, c);
                if (storage == SQLITE_TEXT && TryParseCurrency(t, v)) {
                    rows.SetCurrency(row, c, v);
                    return;
                }
                BadValue(d, row, t, "a money value");
            }
            case Reader::DateTime: {
                // Read in place: the engine's text is checked, not kept.
                const std::string_view t = TextView(s, c);
                TDateTime v;
                if (storage == SQLITE_TEXT && TryParseIsoDateTime(t, v)) {
                    rows.SetDateTime(row, c, v);
                    return;
                }
                BadValue(d, row, std::string(t), "a date and time (YYYY-MM-DD HH:MM:SS)");
            }
            case Reader::Dynamic:
                switch (storage) {
                    case SQLITE_INTEGER: rows.SetInteger(row, c, sqlite3_column_int64(s, c)); return;
                    case SQLITE_FLOAT: rows.SetFloat(row, c, sqlite3_column_double(s, c)); return;
                    case SQLITE_BLOB: rows.SetText(row, c, BlobView(s, c)); return;
                    default: rows.SetText(row, c, TextView(s, c)); return;
                }
        }
    }

    // An expression column has no declared type: integers only make an
    // integer field, any float a float field, any text a string field.
    static void InferType(const TRowStore& rows, int c, TFieldDef& d) {
        bool anyFloat = false, anyText = false, wide = false;
        int longest = 0;
        for (int r = 0; r < rows.RowCount(); ++r) {
            const TCellValue v = rows.Get(r, c);
            if (v.kind == TValueKind::Float) anyFloat = true;
            if (v.kind == TValueKind::Text) {
                anyText = true;
                longest = std::max(longest, static_cast<int>(v.s.size()));
            }
            if (v.kind == TValueKind::Integer &&
                (v.i < std::numeric_limits<std::int32_t>::min() || v.i > std::numeric_limits<std::int32_t>::max()))
                wide = true;
        }
        bool anyValue = false;
        for (int r = 0; r < rows.RowCount() && !anyValue; ++r) anyValue = rows.Get(r, c).kind != TValueKind::Null;
        if (anyText || !anyValue) {
            d.DataType = TFieldType::ftString;
            d.Size = longest;
        } else if (anyFloat) {
            d.DataType = TFieldType::ftFloat;
        } else {
            d.DataType = wide ? TFieldType::ftLargeint : TFieldType::ftInteger;
        }
    }

    std::string path_;
    sqlite3* db_ = nullptr;
    std::map<std::string, TFieldDef, std::less<>> declaredTypes_;
};

}  // namespace

std::unique_ptr<IDbConnection> OpenSqliteConnection(const std::string& path) {
    if (!FileExists(path)) throw EADOError("Cannot open the database '" + path + "': the file does not exist");
    return std::make_unique<SqliteConnection>(path);
}

}  // namespace menvaro
