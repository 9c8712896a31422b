// The debug information of the logger: module records, their containers
// and exports, and the address lookup.
#include <elf.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include <thread>

#include "EConsts.h"
#include "EDebugData.h"
#include "ExceptionLog.h"
#include "base/Files.h"
#include "base/Streams.h"
#include "base/Strings.h"
#include "rtl/ElfFile.h"
#include "rtl/Memory.h"
#include "rtl/SymbolNames.h"

namespace menvaro {

// ---- exported functions

bool TOstrelFunctionInfo::Contains(std::uintptr_t address) const {
    if (address < Address) return false;
    const std::uintptr_t past = address - Address;
    return ExactSize ? past < Size : past <= Size;
}

bool TOstrelFunctionInfo::WhollyBelow(std::uintptr_t address) const {
    if (address < Address) return false;
    return ExactSize ? address - Address >= Size : address - Address > Size;
}

void TOstrelFunctionsList::Sort() {
    std::stable_sort(functions_.begin(), functions_.end(),
                     [](const TOstrelFunctionInfo& a, const TOstrelFunctionInfo& b) { return a.Address < b.Address; });
    functions_.erase(
        std::unique(functions_.begin(), functions_.end(),
                    [](const TOstrelFunctionInfo& a, const TOstrelFunctionInfo& b) { return a.Address == b.Address; }),
        functions_.end());
}

const TOstrelFunctionInfo* TOstrelFunctionsList::FindExportedFunction(std::uintptr_t address) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const TOstrelFunctionInfo& f = functions_[static_cast<std::size_t>(mid)];
        if (f.Contains(address)) found = true;
        if (f.WhollyBelow(address))
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return found && lo < Count() ? &functions_[static_cast<std::size_t>(lo)] : nullptr;
}

namespace {

// The loaded image and its file are the same build: a file replaced on
// disk since the module was loaded would give wrong names.
bool FileIsLoadedImage(const TLoadedModule& loaded, const TElfFile& file) {
    const std::string inMemory = LoadedBuildId(loaded);
    if (inMemory.empty() || file.BuildId() == inMemory) return true;
    TraceCall("The file of the module is not the loaded image", {loaded.Path});
    return false;
}

}  // namespace

std::uint32_t GetFunctionSize(std::uintptr_t start, std::uintptr_t codeEnd) {
    if (codeEnd < start) return 1;
    auto isReturn = [](std::uint8_t b) { return b == 0xC2 || b == 0xC3 || b == 0xCA || b == 0xCB; };
    std::uint8_t chunk[4096];
    std::uint8_t first = 0;
    if (!ReadValue(start, first)) return 1;
    const bool framed = first == 0x55;  // push rbp
    std::uint8_t previous = 0;
    for (std::uintptr_t at = start; at <= codeEnd;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uintptr_t>(sizeof chunk, codeEnd - at + 1));
        if (!ReadMemory(at, chunk, n)) return 1;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uintptr_t here = at + i;
            const std::uint8_t b = chunk[i];
            if (framed) {
                // pop rbp or leave, then a return: up to and with the first of them.
                if (here > start && isReturn(b) && (previous == 0x5D || previous == 0xC9))
                    return static_cast<std::uint32_t>(here - 1 - start + 1);
            } else if (isReturn(b)) {
                return static_cast<std::uint32_t>(here - start);
            }
            previous = b;
        }
        at += n;
        if (at == 0) break;  // the end of the address space
    }
    return 1;
}

std::uintptr_t FollowImportThunk(std::uintptr_t address) { return FollowImportThunk(address, TProcessMemory()); }

std::uintptr_t FollowImportThunk(std::uintptr_t address, const IOstrelMemory& memory) {
    std::uint8_t code[11];
    std::size_t have = sizeof code;
    if (!memory.Read(address, code, have)) {
        have = 6;
        if (!memory.Read(address, code, have)) return address;
    }
    std::size_t at = 0;
    if (have >= 10 && code[0] == 0xF3 && code[1] == 0x0F && code[2] == 0x1E && code[3] == 0xFA) at = 4;  // endbr64
    if (at + 7 <= have && code[at] == 0xF2) ++at;                                                        // bnd
    if (at + 6 > have || code[at] != 0xFF || code[at + 1] != 0x25) return address;
    std::int32_t rel;
    std::memcpy(&rel, code + at + 2, 4);
    const std::uintptr_t slot = address + at + 6 + static_cast<std::intptr_t>(rel);
    std::uintptr_t target = 0;
    return memory.Read(slot, &target, sizeof target) ? target : address;
}

