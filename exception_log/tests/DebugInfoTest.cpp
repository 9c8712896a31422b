// Module records and address lookups in a program built with the logger's
// build step (this one), with libraries that it loads.
#include <dlfcn.h>
#include <elf.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Child.h"
#include "EConsts.h"
#include "EDebugData.h"
#include "ExceptionLog.h"
#include "KnownFunctions.h"
#include "base/Files.h"
#include "base/NumberText.h"
#include "base/Streams.h"
#include "base/Strings.h"
#include "rtl/ElfFile.h"
#include "rtl/Modules.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

template <class F>
std::uintptr_t Address(F f) {
    return reinterpret_cast<std::uintptr_t>(f);
}

// The code of a (non-virtual) member function.
std::uintptr_t MethodAddress(int (known::TWidget::*method)(int)) {
    std::uintptr_t code = 0;
    std::memcpy(&code, &method, sizeof code);
    return code;
}

std::string Where(const TOstrelDebugInfo& i) {
    return std::to_string(i.EntryKind) + " " + i.UnitName + ":" + std::to_string(i.Line) + " " + i.ClassName + "|" +
           i.ProcedureName;
}

std::shared_ptr<TOstrelModuleInfo> Named(const TOstrelModulesList& list, const std::string& path) {
    for (const auto& m : list.Modules())
        if (m->Image.Path == path) return m;
    return nullptr;
}

// A loaded library, unloaded at the end of the scope.
struct TLibrary {
    explicit TLibrary(const std::string& path) : handle(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~TLibrary() {
        if (handle) ::dlclose(handle);
    }
    std::uintptr_t Symbol(const char* name) const { return reinterpret_cast<std::uintptr_t>(::dlsym(handle, name)); }
    void* handle;
};

std::string OptionsStream(const TOstrelModuleOptions& options) {
    TMemoryStream s;
    options.SaveToStream(s);
    return s.Bytes();
}

// A copy of the library built with the step, its container replaced by
// `section`: written past the end of the file, where the section's header
// then points (the loader maps no section of its kind).
std::string LibraryWithContainer(const test::TempDir& dir, const std::string& name, const std::string& section) {
    std::string bytes = ReadFileBytes(DEBUG_LIBRARY);
    const TElfFile file(DEBUG_LIBRARY);
    const std::vector<TElfSection>& sections = file.Sections();
    const auto it = std::find_if(sections.begin(), sections.end(),
                                 [](const TElfSection& s) { return s.Name == kOstrelSectionName; });
    if (it == sections.end()) throw Exception("the library has no container");
    Elf64_Ehdr eh;
    std::memcpy(&eh, bytes.data(), sizeof eh);
    const std::size_t at = eh.e_shoff + static_cast<std::size_t>(it - sections.begin()) * sizeof(Elf64_Shdr);
    Elf64_Shdr sh;
    std::memcpy(&sh, bytes.data() + at, sizeof sh);
    sh.sh_offset = bytes.size();
    sh.sh_size = section.size();
    std::memcpy(bytes.data() + at, &sh, sizeof sh);
    const std::string path = dir.Write(name, bytes + section);
    ::chmod(path.c_str(), 0755);
    return path;
}

}  // namespace

