// ExceptionLog: the logger itself. The module grows by parts, each in a
// section of this header and its own source file (ExceptionLog<Part>.cpp):
// the core helpers below (ExceptionLog.cpp) come first; debug information,
// call stack, report text, crash log, pipeline, dialogs and mail follow as
// sections of their own.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "EDebugData.h"
#include "ETypes.h"
#include "base/DateTime.h"
#include "base/FileLock.h"
#include "classes/Messages.h"
#include "rtl/FatalSignals.h"
#include "rtl/Modules.h"

namespace menvaro {

// ========================================================== core helpers

// ---- text without allocation

// A fixed buffer written without allocating; what does not fit is cut.
class TFixedText {
public:
    TFixedText(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {}
    void Add(std::string_view s);
    void Add(char c, std::size_t count = 1);
    // Each character below 32 as a blank.
    void AddBlanked(std::string_view s);
    // Upper-case hexadecimal, at least `digits` digits.
    void Hex(std::uint64_t v, int digits);
    void Decimal(std::int64_t v);
    std::size_t Size() const { return size_; }
    std::string_view View() const { return {buffer_, size_}; }
    void Clear() { size_ = 0; }

private:
    char* buffer_;
    std::size_t capacity_;
    std::size_t size_ = 0;
};

// ---- the process as it started

// The program's own file, its parameters (argv[1] ...) and the current
// folder (ending in "/"), as they were when the logger was loaded.
const std::string& ProgramPath();
const std::vector<std::string>& CommandLineParameters();
const std::string& StartupFolder();
// The system's id of the calling thread.
std::uint64_t CurrentThreadId();

// ---- modules
//
// A module (the program or a shared library) is known by its handle, the
// address of its lowest loaded segment.

std::uintptr_t LoggerModuleHandle();
// The module loaded from `fileName` (a full name, or the file name alone);
// 0 when none is.
std::uintptr_t ModuleHandleOf(std::string_view fileName);
// The full file name of a module; "" for a handle of no module.
std::string ModuleFileName(std::uintptr_t module);
// The low 32 bits of a file's size; 0 when it is missing or no file.
std::uint32_t FileSizeOf(const std::string& path);
// An offset of the debug data is counted from the module's code start.
inline std::uintptr_t CodeAddress(std::uintptr_t module, std::uintptr_t offset) { return module + offset + 0x1000; }
// True when the class library's root class lives in another module than
// the logger (the libraries are shared rather than linked in).
bool UsesRuntimePackages();
// The highest address of the calling thread's stack.
std::uintptr_t StackBase();

// ---- debugger

// A tracer is named in /proc/self/status.
bool IsDebuggerAttached();
// The debugger's output: a line on standard error while a debugger is
// attached, nothing otherwise.
void DebuggerOutput(std::string_view line);

// ---- shared blocks
//
// Every module of the process publishes its options ("MODULE": flag byte,
// then the options stream) and its last exception ("EXCEPT": flag byte,
// then class name and message as stored strings) in named blocks that the
// other modules read. The blocks live in the process (every module shares
// it here); a block's name is the process id as 8 and the module handle as
// 16 upper-case hexadecimal digits and the block's own name. A block holds
// its total size (int32, the payload's size + 4), then the payload; it
// exists while a handle to it is open.

std::string SharedBlockName(std::uint32_t processId, std::uintptr_t module, std::string_view name);

// One open handle to a block; closed when released or destroyed.
class TSharedBlock {
public:
    TSharedBlock() = default;
    ~TSharedBlock() { Release(); }
    TSharedBlock(TSharedBlock&& other) noexcept = default;
    TSharedBlock& operator=(TSharedBlock&& other) noexcept;
    TSharedBlock(const TSharedBlock&) = delete;
    TSharedBlock& operator=(const TSharedBlock&) = delete;

    explicit operator bool() const { return block_ != nullptr; }
    std::size_t PayloadSize() const;
    // A copy of the payload, or of the whole block with its size field.
    std::string Payload() const;
    std::string Bytes() const;
    // Writes into the payload; false (and nothing written) when the bytes
    // do not fit behind `offset`.
    bool Write(std::size_t offset, std::string_view bytes);
    void Release();

