#include "classes/FormParser.h"

#include <cctype>
#include <charconv>
#include <limits>

#include "base/CodePage.h"
#include "base/Strings.h"

namespace menvaro {

const char* TFormValue::KindName() const {
    switch (kind) {
        case Integer: return "integer";
        case Float: return "number";
        case String: return "string";
        case Ident: return "identifier";
        case Set: return "set";
        case List: return "list";
        case Collection: return "collection";
        case Binary: return "binary data";
    }
    return "value";
}

void RaiseFormError(const std::string& fileName, int line, const std::string& what) {
    throw EFormError(fileName + ":" + std::to_string(line) + ": " + what);
}

namespace {

enum class Tok { End, Ident, Integer, Float, String, Symbol, Binary };

struct Token {
    Tok kind = Tok::End;
    int line = 1;
    std::string text;  // Ident/Symbol/String/Binary
    std::int64_t integer = 0;
    double number = 0;
};

class Lexer {
public:
    Lexer(std::string_view s, const std::string& file) : s_(s), file_(file) {}

    [[noreturn]] void Fail(int line, const std::string& what) const { RaiseFormError(file_, line, what); }

    Token Next() {
        SkipBlanks();
        Token t;
        t.line = line_;
        if (pos_ >= s_.size()) return t;
        char ch = s_[pos_];
        if (std::isalpha(static_cast<unsigned char>(ch)) || ch == '_') {
            std::size_t start = pos_;
            while (pos_ < s_.size() &&
                   (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_' || s_[pos_] == '.'))
                ++pos_;
            t.kind = Tok::Ident;
            t.text = std::string(s_.substr(start, pos_ - start));
            if (t.text.back() == '.' || t.text.find("..") != std::string::npos)
                Fail(t.line, "malformed name '" + t.text + "'");
            return t;
        }
        if (std::isdigit(static_cast<unsigned char>(ch)) || ch == '$' ||
            (ch == '-' && pos_ + 1 < s_.size() &&
             (std::isdigit(static_cast<unsigned char>(s_[pos_ + 1])) || s_[pos_ + 1] == '$')))
            return Number(t);
        if (ch == '\'' || ch == '#') return String(t);
        ++pos_;
        t.kind = Tok::Symbol;
        t.text = std::string(1, ch);
        if (std::string_view("=:[](),<>{}+").find(ch) == std::string_view::npos)
            Fail(t.line, std::string("unexpected character '") + ch + "'");
        return t;
    }

    // Inside { }: hex digit pairs, blanks and line breaks ignored.
    Token Binary(int openLine) {
        Token t;
        t.kind = Tok::Binary;
        t.line = openLine;
        int high = -1;
        while (true) {
            if (pos_ >= s_.size()) Fail(openLine, "binary data without its closing '}'");
            char ch = s_[pos_++];
            if (ch == '}') break;
            if (ch == '\n') {
                ++line_;
                continue;
            }
            if (ch == ' ' || ch == '\t' || ch == '\r') continue;
            int v = HexDigit(ch);
            if (v < 0) Fail(line_, std::string("'") + ch + "' in binary data");
            if (high < 0) {
                high = v;
            } else {
                t.text.push_back(static_cast<char>(high * 16 + v));
                high = -1;
            }
        }
        if (high >= 0) Fail(openLine, "binary data with an odd number of hex digits");
        return t;
    }

private:
    static int HexDigit(char ch) {
        if (ch >= '0' && ch <= '9') return ch - '0';
        if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
        if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
        return -1;
    }

    void SkipBlanks() {
        while (pos_ < s_.size()) {
            char ch = s_[pos_];
            if (ch == '\n') {
                ++line_;
                ++pos_;
            } else if (ch == ' ' || ch == '\t' || ch == '\r') {
                ++pos_;
            } else {
                break;
            }
        }
    }

    Token Number(Token& t) {
        bool negative = false;
        if (s_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        if (s_[pos_] == '$') {
            ++pos_;
            std::uint64_t v = 0;
            std::size_t digits = 0;
            while (pos_ < s_.size() && HexDigit(s_[pos_]) >= 0) {
                if (v > (std::numeric_limits<std::uint64_t>::max() >> 4)) Fail(t.line, "number too large");
                v = v * 16 + static_cast<std::uint64_t>(HexDigit(s_[pos_++]));
                ++digits;
            }
            if (digits == 0) Fail(t.line, "'$' without hex digits");
            t.kind = Tok::Integer;
            t.integer = static_cast<std::int64_t>(negative ? 0 - v : v);
            CheckEndOfNumber(t);
            return t;
        }
        std::size_t start = pos_;
        while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
        bool isFloat = false;
        if (pos_ + 1 < s_.size() && s_[pos_] == '.' && std::isdigit(static_cast<unsigned char>(s_[pos_ + 1]))) {
            isFloat = true;
            ++pos_;
            while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            std::size_t save = pos_++;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            if (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
                isFloat = true;
                while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
            } else {
                pos_ = save;
            }
        }
        std::string_view digits = s_.substr(start, pos_ - start);
        if (isFloat) {
            t.kind = Tok::Float;
            // Not strtod: a form file reads the same whatever the locale.
            auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), t.number);
            if (ec == std::errc::result_out_of_range) Fail(t.line, "number out of range");
            if (negative) t.number = -t.number;
        } else {
            t.kind = Tok::Integer;
            // The lowest integer has no positive counterpart.
            std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) +
                                  (negative ? 1 : 0);
            std::uint64_t v = 0;
            for (char d : digits) {
                std::uint64_t next = v * 10 + static_cast<std::uint64_t>(d - '0');
                if (next / 10 != v || next > limit) Fail(t.line, "number too large");
                v = next;
            }
            t.integer = static_cast<std::int64_t>(negative ? 0 - v : v);
        }
        CheckEndOfNumber(t);
        return t;
    }

