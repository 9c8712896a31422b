// The call stack of a report: stack copies, the scan for return addresses,
// the threads with their creation stacks.
#include <algorithm>
#include <cstring>

#include "ExceptionLog.h"
#include "rtl/Memory.h"
#include "rtl/Modules.h"
#include "rtl/Stack.h"

namespace menvaro {

// ---- memory

bool TProcessMemory::Read(std::uintptr_t address, void* buffer, std::size_t size) const {
    return ReadMemory(address, buffer, size);
}

namespace {

using TRange = std::pair<std::uintptr_t, std::uintptr_t>;

// The range of `ranges` that holds [address, address + size) whole.
const TRange* Holding(const std::vector<TRange>& ranges, std::uintptr_t address, std::size_t size) {
    if (address + size < address) return nullptr;
    // The last range that starts at or below the address.
    auto it = std::upper_bound(ranges.begin(), ranges.end(), address,
                               [](std::uintptr_t a, const TRange& r) { return a < r.first; });
    if (it == ranges.begin() || address + size > std::prev(it)->second) return nullptr;
    return &*std::prev(it);
}

}  // namespace

TModulesMemory::TModulesMemory() {
    // Held for the loop: the list kept may be replaced meanwhile.
    const auto modules = CurrentModules();
    for (const TLoadedModule& m : *modules) {
        for (const TModuleSegment& s : m.Segments) {
            if (!s.Readable || s.End <= s.Start) continue;
            ranges_.emplace_back(s.Start, s.End);
            if (s.Executable) code_.emplace_back(s.Start, s.End);
        }
    }
    std::sort(ranges_.begin(), ranges_.end());
    std::sort(code_.begin(), code_.end());
}

bool TModulesMemory::IsCode(std::uintptr_t address) const { return Holding(code_, address, 1) != nullptr; }

bool TModulesMemory::Read(std::uintptr_t address, void* buffer, std::size_t size) const {
    if (size == 0) return true;
    const TRange* range = Holding(ranges_, address, size);
    if (!range) return false;
    auto* to = static_cast<std::uint8_t*>(buffer);
    while (size > 0) {
        // Blocks of the segment, each read once; keyed by their start, as
        // two segments may share an aligned block.
        const std::uintptr_t aligned = address - address % kBlockSize;
        const std::uintptr_t start = std::max(aligned, range->first);
        auto [kept, added] = blocks_.try_emplace(start);
        TBlock& block = kept->second;
        if (added) {
            block.start = start;
            block.bytes.resize(std::min(aligned + kBlockSize, range->second) - block.start);
            if (!ReadMemory(block.start, block.bytes.data(), block.bytes.size())) block.bytes.clear();
        }
        // A block that cannot be read whole leaves each read to itself.
        if (block.bytes.empty()) return ReadMemory(address, to, size);
        const std::size_t n = std::min<std::size_t>(size, block.start + block.bytes.size() - address);
        std::memcpy(to, block.bytes.data() + (address - block.start), n);
        to += n;
        address += n;
        size -= n;
    }
    return true;
}

bool TSnapshotMemory::Read(std::uintptr_t address, void* buffer, std::size_t size) const {
    if (size == 0) return true;
    const std::uintptr_t end = address + size;
    if (end < address) return false;
    if (end <= stack_.Start || address >= stack_.Top() || stack_.Empty()) return other_.Read(address, buffer, size);
    if (address < stack_.Start || end > stack_.Top()) return false;
    std::memcpy(buffer, stack_.Bytes.data() + (address - stack_.Start), size);
    return true;
}

bool TSnapshotMemory::IsCode(std::uintptr_t address) const {
    return (address < stack_.Start || address >= stack_.Top()) && other_.IsCode(address);
}

// ---- stack copies

TStackSnapshot TakeStackSnapshot(std::uintptr_t from, std::uintptr_t top, std::size_t limit) {
    TStackSnapshot s;
    if (top <= from || limit == 0) return s;
    const std::size_t size = static_cast<std::size_t>(std::min<std::uintptr_t>(top - from, limit));
    s.Bytes.resize(size);
    if (!ReadMemory(from, s.Bytes.data(), size)) {
        // The readable pages from `from` on.
        constexpr std::uintptr_t kPage = 4096;
        std::size_t done = 0;
        while (done < size) {
            const std::uintptr_t at = from + done;
            const std::size_t n = static_cast<std::size_t>(std::min<std::uintptr_t>(size - done, kPage - at % kPage));
            if (!ReadMemory(at, s.Bytes.data() + done, n)) break;
            done += n;
        }
        s.Bytes.resize(done);
    }
    if (!s.Bytes.empty()) s.Start = from;
    return s;
}

__attribute__((noinline)) TStackSnapshot TakeCurrentStackSnapshot(std::size_t limit) {
    // A thread's stack stays where it is: asked once a thread.
    thread_local const std::uintptr_t base = CurrentThreadStack().High;
    // From the slot of the return address into the caller.
    const auto from = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) + sizeof(void*);
    return TakeStackSnapshot(from, base, limit);
}