    struct TBlock;

private:
    friend TSharedBlock CreateSharedBlock(std::uintptr_t, std::string_view, std::size_t);
    explicit TSharedBlock(std::shared_ptr<TBlock> block) : block_(std::move(block)) {}
    std::shared_ptr<TBlock> block_;
};

// Creates the block of `module` named `name` with a payload of `size`
// bytes, or opens it when it exists (with the size it has). A block that
// does not exist is not made for size 0 (open only): the handle is empty.
TSharedBlock CreateSharedBlock(std::uintptr_t module, std::string_view name, std::size_t size);
inline void ReleaseSharedBlock(TSharedBlock& block) { block.Release(); }

// What an "EXCEPT" block says.
struct TExceptionBlock {
    bool Flag = false;
    std::string ClassName;
    std::string Message;
};
// Publishes an exception in this module's "EXCEPT" block, anew: flag 1,
// class name, message. A null exception is "Unknown exception type."; one
// not of the standard exception family has "Unknown error message.".
bool PublishExceptionBlock(std::exception_ptr exception);
bool PublishExceptionBlock(std::string_view className, std::string_view message);
// Reads a module's "EXCEPT" block without making one; false when there is
// none or it is damaged (the last warning says how). With `take`, a set
// flag is cleared once the exception is read.
bool ReadExceptionBlock(std::uintptr_t module, TExceptionBlock& block, bool take = false);
// This module's own two blocks, made anew at start-up with the one byte 0
// (nothing published yet); publishing replaces them. Released at shut-down.
void CreateOwnSharedBlocks();
void ReleaseOwnSharedBlocks();
// Publishes options in this module's "MODULE" block, anew: flag 1, then
// the options stream.
bool PublishModuleBlock(const TOstrelModuleOptions& options);
// When the module's "MODULE" block exists and its flag is set, reads the
// options stored behind it into `options`; false otherwise.
bool ReadModuleBlock(std::uintptr_t module, TOstrelModuleOptions& options);
// The name of an exception's class without its namespaces ("EConvertError").
std::string ExceptionClassName(std::exception_ptr exception);

// ---- last warning

// Records a failure of showing, logging or sending and writes
// "[WARNING] - Code: <code> - Message: "<message>"" to the trace and the
// debugger's output. An SMTP error is also shown in a message box while
// the SMTP progress window is open.
void ReportWarning(TOstrelLogErrorCode code, const std::string& message);
// Inside a catch block: "[<section>] <message>" for an exception of the
// standard family, else "General '<section>' error.".
void ReportWarningFromException(TOstrelLogErrorCode code, std::string_view section);
void ClearWarning();
TOstrelLogErrorCode LastWarningCode();
std::string LastWarningMessage();
// Kept by the SMTP progress window.
void SetSmtpProgressWindowOpen(bool open);

// ---- internal errors

// Inside a catch block: a failure of the logger itself. Writes
// "[ERROR] - Section: <section> - Message: "<message>"" to the debugger's
// output and the trace, and the 32 bytes at `address` when they can be
// read; saves the trace. With the trace on, asks whether to send the trace
// to the logger's authors. Does nothing for EAbort; never raises.
void ReportInternalError(std::string_view section, const void* address = nullptr) noexcept;

// ---- restart

// With `restart`, starts the program again (its own file and parameters,
// in its start-up folder, in a new process group); in every case this
// process then ends at once with exit status 1. The logger's own file
// descriptors are all opened close-on-exec, so the new program gets none.
[[noreturn]] void RestartApplication(bool restart);
// Starts `arguments[0]` with its arguments in a new process group, no
// signal blocked and this process's environment; a `folder` that is not
// empty becomes its current folder; `searchPath` looks the program up in
// PATH. 0 (and the child's id in `pid`) or the error number.
int SpawnProcess(const std::vector<std::string>& arguments, const std::string& folder, bool searchPath, int& pid);

// ---- host kind
//
// A console program is one linked with the object library
// menvaro_exception_log_console: decided when the program is linked.
// The kinds that need a web server inside the program's process or their
// own server framework (ISAPI, WinCGI, IntraWeb) do not exist here and are
// always false; CGI is a console program run with REQUEST_METHOD set.

bool IsConsoleApplication();
bool IsCGIApplication();
bool IsWinCGIApplication();
bool IsISAPIApplication();
bool IsIntraWebApplication();
bool IsWebApplication();
bool IsGUIApplication();

// ---- web output

// The HTTP 500 page of a report: the title and the text, escaped for HTML.
std::string WebErrorPage(std::string_view title, std::string_view text);
// Writes the page to the web client: for CGI the header ("Status: 500
// Error", type, length) and the page to standard output. False, with the
// last warning set, when it cannot be written or there is no web client.
bool WriteWebResponse(std::string_view html);

// ---- main window

// The first shown top-level window of the process, front first, that has
// no owner and is not a tool window (unless also an application window);
// 0 when there is none or the process is another.
HWND MainWindowOf(std::uint32_t processId);

// ---- user events and the report context

// What a custom-action and an error event are told.
enum TOstrelAction { atShowingReport, atShownReport, atSavingLog, atSavedLog, atSendingMail, atSentMail };

using TOstrelExceptionNotifyEvent = std::function<void(const TOstrelExceptionRecord&, bool& handle)>;
using TOstrelCustomActionEvent = std::function<void(const TOstrelExceptionRecord&, TOstrelAction, bool& execute)>;
using TOstrelErrorEvent = std::function<void(const TOstrelExceptionRecord&, TOstrelAction, bool& retry)>;

// Each event as a handler of the logger's component and as a plain
// procedure; both run when both are set. Set at start-up only.
struct TOstrelEvents {
    TOstrelExceptionNotifyEvent OnExceptionNotify, ExceptionNotifyProc;
    TOstrelCustomActionEvent OnCustomAction, CustomActionProc;
    TOstrelErrorEvent OnErrorNotify, ErrorNotifyProc;
};
TOstrelEvents& LoggerEvents();
bool ExceptionNotifyAssigned();
bool CustomActionAssigned();
bool ErrorNotifyAssigned();
// Run the events in the report context, each with its own copy of the record.
void CallExceptionNotify(const TOstrelExceptionRecord& record, bool& handle);
void CallCustomAction(const TOstrelExceptionRecord& record, TOstrelAction action, bool& execute);
void CallErrorNotify(const TOstrelExceptionRecord& record, TOstrelAction action, bool& retry);

// The report in progress (none: nullptr). Its queued calls run in the
// faulting thread, or in `contextThread` when given (a faulting thread
// that is stopped cannot run them).
void SetReportInProgress(const TOstrelExceptionRecord* record, std::uint64_t contextThread = 0);
// Runs `procedure` where the report's user code must run: a caller other
// than the faulting thread hands it to that thread (one at a time) and
// waits until it has run; otherwise it runs here. What it raises is
// swallowed. Afterwards the report's exception is published again, so a
// handler's change of the message reaches the other modules.
void RunInReportContext(const std::function<void()>& procedure);
// The faulting thread, while a report is in progress: runs the call handed
// over, if any; true when one ran.
bool RunQueuedCall();

// ======================================================= module options
//
// The options object of every module record. For the options of the
// module that holds the logger (CurrentOstrelLogOptions) a change is put
// to work at once: the options are published in the module's "MODULE"
// block, handed to the first aid of the fatal signals, and the watchdog
// runs exactly while Active and FreezeCheck are on and FreezeTimeout is
// positive (it reads a new FreezeTimeout as it goes). For any other object
// the setters only set the value.
class TOstrelModuleOptionsEx : public TOstrelModuleOptions {
public:
    using TOstrelModuleOptions::TOstrelModuleOptions;

