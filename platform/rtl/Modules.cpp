#include "Modules.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <unistd.h>

#include <cstddef>
#include <mutex>

#include "ElfFile.h"
#include "Memory.h"
#include "base/Files.h"

namespace menvaro {

bool TLoadedModule::Contains(std::uintptr_t address) const {
    for (const TModuleSegment& s : Segments)
        if (address >= s.Start && address < s.End) return true;
    return false;
}

const TModuleSegment* TLoadedModule::CodeSegmentOf(std::uintptr_t address) const {
    for (const TModuleSegment& s : Segments)
        if (s.Executable && address >= s.Start && address < s.End) return &s;
    return nullptr;
}

namespace {

struct TWalk {
    std::vector<TLoadedModule> modules;
    bool first = true;
    std::uint64_t generation = 0;
};

// The loader's loads and unloads so far; both only grow.
std::uint64_t GenerationOf(const dl_phdr_info* info, std::size_t size) {
    if (size < offsetof(dl_phdr_info, dlpi_subs) + sizeof info->dlpi_subs) return 0;
    return static_cast<std::uint64_t>(info->dlpi_adds) + static_cast<std::uint64_t>(info->dlpi_subs);
}

void AddModule(TWalk& w, const dl_phdr_info* info) {
    const bool program = w.first;
    w.first = false;
    TLoadedModule m;
    m.Bias = static_cast<std::int64_t>(info->dlpi_addr);
    bool any = false;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        const std::uintptr_t from = info->dlpi_addr + ph.p_vaddr;
        const std::uintptr_t to = from + ph.p_memsz;
        if (ph.p_type == PT_NOTE) m.Notes.push_back({from, to, true, false, false});
        if (ph.p_type != PT_LOAD || ph.p_memsz == 0) continue;
        m.Segments.push_back({from, to, (ph.p_flags & PF_R) != 0, (ph.p_flags & PF_W) != 0, (ph.p_flags & PF_X) != 0});
        if (!any || from < m.Handle) m.Handle = from;
        if (!any || to > m.End) m.End = to;
        any = true;
    }
    if (!any) return;
    // The program comes first and has no name in the list.
    m.Path = info->dlpi_name ? info->dlpi_name : "";
    if (program) {
        m.Kind = TModuleKind::mkProgram;
        if (m.Path.empty()) {
            try {
                m.Path = ExeName();
            } catch (...) {
                // Listed all the same, without a name.
            }
        }
    }
    w.modules.push_back(std::move(m));
}

}  // namespace

namespace {

TWalk Walk() {
    TWalk walk;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t size, void* data) {
            auto& w = *static_cast<TWalk*>(data);
            // Read under the loader's lock with the list itself.
            if (w.first) w.generation = GenerationOf(info, size);
            // Nothing may leave through the loader's frames.
            try {
                AddModule(w, info);
            } catch (...) {
            }
            return 0;
        },
        &walk);
    return walk;
}

}  // namespace

std::vector<TLoadedModule> LoadedModules() { return Walk().modules; }

std::uint64_t ModulesGeneration() {
    std::uint64_t generation = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t size, void* data) {
            *static_cast<std::uint64_t*>(data) = GenerationOf(info, size);
            return 1;
        },
        &generation);
    return generation;
}

std::shared_ptr<const std::vector<TLoadedModule>> CurrentModules() {
    struct TKept {
        std::mutex lock;
        std::shared_ptr<const std::vector<TLoadedModule>> modules;
        std::uint64_t generation = 0;
    };
    static TKept* kept = new TKept;
    const std::uint64_t now = ModulesGeneration();
    {
        const std::lock_guard<std::mutex> guard(kept->lock);
        if (kept->modules && kept->generation == now && now != 0) return kept->modules;
    }
    TWalk walk = Walk();
    auto modules = std::make_shared<const std::vector<TLoadedModule>>(std::move(walk.modules));
    const std::lock_guard<std::mutex> guard(kept->lock);
    kept->modules = modules;
    kept->generation = walk.generation;
    return modules;
}

std::uintptr_t ModuleOfAddress(std::uintptr_t address) {
    // Held for the loop: the list kept may be replaced meanwhile.
    const auto modules = CurrentModules();
    for (const TLoadedModule& m : *modules)
        if (m.Contains(address)) return m.Handle;
    return 0;
}

bool FindLoadedModule(std::uintptr_t handle, TLoadedModule& module) {
    // Held for the loop: the list kept may be replaced meanwhile.
    const auto modules = CurrentModules();
    for (const TLoadedModule& m : *modules) {
        if (m.Handle == handle) {
            module = m;
            return true;
        }
    }
    return false;
}

std::string LoadedBuildId(const TLoadedModule& module) {
    for (const TModuleSegment& n : module.Notes) {
        // Note segments are small; a size past this is no note segment.
        const std::size_t size = n.End - n.Start;
        if (size == 0 || size > 65536) continue;
        std::string notes(size, '\0');
        if (!ReadMemory(n.Start, notes.data(), size)) continue;
        std::string id = BuildIdOfNotes(notes);
        if (!id.empty()) return id;
    }
    return {};
}

namespace {

std::uintptr_t HexField(const char*& p) {
    std::uintptr_t v = 0;
    for (;; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') v = v * 16 + static_cast<std::uintptr_t>(c - '0');
        else if (c >= 'a' && c <= 'f') v = v * 16 + static_cast<std::uintptr_t>(c - 'a' + 10);
        else return v;
    }
}

// "start-end perms offset dev inode   path": an executable one is kept.
void AddMappingLine(const char* line, TCodeMapping* mappings, int max, int& count) {
    if (count >= max) return;
    const char* p = line;
    const std::uintptr_t start = HexField(p);
    if (*p++ != '-') return;
    const std::uintptr_t end = HexField(p);
    if (*p++ != ' ' || p[0] == 0 || p[1] == 0 || p[2] != 'x') return;
    // Past perms, offset, dev and inode to the path, if any.
    for (int field = 0; field < 4 && *p; ++field) {
        while (*p == ' ') ++p;
        while (*p && *p != ' ') ++p;
    }
    while (*p == ' ') ++p;
    const char* name = p;
    for (const char* q = p; *q; ++q)
        if (*q == '/') name = q + 1;
    TCodeMapping& m = mappings[count++];
    m.Start = start;
    m.End = end;
    std::size_t n = 0;
    while (name[n] && n + 1 < sizeof m.Name) {
        m.Name[n] = name[n];
        ++n;
    }
    m.Name[n] = 0;
}

}  // namespace

int ReadCodeMappings(TCodeMapping* mappings, int max) {
    const int fd = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    int count = 0;
    char buffer[4096];
    char line[512];
    std::size_t length = 0;
    bool cut = false;  // the rest of an overlong line is passed over
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c == '\n') {
                line[length] = 0;
                AddMappingLine(line, mappings, max, count);
                length = 0;
                cut = false;
            } else if (!cut && length + 1 < sizeof line) {
                line[length++] = c;
            } else {
                cut = true;
            }
        }
    }
    ::close(fd);
    return count;
}

const TCodeMapping* FindCodeMapping(const TCodeMapping* mappings, int count, std::uintptr_t address) {
    for (int i = 0; i < count; ++i)
        if (address >= mappings[i].Start && address < mappings[i].End) return &mappings[i];
    return nullptr;
}

}  // namespace menvaro
