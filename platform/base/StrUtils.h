// Small string helpers of the report outputs.
#pragma once

#include <string>
#include <string_view>

namespace menvaro {

// Text for an HTML page: "&", "<" and ">" become entities, then every CR LF
// becomes "<br>" and every blank "&nbsp;" ("a b" CR LF "c" gives
// "a&nbsp;b<br>c").
std::string HtmlEscape(std::string_view text);

// `a` when `flag` is set, else `b` ("" in the one-sided form).
inline std::string SelectString(bool flag, std::string_view a, std::string_view b = {}) {
    return std::string(flag ? a : b);
}

}  // namespace menvaro