    void SetActive(bool v) override;
    void SetFreezeCheck(bool v) override;

protected:
    void ChangedHook() override;
};

// A broken rule of use, as the logger states it.
MENVARO_EXCEPTION(EAssertionFailed, Exception)

// The options of the module that holds the logger (its record's object):
// a change made through it applies to the next report. Without an active
// logger (no modules list) or without that module's record it raises
// EAssertionFailed "Cannot use 'CurrentOstrelLogOptions' function without
// OstrelLog activate.".
TOstrelModuleOptions& CurrentOstrelLogOptions();

// ===================================================== debug information
//
// An address is turned into module, unit, class, procedure and line. Each
// loaded module has a record with its options and, when it was built with
// the logger's build step (tools/debuginfo), its debug data from the
// "OLDATA" section of its file (or an older trailer appended to the file);
// without debug data its exported functions stand in. Offsets in the debug
// data count from the module's code start, its handle plus 0x1000.

// 0 not determined (made while the list was refreshed), 1 program,
// 2 package (none here), 3 other library.
enum TOstrelModuleKind : std::uint8_t { mkUnknown = 0, mkProgram = 1, mkPackage = 2, mkLibrary = 3 };

// An exported function. A size from the symbol table is exact and the
// function ends before Address + Size; an estimated one counts that byte in.
struct TOstrelFunctionInfo {
    std::string Name;  // demangled, without parameters
    std::uintptr_t Address = 0;
    std::uint32_t Size = 0;
    bool ExactSize = false;

    bool Contains(std::uintptr_t address) const;
    bool WhollyBelow(std::uintptr_t address) const;
};

class TOstrelFunctionsList {
public:
    int Count() const { return static_cast<int>(functions_.size()); }
    bool Empty() const { return functions_.empty(); }
    const TOstrelFunctionInfo& operator[](int i) const { return functions_.at(static_cast<std::size_t>(i)); }
    void Add(TOstrelFunctionInfo f) { functions_.push_back(std::move(f)); }
    void Delete(int i) { functions_.erase(functions_.begin() + i); }
    void Clear() { functions_.clear(); }
    // By address; one entry per address.
    void Sort();
    // The function holding `address`, by bisection of the sorted list; nullptr for none.
    const TOstrelFunctionInfo* FindExportedFunction(std::uintptr_t address) const;

private:
    std::vector<TOstrelFunctionInfo> functions_;
};

// One loaded module. Shared by the list and the call-stack entries that
// point at it: a module unloaded since is marked so, never freed under them.
class TOstrelModuleInfo {
public:
    TOstrelModuleInfo() = default;
    TOstrelModuleInfo(const TOstrelModuleInfo&) = delete;
    TOstrelModuleInfo& operator=(const TOstrelModuleInfo&) = delete;

    std::uintptr_t Handle() const { return Image.Handle; }
    std::uintptr_t CodeStart() const { return Image.Handle + 0x1000; }
    // The debug data is read at the first lookup (start-up keeps only the
    // options and the container's head): this reads it, once.
    bool HasDebugData() const { return LoadDebugDataOnce() && !DebugData.empty(); }
    // True once the debug data has been read (or found unusable).
    bool DebugDataLoaded() const { return debugLoaded_.load(std::memory_order_acquire); }
    // The exports are read at the first lookup that needs them, once; a
    // record made during a refresh has none.
    const TOstrelFunctionsList& Exports() const;

    TLoadedModule Image;      // its segments as loaded; Image.Path is its file
    std::string Description;  // none here: an ELF file has no version block
    std::string Version;
    std::uint32_t FileSize = 0;
    mutable TOstrelFunctionsList Functions;  // filled by Exports()
    std::uint8_t ModuleKind = mkUnknown;
    std::uint16_t DebugVersion = 454;
    double BuildDate = 0;
    TOwned<TOstrelModuleOptions> Options;
    // The container's head, read when the record is made: whether it
    // announces debug data, and where that starts in its payload.
    bool CarriesDebugData = false;
    std::size_t DebugDataAt = 0;
    std::size_t DebugDataSize = 0;  // as the payload announces it; checked when it is read
    mutable std::string DebugData;
    mutable TUnitIndex UnitIndex;  // the units of DebugData by code range
    std::atomic<bool> Unloaded{false};

private:
    // False when it could not be read now (its lock stayed held).
    bool LoadDebugDataOnce() const;
    void LoadDebugData() const;

    mutable std::recursive_mutex debugLock_;
    mutable std::atomic<bool> debugLoaded_{false};
    mutable std::atomic<bool> exportsLoaded_{false};

    friend std::shared_ptr<TOstrelModuleInfo> CreateModuleInfo(const TLoadedModule& loaded, bool complete);
};

// What an address lookup found.
enum TOstrelEntryKind : std::uint8_t {
    ekNoModule = 0,        // no module owns the address
    ekModule = 1,          // the module, nothing else
    ekExport = 2,          // the nearest export, a plain name
    ekDecoratedExport = 3, // the nearest export, split into unit, class and procedure
    ekLineInfo = 4,        // the module's line tables
};

struct TOstrelDebugInfo {
    std::uint8_t EntryKind = ekNoModule;
    std::shared_ptr<const TOstrelModuleInfo> Module;
    std::uintptr_t Address = 0;
    std::string UnitName;
    std::string ClassName;
    std::string ProcedureName;
    std::int32_t Line = 0;  // 0: none
};

// The records of the loaded modules, in handle order.
class TOstrelModulesList {
public:
    // Lists every loaded module, each with its exports and debug data.
    TOstrelModulesList();
    ~TOstrelModulesList();
    TOstrelModulesList(const TOstrelModulesList&) = delete;
    TOstrelModulesList& operator=(const TOstrelModulesList&) = delete;

    int Count() const;
    std::shared_ptr<TOstrelModuleInfo> Get(int i) const;
    // Drops the record from the list (those who hold it keep it).
    void Delete(int i);
    void Clear();
    std::vector<std::shared_ptr<TOstrelModuleInfo>> Modules() const;

    // Adds a record of the module loaded at `handle`; false when no loaded
    // module has that handle or a file name.
    bool AddModule(std::uintptr_t handle);
    // The record of a handle, added (or completed, when it was made during
    // a refresh) as needed; nullptr for no loaded module.
    std::shared_ptr<TOstrelModuleInfo> FindModuleInfo(std::uintptr_t handle);
    // The record of the module whose segments hold `address`.
    std::shared_ptr<TOstrelModuleInfo> FindModuleInfoOfAddress(std::uintptr_t address);
    // Marks and drops the records of modules no longer loaded and adds
    // records (kind 0, to be completed when asked for) of new ones.
    void RefreshModulesList();

