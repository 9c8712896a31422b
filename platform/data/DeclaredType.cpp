#include "data/DeclaredType.h"

#include <string>
#include <vector>

#include "base/NumberText.h"
#include "base/Strings.h"

namespace menvaro {

namespace {

struct Parsed {
    std::string base;               // lower case, inner blanks reduced to one
    std::vector<std::string> args;  // the parenthesised arguments, trimmed, lower case
};

Parsed ParseDeclared(std::string_view declared) {
    Parsed p;
    const std::size_t open = declared.find('(');
    std::string base = LowerCase(Trim(declared.substr(0, open)));
    for (char c : base) {
        if (c == ' ' || c == '\t') {
            if (!p.base.empty() && p.base.back() != ' ') p.base += ' ';
        } else {
            p.base += c;
        }
    }
    if (open != std::string_view::npos) {
        const std::size_t close = declared.find(')', open);
        const std::string_view inner =
            declared.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
        for (const std::string& a : SplitString(inner, ',')) p.args.push_back(LowerCase(Trim(a)));
    }
    return p;
}

int IntArg(const Parsed& p, std::size_t i, int def) {
    if (i >= p.args.size()) return def;
    int v;
    return TryStrToInt(p.args[i], v) && v >= 0 ? v : def;
}

bool IsMax(const Parsed& p) { return !p.args.empty() && p.args[0] == "max"; }

}  // namespace

TFieldDef FieldDefFromDeclaredType(std::string_view declared) {
    const Parsed p = ParseDeclared(declared);
    const std::string& b = p.base;
    TFieldDef d;
    auto set = [&d](TFieldType t, int size = 0, int precision = 0) {
        d.DataType = t;
        d.Size = size;
        d.Precision = precision;
        return d;
    };
    if (b == "char" || b == "character") return set(TFieldType::ftFixedChar, IntArg(p, 0, 1));
    if (b == "nchar" || b == "national char" || b == "national character")
        return set(TFieldType::ftFixedWideChar, IntArg(p, 0, 1));
    if (b == "varchar" || b == "character varying" || b == "char varying")
        return IsMax(p) ? set(TFieldType::ftMemo) : set(TFieldType::ftString, IntArg(p, 0, 1));
    if (b == "nvarchar" || b == "national char varying" || b == "national character varying")
        return IsMax(p) ? set(TFieldType::ftWideMemo) : set(TFieldType::ftWideString, IntArg(p, 0, 1));
    if (b == "text") return set(TFieldType::ftMemo);
    if (b == "ntext") return set(TFieldType::ftWideMemo);
    if (b == "tinyint") return set(TFieldType::ftWord);
    if (b == "smallint") return set(TFieldType::ftSmallint);
    if (b == "int" || b == "integer") return set(TFieldType::ftInteger);
    if (b == "bigint") return set(TFieldType::ftLargeint);
    if (b == "bit" || b == "boolean") return set(TFieldType::ftBoolean);
    if (b == "money" || b == "smallmoney") return set(TFieldType::ftCurrency);
    if (b == "decimal" || b == "numeric" || b == "dec")
        return set(TFieldType::ftBCD, IntArg(p, 1, 0), IntArg(p, 0, 18));
    if (b == "float" || b == "real" || b == "double" || b == "double precision") return set(TFieldType::ftFloat);
    if (b == "datetime" || b == "smalldatetime" || b == "datetime2") return set(TFieldType::ftDateTime);
    if (b == "date") return set(TFieldType::ftDate);
    if (b == "time") return set(TFieldType::ftTime);
    if (b == "binary" || b == "varbinary" || b == "image" || b == "blob") return set(TFieldType::ftBlob);
    if (b == "uniqueidentifier") return set(TFieldType::ftGuid, 38);
    return set(TFieldType::ftUnknown);
}

}  // namespace menvaro
