#include "SymbolNames.h"

#include <cxxabi.h>

#include <cstdlib>
#include <vector>

namespace menvaro {

namespace {

std::string Demangled(const std::string& mangled) {
    int status = 0;
    char* text = abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status);
    std::string result = status == 0 && text ? text : mangled;
    std::free(text);
    return result;
}

}  // namespace

std::string Demangle(std::string_view symbol) {
    if (symbol.size() < 2 || symbol.substr(0, 2) != "_Z") return std::string(symbol);
    return Demangled(std::string(symbol));
}

std::string DemangleType(std::string_view typeName) { return Demangled(std::string(typeName)); }

namespace {

bool IsIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

// Where the name of an operator that starts at `at` ("operator...") ends;
// 0 when "operator" there is part of another word. A conversion operator
// ends at its "operator": the type that follows belongs to the name.
std::size_t OperatorEnd(std::string_view s, std::size_t at, bool& conversion) {
    conversion = false;
    constexpr std::string_view keyword = "operator";
    if (s.substr(at, keyword.size()) != keyword || (at > 0 && IsIdentifierChar(s[at - 1]))) return 0;
    std::size_t i = at + keyword.size();
    if (i < s.size() && IsIdentifierChar(s[i])) return 0;
    // Longest spellings first.
    static constexpr std::string_view symbols[] = {
        "()", "[]", "<=>", "<<=", ">>=", "->*", "<<", ">>", "<=", ">=", "->", "==", "!=",
        "&&", "||", "++",  "--",  "+=",  "-=",  "*=", "/=", "%=", "&=", "|=", "^=", "<",
        ">",  "+",  "-",   "*",   "/",   "%",   "^",  "&",  "|",  "~",  "!",  "=",  ",",
    };
    for (std::string_view symbol : symbols)
        if (s.substr(i, symbol.size()) == symbol) return i + symbol.size();
    auto word = [&](std::string_view w) {
        if (s.substr(i, w.size()) != w || (i + w.size() < s.size() && IsIdentifierChar(s[i + w.size()]))) return false;
        i += w.size();
        return true;
    };
    // A literal operator: its suffix is part of the name.
    if (s.substr(i, 2) == "\"\"") {
        i += 2;
        while (i < s.size() && s[i] == ' ') ++i;
        while (i < s.size() && IsIdentifierChar(s[i])) ++i;
        return i;
    }
    if (word(" new") || word(" delete")) {
        if (s.substr(i, 2) == "[]") i += 2;
        return i;
    }
    if (word(" co_await")) return i;
    conversion = true;
    return i;
}

// What lies at the outer level of a name: its "::" separators, its blanks
// and its last parenthesised group.
struct TNameShape {
    std::vector<std::size_t> scopes;
    std::vector<std::size_t> blanks;
    std::size_t groupOpen = std::string_view::npos;
    std::size_t groupClose = std::string_view::npos;
};

TNameShape ShapeOf(std::string_view s) {
    TNameShape shape;
    int depth = 0;
    // After a conversion operator's "operator" its type follows, up to the
    // parameter list.
    bool inConversion = false;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == 'o') {
            bool conversion = false;
            if (const std::size_t end = OperatorEnd(s, i, conversion)) {
                if (conversion && depth == 0) inConversion = true;
                i = end;
                continue;
            }
        }
        if (c == '(' || c == '<' || c == '[' || c == '{') {
            if (depth == 0 && c == '(') {
                shape.groupOpen = i;
                shape.groupClose = std::string_view::npos;
                inConversion = false;
            }
            ++depth;
        } else if (c == ')' || c == '>' || c == ']' || c == '}') {
            if (depth > 0) --depth;
            if (depth == 0 && c == ')') shape.groupClose = i;
        } else if (depth == 0 && !inConversion) {
            if (c == ':' && i + 1 < s.size() && s[i + 1] == ':') {
                shape.scopes.push_back(i);
                i += 2;
                continue;
            }
            if (c == ' ') shape.blanks.push_back(i);
        }
        ++i;
    }
    return shape;
}

std::string WithoutAbiTags(std::string s) {
    for (std::size_t at = s.find("[abi:"); at != std::string::npos; at = s.find("[abi:", at)) {
        const std::size_t end = s.find(']', at);
        if (end == std::string::npos) break;
        s.erase(at, end + 1 - at);
    }
    return s;
}

}  // namespace

std::string StripSignature(std::string_view s) {
    // " [clone .cold]", " [clone .constprop.0] [clone .isra.0]" ...
    while (!s.empty() && s.back() == ']') {
        const std::size_t at = s.rfind(" [clone ");
        if (at == std::string_view::npos) break;
        s = s.substr(0, at);
    }
    const TNameShape shape = ShapeOf(s);
    // The last group at the outer level is the parameter list when nothing
    // but qualifiers follows it; "(anonymous namespace)::x" has none.
    if (shape.groupOpen != std::string_view::npos && shape.groupOpen > 0 &&
        shape.groupClose != std::string_view::npos && (shape.scopes.empty() || shape.scopes.back() < shape.groupOpen)) {
        std::size_t start = 0;
        for (std::size_t b : shape.blanks)
            if (b < shape.groupOpen) start = b + 1;  // a template function's return type
        s = s.substr(start, shape.groupOpen - start);
    }
    return WithoutAbiTags(std::string(s));
}

std::string FunctionName(std::string_view symbol) { return StripSignature(Demangle(symbol)); }

TScopedName SplitScope(std::string_view qualified) {
    const TNameShape shape = ShapeOf(qualified);
    if (shape.scopes.empty()) return {"", std::string(qualified)};
    const std::size_t at = shape.scopes.back();
    return {std::string(qualified.substr(0, at)), std::string(qualified.substr(at + 2))};
}

std::string CutUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    std::size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return std::string(text.substr(0, n));
}

}  // namespace menvaro