    TOstrelDebugInfo GetAddressInfo(std::uintptr_t address);
    // Code start + offset of the symbol `name` of the logger's own module's
    // symbol block; 0 when it has none of that name.
    std::uintptr_t FindProcedureAddress(std::string_view name);

private:
    std::shared_ptr<TOstrelModuleInfo> Find(const TLoadedModule& loaded);
    void Insert(std::shared_ptr<TOstrelModuleInfo> record);

    mutable std::mutex lock_;  // the list itself; held only for its own bookkeeping
    std::vector<std::shared_ptr<TOstrelModuleInfo>> modules_;
    bool refreshing_ = false;
};

// The process-wide list, made by the logger's start-up; nullptr before.
TOstrelModulesList* OstrelModulesList();
void CreateOstrelModulesList();
void DestroyOstrelModulesList();
// Through the process-wide list; kind 0 without one.
TOstrelDebugInfo GetAddressInfo(std::uintptr_t address);
std::uintptr_t FindProcedureAddress(std::string_view name);

// A record of a loaded module: `complete` adds its kind, exports and debug
// data, else it stays kind 0 (as the records a refresh makes).
std::shared_ptr<TOstrelModuleInfo> CreateModuleInfo(const TLoadedModule& loaded, bool complete);

// The module's file has an "OLDATA" section that starts with the magic;
// the older form: the file's last 4 bytes are the magic.
bool IsOstrelLogModule(std::uintptr_t module);
bool IsOstrelLogModule_Old(std::uintptr_t module);
// Fills version, build date, options and debug data of a record from its
// file (section first, trailer second); then, for a module other than the
// logger's, the options its "MODULE" block publishes. False when there is
// no container, the file is not the image that was loaded (its build id
// differs), or the container is damaged (the last warning says how); the
// record then keeps version 454, date 0 and no debug data.
bool LoadDebugInformation(TOstrelModuleInfo& record);
// The defined functions of the file's ".dynsym", at their loaded
// addresses, sorted; false when none was added.
bool LoadExportedFunctions(const TLoadedModule& module, TOstrelFunctionsList& list);
// From the ELF header in memory: 1 program, 3 library, 0 unknown.
std::uint8_t GetModuleKind(std::uintptr_t module);
// The file description and version of a module file: an ELF file has no
// version block, so both are empty.
void GetModuleVersionInfo(const std::string& path, std::string& description, std::string& version);

// Fills unit, class and procedure of an export's name: a C++ name
// ("ns::T::f") is split at its last "::" (kind 3); the decorated and
// dotted names of the original's packages as they were; any other plain
// name is the procedure (kind 2). Names it cannot read leave kind 1.
void ParseExportName(const std::string& name, TOstrelDebugInfo& info);
// A function's length estimated from its code: a "push rbp" start ends
// with "pop rbp" or "leave" before a return, any other at its first return
// byte; 1 when the scan runs past `codeEnd` (the last byte of its code).
std::uint32_t GetFunctionSize(std::uintptr_t start, std::uintptr_t codeEnd);
// The target of an import jump ([endbr64] [bnd] jmp *rel32(%rip), a PLT
// entry) when its code and slot can be read; else the address itself.
std::uintptr_t FollowImportThunk(std::uintptr_t address);

// ============================================================ call stack
//
// A report's call stack is not walked from frame to frame: every 8-byte
// slot of the faulting thread's stack is read, and a value is kept when the
// bytes before it are a call instruction, so that it is a return address.
// The stack is a copy taken where the exception was raised (a handler runs
// on a stack already unwound), read with the code it points into through
// IOstrelMemory, which tests fill with images of their own.

// What the scan reads. A read answers false when any byte of the range
// cannot be read; the buffer is then not to be used.
class IOstrelMemory {
public:
    virtual ~IOstrelMemory() = default;
    virtual bool Read(std::uintptr_t address, void* buffer, std::size_t size) const = 0;
    // False where no code can be (a return address points into code):
    // such a stack value is passed over unread.
    virtual bool IsCode(std::uintptr_t /*address*/) const { return true; }
};

// This process's memory through the probe: whatever is readable.
class TProcessMemory final : public IOstrelMemory {
public:
    bool Read(std::uintptr_t address, void* buffer, std::size_t size) const override;
};

// The readable segments of the modules loaded when it was made, through
// the probe: code, import slots and constants. Everything else (stacks, the
// heap) reads as unreadable, so that a stack value pointing there costs no
// read at all. Each block of a segment is read once and kept, as a scan
// reads the same code again and again: an object serves one scan, in one
// thread.
class TModulesMemory final : public IOstrelMemory {
public:
    TModulesMemory();
    bool Read(std::uintptr_t address, void* buffer, std::size_t size) const override;
    // In an executable segment.
    bool IsCode(std::uintptr_t address) const override;

private:
    using TRanges = std::vector<std::pair<std::uintptr_t, std::uintptr_t>>;  // [start, end), by start
    static constexpr std::uintptr_t kBlockSize = std::uintptr_t{16} << 10;
    struct TBlock {
        std::uintptr_t start = 0;
        std::string bytes;  // empty for one that cannot be read
    };
    TRanges ranges_, code_;
    mutable std::map<std::uintptr_t, TBlock> blocks_;
};

// A copy of a stack from `Start` up, with the addresses it had.
struct TStackSnapshot {
    std::uintptr_t Start = 0;
    std::string Bytes;

