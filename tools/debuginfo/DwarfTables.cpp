#include "DwarfTables.h"

#include <dwarf.h>
#include <elf.h>
#include <elfutils/libdw.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <unordered_map>
#include <unordered_set>

#include "ETypes.h"
#include "base/Files.h"
#include "base/ScopeGuard.h"
#include "rtl/ElfFile.h"
#include "rtl/SymbolNames.h"

namespace menvaro::debuginfo {

namespace {

struct TRange {
    Dwarf_Addr low = 0, high = 0;  // [low, high)
};

// A function's code: a subprogram or, inside it, an inlined one.
struct TInterval {
    Dwarf_Addr low = 0, high = 0;
    int depth = 0;
    int name = -1;
};

// A file's name as its unit's name; a header without an extension keeps
// the folders below its include folder ("c++/12/vector"), so that it does
// not pass for a unit name of the old form.
std::string UnitNameOf(const std::string& path) {
    const std::string name = ExtractFileName(path);
    if (name.find('.') != std::string::npos) return name;
    const std::size_t include = path.rfind("/include/");
    if (include != std::string::npos) return path.substr(include + 9);
    const std::string folder = ExtractFileName(ExcludeTrailingPathDelimiter(ExtractFileDir(path)));
    return folder.empty() ? name : folder + "/" + name;
}

struct TFunctionName {
    std::string cls, proc;
};

class TReader {
public:
    explicit TReader(const std::string& path) : path_(path), elf_(path) {
        lowest_ = elf_.LowestLoadAddress();
        codeStart_ = lowest_ + static_cast<Dwarf_Addr>(kCodeStartOffset);
        for (const TElfSegment& s : elf_.Segments())
            if (s.Type == PT_LOAD && (s.Flags & PF_X)) code_.push_back({s.Address, s.Address + s.MemorySize});
    }

    TDwarfTables Read() {
        TDwarfTables result;
        const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) throw EOstrelLogError("Cannot open \"" + path_ + "\": " + SysErrorMessage(errno) + ".");
        ScopeGuard closeFile([fd] { ::close(fd); });
        Dwarf* dwarf = dwarf_begin(fd, DWARF_C_READ);
        if (!dwarf) return result;  // no DWARF data at all
        ScopeGuard endDwarf([dwarf] { dwarf_end(dwarf); });
        result.HasDwarf = true;

        Dwarf_CU* cu = nullptr;
        Dwarf_Die cudie, subdie;
        Dwarf_Half version;
        std::uint8_t unitType;
        while (dwarf_get_units(dwarf, cu, &cu, &version, &unitType, &cudie, &subdie) == 0) {
            if (unitType != DW_UT_compile && unitType != DW_UT_partial) continue;
            Dwarf_Die child;
            std::vector<std::string> scopes;
            if (dwarf_child(&cudie, &child) == 0) {
                RecordScopes(child, scopes);
                Walk(child, scopes, -1);
            }
            ReadLines(cudie);
        }
        Flatten();
        result.Units = Units();
        result.Symbols = Symbols();
        return result;
    }

private:
    bool InCode(Dwarf_Addr a) const {
        for (const TRange& r : code_)
            if (a >= r.low && a < r.high) return true;
        return false;
    }
    std::int64_t Offset(Dwarf_Addr a) const {
        return static_cast<std::int64_t>(a) - static_cast<std::int64_t>(codeStart_);
    }

    int Intern(const std::string& qualified) {
        auto it = nameIndex_.find(qualified);
        if (it != nameIndex_.end()) return it->second;
        const TScopedName s = SplitScope(qualified);
        names_.push_back({s.Scope, s.Name});
        qualified_.push_back(qualified);
        return nameIndex_[qualified] = static_cast<int>(names_.size()) - 1;
    }

    static std::string StringAttr(Dwarf_Die* die, int name) {
        Dwarf_Attribute attr;
        if (!dwarf_attr_integrate(die, name, &attr)) return {};
        const char* s = dwarf_formstring(&attr);
        return s ? s : "";
    }