bool LoadExportedFunctions(const TLoadedModule& module, TOstrelFunctionsList& list) {
    try {
        const TElfFile file(module.Path);
        if (!FileIsLoadedImage(module, file)) return false;
        struct TCandidate {
            TOstrelFunctionInfo info;
            bool weak;
        };
        std::vector<TCandidate> found;
        for (const TElfSymbol& s : file.DynamicSymbols()) {
            if (s.Type != STT_FUNC || s.Section == SHN_UNDEF || s.Value == 0) continue;
            TOstrelFunctionInfo f;
            f.Address = static_cast<std::uintptr_t>(static_cast<std::int64_t>(s.Value) + module.Bias);
            if (!module.Contains(f.Address)) continue;
            f.Name = FunctionName(s.Name);
            if (s.Size > 0) {
                f.Size = static_cast<std::uint32_t>(std::min<std::uint64_t>(s.Size, 0xFFFFFFFF));
                f.ExactSize = true;
            } else if (InsideDevelopmentEnvironment()) {
                f.Size = 1;
            } else {
                const TModuleSegment* code = module.CodeSegmentOf(f.Address);
                f.Size = code ? GetFunctionSize(f.Address, code->End - 1) : 1;
            }
            found.push_back({std::move(f), s.Bind == STB_WEAK});
        }
        // Aliases at one address count once: a global name before a weak one.
        std::stable_sort(found.begin(), found.end(), [](const TCandidate& a, const TCandidate& b) {
            if (a.info.Address != b.info.Address) return a.info.Address < b.info.Address;
            return !a.weak && b.weak;
        });
        const int before = list.Count();
        for (TCandidate& c : found) list.Add(std::move(c.info));
        list.Sort();
        return list.Count() > before;
    } catch (const EElfError& e) {
        TraceCall("LoadExportedFunctions", {std::string(e.what())});
        return false;
    }
}

std::uint8_t GetModuleKind(std::uintptr_t module) {
    TLoadedModule loaded;
    Elf64_Ehdr header;
    if (!FindLoadedModule(module, loaded) || !ReadValue(module, header)) return mkUnknown;
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) return mkUnknown;
    if (header.e_type == ET_EXEC) return mkProgram;
    if (header.e_type != ET_DYN) return mkUnknown;
    return loaded.Kind == TModuleKind::mkProgram ? mkProgram : mkLibrary;
}

void GetModuleVersionInfo(const std::string& /*path*/, std::string& description, std::string& version) {
    description.clear();
    version.clear();
}

// ---- export names

namespace {

void SplitDotted(const std::string& name, TOstrelDebugInfo& info) {
    const std::vector<std::string> parts = SplitString(name, '.');
    if (parts.size() == 2) {
        info.UnitName = parts[0] + ".pas";
        info.ClassName.clear();
        info.ProcedureName = parts[1];
    } else if (parts.size() == 3) {
        info.UnitName = parts[0] + ".pas";
        info.ClassName = parts[1];
        info.ProcedureName = parts[2];
    } else {
        return;
    }
    info.EntryKind = ekDecoratedExport;
}

}  // namespace

