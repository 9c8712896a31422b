// Whatever the reader accepts, the writer writes so that the reader reads the
// same values back: generated settings files in every form the reader takes
// (and damaged variants of them) are parsed, written, parsed again and
// compared. Seeded, so that a failure names the one file that shows it.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "registry/RegistryStore.h"
#include "testsupport/FuzzRandom.h"

using namespace menvaro;

namespace {

constexpr int kFiles = 100000;
constexpr std::uint64_t kSeed = 0x5eed2024;

class Generator : test::TFuzzRandom {
public:
    explicit Generator(std::uint64_t seed) : TFuzzRandom(seed) {}

    std::string File() {
        std::string f;
        if (Chance(10)) f += "\xEF\xBB\xBF";
        Junk(f);
        f += Blanks() + (Chance(10) ? "REGEDIT4" : "Windows Registry Editor Version 5.00") + Blanks() + Eol();
        const int keys = Pick(0, 4);
        for (int k = 0; k < keys; ++k) {
            Junk(f);
            f += Blanks() + "[" + Root() + KeyPath() + "]" + Blanks() + Eol();
            const int values = Pick(0, 6);
            for (int v = 0; v < values; ++v) {
                Junk(f);
                f += Blanks() + Name() + "=" + Value() + Blanks() + Eol();
            }
        }
        if (Chance(20)) f.pop_back();  // no line end at the end
        return f;
    }

    // A few bytes changed, put in or taken out.
    std::string Damage(std::string f) {
        static const char kBytes[] = "\\\"[]=,:;@()\r\n \t\0x0aAhH";
        return TFuzzRandom::Damage(std::move(f), std::string_view(kBytes, sizeof kBytes - 1));
    }

private:
    std::string Eol() { return Chance(50) ? "\r\n" : "\n"; }
    std::string Blanks() {
        static const char* const kBlanks[] = {"", "", "", " ", "\t", "  ", "\x01", "\r"};
        return kBlanks[Pick(0, 7)];
    }
    void Junk(std::string& f) {
        while (Chance(15)) f += Chance(50) ? Blanks() + Eol() : Blanks() + "; comment [x]=\"y\"" + Eol();
    }

    std::string Root() {
        static const char* const kRoots[] = {"HKEY_LOCAL_MACHINE", "hkey_local_machine", "HKEY_Local_Machine"};
        return kRoots[Pick(0, 2)];
    }
    // Texts from a small alphabet, so that names meet again in another case.
    std::string Text(int maxLength, bool quoted) {
        static const char* const kPieces[] = {"a", "A", "b", "B", "中", "文", " ", "\t", "\r", "",
                                              "\\", "\"", "]", "[", "=", ",", "@", ";", "\x7f", "é"};
        std::string s;
        const int n = Pick(0, maxLength);
        for (int i = 0; i < n; ++i) {
            const int p = Pick(0, 19);
            if (p == 9) {  // a NUL
                s += '\0';
                continue;
            }
            const std::string piece = kPieces[p];
            if (quoted && (piece == "\\" || piece == "\"")) s += '\\';
            s += piece;
        }
        return s;
    }
    std::string KeyPath() {
        std::string p;
        if (Chance(10)) return p;
        if (Chance(10)) p += "\\";
        const int parts = Pick(1, 3);
        for (int i = 0; i < parts; ++i) {
            std::string part = Text(4, false);
            std::erase(part, '\\');
            std::erase(part, '\0');
            if (part.empty()) part = Chance(50) ? "Corvanel" : "corvanel";
            p += "\\" + part;
        }
        if (Chance(10)) p += "\\";
        return p;
    }
    std::string Name() { return Chance(10) ? "@" : "\"" + Text(3, true) + "\""; }

