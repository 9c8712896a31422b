// The answer parser on its own: hand-made answers for the rules, then
// seeded random damage to them (run under the sanitizer build, where a read
// past an answer ends the test).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ESockets.h"

using namespace menvaro;

namespace {

constexpr std::uint16_t kId = 0x1234;

// An answer built record by record.
class TAnswer {
public:
    explicit TAnswer(unsigned flags = 0x8180, std::uint16_t id = kId) {
        Put16(id);
        Put16(flags);
        Put16(1);
        Put16(0);  // the answer count, set by Record
        Put16(0);
        Put16(0);
        bytes_ += BuildMXQuery("example.org", 0).substr(12);  // the question at 12
    }
    TAnswer& Record(const std::string& owner, unsigned type, const std::string& data, unsigned klass = 1) {
        bytes_ += owner;
        Put16(type);
        Put16(klass);
        Put16(0);
        Put16(60);
        Put16(static_cast<unsigned>(data.size()));
        bytes_ += data;
        const unsigned count = ((static_cast<unsigned char>(bytes_[6]) << 8) | static_cast<unsigned char>(bytes_[7])) +
                               1;
        bytes_[6] = static_cast<char>(count >> 8);
        bytes_[7] = static_cast<char>(count & 0xFF);
        return *this;
    }
    // An MX record of the question's name.
    TAnswer& Mx(unsigned preference, const std::string& exchange) {
        return Record(Pointer(12), 15,
                      std::string{static_cast<char>(preference >> 8), static_cast<char>(preference)} + exchange);
    }
    std::size_t Size() const { return bytes_.size(); }
    std::string Bytes() const { return bytes_; }

    static std::string Pointer(std::size_t at) {
        return std::string{static_cast<char>(0xC0 | (at >> 8)), static_cast<char>(at & 0xFF)};
    }

private:
    void Put16(unsigned v) {
        bytes_ += static_cast<char>((v >> 8) & 0xFF);
        bytes_ += static_cast<char>(v & 0xFF);
    }
    std::string bytes_;
};

// Labels as a name on the wire: "mx", "example" -> 2 "mx" 7 "example" 0.
std::string Labels(std::initializer_list<std::string> labels, bool root = true) {
    std::string s;
    for (const std::string& l : labels) s += static_cast<char>(l.size()) + l;
    if (root) s += '\0';
    return s;
}

// The parser reads from an allocation of exactly the answer's size.
TMXAnswer Parse(const std::string& bytes, std::uint16_t id = kId) {
    std::vector<char> exact(bytes.begin(), bytes.end());
    return ParseMXAnswer(std::string_view(exact.data(), exact.size()), id);
}

std::string Kind(const TMXAnswer& a) {
    switch (a.Kind) {
        case TMXAnswer::NotOurs: return "not ours";
        case TMXAnswer::NoExchanger: return "none";
        case TMXAnswer::Exchanger: return a.Host;
    }
    return "?";
}

}  // namespace

TEST(MxAnswer, TheRulesOfTheParser) {
    // "example.org" stands at 12 in every answer; its "org" at 20.
    const std::string mx = Labels({"mx"});
    struct Case {
        const char* what;
        std::string answer;
        std::uint16_t id;
        const char* result;
    } cases[] = {
        {"too short", TAnswer().Bytes().substr(0, 11), kId, "not ours"},
        {"another id", TAnswer().Mx(10, Labels({"mx", "example", "org"})).Bytes(), kId + 1, "not ours"},
        {"a query", TAnswer(0x0100).Mx(10, Labels({"mx", "example", "org"})).Bytes(), kId, "not ours"},
        {"no records", TAnswer().Bytes(), kId, "none"},
        {"truncated", TAnswer(0x8380).Mx(10, Labels({"mx", "example", "org"})).Bytes(), kId, "none"},
        {"no such domain", TAnswer(0x8183).Mx(10, Labels({"mx", "example", "org"})).Bytes(), kId, "none"},
        {"plain labels", TAnswer().Mx(10, Labels({"mx", "example", "org"})).Bytes(), kId, "mx.example.org"},
        {"a pointer to the question", TAnswer().Mx(10, "\x02mx" + TAnswer::Pointer(12)).Bytes(), kId, "mx.example.org"},
        {"a pointer into the question", TAnswer().Mx(10, "\x04mail" + TAnswer::Pointer(20)).Bytes(), kId, "mail.org"},
        {"the lowest preference",
         TAnswer().Mx(20, Labels({"b", "example", "org"})).Mx(10, Labels({"a", "example", "org"})).Bytes(), kId,
         "a.example.org"},
        {"equal preferences: the first",
         TAnswer().Mx(10, Labels({"b", "example", "org"})).Mx(10, Labels({"a", "example", "org"})).Bytes(), kId,
         "b.example.org"},
        {"the null exchanger is none", TAnswer().Mx(0, std::string(1, '\0')).Bytes(), kId, "none"},
        {"a pointer to itself", TAnswer().Mx(10, TAnswer::Pointer(43)).Bytes(), kId, "none"},
        // 43: "x", then a pointer back to 43: a loop through a label.
        {"a loop through a label", TAnswer().Mx(10, "\x01x" + TAnswer::Pointer(43)).Bytes(), kId, "none"},
        {"a pointer past the end", TAnswer().Mx(10, TAnswer::Pointer(0x3FFF)).Bytes(), kId, "none"},
        {"a label past the record", TAnswer().Mx(10, "\x09mx").Bytes() + "example", kId, "none"},
        {"no closing zero in the record", TAnswer().Mx(10, Labels({"mx"}, false)).Bytes() + std::string(1, '\0'), kId,
         "none"},
        {"bytes after the name in the record", TAnswer().Mx(10, Labels({"mx", "org"}) + "zz").Bytes(), kId, "none"},
        {"a label type of no use", TAnswer().Mx(10, "\x42mx").Bytes(), kId, "none"},
        {"a record too short for MX", TAnswer().Record(TAnswer::Pointer(12), 15, std::string(1, '\0')).Bytes(), kId,
         "none"},
        {"a record's length past the end", TAnswer().Mx(10, Labels({"mx", "example", "org"})).Bytes().substr(0, 50),
         kId, "none"},
        {"a damaged record keeps the ones before it",
         TAnswer().Mx(10, Labels({"mx", "example", "org"})).Mx(5, TAnswer::Pointer(0x3FFF)).Bytes(), kId,
         "mx.example.org"},
        {"another class", TAnswer().Record(TAnswer::Pointer(12), 15, std::string("\0\x0a", 2) + mx, 3).Bytes(), kId,
         "none"},
        {"an alias is skipped",
         TAnswer().Record(TAnswer::Pointer(12), 5, Labels({"alias", "org"})).Mx(7, Labels({"mx", "org"})).Bytes(), kId,
         "mx.org"},
    };
    for (const Case& c : cases) EXPECT_EQ(Kind(Parse(c.answer, c.id)), c.result) << c.what;
}

