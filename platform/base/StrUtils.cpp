#include "base/StrUtils.h"

#include "base/Strings.h"

namespace menvaro {

std::string HtmlEscape(std::string_view text) {
    // Entities first: the later steps add "&" and "<" of their own.
    std::string r = ReplaceAll(text, "&", "&amp;");
    r = ReplaceAll(r, "<", "&lt;");
    r = ReplaceAll(r, ">", "&gt;");
    r = ReplaceAll(r, "\r\n", "<br>");
    return ReplaceAll(r, " ", "&nbsp;");
}

}  // namespace menvaro