void ParseExportName(const std::string& name, TOstrelDebugInfo& info) {
    if (name.empty()) return;
    const TScopedName scoped = SplitScope(name);
    if (!scoped.Scope.empty()) {
        info.EntryKind = ekDecoratedExport;
        info.UnitName.clear();
        info.ClassName = scoped.Scope;
        info.ProcedureName = scoped.Name;
    } else if (name[0] == '@' && (name.size() < 2 || name[1] != '$')) {
        // "@Unit@Class@Method$signature"
        const std::size_t dollar = name.find('$');
        if (dollar == std::string::npos) return;
        std::string s = name.substr(0, dollar);
        if (!s.empty() && s.back() == '@') s.pop_back();
        if (!s.empty() && s.front() == '@') s.erase(0, 1);
        if (const std::size_t pair = s.find("@@"); pair != std::string::npos) s[pair + 1] = '_';
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '@') {
                s[i] = '.';
                ++i;
            }
        }
        SplitDotted(s, info);
    } else if (name.find('.') != std::string::npos) {
        SplitDotted(name.substr(0, name.find('@')), info);
    } else if (name[0] != '?') {
        info.EntryKind = ekExport;
        info.UnitName.clear();
        info.ClassName.clear();
        info.ProcedureName = name;
    }
    if (!info.ProcedureName.empty() && info.ProcedureName[0] == '@') info.ProcedureName[0] = '_';
}

// ---- containers

namespace {

bool IsLogModuleFile(const std::string& path, bool oldForm) {
    try {
        const TElfFile file(path);
        std::uint32_t magic = 0;
        if (oldForm) {
            if (file.FileSize() < 4) return false;
            std::memcpy(&magic, file.ReadBytes(file.FileSize() - 4, 4).data(), 4);
        } else {
            const TElfSection* s = file.FindSection(kOstrelSectionName);
            if (!s || s->Size < 4) return false;
            std::memcpy(&magic, file.ReadBytes(s->Offset, 4).data(), 4);
        }
        return magic == kOstrelDataMagic;
    } catch (const EElfError&) {
        return false;
    }
}

}  // namespace

bool IsOstrelLogModule(std::uintptr_t module) {
    TraceCall("IsOstrelLogModule", {reinterpret_cast<const void*>(module)}, 2);
    const bool result = IsLogModuleFile(ModuleFileName(module), false);
    TraceCall("IsOstrelLogModule=", {result}, -2);
    return result;
}

bool IsOstrelLogModule_Old(std::uintptr_t module) {
    TraceCall("IsOstrelLogModule_Old", {reinterpret_cast<const void*>(module)}, 2);
    const bool result = IsLogModuleFile(ModuleFileName(module), true);
    TraceCall("IsOstrelLogModule_Old=", {result}, -2);
    return result;
}

namespace {

// What start-up inflates of a container: enough for the options stream.
constexpr std::size_t kOptionsPrefix = std::size_t{64} << 10;

}  // namespace

bool LoadDebugInformation(TOstrelModuleInfo& record) {
    TraceCall("LoadDebugInformation", {record.Image.Path}, 2);
    bool result = false;
    std::string damage;
    try {
        const TElfFile file(record.Image.Path);
        TOstrelData data;
        if (FileIsLoadedImage(record.Image, file) && ReadOstrelContainer(file, data, damage, kOptionsPrefix)) {
            std::size_t at = 0, size = 0;
            bool split = SplitOstrelOptions(data, *record.Options, at, damage, &size);
            // Options longer than the part kept: read again, whole.
            if (!split && !data.Whole) {
                damage.clear();
                split = ReadOstrelContainer(file, data, damage) &&
                        SplitOstrelOptions(data, *record.Options, at, damage, &size);
            }
            if (split) {
                record.DebugVersion = data.Version;
                record.BuildDate = data.BuildDate;
                record.DebugDataAt = at;
                record.DebugDataSize = size;
                record.CarriesDebugData = size > 0;
                result = true;
            } else if (!damage.empty()) {
                damage = "its container is damaged: " + damage;
            }
        }
    } catch (const EElfError& e) {
        TraceCall("LoadDebugInformation", {std::string(e.what())});
    }
    if (!result) {
        record.DebugVersion = kDebugDataVersion;
        record.BuildDate = 0;
        record.CarriesDebugData = false;
        record.DebugDataAt = 0;
        record.DebugDataSize = 0;
        if (!damage.empty()) {
            record.Options->SetDefaults();
            ReportWarning(eeLogError,
                          "The debug information of \"" + record.Image.Path + "\" is not used: " + damage + ".");
        }
    }
    // A running module's own options stand above those it was built with.
    if (record.Handle() != LoggerModuleHandle()) ReadModuleBlock(record.Handle(), *record.Options);
    TraceCall("LoadDebugInformation=", {result}, -2);
    return result;
}

