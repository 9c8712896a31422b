// The logger's debug information as a module carries it: the container of
// options and debug data ("OLDATA", or the older trailer at the end of the
// module file) and the debug data itself, with its symbol block, its units
// and their line records. Written by the build step (tools/debuginfo) and
// read by the address lookup; every count, length and offset read is
// checked against the bytes that hold it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace menvaro {

class TElfFile;
class TOstrelModuleOptions;

// The version this logger writes; containers from 400 on are read.
inline constexpr std::uint16_t kDebugDataVersion = 454;
// From this version on the payload is zlib-compressed.
inline constexpr std::uint16_t kCompressedSinceVersion = 450;
// Above these versions the debug data has a symbol block, and the line
// records know the escape to 16-bit steps.
inline constexpr std::uint16_t kSymbolBlockAfterVersion = 404;
inline constexpr std::uint16_t kLineEscapeAfterVersion = 422;
inline constexpr std::uint32_t kLineStepEscape = 0x0FFEFFFE;
// The name of the ELF section that holds the container.
inline constexpr const char* kOstrelSectionName = "OLDATA";
// Offsets in the debug data count from the module's code start: its handle
// plus this.
inline constexpr std::int64_t kCodeStartOffset = 0x1000;

// ---- writing

// A line-table row: from `Offset` on the code is of `Line`, in the
// procedure `Procedure` of the class `Class` (both empty outside any).
struct TDebugRow {
    std::int64_t Offset = 0;
    std::int32_t Line = 0;
    std::string Class;
    std::string Procedure;
};

// A unit block: a contiguous run of one source file's code, [Start, Start + Size).
// Its rows are in address order; the first one starts at Start.
struct TDebugUnit {
    std::string Name;
    std::int64_t Start = 0;
    std::int64_t Size = 0;
    std::vector<TDebugRow> Rows;
};

// An entry of the symbol block: a function's qualified name and offset.
struct TDebugSymbol {
    std::string Name;
    std::int64_t Offset = 0;
    std::int32_t Value = 0;  // stored beside it, never read back (the function's size here)
};

// The debug data of `version`'s layout. Names are cut to 255 bytes on a
// UTF-8 boundary (a class to leave room for its procedure). Raises
// EOstrelLogError when an offset or size does not fit 32 bits.
std::string WriteDebugData(const std::vector<TDebugSymbol>& symbols, const std::vector<TDebugUnit>& units,
                           std::uint16_t version = kDebugDataVersion);

// One line record: the current line spans `addressStep` bytes (0 .. 65536,
// 4095 before the escape) and the next is `lineStep` (-32768 .. 32767)
// away; `name`, when given, follows as a short string. The smallest form
// that holds the steps is taken.
std::string LineRecord(std::uint32_t addressStep, std::int32_t lineStep, const std::string* name,
                       std::uint16_t version = kDebugDataVersion);

// A short string: one length byte, then the bytes XOR'd with the scramble
// key; cut to 255 bytes on a UTF-8 boundary.
std::string DebugString(std::string_view s);

// The "OLDATA" section: magic, version, build date, then the options
// stream, the debug data's length and the debug data, compressed from 450 on.
std::string BuildOstrelSection(std::uint16_t version, double buildDate, std::string_view optionsStream,
                               std::string_view debugData);
// The older form, appended to a module file: version, build date, the
// options stream, the debug data's length and the debug data, then the
// block's length and the magic.
std::string BuildOstrelTrailer(std::uint16_t version, double buildDate, std::string_view optionsStream,
                               std::string_view debugData);

// ---- reading

// What a container holds: the version, the build date and the payload
// (options stream, debug data length, debug data), inflated; read with a
// limit, only the payload's first bytes are kept.
struct TOstrelData {
    std::uint16_t Version = 0;
    double BuildDate = 0;
    std::string Payload;
    std::size_t PayloadSize = 0;  // of the whole payload; 0 while not Whole
    // False when a compressed payload was inflated only as far as the bytes
    // kept: its length is then known only from what its parts announce.
    bool Whole = true;
};
inline constexpr std::size_t kWholePayload = SIZE_MAX;

// From the bytes of an "OLDATA" section. False, with what is damaged in
// `damage`, when they are no container this logger reads.
bool ReadOstrelSection(std::string_view section, TOstrelData& data, std::string& damage,
                       std::size_t keep = kWholePayload);
// From the block of a trailer (the bytes before its length and magic).
bool ReadOstrelTrailerBlock(std::string_view block, TOstrelData& data, std::string& damage,
                            std::size_t keep = kWholePayload);

// The container of a module file: its section, else the trailer behind its
// ELF image. False for none; `damage` is set when there is one that cannot
// be read. Raises EElfError when the file cannot be read.
bool ReadOstrelContainer(const TElfFile& file, TOstrelData& data, std::string& damage,
                         std::size_t keep = kWholePayload);
// Reads the payload's options stream into `options` (with the container's
// version), then takes the debug data behind it and checks it. False, with
// `damage` set, when the parts do not add up to the payload.
bool SplitOstrelPayload(const TOstrelData& data, TOstrelModuleOptions& options, std::string& debugData,
                        std::string& damage);
// The first half of that: reads the options stream (from a payload kept in
// part, as long as its part holds the stream) and checks the debug data's
// length against the whole payload; `debugAt` is where the debug data starts.
// Of a payload inflated in part, the debug data's length is the one the
// payload announces; `debugSize`, when given, receives it.
bool SplitOstrelOptions(const TOstrelData& data, TOstrelModuleOptions& options, std::size_t& debugAt,
                        std::string& damage, std::size_t* debugSize = nullptr);
// The second half: takes the debug data out of a whole payload (which is
// left empty) and checks it.
bool TakeDebugData(TOstrelData& data, std::size_t debugAt, std::string& debugData, std::string& damage);

// Walks the whole debug data once; false, with what is damaged and where,
// when any count, length or record runs past what holds it.
bool CheckDebugData(std::string_view debugData, std::uint16_t version, std::string& damage);

// What the line tables say of one code offset.
struct TLineInfo {
    std::string Unit;  // shown with ".pas" when the stored name holds no "." and no "/"
    std::string Class;
    std::string Procedure;
    std::int32_t Line = 0;
};

// The units' code ranges in address order, made once per module so that a
// lookup bisects instead of walking every unit; empty when two units share
// code (then the walk decides, first unit first) or the data is damaged.
struct TUnitIndexEntry {
    std::int64_t Start = 0;
    std::int64_t Last = 0;  // the unit's last byte
    std::size_t HeaderAt = 0;
};
using TUnitIndex = std::vector<TUnitIndexEntry>;
TUnitIndex IndexUnits(std::string_view debugData, std::uint16_t version);

// Looks `offset` (from the code start) up in the units, first to last;
// false when no unit's range holds it (or the data is damaged). With an
// index, the one unit that holds it is found by bisection.
bool FindLineInfo(std::string_view debugData, std::uint16_t version, std::int64_t offset, TLineInfo& info,
                  const TUnitIndex* index = nullptr);

// The offset of the symbol named exactly `name`; false when the symbol
// block (above version 404) has none.
bool FindSymbolOffset(std::string_view debugData, std::uint16_t version, std::string_view name, std::int64_t& offset);

}  // namespace menvaro