    std::uintptr_t Top() const { return Start + Bytes.size(); }
    bool Empty() const { return Bytes.empty(); }
};

// The most a snapshot copies: of a deeper stack, its innermost part.
inline constexpr std::size_t kStackSnapshotLimit = std::size_t{512} << 10;

// Copies [from, top) through the probe, at most `limit` bytes from `from`
// up; of a range that cannot all be read, the readable pages from `from`
// on. Empty when `from` itself cannot be read or the range is empty.
TStackSnapshot TakeStackSnapshot(std::uintptr_t from, std::uintptr_t top, std::size_t limit = kStackSnapshotLimit);
// The calling thread's stack from its caller's return address up to the
// stack's base.
TStackSnapshot TakeCurrentStackSnapshot(std::size_t limit = kStackSnapshotLimit);

// A stack copy over other memory: a read inside the copy comes from it, a
// read that touches the copy's range but runs past it fails, and any other
// read goes to `other`. So the live stack is never read.
class TSnapshotMemory final : public IOstrelMemory {
public:
    TSnapshotMemory(const TStackSnapshot& stack, const IOstrelMemory& other) : stack_(stack), other_(other) {}
    bool Read(std::uintptr_t address, void* buffer, std::size_t size) const override;
    // A stack holds no code.
    bool IsCode(std::uintptr_t address) const override;

private:
    const TStackSnapshot& stack_;
    const IOstrelMemory& other_;
};

// FollowImportThunk on the code that `memory` holds.
std::uintptr_t FollowImportThunk(std::uintptr_t address, const IOstrelMemory& memory);

// An address turned into module, unit, class, procedure and line; empty:
// GetAddressInfo of the process-wide modules list.
using TOstrelAddressResolver = std::function<TOstrelDebugInfo(std::uintptr_t)>;

// The entries of a call stack, innermost first; each entry its own copy
// (the module record is shared).
class TOstrelStackList {
public:
    int Count() const { return static_cast<int>(entries_.size()); }
    const TOstrelDebugInfo& operator[](int i) const { return entries_.at(static_cast<std::size_t>(i)); }
    void Add(const TOstrelDebugInfo& info) { entries_.push_back(info); }
    void Delete(int i) { entries_.erase(entries_.begin() + i); }
    void Clear() { entries_.clear(); }
    const std::vector<TOstrelDebugInfo>& Entries() const { return entries_; }

private:
    std::vector<TOstrelDebugInfo> entries_;
};

// The slots of a scan are this wide and this far apart.
inline constexpr std::size_t kStackSlotSize = 8;
// Readability is tested once for a window of this many bytes.
inline constexpr std::size_t kStackScanWindow = 400;

// When `address` is not 0 its entry comes first. Then every slot from
// `first` (rounded up to a slot) that lies wholly below `top` is read, and
// its value v is kept when the bytes before v are one of these calls, tested
// in this order (the entry is at the call's first byte; a REX prefix 40..47
// before FF belongs to the call):
//   E8 rel32            direct: the callee (v + rel32, through an import
//                       thunk) unless it begins with E8, then the call; a
//                       callee that cannot be read adds nothing
//   FF D0..D7           call reg
//   FF 10..13, 16..17   call [reg]
//   FF 50..53, 55..57   call [reg + disp8]
//   FF 90..93, 95..97   call [reg + disp32]
//   FF 14 sib           call [base + index*scale] (sib base not 5)
//   FF 54 sib disp8     call [sib + disp8]
//   FF 94 sib disp32    call [sib + disp32]
//   FF 14 sib disp32    call [index*scale + disp32] (sib base 5)
//   FF 15 disp32        call [rip + disp32], when the 8 bytes at v + disp32
//                       can be read
std::unique_ptr<TOstrelStackList> GetCallStack(std::uintptr_t address, const IOstrelMemory& memory,
                                               std::uintptr_t first, std::uintptr_t top,
                                               const TOstrelAddressResolver& resolve = {});
// The scan of a whole stack copy, the rest of memory read from the loaded
// modules.
std::unique_ptr<TOstrelStackList> GetCallStack(std::uintptr_t address, const TStackSnapshot& stack,
                                               const TOstrelAddressResolver& resolve = {});

// A thread started while the logger watches threads.
struct TOstrelThreadInfo {
    std::uint64_t ThreadId = 0;       // the system's thread id
    std::uintptr_t ThreadHandle = 0;  // its pthread_t
    std::uintptr_t StartAddress = 0;
    std::uintptr_t Parameter = 0;
    TStackSnapshot CreationStack;  // the creating thread's stack when it started the thread
    bool ReportThread = false;     // the logger's own report thread
};

// The threads started while the logger watches threads, with their
// creation stacks. Every operation but DeleteCurrentThread wants the
// caller to hold the list's lock.
class TOstrelThreadsList {
public:
    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }
    [[nodiscard]] std::unique_lock<std::mutex> Locked() { return std::unique_lock<std::mutex>(lock_); }

