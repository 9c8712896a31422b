#include "EDebugData.h"

#include <elf.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "EConsts.h"
#include "ETypes.h"
#include "base/Streams.h"
#include "rtl/ElfFile.h"
#include "rtl/SymbolNames.h"

namespace menvaro {

namespace {

constexpr std::size_t kMaxShortString = 255;

void PutUInt16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void PutUInt32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutInt32(std::string& out, std::int64_t v, const char* what) {
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw EOstrelLogError(std::string("The debug information cannot hold ") + what + " " + std::to_string(v) +
                              ": it does not fit 32 bits.");
    PutUInt32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(v)));
}

void PutDouble(std::string& out, double v) {
    char b[8];
    std::memcpy(b, &v, 8);
    out.append(b, 8);
}

// A class and procedure as the reader will see them, cut to what one
// short string holds with the class's "." between them.
struct TName {
    std::string cls, proc;
    bool operator==(const TName&) const = default;
};

TName CutName(const std::string& cls, const std::string& proc) {
    if (cls.empty()) return {"", CutUtf8(proc, kMaxShortString)};
    if (cls.size() + 1 + proc.size() <= kMaxShortString) return {cls, proc};
    // The procedure keeps at least half, the class what is left of it.
    const std::size_t room = kMaxShortString - 1;
    const std::size_t keep = cls.size() < room ? std::max(room / 2, room - cls.size()) : room / 2;
    std::string p = CutUtf8(proc, keep);
    return {CutUtf8(cls, room - p.size()), std::move(p)};
}

// A unit name cut in its stem: without its extension it would be shown
// as a unit of the old form.
std::string CutUnitName(const std::string& name) {
    if (name.size() <= kMaxShortString) return name;
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot > kMaxShortString / 2) return CutUtf8(name, kMaxShortString);
    return CutUtf8(std::string_view(name).substr(0, dot), kMaxShortString - (name.size() - dot)) + name.substr(dot);
}

// Writes the records of one unit so that the reader, following its rule
// that a name read in a record names the code from the next step on (the
// first name of a unit also its own step), sees each row's procedure.
class TUnitWriter {
public:
    explicit TUnitWriter(std::uint16_t version) : version_(version) {}

    std::string Records(const std::vector<TDebugRow>& rows, std::int64_t start) {
        // One row per offset (the last one there), and runs of one line and
        // one procedure joined.
        std::vector<std::pair<TDebugRow, TName>> steps;
        for (const TDebugRow& r : rows) {
            TName name = CutName(r.Class, r.Procedure);
            if (!steps.empty() && steps.back().first.Offset == r.Offset) steps.pop_back();
            if (!steps.empty() && steps.back().first.Line == r.Line && steps.back().second == name) continue;
            steps.push_back({r, std::move(name)});
        }
        if (!steps.empty() && steps.front().first.Offset != start)
            throw EOstrelLogError("The first line of a unit does not start at the unit.");
        firstLine_ = steps.empty() ? 0 : steps.front().first.Line;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const TName& here = steps[i].second;
            bool ownName = false;
            if (!(last_ == here)) {
                if (last_.proc.empty() && i + 1 < steps.size()) {
                    ownName = true;  // the unit's first name names its own step
                } else {
                    Emit(0, 0, &here, true);
                }
                last_ = here;
            }
            if (i + 1 == steps.size()) break;  // the tail: no record
            const TName& next = steps[i + 1].second;
            const std::int64_t d = steps[i + 1].first.Offset - steps[i].first.Offset;
            const std::int64_t k = std::int64_t{steps[i + 1].first.Line} - steps[i].first.Line;
            if (ownName) {
                Emit(d, k, &here, true);
            } else if (!(next == here) && !here.proc.empty()) {
                Emit(d, k, &next, false);
                last_ = next;
            } else {
                Emit(d, k, nullptr, false);
            }
        }
        return out_;
    }

