#include "base/CodePage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include "base/Exceptions.h"

using namespace menvaro;

TEST(CodePage, GbkRoundTripsChineseAndLatin) {
    const std::string text = "Menvaro无线餐饮系统资料更新工具 \"<&>\" 餐点 €";
    const std::string gbk = Utf8ToGbk(text);
    EXPECT_EQ(GbkToUtf8(gbk), text);
    // 餐 is C2CD in GBK, 点 B5E3; the euro sign is the single byte 0x80.
    EXPECT_EQ(Utf8ToGbk("餐点"), "\xB2\xCD\xB5\xE3");
    EXPECT_EQ(Utf8ToGbk("€"), "\x80");
    EXPECT_EQ(Utf8ToGbk(""), "");
}

TEST(CodePage, CharactersGbkCannotHoldBecomeQuestionMarks) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"a\xE2\x82\xA9" "b", "a?b"},            // won sign: not in GBK
        {"\xF0\x9F\x98\x80", "??"},              // outside the BMP: two UTF-16 units
        {"ท", "?"},                              // Thai
        {"中ท文", "\xD6\xD0?\xCE\xC4"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToGbk(c.in), c.out) << c.in;
}

TEST(CodePage, InvalidInputIsAnErrorNotACrash) {
    const char* badUtf8[] = {"\xFF", "a\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"};
    for (const char* s : badUtf8) {
        EXPECT_THROW(Utf8ToGbk(s), EConvertError) << s;
        EXPECT_THROW(Utf8ToUtf16(s), EConvertError) << s;
    }
    EXPECT_THROW(GbkToUtf8("\xFF"), EConvertError);
    EXPECT_THROW(GbkToUtf8("ab\xB2"), EConvertError);  // lead byte without its trail
    EXPECT_THROW(Utf16ToUtf8(u"\xD800"), EConvertError);
    EXPECT_THROW(Utf16ToUtf8(u"\xDC00x"), EConvertError);
}

TEST(CodePage, Utf16RoundTrip) {
    const std::string text = "\\Program Files\\Menvaro餐点\\dish1.xml 😀";
    const std::u16string w = Utf8ToUtf16(text);
    EXPECT_EQ(w.substr(0, 15), u"\\Program Files\\");
    EXPECT_EQ(w[22], u'餐');
    EXPECT_EQ(Utf16ToUtf8(w), text);
}

TEST(CodePage, WalkingDamagedTextAlwaysAdvances) {
    const std::string s = "a\xFF" "餐\xE9";
    std::size_t i = 0;
    std::u32string cps;
    while (i < s.size()) cps += NextCodePoint(s, i);
    EXPECT_EQ(cps, U"a\uFFFD餐\uFFFD");
    EXPECT_EQ(CharLength(s, 2), 3u);
}

TEST(CodePage, GbkConversionAgreesWithTheSystemsForEveryBmpCharacter) {
    iconv_t cd = iconv_open("CP936", "UTF-8");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int differences = 0;
    for (char32_t cp = 1; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        std::string in;
        AppendUtf8(in, cp);
        char out[8];
        char* src = in.data();
        char* dst = out;
        std::size_t srcLeft = in.size(), dstLeft = sizeof out;
        std::string expected = "?";
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1))
            expected.assign(out, static_cast<std::size_t>(dst - out));
        else
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (Utf8ToGbk(in) != expected && ++differences < 5) ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(cp);
    }
    iconv_close(cd);
    EXPECT_EQ(differences, 0);
}