TEST(AddressInfo, KnownFunctionsGiveTheirUnitClassProcedureAndLine) {
    known::TWidget widget;
    ASSERT_GT(known_c_function(3) + widget.Resize(2), 0);  // every call site has run
    TOstrelModulesList list;
    // A call's line is exact; a function's first byte is of its first line
    // or, with the optimiser, of a line before its first call.
    const struct {
        std::uintptr_t address;
        const char* where;
        int firstLine, lastLine;
    } cases[] = {
        {Address(&known::TWidget::Paint), "known::TWidget|Paint", known::kPaintLine, known::kPaintCallLine},
        {known::g_paintCall - 1, "known::TWidget|Paint", known::kPaintCallLine, known::kPaintCallLine},
        {MethodAddress(&known::TWidget::Resize), "known::TWidget|Resize", known::kResizeLine, known::kResizeCallLine},
        {known::g_resizeCall - 1, "known::TWidget|Resize", known::kResizeCallLine, known::kResizeCallLine},
        {Address(&known::Plain), "known|Plain", known::kPlainLine, known::kPlainCallLine},
        {known::g_plainCall - 1, "known|Plain", known::kPlainCallLine, known::kPlainCallLine},
        {Address(&known_c_function), "|known_c_function", kKnownCLine, kKnownCLine},
    };
    std::string addresses;
    for (const auto& c : cases) addresses += " " + IntToHex(c.address, 1);
    // The same lines as addr2line reads from the DWARF data, where it is installed.
    const test::TChildResult peer = test::RunChild(
        "/bin/sh", {{"-c", "addr2line -e '" + ExeName() + "'" + addresses}, {}, {}, false});
    if (FileExists("/usr/bin/addr2line")) {
        ASSERT_EQ(peer.status, 0) << peer.err;
    }
    const std::vector<std::string> peerLines = SplitString(peer.out, '\n');
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const TOstrelDebugInfo info = list.GetAddressInfo(c.address);
        EXPECT_EQ(Where(info), "4 KnownFunctions.cpp:" + std::to_string(info.Line) + " " + c.where) << c.where;
        EXPECT_GE(info.Line, c.firstLine) << c.where;
        EXPECT_LE(info.Line, c.lastLine) << c.where;
        if (peer.status == 0 && i < peerLines.size()) {
            EXPECT_EQ(peerLines[i].substr(0, peerLines[i].find(' ')).substr(peerLines[i].rfind('/') + 1),
                      "KnownFunctions.cpp:" + std::to_string(info.Line))
                << c.where;
        }
        EXPECT_EQ(info.Address, c.address);
        ASSERT_TRUE(info.Module);
        EXPECT_EQ(info.Module->Image.Path, ExeName());
    }
    // No module holds the stack.
    int local = 0;
    const TOstrelDebugInfo none = list.GetAddressInfo(Address(&local));
    EXPECT_EQ(none.EntryKind, ekNoModule);
    EXPECT_FALSE(none.Module);
}

TEST(AddressInfo, TheProgramCarriesItsContainerAtFixedAddresses) {
    TOstrelModulesList list;
    const std::shared_ptr<TOstrelModuleInfo> own = list.FindModuleInfo(LoggerModuleHandle());
    ASSERT_TRUE(own);
    EXPECT_EQ(own->Image.Path, ExeName());
    EXPECT_EQ(own->ModuleKind, mkProgram);
    const TElfFile file(ExeName());
    EXPECT_EQ(file.Type(), ET_EXEC);  // linked at fixed addresses
    EXPECT_EQ(own->Handle(), file.LowestLoadAddress());
    EXPECT_EQ(own->Image.Bias, 0);
    EXPECT_TRUE(own->HasDebugData());
    EXPECT_FALSE(own->UnitIndex.empty());
    EXPECT_EQ(own->DebugVersion, 454);
    EXPECT_GT(own->BuildDate, 45000.0);  // a day of this century
    EXPECT_TRUE(IsOstrelLogModule(own->Handle()));
    EXPECT_FALSE(IsOstrelLogModule_Old(own->Handle()));
    EXPECT_EQ(own->FileSize, static_cast<std::uint32_t>(FileSize(ExeName())));
    // The build step wrote the default options.
    TOwned<TOstrelModuleOptions> defaults(Create<TOstrelModuleOptions>("", false));
    EXPECT_EQ(OptionsStream(*own->Options), OptionsStream(*defaults));
    // The symbol block names every function.
    EXPECT_EQ(list.FindProcedureAddress("known::TWidget::Paint"), Address(&known::TWidget::Paint));
    EXPECT_EQ(list.FindProcedureAddress("known_c_function"), Address(&known_c_function));
    EXPECT_EQ(list.FindProcedureAddress("known::TWidget::paint"), 0u);
    EXPECT_EQ(list.FindProcedureAddress(""), 0u);

    // The process-wide list, as the logger's start-up makes it.
    EXPECT_EQ(GetAddressInfo(Address(&known::Plain)).EntryKind, ekNoModule);
    EXPECT_EQ(FindProcedureAddress("known::Plain"), 0u);
    CreateOstrelModulesList();
    EXPECT_EQ(GetAddressInfo(Address(&known::Plain)).ProcedureName, "Plain");
    EXPECT_EQ(FindProcedureAddress("known::Plain"), Address(&known::Plain));
    DestroyOstrelModulesList();
    EXPECT_EQ(OstrelModulesList(), nullptr);
}

