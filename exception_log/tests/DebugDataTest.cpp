// The container and the debug data: the line-record forms, the name rules,
// round trips of random line tables and damaged data.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "Bytes.h"
#include "EConsts.h"
#include "EDebugData.h"
#include "ETypes.h"
#include "base/Files.h"
#include "base/Streams.h"
#include "rtl/ElfFile.h"
#include "testsupport/TempDir.h"

using namespace menvaro;
using test::Hex;

namespace {

std::string Le32(std::int64_t v) {
    std::string b;
    for (int i = 0; i < 4; ++i) b += static_cast<char>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF);
    return b;
}

// A unit block by hand: name, first line, start, size, then the records.
std::string UnitBlock(const std::string& name, std::int32_t firstLine, std::int32_t start, std::int32_t size,
                      const std::string& records) {
    return DebugString(name) + Le32(firstLine) + Le32(start) + Le32(size) +
           Le32(static_cast<std::int64_t>(records.size())) + records;
}

// Debug data by hand: an empty symbol block (above 404), then the units.
std::string DebugDataOf(const std::vector<std::string>& units, std::uint16_t version = kDebugDataVersion) {
    std::string d = version > kSymbolBlockAfterVersion ? Le32(0) : "";
    d += Le32(static_cast<std::int64_t>(units.size()));
    for (const std::string& u : units) d += u;
    return d;
}

TLineInfo Look(const std::string& data, std::int64_t offset, std::uint16_t version = kDebugDataVersion) {
    TLineInfo info;
    info.Line = -999;
    if (!FindLineInfo(data, version, offset, info)) info.Unit = "<none>";
    return info;
}

std::string Where(const TLineInfo& i) {
    return i.Unit + ":" + std::to_string(i.Line) + " " + i.Class + "|" + i.Procedure;
}

}  // namespace

TEST(LineRecords, EachFormHoldsItsSteps) {
    const std::string name = "P";
    const struct {
        std::uint32_t d;
        std::int32_t k;
        bool named;
        std::uint16_t version;
        const char* bytes;
    } cases[] = {
        // bit 0 clear: one byte, K 1..4, D 1..32, no name
        {1, 1, false, 454, "00"},
        {32, 4, false, 454, "FE"},
        // bit 0 set, bit 1 clear: one byte, K 1..8, D 1..8, a name
        {1, 1, true, 454, "01"},
        {8, 8, true, 454, "FD"},
        // bits 0 and 1 set, bit 3 clear: 16 bits, K 1..32, D 1..128
        {33, 1, false, 454, "03 02"},
        {128, 32, false, 454, "F3 FF"},
        {128, 32, true, 454, "F7 FF"},
        // bit 3 set: 32 bits, any line step, D up to 4095; 0xFFF is no bytes
        {1, 0, false, 454, "FB FF 0F 00"},   // K = 0: 0xFFFF
        {1, -1, false, 454, "EB FF 0F 00"},  // K = -1: 0xFFFE
        {0, 0, true, 454, "FF FF FF FF"},
        {4095, 0, false, 454, "FB FF EF FF"},
        {200, -32768, false, 454, "FB FF 77 0C"},
        // the escape: 0x0FFEFFFE, then the steps in 16 bits each
        {4095, -1, false, 454, "EB FF EF FF FE FF FE 0F"},
        {65536, 7, false, 454, "EB FF EF FF 06 00 FF FF"},
        {5000, 1, true, 454, "EF FF EF FF 00 00 87 13"},
        // up to 422 there is no escape: the same 32 bits are a step of 4095 bytes and -1 lines
        {4095, -1, false, 422, "EB FF EF FF"},
    };
    for (const auto& c : cases) {
        std::string r = LineRecord(c.d, c.k, c.named ? &name : nullptr, c.version);
        const std::string expected = std::string(c.bytes) + (c.named ? " 01 6C" : "");
        EXPECT_EQ(Hex(r), expected) << c.d << " " << c.k;
        // Read back: a unit of 10 at 100 with one record, then the tail.
        const std::string data = DebugDataOf({UnitBlock("U.cpp", 10, 100, static_cast<std::int32_t>(c.d) + 50, r)},
                                             c.version);
        std::string damage;
        ASSERT_TRUE(CheckDebugData(data, c.version, damage)) << damage;
        if (c.d > 0) {
            EXPECT_EQ(Look(data, 100 + c.d - 1, c.version).Line, 10) << c.d << " " << c.k;
        }
        EXPECT_EQ(Look(data, 100 + c.d, c.version).Line, 10 + c.k) << c.d << " " << c.k;
    }
    EXPECT_THROW(LineRecord(4096, 1, nullptr, 422), EOstrelLogError);
    EXPECT_THROW(LineRecord(65537, 1, nullptr, 454), EOstrelLogError);
    EXPECT_THROW(LineRecord(1, 40000, nullptr, 454), EOstrelLogError);
}

