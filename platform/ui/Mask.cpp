#include "ui/Mask.h"

#include <algorithm>
#include <cctype>

#include "base/CodePage.h"
#include "base/FormatSettings.h"
#include "base/Strings.h"

namespace menvaro {

std::vector<std::string> SplitChars(std::string_view text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = std::max<std::size_t>(1, CharLength(text, i));
        out.emplace_back(text.substr(i, len));
        i += len;
    }
    return out;
}

int CharOffset(std::string_view text, int index) {
    std::size_t i = 0;
    for (int k = 0; k < index && i < text.size(); ++k) i += std::max<std::size_t>(1, CharLength(text, i));
    return static_cast<int>(std::min(i, text.size()));
}

namespace {

std::string Join(const std::vector<std::string>& chars) {
    std::string out;
    for (const std::string& c : chars) out += c;
    return out;
}

// The end of the mask part: the first ';' that no '\' escapes.
std::size_t MaskEnd(std::string_view editMask) {
    for (std::size_t i = 0; i < editMask.size(); ++i) {
        if (editMask[i] == '\\') {
            ++i;
            continue;
        }
        if (editMask[i] == ';') return i;
    }
    return std::string_view::npos;
}

}  // namespace

// ---------------------------------------------------------------- parsing

TEditMask::TEditMask(std::string_view editMask) {
    std::size_t end = MaskEnd(editMask);
    std::string_view mask = editMask.substr(0, end);
    if (end != std::string_view::npos) {
        std::string_view rest = editMask.substr(end + 1);
        save_ = rest.empty() || rest[0] != '0';
        std::size_t second = rest.find(';');
        if (second != std::string_view::npos && second + 1 < rest.size() &&
            static_cast<unsigned char>(rest[second + 1]) < 0x80)
            blank_ = rest[second + 1];
    }
    std::vector<std::string> cps = SplitChars(mask);
    Case letterCase = cNone;
    for (std::size_t i = 0; i < cps.size(); ++i) {
        const std::string& c = cps[i];
        auto literal = [&](std::string text) {
            Position p;
            p.literal = std::move(text);
            positions_.push_back(std::move(p));
        };
        auto input = [&](Kind kind, bool required) {
            Position p;
            p.kind = kind;
            p.required = required;
            p.letterCase = letterCase;
            positions_.push_back(std::move(p));
        };
        if (c.size() != 1) {
            literal(c);
            continue;
        }
        switch (c[0]) {
            case '\\':
                if (i + 1 < cps.size()) literal(cps[++i]);
                break;
            case '!': reverse_ = true; break;
            case '>':
                if (i + 1 < cps.size() && cps[i + 1] == "<") {
                    letterCase = cNone;
                    ++i;
                } else {
                    letterCase = cUpper;
                }
                break;
            case '<':
                if (i + 1 < cps.size() && cps[i + 1] == ">") {
                    letterCase = cNone;
                    ++i;
                } else {
                    letterCase = cLower;
                }
                break;
            case '0': input(kDigit, true); break;
            case '9': input(kDigit, false); break;
            case '#': input(kDigitSign, false); break;
            case 'L': input(kLetter, true); break;
            case 'l': input(kLetter, false); break;
            case 'A': input(kAlnum, true); break;
            case 'a': input(kAlnum, false); break;
            case 'C': input(kAny, true); break;
            case 'c': input(kAny, false); break;
            case ':': literal(std::string(1, FormatSettings().TimeSeparator)); break;
            case '/': literal(std::string(1, FormatSettings().DateSeparator)); break;
            case '_': literal(" "); break;
            default: literal(c); break;
        }
    }
}

bool TEditMask::IsLiteral(int pos) const {
    return pos >= 0 && pos < Size() && positions_[static_cast<std::size_t>(pos)].kind == kLiteral;
}

bool TEditMask::IsRequired(int pos) const {
    return pos >= 0 && pos < Size() && positions_[static_cast<std::size_t>(pos)].required;
}

const std::string& TEditMask::Literal(int pos) const {
    static const std::string none;
    return IsLiteral(pos) ? positions_[static_cast<std::size_t>(pos)].literal : none;
}

