// The modules loaded into this process: the program and its shared
// libraries, as the dynamic loader lists them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace menvaro {

enum class TModuleKind { mkProgram, mkSharedLibrary };

// One loadable segment in memory, [Start, End).
struct TModuleSegment {
    std::uintptr_t Start = 0;
    std::uintptr_t End = 0;
    bool Readable = false;
    bool Writable = false;
    bool Executable = false;
};

struct TLoadedModule {
    // The lowest address of its loadable segments: the module's handle.
    std::uintptr_t Handle = 0;
    // The end of its highest loadable segment.
    std::uintptr_t End = 0;
    // What the loader added to the addresses of its file; 0 for a program
    // linked at fixed addresses.
    std::int64_t Bias = 0;
    // Its file as the loader opened it; the program's own file for the program.
    std::string Path;
    TModuleKind Kind = TModuleKind::mkSharedLibrary;
    std::vector<TModuleSegment> Segments;
    // Its note segments in memory, [start, end) each: they hold the build id.
    std::vector<TModuleSegment> Notes;

    bool Contains(std::uintptr_t address) const;
    // The executable segment holding `address`, or nullptr.
    const TModuleSegment* CodeSegmentOf(std::uintptr_t address) const;
};

// In the loader's order: the program first.
std::vector<TLoadedModule> LoadedModules();
// The same list, kept and listed again only when the loader has loaded or
// unloaded a module since: for callers that look up many addresses.
std::shared_ptr<const std::vector<TLoadedModule>> CurrentModules();
// Changes whenever the loader loads or unloads a module.
std::uint64_t ModulesGeneration();

// The handle of the module whose segments hold `address`; 0 for none.
std::uintptr_t ModuleOfAddress(std::uintptr_t address);
// The module of a handle; false when no loaded module has it.
bool FindLoadedModule(std::uintptr_t handle, TLoadedModule& module);

// An executable mapping as /proc/self/maps lists it.
struct TCodeMapping {
    std::uintptr_t Start = 0;
    std::uintptr_t End = 0;
    char Name[64] = {};  // the file name of its path without folders (cut to fit); "" for none
};
// Up to `max` executable mappings of this process in address order; their
// count. Async-signal-safe (read with open/read only, nothing allocated),
// for a signal handler that may not ask the loader.
int ReadCodeMappings(TCodeMapping* mappings, int max);
// The mapping of `count` that holds `address`; nullptr for none.
const TCodeMapping* FindCodeMapping(const TCodeMapping* mappings, int count, std::uintptr_t address);

// The build id the loaded image carries (the bytes of its GNU build-id
// note, read from memory); "" when it has none.
std::string LoadedBuildId(const TLoadedModule& module);

}  // namespace menvaro
