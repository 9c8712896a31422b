// Profile (ini) files read and written with the rules of the system's
// profile functions, for settings kept in a small text file of sections:
//
//   [Section]
//   Key=Value
//
// Section and key names compare without regard to ASCII letter case;
// names and values lose their surrounding blanks when read; a value wrapped
// in a pair of double or single quotes loses the quotes. The first section
// of a name and its first key of a name count. Lines end in CR LF when
// written; LF alone is read as well.
#pragma once

#include <string>
#include <string_view>

namespace menvaro {

// Longest value read, in bytes: the profile functions read into a buffer of
// 2048 bytes with its terminating zero. A longer value is cut there, on a
// character boundary.
inline constexpr std::size_t kProfileValueMax = 2047;

// The value of `key` in `section` of `file`; `def` (without its trailing
// blanks) when the file, the section or the key is missing or the file
// cannot be read. Never raises.
std::string ReadProfileString(const std::string& file, std::string_view section, std::string_view key,
                              std::string_view def);

// Sets `key` in `section` to `value`: the key's line is replaced, or added
// at the end of the section, or the section is added at the end of the
// file, which is created when missing. The file is written to a temporary
// file and renamed into place, so a reader sees the old file or the new.
// False, with the file left as it was, when it cannot be read or written or
// when a name or the value cannot be stored as one line (a line break in
// any; "]" in the section; "=" in the key, or a key beginning with "[" or
// ";"; an empty name). Never raises.
bool WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace menvaro
