// TEditBuffer: the one editing core under every single-line edit (TEdit now,
// the data-aware edit and the calculator's display later). It holds the text,
// caret, selection and undo step and applies the editing rules; it has no
// window, canvas or clipboard of its own, so the control around it paints,
// scrolls and tells, and a test drives it directly.
//
// Positions count bytes of the UTF-8 text and always fall on character
// boundaries: a caret, a deletion or MaxLength never splits a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "classes/TypeInfo.h"

namespace menvaro {

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
MENVARO_DECLARE_ENUM(TEditCharCase)

// Where copy and cut put text and paste takes it from.
class TEditClipboard {
public:
    virtual ~TEditClipboard() = default;
    virtual std::string Text() = 0;
    virtual void SetText(const std::string& text) = 0;
};

// What an operation did, for the control to show.
struct TEditResult {
    bool textChanged = false;
    // The caret was placed (also where it already was): show it and scroll to it.
    bool caretPlaced = false;
    // Refused (read-only), or MaxLength left something out.
    bool beep = false;
};

class TEditBuffer {
public:
    const std::string& Text() const { return text_; }
    // Text set by the program (in the char case): caret and selection go to
    // the start, undo is forgotten, Modified is cleared. False when the text
    // stays as it is.
    bool SetText(const std::string& text);

    int CaretPos() const { return caret_; }
    int SelStart() const;
    int SelLength() const;
    std::string SelText() const;

    // At most this many bytes of typed or pasted text; 0 is no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v) { maxLength_ = v; }
    // Nonzero: the text shows as this character, one a character, and is
    // neither copied nor cut.
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char c) { passwordChar_ = c; }
    // Refuses typing, deleting, cutting, pasting and undo; moving and
    // selecting still work, and so does ReplaceSelection (the program's).
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    // Typed and pasted text, and the text itself now (true when it changed).
    TEditCharCase CharCase() const { return charCase_; }
    bool SetCharCase(TEditCharCase c);
    // Set by the user's changes, cleared by SetText.
    bool Modified() const { return modified_; }
    void SetModified(bool v) { modified_ = v; }

    // The text as shown (masked by PasswordChar).
    std::string DisplayText() const;
    // How many characters the first `pos` bytes hold.
    int CharsBefore(int pos) const;
    // The nearest character boundary at or before `pos`, and the one after it.
    int Boundary(int pos) const;
    int NextChar(int pos) const;

    // Caret and selection. SetCaret moves the caret to `pos` (to a boundary),
    // with `extend` keeping the anchor so that the selection grows.
    TEditResult SetCaret(int pos, bool extend);
    // From `start` to `end`; a negative start only drops the selection, a
    // negative end or one past the text means the end.
    TEditResult Select(std::int64_t start, std::int64_t end);
    // The word at `pos` (for a double click); just the caret off a word.
    TEditResult SelectWordAt(int pos);
    // Left and Right: a character or (word) a word; without `extend` a
    // character move first collapses a selection to its side.
    TEditResult MoveLeft(bool word, bool extend);
    TEditResult MoveRight(bool word, bool extend);
    TEditResult MoveHome(bool extend) { return SetCaret(0, extend); }
    TEditResult MoveEnd(bool extend) { return SetCaret(static_cast<int>(text_.size()), extend); }

    // One typed byte (WM_CHAR): bytes of a character beyond ASCII are put
    // together until it is whole; backspace deletes; other control
    // characters are left to the caller.
    TEditResult TypeByte(unsigned char byte);
    TEditResult Backspace();
    TEditResult Delete();
    // Replaces the selection with the first line of `text` (repaired
    // UTF-8), neither limited by MaxLength nor refused by ReadOnly.
    TEditResult ReplaceSelection(std::string_view text);

    // A change the user made by rules of the caller's (a mask's): bytes
    // [from, to) become `with` and the caret goes to `caret`, nothing
    // selected. Refused when read-only; otherwise one undo step and
    // Modified, MaxLength not applied.
    TEditResult Overwrite(int from, int to, const std::string& with, int caret);

    void Copy(TEditClipboard& clipboard) const;
    TEditResult Cut(TEditClipboard& clipboard);
    TEditResult Paste(TEditClipboard& clipboard);
    // Clear: deletes the selection.
    TEditResult ClearSelection();

    bool CanUndo() const { return canUndo_; }
    // Back to the text before the last undo step; a second undo brings the
    // change back. False when there is nothing to undo or it is read-only.
    bool Undo();
    void ClearUndo();

private:
    // Kinds of edit that one undo step gathers while they follow each
    // other at the caret.
    enum Group { gNone, gTyping, gBackspace, gDelete };

    TEditResult Replace(int from, int to, const std::string& with, bool typed, int group);
    TEditResult InsertTyped(const std::string& s);
    TEditResult DeleteSelection();
    std::string ApplyCase(const std::string& s) const;
    int PrevChar(int pos) const;
    int PrevWord(int pos) const;
    int NextWord(int pos) const;
    bool IsWordChar(int pos) const;

    std::string text_;
    int caret_ = 0;
    int anchor_ = 0;
    int maxLength_ = 0;
    char passwordChar_ = 0;
    bool readOnly_ = false;
    TEditCharCase charCase_ = ecNormal;
    bool modified_ = false;
    // A character typed byte by byte: what came so far and how much it needs.
    std::string pending_;
    std::size_t pendingNeed_ = 0;
    bool canUndo_ = false;
    std::string undoText_;
    int undoCaret_ = 0;
    int undoAnchor_ = 0;
    int group_ = gNone;
    int groupEnd_ = -1;
};

}  // namespace menvaro