    void CheckEndOfNumber(const Token& t) {
        if (pos_ < s_.size() && (std::isalpha(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_'))
            Fail(t.line, "malformed number");
    }

    // Quoted parts and #n characters, written next to each other.
    Token String(Token& t) {
        t.kind = Tok::String;
        while (pos_ < s_.size()) {
            char ch = s_[pos_];
            if (ch == '\'') {
                ++pos_;
                while (true) {
                    if (pos_ >= s_.size() || s_[pos_] == '\n' || s_[pos_] == '\r') Fail(t.line, "unterminated string");
                    if (s_[pos_] == '\'') {
                        if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') {
                            t.text.push_back('\'');
                            pos_ += 2;
                            continue;
                        }
                        ++pos_;
                        break;
                    }
                    t.text.push_back(s_[pos_++]);
                }
            } else if (ch == '#') {
                ++pos_;
                std::uint32_t cp = 0;
                std::size_t digits = 0;
                bool hex = pos_ < s_.size() && s_[pos_] == '$';
                if (hex) ++pos_;
                while (pos_ < s_.size() &&
                       (hex ? HexDigit(s_[pos_]) >= 0 : std::isdigit(static_cast<unsigned char>(s_[pos_])) != 0)) {
                    cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(HexDigit(s_[pos_]));
                    ++pos_;
                    if (++digits > 8 || cp > 0x10FFFF) Fail(t.line, "character code out of range");
                }
                if (digits == 0) Fail(t.line, "'#' without a character code");
                if (cp >= 0xD800 && cp <= 0xDFFF) Fail(t.line, "character code of a surrogate");
                AppendUtf8(t.text, static_cast<char32_t>(cp));
            } else {
                break;
            }
        }
        return t;
    }

    std::string_view s_;
    const std::string& file_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

class Parser {
public:
    Parser(std::string_view text, const std::string& file) : lex_(text, file), file_(file) { Advance(); }

    TFormDocument Document() {
        TFormDocument doc;
        doc.fileName = file_;
        if (tok_.kind == Tok::End) lex_.Fail(tok_.line, "empty form file");
        doc.root = Object();
        if (tok_.kind != Tok::End) lex_.Fail(tok_.line, "text after the final 'end'");
        return doc;
    }

private:
    void Advance() { tok_ = lex_.Next(); }

    bool IsWord(const char* word) const { return tok_.kind == Tok::Ident && SameText(tok_.text, word); }
    bool IsSymbol(char ch) const { return tok_.kind == Tok::Symbol && tok_.text[0] == ch; }

    void Expect(char ch, const char* where) {
        if (!IsSymbol(ch)) lex_.Fail(tok_.line, std::string("'") + ch + "' expected " + where + Found());
        Advance();
    }

    std::string Found() const {
        switch (tok_.kind) {
            case Tok::End: return ", found the end of the file";
            case Tok::Ident: return ", found '" + tok_.text + "'";
            case Tok::Symbol: return ", found '" + tok_.text + "'";
            case Tok::Integer:
            case Tok::Float: return ", found a number";
            case Tok::String: return ", found a string";
            default: return "";
        }
    }

    TFormObject Object() {
        TFormObject obj;
        obj.line = tok_.line;
        if (IsWord("inherited")) {
            obj.inherited = true;
        } else if (!IsWord("object") && !IsWord("inline")) {
            lex_.Fail(tok_.line, "'object' expected" + Found());
        }
        Advance();
        if (tok_.kind != Tok::Ident || tok_.text.find('.') != std::string::npos)
            lex_.Fail(tok_.line, "object name or class expected" + Found());
        std::string first = tok_.text;
        Advance();
        if (IsSymbol(':')) {
            Advance();
            if (tok_.kind != Tok::Ident || tok_.text.find('.') != std::string::npos)
                lex_.Fail(tok_.line, "class name expected" + Found());
            obj.name = first;
            obj.className = tok_.text;
            Advance();
        } else {
            obj.className = first;
        }
        while (!IsWord("end")) {
            if (tok_.kind == Tok::End) lex_.Fail(obj.line, "object " + obj.name + " without its 'end'");
            if (IsWord("object") || IsWord("inherited") || IsWord("inline")) {
                obj.children.push_back(Object());
            } else {
                obj.props.push_back(Property());
            }
        }
        Advance();
        return obj;
    }

    TFormProperty Property() {
        TFormProperty p;
        p.line = tok_.line;
        if (tok_.kind != Tok::Ident) lex_.Fail(tok_.line, "property name expected" + Found());
        p.name = tok_.text;
        Advance();
        Expect('=', "after " + p.name);
        p.value = Value();
        return p;
    }

    void Expect(char ch, const std::string& where) { Expect(ch, where.c_str()); }

    TFormValue Value() {
        TFormValue v;
        v.line = tok_.line;
        switch (tok_.kind) {
            case Tok::Integer:
                v.kind = TFormValue::Integer;
                v.integer = tok_.integer;
                Advance();
                return v;
            case Tok::Float:
                v.kind = TFormValue::Float;
                v.number = tok_.number;
                Advance();
                return v;
            case Tok::String:
                v.kind = TFormValue::String;
                v.text = tok_.text;
                Advance();
                while (IsSymbol('+')) {
                    Advance();
                    if (tok_.kind != Tok::String) lex_.Fail(tok_.line, "string expected after '+'" + Found());
                    v.text += tok_.text;
                    Advance();
                }
                return v;
            case Tok::Ident:
                v.kind = TFormValue::Ident;
                v.text = tok_.text;
                Advance();
                return v;
            case Tok::Symbol: break;
            default: lex_.Fail(tok_.line, "value expected" + Found());
        }
        if (IsSymbol('[')) {
            v.kind = TFormValue::Set;
            Advance();
            if (!IsSymbol(']')) {
                while (true) {
                    if (tok_.kind != Tok::Ident) lex_.Fail(tok_.line, "set element expected" + Found());
                    v.names.push_back(tok_.text);
                    Advance();
                    if (IsSymbol(']')) break;
                    Expect(',', "between set elements");
                }
            }
            Advance();
            return v;
        }
        if (IsSymbol('(')) {
            v.kind = TFormValue::List;
            Advance();
            while (!IsSymbol(')')) {
                if (tok_.kind == Tok::End) lex_.Fail(v.line, "list without its closing ')'");
                v.values.push_back(Value());
            }
            Advance();
            return v;
        }
        if (IsSymbol('<')) {
            v.kind = TFormValue::Collection;
            Advance();
            while (!IsSymbol('>')) {
                if (!IsWord("item")) lex_.Fail(tok_.line, "'item' expected" + Found());
                TFormItem item;
                item.line = tok_.line;
                Advance();
                while (!IsWord("end")) {
                    if (tok_.kind == Tok::End) lex_.Fail(item.line, "item without its 'end'");
                    item.props.push_back(Property());
                }
                Advance();
                v.items.push_back(std::move(item));
            }
            Advance();
            return v;
        }
        if (IsSymbol('{')) {
            Token t = lex_.Binary(tok_.line);
            v.kind = TFormValue::Binary;
            v.text = std::move(t.text);
            Advance();
            return v;
        }
        lex_.Fail(tok_.line, "value expected" + Found());
    }

    Lexer lex_;
    const std::string& file_;
    Token tok_;
};

int LineOfOffset(std::string_view text, std::size_t offset) {
    int line = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i)
        if (text[i] == '\n') ++line;
    return line;
}

}  // namespace

TFormDocument ParseForm(std::string_view text, const std::string& fileName) {
    if (!IsValidUtf8(text)) {
        std::size_t i = 0;
        while (i < text.size() && IsValidUtf8(text.substr(i, CharLength(text, i)))) i += CharLength(text, i);
        RaiseFormError(fileName, LineOfOffset(text, i), "text is not valid UTF-8");
    }
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    Parser parser(text, fileName);
    return parser.Document();
}

}  // namespace menvaro