namespace {

// A report from a fatal signal may find a record's lock held by the thread
// it stopped: tried for five seconds, then the report goes on without what
// the lock guards (line names, export names).
std::unique_lock<std::recursive_mutex> LockForRead(std::recursive_mutex& lock) {
    std::unique_lock<std::recursive_mutex> guard(lock, std::defer_lock);
    for (int tries = 0; !guard.try_lock() && tries < 5000; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return guard;
}

}  // namespace

bool TOstrelModuleInfo::LoadDebugDataOnce() const {
    if (debugLoaded_.load(std::memory_order_acquire)) return true;
    const std::unique_lock<std::recursive_mutex> guard = LockForRead(debugLock_);
    if (!guard.owns_lock()) return false;
    if (debugLoaded_.load(std::memory_order_acquire)) return true;
    try {
        if (CarriesDebugData) LoadDebugData();
    } catch (...) {
        DebugData.clear();
        UnitIndex.clear();
        TraceCall("LoadDebugData failed", {Image.Path});
    }
    debugLoaded_.store(true, std::memory_order_release);
    return true;
}

const TOstrelFunctionsList& TOstrelModuleInfo::Exports() const {
    if (exportsLoaded_.load(std::memory_order_acquire)) return Functions;
    const std::unique_lock<std::recursive_mutex> guard = LockForRead(debugLock_);
    // The list may be half filled by the thread that holds the lock.
    static const auto* none = new TOstrelFunctionsList;
    if (!guard.owns_lock()) return *none;
    if (!exportsLoaded_.load(std::memory_order_acquire)) {
        try {
            LoadExportedFunctions(Image, Functions);
        } catch (...) {
            Functions.Clear();
            TraceCall("LoadExportedFunctions failed", {Image.Path});
        }
        exportsLoaded_.store(true, std::memory_order_release);
    }
    return Functions;
}

void TOstrelModuleInfo::LoadDebugData() const {
    TraceCall("LoadDebugData", {Image.Path}, 2);
    std::string damage;
    try {
        const TElfFile file(Image.Path);
        TOstrelData data;
        if (FileIsLoadedImage(Image, file) && ReadOstrelContainer(file, data, damage)) {
            std::string debugData;
            if (data.Version != DebugVersion || data.PayloadSize <= DebugDataAt) {
                damage = "its container has changed since the module was loaded";
            } else if (data.PayloadSize - DebugDataAt != DebugDataSize) {
                // Start-up inflated only the options: the length is checked here.
                damage = "its container is damaged: the debug data's length (" + std::to_string(DebugDataSize) +
                         ") is not what the payload holds after the options";
            } else if (TakeDebugData(data, DebugDataAt, debugData, damage)) {
                DebugData = std::move(debugData);
                UnitIndex = IndexUnits(DebugData, DebugVersion);
            } else {
                damage = "its container is damaged: " + damage;
            }
        }
    } catch (const EElfError& e) {
        TraceCall("LoadDebugData", {std::string(e.what())});
    }
    if (DebugData.empty() && !damage.empty())
        ReportWarning(eeLogError, "The debug information of \"" + Image.Path + "\" is not used: " + damage + ".");
    TraceCall("LoadDebugData=", {!DebugData.empty()}, -2);
}

// ---- module records

std::shared_ptr<TOstrelModuleInfo> CreateModuleInfo(const TLoadedModule& loaded, bool complete) {
    auto record = std::make_shared<TOstrelModuleInfo>();
    record->Image = loaded;
    record->FileSize = FileSizeOf(loaded.Path);
    GetModuleVersionInfo(loaded.Path, record->Description, record->Version);
    record->Options.reset(Create<TOstrelModuleOptionsEx>(loaded.Path, true));
    // A record made during a refresh reads no exports; a complete one at its first lookup.
    record->exportsLoaded_.store(!complete, std::memory_order_release);
    if (complete) {
        record->ModuleKind = GetModuleKind(loaded.Handle);
        LoadDebugInformation(*record);
    }
    return record;
}

TOstrelModulesList::TOstrelModulesList() {
    TraceCall("TOstrelModulesList.Create", {}, 2);
    // Every module listed, only the logger's own one read: the others are
    // completed by the first lookup that finds them, as after a refresh.
    const std::uintptr_t own = LoggerModuleHandle();
    for (const TLoadedModule& m : LoadedModules())
        if (!m.Path.empty()) Insert(CreateModuleInfo(m, m.Handle == own));
    TraceCall("TOstrelModulesList.Create=", {Count()}, -2);
}

TOstrelModulesList::~TOstrelModulesList() { Clear(); }

int TOstrelModulesList::Count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(modules_.size());
}

