// The call stack: the scan over stack images made up by the tests, one per
// call form, and over a real stack copied in a program built with the
// logger's build step; the threads' creation stacks and the duplicate top.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ExceptionLog.h"
#include "MemoryImage.h"
#include "StackFunctions.h"
#include "base/NumberText.h"

using namespace menvaro;
using test::Code;
using test::TMemoryImage;

namespace {

constexpr std::uintptr_t kCode = 0x400000;     // the program's code
constexpr std::uintptr_t kData = 0x600000;     // its import slots and data
constexpr std::uintptr_t kLibrary = 0x7f0000;  // an imported routine
constexpr std::uintptr_t kStack = 0x7ff000;
constexpr std::uintptr_t kReturn = kCode + 0x800;  // where the calls return to

// Each address as an entry of kind 1, so that a test sees what was added.
TOstrelDebugInfo Entry(std::uintptr_t address) {
    TOstrelDebugInfo info;
    info.EntryKind = ekModule;
    info.Address = address;
    return info;
}

std::vector<std::uintptr_t> Addresses(const TOstrelStackList& list) {
    std::vector<std::uintptr_t> a;
    for (const TOstrelDebugInfo& e : list.Entries()) a.push_back(e.Address);
    return a;
}

std::string Shown(const std::vector<std::uintptr_t>& addresses) {
    std::string s;
    for (std::uintptr_t a : addresses) s += IntToHex(a, 1) + " ";
    return s;
}

// `names` holds `wanted` in this order, maybe with others between.
bool InOrder(const std::vector<std::string>& names, const std::vector<std::string>& wanted) {
    std::size_t next = 0;
    for (const std::string& n : names)
        if (next < wanted.size() && n == wanted[next]) ++next;
    return next == wanted.size();
}

std::string Rel32(std::int64_t v) {
    std::string b(4, '\0');
    const auto u = static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
    std::memcpy(b.data(), &u, 4);
    return b;
}

// Code filled with int3, which no call form contains.
TMemoryImage Image() {
    TMemoryImage m;
    m.Fill(kCode, 0x1000, '\xCC');
    m.Fill(kData, 0x100, '\0');
    m.Fill(kLibrary, 0x100, '\xCC');
    return m;
}

std::vector<std::uintptr_t> Scan(const TMemoryImage& memory, std::uintptr_t first, std::uintptr_t top,
                                 std::uintptr_t address = 0) {
    return Addresses(*GetCallStack(address, memory, first, top, Entry));
}

}  // namespace

TEST(StackScan, EachCallFormIsFoundWithItsFirstByte) {
    const std::string push = Code({0x55, 0x48, 0x89, 0xE5});  // push rbp; mov rbp, rsp
    const struct {
        const char* form;
        std::string before;                  // the bytes that end at the return address
        std::vector<std::intptr_t> entries;  // from the return address; a callee's from kCode
        bool callee = false;
    } cases[] = {
        {"call rel32", Code({0xE8}) + Rel32(0x100 - 0x800), {-5}, true},
        {"call rax", Code({0xFF, 0xD0}), {-2}},
        {"call r12", Code({0x41, 0xFF, 0xD4}), {-3}},
        {"call rdx, after a byte that is no REX prefix", Code({0x48, 0xFF, 0xD2}), {-2}},
        {"call [rax]", Code({0xFF, 0x10}), {-2}},
        {"call [r15]", Code({0x41, 0xFF, 0x17}), {-3}},
        {"call [rax + 8]", Code({0xFF, 0x50, 0x08}), {-3}},
        {"call [r13 + 16]", Code({0x41, 0xFF, 0x55, 0x10}), {-4}},
        {"call [rbx + 256]", Code({0xFF, 0x93, 0x00, 0x01, 0x00, 0x00}), {-6}},
        {"call [r15 + 256]", Code({0x41, 0xFF, 0x97, 0x00, 0x01, 0x00, 0x00}), {-7}},
        {"call [rsp]", Code({0xFF, 0x14, 0x24}), {-3}},
        {"call [rax + r8*8]", Code({0x42, 0xFF, 0x14, 0xC0}), {-4}},
        {"call [rsp + 8]", Code({0xFF, 0x54, 0x24, 0x08}), {-4}},
        {"call [r12 + 8]", Code({0x41, 0xFF, 0x54, 0x24, 0x08}), {-5}},
        {"call [rsp + 256]", Code({0xFF, 0x94, 0x24, 0x00, 0x01, 0x00, 0x00}), {-7}},
        {"call [r12 + 256]", Code({0x41, 0xFF, 0x94, 0x24, 0x00, 0x01, 0x00, 0x00}), {-8}},
        {"call [rax*8 + disp32]", Code({0xFF, 0x14, 0xC5, 0x00, 0x00, 0x60, 0x00}), {-7}},
        {"call [rip + disp32]", Code({0xFF, 0x15}) + Rel32(static_cast<std::int64_t>(kData) - kReturn), {-6}},
        {"call [rip + disp32] whose slot cannot be read", Code({0xFF, 0x15}) + Rel32(0x100000), {}},
        {"no call: a value into data", Code({0x48, 0x89, 0x45, 0xF8}), {}},
    };
    for (const auto& c : cases) {
        TMemoryImage m = Image();
        m.Put(kCode + 0x100, push);
        m.Put(kReturn - c.before.size(), c.before);
        m.Put(kStack, TMemoryImage::Bytes(kReturn));
        std::vector<std::uintptr_t> expected;
        if (c.callee) expected.push_back(kCode + 0x100);
        for (std::intptr_t e : c.entries) expected.push_back(kReturn + e);
        EXPECT_EQ(Shown(Scan(m, kStack, kStack + 8)), Shown(expected)) << c.form;
    }
}

