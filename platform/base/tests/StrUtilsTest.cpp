#include "base/StrUtils.h"

#include <gtest/gtest.h>

using namespace menvaro;

TEST(StrUtils, HtmlEscapeMakesMarkupTextThenBreaksAndBlanks) {
    struct Case {
        const char* text;
        const char* html;
    } cases[] = {
        {"a b\r\nc", "a&nbsp;b<br>c"},
        {"", ""},
        {"<script>&", "&lt;script&gt;&amp;"},
        {"1 < 2\r\n\r\nx & y", "1&nbsp;&lt;&nbsp;2<br><br>x&nbsp;&amp;&nbsp;y"},
        {"lone\rCR\nLF", "lone\rCR\nLF"},  // only the pair is a line break
        {"&nbsp;", "&amp;nbsp;"},
    };
    for (const Case& c : cases) EXPECT_EQ(HtmlEscape(c.text), c.html) << c.text;
}