std::shared_ptr<TOstrelModuleInfo> TOstrelModulesList::Get(int i) const {
    std::lock_guard<std::mutex> guard(lock_);
    return modules_.at(static_cast<std::size_t>(i));
}

void TOstrelModulesList::Delete(int i) {
    std::lock_guard<std::mutex> guard(lock_);
    modules_.erase(modules_.begin() + i);
}

void TOstrelModulesList::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    modules_.clear();
}

std::vector<std::shared_ptr<TOstrelModuleInfo>> TOstrelModulesList::Modules() const {
    std::lock_guard<std::mutex> guard(lock_);
    return modules_;
}

void TOstrelModulesList::Insert(std::shared_ptr<TOstrelModuleInfo> record) {
    std::lock_guard<std::mutex> guard(lock_);
    // Another thread may have added the same module meanwhile: the complete record stays.
    for (auto& m : modules_) {
        if (m->Handle() == record->Handle() && m->Image.Path == record->Image.Path) {
            if (m->ModuleKind == mkUnknown) m = std::move(record);
            return;
        }
    }
    const auto at = std::upper_bound(modules_.begin(), modules_.end(), record->Handle(),
                                     [](std::uintptr_t h, const auto& m) { return h < m->Handle(); });
    modules_.insert(at, std::move(record));
}

bool TOstrelModulesList::AddModule(std::uintptr_t handle) {
    TraceCall("AddModule", {reinterpret_cast<const void*>(handle)}, 2);
    TLoadedModule loaded;
    bool added = false;
    if (FindLoadedModule(handle, loaded) && !loaded.Path.empty()) {
        bool refreshing;
        {
            std::lock_guard<std::mutex> guard(lock_);
            refreshing = refreshing_;
        }
        Insert(CreateModuleInfo(loaded, !refreshing));
        added = true;
    }
    TraceCall("AddModule=", {added}, -2);
    return added;
}

std::shared_ptr<TOstrelModuleInfo> TOstrelModulesList::Find(const TLoadedModule& loaded) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        for (auto it = modules_.begin(); it != modules_.end(); ++it) {
            if ((*it)->Handle() != loaded.Handle) continue;
            if ((*it)->Image.Path == loaded.Path && (*it)->ModuleKind != mkUnknown) return *it;
            // Made during a refresh, or another module now at this address.
            if ((*it)->Image.Path != loaded.Path) (*it)->Unloaded = true;
            modules_.erase(it);
            break;
        }
    }
    if (loaded.Path.empty()) return nullptr;
    Insert(CreateModuleInfo(loaded, true));
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& m : modules_)
        if (m->Handle() == loaded.Handle && m->Image.Path == loaded.Path) return m;
    return nullptr;
}

std::shared_ptr<TOstrelModuleInfo> TOstrelModulesList::FindModuleInfo(std::uintptr_t handle) {
    if (handle == 0) return nullptr;
    TLoadedModule loaded;
    if (!FindLoadedModule(handle, loaded)) return nullptr;
    return Find(loaded);
}

std::shared_ptr<TOstrelModuleInfo> TOstrelModulesList::FindModuleInfoOfAddress(std::uintptr_t address) {
    // A call stack looks many addresses up: the list of modules is kept
    // while none is loaded or unloaded.
    // Held for the loop: the list kept may be replaced meanwhile.
    const auto modules = CurrentModules();
    for (const TLoadedModule& m : *modules)
        if (m.Contains(address)) return Find(m);
    return nullptr;
}