TEST(StackScan, DirectCallsTheirCalleesAndWhatCannotBeRead) {
    const std::uintptr_t thunk = kCode + 0x200, slot = kData + 0x10, imported = kLibrary + 0x20;
    const struct {
        const char* what;
        std::uintptr_t target;
        std::vector<std::uintptr_t> expected;
    } cases[] = {
        // An import thunk (jmp [rip + disp32]) shows the routine it jumps to.
        {"through an import thunk", thunk, {imported, kReturn - 5}},
        // A callee that begins with a call itself adds only the call site.
        {"a callee that begins with E8", kCode + 0x300, {kReturn - 5}},
        {"a callee that cannot be read", 0x900000, {}},
    };
    for (const auto& c : cases) {
        TMemoryImage m = Image();
        m.Put(thunk, Code({0xFF, 0x25}) + Rel32(static_cast<std::int64_t>(slot) - (thunk + 6)));
        m.PutValue(slot, imported);
        m.Put(imported, Code({0x55, 0x48}));
        m.Put(kCode + 0x300, Code({0xE8, 0, 0, 0, 0}));
        m.Put(kReturn - 5, Code({0xE8}) + Rel32(static_cast<std::int64_t>(c.target) - kReturn));
        m.Put(kStack, TMemoryImage::Bytes(kReturn));
        EXPECT_EQ(Shown(Scan(m, kStack, kStack + 8)), Shown(c.expected)) << c.what;
    }
    // A value whose bytes before it cannot be read adds nothing.
    TMemoryImage m = Image();
    m.Put(kStack, TMemoryImage::Bytes(kCode + 4));
    EXPECT_TRUE(Scan(m, kStack, kStack + 8).empty());
}

TEST(StackScan, TheAddressComesFirstAndTheSlotsInnermostFirst) {
    TMemoryImage m = Image();
    m.Put(kCode + 0x10 - 2, Code({0xFF, 0xD0}));
    m.Put(kCode + 0x20 - 2, Code({0xFF, 0xD1}));
    std::string stack = TMemoryImage::Bytes(kCode + 0x10) + TMemoryImage::Bytes(42) +
                        TMemoryImage::Bytes(kStack + 0x40) + TMemoryImage::Bytes(kCode + 0x20);
    m.Put(kStack, stack);
    EXPECT_EQ(Shown(Scan(m, kStack, kStack + stack.size(), 0x401234)),
              Shown({0x401234, kCode + 0x10 - 2, kCode + 0x20 - 2}));
}

TEST(StackScan, UnreadableSlotsAreSkippedAndNothingPastTheTopIsRead) {
    TMemoryImage m = Image();
    m.Put(kCode + 0x10 - 2, Code({0xFF, 0xD0}));
    const std::string call = TMemoryImage::Bytes(kCode + 0x10);
    // The first slot cannot be read; then 50 slots, a gap of one, 69 more.
    std::string low, high;
    for (int i = 0; i < 50; ++i) low += call;
    for (int i = 0; i < 69; ++i) high += call;
    m.Put(kStack + 8, low);
    m.Put(kStack + 8 + low.size() + 8, high + call + call);
    const std::uintptr_t top = kStack + 8 + low.size() + 8 + high.size() + 4;  // inside the next slot
    m.reads.clear();
    const std::vector<std::uintptr_t> found = Scan(m, kStack, top);
    EXPECT_EQ(found.size(), 50u + 69u);
    for (const auto& [at, size] : m.reads)
        if (at >= kStack && at < kStack + 0x10000) {
            EXPECT_LE(at + size, top) << IntToHex(at, 1);
        }
    // The stack is read in windows, not slot by slot.
    const auto stackReads = std::count_if(
        m.reads.begin(), m.reads.end(), [](const auto& r) { return r.first >= kStack && r.first < kStack + 0x10000; });
    EXPECT_LT(stackReads, 12);
    // A first slot off the slot grid starts at the next one.
    EXPECT_EQ(Scan(m, kStack + 8 + 3, kStack + 8 + 16).size(), 1u);
}

