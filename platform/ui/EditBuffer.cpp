#include "ui/EditBuffer.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "base/CodePage.h"
#include "base/Strings.h"

namespace menvaro {

namespace {

// The nearest character boundary at or before `pos`.
int BoundaryIn(const std::string& s, int pos) {
    pos = std::clamp(pos, 0, static_cast<int>(s.size()));
    while (pos > 0 && pos < static_cast<int>(s.size()) &&
           (static_cast<unsigned char>(s[static_cast<std::size_t>(pos)]) & 0xC0) == 0x80)
        --pos;
    return pos;
}

// The text up to its first line break, with damaged UTF-8 repaired.
std::string OneLine(std::string_view s) {
    std::size_t end = s.find_first_of("\r\n");
    if (end != std::string_view::npos) s = s.substr(0, end);
    if (IsValidUtf8(s)) return std::string(s);
    std::string out;
    for (std::size_t i = 0; i < s.size();) AppendUtf8(out, NextCodePoint(s, i));
    return out;
}

}  // namespace

// ------------------------------------------------------------- properties

bool TEditBuffer::SetText(const std::string& raw) {
    std::string s = ApplyCase(raw);
    if (s == text_) return false;
    text_ = std::move(s);
    caret_ = anchor_ = 0;
    canUndo_ = false;
    group_ = gNone;
    modified_ = false;
    return true;
}

bool TEditBuffer::SetCharCase(TEditCharCase c) {
    charCase_ = c;
    std::string t = ApplyCase(text_);
    if (t == text_) return false;
    text_ = std::move(t);
    return true;
}

std::string TEditBuffer::ApplyCase(const std::string& s) const {
    if (charCase_ == ecUpperCase) return UpperCase(s);
    if (charCase_ == ecLowerCase) return LowerCase(s);
    return s;
}

std::string TEditBuffer::DisplayText() const {
    if (!passwordChar_) return text_;
    return std::string(static_cast<std::size_t>(CharsBefore(static_cast<int>(text_.size()))), passwordChar_);
}

int TEditBuffer::CharsBefore(int pos) const {
    std::string_view s = std::string_view(text_).substr(
        0, static_cast<std::size_t>(std::clamp(pos, 0, static_cast<int>(text_.size()))));
    int n = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) ++n;
    return n;
}

// -------------------------------------------------------------- positions

int TEditBuffer::Boundary(int pos) const { return BoundaryIn(text_, pos); }

int TEditBuffer::PrevChar(int pos) const {
    if (pos <= 0) return 0;
    return Boundary(pos - 1);
}

int TEditBuffer::NextChar(int pos) const {
    if (pos >= static_cast<int>(text_.size())) return static_cast<int>(text_.size());
    return pos + static_cast<int>(CharLength(text_, static_cast<std::size_t>(pos)));
}

bool TEditBuffer::IsWordChar(int pos) const {
    auto ch = static_cast<unsigned char>(text_[static_cast<std::size_t>(pos)]);
    // Every character beyond ASCII (Chinese text) counts as part of a word.
    return ch >= 0x80 || std::isalnum(ch) || ch == '_';
}

int TEditBuffer::PrevWord(int pos) const {
    while (pos > 0 && !IsWordChar(PrevChar(pos))) pos = PrevChar(pos);
    while (pos > 0 && IsWordChar(PrevChar(pos))) pos = PrevChar(pos);
    return pos;
}

int TEditBuffer::NextWord(int pos) const {
    int n = static_cast<int>(text_.size());
    while (pos < n && IsWordChar(pos)) pos = NextChar(pos);
    while (pos < n && !IsWordChar(pos)) pos = NextChar(pos);
    return pos;
}

// -------------------------------------------------------------- selection

int TEditBuffer::SelStart() const { return std::min(caret_, anchor_); }
int TEditBuffer::SelLength() const { return std::abs(caret_ - anchor_); }

std::string TEditBuffer::SelText() const {
    return text_.substr(static_cast<std::size_t>(SelStart()), static_cast<std::size_t>(SelLength()));
}

TEditResult TEditBuffer::SetCaret(int pos, bool extend) {
    caret_ = Boundary(pos);
    if (!extend) anchor_ = caret_;
    group_ = gNone;
    TEditResult r;
    r.caretPlaced = true;
    return r;
}

TEditResult TEditBuffer::Select(std::int64_t start, std::int64_t end) {
    int n = static_cast<int>(text_.size());
    if (start < 0) return SetCaret(caret_, false);  // no selection, the caret stays
    if (end < 0 || end > n) end = n;
    anchor_ = Boundary(static_cast<int>(std::min<std::int64_t>(start, n)));
    return SetCaret(static_cast<int>(end), true);
}

TEditResult TEditBuffer::SelectWordAt(int pos) {
    int n = static_cast<int>(text_.size());
    int a = pos, b = pos;
    if (pos < n && IsWordChar(pos)) {
        while (a > 0 && IsWordChar(PrevChar(a))) a = PrevChar(a);
        while (b < n && IsWordChar(b)) b = NextChar(b);
    }
    anchor_ = a;
    return SetCaret(b, true);
}

TEditResult TEditBuffer::MoveLeft(bool word, bool extend) {
    if (!extend && SelLength() > 0 && !word) return SetCaret(SelStart(), false);
    return SetCaret(word ? PrevWord(caret_) : PrevChar(caret_), extend);
}

TEditResult TEditBuffer::MoveRight(bool word, bool extend) {
    if (!extend && SelLength() > 0 && !word) return SetCaret(SelStart() + SelLength(), false);
    return SetCaret(word ? NextWord(caret_) : NextChar(caret_), extend);
}

// ---------------------------------------------------------------- editing