    int Count() const { return static_cast<int>(threads_.size()); }
    int Add(TOstrelThreadInfo info);
    // -1 when absent.
    int FindThreadId(std::uint64_t threadId) const;
    int FindThreadHandle(std::uintptr_t handle) const;
    TOstrelThreadInfo& Get(int i) { return threads_.at(static_cast<std::size_t>(i)); }
    void Delete(int i);
    // The calling thread's entry, under the lock.
    void DeleteCurrentThread();
    void Clear();

private:
    std::mutex lock_;
    std::vector<TOstrelThreadInfo> threads_;
};

TOstrelThreadsList& OstrelThreadsList();

// After the scan: when the thread is listed with a creation stack and is
// not the report thread, the scan of that stack is appended. The copy is
// taken under the list's lock and scanned after it.
void AppendCreationStack(TOstrelStackList& stack, std::uint64_t threadId, TOstrelThreadsList& threads,
                         const TOstrelAddressResolver& resolve = {});
// Entries 0 and 1 of one address: entry 0 goes. Otherwise, when the
// reported address was moved back from a return point to its call, entry 0
// goes when a later entry has its address.
void RemoveDuplicateTop(TOstrelStackList& stack, bool addressFromReturnPoint);
// The length of the call instruction that ends at `returnPoint` (5 for a
// direct call, 6 for one through the global offset table, ...); 0 when the
// bytes before it are no call.
std::size_t CallLengthBefore(const IOstrelMemory& memory, std::uintptr_t returnPoint);

// =========================================================== report text
//
// Every reported exception becomes one plain-text report: a header of
// numbered, aligned items, the call-stack and modules tables and the CPU
// section. The log reader splits reports at the header line and finds items
// by their numbers, so the layout is a file format: every line ends in
// CR LF. The captions are the options' texts.

// The registers of x86-64 as the CPU section shows them.
struct TOstrelRegisters {
    std::uint64_t Rax = 0, Rbx = 0, Rcx = 0, Rdx = 0, Rsi = 0, Rdi = 0, Rbp = 0, Rsp = 0;
    std::uint64_t R8 = 0, R9 = 0, R10 = 0, R11 = 0, R12 = 0, R13 = 0, R14 = 0, R15 = 0;
    std::uint64_t Rip = 0, EFlags = 0;
};
// The registers a hook or a signal handler copied, as a report shows them.
inline TOstrelRegisters RegistersOf(const TMachineRegisters& m) {
    TOstrelRegisters r;
    r.Rax = m.Rax, r.Rbx = m.Rbx, r.Rcx = m.Rcx, r.Rdx = m.Rdx, r.Rsi = m.Rsi, r.Rdi = m.Rdi;
    r.Rbp = m.Rbp, r.Rsp = m.Rsp, r.R8 = m.R8, r.R9 = m.R9, r.R10 = m.R10, r.R11 = m.R11;
    r.R12 = m.R12, r.R13 = m.R13, r.R14 = m.R14, r.R15 = m.R15, r.Rip = m.Rip, r.EFlags = m.EFlags;
    return r;
}

// What a report says of the machine, the program and the clock, asked each
// time a report is made.
class IOstrelSystemValues {
public:
    virtual ~IOstrelSystemValues() = default;
    virtual TDateTime Now() const = 0;
    // The offset of the local time from UTC at `local`, in minutes east.
    virtual int UtcOffsetMinutes(TDateTime local) const = 0;
    virtual TDateTime StartDate() const = 0;
    virtual std::vector<std::string> Parameters() const = 0;
    virtual bool IsGUI() const = 0;
    // The foreground window's class and text; empty when there is none.
    virtual std::string ForegroundWindowClass() const = 0;
    virtual std::string ForegroundWindowText() const = 0;
    virtual std::string ComputerName() const = 0;
    virtual std::string UserName() const = 0;
    // In bytes; false when the system does not tell.
    virtual bool Memory(std::uint64_t& total, std::uint64_t& available) const = 0;
    // The file system that holds the logger's module file: its size and
    // what is free to the caller.
    virtual bool Disk(std::uint64_t& total, std::uint64_t& available) const = 0;
    virtual std::string SystemName() const = 0;
    virtual std::string SystemBuild() const = 0;
    virtual std::string SystemUpdate() const = 0;
    virtual std::string Language() const = 0;
};

// Linux's: host and user names, the system and the language are taken when
// the logger is loaded, so a report never waits on a name service; the
// start date is that moment too; memory (/proc/meminfo) and disk (statvfs)
// are asked each time; the system is /etc/os-release's name, the kernel's
// release as its build and the kernel's version as its update; the
// language that of LC_ALL, LC_MESSAGES or LANG.
const IOstrelSystemValues& LinuxSystemValues();

// A date-time as the report and the report mail show it:
// "Tue, 5 Mar 2024 09:07:03 +0800", the zone being the real offset at that
// moment (daylight saving and half hours included).
std::string DateText(TDateTime local, int utcOffsetMinutes);

// The focused control of the calling thread and its text (at most 255
// bytes); the text is one "*" a character when the control is a password
// edit (an edit with a password character, or any window with the password
// style), whatever its class.
struct TFocusedControl {
    std::string ClassName;
    std::string Text;
};
TFocusedControl GetFocusedControl();

// One exception on its way into a report.
struct TOstrelReportContext {
    std::exception_ptr ExceptionObject;
    std::uintptr_t ExceptionAddress = 0;
    TDateTime ExceptionDate = 0;
    // Of an exception published by another module; empty: none.
    std::string ClassNameOverride;
    std::string MessageOverride;
    // The exception was raised in another module than the logger's (the
    // one that holds ExceptionAddress), which may have published it.
    bool FromOtherModule = false;
    std::optional<TOstrelRegisters> Registers;
    // Where the dump's stack column starts.
    std::uintptr_t StackPointer = 0;
    std::string FocusedControlClass;
    std::string FocusedControlText;

    // The current options (texts, ReportItems); nullptr: the defaults.
    const TOstrelModuleOptions* Options = nullptr;
    const TOstrelStackList* Stack = nullptr;
    // The modules in handle order; the program is the one of kind program.
    std::vector<std::shared_ptr<const TOstrelModuleInfo>> Modules;
    // Where the dump reads (the stack copy over the modules); nullptr: this
    // process's memory.
    const IOstrelMemory* Memory = nullptr;
    // nullptr: Linux's.
    const IOstrelSystemValues* System = nullptr;