    std::string Hex(const std::string& bytes) {
        static const char* const kDigits[] = {"0123456789abcdef", "0123456789ABCDEF"};
        const char* digits = kDigits[Pick(0, 1)];
        std::string s;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (i) {
                s += Chance(10) ? " , " : ",";
                if (Chance(10)) s += Blanks() + "\\" + Blanks() + Eol() + "  ";
            }
            const auto b = static_cast<unsigned char>(bytes[i]);
            s += digits[b >> 4];
            s += digits[b & 15];
        }
        return s;
    }
    std::string Utf16(const std::string& text) {
        std::u16string w;
        for (char c : text) w += static_cast<char16_t>(static_cast<unsigned char>(c));
        if (Chance(30)) w += u'中';
        std::string bytes;
        for (char16_t c : w) bytes += static_cast<char>(c & 0xFF), bytes += static_cast<char>(c >> 8);
        const int nuls = Pick(0, 2);
        for (int i = 0; i < nuls; ++i) bytes += std::string(2, '\0');
        return bytes;
    }
    std::string Value() {
        switch (Pick(0, 3)) {
            case 0: return "\"" + Text(6, true) + "\"";
            case 1: {
                static const char* const kDword[] = {"dword:", "DWORD:", "Dword:"};
                std::string d = kDword[Pick(0, 2)] + Blanks();
                for (int i = 0; i < 8; ++i) d += "0123456789abcdefABCDEF"[Pick(0, 21)];
                return d;
            }
            default: {
                static const char* const kTypes[] = {"", "(0)", "(1)", "(2)", "(3)", "(4)", "(7)", "(b)", "(01)", "()", "(ffffffff)"};
                const std::string type = kTypes[Pick(0, 10)];
                std::string bytes;
                if (type == "(1)" || type == "(2)" || type == "(01)") {
                    // Text in UTF-16 (no line feed: the alphabet has none), or now and then something else.
                    bytes = Chance(85) ? Utf16(Text(4, false)) : std::string(static_cast<std::size_t>(Pick(0, 5)), 'x');
                } else {
                    const int n = Pick(0, 9);
                    for (int i = 0; i < n; ++i) bytes += static_cast<char>(Pick(0, 255));
                }
                if ((type == "(1)" || type == "(2)" || type == "(01)") && Chance(50)) {
                    // A line feed inside the text: the writer must keep the hex form.
                    bytes = "a" + std::string(1, '\0') + "\n" + std::string(1, '\0') + bytes;
                }
                return "hex" + type + ":" + Hex(bytes);
            }
        }
    }
};

std::string Describe(const TRegistryData& d) {
    std::ostringstream o;
    for (const TRegKey& k : d.Keys()) {
        o << "[" << k.Path << "]\n";
        for (const TRegValue& v : k.Values) {
            o << "  " << v.Name << " type " << v.Type << " dword " << v.Dword << " text " << v.Text.size() << ":"
              << v.Text << " bytes " << v.Bytes.size() << "\n";
        }
    }
    return o.str();
}

bool Same(const TRegistryData& a, const TRegistryData& b) {
    if (a.Keys().size() != b.Keys().size()) return false;
    for (std::size_t k = 0; k < a.Keys().size(); ++k) {
        const TRegKey& x = a.Keys()[k];
        const TRegKey& y = b.Keys()[k];
        if (x.Path != y.Path || x.Values.size() != y.Values.size()) return false;
        for (std::size_t v = 0; v < x.Values.size(); ++v) {
            const TRegValue& p = x.Values[v];
            const TRegValue& q = y.Values[v];
            if (p.Name != q.Name || p.Type != q.Type || p.Text != q.Text || p.Dword != q.Dword || p.Bytes != q.Bytes)
                return false;
        }
    }
    return true;
}

std::string Escaped(const std::string& s) {
    std::string r;
    for (unsigned char c : s) {
        if (c == '\n') {
            r += "\\n\n";
        } else if (c < 0x20 || c == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            r += buf;
        } else {
            r += static_cast<char>(c);
        }
    }
    return r;
}

}  // namespace

TEST(RegistryRoundTrip, WhatTheReaderAcceptsReadsBackTheSameAfterAWrite) {
    int accepted = 0, acceptedDamaged = 0;
    for (int i = 0; i < kFiles; ++i) {
        Generator gen(kSeed + static_cast<std::uint64_t>(i));
        std::string text = gen.File();
        const bool damaged = i % 2 == 1;
        if (damaged) text = gen.Damage(std::move(text));
        TRegistryData first;
        try {
            first = TRegistryData::Parse(text, "fuzz.reg");
        } catch (const ERegistryException&) {
            continue;  // refused with a message: nothing to write back
        }
        ++(damaged ? acceptedDamaged : accepted);
        std::string written;
        try {
            written = first.Serialize();
        } catch (const ERegistryException& e) {
            FAIL() << "file " << i << ": accepted, but cannot be written: " << e.what() << "\n" << Escaped(text);
        }
        TRegistryData again;
        try {
            again = TRegistryData::Parse(written, "written.reg");
        } catch (const ERegistryException& e) {
            FAIL() << "file " << i << ": what the writer wrote is refused: " << e.what() << "\nread:\n"
                   << Escaped(text) << "\nwritten:\n"
                   << Escaped(written);
        }
        ASSERT_TRUE(Same(first, again)) << "file " << i << ":\n"
                                        << Escaped(text) << "\nread:\n"
                                        << Describe(first) << "read back:\n"
                                        << Describe(again);
        // Written once more, nothing changes.
        ASSERT_EQ(again.Serialize(), written) << "file " << i;
    }
    // The generator makes mostly files the reader takes, and damage it refuses
    // as well as damage it takes: both roads are walked many times.
    EXPECT_GT(accepted, kFiles / 2 * 8 / 10);
    EXPECT_GT(acceptedDamaged, kFiles / 2 / 50);
    std::printf("accepted %d of %d files, %d of %d damaged ones\n", accepted, kFiles / 2, acceptedDamaged, kFiles / 2);
}