TEST(LineRecords, AnEscapeInAnOldVersionIsAPlainStep) {
    // The escape's bytes in a 422 container: 4095 bytes, one line back; the
    // bytes after them are records of their own (D 1, D 1, D 2, D 1, each one line on).
    const std::string records = "\xEB\xFF\xEF\xFF" + std::string("\x00\x00\x02\x00", 4);
    const std::string data = DebugDataOf({UnitBlock("Old", 50, 0, 5000, records)}, 422);
    EXPECT_EQ(Where(Look(data, 4094, 422)), "Old.pas:50 |");
    EXPECT_EQ(Look(data, 4095, 422).Line, 49);
    EXPECT_EQ(Look(data, 4096, 422).Line, 50);
    EXPECT_EQ(Look(data, 4097, 422).Line, 51);
    EXPECT_EQ(Look(data, 4098, 422).Line, 51);
    EXPECT_EQ(Look(data, 4099, 422).Line, 52);
    EXPECT_EQ(Look(data, 4999, 422).Line, 53);  // the tail
    // At 454 the same bytes are the escape.
    const std::string escaped = DebugDataOf({UnitBlock("New.cpp", 50, 0, 5000, records)});
    EXPECT_EQ(Look(escaped, 2).Line, 50);  // A = 0, B = 2: three bytes, then one line on
    EXPECT_EQ(Look(escaped, 3).Line, 51);
}

TEST(DebugNames, ANameReadNamesTheCodeFromTheNextStepOn) {
    // Records of 10 bytes each, one line on each, names as stated.
    auto named = [](const std::string& n) { return LineRecord(10, 1, &n); };
    const std::string plain = LineRecord(10, 1, nullptr);
    const std::string records = named("TForm.Create")  // the unit's first name: its own step too
                                + named(".Show")       // the class named last in this unit
                                + plain + named("Free") + plain + named("@Halt") + named("TOther.Run") + plain +
                                named(".Stop") + named("");
    const std::string data = DebugDataOf({UnitBlock("Forms", 1, 0, 200, records)});
    const struct {
        std::int64_t offset;
        const char* where;
    } cases[] = {
        {0, "Forms.pas:1 TForm|Create"},  {9, "Forms.pas:1 TForm|Create"},
        {10, "Forms.pas:2 TForm|Create"},  // ".Show" was read here: it names the next step
        {20, "Forms.pas:3 TForm|Show"},   {30, "Forms.pas:4 TForm|Show"},
        {40, "Forms.pas:5 |Free"},  // no class: none, and the last named class stays
        {50, "Forms.pas:6 |Free"},        {60, "Forms.pas:7 |_Halt"},
        {70, "Forms.pas:8 TOther|Run"},   {80, "Forms.pas:9 TOther|Run"},
        {90, "Forms.pas:10 TOther|Stop"},  // ".Stop" takes TOther, the class named last
        {100, "Forms.pas:11 |"},           // an empty name: outside any procedure
        {199, "Forms.pas:11 |"},           // the tail
        {200, "<none>:-999 |"},
    };
    for (const auto& c : cases) EXPECT_EQ(Where(Look(data, c.offset)), c.where) << c.offset;
}

