// Small string routines in the class library's manner. Case rules are ASCII
// only: letters outside ASCII (Chinese text) compare as they are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace menvaro {

// Trim removes leading and trailing characters up to and including the blank
// (control characters too), as the class library does.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// <0, 0, >0; CompareText ignores ASCII letter case.
int CompareStr(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

// Splits at every occurrence of `delimiter` (empty pieces kept).
std::vector<std::string> SplitString(std::string_view s, char delimiter);

// Replaces every occurrence of `from` (must not be empty).
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

bool StartsText(std::string_view prefix, std::string_view s);
bool EndsText(std::string_view suffix, std::string_view s);

}  // namespace menvaro