    std::string QualifiedName(Dwarf_Die* die, const std::vector<std::string>& scopes) {
        std::string linkage = StringAttr(die, DW_AT_linkage_name);
        if (linkage.empty()) linkage = StringAttr(die, DW_AT_MIPS_linkage_name);
        if (!linkage.empty()) return FunctionName(linkage);
        // No linkage name: the name with the scopes of the DIE that declares
        // it, which for an inlined or out-of-line copy lies elsewhere.
        Dwarf_Die declared = *die;
        bool moved = false;
        for (int i = 0; i < 8; ++i) {
            Dwarf_Attribute attr;
            Dwarf_Die next;
            if (!(dwarf_attr(&declared, DW_AT_abstract_origin, &attr) ||
                  dwarf_attr(&declared, DW_AT_specification, &attr)) ||
                !dwarf_formref_die(&attr, &next))
                break;
            declared = next;
            moved = true;
        }
        const char* name = dwarf_diename(&declared);
        std::string prefix;
        if (!moved) {
            for (const std::string& s : scopes) prefix += s + "::";
        } else if (auto it = declaredScopes_.find(dwarf_dieoffset(&declared)); it != declaredScopes_.end()) {
            prefix = scopeTexts_[static_cast<std::size_t>(it->second)];
        }
        return prefix + (name ? name : "");
    }

    static const char* ScopeName(Dwarf_Die* die, int tag) {
        const char* n = dwarf_diename(die);
        return n ? n : tag == DW_TAG_namespace ? "(anonymous namespace)" : "";
    }

    static bool IsScope(int tag) {
        return tag == DW_TAG_namespace || tag == DW_TAG_class_type || tag == DW_TAG_structure_type ||
               tag == DW_TAG_union_type;
    }

    // The scopes ("ns::T::") of every function a unit declares, so that the
    // copies that name them by reference find them.
    void RecordScopes(Dwarf_Die die, std::vector<std::string>& scopes) {
        do {
            const int tag = dwarf_tag(&die);
            if (tag == DW_TAG_subprogram) {
                std::string prefix;
                for (const std::string& sc : scopes) prefix += sc + "::";
                auto [it, added] = scopeIndex_.try_emplace(prefix, static_cast<int>(scopeTexts_.size()));
                if (added) scopeTexts_.push_back(prefix);
                declaredScopes_[dwarf_dieoffset(&die)] = it->second;
            }
            if (IsScope(tag)) {
                scopes.push_back(ScopeName(&die, tag));
                Dwarf_Die child;
                if (dwarf_haschildren(&die) && dwarf_child(&die, &child) == 0) RecordScopes(child, scopes);
                scopes.pop_back();
            }
        } while (dwarf_siblingof(&die, &die) == 0);
    }

    static std::vector<TRange> Ranges(Dwarf_Die* die) {
        std::vector<TRange> ranges;
        Dwarf_Addr base, start, end;
        ptrdiff_t offset = 0;
        while ((offset = dwarf_ranges(die, offset, &base, &start, &end)) > 0)
            if (end > start) ranges.push_back({start, end});
        return ranges;
    }

    // `depth`: -1 outside any function, else the nesting of the enclosing one.
    void Walk(Dwarf_Die die, std::vector<std::string>& scopes, int depth) {
        do {
            const int tag = dwarf_tag(&die);
            int childDepth = depth;
            bool scope = false;
            if (tag == DW_TAG_subprogram || tag == DW_TAG_inlined_subroutine) {
                if (!dwarf_hasattr(&die, DW_AT_declaration)) {
                    const std::vector<TRange> ranges = Ranges(&die);
                    if (!ranges.empty()) {
                        const int name = Intern(QualifiedName(&die, scopes));
                        childDepth = depth + 1;
                        for (const TRange& r : ranges) {
                            if (!InCode(r.low)) continue;
                            intervals_.push_back({r.low, r.high, childDepth, name});
                            if (tag == DW_TAG_subprogram) unitRanges_.push_back(r);
                        }
                        if (tag == DW_TAG_subprogram) {
                            Dwarf_Addr entry = ranges.front().low;
                            dwarf_lowpc(&die, &entry);
                            if (InCode(entry) && !qualified_[static_cast<std::size_t>(name)].empty()) {
                                Dwarf_Addr size = 0;
                                for (const TRange& r : ranges)
                                    if (entry >= r.low && entry < r.high) size = r.high - entry;
                                symbols_.push_back({qualified_[static_cast<std::size_t>(name)], Offset(entry),
                                                    static_cast<std::int32_t>(std::min<Dwarf_Addr>(size, 0x7FFFFFFF))});
                            }
                        }
                    }
                }
            } else if (IsScope(tag)) {
                scopes.push_back(ScopeName(&die, tag));
                scope = true;
            }
            Dwarf_Die child;
            if (dwarf_haschildren(&die) && dwarf_child(&die, &child) == 0) Walk(child, scopes, childDepth);
            if (scope) scopes.pop_back();
        } while (dwarf_siblingof(&die, &die) == 0);
    }