TEST(DebugNames, UnitNamesAreShownAsTheyAreOrWithTheOldSuffix) {
    const std::string records = LineRecord(1, 1, nullptr);
    for (const auto& [stored, shown] : std::map<std::string, std::string>{{"Forms", "Forms.pas"},
                                                                          {"Forms.cpp", "Forms.cpp"},
                                                                          {"c++/12/vector", "c++/12/vector"},
                                                                          {"a.b.c", "a.b.c"}}) {
        EXPECT_EQ(Look(DebugDataOf({UnitBlock(stored, 1, 0, 2, records)}), 0).Unit, shown);
    }
}

TEST(DebugData, SymbolsAreFoundByTheirExactNameAboveVersion404) {
    const std::vector<TDebugSymbol> symbols{{"ns::T::Run", 0x40, 12}, {"main", 0x100, 30}, {"ns::T::run", 0x80, 1}};
    TDebugUnit u{"main.cpp", 0x100, 30, {{0x100, 7, "", "main"}}};
    const std::string data = WriteDebugData(symbols, {u});
    std::int64_t offset = 0;
    ASSERT_TRUE(FindSymbolOffset(data, 454, "ns::T::Run", offset));
    EXPECT_EQ(offset, 0x40);
    ASSERT_TRUE(FindSymbolOffset(data, 454, "main", offset));
    EXPECT_EQ(offset, 0x100);
    EXPECT_FALSE(FindSymbolOffset(data, 454, "ns::T::RUN", offset));
    EXPECT_FALSE(FindSymbolOffset(data, 454, "", offset));
    EXPECT_EQ(Where(Look(data, 0x10F)), "main.cpp:7 |main");
    // Version 404 has no symbol block: the units come first.
    const std::string old = WriteDebugData(symbols, {u}, 404);
    EXPECT_EQ(old.substr(0, 4), Le32(1));
    EXPECT_FALSE(FindSymbolOffset(old, 404, "main", offset));
    EXPECT_EQ(Where(Look(old, 0x100, 404)), "main.cpp:7 |main");
}

TEST(DebugData, LongNamesAreCutOnCharacterBoundariesAndKeepTheirClass) {
    std::string longClass = "ns::";
    while (longClass.size() < 400) longClass += "\xE4\xB8\xAD";  // three-byte characters
    const std::string longProc = "Proc" + std::string(300, 'p');
    const TDebugUnit u{std::string(300, 'u') + ".cpp", 0, 20, {{0, 1, longClass, "Run"}, {10, 2, longClass, longProc}}};
    const std::string data = WriteDebugData({}, {u});
    std::string damage;
    ASSERT_TRUE(CheckDebugData(data, 454, damage)) << damage;
    const TLineInfo a = Look(data, 0), b = Look(data, 10);
    // A unit name keeps its extension, so that it does not pass for one of the old form.
    EXPECT_EQ(a.Unit, std::string(251, 'u') + ".cpp");
    EXPECT_EQ(a.Procedure, "Run");
    EXPECT_GE(a.Class.size() + 1 + a.Procedure.size(), 253u);
    EXPECT_LE(a.Class.size() + 1 + a.Procedure.size(), 255u);
    EXPECT_EQ(a.Class.substr(0, 4), "ns::");
    EXPECT_EQ((a.Class.size() - 4) % 3, 0u);  // whole characters
    EXPECT_EQ(b.Procedure.substr(0, 4), "Proc");
    EXPECT_GE(b.Procedure.size(), 127u);
    EXPECT_LE(b.Class.size() + 1 + b.Procedure.size(), 255u);
    EXPECT_EQ(b.Class.substr(0, 4), "ns::");
}