// ---- the scan

namespace {

TOstrelDebugInfo Resolve(const TOstrelAddressResolver& resolve, std::uintptr_t address) {
    return resolve ? resolve(address) : GetAddressInfo(address);
}

bool IsRex(std::uint8_t b) { return b >= 0x40 && b <= 0x47; }
bool InRange(std::uint8_t b, std::uint8_t low, std::uint8_t high) { return b >= low && b <= high; }

// What ends just before a return address.
struct TCallBefore {
    std::uintptr_t start = 0;
    bool direct = false;
    std::uintptr_t target = 0;  // of a direct call
};

bool FindCallBefore(const IOstrelMemory& memory, std::uintptr_t v, TCallBefore& call) {
    constexpr int kLongest = 8;  // REX FF 94 sib disp32
    if (v < kLongest) return false;
    std::uint8_t code[kLongest];
    if (!memory.Read(v - kLongest, code, kLongest)) return false;
    // The byte k bytes before v.
    auto at = [&](int k) { return code[kLongest - k]; };
    // An indirect call whose FF stands k bytes before v.
    auto indirect = [&](int k) {
        call.direct = false;
        call.start = v - static_cast<std::uintptr_t>(k) - (k < kLongest && IsRex(at(k + 1)) ? 1 : 0);
        return true;
    };
    if (at(5) == 0xE8) {
        std::int32_t rel;
        std::memcpy(&rel, code + kLongest - 4, 4);
        call.direct = true;
        call.start = v - 5;
        call.target = v + static_cast<std::uintptr_t>(static_cast<std::intptr_t>(rel));
        return true;
    }
    if (at(2) == 0xFF && InRange(at(1), 0xD0, 0xD7)) return indirect(2);
    if (at(2) == 0xFF && (InRange(at(1), 0x10, 0x13) || InRange(at(1), 0x16, 0x17))) return indirect(2);
    if (at(3) == 0xFF && (InRange(at(2), 0x50, 0x53) || InRange(at(2), 0x55, 0x57))) return indirect(3);
    if (at(6) == 0xFF && (InRange(at(5), 0x90, 0x93) || InRange(at(5), 0x95, 0x97))) return indirect(6);
    if (at(3) == 0xFF && at(2) == 0x14 && (at(1) & 7) != 5) return indirect(3);
    if (at(4) == 0xFF && at(3) == 0x54) return indirect(4);
    if (at(7) == 0xFF && at(6) == 0x94) return indirect(7);
    if (at(7) == 0xFF && at(6) == 0x14 && (at(5) & 7) == 5) return indirect(7);
    if (at(6) == 0xFF && at(5) == 0x15) {
        // RIP-relative: from the next instruction, which is v.
        std::int32_t disp;
        std::memcpy(&disp, code + kLongest - 4, 4);
        std::uint64_t slot;
        if (!memory.Read(v + static_cast<std::uintptr_t>(static_cast<std::intptr_t>(disp)), &slot, sizeof slot))
            return false;
        return indirect(6);
    }
    return false;
}

void AddCall(const IOstrelMemory& memory, std::uintptr_t v, const TOstrelAddressResolver& resolve,
             TOstrelStackList& list) {
    TCallBefore call;
    if (!memory.IsCode(v - 1) || !FindCallBefore(memory, v, call)) return;
    if (call.direct) {
        std::uint8_t first[5];
        if (!memory.Read(call.target, first, 1)) return;
        const std::uintptr_t callee = FollowImportThunk(call.target, memory);
        if (memory.Read(callee, first, sizeof first) && first[0] != 0xE8) list.Add(Resolve(resolve, callee));
    }
    list.Add(Resolve(resolve, call.start));
}

}  // namespace