TEST(AddressInfo, TheDebugDataIsReadAtTheFirstLookupOnly) {
    TOstrelModulesList list;
    const std::shared_ptr<TOstrelModuleInfo> own = list.FindModuleInfo(LoggerModuleHandle());
    ASSERT_TRUE(own);
    // Made: the options and the container's head, not the line tables.
    EXPECT_TRUE(own->CarriesDebugData);
    EXPECT_FALSE(own->DebugDataLoaded());
    EXPECT_TRUE(own->DebugData.empty());
    EXPECT_TRUE(own->UnitIndex.empty());
    EXPECT_EQ(own->DebugVersion, 454);
    const TOstrelDebugInfo info = list.GetAddressInfo(Address(&known::Plain));
    EXPECT_EQ(info.EntryKind, ekLineInfo);
    EXPECT_EQ(info.ProcedureName, "Plain");
    EXPECT_TRUE(own->DebugDataLoaded());
    EXPECT_FALSE(own->DebugData.empty());
    EXPECT_FALSE(own->UnitIndex.empty());
}

TEST(ModulesList, ALoadedLibraryIsListedWithItsKindAndExports) {
    TOstrelModulesList list;
    EXPECT_EQ(list.Get(0)->ModuleKind, mkProgram);
    EXPECT_EQ(Named(list, TEST_LIBRARY), nullptr);
    TOstrelDebugInfo held;
    {
        TLibrary library(TEST_LIBRARY);
        ASSERT_NE(library.handle, nullptr);
        const std::uintptr_t function = library.Symbol("exception_log_test_function");
        const std::uintptr_t area = library.Symbol("_ZN7libtest6TShape4AreaEii");
        ASSERT_NE(function, 0u);
        ASSERT_NE(area, 0u);

        // A refresh lists it, to be completed when asked for.
        list.RefreshModulesList();
        std::shared_ptr<TOstrelModuleInfo> made = Named(list, TEST_LIBRARY);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->ModuleKind, mkUnknown);
        EXPECT_TRUE(made->Functions.Empty());
        const auto modules = list.Modules();
        for (std::size_t i = 1; i < modules.size(); ++i) EXPECT_LT(modules[i - 1]->Handle(), modules[i]->Handle());

        held = list.GetAddressInfo(function);
        EXPECT_EQ(Where(held), "2 :0 |exception_log_test_function");
        ASSERT_TRUE(held.Module);
        const std::shared_ptr<TOstrelModuleInfo> record = Named(list, TEST_LIBRARY);
        EXPECT_EQ(record.get(), held.Module.get());
        EXPECT_EQ(record->ModuleKind, mkLibrary);
        EXPECT_FALSE(record->HasDebugData());
        EXPECT_EQ(record->DebugVersion, 454);
        EXPECT_EQ(record->BuildDate, 0.0);
        EXPECT_EQ(record->Functions.Count(), 2);
        EXPECT_FALSE(record->Image.Bias == 0);
        EXPECT_FALSE(IsOstrelLogModule(record->Handle()));
        EXPECT_FALSE(IsOstrelLogModule_Old(record->Handle()));

        EXPECT_EQ(Where(list.GetAddressInfo(area + 1)), "3 :0 libtest::TShape|Area");
        // The symbol's size is exact: its end is no longer the function.
        const TOstrelFunctionInfo* entry = record->Functions.FindExportedFunction(area);
        ASSERT_NE(entry, nullptr);
        EXPECT_TRUE(entry->ExactSize);
        EXPECT_EQ(Where(list.GetAddressInfo(area + entry->Size - 1)), "3 :0 libtest::TShape|Area");
        EXPECT_NE(list.GetAddressInfo(area + entry->Size).ProcedureName, "Area");
        // libc is a library too.
        const std::uintptr_t libc = reinterpret_cast<std::uintptr_t>(::dlsym(RTLD_DEFAULT, "strlen"));
        ASSERT_TRUE(list.FindModuleInfoOfAddress(libc));
        EXPECT_EQ(list.FindModuleInfoOfAddress(libc)->ModuleKind, mkLibrary);
    }
    // Unloaded: the refresh drops the record and marks it; who holds it keeps it.
    list.RefreshModulesList();
    EXPECT_EQ(Named(list, TEST_LIBRARY), nullptr);
    EXPECT_TRUE(held.Module->Unloaded);
    EXPECT_EQ(held.Module->Image.Path, TEST_LIBRARY);
    EXPECT_EQ(held.Module->Functions.Count(), 2);
}