// Random line tables written and read back: every step's first and last
// byte, every procedure's first byte and each unit's last byte.
TEST(DebugData, RandomLineTablesReadBackAtEveryBoundary) {
    std::mt19937 random(6120);
    const std::vector<std::pair<std::string, std::string>> procedures = {
        {"", ""},
        {"", "main"},
        {"ns::TWidget", "Paint"},
        {"ns::TWidget", "Resize"},
        {"ns::TOther", "Paint"},
        {"", "helper"},
        {"std::vector<int, std::allocator<int> >", "push_back"},
    };
    for (std::uint16_t version : {std::uint16_t{454}, std::uint16_t{422}, std::uint16_t{404}}) {
        for (int round = 0; round < 40; ++round) {
            std::vector<TDebugUnit> units;
            std::int64_t at = static_cast<std::int64_t>(random() % 100);
            const int unitCount = 1 + static_cast<int>(random() % 5);
            for (int u = 0; u < unitCount; ++u) {
                TDebugUnit unit;
                unit.Name = "unit" + std::to_string(u) + (random() % 2 ? ".cpp" : "");
                unit.Start = at;
                std::int32_t line = static_cast<std::int32_t>(random() % 100000);
                std::int64_t offset = at;
                std::size_t proc = random() % procedures.size();
                const int rows = 1 + static_cast<int>(random() % 40);
                for (int r = 0; r < rows; ++r) {
                    if (random() % 4 == 0) proc = random() % procedures.size();
                    unit.Rows.push_back({offset, line, procedures[proc].first, procedures[proc].second});
                    const int kind = static_cast<int>(random() % 10);
                    offset += kind == 0  ? 70000 + random() % 100000
                              : kind < 3 ? 1 + random() % 5000
                                         : 1 + random() % 40;
                    const int jump = static_cast<int>(random() % 10);
                    line += jump == 0   ? static_cast<std::int32_t>(random() % 200000) - 100000
                            : jump == 1 ? 0
                                        : static_cast<std::int32_t>(random() % 40) - 5;
                }
                unit.Size = offset - at;
                at = offset + static_cast<std::int64_t>(random() % 3);
                units.push_back(std::move(unit));
            }
            const std::string data = WriteDebugData({{"main", 0, 1}}, units, version);
            std::string damage;
            ASSERT_TRUE(CheckDebugData(data, version, damage)) << damage;
            const TUnitIndex index = IndexUnits(data, version);
            ASSERT_EQ(index.size(), units.size());
            for (const TDebugUnit& unit : units) {
                const std::string shown = unit.Name.find('.') == std::string::npos ? unit.Name + ".pas" : unit.Name;
                for (std::size_t r = 0; r < unit.Rows.size(); ++r) {
                    const TDebugRow& row = unit.Rows[r];
                    const std::int64_t end = r + 1 < unit.Rows.size() ? unit.Rows[r + 1].Offset
                                                                      : unit.Start + unit.Size;
                    const std::string expected = shown + ":" + std::to_string(row.Line) + " " + row.Class + "|" +
                                                 row.Procedure;
                    for (std::int64_t o : {row.Offset, end - 1, row.Offset + (end - row.Offset) / 2}) {
                        EXPECT_EQ(Where(Look(data, o, version)), expected) << version << " " << o;
                        TLineInfo fast;
                        ASSERT_TRUE(FindLineInfo(data, version, o, fast, &index));
                        EXPECT_EQ(Where(fast), expected) << version << " " << o;
                    }
                }
                EXPECT_EQ(Look(data, unit.Start + unit.Size, version).Unit == shown, false);
            }
            EXPECT_EQ(Look(data, units.front().Start - 1, version).Unit, "<none>");
        }
    }
}

