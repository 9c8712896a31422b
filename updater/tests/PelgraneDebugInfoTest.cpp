// Pelgrane carries the crash logger's debug information and its stored
// options, and is linked at fixed addresses.
#include <elf.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "EDebugData.h"
#include "ETypes.h"
#include "base/Streams.h"
#include "rtl/ElfFile.h"

using namespace menvaro;

namespace {

// What a command prints on standard output.
std::string Output(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

// The value of one line of the loader's auxiliary vector ("AT_PHDR: 0x400040").
std::string Auxv(const std::string& text, const std::string& key) {
    const std::size_t at = text.find(key + ":");
    return at == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at);
}

}  // namespace

TEST(PelgraneDebugInfo, TheProgramCarriesItsOptionsAndLineTables) {
    const TElfFile file(MENVARO_PELGRANE);
    EXPECT_EQ(file.Type(), ET_EXEC);
    EXPECT_EQ(file.BuildId().size(), 20u);
    ASSERT_NE(file.FindSection(kOstrelSectionName), nullptr);
    TOstrelData data;
    std::string damage, debugData;
    ASSERT_TRUE(ReadOstrelContainer(file, data, damage)) << damage;
    EXPECT_EQ(data.Version, 454);
    TOwned<TOstrelModuleOptions> options(Create<TOstrelModuleOptions>(MENVARO_PELGRANE, false));
    ASSERT_TRUE(SplitOstrelPayload(data, *options, debugData, damage)) << damage;
    // Its stored options: each report logged, no dialog, no mail.
    TMemoryStream stored, expected;
    options->SaveToStream(stored);
    CreatePelgraneOptions(MENVARO_PELGRANE)->SaveToStream(expected);
    EXPECT_EQ(stored.Bytes(), expected.Bytes());
    EXPECT_EQ(stored.Bytes().size(), 1273u);
    // Its main function by name, then by address.
    std::int64_t offset = 0;
    ASSERT_TRUE(FindSymbolOffset(debugData, data.Version, "main", offset));
    TLineInfo line;
    ASSERT_TRUE(FindLineInfo(debugData, data.Version, offset, line));
    EXPECT_EQ(line.Procedure, "main");
    EXPECT_EQ(line.Class, "");
    EXPECT_GT(line.Line, 0);
    ASSERT_TRUE(FindSymbolOffset(debugData, data.Version, "pelgrane::TUpdateForm::FormCreate", offset));
    ASSERT_TRUE(FindLineInfo(debugData, data.Version, offset, line));
    EXPECT_EQ(line.Class, "pelgrane::TUpdateForm");
    EXPECT_EQ(line.Procedure, "FormCreate");
}

TEST(PelgraneDebugInfo, ItsAddressesAreTheSameInTwoRuns) {
    // The loader shows where it put the program; without a display the
    // program then ends at once.
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u MENVARO_UI LD_SHOW_AUXV=1 '" +
                                std::string(MENVARO_PELGRANE) + "' 2>/dev/null";
    const std::string first = Output(command), second = Output(command);
    ASSERT_NE(Auxv(first, "AT_PHDR"), "") << first;
    EXPECT_EQ(Auxv(first, "AT_PHDR"), Auxv(second, "AT_PHDR"));
    EXPECT_EQ(Auxv(first, "AT_ENTRY"), Auxv(second, "AT_ENTRY"));
    EXPECT_EQ(Auxv(first, "AT_PHDR"), "AT_PHDR:              0x400040");
    // What the system places at random still moves.
    EXPECT_NE(Auxv(first, "AT_RANDOM"), Auxv(second, "AT_RANDOM"));
}