    // The rows of this unit's own functions. A line table also holds the
    // rows of inline functions whose copy the linker dropped, moved onto
    // the copy kept from another unit, and libdw hands out all rows sorted
    // by address: so only rows inside the unit's own functions are taken,
    // each function's range once.
    void ReadLines(Dwarf_Die& cudie) {
        std::vector<TRange> ranges = std::move(unitRanges_);
        unitRanges_.clear();
        Dwarf_Lines* lines = nullptr;
        std::size_t count = 0;
        if (ranges.empty() || dwarf_getsrclines(&cudie, &lines, &count) != 0) return;
        std::vector<TRow> rows;
        for (std::size_t i = 0; i < count; ++i) {
            Dwarf_Line* line = dwarf_onesrcline(lines, i);
            Dwarf_Addr addr = 0;
            int lineNo = 0;
            bool end = false;
            if (!line || dwarf_lineaddr(line, &addr) != 0 || !InCode(addr)) continue;
            dwarf_lineendsequence(line, &end);
            if (end) continue;
            dwarf_lineno(line, &lineNo);
            const char* file = dwarf_linesrc(line, nullptr, nullptr);
            rows.push_back({addr, lineNo, InternFile(file ? UnitNameOf(file) : std::string())});
        }
        std::stable_sort(rows.begin(), rows.end(), [](const TRow& a, const TRow& b) { return a.addr < b.addr; });
        for (const TRange& r : ranges) {
            if (!claimed_.insert(r.low).second) continue;
            auto from = std::lower_bound(rows.begin(), rows.end(), r.low,
                                         [](const TRow& row, Dwarf_Addr a) { return row.addr < a; });
            TSequence sequence;
            sequence.end = r.high;
            // Code before the function's first row is of the row before it.
            if (from == rows.end() || from->addr > r.low) {
                if (from == rows.begin()) continue;
                TRow first = *std::prev(from);
                first.addr = r.low;
                sequence.rows.push_back(first);
            }
            for (auto it = from; it != rows.end() && it->addr < r.high; ++it) sequence.rows.push_back(*it);
            if (!sequence.rows.empty()) sequences_.push_back(std::move(sequence));
        }
    }

    int InternFile(const std::string& s) {
        auto it = fileIndex_.find(s);
        if (it != fileIndex_.end()) return it->second;
        files_.push_back(s);
        return fileIndex_[s] = static_cast<int>(files_.size()) - 1;
    }

    // The innermost function at each address: boundaries in address order,
    // each giving the function from there on (-1: none).
    void Flatten() {
        std::sort(intervals_.begin(), intervals_.end(), [](const TInterval& a, const TInterval& b) {
            if (a.low != b.low) return a.low < b.low;
            if (a.high != b.high) return a.high > b.high;
            return a.depth < b.depth;
        });
        auto mark = [this](Dwarf_Addr at, int name) {
            if (!bounds_.empty() && bounds_.back().first == at)
                bounds_.back().second = name;
            else
                bounds_.push_back({at, name});
        };
        std::vector<TInterval> open;
        auto close = [&](Dwarf_Addr until) {
            while (!open.empty() && open.back().high <= until) {
                const Dwarf_Addr at = open.back().high;
                open.pop_back();
                mark(at, open.empty() ? -1 : open.back().name);
            }
        };
        for (const TInterval& i : intervals_) {
            close(i.low);
            mark(i.low, i.name);
            open.push_back(i);
        }
        close(~Dwarf_Addr{0});
    }

