#include "EHook.h"

#include <cxxabi.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "base/ScopeGuard.h"
#include "rtl/FatalSignals.h"
#include "rtl/Memory.h"
#include "rtl/Stack.h"

namespace menvaro {

// ------------------------------------------------------------ errors

EProcNull::EProcNull(std::string_view name)
    : EHookError("Cannot hook a null procedure (\"" + std::string(name) + "\").") {}
EHookingError::EHookingError(std::string_view name)
    : EHookError("Cannot hook the procedure \"" + std::string(name) + "\".") {}
ESharedArea::ESharedArea(std::string_view name)
    : EHookError("Cannot hook the module \"" + std::string(name) + "\" located into the shared-area.") {}

// ------------------------------------------------------------ patching

THookRecord* THookList::Add(std::string_view name, void* previous, void* replacement,
                            std::function<void(void*)> write) {
    const std::lock_guard<std::mutex> guard(lock_);
    for (const auto& r : records_)
        if (r->patched_ && r->replacement_ == previous) throw EHookingError(name);
    auto record = std::make_unique<THookRecord>();
    record->name_ = std::string(name);
    record->previous_ = previous;
    record->replacement_ = replacement;
    record->write_ = std::move(write);
    record->write_(replacement);
    record->patched_ = true;
    records_.push_back(std::move(record));
    return records_.back().get();
}

void THookList::UnhookProcedure(THookRecord* record) {
    const std::lock_guard<std::mutex> guard(lock_);
    auto it = std::find_if(records_.begin(), records_.end(), [&](const auto& r) { return r.get() == record; });
    if (it == records_.end()) return;
    (*it)->write_((*it)->previous_);
    records_.erase(it);
}

void THookList::RehookProcedure(THookRecord* record) {
    const std::lock_guard<std::mutex> guard(lock_);
    for (const auto& r : records_) {
        if (r.get() != record) continue;
        r->write_(r->replacement_);
        r->patched_ = true;
    }
}

void THookList::UnhookAll() {
    const std::lock_guard<std::mutex> guard(lock_);
    while (!records_.empty()) {
        records_.back()->write_(records_.back()->previous_);
        records_.pop_back();
    }
}

int THookList::Count() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(records_.size());
}

THookList& OstrelHooks() {
    static THookList* hooks = new THookList;
    return *hooks;
}

// ------------------------------------------------------------ throws

namespace {

// The base of the calling thread's stack, asked once a thread.
std::uintptr_t ThreadStackBase() {
    constinit thread_local std::uintptr_t base = 0;
    if (base == 0) base = CurrentThreadStack().High;
    return base;
}

struct TRawThrow {
    void* object;
    const std::type_info* type;
    TMachineRegisters registers;
    std::uint64_t threadId;
    std::uint64_t sequence;  // 0: free
    bool writing;
    std::uintptr_t stackStart;
    std::size_t stackSize;
    unsigned char stack[kThrowStackLimit];
};

// Initialised at compile time: a throw before any constructor has run
// finds the table ready.
constinit std::mutex throwLock;
constinit TRawThrow throws[kThrowRecordCount] = {};
constinit std::uint64_t throwSequence = 0;

// The calling thread's own stack from `from` (at or above its stack
// pointer) up: always mapped, so read directly rather than through the
// kernel's probe, word by word and unseen by the sanitizers, whose marks
// on the live stack are not this copy's business.
__attribute__((no_sanitize_address, no_sanitize_thread, noinline)) void CopyOwnStack(std::uintptr_t from,
                                                                                      unsigned char* to,
                                                                                      std::size_t size) {
    const volatile std::uint64_t* word = reinterpret_cast<const volatile std::uint64_t*>(from);
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        const std::uint64_t v = *word++;
        std::memcpy(to + i, &v, 8);
    }
}

std::uint64_t ThisThreadId() {
    constinit thread_local std::uint64_t id = 0;
    if (id == 0) id = CurrentThreadId();
    return id;
}


}  // namespace

void HookedRaise(void* object, const std::type_info* type, const TMachineRegisters& registers) {
    const std::uintptr_t base = ThreadStackBase();
    const std::uintptr_t from = registers.Rsp;
    const std::size_t size = base > from ? std::min<std::size_t>(base - from, kThrowStackLimit) : 0;
    TRawThrow* slot = nullptr;
    {
        const std::lock_guard<std::mutex> guard(throwLock);
        // The object's own record again, else a free one, else the oldest.
        for (TRawThrow& t : throws)
            if (!t.writing && t.sequence != 0 && t.object == object) slot = &t;
        for (TRawThrow& t : throws)
            if (!slot && !t.writing && t.sequence == 0) slot = &t;
        for (TRawThrow& t : throws)
            if (!t.writing && (!slot || t.sequence < slot->sequence)) slot = &t;
        if (!slot) return;  // every record is being written
        slot->writing = true;
        slot->sequence = 0;
    }
    slot->object = object;
    slot->type = type;
    slot->registers = registers;
    slot->threadId = ThisThreadId();
    slot->stackStart = from;
    // Whole slots only; the stack pointer of a call is 8-aligned.
    slot->stackSize = size - size % 8;
    CopyOwnStack(from, slot->stack, slot->stackSize);
    const std::lock_guard<std::mutex> guard(throwLock);
    slot->writing = false;
    slot->sequence = ++throwSequence;
}