    // Filled by the report: the tables, the values of items 2.3, 2.2, 2.4
    // and 2.5 (for the dialog and the duplicate test), the message of item
    // 2.5 before its control characters are blanked (the exception dialog
    // shows it) and the text that leads a report written to the console or
    // a web page (text 3 and two CR LF).
    std::string TablesText;
    std::string ModuleName;
    std::string AddressText;
    std::string TypeText;
    std::string MessageText;
    std::string MessageAsRaised;
    std::string DialogMessage;
};

// The item-section builder of the header.
class TLogItem {
public:
    TLogItem() { Clear(); }
    void Clear();
    void AddSection(std::string_view title);
    // The number counts also when the item is not shown.
    void AddItem(std::string_view caption, std::string_view value, bool shown);
    // Drops the sections without items, aligns each section's ": " and
    // makes its dash line as long as its longest item line.
    std::string Finish() const;

private:
    std::string text_;
    std::int32_t section_ = 0;
    std::int32_t item_ = 0;
};

// Every character below 32 as a blank.
std::string BlankControlCharacters(std::string_view s);

// The parts of a report; each also fills the context's outputs.
std::string BuildReportHeader(TOstrelReportContext& context);
std::string BuildCpuText(const TOstrelReportContext& context);
// The CPU section into a fixed buffer (the first aid writes it in a signal
// handler): the registers ("????" without them), then 16 stack slots from
// `stackPointer` beside the 256 bytes at `address`, as `memory` reads them.
void WriteCpuText(TFixedText& text, const TOstrelRegisters* registers, std::uintptr_t stackPointer,
                  std::uintptr_t address, const IOstrelMemory& memory, std::string_view registersCaption,
                  std::string_view stackCaption, std::string_view memoryCaption);
// The application section of a report (items 1.1 to 1.4) on its own.
std::string BuildApplicationSection(const TOstrelModuleOptions& options);
std::string BuildCallStackTable(const TOstrelModuleOptions& options, const TOstrelStackList& stack);
std::string BuildModulesTable(const TOstrelModuleOptions& options,
                              const std::vector<std::shared_ptr<const TOstrelModuleInfo>>& modules);
// Header, CR LF, tables, CR LF CR LF, CPU text; kept as the last report.
std::string BuildReport(TOstrelReportContext& context);
// Of an exception published by another module: header, CR LF, the
// context's tables as they are, CR LF CR LF and the last report's CPU text.
std::string BuildNestedReport(TOstrelReportContext& context);
// For a context from another module: when that module's "EXCEPT" block is
// there with its flag set, its class name and message become the context's
// overrides, the report is built anew (BuildNestedReport) and the flag is
// cleared. True when that happened.
bool ReadNestedException(TOstrelReportContext& context);

// The last report's texts; MailCopy is the copy to be mailed, which the log
// may replace (with the request added, or the whole log).
struct TOstrelReportTexts {
    std::string Header, Cpu, Report, MailCopy;
};
TOstrelReportTexts LastReportTexts();
void SetReportMailCopy(const std::string& text);

void CopyReportToClipboard(const std::string& text);

// ============================================================= first aid
//
// A fatal signal may stop a thread that holds a lock the full report needs
// (the allocator's, the loader's, one of the logger's). So its handler
// first writes a short report by itself, by async-signal-safe means only
// (no allocation, no lock but the log's own lock file): the application
// and exception sections, the call stack's return addresses with their
// modules, the registers and the stack and memory dump, added to the log as
// the full report would be. The full report replaces it when it is saved;
// a report that is not to be logged (a filter, the user's event) takes it
// away again. The texts it uses are taken from the logger's own options
// beforehand.


// The exception a fatal signal stands for: its type and message. A fault
// names the address it touched; a signal sent by another process names the
// sender. `module` is the file name of the module at the instruction.
void WriteSignalException(const TThreadState& state, std::string_view module, TFixedText& type, TFixedText& message);

// Takes the logger's own options for the first aid: the log file and its
// cap, whether a log is kept, the texts and the application section. Run at
// start-up and whenever those options change.
void PrepareFirstAid(const TOstrelModuleOptions& options);
// The handler's part: writes the short report when the options keep a log.
void FatalSignalFirstAid(const TThreadState& state);

// The short report of the fatal signal being reported and the log it went
// to; empty when none was written. Taken once.
struct TProvisionalReport {
    std::string Text;
    std::string LogFile;
};
TProvisionalReport TakeProvisionalReport();
// Takes one report equal to `report` out of a log (under its lock); false
// when the log could not be changed.
bool RemoveLoggedReport(const std::string& logFile, const std::string& report);

// ============================================================= crash log
//
// The reports of a program, oldest first, in one ".elf" file, capped at
// MaxLogReports. A report starts with "OstrelLog " at the file's start or
// after CR LF and ends at the next four CR LF; what lies between reports is
// dropped. The file is changed under an exclusive lock on a lock file
// beside it (its name + ".lock"), read under that lock and replaced whole
// (a temporary file of mode 0600, synced, renamed over it): a crash or a
// full disk while saving keeps the reports logged before, and two programs
// saving at once keep each other's.

inline constexpr const char* kLogReportStart = "OstrelLog ";
inline constexpr const char* kLogReportEnd = "\r\n\r\n\r\n\r\n";

std::string LogLockFileName(const std::string& logFile);
// The file a log's name stands for: a link is followed, so that it stays
// a link and the file it names is the one replaced.
std::string LogTarget(const std::string& fileName);

class TLogFile {
public:
    // Loads the log when it exists. With `forUpdate` it first takes the
    // lock, held until the object goes. Raises EOstrelLogError when the
    // lock cannot be made or had in time, the path is not a regular file,
    // or the file cannot be read.
    TLogFile(const std::string& fileName, bool forUpdate);
    ~TLogFile();
    TLogFile(const TLogFile&) = delete;
    TLogFile& operator=(const TLogFile&) = delete;