TEST(MxAnswer, NamesOver255BytesAreRefused) {
    // Labels chained by pointers back make a name of any length: the links
    // stand in a record of another type, the exchanger points at the last.
    const auto answer = [](std::initializer_list<std::size_t> lengths) {
        const std::size_t dataAt = TAnswer().Size() + 12;
        std::string links;
        std::size_t previous = 12, last = 12;
        char letter = 'a';
        for (std::size_t length : lengths) {
            last = dataAt + links.size();
            links += static_cast<char>(length) + std::string(length, letter++) + TAnswer::Pointer(previous);
            previous = last;
        }
        return TAnswer().Record(TAnswer::Pointer(12), 16, links).Mx(10, TAnswer::Pointer(last)).Bytes();
    };
    // With "example.org" (13 bytes): 3 x 64 + 50 + 13 = 255 bytes, and one more.
    const std::string fits = Kind(Parse(answer({49, 63, 63, 63})));
    EXPECT_EQ(fits, std::string(63, 'd') + "." + std::string(63, 'c') + "." + std::string(63, 'b') + "." +
                        std::string(49, 'a') + ".example.org");
    EXPECT_EQ(fits.size(), 253u);
    EXPECT_EQ(Kind(Parse(answer({50, 63, 63, 63}))), "none");
}

TEST(MxAnswer, DamagedAnswersAreReadSafely) {
    const std::vector<std::string> seeds = {
        TAnswer()
            .Mx(20, Labels({"b", "example", "org"}))
            .Mx(10,
                "\x01"
                "a" +
                    TAnswer::Pointer(12))
            .Bytes(),
        TAnswer()
            .Record(TAnswer::Pointer(12), 5, Labels({"alias", "net"}))
            .Mx(5, "\x02mx" + TAnswer::Pointer(41))
            .Record(TAnswer::Pointer(41), 1, "\xC0\x00\x02\x01")
            .Bytes(),
        TAnswer().Mx(1, "\x04mail" + TAnswer::Pointer(20)).Bytes(),
    };
    std::mt19937 random(20240229);
    const auto below = [&](std::size_t n) {
        return n ? std::uniform_int_distribution<std::size_t>(0, n - 1)(random) : 0;
    };
    int exchangers = 0, refused = 0;
    for (int round = 0; round < 200000; ++round) {
        std::string a = seeds[below(seeds.size())];
        for (std::size_t changes = 1 + below(4); changes > 0; --changes) {
            switch (below(6)) {
                case 0: a[below(a.size())] = static_cast<char>(below(256)); break;
                case 1: a[below(a.size())] = static_cast<char>(0xC0 | below(4)); break;      // a pointer
                case 2: a[12 + below(a.size() - 12)] = static_cast<char>(below(64)); break;  // a label length
                case 3: a.resize(below(a.size() + 1)); break;
                case 4: a.insert(below(a.size() + 1), 1, static_cast<char>(below(256))); break;
                case 5: a[6] = static_cast<char>(below(2)), a[7] = static_cast<char>(below(8)); break;  // counts
            }
            if (a.size() < 13) break;
        }
        const TMXAnswer r = Parse(a, a.size() >= 2
                                         ? static_cast<std::uint16_t>((static_cast<unsigned char>(a[0]) << 8) |
                                                                      static_cast<unsigned char>(a[1]))
                                         : kId);
        if (r.Kind != TMXAnswer::Exchanger) {
            EXPECT_TRUE(r.Host.empty());
            ++refused;
            continue;
        }
        ++exchangers;
        // No name longer than the wire allows.
        ASSERT_FALSE(r.Host.empty()) << round;
        ASSERT_LE(r.Host.size(), 253u) << round;
    }
    // The damage leaves both outcomes common.
    EXPECT_GT(exchangers, 10000);
    EXPECT_GT(refused, 10000);
}