TEST(Containers, TheSectionAndTheTrailerHoldOptionsAndDebugData) {
    TMemoryStream options;
    CreatePelgraneOptions("Pelgrane")->SaveToStream(options);
    const std::string debug = WriteDebugData({{"main", 0, 4}}, {{"Pelgrane.cpp", 0, 4, {{0, 13, "", "main"}}}});
    for (std::uint16_t version : {std::uint16_t{454}, std::uint16_t{450}, std::uint16_t{449}, std::uint16_t{400}}) {
        const std::string section = BuildOstrelSection(version, 45000.5, options.Bytes(), debug);
        EXPECT_EQ(Hex(section.substr(0, 4)), "10 AB 0F 00");
        // Compressed from 450 on.
        EXPECT_EQ(section.size() < options.Bytes().size(), version >= 450) << version;
        TOstrelData data;
        std::string damage, read;
        ASSERT_TRUE(ReadOstrelSection(section, data, damage)) << damage;
        EXPECT_EQ(data.Version, version);
        EXPECT_EQ(data.BuildDate, 45000.5);
        EXPECT_EQ(data.Payload, options.Bytes() + Le32(static_cast<std::int64_t>(debug.size())) + debug);
        if (version < 450) continue;  // older options streams are laid out otherwise
        TOwned<TOstrelModuleOptions> loaded(Create<TOstrelModuleOptions>("x", false));
        ASSERT_TRUE(SplitOstrelPayload(data, *loaded, read, damage)) << damage;
        EXPECT_EQ(read, debug);
        EXPECT_FALSE(loaded->ShowReport());
        EXPECT_FALSE(loaded->TerminateButton());
    }
    // The trailer: the block, its length, the magic.
    const std::string trailer = BuildOstrelTrailer(454, 1.0, options.Bytes(), debug);
    EXPECT_EQ(Hex(trailer.substr(trailer.size() - 4)), "10 AB 0F 00");
    EXPECT_EQ(trailer.substr(trailer.size() - 8, 4), Le32(static_cast<std::int64_t>(trailer.size()) - 8));
    TOstrelData data;
    std::string damage, read;
    ASSERT_TRUE(ReadOstrelTrailerBlock(std::string_view(trailer).substr(0, trailer.size() - 8), data, damage));
    EXPECT_EQ(data.Version, 454);
    TOwned<TOstrelModuleOptions> loaded(Create<TOstrelModuleOptions>("x", false));
    ASSERT_TRUE(SplitOstrelPayload(data, *loaded, read, damage)) << damage;
    EXPECT_EQ(read, debug);
}

TEST(Containers, AModuleFileCarriesTheTrailerBehindItsImage) {
    test::TempDir dir("trailer");
    TMemoryStream options;
    TOwned<TOstrelModuleOptions> defaults(Create<TOstrelModuleOptions>("", false));
    defaults->SaveToStream(options);
    const std::string debug = WriteDebugData({}, {{"Lib.cpp", 0, 4, {{0, 3, "", "f"}}}});
    const std::string image = ReadFileBytes(TEST_LIBRARY);
    const std::string path = dir.Write("with-trailer.so", image + BuildOstrelTrailer(454, 2.0, options.Bytes(), debug));
    TOstrelData data;
    std::string damage;
    ASSERT_TRUE(ReadOstrelContainer(TElfFile(path), data, damage)) << damage;
    EXPECT_EQ(data.BuildDate, 2.0);
    // Without a trailer there is no container and nothing damaged.
    EXPECT_FALSE(ReadOstrelContainer(TElfFile(TEST_LIBRARY), data, damage));
    damage.clear();
    // A length that reaches into the image is damage, not a read of the image.
    const std::string bad = dir.Write("bad.so", image + "xxxx" + Le32(100000) + Le32(kOstrelDataMagic));
    EXPECT_FALSE(ReadOstrelContainer(TElfFile(bad), data, damage));
    EXPECT_NE(damage.find("trailer's length (100000)"), std::string::npos) << damage;
}

