#include "base/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/Exceptions.h"

namespace menvaro {

namespace {

// Decodes one strictly well-formed UTF-8 sequence; returns its length or 0.
std::size_t DecodeStrict(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle OpenIconv(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        RaiseLastOSError(std::string("cannot convert from ") + from + " to " + to);
    return IconvHandle(cd);
}

// Runs iconv over `in`; `onBad` is called with the offset of an input
// sequence that cannot be converted and returns how many input bytes to skip
// (after appending its replacement to `out`), or raises.
template <class OnBad>
std::string Convert(const char* to, const char* from, std::string_view in, OnBad onBad) {
    IconvHandle cd = OpenIconv(to, from);
    std::string out;
    out.reserve(in.size() * 2 + 8);
    std::size_t pos = 0;
    char buf[4096];
    while (pos < in.size()) {
        char* src = const_cast<char*>(in.data() + pos);
        std::size_t srcLeft = in.size() - pos;
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        const std::size_t r = iconv(static_cast<iconv_t>(cd.get()), &src, &srcLeft, &dst, &dstLeft);
        const int err = errno;
        out.append(buf, dst - buf);
        pos = in.size() - srcLeft;
        if (r != static_cast<std::size_t>(-1)) continue;
        if (err == E2BIG) continue;
        if (err == EILSEQ || err == EINVAL) {
            // Reset the shift state, then let the caller decide.
            iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
            pos += onBad(pos, out);
            continue;
        }
        RaiseLastOSError("text conversion failed", err);
    }
    return out;
}

// GBK bytes of every BMP character, made once with iconv: one or two bytes,
// or none where GBK cannot hold the character. Converting through the table
// is many times faster than iconv's own loop, and gives the same bytes.
class GbkTable {
public:
    static const GbkTable& Get() {
        static const GbkTable table;
        return table;
    }
    // 0: not in GBK; otherwise the byte count in the high byte.
    std::uint32_t operator[](char32_t cp) const { return entries_[cp]; }
    const std::uint32_t* data() const { return entries_.data(); }

private:
    GbkTable() : entries_(0x10000, 0) {
        IconvHandle cd = OpenIconv("CP936", "UTF-16LE");
        for (std::uint32_t cp = 0x80; cp < 0x10000; ++cp) {
            if (cp >= 0xD800 && cp <= 0xDFFF) continue;
            char in[2] = {static_cast<char>(cp & 0xFF), static_cast<char>(cp >> 8)};
            char out[8];
            char* src = in;
            char* dst = out;
            std::size_t srcLeft = 2, dstLeft = sizeof out;
            if (iconv(static_cast<iconv_t>(cd.get()), &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
                iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
                continue;
            }
            const std::size_t n = static_cast<std::size_t>(dst - out);
            if (n == 1) entries_[cp] = 0x01000000u | static_cast<unsigned char>(out[0]);
            if (n == 2)
                entries_[cp] = 0x02000000u | static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]);
        }
    }
    std::vector<std::uint32_t> entries_;
};

}  // namespace

std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp) { return DecodeStrict(s, i, cp); }

const std::uint32_t* GbkBytesOfBmp() { return GbkTable::Get().data(); }

bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp;
        const std::size_t n = DecodeStrict(s, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::size_t CharLength(std::string_view s, std::size_t i) {
    char32_t cp;
    const std::size_t n = DecodeStrict(s, i, cp);
    return n == 0 ? 1 : n;
}

char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    char32_t cp;
    const std::size_t n = DecodeStrict(s, i, cp);
    if (n == 0) {
        ++i;
        return 0xFFFD;
    }
    i += n;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf8ToGbk(std::string_view utf8) {
    std::string out;
    AppendUtf8AsGbk(out, utf8);
    return out;
}

void AppendUtf8AsGbk(std::string& out, std::string_view utf8) {
    const GbkTable& table = GbkTable::Get();
    out.reserve(out.size() + utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        // Runs of ASCII stand as they are.
        std::size_t run = i;
        while (run < utf8.size() && static_cast<unsigned char>(utf8[run]) < 0x80) ++run;
        out.append(utf8.data() + i, run - i);
        i = run;
        if (i >= utf8.size()) break;
        char32_t cp;
        const std::size_t n = DecodeStrict(utf8, i, cp);
        if (n == 0) throw EConvertError("text is not valid UTF-8 (byte offset " + std::to_string(i) + ")");
        i += n;
        const std::uint32_t e = cp < 0x10000 ? table[cp] : 0;
        if (e == 0) {
            // One "?" for each UTF-16 unit of a character GBK cannot hold.
            out += cp >= 0x10000 ? "??" : "?";
        } else if (e >> 24 == 1) {
            out += static_cast<char>(e & 0xFF);
        } else {
            out += static_cast<char>((e >> 8) & 0xFF);
            out += static_cast<char>(e & 0xFF);
        }
    }
}

std::string GbkToUtf8(std::string_view gbk) {
    return Convert("UTF-8", "CP936", gbk, [](std::size_t at, std::string&) -> std::size_t {
        throw EConvertError("text is not valid GBK (byte offset " + std::to_string(at) + ")");
    });
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp;
        const std::size_t n = DecodeStrict(utf8, i, cp);
        if (n == 0)
            throw EConvertError("text is not valid UTF-8 (byte offset " + std::to_string(i) + ")");
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 1 >= utf16.size() || utf16[i + 1] < 0xDC00 || utf16[i + 1] > 0xDFFF)
                throw EConvertError("unpaired UTF-16 surrogate at unit " + std::to_string(i));
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            throw EConvertError("unpaired UTF-16 surrogate at unit " + std::to_string(i));
        }
        AppendUtf8(out, cp);
    }
    return out;
}

}  // namespace menvaro