bool FindThrowRecord(const std::exception_ptr& exception, TThrowInfo& info) {
    void* object = ExceptionObjectAddress(exception);
    if (!object) return false;
    const std::type_info* type = exception.__cxa_exception_type();
    const std::lock_guard<std::mutex> guard(throwLock);
    for (const TRawThrow& t : throws) {
        if (t.writing || t.sequence == 0 || t.object != object) continue;
        if (!type || !t.type || *type != *t.type) continue;
        info.Address = t.registers.Rip;
        info.ThreadId = t.threadId;
        info.Registers = RegistersOf(t.registers);
        info.Stack.Start = t.stackStart;
        info.Stack.Bytes.assign(reinterpret_cast<const char*>(t.stack), t.stackSize);
        return true;
    }
    return false;
}

void ClearThrowRecords() {
    const std::lock_guard<std::mutex> guard(throwLock);
    for (TRawThrow& t : throws)
        if (!t.writing) t.sequence = 0;
}

// ------------------------------------------------------------ threads

constinit std::atomic<void (*)()> ThreadExceptionSlot{nullptr};

namespace {

constinit thread_local bool nextIsReportThread = false;
constinit std::atomic<TThreadStart> stdThreadStart{nullptr};

// The most of the creator's stack a thread's entry keeps.
constexpr std::size_t kCreationStackLimit = std::size_t{64} << 10;

struct TThreadStartBlock {
    TThreadStart start = nullptr;
    void* argument = nullptr;
    bool reportThread = false;
    TStackSnapshot creation;
};

// The wrapper every thread starts in.
void* HookedThreadProc(void* parameter) {
    std::unique_ptr<TThreadStartBlock> block(static_cast<TThreadStartBlock*>(parameter));
    ThreadStackBase();
    // A fault in the thread is handled on a stack of its own, switched off
    // before the thread ends.
    const bool alternate = FatalSignalHandlersInstalled();
    if (alternate) EnsureAlternateSignalStack();
    const ScopeGuard alternateOff([alternate] {
        if (alternate) ReleaseAlternateSignalStack();
    });
    TOstrelThreadsList& threads = OstrelThreadsList();
    {
        TOstrelThreadInfo info;
        info.ThreadId = CurrentThreadId();
        info.ThreadHandle = static_cast<std::uintptr_t>(pthread_self());
        info.StartAddress = reinterpret_cast<std::uintptr_t>(block->start);
        info.Parameter = reinterpret_cast<std::uintptr_t>(block->argument);
        info.CreationStack = std::move(block->creation);
        info.ReportThread = block->reportThread;
        const auto locked = threads.Locked();
        threads.Add(std::move(info));
    }
    // Out of the list on every way out, a forced unwind included.
    const ScopeGuard listed([&threads] { threads.DeleteCurrentThread(); });
    const TThreadStart start = block->start;
    void* const argument = block->argument;
    block.reset();
    try {
        if (start == stdThreadStart.load(std::memory_order_acquire)) {
            RunStdThreadState(argument);
            return nullptr;
        }
        return start(argument);
    } catch (...) {
        // A forced unwind has no type: it passes.
        if (!abi::__cxa_current_exception_type()) throw;
        if (auto report = ThreadExceptionSlot.load(std::memory_order_acquire)) report();
    }
    return nullptr;
}

}  // namespace

void MarkNextThreadAsReportThread(bool mark) { nextIsReportThread = mark; }

int HookedCreateThread(pthread_t* thread, const pthread_attr_t* attributes, TThreadStart start, void* argument,
                       TRealThreadCreate real) {
    const bool reportThread = nextIsReportThread;
    nextIsReportThread = false;
    std::unique_ptr<TThreadStartBlock> block;
    try {
        block = std::make_unique<TThreadStartBlock>();
        block->creation = TakeCurrentStackSnapshot(kCreationStackLimit);
    } catch (...) {
        // No memory for the wrapper: the thread starts as asked.
        return real(thread, attributes, start, argument);
    }
    block->start = start;
    block->argument = argument;
    block->reportThread = reportThread;
    const int result = real(thread, attributes, HookedThreadProc, block.get());
    if (result == 0) block.release();
    return result;
}

void HookThreadsAndRaise() {
    stdThreadStart.store(StdThreadStartRoutine(), std::memory_order_release);
    ThreadStackBase();
    THookList& hooks = OstrelHooks();
    hooks.HookProcedure(ThrowObserverSlot, &HookedRaise, "__cxa_throw");
    hooks.HookProcedure(ThreadCreateSlot, &HookedCreateThread, "pthread_create");
}

void UnhookThreadsAndRaise() { OstrelHooks().UnhookAll(); }

}  // namespace menvaro