private:
    // One step, split where the records cannot hold it; the name is read
    // with the first or the last piece.
    void Emit(std::int64_t d, std::int64_t k, const TName* name, bool nameFirst) {
        const std::int64_t maxD = version_ > kLineEscapeAfterVersion ? 65536 : 4095;
        struct TPiece {
            std::int64_t d, k;
        };
        std::vector<TPiece> pieces;
        while (d > maxD) {
            pieces.push_back({maxD, 0});
            d -= maxD;
        }
        while (k > 32767 || k < -32768) {
            const std::int64_t part = k > 0 ? 32767 : -32768;
            pieces.push_back({d, part});
            d = 0;
            k -= part;
        }
        pieces.push_back({d, k});
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const bool withName = name && (nameFirst ? i == 0 : i + 1 == pieces.size());
            std::string text;
            if (withName) text = Stored(*name);
            out_ += LineRecord(static_cast<std::uint32_t>(pieces[i].d), static_cast<std::int32_t>(pieces[i].k),
                               withName ? &text : nullptr, version_);
        }
    }

    // "Class.Proc", ".Proc" for the class named last in this unit, "Proc".
    std::string Stored(const TName& n) {
        if (n.cls.empty()) return n.proc;
        if (n.cls == lastClass_) return "." + n.proc;
        lastClass_ = n.cls;
        return n.cls + "." + n.proc;
    }

public:
    std::int32_t FirstLine() const { return firstLine_; }

private:
    std::uint16_t version_;
    std::int32_t firstLine_ = 0;
    std::string out_;
    TName last_;
    std::string lastClass_;
};

}  // namespace

std::string DebugString(std::string_view s) {
    const std::string cut = CutUtf8(s, kMaxShortString);
    std::string out(1, static_cast<char>(cut.size()));
    for (char c : cut) out += static_cast<char>(static_cast<std::uint8_t>(c) ^ kStringScrambleKey);
    return out;
}

std::string LineRecord(std::uint32_t d, std::int32_t k, const std::string* name, std::uint16_t version) {
    const bool escape = version > kLineEscapeAfterVersion;
    const std::uint32_t nameBit = name ? 4 : 0;
    std::string out;
    if (!name && k >= 1 && k <= 4 && d >= 1 && d <= 32) {
        out += static_cast<char>(((k - 1) << 6) | ((d - 1) << 1));
    } else if (name && k >= 1 && k <= 8 && d >= 1 && d <= 8) {
        out += static_cast<char>(((k - 1) << 5) | ((d - 1) << 2) | 1);
    } else if (k >= 1 && k <= 32 && d >= 1 && d <= 128) {
        PutUInt16(out, static_cast<std::uint16_t>(((k - 1) << 11) | ((d - 1) << 4) | nameBit | 3));
    } else {
        if (k < -32768 || k > 32767 || d > (escape ? 65536u : 4095u))
            throw EOstrelLogError("A line record cannot hold a step of " + std::to_string(d) + " bytes and " +
                                  std::to_string(k) + " lines.");
        const std::uint32_t lineField = static_cast<std::uint32_t>(k - 1) & 0xFFFF;
        const std::uint32_t x = d <= 4095 ? ((d == 0 ? 0xFFFu : d - 1) << 16) | lineField : kLineStepEscape;
        if (escape && (x == kLineStepEscape || d > 4095)) {
            PutUInt32(out, (kLineStepEscape << 4) | nameBit | 0xB);
            PutUInt16(out, static_cast<std::uint16_t>(lineField));
            PutUInt16(out, static_cast<std::uint16_t>(d - 1));
        } else {
            PutUInt32(out, (x << 4) | nameBit | 0xB);
        }
    }
    if (name) out += DebugString(*name);
    return out;
}

std::string WriteDebugData(const std::vector<TDebugSymbol>& symbols, const std::vector<TDebugUnit>& units,
                           std::uint16_t version) {
    std::string out;
    if (version > kSymbolBlockAfterVersion) {
        std::string block;
        for (const TDebugSymbol& s : symbols) {
            block += DebugString(s.Name);
            PutInt32(block, s.Offset, "the offset of a symbol");
            PutInt32(block, s.Value, "a symbol's value");
        }
        PutInt32(out, static_cast<std::int64_t>(block.size()), "a symbol block of");
        out += block;
    }
    PutInt32(out, static_cast<std::int64_t>(units.size()), "a unit count of");
    for (const TDebugUnit& u : units) {
        TUnitWriter writer(version);
        const std::string records = writer.Records(u.Rows, u.Start);
        out += DebugString(CutUnitName(u.Name));
        PutInt32(out, writer.FirstLine(), "a line number");
        PutInt32(out, u.Start, "a unit offset");
        PutInt32(out, u.Size, "a unit size");
        PutInt32(out, static_cast<std::int64_t>(records.size()), "line records of");
        out += records;
    }
    return out;
}