// Replaces [from, to) with `with`; beeps when MaxLength left something out
// of typed text. `group` joins this change to the undo step before it when
// the caret has not moved in between.
TEditResult TEditBuffer::Replace(int from, int to, const std::string& with, bool typed, int group) {
    TEditResult r;
    std::string put = with;
    if (typed && maxLength_ > 0) {
        int room = maxLength_ - (static_cast<int>(text_.size()) - (to - from));
        if (static_cast<int>(put.size()) > room) {
            int keep = room <= 0 ? 0 : BoundaryIn(put + ' ', room);
            put.resize(static_cast<std::size_t>(std::max(0, keep)));
            r.beep = true;
        }
    }
    if (put.empty() && from == to) return r;
    if (group == gNone || group != group_ || caret_ != groupEnd_ || !canUndo_) {
        undoText_ = text_;
        undoCaret_ = caret_;
        undoAnchor_ = anchor_;
        canUndo_ = true;
    }
    text_ = text_.substr(0, static_cast<std::size_t>(from)) + put + text_.substr(static_cast<std::size_t>(to));
    caret_ = anchor_ = from + static_cast<int>(put.size());
    group_ = group;
    groupEnd_ = caret_;
    if (typed) modified_ = true;
    r.textChanged = true;
    r.caretPlaced = true;
    return r;
}

TEditResult TEditBuffer::InsertTyped(const std::string& s) {
    if (readOnly_) return {false, false, true};
    return Replace(SelStart(), SelStart() + SelLength(), ApplyCase(s), true, SelLength() == 0 ? gTyping : gNone);
}

TEditResult TEditBuffer::DeleteSelection() {
    return Replace(SelStart(), SelStart() + SelLength(), std::string(), true, gNone);
}

TEditResult TEditBuffer::TypeByte(unsigned char ch) {
    if (ch >= 0x80) {
        if ((ch & 0xC0) == 0x80) {
            if (pending_.empty()) return {};  // a stray trail byte
            pending_.push_back(static_cast<char>(ch));
            if (pending_.size() < pendingNeed_) return {};
            std::string c = std::move(pending_);
            pending_.clear();
            if (IsValidUtf8(c)) return InsertTyped(c);
            return {};
        }
        pending_.assign(1, static_cast<char>(ch));
        pendingNeed_ = ch >= 0xF0 ? 4 : ch >= 0xE0 ? 3 : 2;
        if (ch < 0xC2 || ch > 0xF4) pending_.clear();
        return {};
    }
    pending_.clear();
    if (ch == 8) return Backspace();
    if (ch < 32 || ch == 127) return {};  // Enter, Esc, Tab and the other control characters
    return InsertTyped(std::string(1, static_cast<char>(ch)));
}

TEditResult TEditBuffer::Backspace() {
    if (readOnly_) return {false, false, true};
    if (SelLength() > 0) return DeleteSelection();
    if (caret_ > 0) return Replace(PrevChar(caret_), caret_, std::string(), true, gBackspace);
    return {};
}

TEditResult TEditBuffer::Delete() {
    if (readOnly_) return {false, false, true};
    if (SelLength() > 0) return DeleteSelection();
    if (caret_ < static_cast<int>(text_.size())) return Replace(caret_, NextChar(caret_), std::string(), true, gDelete);
    return {};
}

TEditResult TEditBuffer::ReplaceSelection(std::string_view text) {
    return Replace(SelStart(), SelStart() + SelLength(), OneLine(text), false, gNone);
}

TEditResult TEditBuffer::ClearSelection() {
    if (readOnly_ || SelLength() == 0) return {};
    return DeleteSelection();
}

TEditResult TEditBuffer::Overwrite(int from, int to, const std::string& with, int caret) {
    if (readOnly_) return {false, false, true};
    const int n = static_cast<int>(text_.size());
    from = Boundary(std::clamp(from, 0, n));
    to = Boundary(std::clamp(to, from, n));
    std::string next = text_.substr(0, static_cast<std::size_t>(from)) + with +
                       text_.substr(static_cast<std::size_t>(to));
    TEditResult r;
    r.caretPlaced = true;
    if (next != text_) {
        undoText_ = text_;
        undoCaret_ = caret_;
        undoAnchor_ = anchor_;
        canUndo_ = true;
        text_ = std::move(next);
        modified_ = true;
        r.textChanged = true;
    }
    group_ = gNone;
    caret_ = anchor_ = Boundary(caret);
    return r;
}

void TEditBuffer::Copy(TEditClipboard& clipboard) const {
    if (SelLength() > 0 && !passwordChar_) clipboard.SetText(SelText());
}

TEditResult TEditBuffer::Cut(TEditClipboard& clipboard) {
    if (SelLength() == 0 || passwordChar_) return {};
    if (readOnly_) return {false, false, true};
    clipboard.SetText(SelText());
    return DeleteSelection();
}

TEditResult TEditBuffer::Paste(TEditClipboard& clipboard) {
    if (readOnly_) return {false, false, true};
    std::string clip = OneLine(clipboard.Text());
    if (clip.empty()) return {};
    return Replace(SelStart(), SelStart() + SelLength(), ApplyCase(clip), true, gNone);
}

// ------------------------------------------------------------------- undo

bool TEditBuffer::Undo() {
    if (!canUndo_ || readOnly_) return false;
    std::string now = text_;
    int nc = caret_, na = anchor_;
    text_ = undoText_;
    caret_ = undoCaret_;
    anchor_ = undoAnchor_;
    // A second undo brings the change back.
    undoText_ = std::move(now);
    undoCaret_ = nc;
    undoAnchor_ = na;
    group_ = gNone;
    modified_ = true;
    return true;
}

void TEditBuffer::ClearUndo() {
    canUndo_ = false;
    group_ = gNone;
}

}  // namespace menvaro
