// The line tables and functions of a linked program or library, read from
// its DWARF data and put into the form of the logger's debug data.
#pragma once

#include <string>
#include <vector>

#include "EDebugData.h"

namespace menvaro::debuginfo {

struct TDwarfTables {
    std::vector<TDebugUnit> Units;      // in address order
    std::vector<TDebugSymbol> Symbols;  // one per function, in address order
    bool HasDwarf = false;              // false: the file has no DWARF data
};

// Reads `path`; offsets count from `codeStart` (the lowest loadable address
// plus 0x1000). Only code inside the file's executable segments is taken.
// Raises EOstrelLogError for DWARF data that cannot be read.
TDwarfTables ReadDwarfTables(const std::string& path);

}  // namespace menvaro::debuginfo