namespace {

std::string Payload(std::string_view options, std::string_view debugData) {
    std::string p(options);
    PutInt32(p, static_cast<std::int64_t>(debugData.size()), "debug data of");
    p += debugData;
    return p;
}

std::string Head(std::uint16_t version, double buildDate) {
    std::string out;
    PutUInt16(out, version);
    PutDouble(out, buildDate);
    return out;
}

}  // namespace

std::string BuildOstrelSection(std::uint16_t version, double buildDate, std::string_view optionsStream,
                               std::string_view debugData) {
    std::string out;
    PutUInt32(out, kOstrelDataMagic);
    out += Head(version, buildDate);
    const std::string payload = Payload(optionsStream, debugData);
    if (version < kCompressedSinceVersion) return out + payload;
    uLongf size = compressBound(static_cast<uLong>(payload.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(payload.data()),
                  static_cast<uLong>(payload.size()), 9) != Z_OK)
        throw EOstrelLogError("The debug information cannot be compressed.");
    packed.resize(size);
    return out + packed;
}

std::string BuildOstrelTrailer(std::uint16_t version, double buildDate, std::string_view optionsStream,
                               std::string_view debugData) {
    std::string block = Head(version, buildDate) + Payload(optionsStream, debugData);
    PutInt32(block, static_cast<std::int64_t>(block.size()), "a trailer of");
    PutUInt32(block, kOstrelDataMagic);
    return block;
}

// ================================================================ reading

namespace {

// Reads forward through bytes; a read past the end marks the data damaged
// and fails, and every later read fails too.
class TCursor {
public:
    TCursor(std::string_view bytes, std::size_t from = 0, std::size_t to = std::string_view::npos)
        : bytes_(bytes), pos_(from), end_(std::min(to, bytes.size())) {}

    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return end_ - pos_; }
    bool AtEnd() const { return pos_ >= end_; }
    bool Damaged() const { return !damage_.empty(); }
    const std::string& Damage() const { return damage_; }
    void Fail(const std::string& what) {
        if (damage_.empty()) damage_ = what + " (at byte " + std::to_string(pos_) + ")";
    }