std::unique_ptr<TOstrelStackList> GetCallStack(std::uintptr_t address, const IOstrelMemory& memory,
                                               std::uintptr_t first, std::uintptr_t top,
                                               const TOstrelAddressResolver& resolve) {
    TraceCall("GetCallStack",
              {reinterpret_cast<const void*>(address), reinterpret_cast<const void*>(first),
               reinterpret_cast<const void*>(top)},
              2);
    auto list = std::make_unique<TOstrelStackList>();
    if (address) list->Add(Resolve(resolve, address));
    std::uintptr_t s = first + (kStackSlotSize - first % kStackSlotSize) % kStackSlotSize;
    // One read for each window of readable bytes, and slot by slot where a
    // window cannot be read; never past the top.
    std::uint8_t window[kStackScanWindow];
    std::size_t windowSize = 0, at = 0;
    for (; s >= first && s < top && top - s >= kStackSlotSize; s += kStackSlotSize) {
        if (at >= windowSize) {
            NoteFatalReportProgress();
            at = windowSize = 0;
            const std::size_t wanted = static_cast<std::size_t>(std::min<std::uintptr_t>(kStackScanWindow, top - s));
            const std::size_t whole = wanted - wanted % kStackSlotSize;
            if (memory.Read(s, window, whole))
                windowSize = whole;
            else if (memory.Read(s, window, kStackSlotSize))
                windowSize = kStackSlotSize;
            else
                continue;
        }
        std::uint64_t v;
        std::memcpy(&v, window + at, sizeof v);
        at += kStackSlotSize;
        AddCall(memory, static_cast<std::uintptr_t>(v), resolve, *list);
    }
    TraceCall("GetCallStack=", {list->Count()}, -2);
    return list;
}

std::unique_ptr<TOstrelStackList> GetCallStack(std::uintptr_t address, const TStackSnapshot& stack,
                                               const TOstrelAddressResolver& resolve) {
    const TModulesMemory modules;
    const TSnapshotMemory memory(stack, modules);
    return GetCallStack(address, memory, stack.Start, stack.Top(), resolve);
}

// ---- threads

int TOstrelThreadsList::Add(TOstrelThreadInfo info) {
    threads_.push_back(std::move(info));
    return Count() - 1;
}

int TOstrelThreadsList::FindThreadId(std::uint64_t threadId) const {
    for (std::size_t i = 0; i < threads_.size(); ++i)
        if (threads_[i].ThreadId == threadId) return static_cast<int>(i);
    return -1;
}

int TOstrelThreadsList::FindThreadHandle(std::uintptr_t handle) const {
    for (std::size_t i = 0; i < threads_.size(); ++i)
        if (threads_[i].ThreadHandle == handle) return static_cast<int>(i);
    return -1;
}

void TOstrelThreadsList::Delete(int i) { threads_.erase(threads_.begin() + i); }

void TOstrelThreadsList::DeleteCurrentThread() {
    const std::lock_guard<std::mutex> guard(lock_);
    const int i = FindThreadId(CurrentThreadId());
    if (i >= 0) Delete(i);
}

void TOstrelThreadsList::Clear() { threads_.clear(); }

TOstrelThreadsList& OstrelThreadsList() {
    static TOstrelThreadsList* list = new TOstrelThreadsList;
    return *list;
}

// ---- after the scan

void AppendCreationStack(TOstrelStackList& stack, std::uint64_t threadId, TOstrelThreadsList& threads,
                         const TOstrelAddressResolver& resolve) {
    TStackSnapshot creation;
    {
        // The lookups below trace, and no code holds the trace's lock and this one.
        const auto lock = threads.Locked();
        const int i = threads.FindThreadId(threadId);
        if (i < 0 || threads.Get(i).ReportThread) return;
        creation = threads.Get(i).CreationStack;
    }
    if (creation.Empty()) return;
    const std::unique_ptr<TOstrelStackList> more = GetCallStack(0, creation, resolve);
    for (const TOstrelDebugInfo& e : more->Entries()) stack.Add(e);
}

void RemoveDuplicateTop(TOstrelStackList& stack, bool addressFromReturnPoint) {
    if (stack.Count() > 1 && stack[0].Address == stack[1].Address) {
        stack.Delete(0);
    } else if (addressFromReturnPoint && stack.Count() > 1) {
        for (int i = 1; i < stack.Count(); ++i) {
            if (stack[i].Address == stack[0].Address) {
                stack.Delete(0);
                break;
            }
        }
    }
}

std::size_t CallLengthBefore(const IOstrelMemory& memory, std::uintptr_t returnPoint) {
    TCallBefore call;
    if (!FindCallBefore(memory, returnPoint, call)) return 0;
    return static_cast<std::size_t>(returnPoint - call.start);
}

}  // namespace menvaro