bool TEditMask::Accepts(int pos, const std::string& ch, std::string& stored) const {
    if (pos < 0 || pos >= Size() || IsLiteral(pos) || ch.empty()) return false;
    const Position& p = positions_[static_cast<std::size_t>(pos)];
    const auto c = static_cast<unsigned char>(ch[0]);
    const bool ascii = ch.size() == 1;
    bool ok = false;
    switch (p.kind) {
        case kDigit: ok = ascii && std::isdigit(c); break;
        case kDigitSign: ok = ascii && (std::isdigit(c) || c == '+' || c == '-'); break;
        case kLetter: ok = ascii && std::isalpha(c); break;
        case kAlnum: ok = ascii && std::isalnum(c); break;
        case kAny: ok = !ascii || c >= 32; break;
        case kLiteral: break;
    }
    if (!ok) return false;
    stored = p.letterCase == cUpper ? UpperCase(ch) : p.letterCase == cLower ? LowerCase(ch) : ch;
    return true;
}

int TEditMask::NextInput(int pos) const {
    for (int k = std::max(0, pos); k < Size(); ++k)
        if (!IsLiteral(k)) return k;
    return Size();
}

int TEditMask::PrevInput(int pos) const {
    for (int k = std::min(pos, Size()) - 1; k >= 0; --k)
        if (!IsLiteral(k)) return k;
    return -1;
}

// --------------------------------------------------------------- the text

namespace {

// The edit text's characters, one a position (a text of another length
// is cut or filled).
std::vector<std::string> Positions(const TEditMask& mask, std::string_view editText) {
    std::vector<std::string> chars = SplitChars(editText);
    chars.resize(static_cast<std::size_t>(mask.Size()));
    for (int k = 0; k < mask.Size(); ++k) {
        std::string& c = chars[static_cast<std::size_t>(k)];
        if (mask.IsLiteral(k))
            c = mask.Literal(k);
        else if (c.empty())
            c = std::string(1, mask.Blank());
    }
    return chars;
}

}  // namespace

std::string TEditMask::FormatValue(std::string_view value, char blank) const {
    std::vector<std::string> v = SplitChars(value);
    std::vector<std::string> out(static_cast<std::size_t>(Size()));
    if (!reverse_) {
        std::size_t vi = 0;
        for (int k = 0; k < Size(); ++k)
            out[static_cast<std::size_t>(k)] = IsLiteral(k)    ? Literal(k)
                                               : vi < v.size() ? v[vi++]
                                                               : std::string(1, blank);
    } else {
        std::size_t left = v.size();
        for (int k = Size() - 1; k >= 0; --k)
            out[static_cast<std::size_t>(k)] = IsLiteral(k) ? Literal(k) : left > 0 ? v[--left] : std::string(1, blank);
    }
    return Join(out);
}

std::string TEditMask::PadLiterals(std::string_view value, char blank) const {
    std::vector<std::string> v = SplitChars(value);
    std::vector<std::string> out(static_cast<std::size_t>(Size()));
    std::size_t vi = 0;
    for (int k = 0; k < Size();) {
        if (IsLiteral(k)) {
            out[static_cast<std::size_t>(k)] = Literal(k);
            if (vi < v.size() && v[vi] == Literal(k)) ++vi;
            ++k;
            continue;
        }
        int e = k;
        while (e < Size() && !IsLiteral(e)) ++e;
        const std::string term = e < Size() ? Literal(e) : std::string();
        const bool termAhead = !term.empty() &&
                               std::find(v.begin() + static_cast<std::ptrdiff_t>(vi), v.end(), term) != v.end();
        std::vector<std::string> part;
        while (vi < v.size() && static_cast<int>(part.size()) < e - k && !(termAhead && v[vi] == term))
            part.push_back(v[vi++]);
        // What the run has no room for, up to its literal, is left out.
        if (termAhead)
            while (vi < v.size() && v[vi] != term) ++vi;
        const int room = e - k, have = static_cast<int>(part.size());
        for (int j = 0; j < room; ++j) {
            int from = reverse_ ? j - (room - have) : j;
            out[static_cast<std::size_t>(k + j)] = from >= 0 && from < have ? part[static_cast<std::size_t>(from)]
                                                                            : std::string(1, blank);
        }
        k = e;
    }
    return Join(out);
}

std::string TEditMask::EmptyEditText() const { return FormatValue({}, blank_); }

