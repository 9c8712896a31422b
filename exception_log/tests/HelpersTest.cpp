#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <optional>
#include <random>
#include <string>

#include "ETypes.h"
#include "EnvVar.h"
#include "testsupport/TempDir.h"

using namespace menvaro;
using menvaro::test::EnvVar;

namespace {

std::string Compressed(const std::string& data) {
    uLongf size = compressBound(data.size());
    std::string out(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                        data.size(), 9),
              Z_OK);
    out.resize(size);
    return out;
}

std::string Inflated(const std::string& data, std::size_t max = kMaxDecompressedSize) {
    return DecompressBuffer(data.data(), data.size(), max);
}

}  // namespace

TEST(Helpers, RegistryStringsAreTheRawValueLessARealTerminator) {
    test::TempDir dir("registry");
    const std::string file = dir.Write("registry.reg",
                                       "Windows Registry Editor Version 5.00\r\n\r\n"
                                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Logger]\r\n"
                                       "\"Text\"=\"abc\"\r\n"
                                       "\"Wide\"=hex(1):61,00,62,00,63,00,00,00\r\n"
                                       "\"Seven\"=dword:00000007\r\n"
                                       "\"High\"=dword:01000000\r\n"
                                       "\"Zero\"=hex:61,62,00\r\n"
                                       "\"NoZero\"=hex:61,62,63\r\n"
                                       "\"Multi\"=hex(7):61,00,62,00,00\r\n");
    EnvVar registry("MENVARO_REGISTRY", file.c_str());
    struct Case {
        HKEY root;
        const char* key;
        const char* value;
        std::string expected;
    } cases[] = {
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanel\\Logger", "Text", "abc"},
        {HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Corvanel\\Logger", "text", "abc"},  // one leading "\", any case
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanel\\Logger", "Wide", "abc"},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanel\\Logger", "Seven", std::string("\x07\0\0", 3)},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanel\\Logger", "High", std::string("\0\0\0\x01", 4)},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanel\\Logger", "Zero", "ab"},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanel\\Logger", "NoZero", "abc"},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanel\\Logger", "Multi", std::string("a\0b\0", 4)},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanel\\Logger", "Missing", ""},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanel\\Nothing", "Text", ""},
        {HKEY_CURRENT_USER, "SOFTWARE\\Corvanel\\Logger", "Text", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadRegistryString(c.root, c.key, c.value), c.expected) << c.value;
    // A damaged store answers "" too.
    dir.Write("registry.reg", "not a registry file\r\n");
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanel\\Logger", "Text"), "");
}

TEST(Helpers, TheCharsetFollowsTheLocalesCodePage) {
    EnvVar noType("LC_CTYPE", nullptr);
    EnvVar noLang("LANG", nullptr);
    struct Case {
        const char* locale;
        int codePage;
        int charset;
    } cases[] = {
        {"zh_CN.GBK", 936, 134},
        {"zh_CN.gb18030", 936, 134},
        {"zh_CN.GB2312", 936, 134},
        {"zh_TW.Big5", 950, 136},
        {"ja_JP.SJIS", 932, 128},
        {"ko_KR.EUC-KR", 949, 129},
        {"ru_RU.CP1251", 1251, 204},
        {"pl_PL.cp1250@euro", 1250, 238},
        {"th_TH.TIS-620", 874, 222},
        {"en_US.UTF-8", 65001, 1},
        {"C", 20127, 1},
    };
    for (const Case& c : cases) {
        EnvVar all("LC_ALL", c.locale);
        EXPECT_EQ(UserDefaultAnsiCodePage(), c.codePage) << c.locale;
        EXPECT_EQ(GetUserDefaultCharset(), c.charset) << c.locale;
    }
    EXPECT_EQ(CharsetOfCodePage(1252), 0);
    EXPECT_EQ(CharsetOfCodePage(1361), 130);
    EXPECT_EQ(CharsetOfCodePage(437), 1);
}

TEST(Helpers, InflatingGrowsInStepsOfTheInputLength) {
    struct Case {
        std::size_t length, step;
    } steps[] = {{1, 256}, {255, 256}, {256, 256}, {257, 512}, {1000, 1024}};
    for (const Case& c : steps) EXPECT_EQ(DecompressStep(c.length), c.step) << c.length;

    std::mt19937 rng(7);
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{255}, std::size_t{70000}}) {
        std::string data(size, '\0');
        for (char& c : data) c = static_cast<char>(rng() % 16);
        EXPECT_EQ(Inflated(Compressed(data)), data) << size;
    }
    // Many steps: a megabyte of zeros is a small input.
    const std::string zeros(1 << 20, '\0');
    const std::string packed = Compressed(zeros);
    ASSERT_LT(packed.size(), 2000u);
    EXPECT_EQ(Inflated(packed), zeros);
    // What follows the end of the stream is not read.
    EXPECT_EQ(Inflated(Compressed("abc") + "trailing"), "abc");
}

TEST(Helpers, DamagedCompressedDataIsAnErrorNotALoop) {
    const std::string packed = Compressed(std::string(5000, 'x') + "end");
    struct Case {
        std::string input;
        const char* message;
    } cases[] = {
        {packed.substr(0, packed.size() / 2), "The compressed data ends before its end mark."},
        {"", "The compressed data is empty or too large."},
        {"not zlib at all", "The compressed data is damaged: incorrect header check."},
        {packed.substr(0, 2), "The compressed data ends before its end mark."},
    };
    for (const Case& c : cases) {
        try {
            Inflated(c.input);
            ADD_FAILURE() << "no error for " << c.input.size() << " bytes";
        } catch (const EOstrelLogError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    // The output is capped.
    try {
        Inflated(Compressed(std::string(100000, 'z')), 4096);
        ADD_FAILURE() << "no error beyond the cap";
    } catch (const EOstrelLogError& e) {
        EXPECT_STREQ(e.what(), "The compressed data inflates to more than 4096 bytes.");
    }
    // Random damage ends with data or an error, never past the cap.
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        std::string d = packed;
        const int flips = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < flips; ++i) d[rng() % d.size()] = static_cast<char>(rng());
        if (round % 4 == 0) d.resize(1 + rng() % d.size());
        try {
            EXPECT_LE(Inflated(d, 65536).size(), 65536u);
        } catch (const EOstrelLogError&) {
        }
    }
}