// Start-up lists every module but reads only the logger's own one; a lookup
// completes the module it finds.
TEST(ModulesList, StartUpReadsOnlyTheLoggersOwnModule) {
    TOstrelModulesList list;
    std::size_t named = 0;
    for (const TLoadedModule& m : LoadedModules()) named += m.Path.empty() ? 0 : 1;
    const auto modules = list.Modules();
    EXPECT_EQ(modules.size(), named);
    for (const auto& m : modules) {
        if (m->Handle() == LoggerModuleHandle())
            EXPECT_EQ(m->ModuleKind, mkProgram);
        else
            EXPECT_EQ(m->ModuleKind, mkUnknown) << m->Image.Path;
    }
    const std::uintptr_t libc = reinterpret_cast<std::uintptr_t>(::dlsym(RTLD_DEFAULT, "fopen"));
    const std::shared_ptr<TOstrelModuleInfo> found = list.FindModuleInfoOfAddress(libc);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->ModuleKind, mkLibrary);
    EXPECT_EQ(list.Modules().size(), named);
}

// Start-up reads no module's exports: a lookup that falls back on them reads
// those of its module, once.
TEST(ModulesList, ExportsAreReadAtTheFirstLookupThatNeedsThem) {
    TLibrary library(TEST_LIBRARY);
    ASSERT_NE(library.handle, nullptr);
    const std::uintptr_t function = library.Symbol("exception_log_test_function");
    TOstrelModulesList list;
    const std::shared_ptr<TOstrelModuleInfo> record = list.FindModuleInfoOfAddress(function);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->ModuleKind, mkLibrary);
    EXPECT_TRUE(record->Functions.Empty());
    EXPECT_EQ(Where(list.GetAddressInfo(function)), "2 :0 |exception_log_test_function");
    EXPECT_EQ(record->Functions.Count(), 2);
    EXPECT_EQ(Where(list.GetAddressInfo(function)), "2 :0 |exception_log_test_function");
    EXPECT_EQ(record->Functions.Count(), 2);
}

