#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/Files.h"
#include "base/Streams.h"
#include "rtl/ElfFile.h"
#include "rtl/SymbolNames.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

const TElfSymbol* Symbol(const std::vector<TElfSymbol>& symbols, const std::string& name) {
    for (const TElfSymbol& s : symbols)
        if (s.Name == name) return &s;
    return nullptr;
}

// What an EElfError says, or "" when none was raised.
template <class F>
std::string ElfError(F f) {
    try {
        f();
    } catch (const EElfError& e) {
        return e.what();
    }
    return {};
}

}  // namespace

TEST(ElfFile, ALibraryShowsItsSectionsExportsAndBuildId) {
    const TElfFile file(TEST_LIBRARY);
    EXPECT_EQ(file.Type(), ET_DYN);
    EXPECT_EQ(file.FileSize(), static_cast<std::uint64_t>(FileSize(TEST_LIBRARY)));
    const TElfSection* text = file.FindSection(".text");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Type, static_cast<std::uint32_t>(SHT_PROGBITS));
    EXPECT_EQ(file.FindSection("OLDATA"), nullptr);
    EXPECT_EQ(file.LowestLoadAddress(), 0u);
    EXPECT_EQ(file.ImageEnd(), file.FileSize());  // nothing appended
    EXPECT_EQ(file.BuildId().size(), 20u);

    const std::vector<TElfSymbol> symbols = file.DynamicSymbols();
    const TElfSymbol* c = Symbol(symbols, "rtl_test_function");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Type, STT_FUNC);
    EXPECT_EQ(c->Bind, STB_GLOBAL);
    EXPECT_NE(c->Section, SHN_UNDEF);
    EXPECT_GT(c->Size, 0u);
    EXPECT_GE(c->Value, text->Address);
    EXPECT_LE(c->Value + c->Size, text->Address + text->Size);
    const TElfSymbol* method = Symbol(symbols, "_ZN7rtltest6TShape4AreaEii");
    ASSERT_NE(method, nullptr);
    EXPECT_EQ(FunctionName(method->Name), "rtltest::TShape::Area");

    // Where the loader put the function: its value moved by the bias.
    void* library = ::dlopen(TEST_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    Dl_info info{};
    void* loaded = ::dlsym(library, "rtl_test_function");
    ASSERT_NE(::dladdr(loaded, &info), 0);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(loaded) - reinterpret_cast<std::uintptr_t>(info.dli_fbase), c->Value);
    ::dlclose(library);
}

TEST(ElfFile, BytesAppendedToTheImageLieBehindItsEnd) {
    test::TempDir dir("elf");
    const std::string bytes = ReadFileBytes(TEST_LIBRARY);
    const std::string path = dir.Write("appended.so", bytes + std::string(100, 'x'));
    const TElfFile file(path);
    EXPECT_EQ(file.ImageEnd(), bytes.size());
    EXPECT_EQ(file.FileSize(), bytes.size() + 100);
    EXPECT_EQ(file.ReadBytes(bytes.size(), 100), std::string(100, 'x'));
    EXPECT_NE(ElfError([&] { file.ReadBytes(bytes.size(), 101); }), "");
    EXPECT_NE(ElfError([&] { file.ReadBytes(~std::uint64_t{0}, 2); }), "");
}

TEST(ElfFile, FilesThatAreNoELFOfThisMachineAreRefusedByName) {
    test::TempDir dir("elf");
    const std::string bytes = ReadFileBytes(TEST_LIBRARY);
    std::string wrongClass = bytes;
    wrongClass[EI_CLASS] = ELFCLASS32;
    const struct {
        const char* name;
        std::string content;
        const char* says;
    } cases[] = {
        {"empty", "", "is too short"},
        {"text", std::string(100, 'a'), "is not an ELF file"},
        {"head", bytes.substr(0, 40), "is too short"},
        {"class", wrongClass, "is not an ELF file of this machine"},
        {"cut", bytes.substr(0, bytes.size() / 2), "past its end"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.Write(c.name, c.content);
        const std::string error = ElfError([&] { TElfFile f(path); });
        EXPECT_NE(error.find(path), std::string::npos) << c.name << ": " << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.name << ": " << error;
    }
    EXPECT_NE(ElfError([] { TElfFile f("/no/such/file.so"); }).find("cannot be opened"), std::string::npos);
    EXPECT_NE(ElfError([] { TElfFile f("/"); }).find("is not a file"), std::string::npos);
}

TEST(ElfFile, RandomDamageIsReadWithinTheFileOrRefused) {
    test::TempDir dir("elf");
    const std::string bytes = ReadFileBytes(TEST_LIBRARY);
    std::mt19937 random(25);
    for (int round = 0; round < 300; ++round) {
        std::string damaged = bytes;
        // Mostly the headers, where the offsets and sizes are.
        const int hits = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < hits; ++i) {
            const std::size_t span = random() % 4 == 0 ? damaged.size() : std::min<std::size_t>(damaged.size(), 64);
            std::size_t at = random() % span;
            if (random() % 2) {
                // Somewhere in the section header table, at the end of the file.
                const std::size_t shdrs = bytes.size() - std::min<std::size_t>(bytes.size(), 64 * 30);
                at = shdrs + random() % (bytes.size() - shdrs);
            }
            damaged[at] = static_cast<char>(random());
        }
        const std::string path = dir.Write("damaged.so", damaged);
        try {
            const TElfFile file(path);
            for (const TElfSection& s : file.Sections()) {
                if (s.Type != SHT_NOBITS && s.Type != SHT_NULL) {
                    EXPECT_LE(s.Offset + s.Size, file.FileSize());
                }
            }
            file.DynamicSymbols();
            file.BuildId();
            for (const TElfSection& s : file.Sections()) file.ReadSection(s);
        } catch (const EElfError&) {
        }
    }
}
