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
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "EDebugData.h"
#include "ETypes.h"
#include "classes/Messages.h"
#include "rtl/Modules.h"

namespace menvaro {

// ========================================================== core helpers

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
// none or it is damaged (the last warning says how).
bool ReadExceptionBlock(std::uintptr_t module, TExceptionBlock& block);
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

// The report in progress (none: nullptr); its thread is the faulting one.
void SetReportInProgress(const TOstrelExceptionRecord* record);
// Runs `procedure` where the report's user code must run: a caller other
// than the faulting thread hands it to that thread (one at a time) and
// waits until it has run; otherwise it runs here. What it raises is
// swallowed. Afterwards the report's exception is published again, so a
// handler's change of the message reaches the other modules.
void RunInReportContext(const std::function<void()>& procedure);
// The faulting thread, while a report is in progress: runs the call handed
// over, if any; true when one ran.
bool RunQueuedCall();

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
    bool HasDebugData() const { return !DebugData.empty(); }

    TLoadedModule Image;      // its segments as loaded; Image.Path is its file
    std::string Description;  // none here: an ELF file has no version block
    std::string Version;
    std::uint32_t FileSize = 0;
    TOstrelFunctionsList Functions;
    std::uint8_t ModuleKind = mkUnknown;
    std::uint16_t DebugVersion = 454;
    double BuildDate = 0;
    TOwned<TOstrelModuleOptions> Options;
    std::string DebugData;
    TUnitIndex UnitIndex;  // the units of DebugData by code range
    std::atomic<bool> Unloaded{false};
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

}  // namespace menvaro

// The mail: SMTP, the mail client, mailto, attachments, send events and the
// screenshot.
#include "ExceptionLogMail.h"