TEST(ModulesList, ALibraryBuiltWithTheStepHasLinesAtItsLoadAddress) {
    TLibrary library(DEBUG_LIBRARY);
    ASSERT_NE(library.handle, nullptr);
    const std::uintptr_t function = library.Symbol("debuginfo_library_function");
    const auto line = reinterpret_cast<int (*)()>(library.Symbol("debuginfo_library_function_line"));
    ASSERT_NE(line, nullptr);
    TOstrelModulesList list;
    const TOstrelDebugInfo info = list.GetAddressInfo(function);
    EXPECT_EQ(Where(info), "4 DebugInfoLibrary.cpp:" + std::to_string(line()) + " |debuginfo_library_function");
    ASSERT_TRUE(info.Module);
    EXPECT_EQ(info.Module->ModuleKind, mkLibrary);
    EXPECT_NE(info.Module->Image.Bias, 0);
    EXPECT_TRUE(IsOstrelLogModule(info.Module->Handle()));
}

TEST(ModulesList, TheOlderTrailerAppendedToALibraryIsRead) {
    test::TempDir dir("trailer");
    // A unit over the exported function, from the file's own symbol.
    std::uint64_t value = 0, size = 0;
    for (const TElfSymbol& s : TElfFile(TEST_LIBRARY).DynamicSymbols())
        if (s.Name == "exception_log_test_function") value = s.Value, size = s.Size;
    ASSERT_GT(size, 1u);
    const std::int64_t offset = static_cast<std::int64_t>(value) - kCodeStartOffset;
    const std::string debug = WriteDebugData({},
                                             {{"Trailer.cpp",
                                               offset,
                                               static_cast<std::int64_t>(size),
                                               {{offset, 77, "TTrail", "Run"}, {offset + 1, 78, "TTrail", "Run"}}}});
    TMemoryStream options;
    TOwned<TOstrelModuleOptions> stored(Create<TOstrelModuleOptions>("", false));
    stored->SetMailTo("old@example.com");
    stored->SaveToStream(options);
    const std::string path = dir.Write(
        "libtrailer.so", ReadFileBytes(TEST_LIBRARY) + BuildOstrelTrailer(454, 3.0, options.Bytes(), debug));
    TLibrary library(path);
    ASSERT_NE(library.handle, nullptr);
    const std::uintptr_t function = library.Symbol("exception_log_test_function");
    TOstrelModulesList list;
    EXPECT_EQ(Where(list.GetAddressInfo(function)), "4 Trailer.cpp:77 TTrail|Run");
    EXPECT_EQ(Where(list.GetAddressInfo(function + size - 1)), "4 Trailer.cpp:78 TTrail|Run");
    const std::shared_ptr<TOstrelModuleInfo> record = list.FindModuleInfoOfAddress(function);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->BuildDate, 3.0);
    EXPECT_EQ(record->Options->MailTo(), "old@example.com");
    EXPECT_TRUE(IsOstrelLogModule_Old(record->Handle()));
    EXPECT_FALSE(IsOstrelLogModule(record->Handle()));
}

TEST(ModulesList, AFileReplacedSinceItWasLoadedGivesNoNames) {
    test::TempDir dir("replaced");
    const std::string path = test::CopyProgram(DEBUG_LIBRARY, dir.path(), "libreplaced.so");
    TLibrary library(path);
    ASSERT_NE(library.handle, nullptr);
    const std::uintptr_t function = library.Symbol("debuginfo_library_function");
    // Another build under the same name; the loaded image stays the old one.
    const std::string other = test::CopyProgram(TEST_LIBRARY, dir.path(), "libother.so");
    ASSERT_TRUE(RenameFile(other, path));
    TOstrelModulesList list;
    const TOstrelDebugInfo info = list.GetAddressInfo(function);
    EXPECT_EQ(Where(info), "1 :0 |");
    ASSERT_TRUE(info.Module);
    EXPECT_FALSE(info.Module->HasDebugData());
    EXPECT_TRUE(info.Module->Functions.Empty());
    EXPECT_EQ(info.Module->ModuleKind, mkLibrary);
}

