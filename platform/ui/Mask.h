// Edit masks: what a masked edit lets the user type, position by position,
// and how its text is shown and stored. Window-less: the masked edit
// applies these to its TEditBuffer, and tests drive them directly.
//
// An edit mask is "mask;save;blank". The mask's characters, each one
// position of the edit text unless said otherwise:
//
//   0  a digit, required          9  a digit, optional
//   #  a digit, + or -, optional
//   L  a letter, required         l  a letter, optional
//   A  a letter or digit, required  a  a letter or digit, optional
//   C  any character, required    c  any character, optional
//   :  the time separator         /  the date separator
//   _  a blank (a space)          \x the character x itself
//   >  upper case from here       <  lower case from here
//   <> no case change from here   !  optional characters missing lead
//                                    the text instead of trailing it
//   (> < <> ! take no position)
//
// Any other character is a literal. "save" 0 keeps the literals out of the
// stored text (any other character or none keeps them); "blank" is the
// character that shows where nothing was typed ('_' when not given).
// Positions count characters (UTF-8 sequences), never bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Exceptions.h"
#include "ui/EditBuffer.h"

namespace menvaro {

MENVARO_EXCEPTION(EDBEditError, Exception)

class TEditMask {
public:
    TEditMask() = default;
    explicit TEditMask(std::string_view editMask);

    bool Empty() const { return positions_.empty(); }
    // Positions of the edit text.
    int Size() const { return static_cast<int>(positions_.size()); }
    bool IsLiteral(int pos) const;
    bool IsRequired(int pos) const;
    // The character a literal position shows.
    const std::string& Literal(int pos) const;
    char Blank() const { return blank_; }
    bool SaveLiterals() const { return save_; }

    // `ch` typed at input position `pos`: false when the position refuses
    // it, else true with `stored` the character as kept (case applied).
    bool Accepts(int pos, const std::string& ch, std::string& stored) const;
    // The first input position at or after `pos` (Size() when none), and the
    // last one before `pos` (-1 when none).
    int NextInput(int pos) const;
    int PrevInput(int pos) const;

    // The edit text with nothing typed: literals and blanks.
    std::string EmptyEditText() const;
    // The text (as a masked edit's Text answers it) of an edit text: the
    // typed characters, blanks as spaces, missing ones at the end (at the
    // start with "!") dropped; with the literals in place when they are
    // saved.
    std::string TextFromEditText(std::string_view editText) const;
    // The typed characters alone: blanks as spaces, missing ones at the
    // end (at the start with "!") dropped.
    std::string TypedText(std::string_view editText) const;
    // The Text of an edit with nothing typed.
    std::string EmptyText() const { return TextFromEditText(EmptyEditText()); }
    // The edit text that a stored text shows as: with saved literals each
    // run of input positions takes the characters up to its literal, else
    // the characters fill the input positions in turn.
    std::string EditTextFromText(std::string_view text) const;
    // A text laid into the positions, literals inserted, `blank` where a
    // character is missing.
    std::string FormatValue(std::string_view value, char blank) const;
    // A stored value with the literals put back where they are not saved.
    std::string PadLiterals(std::string_view value, char blank) const;
    // Every required position filled (a space counts only for C); else
    // false with `pos` the first one that is not.
    bool Validate(std::string_view editText, int& pos) const;

private:
    enum Kind { kLiteral, kDigit, kDigitSign, kLetter, kAlnum, kAny };
    enum Case { cNone, cUpper, cLower };
    struct Position {
        Kind kind = kLiteral;
        bool required = false;
        Case letterCase = cNone;
        std::string literal;
    };
    std::vector<Position> positions_;
    char blank_ = '_';
    bool save_ = true;
    bool reverse_ = false;
};

// The display form of a stored value under an edit mask: literals in place,
// spaces for what is missing (the class library's FormatMaskText).
std::string FormatMaskText(std::string_view editMask, std::string_view value);

// The characters of a UTF-8 text, one string each.
std::vector<std::string> SplitChars(std::string_view text);
// The byte offset of character `index` (the text's size past the end).
int CharOffset(std::string_view text, int index);

// Editing a buffer under a mask: typing overwrites, literals are stepped
// over, deleting leaves blanks. Each answers what the buffer did; a
// refused character beeps.
TEditResult MaskTypeChar(const TEditMask& mask, TEditBuffer& buffer, const std::string& ch);
TEditResult MaskBackspace(const TEditMask& mask, TEditBuffer& buffer);
TEditResult MaskDelete(const TEditMask& mask, TEditBuffer& buffer);
// Left and Right step from input position to input position; Home goes to
// the first, End past the last character.
TEditResult MaskMoveLeft(const TEditMask& mask, TEditBuffer& buffer);
TEditResult MaskMoveRight(const TEditMask& mask, TEditBuffer& buffer);
TEditResult MaskMoveHome(const TEditMask& mask, TEditBuffer& buffer);
TEditResult MaskMoveEnd(const TEditMask& mask, TEditBuffer& buffer);
// Types the characters of `text` one after another (those refused are left
// out, with one beep).
TEditResult MaskPaste(const TEditMask& mask, TEditBuffer& buffer, std::string_view text);
// Where the caret may rest: moved onto an input position when it stands on
// a literal (and nothing is selected).
TEditResult MaskCheckCaret(const TEditMask& mask, TEditBuffer& buffer);

}  // namespace menvaro