std::string TEditMask::TextFromEditText(std::string_view editText) const {
    std::string raw = TypedText(editText);
    return save_ ? FormatValue(raw, ' ') : raw;
}

std::string TEditMask::TypedText(std::string_view editText) const {
    std::vector<std::string> chars = Positions(*this, editText);
    std::vector<std::string> typed;
    for (int k = 0; k < Size(); ++k)
        if (!IsLiteral(k)) typed.push_back(chars[static_cast<std::size_t>(k)]);
    const std::string blank(1, blank_);
    if (reverse_) {
        auto first = std::find_if(typed.begin(), typed.end(), [&](const std::string& c) { return c != blank; });
        typed.erase(typed.begin(), first);
    } else {
        while (!typed.empty() && typed.back() == blank) typed.pop_back();
    }
    for (std::string& c : typed)
        if (c == blank) c.assign(1, ' ');
    return Join(typed);
}

std::string TEditMask::EditTextFromText(std::string_view text) const {
    std::vector<std::string> chars = SplitChars(save_ ? PadLiterals(text, blank_) : FormatValue(text, blank_));
    // A space of the stored text is a place where nothing was typed.
    for (int k = 0; k < Size() && k < static_cast<int>(chars.size()); ++k)
        if (!IsLiteral(k) && chars[static_cast<std::size_t>(k)] == " ")
            chars[static_cast<std::size_t>(k)].assign(1, blank_);
    return Join(chars);
}

bool TEditMask::Validate(std::string_view editText, int& pos) const {
    std::vector<std::string> chars = Positions(*this, editText);
    const std::string blank(1, blank_);
    for (int k = 0; k < Size(); ++k) {
        if (!IsRequired(k)) continue;
        const std::string& c = chars[static_cast<std::size_t>(k)];
        if (c == blank || (c == " " && positions_[static_cast<std::size_t>(k)].kind != kAny)) {
            pos = k;
            return false;
        }
    }
    return true;
}

std::string FormatMaskText(std::string_view editMask, std::string_view value) {
    TEditMask mask(editMask);
    if (mask.Empty()) return std::string(value);
    return mask.SaveLiterals() ? mask.PadLiterals(value, ' ') : mask.FormatValue(value, ' ');
}

// ---------------------------------------------------------------- editing

namespace {

struct TSelection {
    int caret, start, end;  // characters
};

TSelection SelectionOf(const TEditBuffer& b) {
    return {b.CharsBefore(b.CaretPos()), b.CharsBefore(b.SelStart()), b.CharsBefore(b.SelStart() + b.SelLength())};
}

void BlankRange(const TEditMask& mask, std::vector<std::string>& chars, int from, int to) {
    for (int k = from; k < to && k < mask.Size(); ++k)
        if (!mask.IsLiteral(k)) chars[static_cast<std::size_t>(k)] = std::string(1, mask.Blank());
}

TEditResult Commit(TEditBuffer& b, const std::vector<std::string>& chars, int caret) {
    std::string text = Join(chars);
    return b.Overwrite(0, static_cast<int>(b.Text().size()), text, CharOffset(text, caret));
}

TEditResult Refused(TEditResult r = {}) {
    r.beep = true;
    return r;
}

TEditResult Place(TEditBuffer& b, int caret) { return b.SetCaret(CharOffset(b.Text(), caret), false); }

// Types one character into `chars` at `c`; the new caret, or -1 when refused.
// A typed character that the position refuses but that is the next literal
// moves the caret past that literal (typing "-" ends a field early);
// `strict` (pasting) leaves that out.
int TypeInto(const TEditMask& mask, std::vector<std::string>& chars, int c, const std::string& ch, bool strict) {
    // Typing the literal the caret stands on steps over it.
    if (mask.IsLiteral(c) && ch == mask.Literal(c)) return mask.NextInput(c + 1);
    int k = mask.NextInput(c);
    std::string stored;
    if (k < mask.Size() && mask.Accepts(k, ch, stored)) {
        chars[static_cast<std::size_t>(k)] = stored;
        return mask.NextInput(k + 1);
    }
    if (strict) return -1;
    for (int j = c; j < mask.Size(); ++j)
        if (mask.IsLiteral(j)) return ch == mask.Literal(j) ? mask.NextInput(j + 1) : -1;
    return -1;
}

}  // namespace