TEST(ModulesList, ADamagedContainerIsSetAsideWithAWarning) {
    test::TempDir dir("damaged");
    std::string bytes = ReadFileBytes(DEBUG_LIBRARY);
    const TElfFile file(DEBUG_LIBRARY);
    const TElfSection* section = file.FindSection(kOstrelSectionName);
    ASSERT_NE(section, nullptr);
    for (std::uint64_t i = 20; i < 60 && i < section->Size; ++i) bytes[section->Offset + i] ^= 0x5A;
    const std::string path = dir.Write("libdamaged.so", bytes);
    ::chmod(path.c_str(), 0755);
    TLibrary library(path);
    ASSERT_NE(library.handle, nullptr);
    ClearWarning();
    TOstrelModulesList list;
    const TOstrelDebugInfo info = list.GetAddressInfo(library.Symbol("debuginfo_library_function"));
    // The exports stand in.
    EXPECT_EQ(Where(info), "2 :0 |debuginfo_library_function");
    EXPECT_EQ(LastWarningCode(), eeLogError);
    EXPECT_NE(LastWarningMessage().find("\"" + path + "\""), std::string::npos) << LastWarningMessage();
    EXPECT_NE(LastWarningMessage().find("damaged"), std::string::npos) << LastWarningMessage();
    ClearWarning();
}

// A container larger than what start-up inflates of it: the options are
// read from its head when the module's record is made, the line tables at
// the first lookup, which names unit, class, procedure and line, or finds
// the damage past the head and lets the exports stand in, with a warning.
TEST(ModulesList, ALargeContainerIsReadInPartAndCheckedWholeAtTheFirstLookup) {
    std::uint64_t value = 0, size = 0;
    for (const TElfSymbol& s : TElfFile(DEBUG_LIBRARY).DynamicSymbols())
        if (s.Name == "debuginfo_library_function") value = s.Value, size = s.Size;
    ASSERT_GT(size, 1u);
    const std::int64_t offset = static_cast<std::int64_t>(value) - kCodeStartOffset;
    // The function's unit, then many of names that do not shrink much, far
    // past the library's code.
    std::vector<TDebugUnit> units = {{"Large.cpp", offset, static_cast<std::int64_t>(size), {{offset, 77, "TLarge", "Run"}}}};
    std::mt19937 random(11);
    for (int i = 0; i < 6000; ++i) {
        std::string name;
        for (int k = 0; k < 24; ++k) name += static_cast<char>('a' + random() % 26);
        const std::int64_t start = (std::int64_t{1} << 30) + i * 16;
        units.push_back({name + ".cpp", start, 16, {{start, i + 1, "", name}}});
    }
    const std::string debug = WriteDebugData({}, units);
    TOwned<TOstrelModuleOptions> stored(Create<TOstrelModuleOptions>("", false));
    stored->SetMailTo("large@example.com");
    const std::string options = OptionsStream(*stored);
    const std::string whole = BuildOstrelSection(454, 5.0, options, debug);
    // Twice what start-up inflates of a container, and more.
    ASSERT_GT(whole.size(), std::size_t{128} << 10);
    std::string badEnd = whole;
    for (std::size_t i = badEnd.size() - 6; i < badEnd.size(); ++i) badEnd[i] ^= 0x5A;
    // A length that announces more debug data than the payload holds.
    std::string announced = options;
    const std::int32_t tooLong = static_cast<std::int32_t>(debug.size() + 1000);
    announced.append(reinterpret_cast<const char*>(&tooLong), 4);
    announced += debug;
    const std::string badLength = BuildOstrelSection(454, 5.0, announced, "");

    const struct {
        const char* name;
        const std::string& section;
        const char* where;    // at the first lookup
        const char* damage;   // in its warning; "" for none
    } cases[] = {
        {"libwhole.so", whole, "4 Large.cpp:77 TLarge|Run", ""},
        {"libbadend.so", badEnd, "2 :0 |debuginfo_library_function", "damaged"},
        {"libbadlength.so", badLength, "2 :0 |debuginfo_library_function", "the debug data's length"},
    };
    test::TempDir dir("large");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = LibraryWithContainer(dir, c.name, c.section);
        TLibrary library(path);
        ASSERT_NE(library.handle, nullptr);
        const std::uintptr_t function = library.Symbol("debuginfo_library_function");
        ClearWarning();
        TOstrelModulesList list;
        const std::shared_ptr<TOstrelModuleInfo> record = list.FindModuleInfoOfAddress(function);
        ASSERT_TRUE(record);
        // Made from the head: no damage seen yet.
        EXPECT_EQ(record->Options->MailTo(), "large@example.com");
        EXPECT_EQ(record->BuildDate, 5.0);
        EXPECT_TRUE(record->CarriesDebugData);
        EXPECT_FALSE(record->DebugDataLoaded());
        EXPECT_EQ(LastWarningCode(), eeNone) << LastWarningMessage();

        EXPECT_EQ(Where(list.GetAddressInfo(function)), c.where);
        EXPECT_TRUE(record->DebugDataLoaded());
        if (*c.damage) {
            EXPECT_EQ(LastWarningCode(), eeLogError);
            EXPECT_NE(LastWarningMessage().find("\"" + path + "\""), std::string::npos) << LastWarningMessage();
            EXPECT_NE(LastWarningMessage().find(c.damage), std::string::npos) << LastWarningMessage();
        } else {
            EXPECT_EQ(LastWarningCode(), eeNone) << LastWarningMessage();
            EXPECT_EQ(record->DebugData, debug);
        }
        ClearWarning();
    }
}