TEST(StackScan, ACopyIsReadWithoutTheLiveStack) {
    TMemoryImage other = Image();
    other.Fill(kStack, 64, '\x11');
    TStackSnapshot copy;
    copy.Start = kStack + 16;
    copy.Bytes = std::string(16, '\x22');
    const TSnapshotMemory memory(copy, other);
    std::uint8_t b[16];
    ASSERT_TRUE(memory.Read(kStack + 16, b, 16));
    EXPECT_EQ(b[0], 0x22);
    EXPECT_FALSE(memory.Read(kStack + 8, b, 16));   // runs into the copy
    EXPECT_FALSE(memory.Read(kStack + 24, b, 16));  // runs out of it
    ASSERT_TRUE(memory.Read(kStack, b, 16));        // beside it: the other memory
    EXPECT_EQ(b[0], 0x11);
    ASSERT_TRUE(memory.Read(kCode, b, 1));
}

// The modules' memory reads what the process holds, at both ends of every
// read-only segment, also where two segments share one block of its cache.
TEST(ModulesMemory, ReadsEverySegmentAsTheProcessHoldsIt) {
    const TModulesMemory memory;
    int segments = 0;
    for (const TLoadedModule& m : LoadedModules()) {
        for (const TModuleSegment& s : m.Segments) {
            // Writable data changes under the test (the heap's own state).
            if (!s.Readable || s.Writable || s.End - s.Start < 16) continue;
            ++segments;
            for (const std::uintptr_t at : {s.Start, s.End - 8, s.Start + (s.End - s.Start) / 2}) {
                std::uint64_t got = 0, real = 0;
                ASSERT_TRUE(memory.Read(at, &got, 8)) << m.Path << " " << IntToHex(at, 1);
                std::memcpy(&real, reinterpret_cast<const void*>(at), 8);
                EXPECT_EQ(got, real) << m.Path << " " << IntToHex(at, 1);
            }
            EXPECT_EQ(memory.IsCode(s.Start), s.Executable);
            std::uint8_t b[16];
            EXPECT_FALSE(memory.Read(s.End - 8, b, 16)) << "runs past the segment";
        }
    }
    EXPECT_GT(segments, 4);
    std::uint64_t onStack = 0;
    EXPECT_FALSE(memory.Read(reinterpret_cast<std::uintptr_t>(&onStack), &onStack, 8));
}

TEST(StackSnapshot, CopiesTheReadablePagesFromItsStart) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* area = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(area, MAP_FAILED);
    std::memset(area, 0x5A, 2 * page);
    ASSERT_EQ(::mprotect(static_cast<char*>(area) + page, page, PROT_NONE), 0);
    const auto from = reinterpret_cast<std::uintptr_t>(area) + 64;
    const TStackSnapshot s = TakeStackSnapshot(from, from + 2 * page - 64);
    EXPECT_EQ(s.Start, from);
    EXPECT_EQ(s.Bytes, std::string(page - 64, '\x5A'));
    EXPECT_EQ(TakeStackSnapshot(from, from + 100, 40).Bytes.size(), 40u);
    EXPECT_TRUE(TakeStackSnapshot(from + page, from + page + 8).Empty());
    EXPECT_TRUE(TakeStackSnapshot(from, from).Empty());
    ::munmap(area, 2 * page);
}