TEST(Containers, DamageIsFoundAndNamed) {
    TMemoryStream options;
    TOwned<TOstrelModuleOptions> defaults(Create<TOstrelModuleOptions>("", false));
    defaults->SaveToStream(options);
    const std::string good = DebugDataOf({UnitBlock("A.cpp", 1, 0, 10, LineRecord(5, 1, nullptr))});
    const struct {
        const char* name;
        std::string data;
        const char* says;
    } cases[] = {
        {"symbols", Le32(1000) + Le32(0), "symbol block's length (1000)"},
        {"symbol entry",
         Le32(5) +
             "\x09"
             "abcd" +
             Le32(0),
         "symbol block is damaged"},
        {"unit count", Le32(0) + Le32(0x7FFFFFFF), "unit count (2147483647)"},
        {"negative count", Le32(0) + Le32(-1), "unit count (-1)"},
        {"records", Le32(0) + Le32(1) + DebugString("A") + Le32(1) + Le32(0) + Le32(10) + Le32(99) + "x",
         "line records (99)"},
        {"size", Le32(0) + Le32(1) + DebugString("A") + Le32(1) + Le32(0) + Le32(-5) + Le32(0),
         "size (-5) is negative"},
        {"record", DebugDataOf({UnitBlock("A", 1, 0, 10, "\x0B\xFF")}), "unit 0 (\"A\")"},
        {"name",
         DebugDataOf({UnitBlock("A", 1, 0, 10,
                                "\x01\x20"
                                "ab")}),
         "a procedure name runs past the end"},
        {"unit name", Le32(0) + Le32(1) + "\xFF" + std::string(16, '\0'), "a unit name runs past the end"},
    };
    for (const auto& c : cases) {
        std::string damage;
        EXPECT_FALSE(CheckDebugData(c.data, 454, damage)) << c.name;
        EXPECT_NE(damage.find(c.says), std::string::npos) << c.name << ": " << damage;
        TLineInfo info;
        FindLineInfo(c.data, 454, 3, info);
        EXPECT_TRUE(IndexUnits(c.data, 454).size() <= 1) << c.name;
    }
    std::string damage;
    EXPECT_TRUE(CheckDebugData(good, 454, damage)) << damage;

    const std::string section = BuildOstrelSection(454, 0, options.Bytes(), good);
    TOstrelData data;
    EXPECT_FALSE(ReadOstrelSection("\x10\xAB\x0F", data, damage));
    EXPECT_FALSE(ReadOstrelSection("abcd" + section.substr(4), data, damage));
    EXPECT_NE(damage.find("magic"), std::string::npos);
    std::string future = section;
    future[4] = static_cast<char>(0xC7);  // version 455
    EXPECT_FALSE(ReadOstrelSection(future, data, damage));
    EXPECT_NE(damage.find("version (455)"), std::string::npos) << damage;
    EXPECT_FALSE(ReadOstrelSection(section.substr(0, section.size() - 3), data, damage));
    EXPECT_NE(damage, "");
    // The parts must add up: a debug data length that the payload does not hold.
    ASSERT_TRUE(ReadOstrelSection(section, data, damage));
    data.Payload += "extra";
    std::string read;
    TOwned<TOstrelModuleOptions> loaded(Create<TOstrelModuleOptions>("x", false));
    EXPECT_FALSE(SplitOstrelPayload(data, *loaded, read, damage));
    EXPECT_NE(damage.find("debug data's length"), std::string::npos) << damage;
}