TEST(ExportNames, AreSplitIntoUnitClassAndProcedure) {
    const struct {
        const char* name;
        const char* where;
    } cases[] = {
        {"ns::TShape::Area", "3 :0 ns::TShape|Area"},
        {"std::vector<int, std::allocator<int> >::push_back", "3 :0 std::vector<int, std::allocator<int> >|push_back"},
        {"plain_c", "2 :0 |plain_c"},
        {"@Forms@TApplication@HandleException$qqrp14System@TObject", "3 Forms.pas:0 TApplication|HandleException"},
        {"@System@@LStrAddRef$qqrpv", "3 System.pas:0 |_LStrAddRef"},
        {"@Sysutils@Format$qqrx17System@AnsiStringpx14System@TVarRecxi", "3 Sysutils.pas:0 |Format"},
        {"@Unit@Proc@$xp", "3 Unit.pas:0 |Proc"},
        {"@NoDollar@Here", "1 :0 |"},
        {"Unit.Proc@8", "3 Unit.pas:0 |Proc"},
        {"Unit.Class.Proc", "3 Unit.pas:0 Class|Proc"},
        {"a.b.c.d", "1 :0 |"},
        {"@$xp", "2 :0 |_$xp"},
        {"?Decorated@@YAXXZ", "1 :0 |"},
        {"", "1 :0 |"},
    };
    for (const auto& c : cases) {
        TOstrelDebugInfo info;
        info.EntryKind = ekModule;
        ParseExportName(c.name, info);
        EXPECT_EQ(Where(info), c.where) << c.name;
    }
}

TEST(Exports, AnExactSizeEndsBeforeItsLastByteAnEstimateWithIt) {
    TOstrelFunctionsList list;
    list.Add({"c", 300, 10, true});
    list.Add({"a", 100, 10, false});
    list.Add({"b", 200, 10, true});
    list.Add({"alias", 100, 4, true});  // one entry per address
    list.Add({"d", 400, 0, false});
    list.Sort();
    ASSERT_EQ(list.Count(), 4);
    const struct {
        std::uintptr_t address;
        const char* name;
    } cases[] = {
        {99, ""},   {100, "a"}, {110, "a"}, {111, ""},  {199, ""},
        {200, "b"}, {209, "b"}, {210, ""},  {300, "c"}, {309, "c"},
        {310, ""},  {400, "d"}, {401, ""},  {0, ""},    {~std::uintptr_t{0}, ""},
    };
    for (const auto& c : cases) {
        const TOstrelFunctionInfo* f = list.FindExportedFunction(c.address);
        EXPECT_EQ(f ? f->Name : "", c.name) << c.address;
    }
    EXPECT_EQ(TOstrelFunctionsList().FindExportedFunction(5), nullptr);
}