    const std::string& FileName() const { return fileName_; }
    const std::vector<std::string>& Reports() const { return reports_; }
    // Splits a log's text: each report through the first three CR LF of
    // its terminator; an unterminated last one is dropped.
    void Load(std::string_view text);
    // Drops the oldest reports until `maximum` - 1 remain (`maximum` at
    // least 1), then appends the report with four CR LF.
    void Add(const std::string& report, int maximum);
    // Takes the first report equal to `report` out; false when none is.
    bool Remove(std::string_view report);
    // True when a logged report matches every key: its line
    // CR LF + "  " + key + " " holds, after its first ": ", the value.
    bool IsDuplicate(const std::vector<std::string>& keys, const std::vector<std::string>& values) const;
    // Every report followed by CR LF.
    std::string Text() const;
    // Replaces the file with Text(); only for a log opened for update.
    void Save();

private:
    std::string fileName_;
    std::unique_ptr<TFileLock> lock_;
    std::vector<std::string> reports_;
};

// The user's request text as the log takes it: line breaks as CR LF, other
// control characters as blanks, at most two empty lines in a row, and a
// line that starts with "OstrelLog " moved one blank in, so that no text can
// end or start a report.
std::string LogRequestText(std::string_view text);

// One save of a report to the log.
struct TOstrelLogSave {
    const TOstrelModuleOptions* Options = nullptr;
    TOstrelExceptionRecord Record;  // what the events are told
    std::string Report;
    // Found in the log already (the duplicate test): not added again.
    bool Duplicate = false;
    std::string RequestText;
    // The copy to be mailed: replaced by the report with the request, or by
    // the whole log when SendWholeLog is on.
    std::string MailCopy;
    // The short report of a fatal signal, in the log `ReplacesIn`: taken
    // out when this report is saved, or when it is not to be logged.
    TProvisionalReport Replaces;
};
// Adds the report (with the request, when the options ask for one and the
// user gave it) to OutputLogFile and saves the log, with the custom-action
// and error events around it; a failure is the last warning (eeLogError,
// section "Log"). Run when SaveLog is on. True when saved.
bool SaveLogFile(TOstrelLogSave& save);

// The duplicate test of the dialog: with DialogFlags bit 0, whether the log
// holds a report of the same address, module, type and message (items 2.2
// to 2.5), `ignoring` (the short report of the same signal) not counted;
// false without the bit, or when the log cannot be read.
bool IsDuplicateException(const TOstrelModuleOptions& options, const TOstrelReportContext& context,
                          std::string_view ignoring = {});

// ============================================================== pipeline
//
// A notified exception becomes a stored report: options of the module that
// raised it, filters, call stack, report text, the user's events, show or
// write, log, clipboard, mail, terminate. The dialog, the screenshot and the
// mail are steps of their own (ExceptionLogSteps.cpp) that later parts of
// the logger fill; until then each records its warning.

// What the notification hands the report: the faulting thread's registers
// and stack copy as they were at the throw, and what the windows showed
// before any window of the logger was (taken in the faulting thread).
struct TOstrelNotifyParams {
    std::optional<TOstrelRegisters> Registers;
    TStackSnapshot Stack;  // from the stack pointer of the throw up
    std::uint64_t ThreadId = 0;
    std::string ControlClass, ControlText;
    std::string WindowClass, WindowText;
    // The faulting thread is stopped (a fatal signal, a freeze): calls the
    // report would queue to it run in the reporting thread instead.
    bool CallsRunHere = false;
    // The short report a fatal signal's handler logged, which this one replaces.
    TProvisionalReport Provisional;
};

// The options of the report being made: the raising module's, copied in.
TOstrelModuleOptions& WorkingOstrelLogOptions();
// Reports built since start-up.
int OstrelReportsCount();

// False when a report was made (or a filter stopped it), true when the
// exception-notify event took the exception. `addressIsReturnPoint`: the
// address is where the throwing call returns to, and is moved back by the
// length of that call.
bool InternalExceptNotify(std::exception_ptr object, std::uintptr_t address, bool addressIsReturnPoint,
                          TOstrelNotifyParams& params);

// The steps later parts fill. Each answers true when it did its work.
bool ShowExceptionDialog(TOstrelReportContext& context);
bool SendReportMail(const TOstrelModuleOptions& options, const std::string& mailCopy, bool withScreenshot);
// Takes the screenshot into `file`; false when there is none.
bool TakeScreenshot(const std::string& file);
// Where a report's temporary files go (its screenshot, the log copy it
// mails): a folder of the process's own, made with mkdtemp (mode 0700) on
// first use in a report, and removed with what is left in it once the
// report has sent or given up its files.
std::string ReportTemporaryFolder();
void RemoveReportTemporaryFolder() noexcept;

// ========================================================== notification
//
// Every exception that reaches a catch point of the platform (the
// application's exception handler, the thread wrapper, terminate) comes
// here, one at a time: a thread that finds another's notification running
// waits for it; an exception raised inside a notification (in the
// notifying thread or the report thread) is not reported. In the main
// thread of a program with windows the report is built by a report thread
// while the main thread repaints its windows and runs the calls the report
// queues for it.

// Inside a catch block: reports the current exception from its throw
// record. False when it was reported (or was nested, or EAbort), true when
// the caller's own handling should go on (the logger is inactive or the
// exception-notify event took it).
bool ExceptionManager(std::exception_ptr exception = std::current_exception());
// The notification itself.
bool ExceptNotify(std::exception_ptr object, std::uintptr_t address, bool addressIsReturnPoint,
                  TOstrelNotifyParams params);
// The application's exception handler as the logger replaces it.
void Hooked_GUIHandleException(TObject* sender, std::exception_ptr error);
// The thread wrapper's report of an exception that escaped a thread.
void HookedThreadException();

// Admission for the roads other than the catch points (fatal signals, the
// freeze watchdog): waits at most `timeoutMs` (-1: no limit) for another
// notification to end; false when it did not get in. A notification held
// by `stoppedThread` (stopped inside it) is not waited for.
bool AdmitNotification(int timeoutMs, std::uint64_t stoppedThread = 0);
void EndNotification();

// The report thread's id while one runs; 0 otherwise.
std::uint64_t ReportThreadId();
// The thread inside a notification; 0 when none.
std::uint64_t NotifyingThreadId();

// Installs the hooks of raise, thread creation, the thread wrapper's report
// and the application's exception handler, and makes the modules list;
// RemoveOstrelLog undoes it all. The automatic start-up calls these.
void InstallOstrelLog();
void RemoveOstrelLog();
bool OstrelLogInstalled();

// ============================================================ activation
//
// The logger starts before the program's own modules (a constructor of
// high priority in the object library menvaro_exception_log_startup, which a
// program links to carry the logger) and stops after them (an exit handler
// registered first). A program without its container leaves every handler
// as it was. Started, it reports: exceptions at the catch points, what
// reaches terminate (then the process ends with status 1), the fatal
// signals (then the signal goes on to its previous disposition), and a
// frozen main window when the options ask for the watchdog.

// A fault or fatal signal, as the report names it.
class EExternal : public Exception {
public:
    EExternal(std::string message, std::uintptr_t address);
    std::uintptr_t ExceptionAddress() const { return address_; }

private:
    std::uintptr_t address_;
};
MENVARO_EXCEPTION(EAccessViolation, EExternal)  // SIGSEGV, SIGBUS
MENVARO_EXCEPTION(EDivByZero, EExternal)        // SIGFPE of an integer division
MENVARO_EXCEPTION(EInvalidOp, EExternal)        // any other SIGFPE
MENVARO_EXCEPTION(EPrivilege, EExternal)        // SIGILL
MENVARO_EXCEPTION(EExternalException, EExternal)  // SIGABRT
// The watchdog's report; its message is FreezeMessage.
MENVARO_EXCEPTION(EFrozenApplication, Exception)

void InitializeLogger();
void FinalizeLogger();
bool LoggerActivated();
// The watchdog runs while the logger's own options have Active and
// FreezeCheck on and a FreezeTimeout above 0 (their setters start and stop
// it): it probes the main window every 50 ms through the main thread's
// event loop while it does not answer, and reports after FreezeTimeout
// seconds. Starting does nothing when the options do not ask for it.
void StartFreezeThread();
void StopFreezeThread();
bool FreezeThreadRunning();

}  // namespace menvaro

// The mail: SMTP, the mail client, mailto, attachments, send events and the
// screenshot.
#include "ExceptionLogMail.h"