    int FunctionAt(Dwarf_Addr a) const {
        auto it = std::upper_bound(bounds_.begin(), bounds_.end(), a,
                                   [](Dwarf_Addr x, const std::pair<Dwarf_Addr, int>& b) { return x < b.first; });
        return it == bounds_.begin() ? -1 : std::prev(it)->second;
    }

    std::vector<TDebugUnit> Units() const {
        std::vector<TDebugUnit> units;
        for (const TSequence& s : sequences_) {
            for (std::size_t i = 0; i < s.rows.size();) {
                std::size_t j = i;
                while (j < s.rows.size() && s.rows[j].file == s.rows[i].file) ++j;
                const Dwarf_Addr from = s.rows[i].addr, to = j < s.rows.size() ? s.rows[j].addr : s.end;
                if (to > from) {
                    TDebugUnit u;
                    u.Name = files_[static_cast<std::size_t>(s.rows[i].file)];
                    u.Start = Offset(from);
                    u.Size = static_cast<std::int64_t>(to - from);
                    for (std::size_t k = i; k < j && s.rows[k].addr < to; ++k) {
                        const int f = FunctionAt(s.rows[k].addr);
                        TDebugRow row;
                        row.Offset = Offset(s.rows[k].addr);
                        row.Line = s.rows[k].line;
                        if (f >= 0) {
                            row.Class = names_[static_cast<std::size_t>(f)].cls;
                            row.Procedure = names_[static_cast<std::size_t>(f)].proc;
                        }
                        u.Rows.push_back(std::move(row));
                    }
                    units.push_back(std::move(u));
                }
                i = j;
            }
        }
        std::stable_sort(units.begin(), units.end(),
                         [](const TDebugUnit& a, const TDebugUnit& b) { return a.Start < b.Start; });
        return units;
    }

    std::vector<TDebugSymbol> Symbols() const {
        std::vector<TDebugSymbol> symbols = symbols_;
        std::sort(symbols.begin(), symbols.end(), [](const TDebugSymbol& a, const TDebugSymbol& b) {
            return a.Offset != b.Offset ? a.Offset < b.Offset : a.Name < b.Name;
        });
        symbols.erase(std::unique(symbols.begin(), symbols.end(),
                                  [](const TDebugSymbol& a, const TDebugSymbol& b) {
                                      return a.Offset == b.Offset && a.Name == b.Name;
                                  }),
                      symbols.end());
        return symbols;
    }

    struct TRow {
        Dwarf_Addr addr;
        int line;
        int file;
    };
    struct TSequence {
        std::vector<TRow> rows;
        Dwarf_Addr end = 0;
    };

    std::string path_;
    TElfFile elf_;
    Dwarf_Addr lowest_ = 0, codeStart_ = 0;
    std::vector<TRange> code_;
    std::vector<TFunctionName> names_;
    std::vector<std::string> qualified_;
    std::unordered_map<std::string, int> nameIndex_;
    std::vector<std::string> files_;
    std::unordered_map<std::string, int> fileIndex_;
    std::vector<TInterval> intervals_;
    std::vector<TDebugSymbol> symbols_;
    std::vector<std::pair<Dwarf_Addr, int>> bounds_;
    std::vector<TSequence> sequences_;
    std::vector<TRange> unitRanges_;
    std::unordered_map<Dwarf_Off, int> declaredScopes_;
    std::unordered_map<std::string, int> scopeIndex_;
    std::vector<std::string> scopeTexts_;  // the functions of the unit being read
    std::unordered_set<Dwarf_Addr> claimed_;
};

}  // namespace

TDwarfTables ReadDwarfTables(const std::string& path) { return TReader(path).Read(); }

}  // namespace menvaro::debuginfo
