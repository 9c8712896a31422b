// EHook: how the logger stands between the program and the run-time's
// raise and thread entries. Each hookable entry is a function-pointer slot
// of platform/rtl; a hook record puts the logger's replacement into a slot,
// remembers what was there and puts it back on undo. No machine code is
// rewritten.
//
// The raise replacement records every throw: the object, its type, the
// throw site's registers and a bounded copy of the stack, in a fixed table
// keyed by the thrown object (no allocation: it is on the road of
// std::bad_alloc). The record of an exception stays where the catch points
// that report it (the application's exception handler, the thread wrapper,
// terminate) can find it, also for an exception raised again with
// std::rethrow_exception, which is the same object.
//
// The thread-creation replacement starts every thread through a wrapper that
// lists it with its creator's stack, runs std::thread's state inside its own
// try/catch (an exception escaping a thread is reported and the thread ends
// while the process goes on) and lets a forced unwind (cancellation,
// pthread_exit) pass; the thread's entry leaves the list on every way out.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <mutex>
#include <type_traits>
#include <vector>

#include "ExceptionLog.h"
#include "base/Exceptions.h"
#include "rtl/ThreadHook.h"
#include "rtl/ThrowHook.h"

namespace menvaro {

// ------------------------------------------------------------ errors

MENVARO_EXCEPTION(EHookError, Exception)
// "Cannot hook a null procedure ("%s")."
class EProcNull : public EHookError {
public:
    explicit EProcNull(std::string_view name);
};
// "Cannot hook the procedure "%s"."
class EHookingError : public EHookError {
public:
    explicit EHookingError(std::string_view name);
};
// "Cannot hook the module "%s" located into the shared-area." Kept for
// the family; no module here lies in a shared area.
class ESharedArea : public EHookError {
public:
    explicit ESharedArea(std::string_view name);
};

// ------------------------------------------------------------ patching

// One hooked slot: what it held before, and how to put either back.
class THookRecord {
public:
    const std::string& Name() const { return name_; }
    // What the slot held before the hook: the call-through entry.
    void* Previous() const { return previous_; }
    bool Patched() const { return patched_; }

private:
    friend class THookList;
    std::string name_;
    void* previous_ = nullptr;
    bool patched_ = false;
    std::function<void(void*)> write_;
    void* replacement_ = nullptr;
};

// The hook records of the process, undone together at shut-down.
class THookList {
public:
    // Puts `replacement` into the slot. EProcNull for a null replacement;
    // EHookingError when the slot holds a hook of this list already.
    template <class F>
    THookRecord* HookProcedure(std::atomic<F>& slot, F replacement, std::string_view name) {
        static_assert(std::is_pointer_v<F>);
        if (!replacement) throw EProcNull(name);
        return Add(
            name, reinterpret_cast<void*>(slot.load()), reinterpret_cast<void*>(replacement),
            [&slot](void* v) { slot.store(reinterpret_cast<F>(v), std::memory_order_release); });
    }
    // Puts back what the slot held and forgets the record.
    void UnhookProcedure(THookRecord* record);
    // Writes the replacement again (after something put the old value back).
    void RehookProcedure(THookRecord* record);
    // Every record undone, the last hooked first.
    void UnhookAll();
    int Count() const;

private:
    THookRecord* Add(std::string_view name, void* previous, void* replacement, std::function<void(void*)> write);
    mutable std::mutex lock_;
    std::vector<std::unique_ptr<THookRecord>> records_;
};

THookList& OstrelHooks();

// ------------------------------------------------------------ throws

// The most a throw record copies of the stack.
inline constexpr std::size_t kThrowStackLimit = std::size_t{64} << 10;
// Records kept at once; the oldest is reused.
inline constexpr int kThrowRecordCount = 16;

// What was recorded where an exception was thrown.
struct TThrowInfo {
    std::uintptr_t Address = 0;  // the return point of the call that threw
    std::uint64_t ThreadId = 0;
    TOstrelRegisters Registers;
    TStackSnapshot Stack;  // from the throw site's stack pointer up
};

// The raise replacement (the observer of ThrowObserverSlot).
void HookedRaise(void* object, const std::type_info* type, const TMachineRegisters& registers);
// The record of the exception's object, when one is kept and of its type.
bool FindThrowRecord(const std::exception_ptr& exception, TThrowInfo& info);
// Forgets every record (for tests and shut-down).
void ClearThrowRecords();

// ------------------------------------------------------------ threads

// The thread-creation replacement (the hook of ThreadCreateSlot).
int HookedCreateThread(pthread_t* thread, const pthread_attr_t* attributes, TThreadStart start, void* argument,
                       TRealThreadCreate real);
// Called inside the wrapper's catch block when an exception escapes a
// thread: reports it. Set by the logger's installation; none: swallowed.
extern std::atomic<void (*)()> ThreadExceptionSlot;
// With true, the next thread the calling thread creates is the logger's
// report thread: its creation stack is not appended to a report. False
// takes a mark back that no thread creation used.
void MarkNextThreadAsReportThread(bool mark);

// Hooks raise and thread creation (finding std::thread's start routine
// first); UnhookThreadsAndRaise undoes both.
void HookThreadsAndRaise();
void UnhookThreadsAndRaise();

}  // namespace menvaro
