// Text encodings. Text in memory is UTF-8; GBK (code page 936) is the
// encoding of files read by the handheld, UTF-16 that of wide boundaries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace menvaro {

// UTF-8 -> GBK. A character GBK cannot hold becomes "?" (one per UTF-16 code
// unit, so a character outside the BMP becomes "??"), as the system's own
// conversion does. Invalid UTF-8 raises EConvertError.
std::string Utf8ToGbk(std::string_view utf8);
// The same, appending to `out`.
void AppendUtf8AsGbk(std::string& out, std::string_view utf8);

// The GBK bytes of every character below U+10000, as AppendUtf8AsGbk writes
// them, for writers that convert as they go: 0 where GBK cannot hold the
// character, else the byte count in the top byte and the bytes below it
// (the first one above the second).
const std::uint32_t* GbkBytesOfBmp();

// GBK -> UTF-8. A byte sequence that is not GBK raises EConvertError.
std::string GbkToUtf8(std::string_view gbk);

// UTF-8 <-> UTF-16. Invalid input (bad UTF-8, unpaired surrogates) raises EConvertError.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// True when `s` is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view s);

// Decodes the well-formed UTF-8 sequence at s[i] into `cp` and returns its
// length, or 0 when the bytes there are not well-formed UTF-8.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp);

// Length in bytes of the UTF-8 sequence starting at s[i] (1 for a stray or
// truncated byte, so that walking a damaged string always advances).
std::size_t CharLength(std::string_view s, std::size_t i);

// Decodes the code point at s[i] and advances i past it; a damaged sequence
// yields U+FFFD and advances one byte.
char32_t NextCodePoint(std::string_view s, std::size_t& i);

// Appends the UTF-8 form of `cp` to `out`.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace menvaro