// The real stack, copied inside a chain of calls and scanned once the calls
// have returned.
TEST(StackScan, ARealStackCopyResolvesToItsProceduresAndLines) {
    TStackSnapshot stack;
    ASSERT_GT(stackfn::Outer(1, stack), 0);
    ASSERT_FALSE(stack.Empty());
    TOstrelModulesList modules;
    const auto list = GetCallStack(0, stack, [&](std::uintptr_t a) { return modules.GetAddressInfo(a); });
    struct TExpected {
        const char* procedure;
        int firstLine, lastLine;
    };
    // Innermost first: the copy's own routine, the calls and their callees.
    const TExpected expected[] = {
        {"TakeCurrentStackSnapshot", 0, 1 << 30},
        {"Inner", stackfn::kInnerCallLine, stackfn::kInnerCallLine},
        {"Middle", stackfn::kMiddleCallLine, stackfn::kMiddleCallLine},  // through the pointer: no callee
        {"Middle", stackfn::kMiddleLine, stackfn::kMiddleCallLine},      // callee of Outer's call
        {"Outer", stackfn::kOuterCallLine, stackfn::kOuterCallLine},
        {"Outer", stackfn::kOuterLine, stackfn::kOuterCallLine},  // callee of the test's call
    };
    std::string seen;
    std::size_t next = 0;
    for (const TOstrelDebugInfo& e : list->Entries()) {
        seen += e.ProcedureName + ":" + std::to_string(e.Line) + " ";
        if (next < std::size(expected) && e.ProcedureName == expected[next].procedure &&
            e.Line >= expected[next].firstLine && e.Line <= expected[next].lastLine) {
            EXPECT_EQ(e.EntryKind, ekLineInfo);
            if (next > 0) {
                EXPECT_EQ(e.UnitName, "StackFunctions.cpp");
                EXPECT_EQ(e.ClassName, "stackfn");
            }
            ++next;
        }
    }
    EXPECT_EQ(next, std::size(expected)) << seen;
    // The scan ends with the copy: the test body's own caller is there too.
    EXPECT_NE(seen.find("TestBody"), std::string::npos) << seen;
}

TEST(CallStack, TheDuplicatedTopEntryGoes) {
    const struct {
        std::vector<std::uintptr_t> stack;
        bool fromReturnPoint;
        std::vector<std::uintptr_t> expected;
    } cases[] = {
        {{1, 1, 2}, false, {1, 2}},
        {{1, 1, 2}, true, {1, 2}},
        {{1, 2, 1}, false, {1, 2, 1}},
        {{1, 2, 1}, true, {2, 1}},
        {{1, 2, 3}, true, {1, 2, 3}},
        {{1}, true, {1}},
        {{}, true, {}},
    };
    for (const auto& c : cases) {
        TOstrelStackList list;
        for (std::uintptr_t a : c.stack) list.Add(Entry(a));
        RemoveDuplicateTop(list, c.fromReturnPoint);
        EXPECT_EQ(Shown(Addresses(list)), Shown(c.expected)) << Shown(c.stack) << c.fromReturnPoint;
    }
}

TEST(CallStack, AThreadsCreationStackIsAppendedUnlessItIsTheReportThread) {
    TOstrelThreadsList threads;
    TStackSnapshot creation;
    ASSERT_GT(stackfn::Outer(2, creation), 0);
    {
        const auto lock = threads.Locked();
        TOstrelThreadInfo worker;
        worker.ThreadId = 1001;
        worker.ThreadHandle = 0xABC;
        worker.CreationStack = creation;
        threads.Add(worker);
        TOstrelThreadInfo report = worker;
        report.ThreadId = 1002;
        report.ThreadHandle = 0xDEF;
        report.ReportThread = true;
        threads.Add(report);
        TOstrelThreadInfo bare;
        bare.ThreadId = 1003;
        threads.Add(bare);
        EXPECT_EQ(threads.FindThreadId(1002), 1);
        EXPECT_EQ(threads.FindThreadHandle(0xDEF), 1);
        EXPECT_EQ(threads.FindThreadId(7), -1);
        EXPECT_EQ(threads.FindThreadHandle(7), -1);
    }
    TOstrelModulesList modules;
    const TOstrelAddressResolver resolve = [&](std::uintptr_t a) { return modules.GetAddressInfo(a); };
    auto procedures = [&](std::uint64_t thread) {
        TOstrelStackList list;
        list.Add(Entry(0x1234));
        AppendCreationStack(list, thread, threads, resolve);
        std::vector<std::string> names;
        for (const TOstrelDebugInfo& e : list.Entries()) names.push_back(e.ProcedureName);
        return names;
    };
    const std::vector<std::string> worker = procedures(1001);
    EXPECT_EQ(worker.front(), "");
    EXPECT_TRUE(InOrder(worker, {"Inner", "Middle", "Middle", "Outer", "Outer"}));
    EXPECT_EQ(procedures(1002).size(), 1u);  // the report thread's
    EXPECT_EQ(procedures(1003).size(), 1u);  // no creation stack
    EXPECT_EQ(procedures(9999).size(), 1u);  // not listed

    // The calling thread's own entry goes under the lock.
    {
        const auto lock = threads.Locked();
        TOstrelThreadInfo me;
        me.ThreadId = CurrentThreadId();
        threads.Add(me);
    }
    threads.DeleteCurrentThread();
    const auto lock = threads.Locked();
    EXPECT_EQ(threads.Count(), 3);
    EXPECT_EQ(threads.FindThreadId(CurrentThreadId()), -1);
    threads.Delete(0);
    EXPECT_EQ(threads.FindThreadId(1002), 0);
    threads.Clear();
    EXPECT_EQ(threads.Count(), 0);
}