TEditResult MaskTypeChar(const TEditMask& mask, TEditBuffer& buffer, const std::string& ch) {
    if (buffer.ReadOnly()) return Refused();
    std::vector<std::string> chars = Positions(mask, buffer.Text());
    TSelection s = SelectionOf(buffer);
    int c = s.caret;
    bool blanked = s.end > s.start;
    if (blanked) {
        BlankRange(mask, chars, s.start, s.end);
        c = s.start;
    }
    int next = TypeInto(mask, chars, c, ch, false);
    if (next < 0) return Refused(blanked ? Commit(buffer, chars, c) : TEditResult{});
    return Commit(buffer, chars, next);
}

namespace {

// Blanks the selection, or one input position: the one before the caret
// (backspace) or the one at it (delete); the caret goes there.
TEditResult BlankOne(const TEditMask& mask, TEditBuffer& buffer, bool before) {
    if (buffer.ReadOnly()) return Refused();
    std::vector<std::string> chars = Positions(mask, buffer.Text());
    TSelection s = SelectionOf(buffer);
    if (s.end > s.start) {
        BlankRange(mask, chars, s.start, s.end);
        return Commit(buffer, chars, s.start);
    }
    int k = before ? mask.PrevInput(s.caret) : mask.NextInput(s.caret);
    if (k < 0 || k >= mask.Size()) return {};
    BlankRange(mask, chars, k, k + 1);
    return Commit(buffer, chars, k);
}

}  // namespace

TEditResult MaskBackspace(const TEditMask& mask, TEditBuffer& buffer) { return BlankOne(mask, buffer, true); }

TEditResult MaskDelete(const TEditMask& mask, TEditBuffer& buffer) { return BlankOne(mask, buffer, false); }

TEditResult MaskMoveLeft(const TEditMask& mask, TEditBuffer& buffer) {
    TSelection s = SelectionOf(buffer);
    if (s.end > s.start) return Place(buffer, s.start);
    int k = mask.PrevInput(s.caret);
    return Place(buffer, k < 0 ? s.caret : k);
}

TEditResult MaskMoveRight(const TEditMask& mask, TEditBuffer& buffer) {
    TSelection s = SelectionOf(buffer);
    if (s.end > s.start) return Place(buffer, s.end);
    return Place(buffer, std::min(mask.NextInput(s.caret + 1), mask.Size()));
}

TEditResult MaskMoveHome(const TEditMask& mask, TEditBuffer& buffer) {
    int k = mask.NextInput(0);
    return Place(buffer, k >= mask.Size() ? 0 : k);
}

TEditResult MaskMoveEnd(const TEditMask& mask, TEditBuffer& buffer) { return Place(buffer, mask.Size()); }

TEditResult MaskPaste(const TEditMask& mask, TEditBuffer& buffer, std::string_view text) {
    if (buffer.ReadOnly()) return Refused();
    std::vector<std::string> chars = Positions(mask, buffer.Text());
    TSelection s = SelectionOf(buffer);
    int c = s.caret;
    if (s.end > s.start) {
        BlankRange(mask, chars, s.start, s.end);
        c = s.start;
    }
    bool refused = false;
    for (const std::string& ch : SplitChars(text)) {
        if (ch == "\r" || ch == "\n") break;
        if (c >= mask.Size()) {
            refused = true;
            break;
        }
        // The literal just stepped over, pasted too, is taken as it.
        if (mask.IsLiteral(c - 1) && ch == mask.Literal(c - 1) && !mask.IsLiteral(c)) continue;
        int next = TypeInto(mask, chars, c, ch, true);
        if (next < 0)
            refused = true;
        else
            c = next;
    }
    TEditResult r = Commit(buffer, chars, c);
    r.beep = refused;
    return r;
}

TEditResult MaskCheckCaret(const TEditMask& mask, TEditBuffer& buffer) {
    TSelection s = SelectionOf(buffer);
    if (s.end > s.start || !mask.IsLiteral(s.caret)) return {};
    int k = mask.NextInput(s.caret);
    if (k >= mask.Size()) return {};
    return Place(buffer, k);
}

}  // namespace menvaro