// Start-up inflates only the part of the payload that holds the options:
// the debug data's length is then the one announced, and damage past the
// part shows when the whole is read.
TEST(Containers, APartIsInflatedAloneAndTheRestIsCheckedWhenReadWhole) {
    TMemoryStream options;
    CreatePelgraneOptions("Pelgrane")->SaveToStream(options);
    // Names that do not shrink much, so that the section outgrows the part.
    std::mt19937 random(7);
    std::vector<TDebugUnit> units;
    for (int i = 0; i < 3000; ++i) {
        std::string name;
        for (int k = 0; k < 24; ++k) name += static_cast<char>('a' + random() % 26);
        units.push_back({name + ".cpp", i * 16, 16, {{i * 16, i + 1, "", name}}});
    }
    const std::string debug = WriteDebugData({}, units);
    const std::string section = BuildOstrelSection(454, 0, options.Bytes(), debug);
    const std::size_t part = options.Bytes().size() + 64;
    ASSERT_GT(debug.size(), 8 * part);

    TOstrelData data;
    std::string damage;
    ASSERT_TRUE(ReadOstrelSection(section, data, damage, part)) << damage;
    EXPECT_FALSE(data.Whole);
    EXPECT_EQ(data.Payload.size(), part);
    std::size_t at = 0, size = 0;
    TOwned<TOstrelModuleOptions> loaded(Create<TOstrelModuleOptions>("x", false));
    ASSERT_TRUE(SplitOstrelOptions(data, *loaded, at, damage, &size)) << damage;
    EXPECT_EQ(at, options.Bytes().size() + 4);
    EXPECT_EQ(size, debug.size());
    EXPECT_FALSE(loaded->ShowReport());

    // The end of the stream damaged: the part reads, the whole does not.
    std::string damaged = section;
    for (std::size_t i = damaged.size() - 6; i < damaged.size(); ++i) damaged[i] ^= 0x5A;
    ASSERT_TRUE(ReadOstrelSection(damaged, data, damage, part)) << damage;
    EXPECT_FALSE(ReadOstrelSection(damaged, data, damage));
    EXPECT_NE(damage, "");
    // A payload that ends within the part is read whole.
    ASSERT_TRUE(ReadOstrelSection(section, data, damage, debug.size() + part));
    EXPECT_TRUE(data.Whole);
    EXPECT_EQ(data.PayloadSize, options.Bytes().size() + 4 + debug.size());
}

// Random damage of whole containers: read within their bytes, refused or
// read, never past them (the sanitizer build watches) and never for ever.
TEST(Containers, RandomDamageIsReadWithinTheData) {
    std::mt19937 random(120);
    TMemoryStream options;
    CreatePelgraneOptions("x")->SaveToStream(options);
    std::vector<TDebugUnit> units;
    for (int u = 0; u < 6; ++u) {
        TDebugUnit unit{"u" + std::to_string(u) + ".cpp", u * 1000, 900, {}};
        for (int r = 0; r < 30; ++r) unit.Rows.push_back({u * 1000 + r * 30, r * 3, "C" + std::to_string(r % 3), "p"});
        units.push_back(std::move(unit));
    }
    const std::string debug = WriteDebugData({{"main", 0, 5}, {"ns::f", 100, 5}}, units);
    const std::string plain = BuildOstrelSection(449, 0, options.Bytes(), debug);
    const std::string packed = BuildOstrelSection(454, 0, options.Bytes(), debug);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = round % 2 ? plain : packed;
        const int hits = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < hits; ++i) {
            // Mostly near the debug data's own structure, in the plain form.
            const std::size_t at = round % 3 == 0
                                       ? random() % bytes.size()
                                       : bytes.size() - 1 -
                                             random() % std::min<std::size_t>(bytes.size(), debug.size() + 8);
            bytes[at] = static_cast<char>(random());
        }
        if (random() % 5 == 0) bytes.resize(random() % bytes.size());
        TOstrelData data;
        std::string damage, read;
        TOwned<TOstrelModuleOptions> loaded(Create<TOstrelModuleOptions>("x", false));
        if (!ReadOstrelSection(bytes, data, damage) || !SplitOstrelPayload(data, *loaded, read, damage)) {
            EXPECT_NE(damage, "");
            ++refused;
            continue;
        }
        const TUnitIndex index = IndexUnits(read, data.Version);
        for (std::int64_t o : {0, 5, 999, 1500, 5999, 100000}) {
            TLineInfo a, b;
            const bool walked = FindLineInfo(read, data.Version, o, a);
            const bool bisected = FindLineInfo(read, data.Version, o, b, &index);
            if (!index.empty()) {
                EXPECT_EQ(walked, bisected);
                EXPECT_EQ(Where(a), Where(b));
            }
        }
    }
    EXPECT_GT(refused, 100);
}