TEST(Exports, FunctionSizesAreEstimatedFromTheirCode) {
    const struct {
        std::vector<std::uint8_t> code;
        std::uint32_t size;
    } cases[] = {
        // push rbp ... pop rbp; ret: up to and with the pop
        {{0x55, 0x48, 0x89, 0xE5, 0xC3, 0x5D, 0xC3, 0x90}, 6},
        // push rbp ... leave; ret
        {{0x55, 0x90, 0x90, 0xC9, 0xC2, 0x08, 0x00}, 4},
        // no frame: the first return byte
        {{0x48, 0x89, 0xF8, 0xC3, 0x90}, 3},
        {{0xC3}, 0},
        // no end before the code ends
        {{0x55, 0x90, 0x90, 0x90}, 1},
        {{0x90, 0x90}, 1},
    };
    for (const auto& c : cases) {
        const auto start = reinterpret_cast<std::uintptr_t>(c.code.data());
        EXPECT_EQ(GetFunctionSize(start, start + c.code.size() - 1), c.size);
    }
    EXPECT_EQ(GetFunctionSize(16, 100), 1u);  // nothing readable
}

TEST(ImportThunks, AreFollowedThroughTheirSlot) {
    // jmp *rel32(%rip) with its slot behind it, with and without endbr64 and bnd.
    struct alignas(8) TThunk {
        std::uint8_t code[16];
        std::uintptr_t slot;
    };
    const std::uintptr_t target = Address(&known::Plain);
    for (const std::vector<std::uint8_t>& prefix :
         {std::vector<std::uint8_t>{}, {0xF3, 0x0F, 0x1E, 0xFA}, {0xF3, 0x0F, 0x1E, 0xFA, 0xF2}, {0xF2}}) {
        TThunk t{};
        std::memset(t.code, 0x90, sizeof t.code);
        std::copy(prefix.begin(), prefix.end(), t.code);
        t.code[prefix.size()] = 0xFF;
        t.code[prefix.size() + 1] = 0x25;
        const std::int32_t rel = static_cast<std::int32_t>(offsetof(TThunk, slot) - (prefix.size() + 6));
        std::memcpy(t.code + prefix.size() + 2, &rel, 4);
        t.slot = target;
        EXPECT_EQ(FollowImportThunk(Address(t.code)), target) << prefix.size();
        t.code[prefix.size() + 1] = 0x15;  // a call, not a jump
        EXPECT_EQ(FollowImportThunk(Address(t.code)), Address(t.code));
    }
    EXPECT_EQ(FollowImportThunk(target), target);
    EXPECT_EQ(FollowImportThunk(16), 16u);
}

TEST(Addresses, TheCodeOfAProgramBuiltWithTheStepStaysPutFromRunToRun) {
    const test::TChildResult first = test::RunChild(KNOWN_PROGRAM, {});
    const test::TChildResult second = test::RunChild(KNOWN_PROGRAM, {});
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(second.status, 0) << second.err;
    const std::string code1 = first.out.substr(0, first.out.find('\n'));
    const std::string code2 = second.out.substr(0, second.out.find('\n'));
    EXPECT_EQ(code1, code2);
    EXPECT_EQ(code1.substr(0, 7), "code 0x");
    // While the stack and the heap move, where the system moves them.
    if (ReadFileBytes("/proc/sys/kernel/randomize_va_space").substr(0, 1) != "0") {
        EXPECT_NE(first.out.substr(first.out.find('\n')), second.out.substr(second.out.find('\n')));
    }
}