void TOstrelModulesList::RefreshModulesList() {
    TraceCall("RefreshModulesList", {}, 2);
    const std::vector<TLoadedModule> loaded = LoadedModules();
    auto isLoaded = [&](const TOstrelModuleInfo& m) {
        for (const TLoadedModule& l : loaded)
            if (l.Handle == m.Handle() && l.Path == m.Image.Path) return true;
        return false;
    };
    std::vector<const TLoadedModule*> added;
    {
        std::lock_guard<std::mutex> guard(lock_);
        // Records of unloaded modules leave the list; entries that point at them keep them.
        std::erase_if(modules_, [&](const std::shared_ptr<TOstrelModuleInfo>& m) {
            if (isLoaded(*m)) return false;
            m->Unloaded = true;
            return true;
        });
        refreshing_ = true;
        for (const TLoadedModule& l : loaded) {
            if (l.Path.empty()) continue;
            const bool listed = std::any_of(modules_.begin(), modules_.end(), [&](const auto& m) {
                return m->Handle() == l.Handle && m->Image.Path == l.Path;
            });
            if (!listed) added.push_back(&l);
        }
    }
    for (const TLoadedModule* l : added) Insert(CreateModuleInfo(*l, false));
    {
        std::lock_guard<std::mutex> guard(lock_);
        refreshing_ = false;
    }
    TraceCall("RefreshModulesList=", {Count()}, -2);
}

TOstrelDebugInfo TOstrelModulesList::GetAddressInfo(std::uintptr_t address) {
    TraceCall("GetAddressInfo", {reinterpret_cast<const void*>(address)}, 2);
    TOstrelDebugInfo info;
    info.Address = address;
    const std::shared_ptr<TOstrelModuleInfo> module = FindModuleInfoOfAddress(address);
    if (module) {
        info.Module = module;
        TLineInfo line;
        // Worked out in 64 bits: the code start of a program at fixed
        // addresses lies above offsets read as negative.
        const std::int64_t offset = static_cast<std::int64_t>(address) - static_cast<std::int64_t>(module->CodeStart());
        if (module->HasDebugData() &&
            FindLineInfo(module->DebugData, module->DebugVersion, offset, line, &module->UnitIndex)) {
            info.EntryKind = ekLineInfo;
            info.UnitName = std::move(line.Unit);
            info.ClassName = std::move(line.Class);
            info.ProcedureName = std::move(line.Procedure);
            info.Line = line.Line;
        } else {
            info.EntryKind = ekModule;
            if (const TOstrelFunctionInfo* f = module->Exports().FindExportedFunction(address))
                ParseExportName(f->Name, info);
        }
    }
    TraceCall("GetAddressInfo=", {static_cast<int>(info.EntryKind)}, -2);
    return info;
}

std::uintptr_t TOstrelModulesList::FindProcedureAddress(std::string_view name) {
    const std::shared_ptr<TOstrelModuleInfo> own = FindModuleInfo(LoggerModuleHandle());
    std::int64_t offset = 0;
    if (!own || !own->HasDebugData() || !FindSymbolOffset(own->DebugData, own->DebugVersion, name, offset)) return 0;
    return static_cast<std::uintptr_t>(static_cast<std::int64_t>(own->CodeStart()) + offset);
}

namespace {

std::unique_ptr<TOstrelModulesList>& ProcessList() {
    static std::unique_ptr<TOstrelModulesList>* list = new std::unique_ptr<TOstrelModulesList>;
    return *list;
}

}  // namespace

TOstrelModulesList* OstrelModulesList() { return ProcessList().get(); }
void CreateOstrelModulesList() { ProcessList() = std::make_unique<TOstrelModulesList>(); }
void DestroyOstrelModulesList() { ProcessList().reset(); }

TOstrelDebugInfo GetAddressInfo(std::uintptr_t address) {
    if (TOstrelModulesList* list = OstrelModulesList()) return list->GetAddressInfo(address);
    TOstrelDebugInfo info;
    info.Address = address;
    return info;
}

std::uintptr_t FindProcedureAddress(std::string_view name) {
    TOstrelModulesList* list = OstrelModulesList();
    return list ? list->FindProcedureAddress(name) : 0;
}

}  // namespace menvaro
