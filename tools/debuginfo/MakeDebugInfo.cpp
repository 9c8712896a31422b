// The logger's build step: reads a linked program's (or library's) DWARF
// line tables and functions, writes them with the program's logger options
// as the container of an "OLDATA" section and adds that section to the file
// with objcopy. Any failure removes the file, so that the build links it
// again rather than keep a program without its section.
//
//   menvaro_debuginfo [--options default|pelgrane] [--objcopy PATH] FILE
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DwarfTables.h"
#include "EDebugData.h"
#include "ETypes.h"
#include "base/DateTime.h"
#include "base/Files.h"
#include "base/Streams.h"
#include "rtl/ElfFile.h"

extern char** environ;

using namespace menvaro;

namespace {

std::string OptionsStream(const std::string& which, const std::string& program) {
    TMemoryStream stream;
    if (which == "pelgrane") {
        CreatePelgraneOptions(program)->SaveToStream(stream);
    } else if (which == "default") {
        TOwned<TOstrelModuleOptions> options(Create<TOstrelModuleOptions>(program, false));
        options->SaveToStream(stream);
    } else {
        throw EOstrelLogError("Unknown options \"" + which + "\" (default or pelgrane).");
    }
    return stream.Bytes();
}

void Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (const int r = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ); r != 0)
        throw EOstrelLogError("Cannot start " + args[0] + ": " + SysErrorMessage(r) + ".");
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) throw EOstrelLogError("Cannot wait for " + args[0] + ": " + SysErrorMessage(errno) + ".");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw EOstrelLogError(args[0] + " failed (status " + std::to_string(status) + ").");
}

void AddSection(const std::string& program, const std::string& options, const std::string& objcopy) {
    const debuginfo::TDwarfTables tables = debuginfo::ReadDwarfTables(program);
    if (!tables.HasDwarf)
        std::printf("menvaro_debuginfo: %s has no DWARF data; its section holds no line tables\n", program.c_str());
    const std::string debugData = WriteDebugData(tables.Symbols, tables.Units);
    const std::string section = BuildOstrelSection(kDebugDataVersion, Now(), OptionsStream(options, program),
                                                   debugData);

    const std::string sectionFile = program + ".oldata";
    const std::string output = program + ".oldata-out";
    struct stat st;
    if (::stat(program.c_str(), &st) != 0)
        throw EOstrelLogError("Cannot read \"" + program + "\": " + SysErrorMessage(errno) + ".");
    try {
        WriteFileAtomic(sectionFile, section);
        std::vector<std::string> command{objcopy};
        if (TElfFile(program).FindSection(kOstrelSectionName))
            command.push_back(std::string("--remove-section=") + kOstrelSectionName);
        command.insert(
            command.end(),
            {std::string("--add-section"), std::string(kOstrelSectionName) + "=" + sectionFile,
             std::string("--set-section-flags"), std::string(kOstrelSectionName) + "=readonly", program, output});
        Run(command);
        if (::chmod(output.c_str(), st.st_mode & 07777) != 0 || ::rename(output.c_str(), program.c_str()) != 0)
            throw EOstrelLogError("Cannot replace \"" + program + "\": " + SysErrorMessage(errno) + ".");
    } catch (...) {
        ::unlink(sectionFile.c_str());
        ::unlink(output.c_str());
        throw;
    }
    ::unlink(sectionFile.c_str());
    std::printf("menvaro_debuginfo: %s: %zu units, %zu functions, %zu bytes of debug data in %zu bytes\n",
                program.c_str(), tables.Units.size(), tables.Symbols.size(), debugData.size(), section.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::string options = "default", objcopy = "objcopy", program;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--options" || a == "--objcopy") && i + 1 < argc) {
            (a == "--options" ? options : objcopy) = argv[++i];
        } else if (!a.empty() && a[0] != '-' && program.empty()) {
            program = a;
        } else {
            std::fprintf(stderr, "usage: %s [--options default|pelgrane] [--objcopy PATH] FILE\n", argv[0]);
            return 2;
        }
    }
    if (program.empty()) {
        std::fprintf(stderr, "usage: %s [--options default|pelgrane] [--objcopy PATH] FILE\n", argv[0]);
        return 2;
    }
    try {
        AddSection(program, options, objcopy);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "menvaro_debuginfo: %s: %s\n", program.c_str(), e.what());
    }
    // The build links the file again instead of keeping it without its section.
    ::unlink(program.c_str());
    return 1;
}