    bool Bytes(void* out, std::size_t n, const char* what) {
        if (Damaged()) return false;
        if (n > Remaining()) {
            Fail(std::string(what) + " runs past the end");
            return false;
        }
        std::memcpy(out, bytes_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    bool UInt8(std::uint8_t& v, const char* what) { return Bytes(&v, 1, what); }
    bool UInt16(std::uint16_t& v, const char* what) { return Bytes(&v, 2, what); }
    bool UInt32(std::uint32_t& v, const char* what) { return Bytes(&v, 4, what); }
    bool Int32(std::int32_t& v, const char* what) { return Bytes(&v, 4, what); }
    // A length or count that must fit into what is left, in units of `each` bytes.
    bool Length(std::int32_t& v, std::size_t each, const char* what) {
        if (!Int32(v, what)) return false;
        if (v < 0 || static_cast<std::uint64_t>(v) > Remaining() / each) {
            pos_ -= 4;
            Fail(std::string(what) + " (" + std::to_string(v) + ") is more than the rest holds");
            return false;
        }
        return true;
    }
    bool ShortString(std::string& s, const char* what) {
        std::uint8_t n;
        if (!UInt8(n, what)) return false;
        s.assign(n, '\0');
        if (!Bytes(s.data(), n, what)) return false;
        for (char& c : s) c = static_cast<char>(static_cast<std::uint8_t>(c) ^ kStringScrambleKey);
        return true;
    }
    bool Skip(std::size_t n, const char* what) {
        if (Damaged()) return false;
        if (n > Remaining()) {
            Fail(std::string(what) + " runs past the end");
            return false;
        }
        pos_ += n;
        return true;
    }
    void Seek(std::size_t pos) { pos_ = std::min(pos, end_); }

private:
    std::string_view bytes_;
    std::size_t pos_;
    std::size_t end_;
    std::string damage_;
};

struct TRecord {
    std::int32_t lineStep = 0;
    std::uint32_t addressStep = 0;
    bool hasName = false;
};

bool ReadRecord(TCursor& c, std::uint16_t version, TRecord& r) {
    std::uint8_t f;
    if (!c.UInt8(f, "a line record")) return false;
    if (!(f & 1)) {
        r = {(f >> 6) + 1, static_cast<std::uint32_t>(((f >> 1) & 0x1F) + 1), false};
    } else if (!(f & 2)) {
        r = {(f >> 5) + 1, static_cast<std::uint32_t>(((f >> 2) & 7) + 1), true};
    } else if (!(f & 8)) {
        std::uint8_t high;
        if (!c.UInt8(high, "a line record")) return false;
        const std::uint32_t w = f | (std::uint32_t{high} << 8);
        r = {static_cast<std::int32_t>(w >> 11) + 1, ((w >> 4) & 0x7F) + 1, (w & 4) != 0};
    } else {
        std::uint8_t rest[3];
        if (!c.Bytes(rest, 3, "a line record")) return false;
        const std::uint32_t v = f | (std::uint32_t{rest[0]} << 8) | (std::uint32_t{rest[1]} << 16) |
                                (std::uint32_t{rest[2]} << 24);
        const std::uint32_t x = v >> 4;
        r.hasName = (v & 4) != 0;
        if (x == kLineStepEscape && version > kLineEscapeAfterVersion) {
            std::uint16_t a, b;
            if (!c.UInt16(a, "a line record") || !c.UInt16(b, "a line record")) return false;
            r.lineStep = static_cast<std::int16_t>(static_cast<std::uint16_t>(a + 1));
            r.addressStep = std::uint32_t{b} + 1;
        } else {
            r.lineStep = static_cast<std::int16_t>(static_cast<std::uint16_t>((x & 0xFFFF) + 1));
            r.addressStep = (x >> 16) == 0xFFF ? 0 : (x >> 16) + 1;
        }
    }
    return true;
}

struct TUnitHead {
    std::size_t nameAt = 0;  // its bytes, read only when the unit is hit
    std::uint8_t nameLength = 0;
    std::int32_t firstLine = 0, start = 0, size = 0;
    std::size_t recordsEnd = 0;
};

// Positions the cursor at the unit count; false when damaged.
bool SkipSymbols(TCursor& c, std::uint16_t version, std::size_t* symbolsEnd = nullptr) {
    if (version <= kSymbolBlockAfterVersion) return true;
    std::int32_t s;
    if (!c.Length(s, 1, "the symbol block's length")) return false;
    if (symbolsEnd) *symbolsEnd = c.Position() + static_cast<std::size_t>(s);
    return c.Skip(static_cast<std::size_t>(s), "the symbol block");
}

bool ReadUnitHead(TCursor& c, TUnitHead& u) {
    std::int32_t t;
    u.nameAt = c.Position() + 1;
    if (!c.UInt8(u.nameLength, "a unit name") || !c.Skip(u.nameLength, "a unit name") ||
        !c.Int32(u.firstLine, "a unit's first line") || !c.Int32(u.start, "a unit's offset") ||
        !c.Int32(u.size, "a unit's size") || !c.Length(t, 1, "a unit's line records"))
        return false;
    if (u.size < 0) {
        c.Fail("a unit's size (" + std::to_string(u.size) + ") is negative");
        return false;
    }
    u.recordsEnd = c.Position() + static_cast<std::size_t>(t);
    return true;
}

// The walk of one unit's records, as the lookup and the check make it.
class TUnitWalk {
public:
    TUnitWalk(const TUnitHead& u) : offset_(u.start), line_(u.firstLine) {}

    std::int64_t Offset() const { return offset_; }
    std::int32_t Line() const { return line_; }
    const std::string& Class() const { return current_.cls; }
    const std::string& Procedure() const { return current_.proc; }

    // Reads a record and its name; `name` is read from the bytes of the unit.
    bool Read(TCursor& c, std::uint16_t version, TRecord& r) {
        if (!ReadRecord(c, version, r)) return false;
        if (!r.hasName) return true;
        std::string n;
        if (!c.ShortString(n, "a procedure name")) return false;
        TName read;
        if (!n.empty() && n[0] == '.') {
            read = {lastClass_, n.substr(1)};
        } else {
            const std::size_t dot = n.find('.');
            read = dot == std::string::npos ? TName{"", n} : TName{n.substr(0, dot), n.substr(dot + 1)};
        }
        if (!read.proc.empty() && read.proc[0] == '@') read.proc[0] = '_';
        if (!read.cls.empty()) lastClass_ = read.cls;
        if (current_.proc.empty()) current_ = read;
        lastRead_ = std::move(read);
        return true;
    }
    // After the step's test: the name read names the code from here on.
    void Advance(const TRecord& r) {
        current_ = lastRead_;
        line_ += r.lineStep;
        offset_ += r.addressStep;
    }

private:
    std::int64_t offset_;
    std::int32_t line_;
    TName current_, lastRead_;
    std::string lastClass_;
};

std::string UnitName(std::string_view data, const TUnitHead& u) {
    std::string name(data.substr(u.nameAt, u.nameLength));
    for (char& ch : name) ch = static_cast<char>(static_cast<std::uint8_t>(ch) ^ kStringScrambleKey);
    return name;
}

// A name without "." is shown with ".pas"; one with a folder in it (a
// header without an extension: "c++/12/vector") is a file name as it stands.
std::string DisplayedUnit(std::string name) {
    return name.find('.') == std::string::npos && name.find('/') == std::string::npos ? name + ".pas" : name;
}

}  // namespace

bool CheckDebugData(std::string_view debugData, std::uint16_t version, std::string& damage) {
    TCursor c(debugData);
    std::size_t symbolsEnd = 0;
    const std::size_t symbolsStart = c.Position() + 4;
    if (SkipSymbols(c, version, &symbolsEnd) && version > kSymbolBlockAfterVersion) {
        TCursor s(debugData, symbolsStart, symbolsEnd);
        while (!s.AtEnd()) {
            std::string name;
            std::int32_t offset, value;
            if (!s.ShortString(name, "a symbol name") || !s.Int32(offset, "a symbol's offset") ||
                !s.Int32(value, "a symbol's value"))
                break;
        }
        if (s.Damaged()) {
            damage = "the symbol block is damaged: " + s.Damage();
            return false;
        }
    }
    std::int32_t units = 0;
    if (!c.Damaged()) c.Length(units, 17, "the unit count");
    for (std::int32_t i = 0; i < units && !c.Damaged(); ++i) {
        TUnitHead u;
        if (!ReadUnitHead(c, u)) break;
        TCursor r(debugData, c.Position(), u.recordsEnd);
        TUnitWalk walk(u);
        TRecord record;
        while (!r.AtEnd() && walk.Read(r, version, record)) walk.Advance(record);
        if (r.Damaged()) {
            damage = "the line records of unit " + std::to_string(i) + " (\"" + UnitName(debugData, u) +
                     "\") are damaged: " + r.Damage();
            return false;
        }
        c.Seek(u.recordsEnd);
    }
    if (c.Damaged()) {
        damage = "the debug data is damaged: " + c.Damage();
        return false;
    }
    return true;
}

namespace {

// The walk of a unit whose range holds `offset`: true with `info` on a hit,
// false when the walk ends without one (or the records are damaged).
bool WalkUnit(std::string_view debugData, std::uint16_t version, const TUnitHead& u, std::size_t recordsAt,
              std::int64_t offset, TLineInfo& info) {
    TCursor r(debugData, recordsAt, u.recordsEnd);
    TUnitWalk walk(u);
    TRecord record;
    auto hit = [&] {
        info = {DisplayedUnit(UnitName(debugData, u)), walk.Class(), walk.Procedure(), walk.Line()};
        return true;
    };
    while (!r.AtEnd()) {
        if (!walk.Read(r, version, record)) return false;
        if (offset >= walk.Offset() && offset <= walk.Offset() + std::int64_t{record.addressStep} - 1) return hit();
        walk.Advance(record);
        if (offset < walk.Offset()) return false;
    }
    // The tail: from the last step to the unit's end, with the line reached.
    return offset >= walk.Offset() && offset <= std::int64_t{u.start} + u.size - 1 && hit();
}

bool Holds(const TUnitHead& u, std::int64_t offset) {
    return offset >= u.start && offset <= std::int64_t{u.start} + u.size - 1;
}

}  // namespace

TUnitIndex IndexUnits(std::string_view debugData, std::uint16_t version) {
    TUnitIndex index;
    TCursor c(debugData);
    std::int32_t units = 0;
    if (!SkipSymbols(c, version) || !c.Length(units, 17, "the unit count")) return {};
    for (std::int32_t i = 0; i < units; ++i) {
        const std::size_t at = c.Position();
        TUnitHead u;
        if (!ReadUnitHead(c, u)) return {};
        if (u.size > 0) index.push_back({u.start, std::int64_t{u.start} + u.size - 1, at});
        c.Seek(u.recordsEnd);
    }
    std::stable_sort(index.begin(), index.end(),
                     [](const TUnitIndexEntry& a, const TUnitIndexEntry& b) { return a.Start < b.Start; });
    // Units that share code would leave the choice to their stored order.
    for (std::size_t i = 1; i < index.size(); ++i)
        if (index[i].Start <= index[i - 1].Last) return {};
    return index;
}

bool FindLineInfo(std::string_view debugData, std::uint16_t version, std::int64_t offset, TLineInfo& info,
                  const TUnitIndex* index) {
    if (index && !index->empty()) {
        auto it = std::upper_bound(index->begin(), index->end(), offset,
                                   [](std::int64_t o, const TUnitIndexEntry& e) { return o < e.Start; });
        if (it == index->begin() || offset > std::prev(it)->Last) return false;
        TCursor c(debugData, std::prev(it)->HeaderAt);
        TUnitHead u;
        return ReadUnitHead(c, u) && Holds(u, offset) && WalkUnit(debugData, version, u, c.Position(), offset, info);
    }
    TCursor c(debugData);
    std::int32_t units = 0;
    if (!SkipSymbols(c, version) || !c.Length(units, 17, "the unit count")) return false;
    for (std::int32_t i = 0; i < units; ++i) {
        TUnitHead u;
        if (!ReadUnitHead(c, u)) return false;
        if (Holds(u, offset) && WalkUnit(debugData, version, u, c.Position(), offset, info)) return true;
        c.Seek(u.recordsEnd);
    }
    return false;
}

bool FindSymbolOffset(std::string_view debugData, std::uint16_t version, std::string_view name, std::int64_t& offset) {
    if (version <= kSymbolBlockAfterVersion) return false;
    TCursor c(debugData);
    std::int32_t size;
    if (!c.Length(size, 1, "the symbol block's length")) return false;
    TCursor s(debugData, c.Position(), c.Position() + static_cast<std::size_t>(size));
    while (!s.AtEnd()) {
        std::string n;
        std::int32_t at, value;
        if (!s.ShortString(n, "a symbol name") || !s.Int32(at, "a symbol's offset") || !s.Int32(value, "a value"))
            return false;
        if (n == name) {
            offset = at;
            return true;
        }
    }
    return false;
}

namespace {

bool ReadHead(TCursor& c, TOstrelData& data, std::string& damage) {
    if (!c.UInt16(data.Version, "the version") || !c.Bytes(&data.BuildDate, 8, "the build date")) {
        damage = c.Damage();
        return false;
    }
    if (data.Version < kOldestOptionsStreamVersion || data.Version > kDebugDataVersion) {
        damage = "its version (" + std::to_string(data.Version) + ") is not one this logger reads";
        return false;
    }
    return true;
}

}  // namespace

bool ReadOstrelSection(std::string_view section, TOstrelData& data, std::string& damage, std::size_t keep) {
    TCursor c(section);
    std::uint32_t magic = 0;
    if (!c.UInt32(magic, "the magic") || magic != kOstrelDataMagic) {
        damage = "it does not start with the magic number";
        return false;
    }
    if (!ReadHead(c, data, damage)) return false;
    const std::string_view rest = section.substr(c.Position());
    if (data.Version < kCompressedSinceVersion) {
        data.Payload = std::string(rest.substr(0, keep));
        data.PayloadSize = rest.size();
        return true;
    }
    try {
        if (keep == kWholePayload) {
            data.Payload = DecompressBuffer(rest.data(), rest.size(), kMaxDecompressedSize, keep, &data.PayloadSize);
            data.Whole = true;
        } else {
            // Only the part kept is inflated: the rest is checked when it is read.
            bool ended = false;
            data.Payload = DecompressBuffer(rest.data(), rest.size(), kMaxDecompressedSize, keep, nullptr, &ended);
            data.Whole = ended;
            data.PayloadSize = ended ? data.Payload.size() : 0;
        }
    } catch (const EOstrelLogError& e) {
        damage = e.what();
        return false;
    }
    return true;
}

bool ReadOstrelTrailerBlock(std::string_view block, TOstrelData& data, std::string& damage, std::size_t keep) {
    TCursor c(block);
    if (!ReadHead(c, data, damage)) return false;
    data.Payload = std::string(block.substr(c.Position(), keep));
    data.PayloadSize = block.size() - c.Position();
    return true;
}

bool ReadOstrelContainer(const TElfFile& file, TOstrelData& data, std::string& damage, std::size_t keep) {
    if (const TElfSection* s = file.FindSection(kOstrelSectionName)) {
        // For a part of the payload a part of the section will do (deflate
        // grows what it cannot shrink by a few bytes a block); should it not,
        // the whole section is read.
        if (keep != kWholePayload && s->Type != SHT_NOBITS && s->Size > keep + keep / 8 + 4096) {
            TOstrelData part;
            std::string partDamage;
            if (ReadOstrelSection(file.ReadBytes(s->Offset, keep + keep / 8 + 4096), part, partDamage, keep) &&
                !part.Whole) {
                data = std::move(part);
                return true;
            }
        }
        if (!ReadOstrelSection(file.ReadSection(*s), data, damage, keep)) {
            damage = "its " + std::string(kOstrelSectionName) + " section is damaged: " + damage;
            return false;
        }
        return true;
    }
    const std::uint64_t size = file.FileSize();
    if (size < 8 || size - 8 < file.ImageEnd()) return false;
    const std::string tail = file.ReadBytes(size - 8, 8);
    std::uint32_t magic, length;
    std::memcpy(&length, tail.data(), 4);
    std::memcpy(&magic, tail.data() + 4, 4);
    if (magic != kOstrelDataMagic) return false;
    // The block lies behind the ELF image, before its length and magic.
    if (length > size - 8 - file.ImageEnd()) {
        damage = "its trailer's length (" + std::to_string(length) + ") runs past the bytes behind the image";
        return false;
    }
    if (!ReadOstrelTrailerBlock(file.ReadBytes(size - 8 - length, length), data, damage, keep)) {
        damage = "its trailer is damaged: " + damage;
        return false;
    }
    return true;
}

bool SplitOstrelOptions(const TOstrelData& data, TOstrelModuleOptions& options, std::size_t& debugAt,
                        std::string& damage, std::size_t* debugSize) {
    TMemoryStream stream(data.Payload);
    options.LoadFromStream(stream, data.Version);
    const std::uint64_t at = static_cast<std::uint64_t>(stream.Position());
    std::int32_t n = 0;
    if (stream.Read(&n, 4) != 4) {
        damage = "the options stream runs to the end of the payload";
        return false;
    }
    if (!data.Whole) {
        if (n < 0 || static_cast<std::uint64_t>(n) > kMaxDecompressedSize - at - 4) {
            damage = "the debug data's length (" + std::to_string(n) + " at byte " + std::to_string(at) +
                     ") is more than a payload may hold";
            return false;
        }
    } else if (n < 0 || static_cast<std::uint64_t>(n) != data.PayloadSize - at - 4) {
        damage = "the debug data's length (" + std::to_string(n) + " at byte " + std::to_string(at) +
                 ") is not what the payload holds after the options";
        return false;
    }
    debugAt = static_cast<std::size_t>(at + 4);
    if (debugSize) *debugSize = static_cast<std::size_t>(n);
    return true;
}

bool TakeDebugData(TOstrelData& data, std::size_t debugAt, std::string& debugData, std::string& damage) {
    if (data.Payload.size() != data.PayloadSize || debugAt > data.Payload.size()) {
        damage = "the payload is not whole";
        return false;
    }
    // In place: the payload is the largest thing the logger holds.
    data.Payload.erase(0, debugAt);
    debugData = std::move(data.Payload);
    data.Payload.clear();
    return CheckDebugData(debugData, data.Version, damage);
}

bool SplitOstrelPayload(const TOstrelData& data, TOstrelModuleOptions& options, std::string& debugData,
                        std::string& damage) {
    // The payload given is the whole one.
    TOstrelData whole;
    whole.Version = data.Version;
    whole.Payload = data.Payload;
    whole.PayloadSize = data.Payload.size();
    std::size_t at = 0;
    return SplitOstrelOptions(whole, options, at, damage) && TakeDebugData(whole, at, debugData, damage);
}

}  // namespace menvaro
